#include "inspect/model_json.h"

#include <QJsonDocument>

#include <optional>

#include "inspect/cli_support.h"
#include "recordfile/gbk_text.h"

namespace vantrel::cli {

QJsonArray damageList(const RecordFile& file) {
    QJsonArray list;
    for (const DamagedRecord& d : file.damagedRecords()) {
        list.append(QJsonObject{{"record", d.record},
                                {"fileOffset", d.fileOffset},
                                {"reason", recordDamageText(d.damage)}});
    }
    return list;
}

namespace {

QJsonArray u16Array(const InstrumentParams& p, uint16_t (InstrumentParams::*get)(int) const,
                    int count) {
    QJsonArray a;
    for (int i = 0; i < count; ++i)
        a.append((p.*get)(i));
    return a;
}

} // namespace

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

QJsonArray readoutArray(const ReadoutTexts& texts) {
    QJsonArray a;
    for (const std::string& t : texts)
        a.append(utf8(gbkToUtf8(t)));
    return a;
}

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

namespace {

QJsonArray pathRulerJson(const RecordQuery& query) {
    QJsonArray a;
    if (!query.parametersLoaded()) return a; // the blank ruler
    for (const std::string& label : query.pathRuler())
        a.append(utf8(label));
    return a;
}

} // namespace

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

namespace {

QJsonArray ordinatesJson(const CurveOrdinates& c) {
    QJsonArray a;
    for (int16_t v : c)
        a.append(v);
    return a;
}

} // namespace

QJsonObject curvesJson(const RecordQuery& query) {
    const CurveStorage& fresh = query.curves().storage;
    const bool built = query.curves().built;
    return QJsonObject{{"built", built},
                       {"lastMappedIndex", fresh.lastMappedIndex},
                       {"curveOrdinates", ordinatesJson(fresh.curveOrdinates)},
                       {"gateOrdinates", ordinatesJson(fresh.gateOrdinates)}};
}

QJsonObject stepJson(const ViewerCore& viewer, const QString& step) {
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

namespace {

// A number of tenths as the shortest JSON number: 615 gives 61.5, 3 gives 0.3.
QJsonValue tenthsValue(int64_t tenths) { return QJsonValue(static_cast<double>(tenths) / 10.0); }

QJsonArray place(const EchoOverview& o, int64_t i) {
    return QJsonArray{o.recordNumber(i), o.frameNumber(i)};
}

} // namespace

// A long recording holds tens of thousands of indications: each is made into
// text on its own and goes out with the others a block at a time. The bytes
// are those QJsonDocument gives for the whole document, keys in its (sorted)
// order.
void writeOverviewJson(const EchoOverview& o, const Output& output) {
    const QByteArray head =
        QJsonDocument(QJsonObject{{"frames", static_cast<qint64>(o.frameCount())}})
            .toJson(QJsonDocument::Compact);
    std::string text(head.constData(), static_cast<size_t>(head.size() - 1)); // without its "}"
    text += ",\"indications\":[";
    for (size_t k = 0; k < o.indications().size(); ++k) {
        const Indication& d = o.indications()[k];
        const OverviewRecord& peak = o.recordOf(d.peak);
        const int32_t amplitude = o.amplitude()[static_cast<size_t>(d.peak)];
        const int32_t position = o.position()[static_cast<size_t>(d.peak)];
        const QByteArray one = QJsonDocument(QJsonObject{
                                                 {"start", place(o, d.start)},
                                                 {"end", place(o, d.end)},
                                                 {"frames", static_cast<qint64>(d.frames())},
                                                 {"peak", place(o, d.peak)},
                                                 {"amplitude", tenthsValue(amplitude)},
                                                 {"unit", amplitudeUnitText(peak.unit)},
                                                 {"position", tenthsValue(position)},
                                                 {"positionUnit", lengthUnitText(peak.inch)},
                                                 {"plausible", o.plausibleAt(d.peak)},
                                             })
                                   .toJson(QJsonDocument::Compact);
        if (k) text += ',';
        text.append(one.constData(), static_cast<size_t>(one.size()));
        if (text.size() >= (1 << 16)) {
            output.print(text);
            text.clear();
        }
    }
    text += "]}\n";
    output.print(text);
}

QJsonObject reportFillJson(const ReportFill& fill) {
    QJsonObject captions, fields;
    for (size_t k = 0; k < fill.defectCaptions.size(); ++k)
        captions[QStringLiteral("QRLabel%1").arg(47 + k)] = fill.defectCaptions[k];
    for (const auto& [name, text] : fill.fields)
        fields[name] = text;
    return QJsonObject{{"layout", fill.twoGate ? "two-gate" : "one-gate"},
                       {"locationHeadHeight", reportLocationHeadHeight(fill.twoGate)},
                       {"captions", captions},
                       {"fields", fields}};
}

} // namespace vantrel::cli
