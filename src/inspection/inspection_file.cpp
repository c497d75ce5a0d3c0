#include "inspection/inspection_file.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <algorithm>
#include <array>
#include <cmath>

#include "recordfile/record_format.h"

namespace vantrel {

namespace {

// ---- the keys, as the format document lists them.
constexpr const char* kFormatKey = "format";
constexpr const char* kVersionKey = "version";
constexpr const char* kRecordingKey = "recording";
constexpr const char* kSavedKey = "saved";
constexpr const char* kTravelKey = "travel";
constexpr const char* kDecisionsKey = "decisions";
constexpr const char* kReportCellsKey = "reportCells";
constexpr const char* kSettingsKey = "settings";
constexpr const char* kFrameCellsKey = "frameCells";

// By TravelCalibration::Method.
constexpr std::array<const char*, 3> kTravelMethods = {"none", "typed", "twoFrames"};
static_assert(static_cast<size_t>(TravelCalibration::Method::TwoFrames) ==
              kTravelMethods.size() - 1);

QString key(const char* k) { return QString::fromLatin1(k); }

// A SHA-256 as the format writes it. It becomes part of a file name in the
// data folder, so nothing else may pass.
bool isIndexHash(const std::string& s) {
    return s.size() == 64 && s.find_first_not_of("0123456789abcdef") == std::string::npos;
}

// ---- reading. The first thing found wrong, with where it is, is what the
// parse reports; whatever is read after it is thrown away.

class Fields {
public:
    bool failed() const { return !error_.empty(); }
    const std::string& error() const { return error_; }
    // `where` is the key's path ("decisions[2].grade"), empty at the top.
    void fail(const std::string& where, const std::string& what) {
        if (error_.empty()) error_ = where.empty() ? what : where + ": " + what;
    }

    // The value of `k` in `o`, the object at `where`; Undefined, and
    // reported, when it is missing. The reads below take it as it is and
    // report a wrong type (but not a missing value twice).
    QJsonValue member(const QJsonObject& o, const std::string& where, const char* k) {
        const QJsonValue v = o.value(key(k));
        if (v.isUndefined()) fail(where, std::string("\"") + k + "\" is missing");
        return v;
    }
    QJsonObject object(const QJsonValue& v, const std::string& where) {
        if (v.isObject()) return v.toObject();
        wrongType(v, where, "an object");
        return {};
    }
    QJsonArray array(const QJsonValue& v, const std::string& where) {
        if (v.isArray()) return v.toArray();
        wrongType(v, where, "an array");
        return {};
    }
    bool boolean(const QJsonValue& v, const std::string& where) {
        if (v.isBool()) return v.toBool();
        wrongType(v, where, "true or false");
        return false;
    }
    std::string text(const QJsonValue& v, const std::string& where) {
        if (!v.isString()) {
            wrongType(v, where, "a string");
            return {};
        }
        std::string s = v.toString().toStdString();
        if (static_cast<int64_t>(s.size()) > kMaxInspectionTextBytes) {
            fail(where, "a text of " + std::to_string(s.size()) + " bytes, more than " +
                            std::to_string(kMaxInspectionTextBytes));
            return {};
        }
        return s;
    }
    // A whole number from `low` to `high`. JSON has one kind of number: 2.0
    // is 2, 2.5 is no count of anything.
    int64_t integer(const QJsonValue& v, const std::string& where, int64_t low, int64_t high) {
        if (!v.isDouble()) {
            wrongType(v, where, "a number");
            return 0;
        }
        // Every JSON number is a double here; Qt also keeps the exact
        // integer of a number written without a point or exponent, which
        // may lie just beyond a limit the double is within.
        const double d = v.toDouble();
        const bool whole =
            d >= static_cast<double>(low) && d <= static_cast<double>(high) && d == std::floor(d);
        const int64_t i = whole ? v.toInteger(static_cast<int64_t>(d)) : 0;
        if (!whole || i < low || i > high) {
            fail(where, "a whole number from " + std::to_string(low) + " to " +
                            std::to_string(high) + " is expected, not " +
                            QString::number(d, 'g', 17).toStdString());
            return 0;
        }
        return i;
    }
    // A number with at most the decimals 1/`scale` gives (10: tenths, 1000:
    // thousandths), as that many units from `low` to `high`. Exact: the
    // units divided by `scale` must be the very number read, which is what
    // the writer writes for them.
    int64_t fixed(const QJsonValue& v, const std::string& where, int64_t scale, int64_t low,
                  int64_t high) {
        if (!v.isDouble()) {
            wrongType(v, where, "a number");
            return 0;
        }
        const double d = v.toDouble();
        const double units = d * static_cast<double>(scale);
        const bool inRange =
            units >= static_cast<double>(low) - 1 && units <= static_cast<double>(high) + 1;
        const int64_t i = inRange ? std::llround(units) : 0;
        if (!inRange || i < low || i > high ||
            static_cast<double>(i) / static_cast<double>(scale) != d) {
            fail(where, "a number from " + std::to_string(low) + " to " + std::to_string(high) +
                            " units of 1/" + std::to_string(scale) + " is expected, not " +
                            QString::number(d, 'g', 17).toStdString());
            return 0;
        }
        return i;
    }

private:
    void wrongType(const QJsonValue& v, const std::string& where, const char* expected) {
        if (v.isUndefined()) return; // already reported as missing
        fail(where, std::string(expected) + " is expected, not " + typeName(v));
    }
    static const char* typeName(const QJsonValue& v) {
        switch (v.type()) {
        case QJsonValue::Null: return "null";
        case QJsonValue::Bool: return "true or false";
        case QJsonValue::Double: return "a number";
        case QJsonValue::String: return "a string";
        case QJsonValue::Array: return "an array";
        case QJsonValue::Object: return "an object";
        case QJsonValue::Undefined: break;
        }
        return "nothing";
    }

