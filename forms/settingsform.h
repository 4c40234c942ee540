#pragma once

#include <QDialog>

class QComboBox;
class QPushButton;
class TForm1;

/** The settings dialog: five display choices, edited on the main window's fields. */
class TForm3 final : public QDialog
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

protected:
    void showEvent(QShowEvent* event) override;

private:
    TForm1* m_main;
    bool m_placed = false;
};
