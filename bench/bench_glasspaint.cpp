// Cost of drawing one glass button into an image: what every repaint of a button pays.

#include "app/application.h"
#include "widgets/glassbutton.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QImage>
#include <QPainter>

namespace {

constexpr TColor GlowBlue = 0xFFBD8D;

/** Opens the pressed state, which adds the glow layer. */
class BenchButton final : public TCustomGlassButton
{
public:
    using TCustomGlassButton::TCustomGlassButton;
    void setPressed(bool on) { FMouseDownInControl = on; }
};

void setUp(BenchButton& b, QSize size, const QString& face, int px, bool bold, const QString& caption, TColor back)
{
    b.resize(size);
    QFont f(face);
    f.setPixelSize(px);
    f.setBold(bold);
    b.setFont(f);
    b.setCaption(caption);
    b.setBackColor(back);
    b.setGlowColor(GlowBlue);
    b.setInnerBorderColor(tcolor::Black);
    b.setOuterBorderColor(tcolor::White);
    b.setFontColor(tcolor::Black);
}

void paintInto(benchmark::State& state, BenchButton& b)
{
    QImage img(b.size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::darkGreen);
    {
        QPainter warmUp(&img); // the first paint loads the fonts
        b.PaintGlass(warmUp);
    }
    for (auto _ : state) {
        QPainter p(&img);
        b.PaintGlass(p);
        p.end();
        benchmark::DoNotOptimize(img.constBits());
    }
}

void BM_TreeButton(benchmark::State& state)
{
    BenchButton b;
    setUp(b, QSize(40, 40), QStringLiteral("Meiryo UI"), 13, true, QStringLiteral("Honor\r\nU\uFF14"), tcolor::White);
    b.setPressed(state.range(0) != 0);
    paintInto(state, b);
}
BENCHMARK(BM_TreeButton)->Arg(0)->Arg(1)->ArgName("pressed")->Unit(benchmark::kMicrosecond);

void BM_OptionButton(benchmark::State& state)
{
    BenchButton b;
    setUp(b, QSize(75, 40), QStringLiteral("Tahoma"), 11, false, QStringLiteral("Honor\n\r\uFF0D"), tcolor::Silver);
    b.setPressed(state.range(0) != 0);
    paintInto(state, b);
}
BENCHMARK(BM_OptionButton)->Arg(0)->Arg(1)->ArgName("pressed")->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    installFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
