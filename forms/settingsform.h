#pragma once

#include "keptdialog.h"

class QComboBox;
class QPushButton;

/** The settings dialog: five display choices, edited on the main window's fields. */
class TForm3 final : public KeptDialog
{
    Q_OBJECT

public:
    explicit TForm3(QWidget* parent = nullptr);

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

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool m_placed = false;
};
