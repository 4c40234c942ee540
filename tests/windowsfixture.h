#pragma once

#include "app/application.h"
#include "fakeplatform.h"
#include "forms/errorhandler.h"
#include "forms/formfactory.h"
#include "forms/mainform.h"
#include "forms/selectionform.h"
#include "forms/settingsform.h"

#include <QApplication>
#include <QByteArray>
#include <QStringList>

/** Once per test program, what PLMO sets up before its first window: resources, fonts, style. */
inline void prepareWindowsTestApplication()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    prepareApplication();
}

/**
 * The three windows, built by createForms() as at start-up, on a FakePlatform. `settings` is
 * written as the settings file before the main window reads it; a null array leaves no file.
 * `screens` are the platform's work areas. Errors that would open the error box are collected
 * in `errors`. The destructor deletes the windows and puts the native platform back.
 */
class WindowsFixture final
{
public:
    explicit WindowsFixture(const QByteArray& settings = QByteArray(), const StopwatchClock* clock = nullptr,
                            SettingsDialogBuild settingsDialog = SettingsDialogBuild::WithTheOthers,
                            const QList<QRect>& screens = { FakePlatform::WorkArea })
    {
        prepareWindowsTestApplication();
        platform.screens.assign(screens.begin(), screens.end());
        Platform::setInstance(&platform);
        setErrorReporter([this](const QString& text) { errors << text; });
        if (!settings.isNull())
            platform.writeSettings(settings);

        createForms(clock, settingsDialog);
    }

    ~WindowsFixture()
    {
        destroyForms();
        setErrorReporter({});
        Platform::setInstance(nullptr);
    }

    WindowsFixture(const WindowsFixture&) = delete;
    WindowsFixture& operator=(const WindowsFixture&) = delete;

    FakePlatform platform;
    QStringList errors;
};
