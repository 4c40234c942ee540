// The main window's shell side: closing with the settings write, the stay-on-top band,
// foreground activation and the settings dialog.
#include "core/boardtables.h"
#include "forms/errorhandler.h"
#include "forms/mainform.h"
#include "forms/settingsfile.h"
#include "platform/platform.h"
#include "widgets/glassbutton.h"
#include "widgets/overlayimage.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLineEdit>

void TForm1::FormClose()
{
    std::optional<QPoint> form2Pos;
    if (m_dialogs.selectionPosition)
        form2Pos = m_dialogs.selectionPosition();
    if (!form2Pos)
        form2Pos = placement::centredDefault(QSize(304, 232));
    settingsfile::writeClose(placement::screenPosition(this), nameToSave(), *form2Pos, m_board.stayOnTop(),
                             m_board.display());
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
    if (m_board.stayOnTop())
        Platform::instance().forceForeground(this);
}

void TForm1::btn01MouseEnter()
{
    ExecblChCursorTop();
}

void TForm1::ExecblChCursorTop()
{
    if (m_board.stayOnTop())
        Platform::instance().forceForeground(this);
}

void TForm1::chTopmostClick()
{
    m_board.setStayOnTop(chTopmost->isChecked());
    setStayOnTop(chTopmost->isChecked());
}

void TForm1::setStayOnTop(bool on)
{
    Platform::instance().setStayOnTop(this, on);
}

void TForm1::restoreTopmost()
{
    chTopmost->setChecked(m_board.stayOnTop());
    setStayOnTop(m_board.stayOnTop());
}

void TForm1::btnSettingClick()
{
    m_displayConfirmed = false;
    setStayOnTop(false);
    if (m_dialogs.editSettings)
        m_dialogs.editSettings();
    restoreTopmost();
    if (!m_displayConfirmed)
        return;
    // The selection dialog has marked its options anew on the board's notice.
    loadMapPicture();
    Campus2Clear();
    Check1RedLine();
    btnReText();
    settingsfile::writeDisplay(m_board.display());
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
