#pragma once

#include "keptdialog.h"
#include "settingsfile.h"
#include "tcolor.h"

#include <array>
#include <optional>

class TForm1;
class TGlassButton;

/**
 * The selection dialog: gives the tree being edited (the main window's iSel1) one of the
 * sixteen options, or takes its option away. It holds no data of its own; it reads and writes
 * the tables of the main window, and restyles the option buttons and the tree buttons.
 */
class TForm2 final : public KeptDialog
{
    Q_OBJECT

public:
    /** A child of `mainForm`, whose board it edits. */
    explicit TForm2(TForm1* mainForm);

    /** The dialog's own background colour, light cyan. */
    static constexpr TColor Color = 0x00FFFFE0;

    std::array<TGlassButton*, 19> optionButtons {}; // BitBtn01..BitBtn18 at 1..18

    /**
     * Option button k (1..18): BitBtn01..BitBtn18, read from optionButtons by index. k = 0 gives
     * null; any k outside 0..18 throws std::out_of_range.
     */
    TGlassButton* optionButton(int k) const;

    void FormCreate();
    void FormShow();
    /** Where the dialog's frame is, or will be at its first show: what the settings file keeps. */
    QPoint position();
    void btnClear();
    void BitBtn01Click(QObject* sender);
    void BitBtn18Click();
    void BitBtn01MouseEnter();

    void Check2Red();
    void Check1RedLine();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Campus2Line(qint32 a, qint32 b);
    /** Puts the dialog at its position, if not done yet. */
    void place();

    TForm1* m_main;
    // The position read at creation while it is not applied yet.
    std::optional<settingsfile::StoredPosition> m_unplaced;
};
