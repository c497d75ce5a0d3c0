// vantrel-inspect: the viewer's answers without a window, as JSON on stdout.
// Every command opens the file with the same library code the viewer uses;
// this file only parses arguments, calls the libraries and writes results.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QPdfWriter>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

#include "curves.h"
#include "display_text.h"
#include "frame_render.h"
#include "gbk_text.h"
#include "inspect.h"
#include "instrument_params.h"
#include "lzw.h"
#include "record_file.h"
#include "record_writer.h"
#include "report_inputs.h"
#include "report_page.h"
#include "viewer_core.h"

namespace vantrel {

namespace {

constexpr const char* kTool = "vantrel-inspect";

// A failure the user can act on: message on stderr, exit status 2.
struct UsageError {
    std::string message;
};

[[noreturn]] void fail(const std::string& message) { throw UsageError{message}; }

std::string quoted(const QString& s) { return "'" + s.toStdString() + "'"; }

// Where a command's results go. Commands print only once nothing can fail
// any more, so an error leaves stdout empty.
thread_local const OutputSink* standardOutput = nullptr;

void print(std::string_view text) { (*standardOutput)(text); }

void printJson(const QJsonObject& object) {
    const QByteArray text = QJsonDocument(object).toJson(QJsonDocument::Compact);
    print(std::string(text.constData(), static_cast<size_t>(text.size())) + "\n");
}

QString utf8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// A single-precision value as the shortest decimal that reads back as the
// same float, so 707.1068f prints as 707.1068.
QJsonValue floatValue(float f) {
    char buffer[32];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, f);
    return QJsonValue(std::stod(std::string(buffer, r.ptr)));
}

int32_t parseInt(const QString& text, const char* what) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok) fail(std::string(what) + " " + quoted(text) + " is not an integer");
    return value;
}

[[noreturn]] void failToOpen(const OpenResult& r, const QString& path) {
    if (r.error == OpenError::TooShort) fail("cannot read " + quoted(path) + ": " + r.reason);
    fail("cannot open " + quoted(path) + ": " + r.reason);
}

void openOrFail(RecordFile& file, const QString& path) {
    const OpenResult r = file.openRecordFile(path.toStdString());
    if (!r.ok()) failToOpen(r, path);
}

void openOrFail(RecordQuery& query, const QString& path) {
    const OpenResult r = query.open(path.toStdString());
    if (!r.ok()) failToOpen(r, path);
}

// The Open command with FILE chosen in the dialog.
void openOrFail(ViewerCore& viewer, const QString& path) {
    const OpenResult r = viewer.openItemClick(path.toStdString());
    if (!r.ok()) failToOpen(r, path);
}

std::vector<uint8_t> readInput(const QString& path) {
    auto bytes = readBytes(path.toStdString());
    if (!bytes) fail("cannot open " + quoted(path) + ": " + std::strerror(errno));
    return std::move(*bytes);
}

void writeOutput(const QString& path, std::span<const uint8_t> bytes) {
    errno = 0;
    if (!writeBytes(path.toStdString(), bytes))
        fail("cannot write " + quoted(path) + ": " + std::strerror(errno ? errno : EIO));
}

QJsonArray damageList(const RecordFile& file) {
    QJsonArray list;
    for (const DamagedRecord& d : file.damagedRecords()) {
        list.append(QJsonObject{{"record", d.record},
                                {"fileOffset", d.fileOffset},
                                {"reason", recordDamageText(d.damage)}});
    }
    return list;
}

// ------------------------------------------------------------------ index

// A JSON string as QJsonDocument writes it: quote, backslash and control
// characters escaped (\b \f \n \r \t, the rest as \u00xx), everything else
// as its UTF-8 bytes. False (and nothing appended) for text that is not
// valid UTF-8, which only Qt's own conversion may handle.
bool appendJsonString(std::string& out, std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const uint8_t b = static_cast<uint8_t>(text[i]);
        const int n = b < 0x80             ? 1
                      : (b & 0xE0) == 0xC0 ? 2
                      : (b & 0xF0) == 0xE0 ? 3
                      : (b & 0xF8) == 0xF0 ? 4
                                           : 0;
        if (n == 0 || i + static_cast<size_t>(n) > text.size()) return false;
        uint32_t cp = n == 1 ? b : b & (0x7F >> n);
        for (int k = 1; k < n; ++k) {
            const uint8_t c = static_cast<uint8_t>(text[i + static_cast<size_t>(k)]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        static constexpr uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kLeast[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += static_cast<size_t>(n);
    }
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char ch : text) {
        const uint8_t c = static_cast<uint8_t>(ch);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                out += "\\u00";
                out += kHex[c >> 4];
                out += kHex[c & 15];
            } else {
                out += ch;
            }
        }
    }
    out += '"';
    return true;
}

