#pragma once

#include "core/tcolor.h"
#include "widgets/glassaccessible.h"
#include "widgets/glassbuttonactionlink.h"
#include "widgets/glassenums.h"
#include "widgets/shortcuthintwindow.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

class QAction;
class QPainter;
class QTimer;

/** Hint information a button carries for others; the button itself never reads it. */
struct TGlassHintInfo
{
    QString title;
    QString notes;
    bool operator==(const TGlassHintInfo&) const = default;
};

/**
 * The self-drawn translucent push button. All state, painting and behaviour live here;
 * `TGlassButton` only makes it the concrete class the windows use.
 *
 * Colours are TColor values (0x00BBGGRR). The font's face, size and style come from
 * QWidget::font(); its colour is `fontColor`, as QFont carries none. The accessibility factory
 * finds a button by casting to GlassAccessibleButton, so that base is public.
 */
class TCustomGlassButton : public QWidget, public GlassAccessibleButton, private GlassActionClient
{
    Q_OBJECT

public:
    explicit TCustomGlassButton(QWidget* parent = nullptr);
    ~TCustomGlassButton() override;

    static constexpr quint32 VersionNr = 0x01030002;
    /** GetVersionNr() as four dot-separated bytes, most significant first ("1.3.0.2"). */
    QString version() const;
    /** The version is read-only; writing it is ignored. */
    void setVersion(const QString&) { }
    virtual quint32 GetVersionNr() const { return VersionNr; }

    QString caption() const { return m_caption; }
    void setCaption(const QString& caption);

    TColor fontColor() const { return m_fontColor; }
    void setFontColor(TColor color);
    /** Bold on or off, keeping face and size (the windows only ever set bold or plain). */
    void setFontBold(bool bold);
    /** Size in points at 96 dpi (stored as whole pixels), keeping face and style. */
    void setFontPointSize(int points);

    TColor backColor() const { return m_backColor; }
    void setBackColor(TColor color);
    TColor foreColor() const { return m_foreColor; }
    void setForeColor(TColor color);
    TColor glowColor() const { return m_glowColor; }
    void setGlowColor(TColor color);
    TColor shineColor() const { return m_shineColor; }
    void setShineColor(TColor color);
    TColor innerBorderColor() const { return m_innerBorderColor; }
    void setInnerBorderColor(TColor color);
    TColor outerBorderColor() const { return m_outerBorderColor; }
    void setOuterBorderColor(TColor color);
    /** Opaque fill under the tint; tcolor::None switches it off. */
    TColor backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(TColor color);

    int cornerRadius() const { return m_cornerRadius; }
    /** A negative radius is ignored; there is no upper bound. */
    void setCornerRadius(int radius);
    TButtonShape buttonShape() const { return m_buttonShape; }
    void setButtonShape(TButtonShape shape);
    TButtonDirection buttonDirection() const { return m_buttonDirection; }
    void setButtonDirection(TButtonDirection direction);
    bool forceTransparent() const { return m_forceTransparent; }
    void setForceTransparent(bool on);
    TBackGroundSymbol backGroundSymbol() const { return m_backGroundSymbol; }
    void setBackGroundSymbol(TBackGroundSymbol symbol);
    TColor backGroundSymbolColor() const { return m_backGroundSymbolColor; }
    void setBackGroundSymbolColor(TColor color);
    TButtonLayout layout() const { return m_layout; }
    void setLayout(TButtonLayout layout);
    bool showCaption() const { return m_showCaption; }
    void setShowCaption(bool show);
    bool showFocusRect() const { return m_showFocusRect; }
    void setShowFocusRect(bool show);
    TAntiAlias antiAlias() const { return m_antiAlias; }
    void setAntiAlias(TAntiAlias mode);

    const QImage& picture() const { return m_picture; }
    void setPicture(const QImage& image);
    const QImage& pictureDown() const { return m_pictureDown; }
    /** Takes effect at the next paint; assigning does not repaint. */
    void setPictureDown(const QImage& image);
    const QImage& pictureDisabled() const { return m_pictureDisabled; }
    void setPictureDisabled(const QImage& image);

    bool down() const { return FDown; }
    void setDown(bool down);
    int groupIndex() const { return FGroupIndex; }
    void setGroupIndex(int index);
    bool allowAllUp() const { return FAllowAllUp; }
    void setAllowAllUp(bool allow);
    TGlassButtonStyle style() const { return FStyle; }
    void setStyle(TGlassButtonStyle style);

    QString shortCutHint() const { return m_shortCutHint; }
    void setShortCutHint(const QString& hint) { m_shortCutHint = hint; }
    TShortCutHintPos shortCutHintPos() const { return m_shortCutHintPos; }
    void setShortCutHintPos(TShortCutHintPos pos) { m_shortCutHintPos = pos; }
    const TGlassHintInfo& officeHint() const { return m_officeHint; }
    void setOfficeHint(const TGlassHintInfo& info) { m_officeHint = info; }

    /** Whether the button is a keyboard tab stop (the default, as for every control). */
    bool tabStop() const { return m_tabStop; }
    void setTabStop(bool on);

    /** Shows the shortcut hint pop-up beside the button (only when the button has a parent). */
    void showShortCutHint();
    /** Hides and destroys the shortcut hint pop-up, if there is one. */
    void hideShortCutHint();
    /** The hint-show notification: (1, 1) shows, (1, 0) hides; answers 1 for it, else 0. */
    int shortCutHintNotify(int what, int show);
    /** The pop-up while it is shown, else null. */
    QWidget* shortCutHintWindow() const { return FShortCutHint; }

