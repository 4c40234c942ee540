#pragma once

#include <QApplication>

/**
 * The application object. Its notify() is the general error handler: an exception that
 * escapes an event handler is shown in the "Pellimo" error box there, and never unwinds
 * through Qt's event loop.
 */
class PellimoApplication final : public QApplication
{
    Q_OBJECT

public:
    PellimoApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

/** Substitutes faces the layouts name but Linux lacks, once, before any window exists. */
void installFontSubstitutions();

/**
 * What the program sets up before its first window, after the application object exists: the
 * resources, the font substitutions and the style. Start-up, the widget tests' fixture and the
 * benchmarks all call it, so that they build the windows alike.
 */
void prepareApplication();
