// What one gesture costs in the windows, on the bench recording with its
// echo-dynamics overview computed once before the timing: the main window
// and the echo-dynamics window are made as the program makes them (on the
// offscreen platform) and each iteration is one gesture.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>

#include "analysis/echo_overview.h"
#include "app/echo_dynamics_form.h"
#include "app/echo_strips.h"
#include "app/main_form.h"
#include "app/report_wiring.h"
#include "bench_recording.h"
#include "inspection/open_recording.h"
#include "report_window/report_form.h"
#include "viewer/record_query.h"

using namespace vantrel;

namespace {

// The main window on the bench recording with the echo-dynamics window open
// from its menu, the overview computed, and the report window made and
// wired as the program's start-up makes it; made once for every benchmark.
struct OpenWindows {
    // The recording is opened through a link in a folder of this run: the
    // decisions and settings a gesture changes are kept beside the file
    // opened, never beside the bench recording itself.
    QTemporaryDir folder;
    OpenRecording recording{QString()}; // no data folder
    TMainForm main{recording};
    TReportForm report{&main};
    TEchoDynamicsForm* echo = nullptr;
    EchoStrips* strips = nullptr;

    OpenWindows() {
        report.setSource(TReportForm::sourceOf(main.core()));
        connectReportToRecording(recording, main.core(), report);
        main.show();
        const QString file = QString::fromStdString(bench::benchRecording());
        const QString link = folder.filePath(QFileInfo(file).fileName());
        QFile::link(QFileInfo(file).absoluteFilePath(), link);
        main.openFile(link);
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

// One step of a threshold drag on the amplitude strip, the whole file in
// view: the threshold the strips ask for (in the unit of the recording's
// frames) goes back and forth between two near values, the indications are
// found again, and the strips repaint. The evaluation depends on the gap
// alone, so a step reads no record.
void BM_ThresholdDragStep(benchmark::State& state) {
    OpenWindows* w = windows();
    if (!w) {
        state.SkipWithError("no bench recording");
        return;
    }
    w->echo->setEvaluationShown(false); // the threshold line is dragged in the overview's view
    w->echo->fitAll();
    const EchoOverview& o = *w->echo->overview();
    const AmplitudeUnit unit = o.records().front().unit;
    // 40.0 % and 40.5 %, or the curve and 0.5 dB above it.
    const int64_t low = unit == AmplitudeUnit::Percent ? 400 : 0;
    const int64_t values[2] = {low, low + 5};
    w->echo->setThreshold(unit, values[1]);
    w->strips->repaint();
    const int64_t readBefore = RecordQuery::recordsRead();
    int step = 0;
    for (auto _ : state) {
        w->echo->setThreshold(unit, values[step++ % 2]);
        w->strips->repaint();
    }
    state.counters["records_read"] = static_cast<double>(RecordQuery::recordsRead() - readBefore);
    state.counters["indications"] = static_cast<double>(w->echo->overview()->indications().size());
    state.counters["width"] = w->strips->width();
    state.counters["height"] = w->strips->height();
}
BENCHMARK(BM_ThresholdDragStep)->Unit(benchmark::kMillisecond);

// Opening the report window's 缺陷汇总 menu with the recording evaluated:
// the menu's entries follow whether there is a defect list, which is known
// without making one (a list reads the record of every indication's peak).
void BM_DefectListMenuOpen(benchmark::State& state) {
    OpenWindows* w = windows();
    if (!w) {
        state.SkipWithError("no bench recording");
        return;
    }
    auto* menu = w->report.findChild<QMenu*>(QStringLiteral("DefectListMenu"));
    auto* print = w->report.findChild<QAction*>(QStringLiteral("DefectListPrintItem"));
    if (!menu || !print) {
        state.SkipWithError("no 缺陷汇总 menu");
        return;
    }
    const int64_t readBefore = RecordQuery::recordsRead();
    const int64_t builtBefore = w->recording.defectListsBuilt();
    for (auto _ : state)
        emit menu->aboutToShow(); // as Qt does when the menu opens
    if (!print->isEnabled()) state.SkipWithError("no defect list to print");
    state.counters["records_read"] = static_cast<double>(RecordQuery::recordsRead() - readBefore);
    state.counters["defect_lists_built"] =
        static_cast<double>(w->recording.defectListsBuilt() - builtBefore);
}
BENCHMARK(BM_DefectListMenuOpen)->Unit(benchmark::kMillisecond);

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
