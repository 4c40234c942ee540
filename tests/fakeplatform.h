#pragma once

#include "platform/platform.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

/**
 * A platform for widget tests and benchmarks: the executable lives in a private temporary folder
 * (so the settings file does too) and no other instance ever runs. What it does with windows
 * depends on its mode.
 */
class FakePlatform final : public Platform
{
public:
    static constexpr QRect WorkArea { 0, 0, 1920, 1040 };

    enum class Mode {
        /** The work area is 1920 x 1040 unless a test sets others, and every window operation is recorded as one line
           of text. */
        Recording,
        /** As Recording, but nothing is recorded and windows have no frame: only the program's own work. */
        Quiet,
        /** Window operations go to the system's own platform layer, unrecorded. */
        Native,
    };

    explicit FakePlatform(Mode mode = Mode::Recording)
        : frame(mode == Mode::Quiet ? QMargins() : QMargins(3, 24, 3, 3))
        , m_mode(mode)
    { }

    /** The frame every top-level window gets (a title bar and thin borders). */
    QMargins frame;

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
        record([] { return QStringLiteral("anotherInstanceRunning"); });
        return false;
    }

    void activateRunningInstance() override
    {
        record([] { return QStringLiteral("activateRunningInstance"); });
    }

    void setWindowClass(QWidget* window, const QString& className) override
    {
        if (m_mode == Mode::Native)
            return nativePlatform().setWindowClass(window, className);
        record([&] { return QStringLiteral("setWindowClass %1 %2").arg(nameOf(window), className); });
    }

    QRect primaryWorkArea() override
    {
        return m_mode == Mode::Native ? nativePlatform().primaryWorkArea() : screens.front();
    }

    std::vector<QRect> workAreas() override { return m_mode == Mode::Native ? nativePlatform().workAreas() : screens; }

    QMargins frameMargins(QWidget* window) override
    {
        if (m_mode == Mode::Native)
            return nativePlatform().frameMargins(window);
        record([&] { return QStringLiteral("frameMargins %1").arg(nameOf(window)); });
        return frame;
    }

    void requestFrameMargins(QWidget* window) override
    {
        record([&] { return QStringLiteral("requestFrameMargins %1").arg(nameOf(window)); });
    }

    void setStayOnTop(QWidget* window, bool onTop) override
    {
        if (m_mode == Mode::Native)
            return nativePlatform().setStayOnTop(window, onTop);
        record([&] { return QStringLiteral("setStayOnTop %1 %2").arg(nameOf(window), onTop ? u"on" : u"off"); });
    }

    void forceForeground(QWidget* window) override
    {
        if (m_mode == Mode::Native)
            return nativePlatform().forceForeground(window);
        record([&] { return QStringLiteral("forceForeground %1").arg(nameOf(window)); });
    }

    QString executablePath() override { return appPath(); }

private:
    template<typename Line> void record(Line line)
    {
        if (m_mode == Mode::Recording)
            calls << line();
    }
    static QString nameOf(const QWidget* window) { return window ? window->objectName() : QStringLiteral("null"); }
    QString appPath() const { return m_dir.filePath(QStringLiteral("PLMO")); }

    Mode m_mode;
    QTemporaryDir m_dir;
};
