#pragma once

#include <QLoggingCategory>

/**
 * "pellimo.platform": what the program could not get from the system it runs on (the
 * single-instance lock, the activation of the running instance, its own map pictures). Each
 * such event leaves one warning line on standard error, for the user to send with a report;
 * QT_LOGGING_RULES="pellimo.platform.warning=false" silences them.
 */
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)
