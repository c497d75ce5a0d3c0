#include "inspect/commands.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>

#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <memory>
#include <unordered_map>

#include "analysis/defect_list.h"
#include "analysis/echo_overview.h"
#include "analysis/evaluated_recording.h"
#include "analysis/evaluation.h"
#include "analysis/indication_table.h"
#include "inspect/cli_support.h"
#include "inspect/model_json.h"
#include "inspect/report_batch.h"
#include "pictures/frame_render.h"
#include "pictures/overview_render.h"
#include "recordfile/gbk_text.h"
#include "recordfile/lzw.h"
#include "report_page/report_inputs.h"
#include "report_page/report_page.h"
#include "viewer/record_walk.h"

namespace vantrel::cli {

const char* const kReplaySteps =
    "open, cancel, next, up, play, print, seek:P, note:I, tick, goto:R:F";

namespace {

struct ReplayStep {
    enum Kind { Open, Cancel, Next, Up, Play, Print, Seek, Note, Tick, Goto } kind;
    int32_t argument = 0;
    QString text;
    int32_t frame = 0; // goto:R:F: R is the argument, F the frame
};

ReplayStep parseStep(const QString& text) {
    static const std::pair<const char*, ReplayStep::Kind> plain[] = {
        {"open", ReplayStep::Open}, {"cancel", ReplayStep::Cancel}, {"next", ReplayStep::Next},
        {"up", ReplayStep::Up},     {"play", ReplayStep::Play},     {"print", ReplayStep::Print},
        {"tick", ReplayStep::Tick},
    };
    for (const auto& [name, kind] : plain)
        if (text == name) return {kind, 0, text};
    for (const auto& [prefix, kind] :
         {std::pair{"seek:", ReplayStep::Seek}, std::pair{"note:", ReplayStep::Note}}) {
        if (text.startsWith(prefix)) {
            bool ok = false;
            const int value = text.mid(static_cast<qsizetype>(std::strlen(prefix))).toInt(&ok, 10);
            if (ok) return {kind, value, text};
        }
    }
    if (text.startsWith("goto:")) {
        const QStringList parts = text.mid(5).split(':');
        bool recordOk = false, frameOk = false;
        if (parts.size() == 2) {
            const int record = parts[0].toInt(&recordOk, 10);
            const int frame = parts[1].toInt(&frameOk, 10);
            if (recordOk && frameOk) return {ReplayStep::Goto, record, text, frame};
        }
    }
    fail("unknown replay step " + quoted(text) + " (steps: " + kReplaySteps + ")");
}

} // namespace

// Runs the viewer's own commands on FILE from a freshly started program; a
// command on a button that is disabled at that moment does nothing, as a
// click on a disabled button does.
QJsonObject replay(const QString& path, const QStringList& stepTexts) {
    std::vector<ReplayStep> steps;
    for (const QString& t : stepTexts)
        steps.push_back(parseStep(t));
    {
        RecordFile probe;
        openOrFail(probe, path);
    }
    ViewerCore viewer;
    viewer.formShow();
    QJsonArray out;
    for (const ReplayStep& step : steps) {
        viewer.forgetLastDrawn();
        const ControlState& c = viewer.controls();
        switch (step.kind) {
        case ReplayStep::Open: openOrFail(viewer, path); break;
        case ReplayStep::Cancel: viewer.openItemClick(std::nullopt); break;
        case ReplayStep::Next:
            if (c.nextEnabled) viewer.nextClick();
            break;
        case ReplayStep::Up:
            if (c.upEnabled) viewer.upClick();
            break;
        case ReplayStep::Play:
            if (c.playEnabled) viewer.playClick();
            break;
        case ReplayStep::Print:
            if (c.printEnabled) viewer.printClick();
            break;
        case ReplayStep::Seek: viewer.trackBarMovedTo(step.argument); break;
        case ReplayStep::Note: viewer.noteClick(step.argument); break;
        case ReplayStep::Tick: viewer.playbackTick(); break;
        case ReplayStep::Goto: viewer.goToFrame(step.argument, step.frame); break;
        }
        out.append(stepJson(viewer, step.text));
    }
    return QJsonObject{{"steps", out}};
}

namespace {

// Record R after a seek, with frame F on screen: its values and readouts, as
// the main window has them when the print button is pressed.
struct ShownFrame {
    RecordQuery query;
    int32_t record = 0, frame = 0;
    FrameTail tail;
    ReadoutTexts readouts;

