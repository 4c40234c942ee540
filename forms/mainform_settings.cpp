// The main window's shell side: closing with the settings write, the stay-on-top band,
// foreground activation and the settings dialog.
#include "boardtables.h"
#include "errorhandler.h"
#include "glassbutton.h"
#include "globals.h"
#include "mainform.h"
#include "platform.h"
#include "selectionform.h"
#include "settingsfile.h"
#include "settingsform.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLineEdit>

void TForm1::FormClose()
{
    const QPoint form2Pos = Form2 ? Form2->position() : settingsfile::centredDefault(QSize(304, 232));
    settingsfile::writeClose(*this, form2Pos);
}

QString TForm1::nameToSave() const
{
    return edtNAME->isModified() ? edtNAME->text() : m_storedName;
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // A failed save is reported, and the window closes all the same.
    if (!m_closing) {
        m_closing = true;
        runGuarded([this] { FormClose(); });
    }
    event->accept();
}

void TForm1::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        runGuarded([this] { FormActivate(); });
    QWidget::changeEvent(event);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Enter && (watched == edtNAME || watched == chTopmost))
        btn01MouseEnter();
    return QWidget::eventFilter(watched, event);
}

void TForm1::FormActivate()
{
    if (chTopmost->isChecked())
        Platform::instance().forceForeground(this);
}

void TForm1::btn01MouseEnter()
{
    ExecblChCursorTop();
}

void TForm1::ExecblChCursorTop()
{
    if (blChTopmost != 0)
        Platform::instance().forceForeground(this);
}

void TForm1::chTopmostClick()
{
    blChTopmost = chTopmost->isChecked() ? -1 : 0;
    setStayOnTop(chTopmost->isChecked());
}

void TForm1::setStayOnTop(bool on)
{
    Platform::instance().setStayOnTop(this, on);
}

void TForm1::restoreTopmost()
{
    chTopmost->setChecked(blChTopmost != 0);
    setStayOnTop(blChTopmost != 0);
}

void TForm1::btnSettingClick()
{
    iSettings = 0;
    setStayOnTop(false);
    if (TForm3* dialog = settingsDialog())
        dialog->exec();
    restoreTopmost();
    if (iSettings != 1)
        return;
    loadMapPicture();
    excBtnClearForm2_Sub();
    Campus2Clear();
    if (Form2) {
        Form2->Check2Red();
        Form2->Check1RedLine();
    }
    btnReText();
    settingsfile::writeDisplay(*this);
}

void TForm1::btnReText()
{
    // Setting each caption away and back repaints the buttons with their current colours.
    auto retext = [](TGlassButton* b) {
        const QString caption = b->caption();
        b->setCaption(QString());
        b->setCaption(caption);
    };
    for (int t = 1; t <= board::TreeCount; ++t)
        retext(treeButton(t));
    retext(btnBtnClear);
    retext(btnSetting);
}
