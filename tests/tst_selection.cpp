// Whole boards through the selection dialog: the options are given by the dialog's own click
// handler, then the option buttons, the tree buttons, the pair lines of the analysis and the
// pixels of the overlay bitmap are compared with what the garden's rules say.
#include "core/boardanalysis.h"
#include "core/boardtables.h"
#include "layouttable.h"
#include "pixels.h"
#include "widgets/glassbutton.h"
#include "widgets/glasspaint.h"
#include "widgets/overlayimage.h"
#include "windowsfixture.h"

#include <cmath>
#include <functional>
#include <optional>
#include <QCheckBox>
#include <QImage>
#include <QMap>
#include <QTest>
#include <QTextLayout>
#include <QTimer>
#include <QWindow>

Q_DECLARE_METATYPE(std::function<void(QDialog*)>)

namespace {

/** One click in the dialog: tree `tree` is being edited and option `option` (17: cancel) clicked. */
struct Choice
{
    int tree = 0;
    int option = 0;
};
using Choices = QList<Choice>;
using Lines = QList<analysis::PairLine>;
/** Option index -> the tree labels that claim it, in tree order (options not named are free). */
using Claims = QMap<int, QString>;

constexpr TColor ConflictText = 0x0000FF;
constexpr TColor ConflictBorder = 0x9314FF;
constexpr TColor ConflictBack = 0xEE82EE;
constexpr TColor DialogBack = 0xFFFFE0;
constexpr QRgb Underlay = 0xFFF8F8F8;
constexpr QRgb White = 0xFFFFFFFF;

/** Where a pair line ends for tree t, in overlay pixels: (L + ceil(40 / 2) - 2, T - ceil(40 / 2) - 2). */
QPointF linePoint(int t)
{
    return { double(TreeTopLeft[std::size_t(t)].x() + 18), double(TreeTopLeft[std::size_t(t)].y() - 22) };
}

QString label(int t)
{
    static const char16_t* const digits = u"４３１２４３１２２１３４１２３４";
    static const char16_t* const letters = u"UUUURRRRDDDDLLLL";
    return QString(QChar(letters[t - 1])) + QChar(digits[t - 1]);
}

QString labels(std::initializer_list<int> trees)
{
    QString s;
    for (int t : trees)
        s += label(t);
    return s;
}

double distanceToSegment(QPointF p, QPointF a, QPointF b)
{
    const QPointF ab = b - a;
    const double len2 = QPointF::dotProduct(ab, ab);
    double s = len2 > 0 ? QPointF::dotProduct(p - a, ab) / len2 : 0.0;
    s = std::clamp(s, 0.0, 1.0);
    const QPointF d = p - (a + s * ab);
    return std::hypot(d.x(), d.y());
}

/** Where two segments cross, if they do. */
std::optional<QPointF> crossing(QPointF a, QPointF b, QPointF c, QPointF d)
{
    const QPointF r = b - a;
    const QPointF s = d - c;
    const double den = r.x() * s.y() - r.y() * s.x();
    if (std::abs(den) < 1e-9)
        return std::nullopt;
    const QPointF ac = c - a;
    const double u = (ac.x() * s.y() - ac.y() * s.x()) / den;
    const double v = (ac.x() * r.y() - ac.y() * r.x()) / den;
    if (u < 0 || u > 1 || v < 0 || v > 1)
        return std::nullopt;
    return a + u * r;
}

/** Font size in points, whether the font was sized in points or in pixels at 96 dpi. */
int points(const QFont& font)
{
    return font.pointSize() > 0 ? font.pointSize() : qRound(font.pixelSize() * 72.0 / 96.0);
}

} // namespace

Q_DECLARE_METATYPE(Choice)
Q_DECLARE_METATYPE(analysis::PairLine)

