// The glass button's model and its reactions to pointer, keyboard and groups, driven with real events.

#include "widgets/glassbutton.h"

#include <functional>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

namespace {

/** Counts paint events, to tell a repaint from none. */
class CountingButton : public TCustomGlassButton
{
public:
    using TCustomGlassButton::TCustomGlassButton;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        TCustomGlassButton::paintEvent(event);
    }
};

/** Shows whether the un-hot timer is running. */
class TimedButton : public CountingButton
{
public:
    using CountingButton::CountingButton;
    bool unHotTimerRunning() const { return FUnHotTimer->isActive(); }
};

using Setter = std::function<void(TCustomGlassButton&)>;

/** Lets pending updates be painted, without waiting on a clock. */
void flushPaints()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

/** A shown window holding glass buttons, so that real mouse and key events reach them. */
struct Window
{
    QWidget top;

    Window() { top.resize(300, 120); }

    TGlassButton* add(int x, int y = 10)
    {
        auto* b = new TGlassButton(&top);
        b->setGeometry(x, y, 60, 40);
        b->setCaption(QStringLiteral("Go"));
        return b;
    }

    bool show()
    {
        top.show();
        return QTest::qWaitForWindowExposed(&top);
    }
};

/** Puts the pointer where the event goes, as a real mouse would be. */
void pointAt(QWidget* w, QPoint p)
{
    QCursor::setPos(w->mapToGlobal(p));
}

void press(QWidget* w, QPoint p)
{
    pointAt(w, p);
    QTest::mousePress(w, Qt::LeftButton, {}, p);
}

void release(QWidget* w, QPoint p)
{
    pointAt(w, p);
    QTest::mouseRelease(w, Qt::LeftButton, {}, p);
}

void click(QWidget* w, QPoint p = QPoint(10, 10))
{
    press(w, p);
    release(w, p);
}

} // namespace

Q_DECLARE_METATYPE(Setter)

class GlassButtonTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void repaintOnlyOnChange_data();
    void repaintOnlyOnChange();
    void cornerRadiusNegativeIgnored();
    void version();
    void plainButtonNeverDown();
    void dragOffGivesNoClick();
    void clickRaisesEnterAgain();
    void fastClicks_data();
    void fastClicks();
    void group();
    void checkStyleToggles_data();
    void checkStyleToggles();
    void bottomEdgeRow_data();
    void bottomEdgeRow();
    void keyboard_data();
    void keyboard();
    void noTabStopTakesNoFocus();
    void accelerator();
    void enabledAgainAfterDisabled();
    void doubleClick_data();
    void doubleClick();
    void typedAccelerator_data();
    void typedAccelerator();
    void keyPressHandlerMayDropTheSpace();
    void actionLink();
    void unHot_data();
    void unHot();
};