// The index of a large recording holds hundreds of thousands of entries and
// may hold thousands of notes: both are written straight to the output as
// they are formatted, and the rest of the document goes through
// QJsonDocument. The keys come in QJsonObject's (sorted) order.
void printIndex(const RecordFile& file) {
    std::string notes = "[";
    for (size_t i = 0; i < file.noteTexts().size(); ++i) {
        if (i) notes += ',';
        notes += "{\"record\":";
        notes += std::to_string(file.noteRecords()[i]);
        notes += ",\"text\":";
        const std::string text = gbkToUtf8(file.noteTexts()[i]);
        if (!appendJsonString(notes, text)) {
            const QByteArray quoted =
                QJsonDocument(QJsonArray{utf8(text)}).toJson(QJsonDocument::Compact);
            notes.append(quoted.constData() + 1, static_cast<size_t>(quoted.size() - 2));
        }
        notes += '}';
    }
    notes += ']';
    // "notes" sorts between "damaged" and "recordCount".
    QJsonObject before, after{{"recordCount", file.recordCount()}};
    // Only for files the instrument could not have written: what was refused
    // and why the scan stopped early.
    const QJsonArray damaged = damageList(file);
    if (!damaged.isEmpty()) before.insert("damaged", damaged);
    if (file.scanEnd() != ScanEnd::AnnouncedCount && file.scanEnd() != ScanEnd::EndOfFile)
        after.insert("scanEnd", scanEndText(file.scanEnd()));
    const QByteArray head = QJsonDocument(before).toJson(QJsonDocument::Compact);
    const QByteArray tail = QJsonDocument(after).toJson(QJsonDocument::Compact);

    // Entries are formatted into a fixed block that goes out when full.
    constexpr size_t kFlush = 1 << 16;
    constexpr size_t kEntryMost = 40; // ",[" three 11-character numbers, two commas, "]"
    std::string chunk(kFlush + kEntryMost, '\0');
    size_t used = 0;
    auto put = [&](std::string_view text) {
        std::memcpy(chunk.data() + used, text.data(), text.size());
        used += text.size();
    };
    auto number = [&](int32_t v) {
        used = static_cast<size_t>(
            std::to_chars(chunk.data() + used, chunk.data() + chunk.size(), v).ptr - chunk.data());
    };
    put("{\"records\":[");
    bool first = true;
    for (const RecordIndexEntry& e : file.recordIndex()) {
        put(first ? "[" : ",[");
        number(e.fileOffset);
        chunk[used++] = ',';
        number(e.recordSize);
        chunk[used++] = ',';
        number(e.parameterRecordOffset);
        chunk[used++] = ']';
        first = false;
        if (used >= kFlush) {
            print({chunk.data(), used});
            used = 0;
        }
    }
    chunk.resize(used);
    chunk += "],";
    // The inner members of {"damaged":...} and {"recordCount":...,...}.
    if (head.size() > 2) {
        chunk.append(head.constData() + 1, static_cast<size_t>(head.size() - 2));
        chunk += ',';
    }
    chunk += "\"notes\":";
    chunk += notes;
    chunk += ',';
    chunk.append(tail.constData() + 1, static_cast<size_t>(tail.size() - 1)); // through its "}"
    chunk += "\n";
    print(chunk);
}

// ------------------------------------------------------------------ record

QJsonArray u16Array(const InstrumentParams& p, uint16_t (InstrumentParams::*get)(int) const,
                    int count) {
    QJsonArray a;
    for (int i = 0; i < count; ++i)
        a.append((p.*get)(i));
    return a;
}