class TestSelection final : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowsFixture> m_windows;

    TForm1& f() const { return *Form1; }

    void choose(const Choices& choices)
    {
        for (const Choice& c : choices) {
            f().board().beginChoosing(c.tree);
            Form2->BitBtn01Click(Form2->optionButton(c.option));
        }
    }

    void setDisplay(int treeColor, int treeBold, int tokuColor, int tokuBold)
    {
        f().board().setDisplay({ f().board().display().btnBGColor, treeColor, treeBold, tokuColor, tokuBold });
    }

    /** The option each tree holds after the clicks (0: none), and whether it was ever touched. */
    static std::array<int, 17> holdings(const Choices& choices, std::array<bool, 17>* touched = nullptr)
    {
        std::array<int, 17> held {};
        for (const Choice& c : choices) {
            held[std::size_t(c.tree)] = c.option == board::CancelOption ? 0 : c.option;
            if (touched)
                (*touched)[std::size_t(c.tree)] = true;
        }
        return held;
    }

    void verifyOptionButtons(const Claims& claims, int tokuColor, int tokuBold)
    {
        for (int k = 1; k <= board::OptionCount; ++k) {
            const TGlassButton* b = Form2->optionButton(k);
            const QString who = claims.value(k);
            const int count = int(who.size() / 2);
            const int pair = k > 8 ? k - 8 : k;
            const QByteArray name = b->objectName().toLatin1();
            QVERIFY2(b->caption() == board::optionName(k) + u"\r\n" + (count ? who : board::EmptyMark), name);
            QVERIFY2(points(b->font()) == 9, name);
            if (count == 0) {
                QVERIFY2(b->font().bold(), name);
                QVERIFY2(b->fontColor() == 0x000000, name);
                QVERIFY2(b->innerBorderColor() == board::optionInnerColor(pair), name);
                QVERIFY2(b->outerBorderColor() == board::optionOuterColor(pair), name);
                QVERIFY2(b->backColor() == board::backColor(k, f().board().display().btnBGColor), name);
            } else if (count == 1) {
                QVERIFY2(b->font().bold() == (tokuBold != 0), name);
                QVERIFY2(b->fontColor() == (tokuColor ? 0x404040u : 0xB0B0B0u), name);
                QVERIFY2(b->innerBorderColor() == board::optionInnerColor(pair), name);
                QVERIFY2(b->outerBorderColor() == DialogBack, name);
                QVERIFY2(b->backColor() == board::backColor(k, f().board().display().btnBGColor), name);
            } else {
                QVERIFY2(b->font().bold(), name);
                QVERIFY2(b->fontColor() == ConflictText, name);
                QVERIFY2(b->innerBorderColor() == ConflictBorder, name);
                QVERIFY2(b->outerBorderColor() == ConflictBorder, name);
                QVERIFY2(b->backColor() == ConflictBack, name);
            }
        }
        // Cancel and Close keep their captions and their plain window-text look.
        QCOMPARE(Form2->optionButton(17)->caption(), QStringLiteral("Cancel\r\nSelection"));
        QCOMPARE(Form2->optionButton(18)->caption(), QStringLiteral("Close"));
        for (int k : { 17, 18 }) {
            QVERIFY(!Form2->optionButton(k)->font().bold());
            QCOMPARE(Form2->optionButton(k)->font().pixelSize(), 11);
            QCOMPARE(Form2->optionButton(k)->fontColor(), tcolor::WindowText);
        }
    }

    void verifyTreeButtons(const Choices& choices, const QList<int>& conflicts, int treeColor, int treeBold)
    {
        std::array<bool, 17> touched {};
        const std::array<int, 17> held = holdings(choices, &touched);
        for (int t = 1; t <= board::TreeCount; ++t) {
            const TGlassButton* b = f().treeButton(t);
            const int p = held[std::size_t(t)];
            const QByteArray name = b->objectName().toLatin1();
            QVERIFY2(f().board().optionOn(t) == p, name);
            QString caption = label(t);
            if (p)
                caption = board::optionName(p) + u"\r\n" + label(t);
            else if (touched[std::size_t(t)])
                caption = label(t) + u"\r\n" + board::EmptyMark;
            QVERIFY2(b->caption() == caption, name);
            if (p == 0) {
                QVERIFY2(!conflicts.contains(t), name);
                QVERIFY2(b->font().bold() && points(b->font()) == 10, name);
                QVERIFY2(b->fontColor() == 0x000000, name);
                QVERIFY2(b->innerBorderColor() == 0x000000 && b->outerBorderColor() == 0x000000, name);
                QVERIFY2(b->backColor() == 0xFFFFFF, name);
                continue;
            }
            QVERIFY2(b->innerBorderColor() == board::lineColor(p), name);
            QVERIFY2(b->outerBorderColor() == board::lineColor(p), name);
            QVERIFY2(b->backColor() == board::backColor(p, f().board().display().btnBGColor), name);
            if (conflicts.contains(t)) {
                QVERIFY2(b->font().bold() && points(b->font()) == 10, name);
                QVERIFY2(b->fontColor() == ConflictText, name);
            } else {
                QVERIFY2(b->font().bold() == (treeBold != 0) && points(b->font()) == 9, name);
                QVERIFY2(b->fontColor() == (treeColor ? 0x808080u : 0x202020u), name);
            }
        }
    }

    /** The overlay bitmap holds exactly the expected lines, drawn in order, each on a light underlay. */
    void verifyOverlay(const Lines& lines, int* cleanCrossings = nullptr)
    {
        const QImage image = f().Image2->bitmap();
        QCOMPARE(image.size(), QSize(300, 300));
        QVERIFY(f().Image2->transparent());

        struct Seg
        {
            QPointF a, b;
            QRgb colour;
        };
        QList<Seg> segs;
        for (const analysis::PairLine& l : lines)
            segs.append({ linePoint(l.from), linePoint(l.to), rgbOf(board::lineColor(l.option)) });

        auto nearest = [&](QPointF p, qsizetype from) {
            double d = 1e9;
            for (qsizetype i = from; i < segs.size(); ++i)
                d = std::min(d, distanceToSegment(p, segs[i].a, segs[i].b));
            return d;
        };

        // Pure white away from every line; never white on a line.
        for (int y = 0; y < 300; ++y) {
            for (int x = 0; x < 300; ++x) {
                const QPointF centre(x + 0.5, y + 0.5);
                const double d = nearest(centre, 0);
                const QRgb c = image.pixel(x, y) | 0xFF000000;
                if (d > 5.0 && c != White)
                    QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) is %3 away from lines").arg(x).arg(y).arg(hex(c))));
                if (d < 1.0 && c == White)
                    QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) on a line is white").arg(x).arg(y)));
            }
        }

        for (qsizetype i = 0; i < segs.size(); ++i) {
            const Seg& s = segs[i];
            const QPointF dir = (s.b - s.a) / std::hypot((s.b - s.a).x(), (s.b - s.a).y());
            // Walk across the line along the axis that is closer to its normal.
            const QPointF across = std::abs(dir.x()) > std::abs(dir.y()) ? QPointF(0, 1) : QPointF(1, 0);
            int profiles = 0;
            for (double u = 0.05; u <= 0.95; u += 0.01) {
                const QPointF p = s.a + u * (s.b - s.a);
                if (nearest(p, i + 1) < 4.0)
                    continue; // a later line lies over this spot
                const QRgb centre = pixelAt(image, p);
                QVERIFY2(centre == s.colour,
                         qPrintable(QStringLiteral("line %1 at (%2, %3) is %4, not %5")
                                        .arg(i)
                                        .arg(p.x())
                                        .arg(p.y())
                                        .arg(hex(centre), hex(s.colour))));
                if (nearest(p, i + 1) < 10.0)
                    continue;
                // Out from the middle on both sides: the pair colour, then the light edge.
                for (int side : { -1, 1 }) {
                    QRgb first = s.colour;
                    for (int step = 1; step < 8 && first == s.colour; ++step)
                        first = pixelAt(image, p + double(side * step) * across);
                    QVERIFY2(first == Underlay,
                             qPrintable(QStringLiteral("line %1 at (%2, %3): %4 beside it")
                                            .arg(i)
                                            .arg(p.x())
                                            .arg(p.y())
                                            .arg(hex(first))));
                }
                ++profiles;
            }
            QVERIFY2(profiles > 0, "no free stretch to check the light edge");
        }

        // Where two lines cross away from their ends, the later one lies on top, and its light
        // edge cuts through the earlier one.
        int crossings = 0;
        for (qsizetype i = 0; i < segs.size(); ++i) {
            for (qsizetype j = i + 1; j < segs.size(); ++j) {
                const std::optional<QPointF> x = crossing(segs[i].a, segs[i].b, segs[j].a, segs[j].b);
                if (!x || segs[i].colour == segs[j].colour)
                    continue;
                // Only clean crossings: away from the ends, steep enough that a short walk leaves
                // the later stroke, and with no third line near.
                const QLineF li(segs[i].a, segs[i].b);
                const QLineF lj(segs[j].a, segs[j].b);
                const double sine = std::abs(std::sin(qDegreesToRadians(li.angleTo(lj))));
                const double fromEnds = std::min({ QLineF(*x, segs[i].a).length(), QLineF(*x, segs[i].b).length(),
                                                   QLineF(*x, segs[j].a).length(), QLineF(*x, segs[j].b).length() });
                bool crowded = false;
                for (qsizetype k = 0; k < segs.size(); ++k) {
                    if (k != i && k != j && distanceToSegment(*x, segs[k].a, segs[k].b) < 14.0)
                        crowded = true;
                }
                if (fromEnds < 12.0 || sine < 0.45 || crowded)
                    continue;
                ++crossings;
                QCOMPARE(hex(pixelAt(image, *x)), hex(segs[j].colour));
                // Along the earlier line through the crossing: its colour, light edge, the later colour.
                const QPointF dir = (segs[i].b - segs[i].a) / QLineF(segs[i].a, segs[i].b).length();
                QList<QRgb> seen;
                for (double d = -9.0; d <= 9.0; d += 0.25) {
                    const QRgb c = pixelAt(image, *x + d * dir);
                    if (seen.isEmpty() || seen.last() != c)
                        seen << c;
                }
                // Never the two colours side by side: the later light edge always lies between.
                bool ok = seen.size() >= 5 && seen.first() == segs[i].colour && seen.last() == segs[i].colour
                    && seen.contains(segs[j].colour);
                for (qsizetype n = 0; n < seen.size(); ++n) {
                    if (seen[n] != segs[i].colour && seen[n] != segs[j].colour && seen[n] != Underlay)
                        ok = false;
                    if (n > 0 && seen[n] != Underlay && seen[n - 1] != Underlay)
                        ok = false;
                }
                QStringList names;
                for (QRgb c : seen)
                    names << hex(c);
                QVERIFY2(ok,
                         qPrintable(QStringLiteral("crossing of lines %1 and %2 at (%3, %4): %5")
                                        .arg(i)
                                        .arg(j)
                                        .arg(x->x())
                                        .arg(x->y())
                                        .arg(names.join(u' '))));
            }
        }
        if (cleanCrossings)
            *cleanCrossings = crossings;
    }

