#pragma once

#include <QPainter>

/**
 * Device pixels per layout pixel where `p` draws: the screen's ratio on a window, the image's
 * when a widget is rendered into one. A turned or sheared painter falls back to `fallback`.
 */
inline qreal deviceScale(const QPainter& p, qreal fallback)
{
    const QTransform& t = p.deviceTransform();
    return t.type() <= QTransform::TxScale && t.m11() > 0 ? t.m11() : fallback;
}