QJsonObject paramsJson(const InstrumentParams& p) {
    QJsonArray stamp;
    for (int i = 0; i < 3; ++i)
        stamp.append(p.stampBcd(i));
    QJsonArray gains;
    for (int i = 0; i < param::kGainTableSize; ++i)
        gains.append(p.gainTable(i));
    return QJsonObject{
        {"stampBcd", stamp},
        {"noteLength", p.noteLength()},
        {"channelWord", static_cast<qint64>(p.channelWord())},
        {"unitWord", static_cast<qint64>(p.unitWord())},
        {"displayFlags", static_cast<qint64>(p.displayFlags())},
        {"modeWord", static_cast<qint64>(p.modeWord())},
        {"curveFlags", static_cast<qint64>(p.curveFlags())},
        {"range", static_cast<qint64>(p.range())},
        {"delay", static_cast<qint64>(p.delay())},
        {"probeZero", p.probeZero()},
        {"velocity", p.velocity()},
        {"probeAngle", p.probeAngle()},
        {"probeFront", p.probeFront()},
        {"probeFrequency", p.probeFrequency()},
        {"crystalSize", p.crystalSize()},
        {"rejectLevel", p.rejectLevel()},
        {"compGain", p.compGain()},
        {"baseGain", p.baseGain()},
        {"gainTable", gains},
        {"gateAStart", p.gateAStart()},
        {"gateAWidth", p.gateAWidth()},
        {"gateALevel", p.gateALevel()},
        {"gateBStart", p.gateBStart()},
        {"gateBWidth", p.gateBWidth()},
        {"gateBLevel", p.gateBLevel()},
        {"dacPointDb", u16Array(p, &InstrumentParams::dacPointDb, param::kDacPoints)},
        {"dacPointPos", u16Array(p, &InstrumentParams::dacPointPos, param::kDacPoints)},
        {"dacPointCount", p.dacPointCount()},
        {"dacRefDiameter", p.dacRefDiameter()},
        {"dacRefLength", p.dacRefLength()},
        {"channelNo", static_cast<qint64>(p.channelNo())},
        {"inchUnits", static_cast<int>(p.inchUnits())},
        {"envelopeMode", static_cast<qint64>(p.envelopeMode())},
        {"gateFollowsCurve", static_cast<int>(p.gateFollowsCurve())},
        {"flatCurve", static_cast<int>(p.flatCurve())},
        {"probeType", static_cast<qint64>(p.probeType())},
        {"waveMode", static_cast<qint64>(p.waveMode())},
        {"curveCount", static_cast<qint64>(p.curveCount())},
        {"twoGateReadout", static_cast<int>(p.twoGateReadout())},
        {"pathMode", static_cast<qint64>(p.pathMode())},
        {"dgsReadoutKind", static_cast<qint64>(p.dgsReadoutKind())},
        {"dacLineSelect", static_cast<qint64>(p.dacLineSelect())},
        {"dacOn", static_cast<int>(p.dacOn())},
        {"dgsOn", static_cast<int>(p.dgsOn())},
        {"distanceLawExtend", static_cast<int>(p.distanceLawExtend())},
    };
}

// Opens FILE and performs the loads of a user seek to R, as a freshly
// started viewer would. Returns R.
int32_t seekOrFail(RecordQuery& query, const QString& path, const QString& recordArg) {
    const int32_t r = parseInt(recordArg, "record number");
    openOrFail(query, path);
    const int64_t indexed = static_cast<int64_t>(query.file().recordIndex().size());
    if (r < 0 || r >= indexed) {
        fail("record " + std::to_string(r) + " is out of range (file has " +
             std::to_string(indexed) + " indexed record" + (indexed == 1 ? "" : "s") + ")");
    }
    query.seek(r);
    return r;
}

QJsonArray readoutArray(const ReadoutTexts& texts) {
    QJsonArray a;
    for (const std::string& t : texts)
        a.append(utf8(gbkToUtf8(t)));
    return a;
}

// The panel's fields by control name; all empty before the first block.
QJsonObject panelJson(const PanelTexts& t) {
    const std::pair<const char*, const std::string*> fields[] = {
        {"BaseGain", &t.baseGain},
        {"ScanGain", &t.scanGain},
        {"CompGain", &t.compGain},
        {"ProbeType", &t.probeType},
        {"ProbeFrequency", &t.probeFrequency},
        {"CrystalSize", &t.crystalSize},
        {"EchoRange", &t.echoRange},
        {"EchoDelay", &t.echoDelay},
        {"ProbeFront", &t.probeFront},
        {"EchoSpeed", &t.echoSpeed},
        {"ProbeZero", &t.probeZero},
        {"ProbeAngle", &t.probeAngle},
        {"ChannelNo", &t.channelNo},
        {"EchoKAngle", &t.echoKAngle},
        {"lblReject", &t.reject},
    };
    QJsonObject o;
    for (const auto& [name, text] : fields)
        o.insert(name, utf8(gbkToUtf8(*text)));
    return o;
}

