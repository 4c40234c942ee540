#pragma once

#include "core/tcolor.h"

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <vector>

/**
 * A transparent image widget over the map: a real bitmap with a pen, drawn on with
 * move-to / line-to and filled with rectangles. With `transparent` set, pure white
 * pixels let what lies below show through and every other pixel covers it.
 */
class OverlayImage final : public QWidget
{
    Q_OBJECT

public:
    explicit OverlayImage(QWidget* parent = nullptr);

    bool transparent() const { return m_transparent; }
    void setTransparent(bool on);
    /** Drops the current picture and gives the widget a new bitmap of its own size, filled white. */
    void newBitmap();

    void setPenColor(TColor color) { m_penColor = color; }
    TColor penColor() const { return m_penColor; }
    void setPenWidth(int width) { m_penWidth = width; }
    int penWidth() const { return m_penWidth; }
    void moveTo(int x, int y) { m_penPos = QPoint(x, y); }
    /** Draws from the pen position to (x, y) with the pen, round ends, no anti-aliasing. */
    void lineTo(int x, int y);
    /** Fills a rectangle with the brush (solid white). */
    void fillRect(const QRect& rect);

    /** One pair line: end points in the widget's pixels and the pair's colour. */
    struct Line
    {
        QPoint from;
        QPoint to;
        TColor colour = 0;
    };
    /**
     * Draws the lines on a new bitmap in the order given, each 4 pixels wide over a 6-pixel light
     * underlay, so that where two lines cross the later one lies on top with a light edge.
     */
    void setLines(const std::vector<Line>& lines);

    /** The bitmap as drawn, white where nothing is. */
    QImage bitmap() const;

Q_SIGNALS:
    void mouseEntered();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;

private:
    /** White is kept as a fully transparent pixel, so that the bitmap is shown as it stands. */
    static QRgb stored(QRgb opaque) { return opaque == 0xFFFFFFFFu ? 0u : opaque; }

    /** One drawing step since the bitmap was new: a stroke, or a rectangle made white (radius 0). */
    struct Step
    {
        QPoint from;
        QPoint to; // or the rectangle's bottom-right corner
        double radius = 0;
        QRgb colour = 0;
    };
    /** The bitmap drawn again at `dpr` device pixels a bitmap pixel, from the steps. */
    const QImage& sharpPixels(qreal dpr);

    QImage m_pixels; // the bitmap, white stored as transparent
    QRect m_inked; // holds every pixel drawn since the bitmap was new
    // On a screen with more device pixels than layout pixels the lines are drawn again at its
    // resolution: an enlarged bitmap would show its stair steps twice as large.
    std::vector<Step> m_steps;
    QImage m_sharp; // empty when out of date
    bool m_transparent = false;
    TColor m_penColor = tcolor::Black;
    int m_penWidth = 1;
    QPoint m_penPos;
};