void GlassButtonTest::initTestCase()
{
    // The style and the font substitutions the program itself installs at start-up.
    QApplication::setStyle(QStringLiteral("Fusion"));
    QFont::insertSubstitutions(QStringLiteral("Meiryo UI"),
                               { QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Noto Sans CJK JP") });
    QFont::insertSubstitutions(
        QStringLiteral("Tahoma"),
        { QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK JP") });
}

void GlassButtonTest::repaintOnlyOnChange_data()
{
    QTest::addColumn<Setter>("setter");
    QTest::addColumn<bool>("repaints");
    QTest::newRow("BackColor, same value") << Setter([](auto& b) { b.setBackColor(b.backColor()); }) << false;
    QTest::newRow("BackColor, new value") << Setter([](auto& b) { b.setBackColor(0x123456); }) << true;
    QTest::newRow("InnerBorderColor, same value")
        << Setter([](auto& b) { b.setInnerBorderColor(b.innerBorderColor()); }) << false;
    QTest::newRow("ForeColor, new value (drawn nowhere, repaints all the same)")
        << Setter([](auto& b) { b.setForeColor(0x000001); }) << true;
    QTest::newRow("CornerRadius -1") << Setter([](auto& b) { b.setCornerRadius(-1); }) << false;
    QTest::newRow("CornerRadius, new value") << Setter([](auto& b) { b.setCornerRadius(9); }) << true;
    QTest::newRow("Caption, same value") << Setter([](auto& b) { b.setCaption(b.caption()); }) << false;
    QTest::newRow("Caption, new value") << Setter([](auto& b) { b.setCaption(QStringLiteral("x")); }) << true;
    QTest::newRow("PictureDown assigned") << Setter([](auto& b) {
        QImage img(4, 4, QImage::Format_ARGB32);
        img.fill(Qt::red);
        b.setPictureDown(img);
    }) << false;
    QTest::newRow("Picture assigned") << Setter([](auto& b) {
        QImage img(4, 4, QImage::Format_ARGB32);
        img.fill(Qt::red);
        b.setPicture(img);
    }) << true;
    QTest::newRow("GroupIndex") << Setter([](auto& b) { b.setGroupIndex(3); }) << false;
    QTest::newRow("Enabled") << Setter([](auto& b) { b.setEnabled(false); }) << true;
    QTest::newRow("Font bold") << Setter([](auto& b) { b.setFontBold(true); }) << true;
}

void GlassButtonTest::repaintOnlyOnChange()
{
    QFETCH(Setter, setter);
    QFETCH(bool, repaints);
    QWidget top;
    top.resize(100, 60);
    auto* b = new CountingButton(&top);
    b->setGeometry(10, 10, 60, 40);
    b->setCaption(QStringLiteral("Go"));
    top.show();
    QVERIFY(QTest::qWaitForWindowExposed(&top));
    flushPaints();
    b->paints = 0;
    setter(*b);
    flushPaints();
    QCOMPARE(b->paints > 0, repaints);
}

void GlassButtonTest::cornerRadiusNegativeIgnored()
{
    TGlassButton b;
    b.setCornerRadius(7);
    b.setCornerRadius(-1);
    QCOMPARE(b.cornerRadius(), 7);
    b.setCornerRadius(100); // larger than half the height: kept as it is
    QCOMPARE(b.cornerRadius(), 100);
}

void GlassButtonTest::version()
{
    TGlassButton b;
    b.setVersion(QStringLiteral("9.9.9.9"));
    QCOMPARE(b.version(), QStringLiteral("1.3.0.2"));
    QCOMPARE(b.GetVersionNr(), quint32(16973826));
}

void GlassButtonTest::plainButtonNeverDown()
{
    TGlassButton b;
    b.setDown(true);
    QVERIFY(!b.down());
    b.setStyle(tasCheck);
    b.setDown(true);
    QVERIFY(b.down());
}

void GlassButtonTest::dragOffGivesNoClick()
{
    Window w;
    TGlassButton* b = w.add(10);
    QVERIFY(w.show());
    QSignalSpy clicked(b, &TGlassButton::clicked);
    QSignalSpy left(b, &TGlassButton::mouseLeft);
    press(b, QPoint(10, 10));
    QTest::mouseMove(b, QPoint(150, 10));
    QVERIFY(b->isMouseDownInControl()); // the glow stays while the button is held, also off it
    const int leftBefore = int(left.count());
    release(b, QPoint(150, 10));
    QVERIFY(!b->isMouseDownInControl());
    QCOMPARE(clicked.count(), 0);
    QVERIFY(left.count() > leftBefore); // the tracking update after the release
    QVERIFY(!b->isMouseInControl());
}

void GlassButtonTest::clickRaisesEnterAgain()
{
    Window w;
    TGlassButton* b = w.add(10);
    QVERIFY(w.show());
    pointAt(b, QPoint(10, 10));
    QTest::mouseMove(b, QPoint(10, 10));
    QSignalSpy clicked(b, &TGlassButton::clicked);
    QSignalSpy entered(b, &TGlassButton::mouseEntered);
    press(b, QPoint(10, 10));
    QCOMPARE(entered.count(), 0);
    release(b, QPoint(10, 10));
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(entered.count(), 1);
    QVERIFY(b->isMouseInControl());
}

void GlassButtonTest::fastClicks_data()
{
    // Qt turns the second press of a fast double click into a press followed by a double-click
    // event; synthetic input may send the double-click event alone.
    QTest::addColumn<bool>("pressBeforeDoubleClick");
    QTest::newRow("press, then double-click event") << true;
    QTest::newRow("double-click event alone") << false;
}

void GlassButtonTest::fastClicks()
{
    QFETCH(bool, pressBeforeDoubleClick);
    Window w;
    TGlassButton* b = w.add(10);
    QVERIFY(w.show());
    QSignalSpy clicked(b, &TGlassButton::clicked);
    const QPoint p(10, 10);
    click(b, p);
    if (pressBeforeDoubleClick)
        press(b, p);
    QTest::mouseDClick(b, Qt::LeftButton, {}, p);
    QVERIFY(b->isMouseDownInControl());
    release(b, p);
    QCOMPARE(clicked.count(), 2);
}

void GlassButtonTest::group()
{
    Window w;
    TGlassButton* b1 = w.add(10);
    TGlassButton* b2 = w.add(80);
    TGlassButton* b3 = w.add(150);
    for (TGlassButton* b : { b1, b2, b3 })
        b->setGroupIndex(1);
    QVERIFY(w.show());

    click(b1);
    QVERIFY(b1->down());
    click(b2);
    QVERIFY(b2->down());
    QVERIFY(!b1->down());
    QCOMPARE(b1->state(), absUp);
    QVERIFY(!b3->down());
    // A down button of a group cannot be raised by clicking it again...
    click(b2);
    QVERIFY(b2->down());
    // ...unless all may be up; the setting spreads through the group.
    b3->setAllowAllUp(true);
    QVERIFY(b2->allowAllUp());
    click(b2);
    QVERIFY(!b2->down());
}

void GlassButtonTest::checkStyleToggles_data()
{
    QTest::addColumn<QPoint>("releaseAt");
    QTest::addColumn<int>("clicks");
    QTest::newRow("release inside") << QPoint(10, 10) << 1;
    QTest::newRow("release outside") << QPoint(150, 10) << 0;
}

void GlassButtonTest::checkStyleToggles()
{
    QFETCH(QPoint, releaseAt);
    QFETCH(int, clicks);
    Window w;
    TGlassButton* b = w.add(10);
    b->setStyle(tasCheck);
    QVERIFY(w.show());
    QSignalSpy clicked(b, &TGlassButton::clicked);
    press(b, QPoint(10, 10));
    release(b, releaseAt);
    QVERIFY(b->down());
    press(b, QPoint(10, 10));
    release(b, releaseAt);
    QVERIFY(!b->down());
    QCOMPARE(clicked.count(), 2 * clicks);
}

void GlassButtonTest::bottomEdgeRow_data()
{
    QTest::addColumn<int>("y");
    QTest::addColumn<bool>("down");
    QTest::addColumn<int>("clicks");
    QTest::newRow("last row inside") << 39 << true << 1;
    QTest::newRow("row y = height") << 40 << true << 0;
    QTest::newRow("row below") << 41 << false << 0;
}

void GlassButtonTest::bottomEdgeRow()
{
    QFETCH(int, y);
    QFETCH(bool, down);
    QFETCH(int, clicks);
    Window w;
    TGlassButton* b = w.add(10);
    b->setGroupIndex(2);
    QVERIFY(w.show());
    QSignalSpy clicked(b, &TGlassButton::clicked);
    press(b, QPoint(10, 10));
    release(b, QPoint(10, y));
    QCOMPARE(b->down(), down);
    QCOMPARE(clicked.count(), clicks);
}

void GlassButtonTest::keyboard_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("clicks");
    QTest::newRow("Enter") << int(Qt::Key_Return) << int(Qt::NoModifier) << 1;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << 1;
    QTest::newRow("space") << int(Qt::Key_Space) << int(Qt::NoModifier) << 1;
    QTest::newRow("Shift+Enter") << int(Qt::Key_Return) << int(Qt::ShiftModifier) << 0;
    QTest::newRow("Ctrl+Enter") << int(Qt::Key_Return) << int(Qt::ControlModifier) << 0;
    QTest::newRow("a letter") << int(Qt::Key_A) << int(Qt::NoModifier) << 0;
}

void GlassButtonTest::keyboard()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, clicks);
    Window w;
    TGlassButton* other = w.add(10);
    other->setTabStop(false);
    TGlassButton* copy = w.add(80);
    copy->setTabStop(true);
    QVERIFY(w.show());
    click(copy); // a tab-stop button takes the focus when clicked
    QVERIFY(copy->hasFocus());
    QVERIFY(copy->isActive());
    QSignalSpy clicked(copy, &TGlassButton::clicked);
    QTest::keyClick(copy, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(clicked.count(), clicks);
}

void GlassButtonTest::noTabStopTakesNoFocus()
{
    Window w;
    TGlassButton* b = w.add(10);
    b->setTabStop(false);
    TGlassButton* focused = w.add(80);
    QVERIFY(w.show());
    focused->setFocus();
    QSignalSpy clicked(b, &TGlassButton::clicked);
    click(b);
    QCOMPARE(clicked.count(), 1);
    QVERIFY(!b->hasFocus());
    QVERIFY(focused->hasFocus());
}

void GlassButtonTest::accelerator()
{
    Window w;
    TGlassButton* b = w.add(10);
    b->setTabStop(false);
    b->setCaption(QStringLiteral("&Go"));
    TGlassButton* plain = w.add(80);
    plain->setCaption(QStringLiteral("Stop && go"));
    QVERIFY(w.show());
    QApplication::setActiveWindow(&w.top);
    QSignalSpy clicked(b, &TGlassButton::clicked);
    QSignalSpy plainClicked(plain, &TGlassButton::clicked);
    QTest::keyClick(&w.top, Qt::Key_G, Qt::AltModifier);
    QCOMPARE(clicked.count(), 1);
    QTest::keyClick(&w.top, Qt::Key_S, Qt::AltModifier);
    QCOMPARE(plainClicked.count(), 0);
}

void GlassButtonTest::enabledAgainAfterDisabled()
{
    Window w;
    TGlassButton* b = w.add(10);
    b->setGroupIndex(1);
    QVERIFY(w.show());
    click(b);
    QCOMPARE(b->state(), absExclusive);
    b->setEnabled(false);
    flushPaints();
    QCOMPARE(b->state(), absDisabled);
    b->setEnabled(true);
    flushPaints();
    QCOMPARE(b->state(), absExclusive); // down in a group
}

void GlassButtonTest::doubleClick_data()
{
    QTest::addColumn<bool>("handler");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<int>("doubleClicks");
    QTest::newRow("no double-click handler: two clicks") << false << 2 << 0;
    QTest::newRow("with a handler: one click and the double click") << true << 1 << 1;
}

void GlassButtonTest::doubleClick()
{
    QFETCH(bool, handler);
    QFETCH(int, clicks);
    QFETCH(int, doubleClicks);
    Window w;
    TGlassButton* b = w.add(10);
    QVERIFY(w.show());
    QSignalSpy clicked(b, &TGlassButton::clicked);
    QSignalSpy downs(b, &TGlassButton::mouseDown);
    int doubles = 0;
    if (handler)
        connect(b, &TGlassButton::doubleClicked, b, [&] { ++doubles; });
    const QPoint p(10, 10);
    click(b, p);
    press(b, p); // Qt's second press of a fast double click, then the double-click event
    QTest::mouseDClick(b, Qt::LeftButton, {}, p);
    release(b, p);
    QCOMPARE(clicked.count(), clicks);
    QCOMPARE(doubles, doubleClicks);
    QCOMPARE(downs.count(), 2);
    QCOMPARE(b->state(), absUp);
    QTest::mousePress(b, Qt::RightButton, {}, p); // any button reaches mouseDown
    QCOMPARE(downs.count(), 3);
    QCOMPARE(downs.last().at(0).value<Qt::MouseButton>(), Qt::RightButton);
}

void GlassButtonTest::typedAccelerator_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("fieldFocused"); // an edit field takes typed characters itself
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("clicks");
    // clang-format off
    QTest::newRow("marked letter")             << "&Go"        << int(Qt::Key_G) << "g" << false << true  << 1;
    QTest::newRow("upper case too")            << "&Go"        << int(Qt::Key_G) << "G" << false << true  << 1;
    QTest::newRow("another letter")            << "&Go"        << int(Qt::Key_O) << "o" << false << true  << 0;
    QTest::newRow("&& is no mark")             << "Stop && go" << int(Qt::Key_G) << "g" << false << true  << 0;
    QTest::newRow("the last mark counts")      << "&a &b"      << int(Qt::Key_B) << "b" << false << true  << 1;
    QTest::newRow("taken by the edit field")   << "&Go"        << int(Qt::Key_G) << "g" << true  << true  << 0;
    QTest::newRow("disabled")                  << "&Go"        << int(Qt::Key_G) << "g" << false << false << 0;
    // clang-format on
}

void GlassButtonTest::typedAccelerator()
{
    QFETCH(QString, caption);
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(bool, fieldFocused);
    QFETCH(bool, enabled);
    QFETCH(int, clicks);
    Window w;
    TGlassButton* b = w.add(10);
    b->setTabStop(false);
    b->setCaption(caption);
    b->setEnabled(enabled);
    TGlassButton* focused = w.add(80); // a focused button offers the characters it does not use
    auto* field = new QLineEdit(&w.top);
    field->setGeometry(150, 10, 80, 20);
    QVERIFY(w.show());
    QApplication::setActiveWindow(&w.top);
    if (fieldFocused)
        field->setFocus();
    else
        focused->setFocus();
    QSignalSpy clicked(b, &TGlassButton::clicked);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key),
                    text == text.toUpper() ? Qt::ShiftModifier : Qt::NoModifier);
    QCOMPARE(clicked.count(), clicks);
    QCOMPARE(field->text().isEmpty(), !fieldFocused);
}

