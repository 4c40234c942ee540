#pragma once

#include "core/tcolor.h"
#include "widgets/glassenums.h"

#include <QString>
#include <QWidget>

/** The small pop-up that shows a button's shortcut text. */
class TShortCutHintWindow final : public QWidget
{
    Q_OBJECT

public:
    explicit TShortCutHintWindow(QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return m_text; }

    /**
     * Moves the pop-up half over the `button`'s edge named by `pos` (left, top, right, bottom),
     * centred along it; the other placements leave the pop-up where it is.
     */
    void placeBeside(const QWidget* button, TShortCutHintPos pos);

    TColor FColor = 0x000000; // gradient top
    TColor FColorTo = 0x000000; // gradient bottom

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QString m_text;
};
