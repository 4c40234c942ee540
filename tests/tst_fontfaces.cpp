#include "app/application.h"

#include <algorithm>
#include <QApplication>
#include <QFont>
#include <QGlyphRun>
#include <QRawFont>
#include <QTest>
#include <QTextLayout>

/**
 * The Windows faces the windows ask for resolve, on this system, to the faces that stand in for
 * them, glyph by glyph: the narrow Latin face for letters, the CJK face for full-width digits, and
 * a face that is installed stays itself even when a substitute is named for it.
 */
class FontFacesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void glyphFaces_data();
    void glyphFaces();
};

void FontFacesTest::initTestCase()
{
    // An installed face with a substitute: the face must still be the one drawn.
    QFont::insertSubstitution(QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans Narrow"));
    installFontSubstitutions();
}

void FontFacesTest::glyphFaces_data()
{
    QTest::addColumn<QString>("face");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("faces"); // of the glyph runs

    const QString narrow = QStringLiteral("Liberation Sans Narrow");
    const QString cjk = QStringLiteral("Noto Sans CJK JP");
    QTest::newRow("tree caption") << "Meiryo UI" << true << QStringLiteral("U\uFF14") << QStringList { narrow, cjk };
    QTest::newRow("option name") << "Meiryo UI" << false << "Honesty" << QStringList { narrow };
    QTest::newRow("copy caption") << "Tahoma" << true << "Copy" << QStringList { "Liberation Sans" };
    QTest::newRow("installed face") << "DejaVu Sans" << false << "Clear" << QStringList { "DejaVu Sans" };
}

void FontFacesTest::glyphFaces()
{
    QFETCH(QString, face);
    QFETCH(bool, bold);
    QFETCH(QString, text);
    QFETCH(QStringList, faces);
    QFont font(face);
    font.setPixelSize(13);
    font.setBold(bold);
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    // Qt names an engine by the family asked for; the font file shows in its header table, which
    // holds the file's own dates and checksum.
    const auto header = [&](const QRawFont& raw) {
        return raw.fontTable("head");
    };
    QList<QByteArray> got, expected;
    for (const QGlyphRun& run : layout.glyphRuns())
        got << header(run.rawFont());
    for (const QString& name : faces) {
        QFont f(name);
        f.setPixelSize(13);
        f.setBold(bold);
        expected << header(QRawFont::fromFont(f));
    }
    QVERIFY(!expected.contains(QByteArray()));
    std::sort(got.begin(), got.end()); // glyphRuns() keeps no order
    std::sort(expected.begin(), expected.end());
    QCOMPARE(got, expected);
    QCOMPARE(font.family(), face); // the windows keep asking for the Windows face
}

QTEST_MAIN(FontFacesTest)
#include "tst_fontfaces.moc"