    explicit ShownFrame(const QStringList& a) {
        record = seekOrFail(query, a[0], a[1]);
        const WholeNumber f = parseWhole(a[2], "frame number");
        const int32_t frames = query.framesPerRecord();
        if (f.value < 0 || f.value >= frames) {
            fail("frame " + f.text + " is out of range (record " + std::to_string(record) +
                 " has " + std::to_string(frames) + " frame" + (frames == 1 ? "" : "s") + ")");
        }
        frame = static_cast<int32_t>(f.value);
        const RecordQuery::FrameOnScreen shown = *query.frameOnScreen(frame);
        tail = shown.tail;
        readouts = shown.readouts;
    }
    ReportPlotInputs reportPlot() const { return reportInputs(query, query.frame(frame), tail); }
};

void savePng(const QImage& image, const QString& path) {
    if (!image.save(path, "PNG")) fail(cannotWrite(path));
}

} // namespace

void renderCommand(const QStringList& a, const QString& out, bool report) {
    ShownFrame shown(a);
    if (report) {
        QImage image(kReportPlot.size(), QImage::Format_RGB32);
        QPainter painter(&image);
        reportPictures(shown.reportPlot()).plot(painter, image.width(), image.height());
        painter.end();
        savePng(image, out);
        return;
    }
    QImage image(kPlotWidth, kPlotHeight, QImage::Format_RGB32);
    drawFramePicture(image, shown.query.frame(shown.frame), shown.query.params(),
                     shown.query.curves());
    savePng(image, out);
}

// ------------------------------------------------------------------ report

void reportCommand(const QStringList& a, const QString& out, const QStringList& fields) {
    const std::map<QString, QString> user = cellTexts(userCells(fields));
    const bool png = out.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive);
    if (!png && !out.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        fail("report --out " + quoted(out) + ": the name must end in .pdf or .png");
    ShownFrame shown(a);
    const ReportFill fill = fillReportText(shown.query.panel(), shown.readouts);
    const ReportPictures pictures = reportPictures(shown.reportPlot());
    // The program-filled fields as the report window fills them; the user's
    // fields empty unless given.
    const auto fieldText = pageTexts(fill, user);
    if (png) {
        QImage page(kPageWidth, kPageHeight, QImage::Format_RGB32);
        QPainter painter(&page);
        paintReportPage(painter, fill, pictures, fieldText);
        painter.end();
        savePng(page, out);
        return;
    }
    if (!writeReportPdf(
            out, 1,
            [&](QPainter& painter, int) {
                paintReportPage(painter, fill, pictures, fieldText);
                paintReportFoot(painter, pageOrigin(shown.query.file(), shown.record, shown.frame));
            },
            QStringLiteral("vantrel-inspect"), reportPdfTitle()))
        fail(cannotWrite(out));
}

void reportFieldsCommand(const QStringList& a, Output& output) {
    ShownFrame shown(a);
    output.printJson(reportFillJson(fillReportText(shown.query.panel(), shown.readouts)));
}

// ------------------------------------------------------------------ export

void exportCommand(const QStringList& a, const QString& out) {
    RecordQuery query;
    openOrFail(query, a[0]);
    OutputFile file(out);
    file.write(
        "record,frame,value0,value1,value2,value3,LabelPara1,LabelPara2,LabelPara3,LabelPara4\r\n");
    // Readout label -> CSV field, one table for each of the walk's threads.
    std::array<std::unordered_map<std::string, std::string>, 2> fields;
    auto appendInt = [](std::string& to, int32_t value) {
        char digits[12];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        to.append(digits, static_cast<size_t>(end - digits));
    };
    // Two threads format the rows of the file's pieces, whichever is free
    // taking the next, each piece from the block in force at its first
    // record, and the pieces go out in file order as they come.
    const bool complete = walkRecordsInPieces<std::string>(
        query,
        [&](int lane, std::string& csv, const RecordQuery& reader, int32_t r) {
            if (csv.empty()) csv.reserve(1 << 20);
            for (int32_t f = 0; f < reader.framesPerRecord(); ++f) {
                const FrameValues v = reader.values(f);
                const ReadoutTexts t = reader.readouts(v);
                appendInt(csv, r);
                csv += ',';
                appendInt(csv, f);
                for (int32_t x : v) {
                    csv += ',';
                    appendInt(csv, x);
                }
                for (const std::string& label : t) {
                    csv += ',';
                    // The same few hundred labels come back frame after
                    // frame: each is converted and quoted once.
                    auto& known = fields[static_cast<size_t>(lane)];
                    auto it = known.find(label);
                    if (it == known.end()) {
                        if (known.size() >= 65536) known.clear();
                        it = known.emplace(label, csvField(gbkToUtf8(label))).first;
                    }
                    csv += it->second;
                }
                csv += "\r\n";
            }
            return true;
        },
        [&](std::string&& csv) {
            file.write(csv);
            return true;
        });
    if (!complete) fail("cannot read " + quoted(a[0]));
    file.close();
}

// ------------------------------------------------------------------ lzw

// ------------------------------------------------------------------ evaluate

namespace {

QJsonValue optionalTenths(const std::optional<int64_t>& v) {
    return v ? QJsonValue(static_cast<double>(*v) / 10.0) : QJsonValue();
}

QJsonArray placeArray(const EchoOverview& o, int64_t i) {
    return {o.recordNumber(i), o.frameNumber(i)};
}

} // namespace

void evaluateCommand(const QString& path, const OverviewOptions& options,
                     const std::optional<QString>& mmPerFrame, const QString& out, Output& output) {
    if (!out.isEmpty() && !out.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive))
        fail("evaluate --out " + quoted(out) + ": the name must end in .csv");
    const OverviewSettings settings = overviewSettings(options);
    const std::optional<Travel> travel = travelOption(mmPerFrame);
    RecordQuery query;
    openOrFail(query, path);
    // The overview's own indications do not matter here: the evaluation
    // does not depend on the thresholds.
    const EvaluatedRecording evaluated(computeOverview(query, overviewSettings({})), query,
                                       settings);
    if (!evaluated.readerOpen()) fail("cannot open " + quoted(path) + " a second time");
    const EchoOverview& overview = evaluated.overview();
    const Evaluation& evaluation = evaluated.evaluation();

