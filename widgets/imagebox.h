#pragma once

#include <QPixmap>
#include <QWidget>

/** An image widget that shows its picture stretched to the widget. */
class ImageBox final : public QWidget
{
    Q_OBJECT

public:
    explicit ImageBox(QWidget* parent = nullptr);

    void setPicture(const QPixmap& picture);
    const QPixmap& picture() const { return m_picture; }

Q_SIGNALS:
    void mouseEntered();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QPixmap m_picture;
    QPixmap m_scaled; // scaled once for the device pixel ratio, not at every paint
};
