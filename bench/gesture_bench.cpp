// What one gesture costs in the windows, on the bench recording with its
// echo-dynamics overview computed once before the timing: the main window
// and the echo-dynamics window are made as the program makes them (on the
// offscreen platform) and each iteration is one gesture.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>

#include "analysis/echo_overview.h"
#include "app/echo_dynamics_form.h"
#include "app/echo_strips.h"
#include "app/main_form.h"
#include "bench_recording.h"
#include "inspection/open_recording.h"
#include "viewer/record_query.h"

using namespace vantrel;

namespace {

// The main window on the bench recording with the echo-dynamics window open
// from its menu, the overview computed; made once for every benchmark.
struct OpenWindows {
    OpenRecording recording{QString()}; // no data folder: nothing kept
    TMainForm main{recording};
    TEchoDynamicsForm* echo = nullptr;
    EchoStrips* strips = nullptr;

    OpenWindows() {
        main.show();
        main.openFile(QString::fromStdString(bench::benchRecording()));
        if (auto* item = main.findChild<QAction*>(QStringLiteral("EchoDynamicsItem")))
            item->trigger();
        echo = &main.echoDynamics();
        QElapsedTimer waited;
        waited.start();
        while (!echo->overview() && waited.elapsed() < 600000)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        strips = echo->findChild<EchoStrips*>(QStringLiteral("EchoStrips"));
    }
};

// Made by the first benchmark that asks, closed by main() before the
// application goes.
std::unique_ptr<OpenWindows> openWindows;

OpenWindows* windows() {
    if (!openWindows) openWindows = std::make_unique<OpenWindows>();
    return openWindows->echo->overview() && openWindows->strips ? openWindows.get() : nullptr;
}

// One playback step with the echo-dynamics window open: the main window
// steps to the next frame (as its Next button and each playback turn do,
// reading a record where the frame lies in the next one), the
// echo-dynamics window moves the cursor to it, and the strips repaint.
// Arg 0: the whole file across the strips (thousands of frames a column);
// Arg 1: a view of 300 records, whose B-scan is read from the records. The
// steps start in the middle of the view and go back there (untimed) before
// they reach its end, so the view never moves.
void BM_PlaybackStepWithEchoDynamics(benchmark::State& state) {
    OpenWindows* w = windows();
    if (!w) {
        state.SkipWithError("no bench recording");
        return;
    }
    const EchoOverview& o = *w->echo->overview();
    const int64_t total = o.frameCount();
    if (state.range(0) == 0) {
        w->echo->fitAll();
    } else {
        const int32_t first = o.recordNumber(total / 2);
        const int64_t from = o.indexOf(first, 0), to = o.indexOf(first + 300, 0);
        w->echo->setView(from, to > from ? to : total);
    }
    const OverviewView view = w->echo->view();
    const int64_t middle = (view.from + view.to) / 2;
    int64_t restartReads = 0;
    auto restart = [&] {
        const int64_t before = RecordQuery::recordsRead();
        w->main.goToFrame(o.recordNumber(middle), o.frameNumber(middle));
        w->strips->repaint();
        restartReads += RecordQuery::recordsRead() - before;
    };
    restart();
    const int64_t readBefore = RecordQuery::recordsRead();
    restartReads = 0;
    for (auto _ : state) {
        if (w->echo->view().cursor + 2 >= view.to) {
            state.PauseTiming();
            restart();
            state.ResumeTiming();
        }
        w->main.RzButtonNextClick();
        w->strips->repaint();
    }
    const OverviewView after = w->echo->view();
    if (after.from != view.from || after.to != view.to) state.SkipWithError("the view moved");
    const double steps = static_cast<double>(std::max<int64_t>(state.iterations(), 1));
    state.counters["framesInView"] = static_cast<double>(view.to - view.from);
    // The main window's reads: the records it steps into.
    state.counters["recordsReadPerStep"] =
        static_cast<double>(RecordQuery::recordsRead() - readBefore - restartReads) / steps;
    state.counters["width"] = w->strips->width();
    state.counters["height"] = w->strips->height();
}
BENCHMARK(BM_PlaybackStepWithEchoDynamics)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The windows' settings go to a folder of this run, never the user's.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QApplication::setApplicationName(QStringLiteral("Vantrel"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    openWindows.reset();
    return 0;
}
