#pragma once

#include <QFont>
#include <QString>

/** Small helpers the window layouts share. */
namespace layout {

/**
 * A layout font: face, character height in pixels at 96 dpi, bold or regular. The windows show
 * short labels, names and times, drawn without kerning or ligatures, which spares Latin text the
 * shaper on every paint.
 */
inline QFont pixelFont(const QString& face, int px, bool bold = false)
{
    QFont f(face);
    f.setPixelSize(px);
    f.setBold(bold);
    f.setStyleStrategy(QFont::PreferNoShaping);
    return f;
}

/**
 * A layout font for a caption that is always the same Latin text (Copy result): it draws from its
 * own face only. A face that may borrow glyphs from others has fontconfig sort every installed
 * face into a fallback list when it is first loaded, a list such a caption never uses.
 */
inline QFont latinCaptionFont(const QString& face, int px, bool bold = false)
{
    QFont f = pixelFont(face, px, bold);
    f.setStyleStrategy(QFont::StyleStrategy(f.styleStrategy() | QFont::NoFontMerging));
    return f;
}

/** The index as two decimal digits with a leading zero, as in the button names ("btn07"). */
inline QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

} // namespace layout
