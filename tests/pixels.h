#pragma once

#include "core/tcolor.h"

#include <cmath>
#include <cstdlib>
#include <QImage>
#include <QPointF>
#include <QString>

// Pixel helpers the painting tests share.

/** A TColor (red in the low byte) as an opaque QRgb. */
inline QRgb rgbOf(TColor c)
{
    return qRgb(tcolor::red(c), tcolor::green(c), tcolor::blue(c));
}

/** True when every channel differs by at most `tolerance`; alpha is not compared. */
inline bool near(QRgb a, QRgb b, int tolerance = 3)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance
        && std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

/** "rrggbb", six hexadecimal digits without alpha, for messages. */
inline QString hex(QRgb c)
{
    return QStringLiteral("%1").arg(c & 0xFFFFFF, 6, 16, QLatin1Char('0'));
}

/** "(r, g, b)" in decimal, for messages. */
inline QString describe(QRgb c)
{
    return QStringLiteral("(%1, %2, %3)").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c));
}

/** Colour of the pixel whose area holds the point (pixel x covers [x, x + 1)), made opaque. */
inline QRgb pixelAt(const QImage& image, QPointF p)
{
    return image.pixel(int(std::floor(p.x())), int(std::floor(p.y()))) | 0xFF000000;
}
