#pragma once

#include "core/board.h"
#include "core/tcolor.h"
#include "forms/keptdialog.h"
#include "forms/settingsfile.h"

#include <array>
#include <optional>

class TGlassButton;

/**
 * The selection dialog: gives the board's tree being chosen for one of the sixteen options, or
 * takes its option away. It holds no data of its own; it shows on its option buttons who claims
 * each option.
 */
class TForm2 final : public KeptDialog
{
    Q_OBJECT

public:
    /** Edits `board`; a child of the main window `parent`. */
    TForm2(Board& board, QWidget* parent);

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
    /** Where the dialog's frame is, or will be at its first show, in screen pixels as the settings file keeps it. */
    QPoint position();
    void btnClear();
    void BitBtn01Click(QObject* sender);
    void BitBtn18Click();
    void BitBtn01MouseEnter();

    /** Restyles the sixteen option buttons from who claims each option. */
    void Check2Red();

Q_SIGNALS:
    /** The pointer came onto the dialog or one of its buttons: the main window may come forward. */
    void mouseEntered();

protected:
    void showEvent(QShowEvent* event) override;

private:
    /** Puts the dialog at its position, if not done yet. */
    void place();
    void boardChanged(Board::Change what);
    /** The option index of an option button (17: cancel, 18: close), 0 for any other object. */
    int optionIndexOf(const QObject* button) const;

    Board& m_board;
    // The position read at creation while it is not applied yet.
    std::optional<placement::StoredPosition> m_unplaced;
};
