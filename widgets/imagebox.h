#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

/** An image widget that shows its picture stretched to the widget. */
class ImageBox final : public QWidget
{
    Q_OBJECT

public:
    explicit ImageBox(QWidget* parent = nullptr);

    /**
     * Shows the picture in `fileName` stretched to the widget. Only the stretched copy is kept:
     * the full-size picture is read again should the widget change its size. False when the
     * file is missing or cannot be decoded; the widget is then empty.
     */
    bool setPictureFile(const QString& fileName);
    /** The full-size picture, read from its file; null when there is none. */
    QPixmap picture() const;

Q_SIGNALS:
    void mouseEntered();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void rescale(qreal dpr);

    QString m_fileName;
    QPixmap m_scaled; // scaled once for the device pixel ratio, not at every paint
};
