// Global hotkeys: the [Hotkeys] section's bytes in and out, the Hotkeys dialog's grabs (all or
// none, "in use" next to the field), and the stopwatch buttons driven by key presses.

#include "core/inidocument.h"
#include "fakeclock.h"
#include "forms/hotkeys.h"
#include "forms/hotkeysform.h"
#include "forms/hotkeywiring.h"
#include "widgets/glassbutton.h"
#include "windowsfixture.h"

#include <map>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>

using namespace std::chrono_literals;
using hotkeysettings::Action;

namespace {

/** Grabs recorded instead of made; keys in `takenElsewhere` are another program's. */
class FakeHotkeys final : public GlobalHotkeys
{
public:
    bool isAvailable = true;
    QList<QKeyCombination> takenElsewhere;
    std::map<int, QKeyCombination> grabbed;

    bool available() const override { return isAvailable; }
    QString limitation() const override { return isAvailable ? QString() : QStringLiteral("No hotkeys here."); }
    Grab grab(int id, QKeyCombination key) override
    {
        release(id);
        if (takenElsewhere.contains(key))
            return Grab::InUse;
        grabbed[id] = key;
        return Grab::Done;
    }
    void release(int id) override { grabbed.erase(id); }
    void press(int id, qint64 msTime) { Q_EMIT pressed(id, msTime); }
};

QKeyCombination key(const char* text)
{
    return *hotkeysettings::parse(QString::fromLatin1(text));
}

const QByteArray System = "\xef\xbb\xbf[System]\r\nNAME=Vask\r\n\r\n";

} // namespace

class TestHotkeys final : public QObject
{
    Q_OBJECT

    FakeClock m_clock;
    std::unique_ptr<WindowsFixture> m_windows;
    FakeHotkeys* m_keys = nullptr;
    Hotkeys* m_hotkeys = nullptr;

    void start(const QByteArray& settings, FakeHotkeys* keys = new FakeHotkeys)
    {
        m_windows = std::make_unique<WindowsFixture>(settings, &m_clock);
        m_keys = keys;
        installHotkeys(Form1, std::unique_ptr<GlobalHotkeys>(keys));
        m_hotkeys = Form1->findChild<Hotkeys*>();
    }