void GlassButtonTest::keyPressHandlerMayDropTheSpace()
{
    Window w;
    TGlassButton* b = w.add(10);
    QVERIFY(w.show());
    QApplication::setActiveWindow(&w.top);
    b->setFocus();
    QSignalSpy clicked(b, &TGlassButton::clicked);
    QString seen;
    connect(b, &TGlassButton::keyPressed, b, [&](QChar* key) {
        seen += *key;
        if (*key == u' ')
            *key = QChar();
    });
    QTest::keyClicks(b, QStringLiteral("x "));
    QCOMPARE(seen, QStringLiteral("x "));
    QCOMPARE(clicked.count(), 0);
}

void GlassButtonTest::actionLink()
{
    Window w;
    TGlassButton* b1 = w.add(10);
    TGlassButton* b2 = w.add(80);
    b2->setGroupIndex(4);
    QAction action(QStringLiteral("&Run"));
    action.setEnabled(false);
    action.setCheckable(true);
    action.setProperty("GroupIndex", 4);
    b1->setAction(&action);
    QVERIFY(w.show());

    // Action to button: caption, enabled, group index, checked as Down.
    QCOMPARE(b1->caption(), QStringLiteral("&Run"));
    QVERIFY(!b1->isEnabled());
    QCOMPARE(b1->groupIndex(), 4);
    action.setText(QStringLiteral("Walk"));
    action.setEnabled(true);
    QCOMPARE(b1->caption(), QStringLiteral("Walk"));
    QVERIFY(b1->isEnabled());
    action.setChecked(true);
    QVERIFY(b1->down());
    action.setProperty("GroupIndex", 5);
    QCOMPARE(b1->groupIndex(), 5);
    action.setProperty("GroupIndex", 4);

    // Button to action: the group pops the button up and unchecks the action; a click runs it.
    click(b2);
    QVERIFY(b2->down());
    QVERIFY(!b1->down());
    QVERIFY(!action.isChecked());
    QSignalSpy triggered(&action, &QAction::triggered);
    click(b1);
    QCOMPARE(triggered.count(), 1);
    QVERIFY(action.isChecked());
    QVERIFY(b1->down());
    QVERIFY(!b2->down());

    // A click receiver of its own wins over the action.
    QSignalSpy clicked(b1, &TGlassButton::clicked);
    click(b1);
    QCOMPARE(triggered.count(), 1);
    QCOMPARE(clicked.count(), 1);
    b1->setAction(nullptr);
    action.setText(QStringLiteral("Gone"));
    QCOMPARE(b1->caption(), QStringLiteral("Walk"));
}