QJsonArray pathRulerJson(const RecordQuery& query) {
    QJsonArray a;
    if (!query.parametersLoaded()) return a; // the blank ruler
    for (const std::string& label : query.pathRuler())
        a.append(utf8(label));
    return a;
}

QJsonObject recordJson(const RecordQuery& query, int32_t record) {
    const RecordLayout& layout = query.layout();
    const InstrumentParams& p = query.params();
    QJsonArray frames;
    for (int f = 0; f < query.framesPerRecord(); ++f) {
        const FrameValues v = query.values(f);
        frames.append(QJsonObject{{"values", QJsonArray{v[0], v[1], v[2], v[3]}},
                                  {"readouts", readoutArray(query.readouts(v))}});
    }
    QJsonObject out{
        {"record", record},
        {"storedLength", layout.storedLength},
        {"trailerLength", layout.trailerLength},
        {"decodedSize", layout.decodedSize},
        {"framesPerRecord", query.framesPerRecord()},
        {"playbackDelay", playbackDelayFor(query.framesPerRecord())},
        {"params", paramsJson(p)},
        {"derived", QJsonObject{{"unitScale", floatValue(p.unitScale())},
                                {"rangeShown", floatValue(p.rangeShown())},
                                {"delayShown", floatValue(p.delayShown())}}},
        {"panel", panelJson(query.panel())},
        {"pathRuler", pathRulerJson(query)},
        {"frames", frames},
    };
    if (layout.damage != RecordDamage::None) out.insert("damage", recordDamageText(layout.damage));
    return out;
}

// ------------------------------------------------------------------ replay

struct ReplayStep {
    enum Kind { Open, Cancel, Next, Up, Play, Print, Seek, Note, Tick } kind;
    int32_t argument = 0;
    QString text;
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
    fail("unknown replay step " + quoted(text) +
         " (steps: open, cancel, next, up, play, print, seek:P, note:I, tick)");
}

QJsonObject stepJson(ViewerCore& viewer, const QString& step) {
    const ControlState& c = viewer.controls();
    const std::optional<int32_t> drawn = viewer.lastDrawn();
    return QJsonObject{
        {"step", step},
        {"currentRecord", viewer.currentRecord()},
        {"frameIndex", viewer.frameIndex()},
        {"framesPerRecord", viewer.framesPerRecord()},
        {"playbackDelay", viewer.playbackDelay()},
        {"drawn", drawn ? QJsonValue(*drawn) : QJsonValue(QJsonValue::Null)},
        {"playing", viewer.playing()},
        {"playbackFinished", viewer.playbackFinished()},
        {"seekArmed", viewer.seekArmed()},
        {"trackBar", c.trackBarPosition},
        {"trackBarMax", c.trackBarMax},
        {"selectedNote", c.selectedNote},
        {"play",
         QJsonObject{{"enabled", c.playEnabled}, {"caption", utf8(gbkToUtf8(c.playCaption))}}},
        {"up", c.upEnabled},
        {"next", c.nextEnabled},
        {"print", c.printEnabled},
        {"readouts", readoutArray(viewer.readouts())},
        {"panel", panelJson(viewer.panel())},
    };
}

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
        }
        out.append(stepJson(viewer, step.text));
    }
    return QJsonObject{{"steps", out}};
}

// ------------------------------------------------------------------ curves

QJsonArray ordinatesJson(const CurveOrdinates& c) {
    QJsonArray a;
    for (int16_t v : c)
        a.append(v);
    return a;
}

// The reference and gate curves in force at R, built on fresh storage.
QJsonObject curvesJson(const RecordQuery& query) {
    const CurveStorage& fresh = query.curves().storage;
    const bool built = query.curves().built;
    return QJsonObject{{"built", built},
                       {"lastMappedIndex", fresh.lastMappedIndex},
                       {"curveOrdinates", ordinatesJson(fresh.curveOrdinates)},
                       {"gateOrdinates", ordinatesJson(fresh.gateOrdinates)}};
}

// ------------------------------------------------------------------ render

