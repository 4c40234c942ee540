// From a click on a main-window button to its dialog on screen, with the real window system:
// the dialog counts as on screen at its first expose, which comes after the X server has mapped
// it (under a window manager, after the manager has taken it in). Run it under X with a window
// manager: bench/dialog.sh does that. The time runs from the click to the expose; the dialog is
// then closed with its own button, and closing is not timed.

#include "app/application.h"
#include "fakeplatform.h"
#include "forms/formfactory.h"
#include "forms/mainform.h"
#include "forms/selectionform.h"
#include "forms/settingsform.h"
#include "platform/platform.h"
#include "widgets/glassbutton.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <ctime>
#include <functional>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWindow>
#include <vector>

namespace {

/** Calls `onExposed` at the first expose of a dialog's window that finds it exposed. */
class ExposeWatch final : public QObject
{
public:
    ExposeWatch(QWidget* dialog, std::function<void()> onExposed)
        : m_dialog(dialog)
        , m_onExposed(std::move(onExposed))
    {
        QCoreApplication::instance()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Expose && m_onExposed && watched == m_dialog->windowHandle()
            && m_dialog->windowHandle()->isExposed()) {
            auto call = std::move(m_onExposed);
            m_onExposed = nullptr;
            call();
        }
        return false;
    }

private:
    QWidget* m_dialog;
    std::function<void()> m_onExposed;
};

/** Lets the window manager settle between two openings (not timed). */
void settle()
{
    QEventLoop loop;
    QTimer::singleShot(30, &loop, &QEventLoop::quit);
    loop.exec();
}

double processCpuSeconds()
{
    timespec t {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : (v[(v.size() - 1) / 2] + v[v.size() / 2]) / 2;
}

/**
 * Times openings; besides the mean, reports the medians of the wall time and of this process's
 * CPU time per opening (on a busy machine the wall time also holds waits for the X server and
 * the window manager).
 */
void timeOpening(benchmark::State& state, QWidget* dialog, TGlassButton* opener, const std::function<void()>& close)
{
    settle();
    std::vector<double> walls;
    std::vector<double> cpus;
    for (auto _ : state) {
        QElapsedTimer clock;
        double seconds = 0;
        double cpu = 0;
        ExposeWatch watch(dialog, [&] {
            seconds = double(clock.nsecsElapsed()) / 1e9;
            cpu = processCpuSeconds() - cpu;
            QTimer::singleShot(0, dialog, close);
        });
        cpu = processCpuSeconds();
        clock.start();
        opener->click(); // returns once the modal dialog has closed
        state.SetIterationTime(seconds);
        walls.push_back(seconds * 1e3);
        cpus.push_back(cpu * 1e3);
        settle();
    }
    state.counters["wall_median_ms"] = median(walls);
    state.counters["cpu_median_ms"] = median(cpus);
}

void BM_TreeClickToSelectionDialogMapped(benchmark::State& state)
{
    timeOpening(state, Form2, Form1->treeButton(7), [] { Form2->BitBtn18Click(); });
}
BENCHMARK(BM_TreeClickToSelectionDialogMapped)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(40);

void BM_SettingClickToSettingsDialogMapped(benchmark::State& state)
{
    timeOpening(state, Form3, Form1->btnSetting, [] { Form3->btnCancelClick(); });
}
BENCHMARK(BM_SettingClickToSettingsDialogMapped)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(40);

} // namespace

int main(int argc, char** argv)
{
    FakePlatform platform(FakePlatform::Mode::Native);
    Platform::setInstance(&platform);
    QApplication app(argc, argv);
    prepareApplication();

    // The windows as the program builds them at start-up.
    createForms();
    Form1->show();

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    destroyForms();
    Platform::setInstance(nullptr);
    return 0;
}