    std::string error_;
};

std::string at(const std::string& where, const char* k) { return where + "." + k; }

// A frame of the recording at `here`.
FramePlace place(Fields& f, const QJsonValue& v, const std::string& here) {
    const QJsonObject p = f.object(v, here);
    FramePlace place;
    place.record = static_cast<int32_t>(
        f.integer(f.member(p, here, "record"), at(here, "record"), INT32_MIN, INT32_MAX));
    place.frame = static_cast<int32_t>(
        f.integer(f.member(p, here, "frame"), at(here, "frame"), INT32_MIN, INT32_MAX));
    return place;
}

// `o`'s member `k`, a frame of the recording.
FramePlace placeAt(Fields& f, const QJsonObject& o, const std::string& where, const char* k) {
    return place(f, f.member(o, where, k), at(where, k));
}

// A caption -> text object at `where` (the report's cells, a flaw's cells).
std::map<std::string, std::string> readCells(Fields& f, const QJsonValue& v,
                                             const std::string& where) {
    const QJsonObject o = f.object(v, where);
    std::map<std::string, std::string> out;
    if (o.size() > kMaxReportCells) {
        f.fail(where,
               std::to_string(o.size()) + " cells, more than " + std::to_string(kMaxReportCells));
        return out;
    }
    for (auto it = o.begin(); it != o.end() && !f.failed(); ++it) {
        const std::string caption = it.key().toStdString();
        const std::string here = where + "[\"" + caption + "\"]";
        if (static_cast<int64_t>(caption.size()) > kMaxInspectionTextBytes)
            f.fail(here,
                   "a caption longer than " + std::to_string(kMaxInspectionTextBytes) + " bytes");
        out[caption] = f.text(it.value(), here);
    }
    return out;
}

std::string textAt(Fields& f, const QJsonObject& o, const std::string& where, const char* k) {
    return f.text(f.member(o, where, k), at(where, k));
}

RecordingIdentity readRecording(Fields& f, const QJsonObject& root) {
    const std::string where = kRecordingKey;
    const QJsonObject o = f.object(f.member(root, "", kRecordingKey), where);
    RecordingIdentity id;
    id.fileName = textAt(f, o, where, "fileName");
    id.size = f.integer(f.member(o, where, "size"), at(where, "size"), 0, kMaxRecordingSize);
    id.indexHash = textAt(f, o, where, "indexHash");
    if (!f.failed() && !isIndexHash(id.indexHash))
        f.fail(at(where, "indexHash"), "64 lower-case hexadecimal digits are expected");
    return id;
}

TravelCalibration readTravel(Fields& f, const QJsonObject& root) {
    const std::string where = kTravelKey;
    const QJsonObject o = f.object(f.member(root, "", kTravelKey), where);
    TravelCalibration t;
    const std::string method = textAt(f, o, where, "method");
    const auto it = std::find(kTravelMethods.begin(), kTravelMethods.end(), method);
    if (it == kTravelMethods.end())
        f.fail(at(where, "method"), "\"" + method + "\" is not none, typed or twoFrames");
    else
        t.method = static_cast<TravelCalibration::Method>(it - kTravelMethods.begin());
    t.mmPerFrame = textAt(f, o, where, "mmPerFrame");
    t.from = placeAt(f, o, where, "from");
    t.to = placeAt(f, o, where, "to");
    t.distanceMm = textAt(f, o, where, "distanceMm");
    return t;
}

std::vector<IndicationDecision> readDecisions(Fields& f, const QJsonObject& root, int64_t version) {
    const QJsonArray a = f.array(f.member(root, "", kDecisionsKey), kDecisionsKey);
    std::vector<IndicationDecision> out;
    if (a.size() > kMaxDecisions) {
        f.fail(kDecisionsKey,
               std::to_string(a.size()) + " decisions, more than " + std::to_string(kMaxDecisions));
        return out;
    }
    out.reserve(static_cast<size_t>(a.size()));
    for (qsizetype i = 0; i < a.size() && !f.failed(); ++i) {
        const std::string where = std::string(kDecisionsKey) + "[" + std::to_string(i) + "]";
        const QJsonObject o = f.object(a.at(i), where);
        IndicationDecision& d = out.emplace_back();
        d.start = placeAt(f, o, where, "start");
        d.end = placeAt(f, o, where, "end");
        d.nature = textAt(f, o, where, "nature");
        d.grade = textAt(f, o, where, "grade");
        if (!f.failed() && std::none_of(std::begin(kGrades), std::end(kGrades),
                                        [&](const char* g) { return d.grade == g; }))
            f.fail(at(where, "grade"), "\"" + d.grade + "\" is not a grade");
        d.remark = textAt(f, o, where, "remark");
        d.reported = f.boolean(f.member(o, where, "reported"), at(where, "reported"));
        if (version < 2) continue;
        // Null: a decision carried over from the first version.
        if (const QJsonValue peak = f.member(o, where, "peak"); !peak.isNull())
            d.peak = place(f, peak, at(where, "peak"));
        d.manual = f.boolean(f.member(o, where, "manual"), at(where, "manual"));
        d.cells = readCells(f, f.member(o, where, "cells"), at(where, "cells"));
    }
    return out;
}

// Null: never kept (a file of the first version, or none chosen yet).
std::optional<EvaluationSettings> readSettings(Fields& f, const QJsonObject& root) {
    const QJsonValue v = f.member(root, "", kSettingsKey);
    if (v.isNull() || f.failed()) return std::nullopt;
    const std::string where = kSettingsKey;
    const QJsonObject o = f.object(v, where);
    EvaluationSettings s;
    s.gap = f.integer(f.member(o, where, "gap"), at(where, "gap"), 0, kMaxSettingValue);
    s.splitMicrometres =
        f.fixed(f.member(o, where, "split"), at(where, "split"), 1000, 0, kMaxSettingValue);
    if (const QJsonValue p = f.member(o, where, "percentThreshold"); !p.isNull())
        s.percentThreshold =
            f.fixed(p, at(where, "percentThreshold"), 10, -kMaxSettingValue, kMaxSettingValue);
    s.dbThreshold = f.fixed(f.member(o, where, "dbThreshold"), at(where, "dbThreshold"), 10,
                            -kMaxSettingValue, kMaxSettingValue);
    return s;
}

std::map<FramePlace, ReportCells> readFrameCells(Fields& f, const QJsonObject& root) {
    const QJsonArray a = f.array(f.member(root, "", kFrameCellsKey), kFrameCellsKey);
    std::map<FramePlace, ReportCells> out;
    if (a.size() > kMaxFrameCells) {
        f.fail(kFrameCellsKey,
               std::to_string(a.size()) + " frames, more than " + std::to_string(kMaxFrameCells));
        return out;
    }
    for (qsizetype i = 0; i < a.size() && !f.failed(); ++i) {
        const std::string where = std::string(kFrameCellsKey) + "[" + std::to_string(i) + "]";
        const QJsonObject o = f.object(a.at(i), where);
        const FramePlace frame = placeAt(f, o, where, "frame");
        ReportCells cells = readCells(f, f.member(o, where, "cells"), at(where, "cells"));
        // A second entry for a frame would not write back as it was read.
        if (!f.failed() && !out.emplace(frame, std::move(cells)).second)
            f.fail(at(where, "frame"), placeText(frame) + " is given twice");
    }
    return out;
}

ParsedInspection refused(InspectionFault fault, std::string detail) {
    ParsedInspection r;
    r.fault = fault;
    r.detail = std::move(detail);
    return r;
}

// ---- writing.

QJsonObject placeJson(FramePlace p) { return {{"record", p.record}, {"frame", p.frame}}; }

QString utf8(const std::string& s) { return QString::fromStdString(s); }

QJsonObject cellsJson(const std::map<std::string, std::string>& cells) {
    QJsonObject o;
    for (const auto& [caption, text] : cells)
        o.insert(utf8(caption), utf8(text));
    return o;
}

// `units` of 1/`scale` as the number Fields::fixed reads back.
QJsonValue fixedJson(int64_t units, int64_t scale) {
    return static_cast<double>(units) / static_cast<double>(scale);
}

QJsonValue settingsJson(const std::optional<EvaluationSettings>& s) {
    if (!s) return QJsonValue(QJsonValue::Null);
    return QJsonObject{{"gap", static_cast<qint64>(s->gap)},
                       {"split", fixedJson(s->splitMicrometres, 1000)},
                       {"percentThreshold", s->percentThreshold
                                                ? fixedJson(*s->percentThreshold, 10)
                                                : QJsonValue(QJsonValue::Null)},
                       {"dbThreshold", fixedJson(s->dbThreshold, 10)}};
}

QJsonObject travelJson(const TravelCalibration& t) {
    return {{"method", key(kTravelMethods[static_cast<size_t>(t.method)])},
            {"mmPerFrame", utf8(t.mmPerFrame)},
            {"from", placeJson(t.from)},
            {"to", placeJson(t.to)},
            {"distanceMm", utf8(t.distanceMm)}};
}

QJsonObject decisionJson(const IndicationDecision& d) {
    return {{"start", placeJson(d.start)},
            {"end", placeJson(d.end)},
            {"peak", d.peak ? QJsonValue(placeJson(*d.peak)) : QJsonValue(QJsonValue::Null)},
            {"manual", d.manual},
            {"nature", utf8(d.nature)},
            {"grade", utf8(d.grade)},
            {"remark", utf8(d.remark)},
            {"reported", d.reported},
            {"cells", cellsJson(d.cells)}};
}

// ---- the files.

// What is at one place: nothing (no file, or a folder, which only a save
// trips over), or a file parsed and checked against the recording, with the
// digest of its bytes.
struct Found {
    std::optional<ParsedInspection> parsed;
    QByteArray digest; // empty: no file, or nothing could be read
};

// Anything but a regular file is not opened: a named pipe would wait for a
// writer forever.
Found examine(const QString& path, const RecordingIdentity& identity) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir()) return {};
    if (!info.isFile()) return {refused(InspectionFault::Unreadable, "not a regular file"), {}};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {refused(InspectionFault::Unreadable, file.errorString().toStdString()), {}};
    // Read one byte past the limit rather than trust the size the system
    // states (a device or a file still growing).
    const QByteArray bytes = file.read(kMaxInspectionFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return {refused(InspectionFault::Unreadable, file.errorString().toStdString()), {}};
    Found found{parseInspection(bytes), inspectionDigest(bytes)};
    ParsedInspection& parsed = *found.parsed;
    if (parsed.document && !parsed.document->recording.sameRecording(identity)) {
        const RecordingIdentity& theirs = parsed.document->recording;
        parsed = refused(InspectionFault::OtherRecording,
                         "made for " + theirs.fileName + " of " + std::to_string(theirs.size) +
                             " bytes with index hash " + theirs.indexHash.substr(0, 16) +
                             "..., this recording has " + std::to_string(identity.size) +
                             " bytes and index hash " + identity.indexHash.substr(0, 16) + "...");
    }
    return found;
}

bool sound(const Found& f) { return f.parsed && f.parsed->document; }
bool unsound(const Found& f) { return f.parsed && !f.parsed->document; }

// Whether a file can be created in the folder of `path`: tried, since
// neither the mode bits (root writes anywhere) nor the system's access check
// (a folder of /proc) say it for sure.
bool folderTakesFiles(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir()) return false; // a folder where the file would go
    QTemporaryFile probe(info.path() + QStringLiteral("/.vantrel-probe-XXXXXX"));
    return probe.open();
}

