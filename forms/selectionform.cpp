#include "selectionform.h"

#include "backgroundenter.h"
#include "boardanalysis.h"
#include "boardtables.h"
#include "errorhandler.h"
#include "glassbutton.h"
#include "layoutfont.h"
#include "mainform.h"
#include "overlayimage.h"
#include "settingsfile.h"

#include <cmath>

namespace {

constexpr QSize ClientSize { 304, 232 };
constexpr TColor ConflictBorder = 0x009314FF;
constexpr TColor ConflictBack = 0x00EE82EE;
constexpr TColor ConflictText = 0x000000FF;
constexpr TColor UnderlayColor = 0x00F8F8F8;

struct OptionPlace
{
    int left;
    int top;
};

// clang-format off
constexpr std::array<OptionPlace, 19> OptionPlaces{{
    {0, 0},
    {0, 1},   {76, 1},   {152, 1},   {228, 1},    // Compas. Honesty Honor Humili.
    {0, 95},  {76, 95},  {152, 95},  {228, 95},   // Justice Sacrif. Spirit. Valor
    {0, 41},  {76, 41},  {152, 41},  {228, 41},   // Despise Deceit Shame Pride
    {0, 135}, {76, 135}, {152, 135}, {228, 135},  // Wrong Coveto. Hythlo. Destard
    {152, 191}, {228, 191},                       // Cancel Selection, Close
}};
// clang-format on

} // namespace

using layout::pixelFont;
using layout::twoDigits;

TForm2::TForm2(TForm1* mainForm)
    : KeptDialog(mainForm,
                 Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint
                     | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint)
    , m_main(mainForm)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Please select *This screen can be moved*"));
    setFixedSize(ClientSize);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(tcolor::red(Color), tcolor::green(Color), tcolor::blue(Color)));
    setPalette(pal);
    setAutoFillBackground(true);
    setFont(pixelFont(QStringLiteral("Meiryo UI"), 11));

    for (int k = 1; k <= 18; ++k) {
        auto* b = new TGlassButton(this);
        b->setObjectName(QStringLiteral("BitBtn") + twoDigits(k));
        b->setGeometry(OptionPlaces[k].left, OptionPlaces[k].top, 75, 40);
        b->setFont(pixelFont(k == 1 ? QStringLiteral("Meiryo UI") : QStringLiteral("Tahoma"), 11));
        b->setFontColor(tcolor::WindowText);
        b->setGlowColor(0x00FFBD8D);
        b->setForeColor(tcolor::White);
        b->setShineColor(tcolor::White);
        b->setInnerBorderColor(tcolor::Black);
        b->setOuterBorderColor(tcolor::White);
        b->setBackColor(tcolor::Silver);
        b->setTabStop(false);
        b->setForceTransparent(k == 1);
        if (k == 18)
            connect(b, &TGlassButton::clicked, this, &TForm2::BitBtn18Click);
        else
            connect(b, &TGlassButton::clicked, this, [this, b] { BitBtn01Click(b); });
        connect(b, &TGlassButton::mouseEntered, this, &TForm2::BitBtn01MouseEnter);
        optionButtons[std::size_t(k)] = b;
    }
    // Onto the dialog's bare background, from outside or from an option button.
    new BackgroundEnter(this, [this] { BitBtn01MouseEnter(); });
}

TGlassButton* TForm2::optionButton(int k) const
{
    return optionButtons.at(std::size_t(k));
}

void TForm2::FormCreate()
{
    btnClear();
    m_unplaced = settingsfile::StoredPosition();
    runGuarded([this] { m_unplaced = settingsfile::readSelectionPosition(); });
    // A stored position within reach is applied now; the centred default waits for the first
    // show, as it asks the window manager for the dialog's frame.
    if (m_unplaced->applicable(this))
        place();
    btnClear();
}

void TForm2::place()
{
    if (!m_unplaced)
        return;
    settingsfile::applyPosition(this, position());
    m_unplaced.reset();
}

QPoint TForm2::position()
{
    if (!m_unplaced)
        return pos();
    return m_unplaced->resolve(this);
}

void TForm2::showEvent(QShowEvent* event)
{
    runGuarded([this] { FormShow(); });
    place();
    QDialog::showEvent(event);
}

void TForm2::FormShow()
{
    // The dialog is modal over the main window; raising it brings the application to the front.
    raise();
    activateWindow();
}

void TForm2::BitBtn01MouseEnter()
{
    if (m_main)
        m_main->ExecblChCursorTop();
}

void TForm2::btnClear()
{
    TForm1& f = *m_main;
    for (int k = 1; k <= board::OptionCount; ++k) {
        TGlassButton* b = optionButton(k);
        b->setCaption(f.sList2Txt[k] + QStringLiteral("\n\r") + board::EmptyMark);
        b->setBackColor(f.sListBCol[k]);
    }
    for (int t = 1; t <= board::CancelOption; ++t)
        f.sList1Sel[t] = QString();
    for (int k = 1; k <= board::OptionCount; ++k) {
        TGlassButton* b = optionButton(k);
        b->setFontBold(true);
        b->setFontPointSize(10);
        b->setFontColor(tcolor::Black);
        b->setInnerBorderColor(f.sList2Col[k]);
        b->setOuterBorderColor(f.sList2OCo[k]);
        TGlassButton* tree = f.treeButton(k);
        tree->setInnerBorderColor(tcolor::Black);
        tree->setOuterBorderColor(tcolor::Black);
    }
    optionButton(17)->setCaption(QStringLiteral("Cancel\r\nSelection"));
    optionButton(18)->setCaption(QStringLiteral("Close"));
}

