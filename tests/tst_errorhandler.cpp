#include "app/application.h"
#include "core/pellimoerror.h"
#include "forms/errorhandler.h"

#include <QDialog>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

namespace {

/** Throws from its event handler, as a failing button handler would. */
class ThrowingObject final : public QObject
{
public:
    int handled = 0;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User) {
            ++handled;
            throw PellimoError(QStringLiteral("クリップボード 拒否 を開けません"));
        }
        return QObject::event(e);
    }
};

} // namespace

class TestErrorHandler final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The reporters below capture locals; a failed check returns before the end of the test.
    void cleanup() { setErrorReporter({}); }

    void boxText_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        // clang-format off
        QTest::newRow("letter gets a period") << "abc" << "abc.";
        QTest::newRow("period stays") << "abc." << "abc.";
        QTest::newRow("Japanese gets a period") << QString::fromUtf8("エラー") << QString::fromUtf8("エラー.");
        QTest::newRow("comma (below period) stays") << "abc," << "abc,";
        QTest::newRow("slash (above period) gets one") << "a/" << "a/.";
        QTest::newRow("trailing space stays") << "abc " << "abc ";
        QTest::newRow("empty stays empty") << "" << "";
        // clang-format on
    }
    void boxText()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(errorBoxText(message), shown);
    }

    void exceptionInHandlerIsShownAndLoopGoesOn()
    {
        QStringList shown;
        setErrorReporter([&](const QString& text) { shown << text; });
        ThrowingObject target;
        QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
        QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
        bool later = false;
        QTimer::singleShot(0, [&] { later = true; });
        QTRY_VERIFY(later);
        QCOMPARE(target.handled, 2);
        QCOMPARE(shown,
                 QStringList({ QString::fromUtf8("クリップボード 拒否 を開けません."),
                               QString::fromUtf8("クリップボード 拒否 を開けません.") }));
        setErrorReporter({});
    }

    void boxBelongsToTheActiveWindow_data()
    {
        QTest::addColumn<bool>("dialogOpen");
        QTest::addColumn<bool>("mainActive");
        QTest::addColumn<QString>("owner");
        QTest::newRow("main window active") << false << true << "main";
        QTest::newRow("modal dialog open") << true << true << "dialog";
        QTest::newRow("nothing active: the main window") << false << false << "main";
    }

    void boxBelongsToTheActiveWindow()
    {
        QFETCH(bool, dialogOpen);
        QFETCH(bool, mainActive);
        QFETCH(QString, owner);
        QWidget main;
        main.setObjectName(QStringLiteral("main"));
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        if (mainActive)
            QApplication::setActiveWindow(&main);
        else
            QApplication::setActiveWindow(nullptr);
        QDialog dialog(&main);
        dialog.setObjectName(QStringLiteral("dialog"));

        // The box runs modally: look at it from inside its loop, then close it.
        QString parent = QStringLiteral("none");
        const auto report = [&] {
            QTimer::singleShot(0, [&] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (box && box->parentWidget())
                    parent = box->parentWidget()->objectName();
                if (box)
                    box->done(0);
            });
            reportError(QStringLiteral("disk full"));
        };
        if (dialogOpen) {
            QTimer::singleShot(0, &dialog, [&] {
                report();
                dialog.done(0);
            });
            dialog.exec();
        } else {
            report();
        }
        QCOMPARE(parent, owner);
    }

    void runGuardedReportsStdExceptions()
    {
        QStringList shown;
        setErrorReporter([&](const QString& text) { shown << text; });
        QVERIFY(!runGuarded([] { throw std::runtime_error("disk full"); }));
        QVERIFY(runGuarded([] {}));
        QCOMPARE(shown, QStringList { QStringLiteral("disk full.") });
        setErrorReporter({});
    }
};

int main(int argc, char** argv)
{
    PellimoApplication app(argc, argv);
    TestErrorHandler test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_errorhandler.moc"
