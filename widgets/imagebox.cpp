#include "imagebox.h"

#include "devicescale.h"

#include <QPainter>

namespace {

/**
 * The picture scaled once from its source straight to the device pixels it covers: at 150 % the
 * 800-pixel map becomes 450 device pixels, not 300 layout pixels enlarged to 450.
 */
QPixmap scaledFor(const QPixmap& picture, QSize size, qreal dpr)
{
    if (picture.isNull())
        return {};
    QPixmap scaled = picture.scaled((QSizeF(size) * dpr).toSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(dpr);
    return scaled;
}

} // namespace

ImageBox::ImageBox(QWidget* parent)
    : QWidget(parent)
{ }

void ImageBox::setPicture(const QPixmap& picture)
{
    m_picture = picture;
    m_scaled = scaledFor(picture, size(), devicePixelRatioF());
    update();
}

void ImageBox::paintEvent(QPaintEvent*)
{
    if (m_scaled.isNull())
        return;
    QPainter p(this);
    const qreal dpr = deviceScale(p, devicePixelRatioF());
    if (!qFuzzyCompare(m_scaled.devicePixelRatio(), dpr))
        m_scaled = scaledFor(m_picture, size(), dpr); // another screen, or rendered for one
    p.drawPixmap(0, 0, m_scaled);
}

void ImageBox::enterEvent(QEnterEvent* event)
{
    Q_EMIT mouseEntered();
    QWidget::enterEvent(event);
}

void ImageBox::resizeEvent(QResizeEvent* event)
{
    setPicture(m_picture);
    QWidget::resizeEvent(event);
}
