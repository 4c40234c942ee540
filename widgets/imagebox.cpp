#include "widgets/imagebox.h"

#include "widgets/devicescale.h"
#include "widgets/picturefile.h"

#include <QImage>
#include <QPainter>

ImageBox::ImageBox(QWidget* parent)
    : QWidget(parent)
{ }

bool ImageBox::setPictureFile(const QString& fileName)
{
    m_fileName = fileName;
    rescale(devicePixelRatioF());
    return !m_scaled.isNull();
}

QPixmap ImageBox::picture() const
{
    return m_fileName.isEmpty() ? QPixmap() : QPixmap::fromImage(readPicture(m_fileName));
}

void ImageBox::rescale(qreal dpr)
{
    // Read as an image, not through QPixmap's file cache, so the full-size picture (2.5 MB for
    // the 800 x 800 map) is freed once it is scaled. Premultiplied first, as a pixmap would be.
    // Scaled once from the source straight to the device pixels it covers: at 150 % the 800-pixel
    // map becomes 450 device pixels, not 300 layout pixels enlarged to 450.
    const QImage picture = m_fileName.isEmpty()
        ? QImage()
        : readPicture(m_fileName).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (picture.isNull()) {
        m_scaled = QPixmap();
    } else {
        m_scaled = QPixmap::fromImage(
            picture.scaled((QSizeF(size()) * dpr).toSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        m_scaled.setDevicePixelRatio(dpr);
    }
    update();
}

void ImageBox::paintEvent(QPaintEvent*)
{
    if (m_scaled.isNull())
        return;
    QPainter p(this);
    const qreal dpr = deviceScale(p, devicePixelRatioF());
    if (!qFuzzyCompare(m_scaled.devicePixelRatio(), dpr))
        rescale(dpr); // another screen, or rendered for one
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
    if (!m_fileName.isEmpty() && m_scaled.deviceIndependentSize() != QSizeF(size()))
        rescale(m_scaled.isNull() ? devicePixelRatioF() : m_scaled.devicePixelRatio());
    QWidget::resizeEvent(event);
}
