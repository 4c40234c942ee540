#pragma once

#include "widgets/glassenums.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QTextOption>

class QFont;
class QTextLayout;

/** Caption text and layout of the glass button: line breaks, hotkeys, fonts, lines, placement. */
namespace glass {

/**
 * The caption as it is laid out: every backslash-n (either case) becomes a line break, and CR LF,
 * LF CR, lone CR and lone LF each become one QChar::LineSeparator.
 */
QString captionLines(const QString& caption);

/**
 * Removes hotkey prefixes: "&x" shows x underlined, "&&" shows one "&", a trailing "&" vanishes.
 * `underlined` receives the positions, in the result, of the characters to underline.
 */
QString stripHotkeyPrefix(const QString& text, QList<int>* underlined = nullptr);

/** Font points as the button's font reports them: pixels at 96 dpi, rounded half away from zero. */
int fontPoints(const QFont& font);

/**
 * Whether the font's face is installed: the face the font resolves to is the one asked for or one
 * the program maps it onto (a substitute counts as installed), and it is an outline (TrueType or
 * OpenType) face, which is what smooth text needs; bitmap faces have no font header table.
 * Asked of the font engine the font already uses (the font database's own query costs as much as
 * a tenth of a button's paint), once per face: later calls for the same face, at any size, answer
 * from memory.
 */
bool smoothFaceInstalled(const QFont& font);

/** Lines laid out by layoutLines(). */
struct TextBlock
{
    QRectF bounds; // union of the lines, relative to the layout origin
    qreal height = 0;
};

/**
 * Lays out `layout` in lines of `width`; `lineStep` > 0 fixes the distance between baselines
 * (the plain path), otherwise each line takes its font's line spacing.
 */
TextBlock layoutLines(QTextLayout& layout, qreal width, qreal lineStep);

/** Gives `layout` the caption's lines without hotkey prefixes, the underlines, alignment and wrap. */
void prepareLayout(QTextLayout& layout, const QString& caption, Qt::Alignment align, QTextOption::WrapMode wrap);

/** Where a caption with a picture goes on the button. */
struct ContentPlacement
{
    QRect captionBox; // the caption is laid out and clipped in here
    QPoint picture; // top-left corner of the picture
};

/**
 * Places caption and picture on a `button`-sized glass button for `layout`. `picture` is the
 * picture's size (empty without one); `text` is the caption laid out across the whole button
 * (its left edge, width and height count). A curved button keeps the adjusted layouts a quarter
 * of its height further in, off the curved ends.
 */
ContentPlacement placeContent(TButtonLayout layout, QSize button, QSize picture, bool curved, const QRectF& text);

} // namespace glass
