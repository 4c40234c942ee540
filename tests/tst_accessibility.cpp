// What a screen reader learns of the windows: glass buttons as named push buttons with state and
// a press action, and names for the map, the overlay and the name field.

#include "widgets/glassaccessible.h"
#include "widgets/glassbutton.h"
#include "widgets/imagebox.h"
#include "widgets/overlayimage.h"
#include "windowsfixture.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

namespace {

QAccessibleInterface* accessible(QWidget* w)
{
    return QAccessible::queryAccessibleInterface(w);
}

QList<TGlassButton*> glassButtons(QWidget* window)
{
    return window->findChildren<TGlassButton*>(Qt::FindDirectChildrenOnly);
}

} // namespace

class TestAccessibility final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void caption_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "Clear"
                               << "Clear";
        QTest::newRow("CR LF break") << "Start\r\nmeas."
                                     << "Start meas.";
        QTest::newRow("LF CR break") << QStringLiteral("Compas.\n\r－") << QStringLiteral("Compas. －");
        QTest::newRow("lone LF") << "Re-\nStart"
                                 << "Re- Start";
        QTest::newRow("backslash n") << "One\\nTwo"
                                     << "One Two";
        QTest::newRow("backslash capital N") << "One\\NTwo"
                                             << "One Two";
        QTest::newRow("accelerator") << "&Clear"
                                     << "Clear";
        QTest::newRow("accelerator inside") << "Se&tting"
                                            << "Setting";
        QTest::newRow("doubled ampersand") << "A && B"
                                           << "A & B";
        QTest::newRow("trailing ampersand") << "Go&"
                                            << "Go";
        QTest::newRow("ampersand before break") << "Go&\r\nOn"
                                                << "Go On";
        QTest::newRow("break at the start") << QStringLiteral("\n\rU４") << QStringLiteral("U４");
        QTest::newRow("empty") << ""
                               << "";
    }
    void caption()
    {
        QFETCH(QString, caption);
        QFETCH(QString, name);
        QCOMPARE(glass::accessibleCaption(caption), name);
    }

    void everyGlassButtonIsANamedPushButton()
    {
        WindowsFixture f;
        int count = 0;
        for (QWidget* window : { static_cast<QWidget*>(Form1), static_cast<QWidget*>(Form2) }) {
            for (TGlassButton* b : glassButtons(window)) {
                QAccessibleInterface* a = accessible(b);
                QVERIFY2(a && a->isValid(), qPrintable(b->objectName()));
                QCOMPARE(a->role(), QAccessible::Button);
                QCOMPARE(a->text(QAccessible::Name), glass::accessibleCaption(b->caption()));
                QVERIFY2(!a->text(QAccessible::Name).isEmpty(), qPrintable(b->objectName()));
                QCOMPARE(a->state().disabled, !b->isEnabled());
                ++count;
            }
        }
        // 16 trees and 6 other buttons on the main window, 18 option buttons in the dialog.
        QCOMPARE(count, 16 + 6 + 18);
        QCOMPARE(accessible(Form1->btnSTA)->text(QAccessible::Name), QStringLiteral("Start meas."));
        QCOMPARE(accessible(Form1->btnAllClear)->text(QAccessible::Name), QStringLiteral("Re- Start"));
        QCOMPARE(accessible(Form1->btnEND)->state().disabled, true);
    }

    void nameFollowsTheCaption()
    {
        TGlassButton b;
        QAccessibleInterface* a = accessible(&b);
        b.setCaption(QStringLiteral("Honor\r\nU４"));
        QCOMPARE(a->text(QAccessible::Name), QStringLiteral("Honor U４"));
        b.setAccessibleName(QStringLiteral("Tree one"));
        QCOMPARE(a->text(QAccessible::Name), QStringLiteral("Tree one"));
    }

    void pressActionClicks()
    {
        WindowsFixture f;
        QAccessibleActionInterface* action = accessible(Form1->btnSTA)->actionInterface();
        QVERIFY(action);
        QVERIFY(action->actionNames().contains(QAccessibleActionInterface::pressAction()));
        action->doAction(QAccessibleActionInterface::pressAction());
        // The stopwatch started: the start button is off and the stop button on.
        QVERIFY(!Form1->btnSTA->isEnabled());
        QVERIFY(Form1->btnEND->isEnabled());
        QVERIFY(accessible(Form1->btnSTA)->state().disabled);
        // A disabled button offers no press, and pressing it anyway does nothing.
        QAccessibleActionInterface* stopped = accessible(Form1->btnSTA)->actionInterface();
        QVERIFY(!stopped->actionNames().contains(QAccessibleActionInterface::pressAction()));
        QSignalSpy clicks(Form1->btnSTA, &TGlassButton::clicked);
        stopped->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(clicks.count(), 0);
    }

    void pressedAndCheckedState()
    {
        QWidget top;
        auto* grouped = new TGlassButton(&top);
        grouped->setGroupIndex(1);
        auto* check = new TGlassButton(&top);
        check->setStyle(tasCheck);
        QCOMPARE(accessible(grouped)->state().pressed, false);
        grouped->setDown(true);
        QCOMPARE(accessible(grouped)->state().pressed, true);
        QCOMPARE(accessible(grouped)->state().checkable, false);
        QCOMPARE(accessible(check)->state().checkable, true);
        check->setDown(true);
        QCOMPARE(accessible(check)->state().checked, true);
        QCOMPARE(accessible(check)->state().pressed, true);
    }

    void mapOverlayAndNameHaveNames()
    {
        WindowsFixture f;
        QCOMPARE(accessible(Form1->Image1)->text(QAccessible::Name), QStringLiteral("Garden map"));
        QCOMPARE(accessible(Form1->Image2)->text(QAccessible::Name), QStringLiteral("Pair lines"));
        QCOMPARE(accessible(Form1->edtNAME)->text(QAccessible::Name), QStringLiteral("Name"));
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