using PointerStep = std::function<void(QWidget* top, TCustomGlassButton* button, QWidget* other)>;
Q_DECLARE_METATYPE(PointerStep)

void GlassButtonTest::unHot_data()
{
    // Each step reaches the button without a leave event of its own.
    QTest::addColumn<PointerStep>("step");
    QTest::addColumn<bool>("hot");
    auto moveTo = [](QWidget* target, QPoint p) {
        QMouseEvent move(QEvent::MouseMove, p, target->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
    };
    QTest::newRow("pointer on another control")
        << PointerStep([=](QWidget*, auto*, QWidget* other) { moveTo(other, QPoint(5, 5)); }) << false;
    QTest::newRow("pointer still on the button")
        << PointerStep([=](QWidget*, auto* b, QWidget*) { moveTo(b, QPoint(20, 20)); }) << true;
    QTest::newRow("pointer on the right edge column")
        << PointerStep([=](QWidget*, auto* b, QWidget*) { moveTo(b, QPoint(b->width(), 20)); }) << false;
    QTest::newRow("button moved from under the pointer")
        << PointerStep([](QWidget*, auto* b, QWidget*) { b->move(b->x() + 100, b->y()); }) << false;
}

void GlassButtonTest::unHot()
{
    QFETCH(PointerStep, step);
    QFETCH(bool, hot);
    Window w;
    auto* b = new TimedButton(&w.top);
    b->setGeometry(10, 10, 60, 40);
    TGlassButton* other = w.add(200);
    QVERIFY(w.show());
    pointAt(b, QPoint(10, 10));
    QVERIFY(b->isMouseInControl());
    // A resting pointer costs no timer ticks.
    QTRY_VERIFY(!b->unHotTimerRunning());
    QVERIFY(b->isMouseInControl());

    const int paints = b->paints;
    step(&w.top, b, other);
    QTRY_VERIFY(!b->unHotTimerRunning());
    QCOMPARE(b->isMouseInControl(), hot);
    flushPaints();
    QCOMPARE(b->paints > paints, !hot); // going un-hot repaints
}

QTEST_MAIN(GlassButtonTest)
#include "tst_glassbutton.moc"
