// One tree choice end to end, in process: the dialog's click handler, the option marking, the
// pair analysis with its lines, and a render of the whole main window; a repaint alone; and what
// it costs to build the three windows and show the main window once.

#include "app/application.h"
#include "fakeplatform.h"
#include "forms/formfactory.h"
#include "forms/mainform.h"
#include "forms/selectionform.h"
#include "forms/settingsform.h"
#include "platform/platform.h"
#include "widgets/glassbutton.h"

#include <array>
#include <benchmark/benchmark.h>
#include <QApplication>
#include <QImage>

namespace {

// Every option on its own tree: eight pair lines, sixteen coloured trees.
constexpr std::array<int, 17> FullBoard { 0, 3, 12, 8, 14, 1, 9, 16, 5, 11, 2, 7, 13, 6, 4, 15, 10 };

/** The windows as the user has them when choosing: the main window on screen. */
void createShownWindows()
{
    createForms();
    // A hidden widget looks its screen up on every font and device metric query during painting.
    Form1->show();
    QCoreApplication::processEvents();
}

void choose(int tree, int option)
{
    Form1->board().beginChoosing(tree);
    Form2->BitBtn01Click(Form2->optionButton(option));
}

/** Choice and render: tree by tree, each tree is given again the option it holds on the full board. */
void BM_ChoiceAndRender(benchmark::State& state)
{
    createShownWindows();
    for (int t = 1; t <= 16; ++t)
        choose(t, FullBoard[std::size_t(t)]);
    QImage image(Form1->size(), QImage::Format_ARGB32_Premultiplied);
    int t = 0;
    for (auto _ : state) {
        t = t % 16 + 1;
        choose(t, FullBoard[std::size_t(t)]);
        Form1->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    destroyForms();
}
BENCHMARK(BM_ChoiceAndRender)->Unit(benchmark::kMicrosecond);

/** The choice alone, without painting: what the click handler itself costs. */
void BM_Choice(benchmark::State& state)
{
    createShownWindows();
    for (int t = 1; t <= 16; ++t)
        choose(t, FullBoard[std::size_t(t)]);
    int t = 0;
    for (auto _ : state) {
        t = t % 16 + 1;
        choose(t, FullBoard[std::size_t(t)]);
        benchmark::ClobberMemory();
    }
    destroyForms();
}
BENCHMARK(BM_Choice)->Unit(benchmark::kMicrosecond);

/** A full repaint of the main window on the full board: map, sixteen tree buttons, six others, lines. */
void BM_MainWindowRepaint(benchmark::State& state)
{
    createShownWindows();
    for (int t = 1; t <= 16; ++t)
        choose(t, FullBoard[std::size_t(t)]);
    QImage image(Form1->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        Form1->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    destroyForms();
}
BENCHMARK(BM_MainWindowRepaint)->Unit(benchmark::kMicrosecond);

/** Start-up of the windows: create the three, render the main window once, delete them. */
void BM_CreateAndRender(benchmark::State& state)
{
    for (auto _ : state) {
        createForms();
        QImage image(Form1->size(), QImage::Format_ARGB32_Premultiplied);
        Form1->render(&image);
        benchmark::DoNotOptimize(image.constBits());
        state.PauseTiming();
        destroyForms();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CreateAndRender)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    FakePlatform platform(FakePlatform::Mode::Quiet);
    Platform::setInstance(&platform);
    QApplication app(argc, argv);
    prepareApplication();

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Platform::setInstance(nullptr);
    return 0;
}
