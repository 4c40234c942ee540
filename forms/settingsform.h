#pragma once

#include "forms/keptdialog.h"

class Board;
class QComboBox;
class QPushButton;

/** The settings dialog: the board's five display choices. */
class TForm3 final : public KeptDialog
{
    Q_OBJECT

public:
    /** Edits the display choices of `board`; a child of the main window `mainForm`, over which it first shows. */
    TForm3(Board& board, QWidget* mainForm);

    QComboBox* cbiSettingsBtnBGColor = nullptr;
    QComboBox* cbiSettingsTreeBtnTxtColor = nullptr;
    QComboBox* cbiSettingsTreeBtnTxtBold = nullptr;
    QComboBox* cbiSettingsTokuBtnTxtColor = nullptr;
    QComboBox* cbiSettingsTokuBtnTxtBold = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnOK = nullptr;

    void FormShow();
    void btnOKClick();
    void btnCancelClick();

    /**
     * Where the first show puts the dialog's frame: centred over the main window's outer
     * rectangle by the dialog's outer size, moved right or down onto the work area of the main
     * window's screen.
     */
    static QPoint firstPosition(QRect mainOuter, QSize outerSize, QRect workArea);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    Board& m_board;
    QWidget* m_main;
    bool m_placed = false;
};