// Writes `bytes` to `path` whole or not at all. An empty text when written,
// otherwise the system's reason.
QString writeWhole(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return file.errorString();
    if (file.write(bytes) != bytes.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return error;
    }
    if (!file.commit()) return file.errorString();
    return {};
}

QDateTime savedTime(const std::string& text) {
    return QDateTime::fromString(utf8(text), Qt::ISODateWithMs);
}

InspectionProblem problemAt(InspectionPlace place, const QString& path,
                            const ParsedInspection& parsed) {
    return {place, path, parsed.fault, parsed.detail};
}

} // namespace

std::string recordIndexHash(int64_t size, std::span<const RecordIndexEntry> index) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    uint8_t sizeBytes[8];
    storeU32(sizeBytes, static_cast<uint32_t>(static_cast<uint64_t>(size)));
    storeU32(sizeBytes + 4, static_cast<uint32_t>(static_cast<uint64_t>(size) >> 32));
    hash.addData(QByteArrayView(sizeBytes, sizeof sizeBytes));
    // A long recording has hundreds of thousands of records: a few
    // kilobytes at a time.
    constexpr size_t kEntriesPerChunk = 512;
    std::array<uint8_t, kEntriesPerChunk * 8> chunk;
    for (size_t from = 0; from < index.size(); from += kEntriesPerChunk) {
        const size_t n = std::min(kEntriesPerChunk, index.size() - from);
        for (size_t i = 0; i < n; ++i) {
            storeU32(chunk.data() + 8 * i, static_cast<uint32_t>(index[from + i].fileOffset));
            storeU32(chunk.data() + 8 * i + 4, static_cast<uint32_t>(index[from + i].recordSize));
        }
        hash.addData(QByteArrayView(chunk.data(), static_cast<qsizetype>(8 * n)));
    }
    return hash.result().toHex().toStdString();
}

