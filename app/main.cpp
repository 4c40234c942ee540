#include "application.h"
#include "globals.h"
#include "mainform.h"
#include "platform.h"

int main(int argc, char** argv)
{
    // A second instance hands over to the running one and ends before any window or
    // settings access exists.
    Platform& platform = Platform::instance();
    if (platform.anotherInstanceRunning()) {
        platform.activateRunningInstance();
        return 0;
    }

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
