#include "forms/mainform.h"

#include "core/boardtables.h"
#include "forms/errorhandler.h"
#include "forms/layoutfont.h"
#include "forms/settingsfile.h"
#include "platform/platform.h"
#include "platform/platformlog.h"
#include "widgets/backgroundenter.h"
#include "widgets/glassbutton.h"
#include "widgets/imagebox.h"
#include "widgets/overlayimage.h"
#include "widgets/picturefile.h"

#include <algorithm>
#include <cmath>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QTimer>

namespace {

constexpr QSize ClientSize { 304, 348 };
constexpr TColor GlowBlue = 0x00FFBD8D;
constexpr TColor ConflictText = 0x000000FF;
constexpr int TreeCaptionStretch = 62; // percent of the face's normal width
// Far more than a result line needs; the edit's own limit (32767) would cut silently.
constexpr int NameMaxLength = 256;

struct TreePlace
{
    int left;
    int top;
};

// clang-format off
constexpr std::array<TreePlace, 17> TreePlaces{{
    {0, 0},
    {65, 59},   {122, 62},  {177, 70},  {135, 120},
    {252, 118}, {231, 169}, {184, 165}, {225, 222},
    {122, 222}, {80, 267},  {138, 289}, {177, 249},
    {19, 105},  {57, 155},  {7, 158},   {29, 211},
}};
// clang-format on

} // namespace

using layout::latinCaptionFont;
using layout::pixelFont;
using layout::twoDigits;

const QString TForm1::Caption = QStringLiteral("[PLMO] Pellimo by Vaskorin");