RecordingIdentity recordingIdentity(const RecordFile& file) {
    return {QFileInfo(utf8(file.path())).fileName().toStdString(), file.fileSize(),
            recordIndexHash(file.fileSize(), file.recordIndex())};
}

const char* inspectionFaultText(InspectionFault fault) {
    switch (fault) {
    case InspectionFault::None: return "sound";
    case InspectionFault::Unreadable: return "cannot be read";
    case InspectionFault::TooLarge: return "is larger than an inspection file can be";
    case InspectionFault::NotJson: return "is cut short or damaged: not JSON";
    case InspectionFault::Foreign: return "is not an inspection file";
    case InspectionFault::NewerVersion: return "was written by a newer version of Vantrel";
    case InspectionFault::Malformed: return "is a damaged inspection file";
    case InspectionFault::OtherRecording: return "belongs to another recording";
    }
    return "unknown";
}

ParsedInspection parseInspection(const QByteArray& src) {
    if (src.size() > kMaxInspectionFileBytes)
        return refused(InspectionFault::TooLarge, std::to_string(src.size()) +
                                                      " bytes, more than " +
                                                      std::to_string(kMaxInspectionFileBytes));
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(src, &error);
    if (json.isNull())
        return refused(InspectionFault::NotJson, error.errorString().toStdString() + " at byte " +
                                                     std::to_string(error.offset));
    if (!json.isObject())
        return refused(InspectionFault::Foreign,
                       json.isArray() ? "a JSON array" : "JSON, but not an object");
    const QJsonObject root = json.object();
    if (root.value(key(kFormatKey)).toString() != key(kInspectionFormatName))
        return refused(InspectionFault::Foreign,
                       std::string("\"format\" is not \"") + kInspectionFormatName + "\"");
    Fields f;
    // Any whole number is a version: one above ours is a newer file, not a
    // damaged one.
    const int64_t version =
        f.integer(f.member(root, "", kVersionKey), kVersionKey, INT32_MIN, INT32_MAX);
    if (f.failed()) return refused(InspectionFault::Malformed, f.error());
    if (version > kInspectionVersion)
        return refused(InspectionFault::NewerVersion, "version " + std::to_string(version) +
                                                          ", this program reads version " +
                                                          std::to_string(kInspectionVersion));
    if (version < kFirstInspectionVersion)
        return refused(InspectionFault::Malformed,
                       "version " + std::to_string(version) + " was never written");

    InspectionDocument d;
    d.recording = readRecording(f, root);
    d.saved = f.text(f.member(root, "", kSavedKey), kSavedKey);
    if (!f.failed() && !savedTime(d.saved).isValid())
        f.fail(kSavedKey, "\"" + d.saved + "\" is not an ISO 8601 date and time");
    d.inspection.travel = readTravel(f, root);
    d.inspection.decisions = readDecisions(f, root, version);
    d.inspection.reportCells = readCells(f, f.member(root, "", kReportCellsKey), kReportCellsKey);
    // The first version knew none of these: no settings, no frame cells.
    if (version >= 2) {
        d.inspection.settings = readSettings(f, root);
        d.inspection.frameCells = readFrameCells(f, root);
    }
    if (f.failed()) return refused(InspectionFault::Malformed, f.error());
    ParsedInspection r;
    r.document = std::move(d);
    return r;
}