// Record R after a seek, with frame F on screen: its values and readouts, as
// the main window has them when the print button is pressed.
struct ShownFrame {
    RecordQuery query;
    int32_t record = 0, frame = 0;
    FrameTail tail;
    ReadoutTexts readouts;

    ShownFrame(const QStringList& a) {
        record = seekOrFail(query, a[0], a[1]);
        frame = parseInt(a[2], "frame number");
        const int32_t frames = query.framesPerRecord();
        if (frame < 0 || frame >= frames) {
            fail("frame " + std::to_string(frame) + " is out of range (record " +
                 std::to_string(record) + " has " + std::to_string(frames) + " frame" +
                 (frames == 1 ? "" : "s") + ")");
        }
        tail.copyFrom(query.frame(frame));
        readouts = query.readouts(tail.values());
    }
    ReportPlotInputs reportPlot() const { return reportInputs(query, query.frame(frame), tail); }
};

void savePng(const QImage& image, const QString& path) {
    if (!image.save(path, "PNG")) fail("cannot write " + quoted(path));
}

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

void reportCommand(const QStringList& a, const QString& out) {
    const bool png = out.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive);
    if (!png && !out.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        fail("report --out " + quoted(out) + ": the name must end in .pdf or .png");
    ShownFrame shown(a);
    const ReportFill fill = fillReportText(shown.query.panel(), shown.readouts);
    const ReportPictures pictures = reportPictures(shown.reportPlot());
    // The program-filled fields as the report window fills them; the user's
    // fields stay empty.
    auto fieldText = [&fill](const PageField& f) {
        const auto it = fill.fields.find(QString::fromLatin1(f.name));
        return it == fill.fields.end() ? QString() : it->second;
    };
    if (png) {
        QImage page(kPageWidth, kPageHeight, QImage::Format_RGB32);
        QPainter painter(&page);
        paintReportPage(painter, fill, pictures, fieldText);
        painter.end();
        savePng(page, out);
        return;
    }
    QPdfWriter pdf(out);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageOrientation(QPageLayout::Portrait);
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setResolution(96); // one page pixel per PDF device pixel
    pdf.setTitle(QStringLiteral("Vantrel inspection report"));
    pdf.setCreator(QStringLiteral("vantrel-inspect"));
    QPainter painter;
    if (!painter.begin(&pdf)) fail("cannot write " + quoted(out));
    paintReportPage(painter, fill, pictures, fieldText);
    if (!painter.end()) fail("cannot write " + quoted(out));
}

// ------------------------------------------------------------------ export

// RFC 4180: a field with a comma, quote or line break is quoted, quotes doubled.
std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

void exportCommand(const QStringList& a, const QString& out) {
    RecordQuery query;
    openOrFail(query, a[0]);
    std::ofstream file(out.toStdString(), std::ios::binary | std::ios::trunc);
    if (!file) fail("cannot write " + quoted(out) + ": " + std::strerror(errno));
    std::string csv =
        "record,frame,value0,value1,value2,value3,LabelPara1,LabelPara2,LabelPara3,LabelPara4\r\n";
    const int32_t records = static_cast<int32_t>(query.file().recordIndex().size());
    std::unordered_map<std::string, std::string> fields; // readout label -> CSV field
    auto appendInt = [](std::string& to, int32_t value) {
        char digits[12];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        to.append(digits, static_cast<size_t>(end - digits));
    };
    // Records are read in file order, so each block stays in force until the
    // next one, as in playback. Rows go out in large blocks as they are made.
    for (int32_t r = 0; r < records; ++r) {
        query.loadRecord(r);
        for (int32_t f = 0; f < query.framesPerRecord(); ++f) {
            const FrameValues v = query.values(f);
            const ReadoutTexts t = query.readouts(v);
            appendInt(csv, r);
            csv += ',';
            appendInt(csv, f);
            for (int32_t x : v) {
                csv += ',';
                appendInt(csv, x);
            }
            for (const std::string& label : t) {
                csv += ',';
                // The same few hundred labels come back frame after frame:
                // each is converted and quoted once.
                auto it = fields.find(label);
                if (it == fields.end()) {
                    if (fields.size() >= 65536) fields.clear();
                    it = fields.emplace(label, csvField(gbkToUtf8(label))).first;
                }
                csv += it->second;
            }
            csv += "\r\n";
        }
        if (csv.size() >= (1 << 20)) {
            file.write(csv.data(), static_cast<std::streamsize>(csv.size()));
            csv.clear();
        }
    }
    file.write(csv.data(), static_cast<std::streamsize>(csv.size()));
    file.close();
    if (!file) fail("cannot write " + quoted(out) + ": " + std::strerror(errno ? errno : EIO));
}

