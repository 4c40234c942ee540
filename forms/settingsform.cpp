#include "forms/settingsform.h"

#include "core/board.h"
#include "forms/errorhandler.h"
#include "forms/layoutfont.h"
#include "forms/settingsfile.h"
#include "platform/platform.h"

#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {

QFont pixelFont(int px, bool bold)
{
    return layout::pixelFont(QStringLiteral("Meiryo UI"), px, bold);
}

QGroupBox* group(QWidget* parent, const QString& title, QRect geometry)
{
    auto* box = new QGroupBox(title, parent);
    box->setGeometry(geometry);
    box->setFont(pixelFont(12, true));
    return box;
}

QLabel* label(QWidget* parent, const QString& text, QRect geometry)
{
    auto* l = new QLabel(text, parent);
    l->setGeometry(geometry);
    l->setFont(pixelFont(12, false));
    return l;
}

QComboBox* list(QWidget* parent, const char* name, QRect geometry, const QString& item0, const QString& item1)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setGeometry(geometry);
    c->setFont(pixelFont(12, false));
    c->addItems({ item0, item1 });
    c->setFocusPolicy(Qt::NoFocus);
    return c;
}

} // namespace

TForm3::TForm3(Board& board, QWidget* mainForm)
    : KeptDialog(mainForm,
                 Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                     | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint
                     | Qt::MSWindowsFixedSizeDialogHint)
    , m_board(board)
    , m_main(mainForm)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Settings"));
    setFixedSize(205, 359);
    setFont(pixelFont(12, false));

    QGroupBox* common = group(this, QStringLiteral("Common"), { 1, 3, 200, 70 });
    label(common, QStringLiteral("Button Background Color"), { 16, 19, 145, 15 });
    cbiSettingsBtnBGColor = list(common, "cbiSettingsBtnBGColor", { 56, 36, 130, 23 }, QStringLiteral("Dark color"),
                                 QStringLiteral("Translucent color"));

    QGroupBox* tree = group(this, QStringLiteral("Tree Selection Screen"), { 1, 79, 200, 118 });
    label(tree, QStringLiteral("Font after selection"), { 16, 27, 113, 15 });
    label(tree, QStringLiteral("Text color"), { 33, 56, 58, 15 });
    label(tree, QStringLiteral("Bold"), { 33, 85, 25, 15 });
    cbiSettingsTreeBtnTxtColor
        = list(tree, "cbiSettingsTreeBtnTxtColor", { 97, 52, 89, 23 }, QStringLiteral("Black"), QStringLiteral("Gray"));
    cbiSettingsTreeBtnTxtBold
        = list(tree, "cbiSettingsTreeBtnTxtBold", { 97, 82, 89, 23 }, QStringLiteral("False"), QStringLiteral("True"));

    QGroupBox* toku = group(this, QStringLiteral("Virtue/Vice Selection Screen"), { 1, 203, 200, 118 });
    label(toku, QStringLiteral("Font after selection"), { 16, 27, 113, 15 });
    label(toku, QStringLiteral("Text color"), { 33, 56, 58, 15 });
    label(toku, QStringLiteral("Bold"), { 33, 85, 25, 15 });
    cbiSettingsTokuBtnTxtColor = list(toku, "cbiSettingsTokuBtnTxtColor", { 97, 52, 89, 23 },
                                      QStringLiteral("Light gray"), QStringLiteral("Dark gray"));
    cbiSettingsTokuBtnTxtBold
        = list(toku, "cbiSettingsTokuBtnTxtBold", { 97, 82, 89, 23 }, QStringLiteral("False"), QStringLiteral("True"));

    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setGeometry(69, 327, 66, 25);
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setGeometry(136, 327, 66, 25);
    for (QPushButton* b : { btnCancel, btnOK }) {
        b->setAutoDefault(false);
        b->setDefault(false);
        b->setFocusPolicy(Qt::NoFocus);
    }
    connect(btnOK, &QPushButton::clicked, this, &TForm3::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &TForm3::btnCancelClick);
}

void TForm3::showEvent(QShowEvent* event)
{
    runGuarded([this] { FormShow(); });
    if (!m_placed && m_main) {
        // The first show in a run centres the dialog over the main window by both outer sizes, on
        // the main window's screen; later shows keep wherever the user left it.
        m_placed = true;
        const QRect mainOuter = placement::outerGeometry(m_main);
        const QPoint first
            = firstPosition(mainOuter, placement::outerGeometry(this).size(), placement::workAreaOf(mainOuter));
        placement::applyPosition(this, placement::reachablePosition(this, first));
    }
    QDialog::showEvent(event);
}

QPoint TForm3::firstPosition(QRect mainOuter, QSize outerSize, QRect workArea)
{
    QPoint pos(mainOuter.left() + (mainOuter.width() - outerSize.width()) / 2,
               mainOuter.top() + (mainOuter.height() - outerSize.height()) / 2);
    // Moved right or down only: never left of or above the desktop.
    pos.setX(std::max(pos.x(), workArea.left()));
    pos.setY(std::max(pos.y(), workArea.top()));
    return pos;
}

void TForm3::keyPressEvent(QKeyEvent* event)
{
    // Neither button is a default or cancel button: Enter and Esc press nothing, and Esc does
    // not close the dialog either.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void TForm3::FormShow()
{
    const DisplaySettings& d = m_board.display();
    // A value that is no index of its list leaves the list with no selected item.
    auto select = [](QComboBox* c, int value) {
        c->setCurrentIndex(value >= 0 && value < c->count() ? value : -1);
    };
    select(cbiSettingsBtnBGColor, d.btnBGColor);
    select(cbiSettingsTreeBtnTxtColor, d.treeBtnTxtColor);
    select(cbiSettingsTreeBtnTxtBold, d.treeBtnTxtBold);
    select(cbiSettingsTokuBtnTxtColor, d.tokuBtnTxtColor);
    select(cbiSettingsTokuBtnTxtBold, d.tokuBtnTxtBold);
}

void TForm3::btnOKClick()
{
    m_board.setDisplay({ cbiSettingsBtnBGColor->currentIndex(), cbiSettingsTreeBtnTxtColor->currentIndex(),
                         cbiSettingsTreeBtnTxtBold->currentIndex(), cbiSettingsTokuBtnTxtColor->currentIndex(),
                         cbiSettingsTokuBtnTxtBold->currentIndex() });
    close();
}

void TForm3::btnCancelClick()
{
    close();
}
