#pragma once

#include "stopwatch.h"
#include "tcolor.h"

#include <array>
#include <memory>
#include <QList>
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
 * The main window: the garden map with its sixteen tree buttons, the stopwatch and the
 * board state that the two dialogs read and write.
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

    // Board state.
    qint32 iSel1 = 0;
    QList<QString> sList1Txt;
    QList<QString> sList1Sel;
    QList<TColor> sList1Col;
    QList<QString> sList2Txt;
    QList<TColor> sList2Col;
    QList<TColor> sList2OCo;
    QList<TColor> sListBCol;
    qint32 iSettings = 0;
    qint32 iSettingsBtnBGColor = 0;
    qint32 iSettingsTreeBtnTxtColor = 0;
    qint32 iSettingsTreeBtnTxtBold = 0;
    qint32 iSettingsTokuBtnTxtColor = 0;
    qint32 iSettingsTokuBtnTxtBold = 0;
    qint32 blChTopmost = -1; // -1 on, 0 off; every test is against 0

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
    void excBtnClearForm2();
    void excBtnClearForm2_Sub();
    void excBtnEnabled(bool bTmp);
    void excTimerReset();
    void Campus2Clear();
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
    /** chTopmost and the stay-on-top style follow blChTopmost again, as after a modal dialog. */
    void restoreTopmost();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createWidgets();
    TGlassButton* makeButton(const char* name, QRect geometry, int fontPx, bool bold);

    std::unique_ptr<StopwatchClock> m_ownClock;
    const StopwatchClock* m_clock;
    Stopwatch m_stopwatch;
    bool m_closing = false;
    QString m_storedName; // the name as read from the settings file
};
