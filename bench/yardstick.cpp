// The yardstick for bench/startup.sh and bench/instructions.sh: the least a Qt program showing
// Pellimo's window can do. One 304 x 348 window, the 800 x 800 map scaled to 300 x 300 and one
// line of text; with PELLIMO_BENCH_QUIT_AFTER_PAINT set it ends after its first paint, as PLMO
// does.

#include "app/benchswitch.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

namespace {

class MapWindow final : public QWidget
{
public:
    MapWindow()
    {
        setFixedSize(304, 348);
        m_map = QPixmap(QStringLiteral(PELLIMO_YARDSTICK_MAP))
                    .scaled(300, 300, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        p.drawPixmap(2, 46, m_map);
        p.drawText(QRect(123, 1, 83, 20), Qt::AlignRight | Qt::AlignTop, QStringLiteral("00:00.000"));
    }

private:
    QPixmap m_map;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    MapWindow window;
    benchswitch::quitAfterFirstPaintIfAsked(&window);
    window.show();
    return QApplication::exec();
}
