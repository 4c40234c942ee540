#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

/**
 * Benchmark switch, not a user setting: with PELLIMO_BENCH_QUIT_AFTER_PAINT set in the
 * environment the program ends right after the window's first paint (bench/startup.sh times
 * start-up with it). The event loop simply stops: the window is not closed, so nothing is saved.
 */
namespace benchswitch {

class QuitAfterFirstPaint final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // Queued, so that the painted pixels still reach the screen first. exit(), not
            // quit(): quit() closes the windows first, and the main window saves when closed.
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        }
        return false;
    }
};

/** Installs the switch on `window` when the environment asks for it. */
inline void quitAfterFirstPaintIfAsked(QWidget* window)
{
    if (qEnvironmentVariableIsSet("PELLIMO_BENCH_QUIT_AFTER_PAINT"))
        window->installEventFilter(new QuitAfterFirstPaint(window));
}

} // namespace benchswitch
