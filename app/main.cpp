#include "application.h"
#include "commandline.h"
#include "globals.h"
#include "mainform.h"
#include "platform.h"
#include "sessionplatform.h"

#include <cstdio>

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

    PellimoApplication app(argc, argv);
    Q_INIT_RESOURCE(resources);
    QApplication::setApplicationName(QStringLiteral("Pellimo"));
    installFontSubstitutions();
    // One look on every desktop: the layouts' pixel positions (such as "Always" over the check
    // box text "on Top") are made for this style's metrics, and the tests pin it too.
    QApplication::setStyle(QStringLiteral("Fusion"));

    createForms();
    Form1->show();
    QApplication::exec();
    destroyForms();
    return 0;
}