TForm1::TForm1(const StopwatchClock* clock, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_ownClock(clock ? nullptr : std::make_unique<SystemStopwatchClock>())
    , m_clock(clock ? clock : m_ownClock.get())
    , m_stopwatch(*m_clock)
{
    setObjectName(QStringLiteral("Form1"));
    createWidgets();
    connect(&m_board, &Board::changed, this, &TForm1::boardChanged);
}

TForm1::~TForm1() = default;

TGlassButton* TForm1::makeButton(const char* name, QRect geometry, int fontPx, bool bold)
{
    auto* b = new TGlassButton(this);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(geometry);
    b->setFont(pixelFont(QStringLiteral("Meiryo UI"), fontPx, bold));
    b->setBackColor(tcolor::White);
    b->setForeColor(tcolor::White);
    b->setGlowColor(GlowBlue);
    b->setShineColor(tcolor::White);
    b->setInnerBorderColor(tcolor::Black);
    b->setOuterBorderColor(tcolor::White);
    b->setFontColor(tcolor::WindowText);
    b->setTabStop(false);
    connect(b, &TGlassButton::mouseEntered, this, &TForm1::btn01MouseEnter);
    return b;
}

void TForm1::createWidgets()
{
    setWindowTitle(Caption);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(ClientSize);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    setFont(pixelFont(QStringLiteral("Meiryo UI"), 11));
    // Qt's X11 backend decodes every size an icon has and sends them all with each window; window
    // managers and panels draw it at 16 to 48 pixels and scale from the nearest.
    QIcon icon;
    for (int size : { 16, 32, 48 })
        icon.addPixmap(QPixmap::fromImage(readPicture(QStringLiteral(":/icon/pellimo_%1.png").arg(size))));
    setWindowIcon(icon);

    Image1 = new ImageBox(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(2, 46, 300, 300);
    Image1->setAccessibleName(QStringLiteral("Garden map"));
    Image2 = new OverlayImage(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(2, 46, 300, 300);
    Image2->setAccessibleName(QStringLiteral("Pair lines"));

    lblTIME = new QLabel(QStringLiteral("00:00.000"), this);
    lblTIME->setObjectName(QStringLiteral("lblTIME"));
    lblTIME->setGeometry(123, 1, 83, 20);
    lblTIME->setFont(pixelFont(QStringLiteral("Meiryo UI"), 16));
    lblTIME->setAlignment(Qt::AlignRight | Qt::AlignTop);

    Label1 = new QLabel(QStringLiteral("Always"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(70, 319, 36, 14);

    for (int t = 1; t <= board::TreeCount; ++t) {
        const QByteArray name = "btn" + twoDigits(t).toLatin1();
        TGlassButton* b = makeButton(name.constData(), QRect(TreePlaces[t].left, TreePlaces[t].top, 40, 40), 11, false);
        b->setFontColor(tcolor::Black);
        // The faces standing in for Meiryo UI are wider than it; condensed, every option name keeps
        // to its line in a 40-pixel tree, in the bold 10-point conflict look too.
        QFont font = b->font();
        font.setStretch(TreeCaptionStretch);
        b->setFont(font);
        b->setForceTransparent(true);
        connect(b, &TGlassButton::clicked, this, [this, b] { btn01Click(b); });
        treeButtons[t] = b;
    }

    btnBtnClear = makeButton("btnBtnClear", QRect(231, 320, 71, 26), 11, true);
    btnBtnClear->setCaption(QStringLiteral("Clear"));
    connect(btnBtnClear, &TGlassButton::clicked, this, &TForm1::btnBtnClearClick);

    btnAllClear = makeButton("btnAllClear", QRect(256, 1, 46, 44), 12, true);
    btnAllClear->setForceTransparent(true);
    connect(btnAllClear, &TGlassButton::clicked, this, &TForm1::btnAllClearClick);

    btnSTA = makeButton("btnSTA", QRect(0, 1, 60, 44), 12, true);
    btnSTA->setForceTransparent(true);
    connect(btnSTA, &TGlassButton::clicked, this, &TForm1::btnSTAClick);

    btnEND = makeButton("btnEND", QRect(60, 1, 60, 44), 12, true);
    btnEND->setForceTransparent(true);
    connect(btnEND, &TGlassButton::clicked, this, &TForm1::btnENDClick);

    // A new edit lays out its empty text in the application's font before it takes the window's,
    // and would load a face that nothing shows; it is built with the window's font as the
    // application's for that moment. Before the event loop runs, no widget hears of the change.
    const QFont applicationFont = QApplication::font();
    QApplication::setFont(font());
    edtNAME = new QLineEdit(this);
    QApplication::setFont(applicationFont);
    edtNAME->setObjectName(QStringLiteral("edtNAME"));
    edtNAME->setGeometry(123, 22, 83, 22);
    edtNAME->setAccessibleName(QStringLiteral("Name"));
    edtNAME->setFocusPolicy(Qt::ClickFocus); // not a tab stop
    edtNAME->setMaxLength(NameMaxLength);
    edtNAME->installEventFilter(this);

    btnCOPY = makeButton("btnCOPY", QRect(210, 1, 46, 44), 12, true);
    btnCOPY->setFont(latinCaptionFont(QStringLiteral("Tahoma"), 12, true));
    btnCOPY->setForceTransparent(true);
    btnCOPY->setTabStop(true);
    connect(btnCOPY, &TGlassButton::clicked, this, &TForm1::btnCOPYClick);

    btnSetting = makeButton("btnSetting", QRect(2, 320, 50, 26), 11, true);
    btnSetting->setCaption(QStringLiteral("Setting"));
    connect(btnSetting, &TGlassButton::clicked, this, &TForm1::btnSettingClick);

    chTopmost = new QCheckBox(this);
    chTopmost->setObjectName(QStringLiteral("chTopmost"));
    chTopmost->setGeometry(54, 328, 59, 17);
    // The caption "\n\ron Top" puts "on Top" on its own line under "Always"; Qt draws
    // the line breaks as an empty first line, so show the text line alone.
    chTopmost->setProperty("caption", QStringLiteral("\n\ron Top"));
    chTopmost->setText(QStringLiteral("on Top"));
    chTopmost->setFocusPolicy(Qt::ClickFocus);
    chTopmost->setChecked(true); // the layout starts in the stay-on-top band
    connect(chTopmost, &QCheckBox::toggled, this, [this] { runGuarded([this] { chTopmostClick(); }); });

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(300);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);

    connect(Image1, &ImageBox::mouseEntered, this, &TForm1::btn01MouseEnter);
    connect(Image2, &OverlayImage::mouseEntered, this, &TForm1::btn01MouseEnter);

    chTopmost->installEventFilter(this);
    // The window's own mouse-enter is for its bare background only: entering a label does not
    // count, coming back from any child onto the background does.
    new BackgroundEnter(this, [this] { btn01MouseEnter(); });
}

TGlassButton* TForm1::treeButton(int t) const
{
    return treeButtons.at(std::size_t(t));
}

int TForm1::treeIndexOf(const QObject* button) const
{
    const auto found = std::find(treeButtons.begin() + 1, treeButtons.end(), button);
    return found == treeButtons.end() ? 0 : int(found - treeButtons.begin());
}

void TForm1::FormCreate()
{
    // An unreadable settings file is reported; the window still comes up with the defaults.
    settingsfile::MainSettings s;
    runGuarded([&] { s = settingsfile::readMain(); });
    // The default position (for a position missing or out of reach) centres the window by its
    // outer size, and the frame is the window manager's to tell: asked now, the answer is
    // collected once the map picture is decoded.
    if (!s.position.applicable(this))
        Platform::instance().requestFrameMargins(this);
    // A longer name from the file shows cut, and goes back to the file whole unless edited.
    m_storedName = s.name;
    edtNAME->setText(s.name);
    m_board.restore(s.display, s.topmost);

    chTopmost->setChecked(m_board.stayOnTop());
    setStayOnTop(m_board.stayOnTop());

    loadMapPicture();
    placement::applyPosition(this, s.position.resolve(this));

    btnSTA->setCaption(QStringLiteral("Start\r\nmeas."));
    btnEND->setCaption(QStringLiteral("Stop\r\nmeas."));
    btnAllClear->setCaption(QStringLiteral("Re-\r\nStart"));
    btnCOPY->setCaption(QStringLiteral("Copy\r\nresult"));

    excAllClear();
}

void TForm1::loadMapPicture()
{
    const QString name
        = m_board.display().btnBGColor == 0 ? QStringLiteral("PngImage_2") : QStringLiteral("PngImage_1");
    if (!Image1->setPictureFile(QStringLiteral(":/maps/%1.png").arg(name)))
        qCWarning(lcPlatform, "the map picture %s is missing or cannot be decoded", qPrintable(name));
}

void TForm1::excAllClear()
{
    excTimerReset();
    excBtnClearForm1();
    excBtnEnabled(true);
    btnSTA->setEnabled(true);
    btnEND->setEnabled(false);
    btnAllClear->setEnabled(true);
    Campus2Clear();
}

void TForm1::excBtnClearForm1()
{
    for (int t = 1; t <= board::TreeCount; ++t) {
        TGlassButton* b = treeButton(t);
        b->setCaption(board::treeLabel(t));
        b->setFontBold(true);
        b->setFontPointSize(10);
        b->setFontColor(tcolor::Gray);
        b->setInnerBorderColor(tcolor::Black);
        b->setOuterBorderColor(tcolor::Black);
    }
    Campus2Clear();
    m_board.clearAll();
}

void TForm1::excBtnEnabled(bool bTmp)
{
    for (int t = 1; t <= board::TreeCount; ++t) {
        TGlassButton* b = treeButton(t);
        b->setEnabled(bTmp);
        b->setFontColor(bTmp ? tcolor::Black : tcolor::Gray);
    }
    btnBtnClear->setEnabled(bTmp);
}

void TForm1::Campus2Clear()
{
    Image2->setTransparent(true);
    Image2->newBitmap();
    Image2->fillRect(QRect(0, 0, Image2->width(), Image2->height()));
}

void TForm1::btnAllClearClick()
{
    excAllClear();
}

void TForm1::btnBtnClearClick()
{
    excBtnClearForm1();
}

void TForm1::btn01Click(QObject* sender)
{
    m_board.beginChoosing(treeIndexOf(sender));
    setStayOnTop(false);
    if (m_dialogs.chooseOption)
        m_dialogs.chooseOption();
    restoreTopmost();
}

void TForm1::boardChanged(Board::Change what)
{
    switch (what) {
    case Board::Change::Choice:
        showTreeCaptions();
        Check1RedLine();
        break;
    case Board::Change::Clear:
        Check1RedLine();
        break;
    case Board::Change::DisplayChoices:
        m_displayConfirmed = true;
        break;
    case Board::Change::StayOnTop:
        break;
    }
}

void TForm1::showTreeCaptions()
{
    for (int t = 1; t <= board::TreeCount; ++t) {
        const int k = m_board.optionOn(t);
        if (k != 0)
            treeButton(t)->setCaption(board::optionName(k) + QStringLiteral("\r\n") + board::treeLabel(t));
        else if (m_board.isEmptied(t))
            treeButton(t)->setCaption(board::treeLabel(t) + QStringLiteral("\r\n") + board::EmptyMark);
    }
}

void TForm1::Check1RedLine()
{
    const analysis::BoardLook look = m_board.analyse();
    const DisplaySettings& display = m_board.display();

    // The look of each tree from what it holds; trees in conflict get red text, borders and
    // background stay.
    for (int t = 1; t <= board::TreeCount; ++t) {
        TGlassButton* b = treeButton(t);
        const int p = m_board.optionOn(t);
        if (p == 0) {
            b->setFontBold(true);
            b->setFontPointSize(10);
            b->setFontColor(0x000000);
            b->setInnerBorderColor(0x000000);
            b->setOuterBorderColor(0x000000);
            b->setBackColor(0xFFFFFF);
            continue;
        }
        b->setFontBold(display.treeBtnTxtBold != 0);
        b->setFontPointSize(9);
        b->setFontColor(display.treeBtnTxtColor != 0 ? 0x808080 : 0x202020);
        b->setInnerBorderColor(board::lineColor(p));
        b->setOuterBorderColor(board::lineColor(p));
        b->setBackColor(board::backColor(p, display.btnBGColor));
        if (look.trees[std::size_t(t)] == analysis::TreeLook::Conflict) {
            b->setFontBold(true);
            b->setFontPointSize(10);
            b->setFontColor(ConflictText);
        }
    }

    // The pair lines on a fresh overlay, in the order they are found; both trees of a line take
    // its colour as their borders. A line ends on the button's centre line, 4 pixels below its
    // middle, in overlay pixels.
    auto point = [this](int t) {
        const QRect g = treeButton(t)->geometry();
        return QPoint(g.left() + int(std::ceil(g.width() / 2.0)) - 2, g.top() - int(std::ceil(g.height() / 2.0)) - 2);
    };
    std::vector<OverlayImage::Line> lines;
    for (const analysis::PairLine& line : look.lines) {
        const TColor colour = board::lineColor(line.option);
        for (int t : { line.from, line.to }) {
            treeButton(t)->setInnerBorderColor(colour);
            treeButton(t)->setOuterBorderColor(colour);
        }
        lines.push_back({ point(line.from), point(line.to), colour });
    }
    Image2->setTransparent(true);
    Image2->setLines(lines);
}
