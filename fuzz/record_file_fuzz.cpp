// A whole recording: open and scan it, then for every indexed record the
// viewer's seek load, every frame's readouts and picture, the curves, the
// report fill and the report's plot, and a few navigation commands. The
// bytes are handed over as a file in memory, opened by path like any other.
#include <QImage>
#include <QPainter>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

#include "analysis/bscan.h"
#include "analysis/defect_list.h"
#include "analysis/echo_overview.h"
#include "analysis/evaluation.h"
#include "analysis/file_health.h"
#include "analysis/indication_table.h"
#include "pictures/frame_render.h"
#include "report_page/report_inputs.h"
#include "report_page/report_page.h"
#include "viewer/viewer_core.h"

using namespace vantrel;

namespace {

// Enough records and frames to reach every code path without letting one
// input take seconds.
constexpr int32_t kMaxRecords = 24;
constexpr int32_t kMaxFrames = 12;

const std::string& memoryFile() {
    static const std::string path = [] {
        const int fd = memfd_create("recording", 0);
        if (fd < 0) std::abort();
        return "/proc/self/fd/" + std::to_string(fd);
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = memoryFile();
    const int fd = std::stoi(path.substr(path.rfind('/') + 1));
    if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))
        std::abort();

    static QImage plot(kPlotWidth, kPlotHeight, QImage::Format_RGB32);
    static QImage reportPlot(kReportPlot.size(), QImage::Format_RGB32);
    ViewerCore viewer;
    viewer.setPainter({.frame =
                           [&](std::span<const uint8_t> f) {
                               drawFramePicture(plot, f, viewer.params(), viewer.curves());
                           },
                       .emptyPlot = [&] { drawEmptyPlot(plot); },
                       .pathRuler = {}});
    if (!viewer.openItemClick(path).ok()) return 0;
    // What the window's notice would say of the file.
    const FileHealth health = fileHealthOf(viewer.file());
    if (health.indexed != static_cast<int64_t>(viewer.file().recordIndex().size()) ||
        health.namedDamaged.size() > FileHealth::kNamedDamaged ||
        static_cast<int64_t>(health.namedDamaged.size()) > health.damaged || health.missing() < 0)
        std::abort();
    const int32_t records =
        std::min<int32_t>(static_cast<int32_t>(viewer.file().recordIndex().size()), kMaxRecords);
    for (int32_t r = 0; r < records; ++r) {
        viewer.seekLoad(r);
        for (int32_t f = 0; f < std::min(viewer.framesPerRecord(), kMaxFrames); ++f)
            viewer.drawFrame(f);
        const ReportFill fill = fillReportText(viewer.panel(), viewer.readouts());
        if (fill.fields.empty()) std::abort();
        QPainter painter(&reportPlot);
        reportPictures(reportInputs(viewer)).plot(painter, reportPlot.width(), reportPlot.height());
    }
    // The echo dynamics of the whole file, with merged indications.
    {
        RecordQuery query;
        if (query.open(path).ok()) {
            OverviewSettings settings;
            settings.gap = size % 4;
            // No cut, a tight one and the default; the evaluation's echo
            // positions kept apart from the strip's when it shows another.
            settings.splitMicrometres = static_cast<int64_t>(size % 3) * 1500;
            if (size % 5 == 0) settings.position = OverviewPosition::Surface;
            const EchoOverview overview = computeOverview(query, settings);
            for (const Indication& d : overview.indications()) {
                if (d.start > d.end || d.peak < d.start || d.peak > d.end) std::abort();
                // It starts, ends and peaks on frames with an echo at or
                // above their threshold.
                for (const int64_t i : {d.start, d.end, d.peak})
                    if (!overview.hasEcho(i) || overview.amplitude()[static_cast<size_t>(i)] <
                                                    overview.recordOf(i).threshold)
                        std::abort();
                const IndicationTexts t = indicationTexts(overview, d);
                if (t.position.empty() || t.amplitude.empty()) std::abort();
            }
            if (indicationsCsv(overview).empty()) std::abort();
            // The same frames evaluated against the DAC lines: runs of
            // evaluated frames reaching EL, the peak among them, the 6 dB
            // run around the peak, cut where the echo jumps: each starts,
            // ends and peaks on a frame reaching EL, in order and apart, and
            // no two neighbours of its 6 dB run are different echoes.
            const Evaluation evaluation(overview, settings.gap, settings.splitMicrometres);
            int64_t previousEnd = -1;
            for (const EvaluatedIndication& d : evaluation.indications()) {
                if (d.start > d.end || d.peak < d.start || d.peak > d.end ||
                    d.drop6Start > d.peak || d.drop6End < d.peak || d.start <= previousEnd)
                    std::abort();
                previousEnd = d.end;
                for (const int64_t i : {d.start, d.end, d.peak})
                    if (!evaluation.evaluated(i) || evaluation.dac(i) < overview.recordOf(i).el)
                        std::abort();
                if (evaluation.dac(d.peak) != d.dac) std::abort();
                for (int64_t i = d.drop6Start; i < d.drop6End; ++i)
                    if (evaluation.echoJumps(overview.recordOf(i), i, overview.recordOf(i + 1),
                                             i + 1))
                        std::abort();
            }
            if (evaluation.evaluatedFrames() > overview.frameCount()) std::abort();
            // The inspector's side: a decision on every other indication, a
            // manual mark over a range, the flaw's cells of a frame; each
            // decision is held by one indication, an orphan or manual, and
            // the defect list and its coverage come out whatever the file.
            if (overview.frameCount() > 0) {
                Inspection inspection;
                for (size_t k = 0; k < evaluation.indications().size(); k += 2)
                    decideIndication(evaluation, inspection, k).nature = "n";
                const int64_t n = overview.frameCount();
                const int64_t a = static_cast<int64_t>(size % static_cast<size_t>(n));
                markManual(inspection, overview, a, n - 1 - a);
                const FramePlace frame{overview.recordNumber(a), overview.frameNumber(a)};
                keepFlawCells(&evaluation, inspection, frame, {{"备注", "x"}});
                if (flawCellsAt(&evaluation, inspection, frame).at("备注") != "x") std::abort();
                const DecisionMatch m = matchDecisions(evaluation, inspection);
                size_t held = 0;
                for (const IndicationDecision* d : m.byIndication)
                    held += d != nullptr;
                if (m.byIndication.size() != evaluation.indications().size() ||
                    held + m.orphans.size() + m.manual.size() != inspection.decisions.size())
                    std::abort();
                RecordQuery reader;
                if (reader.openAlongside(query)) {
                    const DefectList list = defectList(overview, evaluation, inspection, reader);
                    if (list.coverage.frames != n ||
                        list.coverage.evaluatedFrames != evaluation.evaluatedFrames())
                        std::abort();
                }
            }
            // The strips' ranges hold only values a real frame can.
            if (overview.frameCount() > 0) {
                const FrameRunSummary s = overview.summarize(0, overview.frameCount());
                auto inside = [](const ValueRange& r, const ValueRange& limits) {
                    return r.empty() || (limits.low <= r.low && r.high <= limits.high);
                };
                if (!inside(s.percent, plausibleAmplitudes(AmplitudeUnit::Percent)) ||
                    !inside(s.db, plausibleAmplitudes(AmplitudeUnit::Db)) ||
                    !inside(s.position, plausiblePositions(false)))
                    std::abort();
                // A few B-scan columns read from the records: the whole file
                // at a few widths and a range at its end; each column holds
                // the frames the rule gives it, in order.
                RecordQuery bscanReader;
                if (bscanReader.openAlongside(query)) {
                    const int64_t n = overview.frameCount();
                    for (const auto& [from, width] :
                         {std::pair<int64_t, int>{0, 1 + static_cast<int>(size % 7)},
                          {n - 1 - static_cast<int64_t>(size % static_cast<size_t>(n)), 300}}) {
                        const std::vector<BscanColumn> columns =
                            bscanByReading(overview, bscanReader, from, n - 1, width);
                        int64_t next = from;
                        for (const BscanColumn& c : columns) {
                            if (!c.holdsFrames()) continue;
                            if (c.first != next || c.last < c.first) std::abort();
                            next = c.last + 1;
                        }
                        if (next != n) std::abort();
                    }
                    // The window's strip from the block maxima the walk
                    // made: a few views, each column the maxima of whole
                    // blocks, and reading those frames gives the same.
                    const BscanSummaries& maxima = overview.bscanSummaries();
                    if (maxima.empty() || maxima.blockLast(maxima.blockCount() - 1) != n - 1 ||
                        maxima.bytes() > BscanSummaries::kMostBytes)
                        std::abort();
                    const int64_t a = static_cast<int64_t>(size % static_cast<size_t>(n));
                    for (const OverviewView& view :
                         {OverviewView{0, n, -1},
                          OverviewView{a, std::min(n, a + 1 + a / 2), -1}}) {
                        std::vector<BscanColumn> columns =
                            bscanBySummaries(overview, view, 1 + static_cast<int>(size % 13));
                        const std::vector<BscanColumn> summed = columns;
                        readBscanColumns(overview, bscanReader, columns);
                        if (columns != summed) std::abort();
                        if (bscanStripColumns(overview, &bscanReader, view, 5).size() != 5)
                            std::abort();
                    }
                }
            }
        }
    }
    // The viewer's commands over the same file, as a user would click them.
    ViewerCore clicks;
    if (!clicks.openItemClick(path).ok()) return 0;
    const uint8_t steps = size > 0 ? data[size - 1] : 0;
    for (int i = 0; i < 24; ++i) {
        switch ((steps + i * 7) % 9) {
        case 0: clicks.nextClick(); break;
        case 1: clicks.upClick(); break;
        // Near either end of the bar, whose range may be two billion.
        case 2: clicks.trackBarMovedTo(i % 2 ? i % 5 : clicks.controls().trackBarMax - i); break;
        case 3: clicks.playClick(); break;
        case 4: clicks.playbackTick(); break;
        case 5: clicks.noteClick(i % 3); break;
        case 6: clicks.openItemClick(std::nullopt); break;
        case 7: clicks.goToFrame(i % 7 - 1, i % 13 - 1); break;
        default: clicks.playbackTick(); break;
        }
    }
    return 0;
}
