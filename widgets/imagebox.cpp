#include "imagebox.h"

#include <QImage>
#include <QPainter>

ImageBox::ImageBox(QWidget* parent)
    : QWidget(parent)
{ }

bool ImageBox::setPictureFile(const QString& fileName)
{
    m_fileName = fileName;
    rescale();
    return !m_scaled.isNull();
}

QPixmap ImageBox::picture() const
{
    return m_fileName.isEmpty() ? QPixmap() : QPixmap::fromImage(QImage(m_fileName));
}

void ImageBox::rescale()
{
    // Read as an image, not through QPixmap's file cache, so the full-size picture (2.5 MB for
    // the 800 x 800 map) is freed once it is scaled. Premultiplied first, as a pixmap would be.
    const QImage picture
        = m_fileName.isEmpty() ? QImage() : QImage(m_fileName).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    m_scaled = picture.isNull()
        ? QPixmap()
        : QPixmap::fromImage(picture.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
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
    if (!m_fileName.isEmpty() && m_scaled.size() != size())
        rescale();
    QWidget::resizeEvent(event);
}