    // The indications as JSON text one at a time: a document of thousands
    // of them held as one tree costs more than the evaluation itself.
    std::string list;
    std::string csv = evaluationCsvHeader();
    for (size_t k = 0; k < evaluation.indications().size(); ++k) {
        const EvaluatedIndication& d = evaluation.indications()[k];
        const PeakPositions& row = evaluated.peakAt(k);
        QJsonObject one{
            {"start", placeArray(overview, d.start)},
            {"end", placeArray(overview, d.end)},
            {"frames", static_cast<qint64>(d.frames())},
            {"peak", placeArray(overview, d.peak)},
            {"dac", optionalTenths(d.dac)},
            {"sl", optionalTenths(d.aboveSl())},
            {"zone", zoneText(d.zone)},
            {"lines", QJsonObject{{"RL", optionalTenths(d.rl)},
                                  {"SL", optionalTenths(d.sl)},
                                  {"EL", optionalTenths(d.el)}}},
            {"path", optionalTenths(row.path)},
            {"surface", optionalTenths(row.surface)},
            {"depth", optionalTenths(row.depth)},
            {"positionUnit", QString::fromStdString(row.unit)},
            {"drop6", QJsonObject{{"start", placeArray(overview, d.drop6Start)},
                                  {"end", placeArray(overview, d.drop6End)},
                                  {"frames", static_cast<qint64>(d.drop6Frames())}}},
        };
        std::optional<int64_t> elMm, drop6Mm;
        if (travel) {
            elMm = travel->tenthsOfMm(d.frames());
            drop6Mm = travel->tenthsOfMm(d.drop6Frames());
            one.insert("lengthMm", QJsonObject{{"el", optionalTenths(elMm)},
                                               {"drop6", optionalTenths(drop6Mm)}});
        }
        const QByteArray text = QJsonDocument(one).toJson(QJsonDocument::Compact);
        if (!list.empty()) list += ',';
        list.append(text.constData(), static_cast<size_t>(text.size()));
        if (!out.isEmpty()) csv += evaluationCsvRow(evaluation, k, row, travel);
    }
    if (!out.isEmpty()) {
        OutputFile file(out);
        file.write(csv);
        file.close();
    }
    // The keys in the order a QJsonObject writes them.
    output.print("{\"evaluated\":" + std::to_string(evaluation.evaluatedFrames()) + ",\"frames\":" +
                 std::to_string(overview.frameCount()) + ",\"indications\":[" + list + "]}\n");
}

