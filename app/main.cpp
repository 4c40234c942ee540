#include "app/application.h"
#include "app/benchswitch.h"
#include "app/commandline.h"
#include "app/sessionplatform.h"
#include "core/pellimoerror.h"
#include "forms/errorhandler.h"
#include "forms/formfactory.h"
#include "forms/hotkeywiring.h"
#include "forms/mainform.h"
#include "forms/settingsfile.h"
#include "platform/platform.h"
#include "widgets/afterfirstpaint.h"

#include <cstdio>
#include <cstdlib>
#include <QDateTime>
#include <QSessionManager>

namespace {

// A save still under way in another session's instance is far younger than this.
constexpr qint64 StaleTemporaryAgeSecs = 10;

/** Closes the program as the user would: modal dialogs first, then the main window, which saves. */
void closeAsUser()
{
    for (int i = 0; i < 8 && QApplication::activeModalWidget(); ++i)
        QApplication::activeModalWidget()->close();
    if (Form1)
        Form1->close();
}

/**
 * Qt ends the process with exit() when the X server goes away (the session ended under us):
 * save what the close would have saved. No error box can be shown any more; say it on stderr.
 */
void saveAtLostDisplay()
{
    if (!Form1 || Form1->hasClosed())
        return;
    try {
        Form1->FormClose();
    } catch (const PellimoError& error) {
        std::fprintf(stderr, "PLMO: %s\n", error.what());
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (const auto answer = commandline::informationRequest(argc, argv)) {
        std::fputs(answer->text.c_str(), stdout);
        return answer->exitCode;
    }

    // A second instance hands over to the running one and ends before any window or
    // settings access exists.
    Platform& platform = Platform::instance();
    if (platform.anotherInstanceRunning()) {
        platform.activateRunningInstance();
        return 0;
    }

    const sessionplatform::Choice session = sessionplatform::choose(sessionplatform::processEnvironment, argc, argv);
    if (session.platform)
        qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(*session.platform));
    std::fputs(session.notice.c_str(), stderr);

    const QDateTime started = QDateTime::currentDateTime();
    PellimoApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pellimo"));
    prepareApplication();

    // What saves killed mid-way left behind; only the first instance may touch the folder.
    settingsfile::removeStaleTemporaries(started.addSecs(-StaleTemporaryAgeSecs));

    createForms(nullptr, SettingsDialogBuild::AfterFirstPaint);
    onTerminationRequest(closeAsUser);
    // A logout asks every client of the session to save first; the close may never come.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, Form1,
                     [](QSessionManager&) { runGuarded([] { Form1->FormClose(); }); });
    std::atexit(saveAtLostDisplay);

    // Global keys, if the settings hold any, once the window has painted: start-up waits for none.
    runAfterFirstPaint(Form1, [] { installHotkeys(Form1); });

    benchswitch::quitAfterFirstPaintIfAsked(Form1);
    Form1->show();
    QApplication::exec();
    destroyForms();
    return 0;
}
