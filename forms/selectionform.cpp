#include "forms/selectionform.h"

#include "core/boardtables.h"
#include "forms/errorhandler.h"
#include "forms/layoutfont.h"
#include "forms/settingsfile.h"
#include "widgets/backgroundenter.h"
#include "widgets/glassbutton.h"

#include <algorithm>

namespace {

constexpr QSize ClientSize { 304, 232 };
constexpr TColor ConflictBorder = 0x009314FF;
constexpr TColor ConflictBack = 0x00EE82EE;
constexpr TColor ConflictText = 0x000000FF;

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

TForm2::TForm2(Board& board, QWidget* parent)
    : KeptDialog(parent,
                 Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint
                     | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint)
    , m_board(board)
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
    connect(&m_board, &Board::changed, this, &TForm2::boardChanged);
    // Onto the dialog's bare background, from outside or from an option button.
    new BackgroundEnter(this, [this] { BitBtn01MouseEnter(); });
}

TGlassButton* TForm2::optionButton(int k) const
{
    return optionButtons.at(std::size_t(k));
}

int TForm2::optionIndexOf(const QObject* button) const
{
    const auto found = std::find(optionButtons.begin() + 1, optionButtons.end(), button);
    return found == optionButtons.end() ? 0 : int(found - optionButtons.begin());
}

void TForm2::boardChanged(Board::Change what)
{
    switch (what) {
    case Board::Change::Choice:
    case Board::Change::DisplayChoices:
        Check2Red();
        break;
    case Board::Change::Clear:
        btnClear();
        break;
    case Board::Change::StayOnTop:
        break;
    }
}

void TForm2::FormCreate()
{
    btnClear();
    m_unplaced = placement::StoredPosition();
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
    placement::applyPosition(this, position());
    m_unplaced.reset();
}

QPoint TForm2::position()
{
    if (!m_unplaced)
        return placement::screenPosition(this);
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
    Q_EMIT mouseEntered();
}

void TForm2::btnClear()
{
    const int scheme = m_board.display().btnBGColor;
    for (int k = 1; k <= board::OptionCount; ++k) {
        TGlassButton* b = optionButton(k);
        b->setCaption(board::optionName(k) + QStringLiteral("\n\r") + board::EmptyMark);
        b->setBackColor(board::backColor(k, scheme));
    }
    for (int k = 1; k <= board::OptionCount; ++k) {
        TGlassButton* b = optionButton(k);
        b->setFontBold(true);
        b->setFontPointSize(10);
        b->setFontColor(tcolor::Black);
        b->setInnerBorderColor(board::optionInnerColor(k));
        b->setOuterBorderColor(board::optionOuterColor(k));
    }
    optionButton(17)->setCaption(QStringLiteral("Cancel\r\nSelection"));
    optionButton(18)->setCaption(QStringLiteral("Close"));
}

void TForm2::BitBtn01Click(QObject* sender)
{
    const int k = optionIndexOf(sender);
    const int t = m_board.treeBeingChosen();
    if (k >= 1 && k <= board::OptionCount)
        m_board.choose(t, k);
    else
        m_board.clearTree(t);
    close();
}

void TForm2::BitBtn18Click()
{
    close();
}

void TForm2::Check2Red()
{
    const analysis::BoardLook look = m_board.analyse();
    const DisplaySettings& display = m_board.display();
    for (int i = 1; i <= board::OptionCount; ++i) {
        TGlassButton* b = optionButton(i);
        const analysis::Claims& claims = look.claims[std::size_t(i)];
        const int pair = board::pairIndex(i);
        b->setCaption(board::optionName(i) + QStringLiteral("\r\n")
                      + (claims.count == 0 ? board::EmptyMark : claims.labels));
        b->setInnerBorderColor(board::optionInnerColor(pair));
        b->setOuterBorderColor(board::optionOuterColor(pair));
        if (claims.count == 0) {
            b->setFontBold(true);
            b->setFontPointSize(9);
            b->setFontColor(0x000000);
        } else {
            b->setFontBold(display.tokuBtnTxtBold != 0);
            b->setFontPointSize(9);
            b->setFontColor(display.tokuBtnTxtColor != 0 ? 0x404040 : 0xB0B0B0);
            b->setOuterBorderColor(Color);
        }
        b->setBackColor(board::backColor(i, display.btnBGColor));
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
