#pragma once

#include "application.h"
#include "fakeplatform.h"
#include "globals.h"
#include "mainform.h"
#include "selectionform.h"
#include "settingsform.h"

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
    // Outside any namespace: the macro declares the resource initialiser where it stands.
    Q_INIT_RESOURCE(resources);
    installFontSubstitutions();
    QApplication::setStyle(QStringLiteral("Fusion"));
}

/**
 * The three windows, built in PLMO's order on a FakePlatform. `settings` is written as the
 * settings file before the main window reads it; a null array leaves no file. Errors that
 * would open the error box are collected in `errors`. The destructor deletes the windows
 * and puts the native platform back.
 */
class WindowsFixture final
{
public:
    explicit WindowsFixture(const QByteArray& settings = QByteArray(), const StopwatchClock* clock = nullptr)
    {
        prepareWindowsTestApplication();
        Platform::setInstance(&platform);
        setErrorReporter([this](const QString& text) { errors << text; });
        if (!settings.isNull())
            platform.writeSettings(settings);

        Form1 = new TForm1(clock);
        platform.setWindowClass(Form1, QStringLiteral("TForm1"));
        Form1->FormCreate();
        Form2 = new TForm2(Form1);
        platform.setWindowClass(Form2, QStringLiteral("TForm2"));
        Form2->FormCreate();
        Form3 = new TForm3(Form1);
        platform.setWindowClass(Form3, QStringLiteral("TForm3"));
    }

    ~WindowsFixture()
    {
        // The dialogs are children of the main window and go with it.
        TForm1* main = Form1;
        Form3 = nullptr;
        Form2 = nullptr;
        Form1 = nullptr;
        delete main;
        setErrorReporter({});
        Platform::setInstance(nullptr);
    }

    WindowsFixture(const WindowsFixture&) = delete;
    WindowsFixture& operator=(const WindowsFixture&) = delete;

    FakePlatform platform;
    QStringList errors;
};
