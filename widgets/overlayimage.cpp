#include "overlayimage.h"

#include <QPainter>

OverlayImage::OverlayImage(QWidget* parent)
    : QWidget(parent)
{
}

void OverlayImage::setTransparent(bool on)
{
    if (m_transparent == on)
        return;
    m_transparent = on;
    bitmapChanged();
}

void OverlayImage::newBitmap()
{
    m_bitmap = QImage(size(), QImage::Format_RGB32);
    m_bitmap.fill(Qt::white);
    m_penColor = tcolor::Black;
    m_penWidth = 1;
    m_penPos = {};
    bitmapChanged();
}

void OverlayImage::lineTo(int x, int y)
{
    if (!m_bitmap.isNull()) {
        QPainter p(&m_bitmap);
        QPen pen(QColor(tcolor::red(m_penColor), tcolor::green(m_penColor), tcolor::blue(m_penColor)));
        pen.setWidth(m_penWidth);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        p.setPen(pen);
        p.drawLine(m_penPos, QPoint(x, y));
    }
    m_penPos = QPoint(x, y);
    bitmapChanged();
}

void OverlayImage::fillRect(const QRect& rect)
{
    if (m_bitmap.isNull())
        return;
    QPainter p(&m_bitmap);
    p.fillRect(rect, Qt::white);
    bitmapChanged();
}

void OverlayImage::bitmapChanged()
{
    if (m_bitmap.isNull()) {
        m_shown = QImage();
    } else if (!m_transparent) {
        m_shown = m_bitmap;
    } else {
        m_shown = m_bitmap.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const int count = int(m_shown.sizeInBytes() / 4);
        auto* px = reinterpret_cast<QRgb*>(m_shown.bits());
        for (int i = 0; i < count; ++i) {
            if (px[i] == 0xFFFFFFFFu)
                px[i] = 0;
        }
    }
    update();
}

void OverlayImage::paintEvent(QPaintEvent*)
{
    if (m_shown.isNull())
        return;
    QPainter p(this);
    p.drawImage(rect(), m_shown);
}

void OverlayImage::enterEvent(QEnterEvent* event)
{
    Q_EMIT mouseEntered();
    QWidget::enterEvent(event);
}
