#include "globals.h"

#include "errorhandler.h"
#include "mainform.h"
#include "platform.h"
#include "selectionform.h"
#include "settingsform.h"

#include <QEvent>
#include <QTimer>

TForm1* Form1 = nullptr;
TForm2* Form2 = nullptr;
TForm3* Form3 = nullptr;

namespace {

/** Builds the settings dialog after the first paint of the window it watches. */
class BuildAfterFirstPaint final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // Queued, so that the painted pixels reach the screen first.
            QTimer::singleShot(0, this, [this] {
                settingsDialog();
                deleteLater();
            });
        }
        return false;
    }
};

} // namespace

void createForms(const StopwatchClock* clock, SettingsDialogBuild settings)
{
    Platform& platform = Platform::instance();

    Form1 = new TForm1(clock);
    platform.setWindowClass(Form1, QStringLiteral("TForm1"));
    runGuarded([] { Form1->FormCreate(); });

    Form2 = new TForm2(Form1);
    platform.setWindowClass(Form2, QStringLiteral("TForm2"));
    runGuarded([] { Form2->FormCreate(); });

    if (settings == SettingsDialogBuild::AfterFirstPaint)
        Form1->installEventFilter(new BuildAfterFirstPaint(Form1));
    else
        settingsDialog();
}

TForm3* settingsDialog()
{
    if (!Form3 && Form1) {
        Form3 = new TForm3(Form1);
        Platform::instance().setWindowClass(Form3, QStringLiteral("TForm3"));
    }
    return Form3;
}

void destroyForms()
{
    // The dialogs are children of the main window and go with it.
    TForm1* main = Form1;
    Form3 = nullptr;
    Form2 = nullptr;
    Form1 = nullptr;
    delete main;
}