// ------------------------------------------------------------------ lzw

void lzwCommand(const QString& mode, const QString& in, const QString& out) {
    const std::vector<uint8_t> src = readInput(in);
    if (src.size() > UINT32_MAX) fail("input " + quoted(in) + " is larger than 4 GiB");
    if (mode == "encode") {
        if (src.size() < 2)
            fail("lzw encode needs at least 2 input bytes, " + quoted(in) + " has " +
                 std::to_string(src.size()));
        std::vector<uint8_t> dst(lzwEncodeBound(src.size()));
        const LzwEncodeResult r =
            lzwEncode(src.data(), static_cast<uint32_t>(src.size()), dst.data(), dst.size());
        writeOutput(out, {dst.data(), static_cast<size_t>(r.size)});
    } else if (mode == "decode") {
        // No record limit here: grow the output until the stream fits. The
        // buffer is left uninitialised: the decoder writes every byte it
        // reports, and nothing else is read.
        size_t capacity = std::max<size_t>(src.size() * 4, 1 << 16);
        for (;;) {
            const std::unique_ptr<uint8_t[]> dst(new uint8_t[capacity]);
            const LzwDecodeResult r =
                lzwDecode(src.data(), static_cast<uint32_t>(src.size()), dst.get(), capacity);
            if (r.status == LzwStatus::OutputFull && capacity < (size_t{1} << 40)) {
                capacity *= 2;
                continue;
            }
            if (r.status != LzwStatus::Ok) {
                fail("cannot decode " + quoted(in) + ": " + lzwStatusText(r.status) + " at byte " +
                     std::to_string(r.faultOffset));
            }
            writeOutput(out, {dst.get(), static_cast<size_t>(r.size)});
            break;
        }
    } else {
        fail("lzw mode " + quoted(mode) + " is neither encode nor decode");
    }
}

// ------------------------------------------------------------------ commands

struct Command {
    const char* name;
    const char* args; // positional argument synopsis
    const char* summary;
    int minArgs;
    int maxArgs;
    bool takesOut;
    std::function<void(const QStringList&, const QString&)> run;
};

const QString kGeneralHelp =
    QStringLiteral("Usage: vantrel-inspect COMMAND ARGS...\n"
                   "Answers questions about Vantrel *.DAT record files without a window.\n"
                   "Results are one JSON document on stdout; errors one line on stderr\n"
                   "(exit 2 for a usage error or unusable input, 1 for an internal failure).\n"
                   "Records and frames are numbered from 0.\n\n"
                   "Commands:\n");

std::vector<Command> commands() {
    return {
        {"index", "FILE", "the announced record count, the record index and the notes", 1, 1, false,
         [](const QStringList& a, const QString&) {
             RecordFile file;
             openOrFail(file, a[0]);
             printIndex(file);
         }},
        {"record", "FILE R",
         "record R as the viewer shows it after a seek to R: header, parameters in force,\n"
         "  derived lengths and the measured values of each frame",
         2, 2, false,
         [](const QStringList& a, const QString&) {
             RecordQuery query;
             const int32_t r = seekOrFail(query, a[0], a[1]);
             printJson(recordJson(query, r));
         }},
        {"replay", "FILE STEP...",
         "runs the viewer's commands on FILE from a fresh start and prints the state after\n"
         "  each step; steps: open, cancel, next, up, play, print, seek:P, note:I, tick",
         2, 1 << 20, false,
         [](const QStringList& a, const QString&) { printJson(replay(a[0], a.mid(1))); }},
        {"curves", "FILE R", "the reference curve and gate curve in force at record R, as heights",
         2, 2, false,
         [](const QStringList& a, const QString&) {
             RecordQuery query;
             seekOrFail(query, a[0], a[1]);
             printJson(curvesJson(query));
         }},
        {"render", "FILE R F",
         "writes frame F of record R as the main window's A-scan picture (361 x 289 PNG)", 3, 3,
         true, nullptr},
        {"report", "FILE R F",
         "writes the inspection report page for frame F of record R: a one-page A4 PDF,\n"
         "  or with a .png name the page as a 794 x 1123 picture",
         3, 3, true, [](const QStringList& a, const QString& out) { reportCommand(a, out); }},
        {"export", "FILE", "one CSV row per frame of the whole file: values and readout texts", 1,
         1, true, [](const QStringList& a, const QString& out) { exportCommand(a, out); }},
        {"lzw", "encode|decode IN OUT",
         "runs the record codec over whole files (encode needs at least 2 bytes;\n"
         "  decode has no 16384-byte record limit)",
         3, 3, false, [](const QStringList& a, const QString&) { lzwCommand(a[0], a[1], a[2]); }},
    };
}

