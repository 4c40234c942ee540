#pragma once

#include "platform.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

/**
 * A platform for widget tests: the executable lives in a private temporary folder (so the
 * settings file does too), the work area is 1920 x 1040 unless a test sets others, and every window operation
 * is recorded as one line of text instead of touching a window system.
 */
class FakePlatform final : public Platform
{
public:
    static constexpr QRect WorkArea { 0, 0, 1920, 1040 };

    FakePlatform() = default;

    /** The frame every top-level window gets (a title bar and thin borders). */
    QMargins frame { 3, 24, 3, 3 };

    /** The screens' work areas, the primary's first; by default the primary (WorkArea) alone. */
    std::vector<QRect> screens { WorkArea };

    /** What the program asked for, in order, e.g. "setStayOnTop Form1 off". */
    QStringList calls;

    /** Full path of the settings file the program reads and writes. */
    QString settingsPath() const { return appPath() + QStringLiteral("_UserSettings.ini"); }

    /** Writes the settings file as given (bytes unchanged). */
    bool writeSettings(const QByteArray& bytes) const
    {
        QFile file(settingsPath());
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
    }

    /** The recorded calls that name this operation, e.g. all "setStayOnTop" lines. */
    QStringList callsOf(const QString& operation) const
    {
        QStringList found;
        for (const QString& call : calls) {
            if (call.startsWith(operation + QLatin1Char(' ')) || call == operation)
                found << call;
        }
        return found;
    }

    bool anotherInstanceRunning() override
    {
        calls << QStringLiteral("anotherInstanceRunning");
        return false;
    }

    void activateRunningInstance() override { calls << QStringLiteral("activateRunningInstance"); }

    void setWindowClass(QWidget* window, const QString& className) override
    {
        calls << QStringLiteral("setWindowClass %1 %2").arg(nameOf(window), className);
    }

    QRect primaryWorkArea() override { return screens.front(); }

    std::vector<QRect> workAreas() override { return screens; }

    QMargins frameMargins(QWidget* window) override
    {
        calls << QStringLiteral("frameMargins %1").arg(nameOf(window));
        return frame;
    }

    void requestFrameMargins(QWidget* window) override
    {
        calls << QStringLiteral("requestFrameMargins %1").arg(nameOf(window));
    }

    void setStayOnTop(QWidget* window, bool onTop) override
    {
        calls << QStringLiteral("setStayOnTop %1 %2").arg(nameOf(window), onTop ? u"on" : u"off");
    }

    void forceForeground(QWidget* window) override
    {
        calls << QStringLiteral("forceForeground %1").arg(nameOf(window));
    }

    QString executablePath() override { return appPath(); }

private:
    static QString nameOf(const QWidget* window) { return window ? window->objectName() : QStringLiteral("null"); }
    QString appPath() const { return m_dir.filePath(QStringLiteral("PLMO")); }

    QTemporaryDir m_dir;
};
