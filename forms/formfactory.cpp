#include "forms/formfactory.h"

#include "forms/errorhandler.h"
#include "forms/mainform.h"
#include "forms/selectionform.h"
#include "forms/settingsform.h"
#include "platform/platform.h"
#include "widgets/afterfirstpaint.h"

TForm1* Form1 = nullptr;
TForm2* Form2 = nullptr;
TForm3* Form3 = nullptr;

void createForms(const StopwatchClock* clock, SettingsDialogBuild settings)
{
    Platform& platform = Platform::instance();

    Form1 = new TForm1(clock);
    platform.setWindowClass(Form1, QStringLiteral("TForm1"));
    // The main window asks for its dialogs through these; it does not know them.
    TForm1::Dialogs dialogs;
    dialogs.chooseOption = [] {
        if (Form2)
            Form2->exec();
    };
    dialogs.editSettings = [] {
        if (TForm3* dialog = settingsDialog())
            dialog->exec();
    };
    dialogs.selectionPosition = []() -> std::optional<QPoint> {
        if (!Form2)
            return std::nullopt;
        return Form2->position();
    };
    Form1->setDialogs(dialogs);
    runGuarded([] { Form1->FormCreate(); });

    Form2 = new TForm2(Form1->board(), Form1);
    platform.setWindowClass(Form2, QStringLiteral("TForm2"));
    QObject::connect(Form2, &TForm2::mouseEntered, Form1, &TForm1::ExecblChCursorTop);
    runGuarded([] { Form2->FormCreate(); });

    if (settings == SettingsDialogBuild::AfterFirstPaint)
        runAfterFirstPaint(Form1, [] { settingsDialog(); });
    else
        settingsDialog();
}

TForm3* settingsDialog()
{
    if (!Form3 && Form1) {
        Form3 = new TForm3(Form1->board(), Form1);
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