void TForm2::BitBtn01Click(QObject* sender)
{
    TForm1& f = *m_main;
    const int k = sender->objectName().right(2).toInt();
    const int t = f.iSel1;
    if (t >= 1 && t <= board::TreeCount) {
        if (k <= board::OptionCount) {
            f.sList1Sel[t] = f.sList2Txt[k];
            f.treeButton(t)->setCaption(f.sList2Txt[k] + QStringLiteral("\r\n") + f.sList1Txt[t]);
        } else {
            f.sList1Sel[t] = QString();
            f.treeButton(t)->setCaption(f.sList1Txt[t] + QStringLiteral("\r\n") + board::EmptyMark);
        }
    }
    Check2Red();
    Check1RedLine();
    close();
}

void TForm2::BitBtn18Click()
{
    close();
}

void TForm2::Check2Red()
{
    const TForm1& f = *m_main;
    for (int i = 1; i <= board::OptionCount; ++i) {
        TGlassButton* b = optionButton(i);
        const analysis::Claims claims = analysis::claimsOf(i, f.sList1Sel, f.sList2Txt, f.sList1Txt);
        const QString list = claims.labels.isEmpty() ? board::EmptyMark : claims.labels;
        const int pair = board::pairIndex(i);
        b->setCaption(f.sList2Txt[i] + QStringLiteral("\r\n") + list);
        b->setInnerBorderColor(f.sList2Col[pair]);
        b->setOuterBorderColor(f.sList2OCo[pair]);
        if (list == board::EmptyMark) {
            b->setFontBold(true);
            b->setFontPointSize(9);
            b->setFontColor(0x000000);
        } else {
            b->setFontBold(f.iSettingsTokuBtnTxtBold != 0);
            b->setFontPointSize(9);
            b->setFontColor(f.iSettingsTokuBtnTxtColor != 0 ? 0x404040 : 0xB0B0B0);
            b->setOuterBorderColor(Color);
        }
        b->setBackColor(f.sListBCol[i]);
        if (claims.count >= 2) {
            b->setFontBold(true);
            b->setFontPointSize(9);
            b->setFontColor(ConflictText);
            b->setInnerBorderColor(ConflictBorder);
            b->setOuterBorderColor(ConflictBorder);
            b->setBackColor(ConflictBack);
        }
    }
}

void TForm2::Check1RedLine()
{
    TForm1& f = *m_main;
    const analysis::TreeAnalysis result = analysis::analyseTrees(f.sList1Sel, f.sList2Txt);

    // Pass 1: the look of each tree from what it holds.
    for (int t = 1; t <= board::TreeCount; ++t) {
        TGlassButton* b = f.treeButton(t);
        if (f.sList1Sel[t].isEmpty()) {
            b->setFontBold(true);
            b->setFontPointSize(10);
            b->setFontColor(0x000000);
            b->setInnerBorderColor(0x000000);
            b->setOuterBorderColor(0x000000);
            b->setBackColor(0xFFFFFF);
            continue;
        }
        const int p = result.option[t];
        b->setFontBold(f.iSettingsTreeBtnTxtBold != 0);
        b->setFontPointSize(9);
        b->setFontColor(f.iSettingsTreeBtnTxtColor != 0 ? 0x808080 : 0x202020);
        b->setInnerBorderColor(f.sList1Col[p]);
        b->setOuterBorderColor(f.sList1Col[p]);
        b->setBackColor(f.sListBCol[p]);
    }

    // Pass 2: trees in conflict get red text; borders and background stay.
    for (int t = 1; t <= board::TreeCount; ++t) {
        if (result.status[t] != analysis::Conflict)
            continue;
        TGlassButton* b = f.treeButton(t);
        b->setFontBold(true);
        b->setFontPointSize(10);
        b->setFontColor(ConflictText);
    }

    // Pass 3: the pair lines on a fresh overlay, in the order they are found.
    f.Campus2Clear();
    for (const analysis::PairLine& line : result.lines) {
        const TColor colour = f.sList1Col[line.option];
        f.Image2->setPenColor(colour);
        for (int t : { line.from, line.to }) {
            f.treeButton(t)->setInnerBorderColor(colour);
            f.treeButton(t)->setOuterBorderColor(colour);
        }
        Campus2Line(line.from, line.to);
    }
}

void TForm2::Campus2Line(qint32 a, qint32 b)
{
    TForm1& f = *m_main;
    OverlayImage& overlay = *f.Image2;
    // The end point sits on the button's centre line, 4 pixels below its middle, in overlay pixels.
    auto point = [&f](int t) {
        const QRect g = f.treeButton(t)->geometry();
        return QPoint(g.left() + int(std::ceil(g.width() / 2.0)) - 2, g.top() - int(std::ceil(g.height() / 2.0)) - 2);
    };
    const TColor colour = overlay.penColor();
    const QPoint from = point(a);
    const QPoint to = point(b);
    overlay.setPenColor(UnderlayColor);
    overlay.setPenWidth(6);
    overlay.moveTo(from.x(), from.y());
    overlay.lineTo(to.x(), to.y());
    overlay.setPenColor(colour);
    overlay.setPenWidth(4);
    overlay.moveTo(from.x(), from.y());
    overlay.lineTo(to.x(), to.y());
}
