#pragma once

#include "widgets/afterfirstpaint.h"

#include <QCoreApplication>
#include <QWidget>

/**
 * Benchmark switch, not a user setting: with PELLIMO_BENCH_QUIT_AFTER_PAINT set in the
 * environment the program ends right after the window's first paint (bench/startup.sh times
 * start-up with it). The event loop simply stops: the window is not closed, so nothing is saved.
 */
namespace benchswitch {

/** Installs the switch on `window` when the environment asks for it. */
inline void quitAfterFirstPaintIfAsked(QWidget* window)
{
    // exit(), not quit(): quit() closes the windows first, and the main window saves when closed.
    if (qEnvironmentVariableIsSet("PELLIMO_BENCH_QUIT_AFTER_PAINT"))
        runAfterFirstPaint(window, [] { QCoreApplication::exit(0); });
}

} // namespace benchswitch