void lzwCommand(const QString& mode, const QString& in, const QString& out) {
    const FileContents input = readInput(in);
    const std::span<const uint8_t> src = input.bytes();
    if (src.size() > UINT32_MAX) fail("input " + quoted(in) + " is larger than 4 GiB");
    if (mode == "encode") {
        if (src.size() < 2)
            fail("lzw encode needs at least 2 input bytes, " + quoted(in) + " has " +
                 std::to_string(src.size()));
        LargeBuffer dst(lzwEncodeBound(src.size()));
        const LzwEncodeResult r =
            lzwEncode(src.data(), static_cast<uint32_t>(src.size()), dst.data(), dst.size());
        writeOutput(out, dst.first(static_cast<size_t>(r.size)));
    } else if (mode == "decode") {
        // No record limit here: the output grows until the stream fits, up to
        // the decoder's 2 GiB (it tells sizes as 32-bit numbers). The buffer
        // is left uninitialised: the decoder writes every byte it reports,
        // and nothing else is read. Its pages are touched only as far as the
        // output reaches, so a generous first guess costs no memory.
        constexpr size_t kMostDecoded = INT32_MAX;
        size_t capacity = std::min(std::max<size_t>(src.size() * 8, 1 << 16), kMostDecoded);
        for (;;) {
            LargeBuffer dst(capacity);
            const LzwDecodeResult r =
                lzwDecode(src.data(), static_cast<uint32_t>(src.size()), dst.data(), dst.size());
            if (r.status == LzwStatus::OutputFull && capacity < kMostDecoded) {
                capacity = std::min(capacity * 2, kMostDecoded);
                continue;
            }
            if (r.status == LzwStatus::OutputFull)
                fail("cannot decode " + quoted(in) + ": it decodes to more than 2 GiB");
            if (r.status != LzwStatus::Ok) {
                fail("cannot decode " + quoted(in) + ": " + lzwStatusText(r.status) + " at byte " +
                     std::to_string(r.faultOffset));
            }
            writeOutput(out, dst.first(static_cast<size_t>(r.size)));
            break;
        }
    } else {
        fail("lzw mode " + quoted(mode) + " is neither encode nor decode");
    }
}

// ------------------------------------------------------------------ overview

namespace {

// The size of `overview --out STRIPS.png`: the whole file across 1200 pixels.
constexpr int kOverviewPictureWidth = 1200;
constexpr int kOverviewPictureHeight = 360;

} // namespace

void overviewCommand(const QString& path, const OverviewOptions& options, const QString& out,
                     Output& output) {
    const bool png = out.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive);
    const bool csv = !out.isEmpty() && !png;
    if (csv && !out.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive))
        fail("overview --out " + quoted(out) + ": the name must end in .csv or .png");
    const OverviewSettings settings = overviewSettings(options);
    RecordQuery query;
    openOrFail(query, path);
    const EchoOverview overview = computeOverview(query, settings);
    if (csv) {
        OutputFile file(out);
        std::string rows = "record,frame,amplitude,unit,position,positionUnit,indication\r\n";
        size_t next = 0; // the first indication that may hold the frame
        for (const OverviewRecord& rec : overview.records()) {
            for (int32_t f = 0; f < rec.frames; ++f) {
                const int64_t i = rec.firstFrame + f;
                while (next < overview.indications().size() && overview.indications()[next].end < i)
                    ++next;
                rows += std::to_string(rec.record) + ',' + std::to_string(f) + ',' +
                        tenths(overview.amplitude()[static_cast<size_t>(i)]) + ',' +
                        amplitudeUnitText(rec.unit) + ',' +
                        tenths(overview.position()[static_cast<size_t>(i)]) + ',' +
                        lengthUnitText(rec.inch) + ',';
                if (next < overview.indications().size() && overview.indications()[next].start <= i)
                    rows += std::to_string(next);
                rows += "\r\n";
            }
            file.writeWhenFull(rows);
        }
        file.write(rows);
        file.close();
    }
    if (png) {
        QImage strips(kOverviewPictureWidth, kOverviewPictureHeight, QImage::Format_RGB32);
        // As the window draws them when it shows the whole file: with the
        // notes, blocks, damaged and missing records over the strips.
        const OverviewView all{0, overview.frameCount(), -1};
        drawOverviewStrips(strips, overview, all);
        drawOverviewMarks(strips, overviewMarks(overview, query.file()), all);
        savePng(strips, out);
    }
    writeOverviewJson(overview, output);
}

} // namespace vantrel::cli