    /** Draws the whole button look (layers, caption, picture) onto a painter of this button's size. */
    virtual void PaintGlass(QPainter& painter);

    /**
     * The assigned action: caption, enabled state, checked state (as Down) and group index
     * follow it, and a click runs it unless clicked() has a receiver of its own. Null removes it.
     */
    QAction* action() const;
    void setAction(QAction* action);

    TGlassButtonState state() const { return FState; }
    bool isMouseInControl() const { return FMouseInControl; }
    bool isMouseDownInControl() const { return FMouseDownInControl; }
    bool isActive() const { return FActive; }

public Q_SLOTS:
    /** Clicks the button as the button-clicked command does. */
    void click() { Click(); }

Q_SIGNALS:
    void clicked();
    void mouseEntered();
    void mouseLeft();
    /** A double click; while this has a receiver, a double click is no second click. */
    void doubleClicked();
    /** Any mouse button pressed on the button, before the button reacts to it. */
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint& pos);
    /** A typed character, before the button reacts to it; a receiver may change `*key` (QChar() drops it). */
    void keyPressed(QChar* key);
    /** Raised to draw the symbol when BackGroundSymbol is bsCustom. */
    void customBackgroundSymbol(QPainter* painter, const QRect& rect);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    virtual void FireCustomBackgroundSymbol(QPainter& painter, const QRect& rect);
    /** Brings FState in line with Enabled, Down and Style before a paint. */
    void syncState();
    /** Whether the glow shows: pressed, held down, or in a down state. */
    bool isPressedLook() const;
    virtual void Click();

    // State fields, in the order the button declares them.
    int FGroupIndex = 0;
    bool FDown = false;
    bool FAllowAllUp = false;
    bool FMouseInControl = false;
    TGlassButtonStyle FStyle = tasButton;
    TGlassButtonState FState = absUp;
    bool FMouseDownInControl = false;
    bool FDragging = false;
    QTimer* FUnHotTimer = nullptr;
    bool FInitialDown = false;
    QPointer<TShortCutHintWindow> FShortCutHint;
    bool FActive = false;

private:
    void setChangedFont(const QFont& font);
    void unHotTick();
    void pointerEntered(const QPointF& globalPos);
    void pointerLeft();
    /** Re-reads which control is under the pointer at `globalPos`: raises mouseEntered or mouseLeft. */
    void trackingUpdate(const QPointF& globalPos);
    void announceGroup();
    void grabAccelerator();
    /** Watches the top-level window for typed characters that no control took (accelerators). */
    void watchWindowKeys();
    bool hasDoubleClickReceiver() const;

    /** TColor to an opaque colour, the window-text stand-in resolved through the palette. */
    QColor toArgb(TColor color) const;
    const QImage& chosenPicture() const;
    bool coveredByLowerGlass() const;
    void redrawParentBackground(QPainter& p);
    void paintOverlappingSiblings(QPainter& p);
    /** Focus outline, caption and picture. */
    void DrawButtonContent(QPainter& p);

    QString m_caption;
    TColor m_fontColor = tcolor::WindowText;
    TColor m_backColor = 0x000000;
    TColor m_foreColor = 0xFFFFFF;
    TColor m_glowColor = 0xFFBD8D;
    TColor m_shineColor = 0xFFFFFF;
    TColor m_innerBorderColor = 0x000000;
    TColor m_outerBorderColor = 0xFFFFFF;
    TColor m_backgroundColor = tcolor::None;
    int m_cornerRadius = 4;
    TButtonShape m_buttonShape = btsRectangle;
    TButtonDirection m_buttonDirection = bdRight;
    bool m_forceTransparent = false;
    TBackGroundSymbol m_backGroundSymbol = bsNone;
    TColor m_backGroundSymbolColor = 0xFFFFFF;
    TButtonLayout m_layout = blGlyphLeft;
    bool m_showCaption = true;
    bool m_showFocusRect = false;
    TAntiAlias m_antiAlias = aaClearType;
    QImage m_picture;
    QImage m_pictureDown;
    QImage m_pictureDisabled;
    QString m_shortCutHint;
    TShortCutHintPos m_shortCutHintPos = shpTop;
    TGlassHintInfo m_officeHint;
    bool m_tabStop = true;
    bool m_pressedHere = false; // a left press started on the button: its release may click
    int m_acceleratorId = 0;
    QPointer<QWidget> m_keyWindow;
    TGlassButtonActionLink* m_actionLink = nullptr;

    // What the action link keeps in step, and what screen readers are told.
    void setActionCaption(const QString& caption) override { setCaption(caption); }
    void setActionEnabled(bool enabled) override { setEnabled(enabled); }
    bool actionDown() const override { return down(); }
    void setActionDown(bool on) override { setDown(on); }
    int actionGroupIndex() const override { return groupIndex(); }
    void setActionGroupIndex(int index) override { setGroupIndex(index); }
    QString accessibleText() const override { return caption(); }
    bool accessiblePressed() const override { return down() || isMouseDownInControl(); }
    bool accessibleCheckable() const override { return style() == tasCheck; }
    bool accessibleChecked() const override { return down(); }
    void accessiblePress() override { click(); }
};

/** The glass button as the windows use it. */
class TGlassButton final : public TCustomGlassButton
{
    Q_OBJECT

public:
    using TCustomGlassButton::TCustomGlassButton;
};