private Q_SLOTS:
    void init() { m_windows = std::make_unique<WindowsFixture>(); }
    void cleanup()
    {
        // Windows and error reporter go first, so that a failed check leaves nothing behind.
        const QStringList errors = m_windows->errors;
        m_windows.reset();
        QVERIFY(errors.isEmpty());
    }

    void dialogLayout_data()
    {
        QTest::addColumn<int>("k");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("face");
        QTest::addColumn<bool>("forceTransparent");
        // clang-format off
        QTest::newRow("BitBtn01") << 1  << QRect(0, 1, 75, 40)     << "Meiryo UI" << true;
        QTest::newRow("BitBtn02") << 2  << QRect(76, 1, 75, 40)    << "Tahoma"    << false;
        QTest::newRow("BitBtn03") << 3  << QRect(152, 1, 75, 40)   << "Tahoma"    << false;
        QTest::newRow("BitBtn04") << 4  << QRect(228, 1, 75, 40)   << "Tahoma"    << false;
        QTest::newRow("BitBtn05") << 5  << QRect(0, 95, 75, 40)    << "Tahoma"    << false;
        QTest::newRow("BitBtn06") << 6  << QRect(76, 95, 75, 40)   << "Tahoma"    << false;
        QTest::newRow("BitBtn07") << 7  << QRect(152, 95, 75, 40)  << "Tahoma"    << false;
        QTest::newRow("BitBtn08") << 8  << QRect(228, 95, 75, 40)  << "Tahoma"    << false;
        QTest::newRow("BitBtn09") << 9  << QRect(0, 41, 75, 40)    << "Tahoma"    << false;
        QTest::newRow("BitBtn10") << 10 << QRect(76, 41, 75, 40)   << "Tahoma"    << false;
        QTest::newRow("BitBtn11") << 11 << QRect(152, 41, 75, 40)  << "Tahoma"    << false;
        QTest::newRow("BitBtn12") << 12 << QRect(228, 41, 75, 40)  << "Tahoma"    << false;
        QTest::newRow("BitBtn13") << 13 << QRect(0, 135, 75, 40)   << "Tahoma"    << false;
        QTest::newRow("BitBtn14") << 14 << QRect(76, 135, 75, 40)  << "Tahoma"    << false;
        QTest::newRow("BitBtn15") << 15 << QRect(152, 135, 75, 40) << "Tahoma"    << false;
        QTest::newRow("BitBtn16") << 16 << QRect(228, 135, 75, 40) << "Tahoma"    << false;
        QTest::newRow("BitBtn17") << 17 << QRect(152, 191, 75, 40) << "Tahoma"    << false;
        QTest::newRow("BitBtn18") << 18 << QRect(228, 191, 75, 40) << "Tahoma"    << false;
        // clang-format on
    }

    void dialogLayout()
    {
        QFETCH(int, k);
        QFETCH(QRect, geometry);
        QFETCH(QString, face);
        QFETCH(bool, forceTransparent);

        QCOMPARE(Form2->windowTitle(), QStringLiteral("Please select *This screen can be moved*"));
        QCOMPARE(Form2->size(), QSize(304, 232));
        QCOMPARE(Form2->palette().color(QPalette::Window), QColor(0xE0, 0xFF, 0xFF));
        QVERIFY(Form2->windowFlags() & Qt::WindowStaysOnTopHint);

        const TGlassButton* b = Form2->optionButton(k);
        QCOMPARE(b->objectName(), QStringLiteral("BitBtn%1").arg(k, 2, 10, QLatin1Char('0')));
        QCOMPARE(b->parentWidget(), Form2);
        QCOMPARE(b->geometry(), geometry);
        QCOMPARE(b->font().family(), face);
        QCOMPARE(b->forceTransparent(), forceTransparent);
        QVERIFY(!b->tabStop());
        QCOMPARE(b->glowColor(), TColor(0xFFBD8D));
        QCOMPARE(b->foreColor(), tcolor::White);
        QCOMPARE(b->shineColor(), tcolor::White);
        if (k <= 16) {
            // The reset look, as the dialog's creation left it.
            QCOMPARE(b->caption(), board::optionName(k) + u"\n\r" + board::EmptyMark);
            QVERIFY(b->font().bold());
            QCOMPARE(points(b->font()), 10);
            QCOMPARE(b->fontColor(), TColor(0x000000));
            QCOMPARE(b->innerBorderColor(), board::optionInnerColor(k));
            QCOMPARE(b->outerBorderColor(), board::optionOuterColor(k));
            QCOMPARE(b->backColor(), board::backColor(k, 0));
        } else {
            QCOMPARE(b->backColor(), tcolor::Silver);
            QCOMPARE(b->innerBorderColor(), tcolor::Black);
            QCOMPARE(b->outerBorderColor(), tcolor::White);
        }
    }

    void wholeBoard_data()
    {
        QTest::addColumn<Choices>("choices");
        QTest::addColumn<QList<int>>("settings"); // tree colour, tree bold, option colour, option bold
        QTest::addColumn<Claims>("claims");
        QTest::addColumn<QList<int>>("conflicts");
        QTest::addColumn<Lines>("lines");
        QTest::addColumn<int>("crossings"); // clean crossings of two lines, away from ends and others

        const QList<int> zero { 0, 0, 0, 0 };
        const QList<int> one { 1, 1, 1, 1 };

        QTest::newRow("empty board") << Choices {} << zero << Claims {} << QList<int> {} << Lines {} << 0;

        const Choices marking { { 1, 9 }, { 9, 9 }, { 3, 1 }, { 5, 3 } };
        const Claims markingClaims { { 1, labels({ 3 }) }, { 3, labels({ 5 }) }, { 9, labels({ 1, 9 }) } };
        QTest::newRow("marking example") << marking << zero << markingClaims << QList<int> { 1, 9 }
                                         << Lines { { 3, 1, 1 }, { 3, 9, 1 } } << 0;
        QTest::newRow("marking example, settings 1/1")
            << marking << one << markingClaims << QList<int> { 1, 9 } << Lines { { 3, 1, 1 }, { 3, 9, 1 } } << 0;

        const Choices pairs { { 3, 1 }, { 12, 9 }, { 5, 3 } };
        const Claims pairClaims { { 1, labels({ 3 }) }, { 9, labels({ 12 }) }, { 3, labels({ 5 }) } };
        QTest::newRow("one pair") << pairs << zero << pairClaims << QList<int> {} << Lines { { 3, 12, 1 } } << 0;
        QTest::newRow("one pair, settings 1/1")
            << pairs << one << pairClaims << QList<int> {} << Lines { { 3, 12, 1 } } << 0;
        QTest::newRow("vice held twice") << pairs + Choices { { 9, 9 } } << zero
                                         << Claims { { 1, labels({ 3 }) },
                                                     { 9, labels({ 9, 12 }) },
                                                     { 3, labels({ 5 }) } }
                                         << QList<int> { 9, 12 } << Lines { { 3, 9, 1 }, { 3, 12, 1 } } << 0;
        QTest::newRow("virtue held twice")
            << pairs + Choices { { 1, 1 } } << zero
            << Claims { { 1, labels({ 1, 3 }) }, { 9, labels({ 12 }) }, { 3, labels({ 5 }) } } << QList<int> { 1, 3 }
            << Lines {} << 0;
        QTest::newRow("both halves held twice") << Choices { { 1, 1 }, { 3, 1 }, { 9, 9 }, { 12, 9 } } << zero
                                                << Claims { { 1, labels({ 1, 3 }) }, { 9, labels({ 9, 12 }) } }
                                                << QList<int> { 1, 3, 9, 12 } << Lines {} << 0;
        QTest::newRow("virtue after its vice")
            << Choices { { 14, 5 }, { 2, 13 } } << zero << Claims { { 5, labels({ 14 }) }, { 13, labels({ 2 }) } }
            << QList<int> {} << Lines { { 14, 2, 5 } } << 0;
        QTest::newRow("virtue with two vice trees")
            << Choices { { 16, 8 }, { 10, 16 }, { 4, 16 } } << one
            << Claims { { 8, labels({ 16 }) }, { 16, labels({ 4, 10 }) } } << QList<int> { 4, 10 }
            << Lines { { 16, 4, 8 }, { 16, 10, 8 } } << 0;
        QTest::newRow("conflicted virtue, vice alone")
            << Choices { { 6, 6 }, { 7, 6 }, { 8, 14 } } << zero
            << Claims { { 6, labels({ 6, 7 }) }, { 14, labels({ 8 }) } } << QList<int> { 6, 7 } << Lines {} << 0;
        QTest::newRow("two lines crossing")
            << Choices { { 1, 1 }, { 11, 9 }, { 13, 2 }, { 8, 10 } } << zero
            << Claims { { 1, labels({ 1 }) }, { 9, labels({ 11 }) }, { 2, labels({ 13 }) }, { 10, labels({ 8 }) } }
            << QList<int> {} << Lines { { 1, 11, 1 }, { 13, 8, 2 } } << 1;

        // Every option on its own tree: eight lines, several of them crossing.
        const std::array<int, 17> perm { 0, 3, 12, 8, 14, 1, 9, 16, 5, 11, 2, 7, 13, 6, 4, 15, 10 };
        Choices full;
        Claims fullClaims;
        for (int t = 1; t <= 16; ++t) {
            full.append({ t, perm[std::size_t(t)] });
            fullClaims.insert(perm[std::size_t(t)], label(t));
        }
        const Lines fullLines { { 1, 9, 3 },   { 3, 7, 8 },   { 5, 6, 1 },  { 8, 12, 5 },
                                { 10, 16, 2 }, { 11, 15, 7 }, { 13, 4, 6 }, { 14, 2, 4 } };
        QTest::newRow("full board") << full << zero << fullClaims << QList<int> {} << fullLines << 0;
        QTest::newRow("full board, settings 1/1") << full << one << fullClaims << QList<int> {} << fullLines << 0;
        // A list left without a selection in the settings dialog stores -1: not 0, so "on".
        QTest::newRow("full board, settings -1")
            << full << QList<int> { -1, -1, -1, -1 } << fullClaims << QList<int> {} << fullLines << 0;

        Choices allOnOne;
        QList<int> everyTree;
        for (int t = 1; t <= 16; ++t) {
            allOnOne.append({ t, 3 });
            everyTree << t;
        }
        QTest::newRow("all trees on Honor")
            << allOnOne << zero << Claims { { 3, QStringLiteral("U４U３U１U２R４R３R１R２D２D１D３D４L１L２L３L４") } }
            << everyTree << Lines {} << 0;

        QTest::newRow("cancel on an empty tree")
            << Choices { { 4, 17 } } << zero << Claims {} << QList<int> {} << Lines {} << 0;
        QTest::newRow("re-choosing") << Choices { { 5, 3 }, { 5, 11 } } << zero << Claims { { 11, labels({ 5 }) } }
                                     << QList<int> {} << Lines {} << 0;
        QTest::newRow("cancel drops the line") << Choices { { 5, 3 }, { 7, 11 }, { 5, 17 } } << zero
                                               << Claims { { 11, labels({ 7 }) } } << QList<int> {} << Lines {} << 0;
        QTest::newRow("cancel ends a conflict")
            << Choices { { 5, 3 }, { 7, 11 }, { 2, 11 }, { 2, 17 } } << zero
            << Claims { { 3, labels({ 5 }) }, { 11, labels({ 7 }) } } << QList<int> {} << Lines { { 5, 7, 3 } } << 0;
        QTest::newRow("white smoke and black pairs")
            << Choices { { 15, 7 }, { 6, 15 }, { 13, 4 }, { 12, 12 } } << zero
            << Claims { { 7, labels({ 15 }) }, { 15, labels({ 6 }) }, { 4, labels({ 13 }) }, { 12, labels({ 12 }) } }
            << QList<int> {} << Lines { { 13, 12, 4 }, { 15, 6, 7 } } << 1;
    }

    void wholeBoard()
    {
        QFETCH(Choices, choices);
        QFETCH(QList<int>, settings);
        QFETCH(Claims, claims);
        QFETCH(QList<int>, conflicts);
        QFETCH(Lines, lines);
        QFETCH(int, crossings);

        setDisplay(settings[0], settings[1], settings[2], settings[3]);
        choose(choices);
        // Each click re-marks everything; the state after the last click is the board's.
        if (!choices.isEmpty()) {
            verifyOptionButtons(claims, settings[2], settings[3]);
            verifyTreeButtons(choices, conflicts, settings[0], settings[1]);
            verifyOverlay(lines);
        }

        const analysis::BoardLook result = f().board().analyse();
        QCOMPARE(result.lines, std::vector<analysis::PairLine>(lines.begin(), lines.end()));
        for (int t = 1; t <= 16; ++t) {
            const analysis::TreeLook expected = conflicts.contains(t) ? analysis::TreeLook::Conflict
                : f().board().optionOn(t) == 0                        ? analysis::TreeLook::Empty
                                                                      : analysis::TreeLook::Held;
            QVERIFY(result.trees[std::size_t(t)] == expected);
        }

        // Running the marking and the analysis again changes nothing.
        Form2->Check2Red();
        f().Check1RedLine();
        verifyOptionButtons(claims, settings[2], settings[3]);
        verifyTreeButtons(choices, conflicts, settings[0], settings[1]);
        int checked = -1;
        verifyOverlay(lines, &checked);
        QCOMPARE(checked, crossings);
    }

    void lineEnds_data()
    {
        QTest::addColumn<Choices>("choices");
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::newRow("U１ to D４") << Choices { { 3, 1 }, { 12, 9 } } << QPoint(195, 48) << QPoint(195, 227);
        QTest::newRow("U１ to D２") << Choices { { 3, 1 }, { 9, 9 } } << QPoint(195, 48) << QPoint(140, 200);
        QTest::newRow("L２ to U３") << Choices { { 14, 5 }, { 2, 13 } } << QPoint(75, 133) << QPoint(140, 40);
        QTest::newRow("R４ to L３") << Choices { { 5, 8 }, { 15, 16 } } << QPoint(270, 96) << QPoint(25, 136);
    }

    void lineEnds()
    {
        QFETCH(Choices, choices);
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        choose(choices);

        // A single line on an empty overlay: its pixels lie symmetrically around the segment,
        // so their centre is the segment's middle, and their spread along it is its length
        // plus the round ends.
        const QImage image = f().Image2->bitmap();
        const QPointF a(from);
        const QPointF b(to);
        const QPointF dir = (b - a) / QLineF(a, b).length();
        double sx = 0;
        double sy = 0;
        int n = 0;
        double lo = 1e9;
        double hi = -1e9;
        for (int y = 0; y < 300; ++y) {
            for (int x = 0; x < 300; ++x) {
                if ((image.pixel(x, y) | 0xFF000000) == White)
                    continue;
                const QPointF centre(x + 0.5, y + 0.5);
                sx += centre.x();
                sy += centre.y();
                ++n;
                const double along = QPointF::dotProduct(centre - a, dir);
                lo = std::min(lo, along);
                hi = std::max(hi, along);
            }
        }
        QVERIFY(n > 0);
        const QPointF middle = (a + b) / 2;
        QVERIFY2(std::abs(sx / n - middle.x()) < 0.35 && std::abs(sy / n - middle.y()) < 0.35,
                 qPrintable(QStringLiteral("centre (%1, %2)").arg(sx / n).arg(sy / n)));
        // The underlay is 6 wide: its round ends reach 3 pixels past each end point.
        QVERIFY2(std::abs(lo + 3.0) <= 1.0, qPrintable(QString::number(lo)));
        QVERIFY2(std::abs(hi - QLineF(a, b).length() - 3.0) <= 1.0, qPrintable(QString::number(hi)));
        QCOMPARE(hex(pixelAt(image, middle)), hex(rgbOf(board::lineColor(choices[0].option))));
    }

    void overlayOnTheWindow()
    {
        // What the user sees: the map through the empty overlay, then the line over it.
        auto shown = [] {
            QImage window(Form1->size(), QImage::Format_ARGB32);
            window.fill(Qt::black);
            Form1->render(&window);
            return window;
        };
        // Window column 197 is overlay column 195, the line from tree 3 to tree 12; row 135 lies
        // between the two buttons.
        const QImage empty = shown();
        QVERIFY(empty.pixel(197, 135) != 0xFFFFFFFF && empty.pixel(197, 135) != Underlay);
        choose(Choices { { 3, 1 }, { 12, 9 } });
        const QImage pair = shown();
        QCOMPARE(hex(pair.pixel(197, 135)), hex(rgbOf(board::lineColor(1))));
        QCOMPARE(hex(pair.pixel(194, 135)), hex(Underlay));
        QCOMPARE(hex(pair.pixel(199, 135)), hex(Underlay));
        QCOMPARE(pair.pixel(202, 135), empty.pixel(202, 135));
        f().btnBtnClearClick();
        QVERIFY(shown() == empty);
    }

    void resetAfterFullBoard_data()
    {
        QTest::addColumn<bool>("restart");
        QTest::newRow("Clear") << false;
        QTest::newRow("Re-Start") << true;
    }

    void resetAfterFullBoard()
    {
        QFETCH(bool, restart);
        const std::array<int, 17> perm { 0, 3, 12, 8, 14, 1, 9, 16, 5, 11, 2, 7, 13, 6, 4, 15, 10 };
        Choices full;
        for (int t = 1; t <= 16; ++t)
            full.append({ t, perm[std::size_t(t)] });
        f().board().setDisplay({ 0, 0, 1, 0, 0 });
        choose(full);
        f().board().beginChoosing(11);
        if (restart)
            f().btnAllClearClick();
        else
            f().btnBtnClearClick();

        QCOMPARE(f().board().treeBeingChosen(), 11);
        QCOMPARE(f().board().display().treeBtnTxtBold, 1);
        for (int t = 1; t <= 17; ++t)
            QCOMPARE(f().board().optionOn(t), 0);
        // The dialog's reset look: LF CR before the empty mark, bold 10 pt black.
        for (int k = 1; k <= 16; ++k) {
            const TGlassButton* b = Form2->optionButton(k);
            QCOMPARE(b->caption(), board::optionName(k) + u"\n\r" + board::EmptyMark);
            QVERIFY(b->font().bold());
            QCOMPARE(points(b->font()), 10);
            QCOMPARE(b->fontColor(), TColor(0));
            QCOMPARE(b->innerBorderColor(), board::optionInnerColor(k));
            QCOMPARE(b->outerBorderColor(), board::optionOuterColor(k));
            QCOMPARE(b->backColor(), board::backColor(k, 0));
        }
        verifyTreeButtons(Choices {}, QList<int> {}, 0, 0);
        for (int t = 1; t <= 16; ++t)
            QVERIFY(f().treeButton(t)->isEnabled());
        verifyOverlay(Lines {});
    }

    void captionsFit_data()
    {
        QTest::addColumn<Choices>("choices");
        QTest::addColumn<int>("treeBold");
        Choices alone, virtues, vices;
        for (int t = 1; t <= 16; ++t) {
            alone.append({ t, 17 - t });
            virtues.append({ t, (t + 1) / 2 });
            vices.append({ t, (t + 1) / 2 + 8 });
        }
        QTest::newRow("empty board, bold 10 pt labels") << Choices {} << 0;
        QTest::newRow("every option alone, plain 9 pt") << alone << 0;
        QTest::newRow("every option alone, bold 9 pt") << alone << 1;
        QTest::newRow("virtues in conflict, bold 10 pt") << virtues << 0;
        QTest::newRow("vices in conflict, bold 10 pt") << vices << 0;
    }

    void captionsFit()
    {
        // Every tree caption keeps its explicit lines (no word broken onto a line of its own) and
        // stays inside the 40 x 40 button, laid out as the painter does in its caption box.
        QFETCH(Choices, choices);
        QFETCH(int, treeBold);
        f().board().setDisplay({ 0, 0, treeBold, 0, 0 });
        choose(choices);
        for (int t = 1; t <= 16; ++t) {
            const TGlassButton* b = f().treeButton(t);
            const QString text = glass::captionLines(b->caption());
            QTextLayout layout(text, b->font());
            QTextOption option(Qt::AlignCenter);
            option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            layout.setTextOption(option);
            qreal height = 0;
            int lines = 0;
            layout.beginLayout();
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLeadingIncluded(true);
                line.setLineWidth(b->width() - 2);
                height += line.height();
                ++lines;
            }
            layout.endLayout();
            const QString what = QStringLiteral("tree %1 \"%2\"").arg(t).arg(text);
            QVERIFY2(lines == text.count(QChar::LineSeparator) + 1, qPrintable(what + QStringLiteral(" wraps")));
            QVERIFY2(height <= b->height(), qPrintable(what + QStringLiteral(" is too tall")));
        }
    }

    void treeClickThroughTheDialog()
    {
        // The real click path: a tree button opens the modal dialog, a click on an option
        // closes it. The dialog is driven from inside its own event loop.
        m_windows->platform.calls.clear();
        Form1->show();
        QStringList duringDialog;
        bool shown = false;
        QTimer::singleShot(0, Form2, [&] {
            shown = Form2->isVisible();
            duringDialog = m_windows->platform.callsOf(QStringLiteral("setStayOnTop"));
            QTest::mouseClick(Form2->optionButton(11), Qt::LeftButton);
        });
        QTest::mouseClick(f().treeButton(5), Qt::LeftButton);
        QVERIFY(shown);
        QVERIFY(!Form2->isVisible());
        QCOMPARE(f().board().treeBeingChosen(), 5);
        QCOMPARE(board::optionName(f().board().optionOn(5)), QStringLiteral("Shame"));
        QCOMPARE(f().treeButton(5)->caption(), QStringLiteral("Shame\r\nR４"));
        QCOMPARE(Form2->optionButton(11)->caption(), QStringLiteral("Shame\r\nR４"));
        QCOMPARE(duringDialog, QStringList { QStringLiteral("setStayOnTop Form1 off") });
        QCOMPARE(m_windows->platform.callsOf(QStringLiteral("setStayOnTop")).last(),
                 QStringLiteral("setStayOnTop Form1 on"));
        QVERIFY(f().chTopmost->isChecked());
    }

    void closeWithoutChoice_data()
    {
        QTest::addColumn<int>("topmost");
        QTest::addColumn<QString>("after");
        QTest::newRow("stay-on-top on") << -1 << QStringLiteral("setStayOnTop Form1 on");
        QTest::newRow("stay-on-top off") << 0 << QStringLiteral("setStayOnTop Form1 off");
    }

    void closeWithoutChoice()
    {
        QFETCH(int, topmost);
        QFETCH(QString, after);
        choose(Choices { { 3, 1 }, { 12, 9 } });
        f().board().setStayOnTop(topmost != 0);
        const QImage before = f().Image2->bitmap();
        m_windows->platform.calls.clear();
        QTimer::singleShot(0, Form2, [] { QTest::mouseClick(Form2->optionButton(18), Qt::LeftButton); });
        f().btn01Click(f().treeButton(7));
        QCOMPARE(f().board().treeBeingChosen(), 7);
        QCOMPARE(f().board().optionOn(7), 0);
        QCOMPARE(f().treeButton(7)->caption(), label(7));
        QCOMPARE(board::optionName(f().board().optionOn(3)), QStringLiteral("Compas."));
        QVERIFY(f().Image2->bitmap() == before);
        const QStringList calls = m_windows->platform.callsOf(QStringLiteral("setStayOnTop"));
        QCOMPARE(calls.first(), QStringLiteral("setStayOnTop Form1 off"));
        QCOMPARE(calls.last(), after);
        QCOMPARE(f().chTopmost->isChecked(), topmost != 0);
    }

    void closingKeepsTheWindow_data()
    {
        using Close = std::function<void(QDialog*)>;
        QTest::addColumn<int>("dialog"); // 2: selection, 3: settings
        QTest::addColumn<Close>("close");
        const Close closeBox = [](QDialog* d) {
            d->windowHandle()->close();
        };
        QTest::newRow("selection: option chosen")
            << 2 << Close([](QDialog*) { Form2->BitBtn01Click(Form2->optionButton(3)); });
        QTest::newRow("selection: Close") << 2 << Close([](QDialog*) { Form2->BitBtn18Click(); });
        QTest::newRow("selection: Esc") << 2 << Close([](QDialog* d) { QTest::keyClick(d, Qt::Key_Escape); });
        QTest::newRow("selection: close box") << 2 << closeBox;
        QTest::newRow("settings: OK") << 3 << Close([](QDialog*) { Form3->btnOKClick(); });
        QTest::newRow("settings: Cancel") << 3 << Close([](QDialog*) { Form3->btnCancelClick(); });
        QTest::newRow("settings: close box") << 3 << closeBox;
    }

    void closingKeepsTheWindow()
    {
        // Closed dialogs are only hidden: the next opening finds the same native window.
        QFETCH(int, dialog);
        QFETCH(std::function<void(QDialog*)>, close);
        QDialog* d = dialog == 2 ? static_cast<QDialog*>(Form2) : Form3;
        f().show();
        QList<WId> ids;
        for (int opening = 0; opening < 2; ++opening) {
            QTimer::singleShot(0, d, [&] {
                ids << d->windowHandle()->winId();
                close(d);
            });
            d->exec();
            QVERIFY(!d->isVisible());
            QCOMPARE(d->windowHandle()->winId(), ids.last());
        }
        QCOMPARE(ids.size(), 2);
        QCOMPARE(ids[1], ids[0]);
    }
};

QTEST_MAIN(TestSelection)
#include "tst_selection.moc"