QByteArray inspectionJson(const InspectionDocument& document) {
    const Inspection& in = document.inspection;
    QJsonArray decisions;
    for (const IndicationDecision& d : in.decisions)
        decisions.append(decisionJson(d));
    QJsonArray frameCells;
    for (const auto& [frame, cells] : in.frameCells)
        frameCells.append(QJsonObject{{"frame", placeJson(frame)}, {"cells", cellsJson(cells)}});
    const RecordingIdentity& id = document.recording;
    const QJsonObject root{
        {kFormatKey, key(kInspectionFormatName)},
        {kVersionKey, kInspectionVersion},
        {kRecordingKey, QJsonObject{{"fileName", utf8(id.fileName)},
                                    {"size", static_cast<qint64>(id.size)},
                                    {"indexHash", utf8(id.indexHash)}}},
        {kSavedKey, utf8(document.saved)},
        {kTravelKey, travelJson(in.travel)},
        {kDecisionsKey, decisions},
        {kReportCellsKey, cellsJson(in.reportCells)},
        {kSettingsKey, settingsJson(in.settings)},
        {kFrameCellsKey, frameCells},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QString viewerDataFolder() {
    // AppDataLocation is GenericDataLocation/<organization>/<application>;
    // the viewer names no organization.
    const QString generic = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return generic.isEmpty() ? QString() : generic + QStringLiteral("/Vantrel");
}

InspectionPaths inspectionPaths(const QString& recordingPath, const RecordingIdentity& identity,
                                const QString& dataFolder) {
    InspectionPaths paths;
    paths.beside = recordingPath + key(kInspectionSuffix);
    if (!dataFolder.isEmpty() && isIndexHash(identity.indexHash))
        paths.dataFolder = dataFolder + QStringLiteral("/inspections/") +
                           QString::number(identity.size) + QLatin1Char('-') +
                           utf8(identity.indexHash) + key(kInspectionSuffix);
    return paths;
}

QByteArray inspectionDigest(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

QString inspectionProblemText(const InspectionProblem& problem) {
    return QStringLiteral("%1 %2 (%3); it is left as it is.")
        .arg(QDir::toNativeSeparators(problem.path), key(inspectionFaultText(problem.fault)),
             utf8(problem.detail));
}

LoadedInspection loadInspection(const QString& recordingPath, const RecordingIdentity& identity,
                                const QString& dataFolder) {
    const InspectionPaths paths = inspectionPaths(recordingPath, identity, dataFolder);
    LoadedInspection result;
    const Found beside = examine(paths.beside, identity);
    const Found data = examine(paths.dataFolder, identity);
    result.digests = {beside.digest, data.digest};
    if (unsound(beside))
        result.problems.push_back(problemAt(InspectionPlace::Beside, paths.beside, *beside.parsed));
    if (unsound(data))
        result.problems.push_back(
            problemAt(InspectionPlace::DataFolder, paths.dataFolder, *data.parsed));
    result.besideTakesSaves = !unsound(beside) && folderTakesFiles(paths.beside);

    // The file beside is the recording's inspection; the data folder's
    // stands in for it only where a save could not go beside either.
    if (sound(beside)) {
        result.from = InspectionPlace::Beside;
        result.path = paths.beside;
        result.document = *beside.parsed->document;
    } else if (sound(data) && !result.besideTakesSaves) {
        result.from = InspectionPlace::DataFolder;
        result.path = paths.dataFolder;
        result.document = *data.parsed->document;
        return result;
    }
    if (sound(data) && data.parsed->document->inspection != result.document.inspection)
        result.other = InspectionCandidate{InspectionPlace::DataFolder, paths.dataFolder,
                                           *data.parsed->document};
    return result;
}

SavedInspection saveInspection(const QString& recordingPath, const RecordingIdentity& identity,
                               const QString& dataFolder, const Inspection& inspection,
                               const InspectionDigests* expected) {
    SavedInspection result;
    const InspectionDocument document{
        identity, QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toStdString(),
        inspection};
    const QByteArray bytes = inspectionJson(document);
    // What the parser would refuse is never written: a file that could not
    // be read back would lose everything in it.
    const ParsedInspection back = parseInspection(bytes);
    if (!back.document || *back.document != document) {
        result.error = QStringLiteral("The inspection was not saved: %1.")
                           .arg(back.document ? QStringLiteral("it does not read back the same")
                                              : utf8(back.detail));
        return result;
    }
    result.digest = inspectionDigest(bytes);
    const InspectionPaths paths = inspectionPaths(recordingPath, identity, dataFolder);
    // A sound file another program wrote since `expected` was taken stops
    // the save: its decisions are merged first.
    auto changedSince = [&](InspectionPlace place, const QString& path, const Found& found) {
        if (!expected || !sound(found)) return false;
        const QByteArray& was =
            place == InspectionPlace::Beside ? expected->beside : expected->dataFolder;
        if (found.digest == was) return false;
        result.changed = InspectionCandidate{place, path, *found.parsed->document};
        result.changedDigest = found.digest;
        return true;
    };

    const Found beside = examine(paths.beside, identity);
    if (unsound(beside)) {
        result.besideRefusal = BesideRefusal::FileKept;
        result.besideProblem = problemAt(InspectionPlace::Beside, paths.beside, *beside.parsed);
    } else if (!folderTakesFiles(paths.beside)) {
        result.besideRefusal = BesideRefusal::CannotWrite;
        result.besideError = QFileInfo(paths.beside).isDir()
                                 ? QStringLiteral("a folder is in the way")
                                 : QStringLiteral("no file can be written in its folder");
    } else if (changedSince(InspectionPlace::Beside, paths.beside, beside)) {
        return result;
    } else if (QString error = writeWhole(paths.beside, bytes); !error.isEmpty()) {
        result.besideRefusal = BesideRefusal::CannotWrite;
        result.besideError = error;
    } else {
        result.to = InspectionPlace::Beside;
        result.path = paths.beside;
        return result;
    }

    if (paths.dataFolder.isEmpty()) {
        result.error = QStringLiteral("The inspection was not saved: the system names no data "
                                      "folder and %1 cannot take it.")
                           .arg(QDir::toNativeSeparators(paths.beside));
        return result;
    }
    const Found kept = examine(paths.dataFolder, identity);
    if (unsound(kept)) {
        result.error = QStringLiteral("The inspection was not saved: ") +
                       inspectionProblemText(
                           problemAt(InspectionPlace::DataFolder, paths.dataFolder, *kept.parsed));
        return result;
    }
    if (changedSince(InspectionPlace::DataFolder, paths.dataFolder, kept)) return result;
    QDir().mkpath(QFileInfo(paths.dataFolder).path());
    if (QString error = writeWhole(paths.dataFolder, bytes); !error.isEmpty()) {
        result.error = QStringLiteral("The inspection was not saved to %1: %2.")
                           .arg(QDir::toNativeSeparators(paths.dataFolder), error);
        return result;
    }
    result.to = InspectionPlace::DataFolder;
    result.path = paths.dataFolder;
    return result;
}

namespace {

// `path` with its last ".json" turned into ".<when>.json", "-2" and on when
// that name is taken.
QString datedName(const QString& path, const QDateTime& when) {
    QString stem = path;
    if (stem.endsWith(QStringLiteral(".json"))) stem.chop(5);
    const QString stamp =
        when.toUTC().toString(QStringLiteral("yyyy-MM-ddTHHmmss")) + QLatin1Char('Z');
    QString target;
    for (int n = 1;; ++n) {
        target = stem + QLatin1Char('.') + stamp +
                 (n == 1 ? QString() : QStringLiteral("-%1").arg(n)) + QStringLiteral(".json");
        if (!QFileInfo::exists(target)) break;
    }
    return target;
}

} // namespace

QString keepAside(const QString& path, const QDateTime& when, bool move, QString* error) {
    const QString target = datedName(path, when);
    if (move) {
        QFile file(path);
        if (file.rename(target)) return target;
        if (error) *error = file.errorString();
        return {};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = file.errorString();
        return {};
    }
    if (const QString e = writeWhole(target, file.readAll()); !e.isEmpty()) {
        if (error) *error = e;
        return {};
    }
    return target;
}

QString saveInspectionAside(const QString& path, const RecordingIdentity& identity,
                            const Inspection& inspection, QString* error) {
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QString target = datedName(path, now);
    QDir().mkpath(QFileInfo(target).path());
    const InspectionDocument document{identity, now.toString(Qt::ISODateWithMs).toStdString(),
                                      inspection};
    if (const QString e = writeWhole(target, inspectionJson(document)); !e.isEmpty()) {
        if (error) *error = e;
        return {};
    }
    return target;
}

} // namespace vantrel
