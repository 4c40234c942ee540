#include "widgets/glasscaption.h"

#include "widgets/glassshapes.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <QFont>
#include <QRawFont>
#include <QTextLayout>
#include <tuple>

namespace glass {

QString captionLines(const QString& caption)
{
    QString text = caption;
    text.replace(QLatin1String("\\n"), QLatin1String("\n\r"), Qt::CaseInsensitive);
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n') {
            out.append(c);
            continue;
        }
        // A CR LF or LF CR pair is one break.
        if (i + 1 < text.size() && (text[i + 1] == u'\r' || text[i + 1] == u'\n') && text[i + 1] != c)
            ++i;
        out.append(QChar::LineSeparator);
    }
    return out;
}

QString stripHotkeyPrefix(const QString& text, QList<int>* underlined)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'&') {
            out.append(text[i]);
            continue;
        }
        if (++i >= text.size())
            break;
        if (text[i] != u'&' && underlined)
            underlined->append(int(out.size()));
        out.append(text[i]);
    }
    return out;
}

int fontPoints(const QFont& font)
{
    if (font.pixelSize() > 0)
        return (font.pixelSize() * 72 + 48) / 96;
    return int(std::lround(font.pointSizeF()));
}

namespace {

bool outlineFaceResolved(const QFont& font)
{
    const QRawFont face = QRawFont::fromFont(font);
    if (!face.isValid())
        return false;
    const QString asked = font.family();
    const QString got = face.familyName();
    if (got.compare(asked, Qt::CaseInsensitive) != 0) {
        const QStringList subs = QFont::substitutes(asked);
        if (std::none_of(subs.begin(), subs.end(),
                         [&](const QString& s) { return s.compare(got, Qt::CaseInsensitive) == 0; }))
            return false;
    }
    return !face.fontTable("head").isEmpty();
}

} // namespace

bool smoothFaceInstalled(const QFont& font)
{
    // The face a font resolves to does not change while the program runs, nor with its size or
    // hinting: one answer per face, not one font look-up per paint. The key is what picks the face.
    using Face = std::tuple<QStringList, int, int, int, int, int, bool>;
    static std::map<Face, bool> answers;
    const Face face { font.families(),  font.weight(),        font.style(),     font.stretch(),
                      font.styleHint(), font.styleStrategy(), font.fixedPitch() };
    const auto known = answers.find(face);
    if (known != answers.end())
        return known->second;
    const bool installed = outlineFaceResolved(font);
    answers.emplace(face, installed);
    return installed;
}

TextBlock layoutLines(QTextLayout& layout, qreal width, qreal lineStep)
{
    TextBlock block;
    qreal y = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLeadingIncluded(true);
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        const qreal step = lineStep > 0 ? lineStep : line.height();
        block.bounds |= QRectF(line.naturalTextRect().left(), y, line.naturalTextWidth(), step);
        y += step;
    }
    layout.endLayout();
    block.height = y;
    return block;
}

void prepareLayout(QTextLayout& layout, const QString& caption, Qt::Alignment align, QTextOption::WrapMode wrap)
{
    QList<int> underlined;
    layout.setText(stripHotkeyPrefix(captionLines(caption), &underlined));
    QTextOption option(align);
    option.setWrapMode(wrap);
    layout.setTextOption(option);
    layout.setCacheEnabled(true); // keeps the shaping of the layout for the drawing of the same paint
    if (!underlined.isEmpty()) {
        QList<QTextLayout::FormatRange> formats;
        for (int pos : underlined) {
            QTextLayout::FormatRange range;
            range.start = pos;
            range.length = 1;
            range.format.setFontUnderline(true);
            formats.append(range);
        }
        layout.setFormats(formats);
    }
}

ContentPlacement placeContent(TButtonLayout layout, QSize button, QSize picture, bool curved, const QRectF& text)
{
    const int w = button.width();
    const int h = button.height();
    // The picture keeps two pixels from the caption.
    const int pw = picture.width() > 0 ? picture.width() + 2 : 0;
    const int ph = picture.height();
    const qreal bx = text.x();
    const qreal bw = text.width();
    const qreal bh = text.height();

    const int k = curved ? h / 4 : 0;
    const auto m = [](int v) {
        return std::max(v, 0);
    };
    QRect box;
    int px = 0;
    int py = 0;
    switch (layout) {
    case blGlyphLeft:
        box = QRect(pw + 2, 0, w - pw - 2, h);
        px = std::max(2, roundEven(bx - pw / 2));
        py = m((h - ph) / 2);
        break;
    case blGlyphTop:
        box = QRect(0, ph, w, h - ph - 2);
        px = m((w - pw) / 2);
        py = std::max(2, m(roundEven(h - ph - 2 - bh) / 2));
        break;
    case blGlyphRight:
        box = QRect(2, 0, w - pw - 4, h);
        px = m(roundEven(w - pw - 4 - bw) / 2) + roundEven(bw) + 4;
        if (px > w - pw)
            px = w - pw - 2;
        py = m((h - ph) / 2);
        break;
    case blGlyphBottom:
        box = QRect(0, 2, w, h - ph - 2);
        px = m((w - pw) / 2);
        py = m(roundEven(h - ph - 2 - bh) / 2) + roundEven(bh + 2);
        if (py > h - ph)
            py = h - ph - 2;
        break;
    case blGlyphLeftAdjusted:
        box = QRect(pw + 2 + k, 0, w - pw - 2, h);
        px = std::max(2, 2 + k);
        py = m((h - ph) / 2);
        break;
    case blGlyphRightAdjusted:
        box = QRect(2, 0, w - pw - 4 - k, h);
        px = w - pw - 2 - k;
        py = m((h - ph) / 2);
        break;
    case blGlyphTopAdjusted:
        box = QRect(0, ph, w, h - ph - 2);
        px = m((w - pw) / 2);
        py = 2;
        break;
    case blGlyphBottomAdjusted:
        box = QRect(0, 2, w, h - ph - 2);
        px = m((w - pw) / 2);
        py = m(h / 2) + roundEven(bh + 2);
        if (py > h - ph)
            py = h - ph - 2;
        break;
    }
    return { box, QPoint(px, py) };
}

} // namespace glass
