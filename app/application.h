#pragma once

#include <functional>
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

/** Shows an error message in the "Pellimo" error box (or hands it to the installed reporter). */
void reportError(const QString& message);

/** Replaces the error box (tests); an empty function restores it. */
void setErrorReporter(std::function<void(const QString&)> reporter);

/**
 * Runs a handler; an exception escaping it is reported and the handler simply stops there.
 * Returns false when it failed.
 */
bool runGuarded(const std::function<void()>& handler);

/** Substitutes faces the layouts name but Linux lacks, once, before any window exists. */
void installFontSubstitutions();
