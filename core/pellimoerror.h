#pragma once

#include <exception>
#include <QByteArray>
#include <QString>

/**
 * An error meant for the user. Thrown by a handler, it travels up to the application's
 * general error handler, which shows its message in the "Pellimo" error box; the failed
 * handler stops there and the program carries on.
 */
class PellimoError : public std::exception
{
public:
    explicit PellimoError(QString message);

    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

/** The text the error box shows: a "." is appended when the last character's code is above ".". */
QString errorBoxText(const QString& message);
