// The main window's shell side: closing with the settings write, the stay-on-top band,
// foreground activation and the settings dialog.
#include "boardtables.h"
#include "errorhandler.h"
#include "glassbutton.h"
#include "mainform.h"
#include "overlayimage.h"
#include "platform.h"
#include "settingsfile.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QEnterEvent>
#include <QLineEdit>

void TForm1::FormClose()
{
    std::optional<QPoint> form2Pos;
    if (m_dialogs.selectionPosition)
        form2Pos = m_dialogs.selectionPosition();
    if (!form2Pos)
        form2Pos = settingsfile::centredDefault(QSize(304, 232));
    settingsfile::writeClose(pos(), nameToSave(), *form2Pos, m_board.stayOnTop());
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

void TForm1::enterEvent(QEnterEvent* event)
{
    pointerOver(childAt(event->position().toPoint()));
    QWidget::enterEvent(event);
}

void TForm1::mouseMoveEvent(QMouseEvent* event)
{
    // Moves over the window's own background, and over the children that do not track the
    // pointer (the labels), arrive here.
    pointerOver(childAt(event->position().toPoint()));
    QWidget::mouseMoveEvent(event);
}

void TForm1::leaveEvent(QEvent* event)
{
    m_pointerOnBackground = false;
    QWidget::leaveEvent(event);
}

void TForm1::pointerOver(const QWidget* child)
{
    // The window's own mouse-enter is for its bare background only: entering a label does not
    // count, coming back from any child onto the background does.
    const bool background = child == nullptr;
    if (background && !m_pointerOnBackground) {
        m_pointerOnBackground = true;
        btn01MouseEnter();
    } else if (!background) {
        m_pointerOnBackground = false;
    }
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Enter && watched != this) {
        m_pointerOnBackground = false;
        if (watched == edtNAME || watched == chTopmost)
            btn01MouseEnter();
    }
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
