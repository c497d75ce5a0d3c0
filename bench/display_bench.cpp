// Drawing one A-scan frame, with and without the DAC curve family, a seek
// load followed by the drawing, and the whole report page, on the demo
// recording; the echo-dynamics strips of the bench recording.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "analysis/echo_overview.h"
#include "bench_recording.h"
#include "pictures/frame_render.h"
#include "pictures/overview_render.h"
#include "report_page/report_inputs.h"
#include "report_page/report_page.h"
#include "viewer/viewer_core.h"

using namespace vantrel;

namespace {

// Opens the demo recording in `viewer`, drawing into `image`; skips the
// benchmark when the recording is missing.
bool openDemo(ViewerCore& viewer, QImage& image, benchmark::State& state) {
    viewer.setPainter({.frame =
                           [&](std::span<const uint8_t> f) {
                               drawFramePicture(image, f, viewer.params(), viewer.curves());
                           },
                       .emptyPlot = {},
                       .pathRuler = {}});
    if (viewer.openItemClick(VANTREL_DEMO).ok()) return true;
    state.SkipWithError("no demo recording");
    return false;
}

// Demo records 0 (no curves) and 190 (DAC mode, 4 curves, gate A following).
void drawDemoFrame(benchmark::State& state) {
    ViewerCore viewer;
    QImage image(kPlotWidth, kPlotHeight, QImage::Format_RGB32);
    if (!openDemo(viewer, image, state)) return;
    viewer.seekLoad(static_cast<int32_t>(state.range(0)));
    for (auto _ : state) {
        viewer.drawFrame(3);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(drawDemoFrame)->Arg(0)->Arg(190)->Unit(benchmark::kMicrosecond);

void seekLoadAndDraw(benchmark::State& state) {
    ViewerCore viewer;
    QImage image(kPlotWidth, kPlotHeight, QImage::Format_RGB32);
    if (!openDemo(viewer, image, state)) return;
    int32_t r = 150;
    for (auto _ : state) {
        viewer.seekLoad(r);
        viewer.drawFrame(0);
        r = r == 150 ? 250 : 150;
    }
}
BENCHMARK(seekLoadAndDraw)->Unit(benchmark::kMicrosecond);

// The report of demo record 190, frame 3, as `vantrel-inspect report` makes
// it: texts filled, both pictures drawn, the 794 x 1123 page painted.
void reportPage(benchmark::State& state) {
    ViewerCore viewer;
    QImage image(kPlotWidth, kPlotHeight, QImage::Format_RGB32);
    if (!openDemo(viewer, image, state)) return;
    viewer.seekLoad(190);
    viewer.drawFrame(3);
    QImage page(kPageWidth, kPageHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        const ReportFill fill = fillReportText(viewer.panel(), viewer.readouts());
        const ReportPictures pictures = reportPictures(reportInputs(viewer));
        QPainter painter(&page);
        paintReportPage(painter, fill, pictures, [&fill](const PageField& f) {
            const auto it = fill.fields.find(QString::fromLatin1(f.name));
            return it == fill.fields.end() ? QString() : it->second;
        });
        painter.end();
        benchmark::DoNotOptimize(page.constBits());
    }
}
BENCHMARK(reportPage)->Unit(benchmark::kMillisecond);

// The echo-dynamics overview of the bench recording, computed once.
const EchoOverview* benchOverview() {
    static const EchoOverview* overview = [] {
        RecordQuery query;
        auto* o = new EchoOverview;
        if (query.open(bench::benchRecording()).ok()) *o = computeOverview(query, {});
        return o;
    }();
    return overview->frameCount() > 0 ? overview : nullptr;
}

// A full redraw of the strips at a window's size, the whole file in view,
// from the overview's block summaries (Arg 1); and what the columns cost
// walking every frame, as the strips did before the summaries (Arg 0).
void overviewStrips(benchmark::State& state) {
    const EchoOverview* overview = benchOverview();
    if (!overview) {
        state.SkipWithError("no bench recording");
        return;
    }
    const OverviewView view{0, overview->frameCount(), overview->frameCount() / 2};
    QImage image(1200, 360, QImage::Format_RGB32);
    const int width = OverviewLayout::forSize(image.size()).amplitude.width();
    for (auto _ : state) {
        if (state.range(0) == 1) {
            drawOverviewStrips(image, *overview, view);
            benchmark::DoNotOptimize(image.constBits());
            continue;
        }
        for (int x = 0; x < width; ++x) {
            const int64_t first = frameAtColumn(view, width, x);
            benchmark::DoNotOptimize(overview->summarizeByWalking(
                first, std::max(frameAtColumn(view, width, x + 1), first + 1)));
        }
    }
    state.counters["frames"] = static_cast<double>(overview->frameCount());
}
BENCHMARK(overviewStrips)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

namespace {

// A full redraw of the B-scan strip, 1200 x 280, on the bench recording:
// the columns answered (read from the records for a few hundred frames,
// from the block maxima wider than that) and the strip drawn with its
// gates, outlines and scales. Arg: the frames in view, the whole file (0),
// 10 % (1), 1 % (2), 300 frames (3), from the middle of the file; and the
// widest view still read from the records (4: 5000 frames, 500 records).
void bscanStrip(benchmark::State& state) {
    const EchoOverview* overview = benchOverview();
    RecordQuery query, reader;
    if (!overview || !query.open(bench::benchRecording()).ok() || !reader.openAlongside(query)) {
        state.SkipWithError("no bench recording");
        return;
    }
    reader.setPanelAndCurves(false);
    const int64_t total = overview->frameCount();
    const int64_t frames[] = {total, total / 10, total / 100, 300, 5000};
    const int64_t n = std::min(frames[state.range(0)], total);
    const OverviewView view{(total - n) / 2, (total - n) / 2 + n, -1};
    QImage image(1200 + 128, 280 + 40, QImage::Format_RGB32);
    const QRect plot(64, 20, 1200, 280);
    for (auto _ : state) {
        const std::vector<BscanColumn> columns =
            bscanStripColumns(*overview, &reader, view, plot.width());
        drawBscanStrip(image, plot, *overview, view, BscanPicture{columns});
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["frames"] = static_cast<double>(n);
    state.counters["read"] = bscanReadsRecords(*overview, view) ? 1 : 0;
    state.counters["summaryBytes"] = static_cast<double>(overview->bscanSummaries().bytes());
}
BENCHMARK(bscanStrip)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

} // namespace