int run(const QStringList& arguments) {
    const std::vector<Command> table = commands();
    if (arguments.size() < 2) fail("no command given (see vantrel-inspect --help)");
    const QString name = arguments[1];
    if (name == "--help" || name == "-h" || name == "help") {
        QString text = kGeneralHelp;
        for (const Command& c : table)
            text += QString("  %1 %2\n      %3\n")
                        .arg(c.name, c.args, QString(c.summary).replace("\n  ", "\n      "));
        text += "\nRun 'vantrel-inspect COMMAND --help' for one command.\n";
        print(text.toStdString());
        return 0;
    }
    if (name == "--version" || name == "-v") {
        print(std::string("vantrel-inspect ") + VANTREL_VERSION + "\n");
        return 0;
    }
    const auto it =
        std::find_if(table.begin(), table.end(), [&](const Command& c) { return name == c.name; });
    if (it == table.end())
        fail("unknown command " + quoted(name) + " (see vantrel-inspect --help)");

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QString("vantrel-inspect %1 %2\n%3").arg(it->name, it->args, it->summary));
    const QCommandLineOption help({"h", "help"}, "Show this help.");
    parser.addOption(help);
    const QCommandLineOption out("out", "Write the result to FILE.", "FILE");
    if (it->takesOut) parser.addOption(out);
    const QCommandLineOption report("report",
                                    "Draw the report's picture (289 x 257, black on white).");
    if (std::string(it->name) == "render") parser.addOption(report);
    for (const QString& a : QString(it->args).split(' '))
        parser.addPositionalArgument(a, QString());
    QStringList rest = arguments.mid(1);
    rest[0] = QString("vantrel-inspect %1").arg(it->name);
    // A negative number is an argument (a record number), not an option: hide
    // it from the option parser and restore it among the positional ones.
    const QString negativeMark = QStringLiteral("\x01");
    for (QString& a : rest) {
        if (a.size() > 1 && a[0] == '-' && a[1].isDigit()) a = negativeMark + a;
    }
    if (!parser.parse(rest))
        fail(parser.errorText().toStdString() + " (see vantrel-inspect " + it->name + " --help)");
    if (parser.isSet(help)) {
        print(parser.helpText().toStdString());
        return 0;
    }
    QStringList positional = parser.positionalArguments();
    for (QString& a : positional) {
        if (a.startsWith(negativeMark)) a.remove(0, 1);
    }
    if (positional.size() < it->minArgs || positional.size() > it->maxArgs) {
        fail(std::string(it->name) + " takes " + it->args + ", got " +
             std::to_string(positional.size()) + " argument" + (positional.size() == 1 ? "" : "s") +
             " (see vantrel-inspect " + it->name + " --help)");
    }
    QString outPath;
    if (it->takesOut) {
        if (!parser.isSet(out)) fail(std::string(it->name) + " needs --out FILE");
        outPath = parser.value(out);
    }
    if (std::string(it->name) == "render")
        renderCommand(positional, outPath, parser.isSet(report));
    else
        it->run(positional, outPath);
    return 0;
}

} // namespace

int runInspect(const QStringList& arguments, const OutputSink& out, std::string& err) {
    standardOutput = &out;
    try {
        return run(arguments);
    } catch (const UsageError& e) {
        err = std::string(kTool) + ": " + e.message + "\n";
        return 2;
    } catch (const std::exception& e) {
        err = std::string(kTool) + ": internal failure: " + e.what() + "\n";
        return 1;
    }
}

int runInspect(const QStringList& arguments, std::string& out, std::string& err) {
    return runInspect(
        arguments, [&out](std::string_view text) { out.append(text); }, err);
}

bool needsPictures(const QStringList& arguments) {
    return arguments.size() > 1 && (arguments[1] == "render" || arguments[1] == "report");
}

} // namespace vantrel
