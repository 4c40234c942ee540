#pragma once

#include "core/board.h"
#include "core/stopwatch.h"
#include "core/tcolor.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <QPoint>
#include <QString>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QTimer;
class ImageBox;
class OverlayImage;
class TGlassButton;

/**
 * The main window: the garden map with its sixteen tree buttons and the stopwatch. It owns the
 * board that the two dialogs edit, and shows the board's trees and pair lines.
 */
class TForm1 final : public QWidget
{
    Q_OBJECT

public:
    /** Builds the widgets of the layout; the creation handler FormCreate runs separately. */
    explicit TForm1(const StopwatchClock* clock = nullptr, QWidget* parent = nullptr);
    ~TForm1() override;

    static const QString Caption;

    // Widgets, in creation (stacking) order.
    ImageBox* Image1 = nullptr;
    OverlayImage* Image2 = nullptr;
    QLabel* lblTIME = nullptr;
    QLabel* Label1 = nullptr;
    std::array<TGlassButton*, 17> treeButtons {}; // btn01..btn16 at 1..16
    TGlassButton* btnBtnClear = nullptr;
    TGlassButton* btnAllClear = nullptr;
    TGlassButton* btnSTA = nullptr;
    TGlassButton* btnEND = nullptr;
    QLineEdit* edtNAME = nullptr;
    TGlassButton* btnCOPY = nullptr;
    TGlassButton* btnSetting = nullptr;
    QCheckBox* chTopmost = nullptr;
    QTimer* Timer1 = nullptr;

    Board& board() { return m_board; }
    const Board& board() const { return m_board; }

    /** What the main window asks of the dialogs, which it does not know; the window factory fills it in. */
    struct Dialogs
    {
        /** Runs the selection dialog modally for the tree being chosen. */
        std::function<void()> chooseOption;
        /** Runs the settings dialog modally. */
        std::function<void()> editSettings;
        /** Where the selection dialog is, as the settings file keeps it; none before it exists. */
        std::function<std::optional<QPoint>()> selectionPosition;
    };
    void setDialogs(Dialogs dialogs) { m_dialogs = std::move(dialogs); }

    /**
     * Tree button t (1..16): btn01..btn16, read from treeButtons by index. t = 0 gives null;
     * any t outside 0..16 throws std::out_of_range.
     */
    TGlassButton* treeButton(int t) const;

    void FormCreate();
    void FormClose();
    /** The name to save: the edit's text, or the one read from the file while the user has not edited it. */
    QString nameToSave() const;
    /** True once the window's close has begun (and with it the close-time save). */
    bool hasClosed() const { return m_closing; }
    void FormActivate();

    void excAllClear();
    void excBtnClearForm1();
    void excBtnEnabled(bool bTmp);
    void excTimerReset();
    void Campus2Clear();
    /** Restyles the sixteen tree buttons from the board, marks conflicts and draws the pair lines again. */
    void Check1RedLine();
    void btnReText();
    void ExecblChCursorTop();

    void btn01Click(QObject* sender);
    void btnAllClearClick();
    void btnBtnClearClick();
    void btnSTAClick();
    void btnENDClick();
    void btnCOPYClick();
    void Timer1Timer();
    void btnSettingClick();
    void chTopmostClick();
    void btn01MouseEnter();

    /** Loads "PngImage_2" for the dark scheme (0), "PngImage_1" otherwise, into Image1. */
    void loadMapPicture();
    /** Sets the stay-on-top style; a request that changes nothing does nothing. */
    void setStayOnTop(bool on);
    /** chTopmost and the stay-on-top style follow the board's stay-on-top choice again, as after a modal dialog. */
    void restoreTopmost();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createWidgets();
    void boardChanged(Board::Change what);
    /** Each tree's caption from what it holds: the option over the label, or the label alone. */
    void showTreeCaptions();
    /** The tree index of a tree button, 0 for any other object. */
    int treeIndexOf(const QObject* button) const;
    TGlassButton* makeButton(const char* name, QRect geometry, int fontPx, bool bold);

    Board m_board;
    Dialogs m_dialogs;
    bool m_displayConfirmed = false; // the settings dialog's OK during its last run
    std::unique_ptr<StopwatchClock> m_ownClock;
    const StopwatchClock* m_clock;
    Stopwatch m_stopwatch;
    bool m_closing = false;
    QString m_storedName; // the name as read from the settings file
};
