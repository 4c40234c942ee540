#pragma once

#include <functional>
#include <QString>

/**
 * Shows an error message in the "Pellimo" error box (or hands it to the installed reporter). When
 * the process is out of file descriptors, where the box could not be drawn, the message goes to
 * standard error and the program ends with exit code 1.
 */
void reportError(const QString& message);

/** Replaces the error box (tests); an empty function restores it. */
void setErrorReporter(std::function<void(const QString&)> reporter);

/**
 * Runs a handler; an exception escaping it is reported and the handler simply stops there.
 * Returns false when it failed.
 */
bool runGuarded(const std::function<void()>& handler);
