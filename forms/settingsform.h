#pragma once

#include "keptdialog.h"

class QComboBox;
class QPushButton;
class TForm1;

/** The settings dialog: five display choices, edited on the main window's fields. */
class TForm3 final : public KeptDialog
{
    Q_OBJECT

public:
    /** A child of `mainForm`, whose display choices it edits. */
    explicit TForm3(TForm1* mainForm);

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
    TForm1* m_main;
    bool m_placed = false;
};
