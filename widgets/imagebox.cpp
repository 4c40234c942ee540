#include "imagebox.h"

#include <QPainter>

ImageBox::ImageBox(QWidget* parent)
    : QWidget(parent)
{ }

void ImageBox::setPicture(const QPixmap& picture)
{
    m_picture = picture;
    m_scaled = picture.isNull() ? QPixmap() : picture.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    update();
}

void ImageBox::paintEvent(QPaintEvent*)
{
    if (m_scaled.isNull())
        return;
    QPainter p(this);
    p.drawPixmap(0, 0, m_scaled);
}

void ImageBox::enterEvent(QEnterEvent* event)
{
    Q_EMIT mouseEntered();
    QWidget::enterEvent(event);
}

void ImageBox::resizeEvent(QResizeEvent* event)
{
    // The first show resizes the widget to the size it already has: scaled already.
    if (!m_picture.isNull() && m_scaled.size() != size())
        setPicture(m_picture);
    QWidget::resizeEvent(event);
}
