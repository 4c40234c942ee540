#include "widgets/shortcuthintwindow.h"

#include "widgets/glassfill.h"
#include "widgets/glassshapes.h"

#include <QFontMetrics>
#include <QPainter>

namespace {

constexpr int HintBands = 16;
constexpr int HintPadding = 8;
constexpr TColor HintOutline = 0x808080;
constexpr int HintCornerSize = 3;

} // namespace

TShortCutHintWindow::TShortCutHintWindow(QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
}

void TShortCutHintWindow::setText(const QString& text)
{
    m_text = text;
    const QFontMetrics fm(font());
    resize(fm.horizontalAdvance(text) + HintPadding, fm.height() + 4);
    update();
}

void TShortCutHintWindow::resizeEvent(QResizeEvent* event)
{
    const int least = QFontMetrics(font()).horizontalAdvance(QLatin1Char('O')) + HintPadding;
    if (width() < least)
        resize(least, height());
    QWidget::resizeEvent(event);
}

void TShortCutHintWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const double s = height() / double(HintBands);
    const auto channel = [](int c1, int c2, int n) {
        return c1 + glass::roundEven(n * (c2 - c1) / double(HintBands));
    };
    for (int n = 0; n < HintBands; ++n) {
        const int top = glass::roundEven(n * s);
        const int bottom = top + glass::roundEven(s) + 1;
        const QColor c(channel(tcolor::red(FColor), tcolor::red(FColorTo), n),
                       channel(tcolor::green(FColor), tcolor::green(FColorTo), n),
                       channel(tcolor::blue(FColor), tcolor::blue(FColorTo), n));
        p.fillRect(QRect(0, top, width(), bottom - top), c);
    }
    p.setPen(palette().color(QPalette::ToolTipText));
    p.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, m_text);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(glass::layerColor(HintOutline, 255));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), HintCornerSize / 2.0, HintCornerSize / 2.0);
}

void TShortCutHintWindow::placeBeside(const QWidget* button, TShortCutHintPos pos)
{
    const QPoint at = button->mapToGlobal(QPoint(0, 0));
    const int bw = button->width();
    const int bh = button->height();
    const int hw = width();
    const int hh = height();
    switch (pos) {
    case shpLeft:
        move(at.x() - hw / 2, at.y() + (bh - hh) / 2);
        break;
    case shpTop:
        move(at.x() + (bw - hw) / 2, at.y() - hh / 2);
        break;
    case shpRight:
        move(at.x() + bw - hw / 2, at.y() + (bh - hh) / 2);
        break;
    case shpBottom:
        move(at.x() + (bw - hw) / 2, at.y() + bh - hh / 2);
        break;
    default:
        break; // the other placements leave the pop-up where it is
    }
}