    QByteArray fileBytes() const
    {
        QFile file(m_windows->platform.settingsPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private Q_SLOTS:
    void cleanup() { m_windows.reset(); }

    void section_data()
    {
        QTest::addColumn<QByteArray>("section"); // after [System]
        QTest::addColumn<QString>("read"); // the three keys' portable text, "|" between
        QTest::addColumn<int>("warnings"); // lines on stderr, one per bad value
        QTest::addColumn<int>("changed"); // the action the user sets, -1 for none
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("written"); // the file's section afterwards

        const QByteArray three
            = "[Hotkeys]\r\nStartStop=Ctrl+Alt+F9\r\nCopyResult=Meta+C\r\nReStart=Shift+Num+1\r\n\r\n";
        QTest::newRow("no section, nothing set: nothing written")
            << QByteArray() << "||" << 0 << -1 << "" << QByteArray();
        QTest::newRow("portable text round trip")
            << three << "Ctrl+Alt+F9|Meta+C|Shift+Num+1" << 0 << -1 << "" << three;
        QTest::newRow("first key set: the section added")
            << QByteArray() << "||" << 0 << 1 << "Ctrl+!" << QByteArray("[Hotkeys]\r\nCopyResult=Ctrl+!\r\n\r\n");
        QTest::newRow("bad values kept, a changed key replaced")
            << QByteArray("[Hotkeys]\r\nStartStop=Ctrl+Bogus\r\nCopyResult=F9, F10\r\nReStart=F8\r\nOther=1\r\n\r\n")
            << "||F8" << 2 << 2 << "ctrl+f8"
            << QByteArray(
                   "[Hotkeys]\r\nStartStop=Ctrl+Bogus\r\nCopyResult=F9, F10\r\nReStart=Ctrl+F8\r\nOther=1\r\n\r\n");
        QTest::newRow("cleared: an empty value") << three << "Ctrl+Alt+F9|Meta+C|Shift+Num+1" << 0 << 0 << ""
                                                 << QByteArray(three).replace("Ctrl+Alt+F9", "");
        QTest::newRow("a modifier alone is no key") << QByteArray("[hotkeys]\r\nstartstop=Ctrl\r\n\r\n") << "||" << 1
                                                    << -1 << "" << QByteArray("[hotkeys]\r\nstartstop=Ctrl\r\n\r\n");
    }

    void section()
    {
        QFETCH(QByteArray, section);
        QFETCH(QString, read);
        QFETCH(int, warnings);
        QFETCH(int, changed);
        QFETCH(QString, typed);
        QFETCH(QByteArray, written);

        for (int i = 0; i < warnings; ++i)
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(QStringLiteral("^\\[Hotkeys\\] \\w+=.* is not a key")));
        const IniDocument ini = IniDocument::fromBytes(System + section);
        const hotkeysettings::Bindings before = hotkeysettings::read(ini);
        QStringList texts;
        for (const QKeyCombination k : before)
            texts << hotkeysettings::portableText(k);
        QCOMPARE(texts.join(u'|'), read);

        hotkeysettings::Bindings after = before;
        if (changed >= 0)
            after[std::size_t(changed)] = *hotkeysettings::parse(typed);
        IniDocument out = ini;
        hotkeysettings::write(out, before, after);
        QCOMPARE(out.toBytes(), IniDocument::fromBytes(System + written).toBytes());
    }

    void dialog_data()
    {
        QTest::addColumn<QString>("elsewhere"); // a key another program holds at OK
        QTest::addColumn<bool>("available");
        QTest::addColumn<QString>("typed"); // Start/Stop, Copy result, Re-Start; "|" between
        QTest::addColumn<bool>("closes");
        QTest::addColumn<QString>("notes"); // the notes next to the fields after OK
        QTest::addColumn<QString>("grabbedAfterCancel");

        const QString none;
        QTest::newRow("all free: grabbed and stored") << none << true << "Ctrl+F9|Ctrl+F10|" << true << "||"
                                                      << "";
        QTest::newRow("one in use: nothing grabbed, the note at its field")
            << "Ctrl+F10" << true << "Ctrl+F9|Ctrl+F10|" << false << "|Ctrl+F10 is in use by another program|"
            << "Ctrl+F12";
        QTest::newRow("one key for two actions")
            << none << true << "Ctrl+F9||Ctrl+F9" << false << "||Ctrl+F9 is the key of Start/Stop already"
            << "Ctrl+F12";
        QTest::newRow("no global keys here: nothing stored") << none << false << "Ctrl+F9||" << true << "||"
                                                             << "";
    }

    void dialog()
    {
        QFETCH(QString, elsewhere);
        QFETCH(bool, available);
        QFETCH(QString, typed);
        QFETCH(bool, closes);
        QFETCH(QString, notes);
        QFETCH(QString, grabbedAfterCancel);

        auto* keys = new FakeHotkeys;
        keys->isAvailable = available;
        const QByteArray stored = System + "[Hotkeys]\r\nStartStop=Ctrl+F12\r\n\r\n";
        start(stored, keys);
        HotkeysForm dialog(*m_hotkeys, Form1);
        dialog.prepare();
        QVERIFY(keys->grabbed.empty()); // released while edited
        QCOMPARE(dialog.field(Action::StartStop)->isEnabled(), available);
        QCOMPARE(dialog.limitationNote()->isHidden(), available);
        const QStringList texts = typed.split(u'|');
        for (const Action action : hotkeysettings::Actions)
            dialog.field(action)->setKeySequence(
                QKeySequence::fromString(texts[int(action)], QKeySequence::PortableText));
        if (!elsewhere.isEmpty())
            keys->takenElsewhere << key(qPrintable(elsewhere));
        dialog.open();
        dialog.accept();

        QCOMPARE(dialog.isVisible(), !closes);
        QStringList shown;
        for (const Action action : hotkeysettings::Actions)
            shown << dialog.note(action)->text();
        QCOMPARE(shown.join(u'|'), notes);
        const bool stores = closes && available;
        QCOMPARE(fileBytes() != stored, stores);
        if (stores) {
            QVERIFY(fileBytes().contains("StartStop=Ctrl+F9\r\nCopyResult=Ctrl+F10\r\n"));
            QCOMPARE(keys->grabbed.size(), std::size_t(2));
            return;
        }
        // Nothing half-grabbed; Cancel takes the old key back.
        QVERIFY(keys->grabbed.empty());
        dialog.reject();
        QCOMPARE(keys->grabbed.empty() ? QString() : hotkeysettings::portableText(keys->grabbed[0]),
                 grabbedAfterCancel);
    }

    void presses_data()
    {
        QTest::addColumn<QList<QPoint>>("presses"); // action, time in ms
        QTest::addColumn<QString>("state"); // which stopwatch buttons take clicks afterwards
        QTest::addColumn<QString>("label");

        QTest::newRow("Start/Stop starts") << QList { QPoint(0, 1000) } << "END"
                                           << "00:00.000";
        QTest::newRow("a bounce within 250 ms counts once") << QList { QPoint(0, 1000), QPoint(0, 1249) } << "END"
                                                            << "00:00.000";
        QTest::newRow("a second press stops") << QList { QPoint(0, 1000), QPoint(0, 1250) } << "STA COPY"
                                              << "00:02.000";
        QTest::newRow("Copy result needs a stop first") << QList { QPoint(1, 1000) } << "STA"
                                                        << "00:00.000";
        QTest::newRow("Re-Start resets") << QList { QPoint(0, 1000), QPoint(0, 2000), QPoint(2, 3000) } << "STA"
                                         << "00:00.000";
    }

    void presses()
    {
        QFETCH(QList<QPoint>, presses);
        QFETCH(QString, state);
        QFETCH(QString, label);

        start(System + "[Hotkeys]\r\nStartStop=F9\r\nCopyResult=F10\r\nReStart=F11\r\n\r\n");
        QCOMPARE(m_keys->grabbed.size(), std::size_t(3));
        for (const QPoint& press : presses) {
            m_keys->press(press.x(), press.y());
            QCoreApplication::sendPostedEvents();
            m_clock.advance(2s);
        }
        QStringList enabled;
        for (TGlassButton* b : { Form1->btnSTA, Form1->btnEND, Form1->btnCOPY }) {
            if (b->isEnabled())
                enabled << b->objectName().mid(3);
        }
        QCOMPARE(enabled.join(u' '), state);
        QCOMPARE(Form1->lblTIME->text(), label);
        QVERIFY(m_windows->platform.callsOf(QStringLiteral("forceForeground")).isEmpty());
    }
};

QTEST_MAIN(TestHotkeys)
#include "tst_hotkeys.moc"
