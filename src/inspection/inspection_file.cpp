#include "inspection_file.h"

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

#include <algorithm>
#include <array>
#include <cmath>

#include "record_format.h"

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

// `o`'s member `k`, a frame of the recording.
FramePlace placeAt(Fields& f, const QJsonObject& o, const std::string& where, const char* k) {
    const std::string here = at(where, k);
    const QJsonObject p = f.object(f.member(o, where, k), here);
    FramePlace place;
    place.record = static_cast<int32_t>(
        f.integer(f.member(p, here, "record"), at(here, "record"), INT32_MIN, INT32_MAX));
    place.frame = static_cast<int32_t>(
        f.integer(f.member(p, here, "frame"), at(here, "frame"), INT32_MIN, INT32_MAX));
    return place;
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

std::vector<IndicationDecision> readDecisions(Fields& f, const QJsonObject& root) {
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
    }
    return out;
}

std::map<std::string, std::string> readReportCells(Fields& f, const QJsonObject& root) {
    const QJsonObject o = f.object(f.member(root, "", kReportCellsKey), kReportCellsKey);
    std::map<std::string, std::string> out;
    if (o.size() > kMaxReportCells) {
        f.fail(kReportCellsKey,
               std::to_string(o.size()) + " cells, more than " + std::to_string(kMaxReportCells));
        return out;
    }
    for (auto it = o.begin(); it != o.end() && !f.failed(); ++it) {
        const std::string caption = it.key().toStdString();
        const std::string where = std::string(kReportCellsKey) + "[\"" + caption + "\"]";
        if (static_cast<int64_t>(caption.size()) > kMaxInspectionTextBytes)
            f.fail(where,
                   "a caption longer than " + std::to_string(kMaxInspectionTextBytes) + " bytes");
        out[caption] = f.text(it.value(), where);
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

QJsonObject travelJson(const TravelCalibration& t) {
    return {{"method", key(kTravelMethods[static_cast<size_t>(t.method)])},
            {"mmPerFrame", utf8(t.mmPerFrame)},
            {"from", placeJson(t.from)},
            {"to", placeJson(t.to)},
            {"distanceMm", utf8(t.distanceMm)}};
}

QJsonObject decisionJson(const IndicationDecision& d) {
    return {{"start", placeJson(d.start)}, {"end", placeJson(d.end)},  {"nature", utf8(d.nature)},
            {"grade", utf8(d.grade)},      {"remark", utf8(d.remark)}, {"reported", d.reported}};
}

// ---- the files.

// What is at `path`: nothing (no file, or a folder, which only a save trips
// over), or a file parsed and checked against the recording. Anything but a
// regular file is not opened: a named pipe would wait for a writer forever.
std::optional<ParsedInspection> examine(const QString& path, const RecordingIdentity& identity) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir()) return std::nullopt;
    if (!info.isFile()) return refused(InspectionFault::Unreadable, "not a regular file");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refused(InspectionFault::Unreadable, file.errorString().toStdString());
    // Read one byte past the limit rather than trust the size the system
    // states (a device or a file still growing).
    const QByteArray bytes = file.read(kMaxInspectionFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return refused(InspectionFault::Unreadable, file.errorString().toStdString());
    ParsedInspection parsed = parseInspection(bytes);
    if (parsed.document && !parsed.document->recording.sameRecording(identity)) {
        const RecordingIdentity& theirs = parsed.document->recording;
        return refused(InspectionFault::OtherRecording,
                       "made for " + theirs.fileName + " of " + std::to_string(theirs.size) +
                           " bytes with index hash " + theirs.indexHash.substr(0, 16) +
                           "..., this recording has " + std::to_string(identity.size) +
                           " bytes and index hash " + identity.indexHash.substr(0, 16) + "...");
    }
    return parsed;
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
    if (version < kInspectionVersion)
        return refused(InspectionFault::Malformed,
                       "version " + std::to_string(version) + " was never written");

    InspectionDocument d;
    d.recording = readRecording(f, root);
    d.saved = f.text(f.member(root, "", kSavedKey), kSavedKey);
    if (!f.failed() && !savedTime(d.saved).isValid())
        f.fail(kSavedKey, "\"" + d.saved + "\" is not an ISO 8601 date and time");
    d.inspection.travel = readTravel(f, root);
    d.inspection.decisions = readDecisions(f, root);
    d.inspection.reportCells = readReportCells(f, root);
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
    QJsonObject cells;
    for (const auto& [caption, text] : in.reportCells)
        cells.insert(utf8(caption), utf8(text));
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
        {kReportCellsKey, cells},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

InspectionPaths inspectionPaths(const QString& recordingPath, const RecordingIdentity& identity) {
    InspectionPaths paths;
    paths.beside = recordingPath + key(kInspectionSuffix);
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (!data.isEmpty() && isIndexHash(identity.indexHash))
        paths.dataFolder = data + QStringLiteral("/inspections/") + QString::number(identity.size) +
                           QLatin1Char('-') + utf8(identity.indexHash) + key(kInspectionSuffix);
    return paths;
}

QString inspectionProblemText(const InspectionProblem& problem) {
    return QStringLiteral("%1 %2 (%3); it is left as it is.")
        .arg(QDir::toNativeSeparators(problem.path), key(inspectionFaultText(problem.fault)),
             utf8(problem.detail));
}

LoadedInspection loadInspection(const QString& recordingPath, const RecordingIdentity& identity) {
    const InspectionPaths paths = inspectionPaths(recordingPath, identity);
    LoadedInspection result;
    auto consider = [&](InspectionPlace place, const QString& path) {
        const std::optional<ParsedInspection> found = examine(path, identity);
        if (!found) return;
        if (!found->document) {
            result.problems.push_back(problemAt(place, path, *found));
            return;
        }
        // The later of two sound files; the first considered on a tie.
        if (result.from != InspectionPlace::None &&
            savedTime(found->document->saved) <= savedTime(result.document.saved))
            return;
        result.from = place;
        result.path = path;
        result.document = *found->document;
    };
    consider(InspectionPlace::Beside, paths.beside);
    consider(InspectionPlace::DataFolder, paths.dataFolder);
    return result;
}

SavedInspection saveInspection(const QString& recordingPath, const RecordingIdentity& identity,
                               const Inspection& inspection) {
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
    const InspectionPaths paths = inspectionPaths(recordingPath, identity);

    const std::optional<ParsedInspection> beside = examine(paths.beside, identity);
    if (beside && !beside->document) {
        result.besideRefusal = BesideRefusal::FileKept;
        result.besideProblem = problemAt(InspectionPlace::Beside, paths.beside, *beside);
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
    if (const std::optional<ParsedInspection> kept = examine(paths.dataFolder, identity);
        kept && !kept->document) {
        result.error =
            QStringLiteral("The inspection was not saved: ") +
            inspectionProblemText(problemAt(InspectionPlace::DataFolder, paths.dataFolder, *kept));
        return result;
    }
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

} // namespace vantrel
