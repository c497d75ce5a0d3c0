// The inspection file: every field through the file and back, damaged and
// foreign files reported and kept byte for byte while the decisions go to the
// data folder, places no file can be written to, and files of another
// recording. Every test runs with XDG_DATA_HOME in a folder of its own, so
// the data folder is never the real one.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <span>
#include <string>

#include "inspection/inspection_file.h"
#include "recordfile/record_file.h"
#include "test_files.h"

using namespace vantrel;
using namespace vantrel::testing;
namespace fs = std::filesystem;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QString qpath(const fs::path& p) { return QString::fromStdString(p.string()); }

RecordingIdentity identityOf(const std::string& path) {
    RecordFile file;
    EXPECT_TRUE(file.openRecordFile(path).ok());
    return recordingIdentity(file);
}

// A recording of records of the given frame counts, the first with a
// parameter block. A record's bytes depend on its frame count only, so the
// same counts in another order after the first make a file of the same size
// with another record chain.
Bytes recordingOf(std::initializer_list<int> framesPerRecord) {
    RecordWriter w;
    const ParameterBlock block = makeBlock(325);
    for (int frames : framesPerRecord)
        w.addRecord(makeFrames(frames, 10 * frames), w.records() == 0 ? &block : nullptr);
    return w.bytes();
}

// An inspection with something in every field, texts the file must carry
// exactly: Chinese, a character outside the basic plane, quotes,
// backslashes, line breaks, a control character.
Inspection fullInspection() {
    Inspection in;
    in.travel.method = TravelCalibration::Method::TwoFrames;
    in.travel.mmPerFrame = "0.25";
    in.travel.from = {3, 1};
    in.travel.to = {90, 7};
    in.travel.distanceMm = "600.5";
    int i = 0;
    for (const char* grade : kGrades) {
        IndicationDecision& d = in.decide({10 * i, i}, {10 * i + 2, i + 1});
        d.grade = grade;
        d.nature = i % 2 ? "未焊透" : "气孔 \"圆形\"";
        d.remark = "复检 \\ 第" + std::to_string(i) + "处\n\t😀 \x01";
        d.reported = i % 2 == 0;
        // Version 2: the peak (none for a decision of the first version),
        // a manual mark, the flaw's cells.
        if (i != 2) d.peak = FramePlace{10 * i + 1, 0};
        d.manual = i == 3;
        if (i % 2) d.cells = {{"长度", "12.5 mm"}, {"探伤结果", "不合格\n复检"}};
        ++i;
    }
    in.reportCells = {{"检测单位", "第一检测站"}, {"备注", "两行\n文字"}, {"", "空的标题"}};
    in.settings = EvaluationSettings{2, 2500, 505, -63};
    in.frameCells[{7, 3}] = {{"备注", "表面划痕"}};
    in.frameCells[{INT32_MIN, INT32_MAX}] = {};
    return in;
}

InspectionDocument documentOf(const RecordingIdentity& id, const Inspection& in,
                              const char* saved = "2020-05-11T09:30:00.000Z") {
    return {id, saved, in};
}

class InspectionFile : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::path(tempPath("inspection"));
        fs::remove_all(root_);
        fs::create_directories(root_ / "recordings");
        recording_ = root_ / "recordings" / "WELD01.DAT";
        ASSERT_TRUE(writeBytes(recording_.string(), recordingOf({1, 2, 3})));
        id_ = identityOf(recording_.string());
        paths_ = inspectionPaths(rec(), id_, data());
        ASSERT_TRUE(paths_.dataFolder.startsWith(qpath(root_ / "data")))
            << paths_.dataFolder.toStdString();
    }
    void TearDown() override { fs::remove_all(root_); }

    QString rec() const { return qpath(recording_); }
    // The data folder of these tests.
    QString data() const { return qpath(root_ / "data"); }

    fs::path root_, recording_;
    RecordingIdentity id_;
    InspectionPaths paths_;
};

} // namespace

TEST(RecordingIdentity, HashIsSha256OfSizeAndRecordChain) {
    // Values from an independent SHA-256 of the documented bytes: the size
    // as 8 bytes little-endian, then each record's offset and length as 4.
    // A change here strands every file kept in the data folder.
    const RecordIndexEntry two[] = {{4, 20, 4}, {24, 30, 4}};
    EXPECT_EQ(recordIndexHash(100, two),
              "b4ffb85fe42ed1ab343f6202cd0c089cca7b9c22f95d2e02ce90c8c2d8e71455");
    EXPECT_EQ(recordIndexHash(0, {}),
              "af5570f5a1810b7af78caf4bc70a660f0df51e42baf91d4de5b2328de0e83dfc");
    // The size's high word counts, the block pointer does not.
    const RecordIndexEntry large[] = {{4, 2147483000, 999}};
    EXPECT_EQ(recordIndexHash(5000000000, large),
              "36d8ee675ea9bc59f66a04f554a9f9fc9f42dbd174e9afc2cf859f94ec88dd74");
}

TEST(RecordingIdentity, FollowsTheRecordingNotItsName) {
    const fs::path dir = fs::path(tempPath("identity"));
    fs::create_directories(dir / "copy");
    const Bytes bytes = recordingOf({1, 2, 3});
    ASSERT_TRUE(writeBytes((dir / "A.DAT").string(), bytes));
    ASSERT_TRUE(writeBytes((dir / "copy" / "renamed.DAT").string(), bytes));
    // The same records in the other order: the same size, another chain.
    const Bytes swapped = recordingOf({1, 3, 2});
    ASSERT_EQ(swapped.size(), bytes.size());
    ASSERT_TRUE(writeBytes((dir / "swapped.DAT").string(), swapped));
    ASSERT_TRUE(writeBytes((dir / "longer.DAT").string(), recordingOf({1, 2, 3, 1})));

    const RecordingIdentity a = identityOf((dir / "A.DAT").string());
    EXPECT_EQ(a.fileName, "A.DAT");
    EXPECT_EQ(a.size, static_cast<int64_t>(bytes.size()));
    const RecordingIdentity copy = identityOf((dir / "copy" / "renamed.DAT").string());
    EXPECT_EQ(copy.fileName, "renamed.DAT");
    EXPECT_TRUE(copy.sameRecording(a));
    EXPECT_FALSE(identityOf((dir / "swapped.DAT").string()).sameRecording(a));
    EXPECT_FALSE(identityOf((dir / "longer.DAT").string()).sameRecording(a));
    fs::remove_all(dir);
}

TEST_F(InspectionFile, EveryFieldRoundTrips) {
    struct Case {
        const char* name;
        Inspection inspection;
    };
    std::vector<Case> cases;
    cases.push_back({"blank", Inspection{}});
    cases.push_back({"everything, two frames", fullInspection()});
    Inspection typed = fullInspection();
    typed.travel.method = TravelCalibration::Method::Typed;
    cases.push_back({"typed travel", typed});
    Inspection none = fullInspection();
    none.travel.method = TravelCalibration::Method::None; // what was typed stays
    cases.push_back({"no travel, texts kept", none});
    Inspection many;
    for (int32_t i = 0; i < 2000; ++i)
        many.decide({i, i % 7}, {i + 1, 0}).grade = kGrades[i % 5];
    many.decisions.back().start = {INT32_MIN, INT32_MIN};
    many.decisions.back().end = {INT32_MAX, INT32_MAX};
    cases.push_back({"many decisions, extreme frames", many});
    Inspection longest;
    longest.decide({0, 0}, {0, 0}).remark = std::string(kMaxInspectionTextBytes - 3, 'x') + "字";
    longest.reportCells[std::string(kMaxInspectionTextBytes, 'c')] =
        std::string(kMaxInspectionTextBytes, 'v');
    longest.decisions[0].cells[std::string(kMaxInspectionTextBytes, 'k')] =
        std::string(kMaxInspectionTextBytes, 'w');
    cases.push_back({"texts at the limit", longest});
    // The settings at their limits and with the gate's level: split and
    // thresholds are written in mm, % and dB and must come back exact.
    Inspection extreme = fullInspection();
    extreme.settings =
        EvaluationSettings{kMaxSettingValue, kMaxSettingValue, std::nullopt, -kMaxSettingValue};
    cases.push_back({"settings at the limits, the gate's level", extreme});
    Inspection odd = fullInspection();
    odd.settings = EvaluationSettings{0, 1, 1, 3}; // 0.001 mm, 0.1 %, 0.3 dB
    cases.push_back({"settings of the smallest steps", odd});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // In memory, with a recording whose size only a 64-bit number holds.
        RecordingIdentity big = id_;
        big.size = kMaxRecordingSize;
        big.fileName = "焊缝 01.DAT";
        const InspectionDocument doc = documentOf(big, c.inspection);
        const ParsedInspection back = parseInspection(inspectionJson(doc));
        ASSERT_TRUE(back.document) << back.detail;
        EXPECT_EQ(*back.document, doc);

        // Through the file beside the recording.
        const SavedInspection saved = saveInspection(rec(), id_, data(), c.inspection);
        ASSERT_EQ(saved.to, InspectionPlace::Beside) << saved.error.toStdString();
        EXPECT_EQ(saved.path, paths_.beside);
        const LoadedInspection loaded = loadInspection(rec(), id_, data());
        ASSERT_EQ(loaded.from, InspectionPlace::Beside);
        EXPECT_TRUE(loaded.problems.empty());
        EXPECT_EQ(loaded.document.inspection, c.inspection);
        EXPECT_EQ(loaded.document.recording, id_);
    }
    EXPECT_EQ(paths_.beside, rec() + ".vantrel.json");
    EXPECT_FALSE(fs::exists(root_ / "data")); // nothing went to the data folder
}

TEST(InspectionFormatDocument, ExampleIsASoundFileOfTheDemoRecording) {
    // The example in the format's document, read as the program reads a
    // file: the document and the program agree on the keys, the types and
    // how the recording's hash is made.
    QFile doc(QStringLiteral(VANTREL_FORMAT_DOC));
    ASSERT_TRUE(doc.open(QIODevice::ReadOnly));
    const QByteArray text = doc.readAll();
    const qsizetype from = text.indexOf("```json\n") + 8, to = text.indexOf("```", from);
    ASSERT_GT(from, 8);
    const ParsedInspection example = parseInspection(text.mid(from, to - from));
    ASSERT_TRUE(example.document) << example.detail;
    EXPECT_EQ(example.document->recording, identityOf(VANTREL_DEMO));
    EXPECT_EQ(example.document->inspection.decisions.size(), 1u);
    EXPECT_EQ(example.document->inspection.travel.method, TravelCalibration::Method::TwoFrames);
}

TEST_F(InspectionFile, KeysItDoesNotKnowAreIgnored) {
    const InspectionDocument doc = documentOf(id_, fullInspection());
    QJsonObject root = QJsonDocument::fromJson(inspectionJson(doc)).object();
    root["writtenBy"] = "a later Vantrel";
    QJsonObject travel = root["travel"].toObject();
    travel["wheel"] = QJsonObject{{"diameterMm", 50}};
    root["travel"] = travel;
    QJsonArray decisions = root["decisions"].toArray();
    QJsonObject first = decisions[0].toObject();
    first["colour"] = "red";
    decisions[0] = first;
    root["decisions"] = decisions;
    const ParsedInspection back = parseInspection(QJsonDocument(root).toJson());
    ASSERT_TRUE(back.document) << back.detail;
    EXPECT_EQ(*back.document, doc);
}

namespace {

// `root` with the value at `path` (keys of objects, indexes of arrays)
// replaced by `value`, or removed when `value` is undefined.
QJsonValue replaced(const QJsonValue& node, std::span<const QString> path,
                    const QJsonValue& value) {
    if (path.empty()) return value;
    if (node.isArray()) {
        QJsonArray a = node.toArray();
        const int i = path[0].toInt();
        a[i] = replaced(a[i], path.subspan(1), value);
        return a;
    }
    QJsonObject o = node.toObject();
    if (path.size() == 1 && value.isUndefined())
        o.remove(path[0]);
    else
        o[path[0]] = replaced(o[path[0]], path.subspan(1), value);
    return o;
}

using Damage = std::function<QByteArray(const QByteArray& sound)>;

// The sound file with one value changed, as JSON again.
Damage set(const char* path, const QJsonValue& value) {
    return [path = QString::fromUtf8(path), value](const QByteArray& sound) {
        const QStringList keys = path.split(QLatin1Char('/'));
        const std::vector<QString> steps(keys.begin(), keys.end());
        const QJsonValue root = QJsonDocument::fromJson(sound).object();
        return QJsonDocument(replaced(root, steps, value).toObject()).toJson();
    };
}

Damage bytes(QByteArray b) {
    return [b](const QByteArray&) { return b; };
}

QJsonArray manyDecisions(const QByteArray& sound, qsizetype n) {
    const QJsonValue one = QJsonDocument::fromJson(sound).object()["decisions"].toArray()[0];
    QJsonArray a;
    for (qsizetype i = 0; i < n; ++i)
        a.append(one);
    return a;
}

} // namespace

TEST_F(InspectionFile, DamagedFilesAreReportedAndKeptWhileSavesGoToTheDataFolder) {
    const QJsonValue gone = QJsonValue(QJsonValue::Undefined);
    const std::string overLimit(kMaxInspectionTextBytes + 1, 'x');
    QJsonObject tooManyCells;
    for (int i = 0; i <= kMaxReportCells; ++i)
        tooManyCells[QString::number(i)] = "x";
    struct Case {
        const char* name;
        Damage damage;
        InspectionFault fault;
        const char* detail; // a part of what the problem says
    } cases[] = {
        {"empty", bytes(""), InspectionFault::NotJson, "at byte 0"},
        {"cut in half", [](const QByteArray& s) { return s.left(s.size() / 2); },
         InspectionFault::NotJson, "at byte"},
        {"cut before the last brace", [](const QByteArray& s) { return s.left(s.size() - 2); },
         InspectionFault::NotJson, "at byte"},
        {"a recording, not JSON", bytes(QByteArray("\x03\x00\x00\x00\x10\x00", 6)),
         InspectionFault::NotJson, ""},
        {"a byte that is not UTF-8 in a text",
         [](const QByteArray& s) {
             QByteArray b = s;
             b.replace("第一检测站", "\xff\xfe");
             return b;
         },
         InspectionFault::NotJson, ""},
        {"a JSON array", bytes("[1, 2]"), InspectionFault::Foreign, "array"},
        {"another program's JSON", bytes(R"({"name": "settings", "version": 1})"),
         InspectionFault::Foreign, "format"},
        {"format misspelt", set("format", "vantrel-inspections"), InspectionFault::Foreign,
         "format"},
        {"newer version", set("version", 3), InspectionFault::NewerVersion, "version 3"},
        {"newer version, keys changed too",
         [](const QByteArray&) {
             return QByteArray(R"({"format": "vantrel-inspection", "version": 7, "decisions": 3})");
         },
         InspectionFault::NewerVersion, "version 7"},
        {"version 0", set("version", 0), InspectionFault::Malformed, "version 0"},
        {"version as text", set("version", "1"), InspectionFault::Malformed, "version"},
        {"version 1.5", set("version", 1.5), InspectionFault::Malformed, "version"},
        {"version missing", set("version", gone), InspectionFault::Malformed, "\"version\""},
        {"recording not an object", set("recording", "WELD01.DAT"), InspectionFault::Malformed,
         "recording: an object is expected, not a string"},
        {"size as text", set("recording/size", "1024"), InspectionFault::Malformed,
         "recording.size"},
        {"size negative", set("recording/size", -1), InspectionFault::Malformed, "recording.size"},
        {"size beyond 2^53", set("recording/size", 1e17), InspectionFault::Malformed,
         "recording.size"},
        {"size one past 2^53, whose double is 2^53",
         set("recording/size", static_cast<qint64>(kMaxRecordingSize + 1)),
         InspectionFault::Malformed, "recording.size"},
        {"hash a number", set("recording/indexHash", 12), InspectionFault::Malformed,
         "recording.indexHash"},
        {"hash in capitals", set("recording/indexHash", QString(64, QLatin1Char('A'))),
         InspectionFault::Malformed, "recording.indexHash"},
        {"file name null", set("recording/fileName", QJsonValue()), InspectionFault::Malformed,
         "recording.fileName: a string is expected, not null"},
        {"saved not a time", set("saved", "yesterday"), InspectionFault::Malformed, "saved"},
        {"travel missing", set("travel", gone), InspectionFault::Malformed, "\"travel\""},
        {"travel method unknown", set("travel/method", "wheel"), InspectionFault::Malformed,
         "travel.method"},
        {"travel frame an array", set("travel/from", QJsonArray{1, 2}), InspectionFault::Malformed,
         "travel.from: an object is expected"},
        {"travel distance a number", set("travel/distanceMm", 600), InspectionFault::Malformed,
         "travel.distanceMm"},
        {"decisions an object", set("decisions", QJsonObject{}), InspectionFault::Malformed,
         "decisions: an array is expected"},
        {"a decision a number", set("decisions/1", 5), InspectionFault::Malformed,
         "decisions[1]: an object is expected"},
        {"a frame not whole", set("decisions/0/start/frame", 1.5), InspectionFault::Malformed,
         "decisions[0].start.frame"},
        {"a record beyond 32 bits", set("decisions/0/end/record", 2147483648.0),
         InspectionFault::Malformed, "decisions[0].end.record"},
        {"an end missing", set("decisions/2/end", gone), InspectionFault::Malformed,
         "decisions[2]: \"end\" is missing"},
        {"a grade not known", set("decisions/0/grade", "V"), InspectionFault::Malformed,
         "decisions[0].grade: \"V\" is not a grade"},
        {"reported as text", set("decisions/0/reported", "yes"), InspectionFault::Malformed,
         "decisions[0].reported"},
        {"a remark a number", set("decisions/3/remark", 3), InspectionFault::Malformed,
         "decisions[3].remark"},
        {"cells an array", set("reportCells", QJsonArray{}), InspectionFault::Malformed,
         "reportCells: an object is expected"},
        {"a cell a number", set("reportCells/备注", 1), InspectionFault::Malformed,
         "reportCells[\"备注\"]"},
        {"a remark over the limit", set("decisions/0/remark", QString::fromStdString(overLimit)),
         InspectionFault::Malformed, "more than 16384"},
        {"too many decisions",
         [](const QByteArray& s) {
             return set("decisions", manyDecisions(s, kMaxDecisions + 1))(s);
         },
         InspectionFault::Malformed, "10001 decisions"},
        {"too many cells", set("reportCells", tooManyCells), InspectionFault::Malformed,
         "257 cells"},
        // Version 2's keys.
        {"a peak missing", set("decisions/0/peak", gone), InspectionFault::Malformed,
         "decisions[0]: \"peak\" is missing"},
        {"a peak an array", set("decisions/1/peak", QJsonArray{1, 2}), InspectionFault::Malformed,
         "decisions[1].peak: an object is expected"},
        {"a peak's frame not whole", set("decisions/1/peak/frame", 0.5), InspectionFault::Malformed,
         "decisions[1].peak.frame"},
        {"manual as text", set("decisions/0/manual", "no"), InspectionFault::Malformed,
         "decisions[0].manual"},
        {"a flaw's cell a number", set("decisions/1/cells/长度", 12), InspectionFault::Malformed,
         "decisions[1].cells[\"长度\"]"},
        {"a flaw's cells too many", set("decisions/1/cells", tooManyCells),
         InspectionFault::Malformed, "decisions[1].cells: 257 cells"},
        {"settings missing", set("settings", gone), InspectionFault::Malformed,
         "\"settings\" is missing"},
        {"settings an array", set("settings", QJsonArray{}), InspectionFault::Malformed,
         "settings: an object is expected"},
        {"a gap negative", set("settings/gap", -1), InspectionFault::Malformed, "settings.gap"},
        {"a split finer than a micrometre", set("settings/split", 2.0005),
         InspectionFault::Malformed, "settings.split"},
        {"a split negative", set("settings/split", -1), InspectionFault::Malformed,
         "settings.split"},
        {"a % threshold finer than a tenth", set("settings/percentThreshold", 50.05),
         InspectionFault::Malformed, "settings.percentThreshold"},
        {"a dB threshold as text", set("settings/dbThreshold", "-6"), InspectionFault::Malformed,
         "settings.dbThreshold: a number is expected"},
        {"a dB threshold beyond 32 bits of tenths", set("settings/dbThreshold", 3e8),
         InspectionFault::Malformed, "settings.dbThreshold"},
        {"frame cells an object", set("frameCells", QJsonObject{}), InspectionFault::Malformed,
         "frameCells: an array is expected"},
        {"a frame's cells missing", set("frameCells/0/cells", gone), InspectionFault::Malformed,
         "frameCells[0]: \"cells\" is missing"},
        {"a frame given twice", set("frameCells/0/frame", QJsonObject{{"record", 7}, {"frame", 3}}),
         InspectionFault::Malformed, "frameCells[1].frame: 7:3 is given twice"},
        {"larger than 16 MiB",
         [](const QByteArray& s) {
             return s + QByteArray(kMaxInspectionFileBytes + 1 - s.size(), ' ');
         },
         InspectionFault::TooLarge, "16777217 bytes"},
    };
    const QByteArray sound = inspectionJson(documentOf(id_, fullInspection()));
    ASSERT_TRUE(parseInspection(sound).document);
    Inspection typed;
    typed.decide({1, 1}, {2, 0}).remark = "typed while the file was damaged";

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(root_ / "data");
        const QByteArray damaged = c.damage(sound);
        writeAll(paths_.beside, damaged);

        const ParsedInspection parsed = parseInspection(damaged);
        EXPECT_FALSE(parsed.document);
        EXPECT_EQ(parsed.fault, c.fault) << parsed.detail;
        EXPECT_NE(parsed.detail.find(c.detail), std::string::npos) << parsed.detail;

        const LoadedInspection loaded = loadInspection(rec(), id_, data());
        EXPECT_EQ(loaded.from, InspectionPlace::None);
        EXPECT_EQ(loaded.document.inspection, Inspection{});
        ASSERT_EQ(loaded.problems.size(), 1u);
        EXPECT_EQ(loaded.problems[0].place, InspectionPlace::Beside);
        EXPECT_EQ(loaded.problems[0].fault, c.fault);
        const QString text = inspectionProblemText(loaded.problems[0]);
        EXPECT_TRUE(text.contains(QStringLiteral("WELD01.DAT.vantrel.json"))) << text.toStdString();

        const SavedInspection saved = saveInspection(rec(), id_, data(), typed);
        EXPECT_EQ(saved.to, InspectionPlace::DataFolder) << saved.error.toStdString();
        EXPECT_EQ(saved.path, paths_.dataFolder);
        EXPECT_EQ(saved.besideRefusal, BesideRefusal::FileKept);
        ASSERT_TRUE(saved.besideProblem);
        EXPECT_EQ(saved.besideProblem->fault, c.fault);
        EXPECT_EQ(readAll(paths_.beside), damaged); // byte for byte as it was

        // Opened again: the decisions come back from the data folder, and
        // the file beside is still reported.
        const LoadedInspection again = loadInspection(rec(), id_, data());
        EXPECT_EQ(again.from, InspectionPlace::DataFolder);
        EXPECT_EQ(again.document.inspection, typed);
        EXPECT_EQ(again.problems.size(), 1u);
        EXPECT_EQ(readAll(paths_.beside), damaged);
    }
}

TEST_F(InspectionFile, APipeBesideIsNeitherOpenedNorReplaced) {
    // Opening a named pipe waits for a writer: the viewer would hang.
    ASSERT_EQ(mkfifo(paths_.beside.toLocal8Bit().constData(), 0644), 0);
    const LoadedInspection loaded = loadInspection(rec(), id_, data());
    ASSERT_EQ(loaded.problems.size(), 1u);
    EXPECT_EQ(loaded.problems[0].fault, InspectionFault::Unreadable);
    const SavedInspection saved = saveInspection(rec(), id_, data(), fullInspection());
    EXPECT_EQ(saved.to, InspectionPlace::DataFolder);
    EXPECT_EQ(saved.besideRefusal, BesideRefusal::FileKept);
    EXPECT_TRUE(fs::is_fifo(paths_.beside.toStdString()));
}

TEST_F(InspectionFile, PlacesNoFileCanBeWrittenToSendItToTheDataFolder) {
    // Tests run as root, who may write into any folder whatever its mode
    // bits, so a read-only stick is made of places nobody can write to.
    const Bytes recording = recordingOf({1, 2, 3});
    // A memory file seen through /proc/self/fd: no file can be created in
    // that folder, not even by root.
    const int fd = memfd_create("WELD02.DAT", 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(pwrite(fd, recording.data(), recording.size(), 0),
              static_cast<ssize_t>(recording.size()));
    const std::string procPath = "/proc/self/fd/" + std::to_string(fd);
    ASSERT_TRUE(identityOf(procPath).sameRecording(id_));
    // A regular file where the recording's folder would have to be.
    ASSERT_TRUE(writeBytes((root_ / "blocked").string(), Bytes{1}));

    struct Case {
        const char* name;
        QString recording;
        std::function<void(const QString& beside)> prepare;
    } cases[] = {
        {"a folder of /proc", QString::fromStdString(procPath), {}},
        {"a folder where the file would go", rec(),
         [](const QString& beside) { fs::create_directory(beside.toStdString()); }},
        {"a file where the folder would be", qpath(root_ / "blocked" / "WELD01.DAT"), {}},
    };
    const Inspection in = fullInspection();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(root_ / "data");
        const InspectionPaths paths = inspectionPaths(c.recording, id_, data());
        if (c.prepare) c.prepare(paths.beside);

        const SavedInspection saved = saveInspection(c.recording, id_, data(), in);
        EXPECT_EQ(saved.to, InspectionPlace::DataFolder) << saved.error.toStdString();
        EXPECT_EQ(saved.path, paths.dataFolder);
        EXPECT_EQ(saved.besideRefusal, BesideRefusal::CannotWrite);
        EXPECT_FALSE(saved.besideError.isEmpty());
        EXPECT_FALSE(saved.besideProblem);
        EXPECT_FALSE(QFileInfo(paths.beside).isFile());

        const LoadedInspection loaded = loadInspection(c.recording, id_, data());
        EXPECT_EQ(loaded.from, InspectionPlace::DataFolder);
        EXPECT_EQ(loaded.document.inspection, in);
        EXPECT_TRUE(loaded.problems.empty());
    }
    close(fd);
}

TEST_F(InspectionFile, ACopyWhereNothingCanBeWrittenFindsTheDataFolderFile) {
    // Saved for a recording on a stick that takes no file: found again for a
    // copy of it under another name that takes none either, and offered, not
    // used, for a copy in a folder that takes files.
    fs::create_directory(paths_.beside.toStdString());
    ASSERT_EQ(saveInspection(rec(), id_, data(), fullInspection()).to, InspectionPlace::DataFolder);

    const Bytes recording = recordingOf({1, 2, 3});
    const int fd = memfd_create("renamed.DAT", 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(pwrite(fd, recording.data(), recording.size(), 0),
              static_cast<ssize_t>(recording.size()));
    const QString readOnly = QString::fromStdString("/proc/self/fd/" + std::to_string(fd));
    const LoadedInspection there =
        loadInspection(readOnly, identityOf(readOnly.toStdString()), data());
    EXPECT_EQ(there.from, InspectionPlace::DataFolder);
    EXPECT_FALSE(there.besideTakesSaves);
    EXPECT_EQ(there.document.inspection, fullInspection());
    EXPECT_EQ(there.document.recording.fileName, "WELD01.DAT");
    EXPECT_FALSE(there.other);
    close(fd);

    const fs::path copy = root_ / "copies" / "renamed.DAT";
    fs::create_directories(copy.parent_path());
    fs::copy_file(recording_, copy);
    const LoadedInspection writable =
        loadInspection(qpath(copy), identityOf(copy.string()), data());
    EXPECT_EQ(writable.from, InspectionPlace::None);
    EXPECT_TRUE(writable.besideTakesSaves);
    EXPECT_EQ(writable.document.inspection, Inspection{});
    ASSERT_TRUE(writable.other);
    EXPECT_EQ(writable.other->place, InspectionPlace::DataFolder);
    EXPECT_EQ(writable.other->document.inspection, fullInspection());
}

TEST_F(InspectionFile, AFileOfAnotherRecordingIsReportedNotApplied) {
    // The decisions were made on one recording; the file beside now is
    // another (re-recorded under the same name).
    ASSERT_EQ(saveInspection(rec(), id_, data(), fullInspection()).to, InspectionPlace::Beside);
    const QByteArray theirs = readAll(paths_.beside);
    ASSERT_TRUE(writeBytes(recording_.string(), recordingOf({1, 3, 2})));
    const RecordingIdentity now = identityOf(recording_.string());
    ASSERT_EQ(now.size, id_.size);
    ASSERT_FALSE(now.sameRecording(id_));

    const LoadedInspection loaded = loadInspection(rec(), now, data());
    EXPECT_EQ(loaded.from, InspectionPlace::None);
    EXPECT_EQ(loaded.document.inspection, Inspection{});
    ASSERT_EQ(loaded.problems.size(), 1u);
    EXPECT_EQ(loaded.problems[0].fault, InspectionFault::OtherRecording);
    EXPECT_NE(loaded.problems[0].detail.find("made for WELD01.DAT"), std::string::npos);

    Inspection typed;
    typed.reportCells["备注"] = "the new recording";
    const SavedInspection saved = saveInspection(rec(), now, data(), typed);
    EXPECT_EQ(saved.to, InspectionPlace::DataFolder);
    EXPECT_EQ(saved.besideRefusal, BesideRefusal::FileKept);
    EXPECT_EQ(readAll(paths_.beside), theirs);
    EXPECT_EQ(loadInspection(rec(), now, data()).document.inspection, typed);
    // The first recording's decisions are still there for it.
    EXPECT_EQ(loadInspection(rec(), id_, data()).document.inspection, fullInspection());

    // A file in the data folder under the first recording's name that says
    // it is the new one's is refused there too.
    writeAll(paths_.dataFolder, inspectionJson(documentOf(now, typed)));
    const LoadedInspection misfiled = loadInspection(rec(), id_, data());
    EXPECT_EQ(misfiled.from, InspectionPlace::Beside);
    ASSERT_EQ(misfiled.problems.size(), 1u);
    EXPECT_EQ(misfiled.problems[0].place, InspectionPlace::DataFolder);
    EXPECT_EQ(misfiled.problems[0].fault, InspectionFault::OtherRecording);
}

TEST_F(InspectionFile, TheFileBesideIsUsedAndADifferentDataFolderFileOffered) {
    // Saved beside, then on a day the stick was read-only into the data
    // folder, then the stick writable again: the file beside is the
    // recording's inspection whatever the times say; the data folder's is
    // offered when its decisions differ, not when only its time does.
    Inspection early, late;
    early.reportCells["备注"] = "early";
    late.reportCells["备注"] = "late";
    fs::create_directories(fs::path(paths_.dataFolder.toStdString()).parent_path());
    struct Case {
        const char* name;
        const char *besideSaved, *dataSaved;
        bool sameDecisions;
    } cases[] = {
        {"data folder later", "2020-05-11T09:00:00.000Z", "2020-05-12T08:00:00.000Z", false},
        {"beside later", "2020-05-12T08:00:00.001Z", "2020-05-12T08:00:00.000Z", false},
        {"the same decisions, saved later", "2020-05-11T09:00:00.000Z", "2020-05-12T08:00:00.000Z",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeAll(paths_.beside, inspectionJson(documentOf(id_, early, c.besideSaved)));
        writeAll(paths_.dataFolder,
                 inspectionJson(documentOf(id_, c.sameDecisions ? early : late, c.dataSaved)));
        const LoadedInspection loaded = loadInspection(rec(), id_, data());
        EXPECT_EQ(loaded.from, InspectionPlace::Beside);
        EXPECT_EQ(loaded.document.inspection, early);
        EXPECT_TRUE(loaded.problems.empty());
        ASSERT_EQ(loaded.other.has_value(), !c.sameDecisions);
        if (loaded.other) {
            EXPECT_EQ(loaded.other->path, paths_.dataFolder);
            EXPECT_EQ(loaded.other->document.inspection, late);
        }
        EXPECT_EQ(loaded.digests.beside, inspectionDigest(readAll(paths_.beside)));
        EXPECT_EQ(loaded.digests.dataFolder, inspectionDigest(readAll(paths_.dataFolder)));
    }
}

TEST_F(InspectionFile, NothingIsSavedWhenBothPlacesRefuse) {
    // Beside: a folder in the way; in the data folder: a file of a newer
    // version. Neither is touched and the save says why.
    fs::create_directory(paths_.beside.toStdString());
    fs::create_directories(fs::path(paths_.dataFolder.toStdString()).parent_path());
    const QByteArray newer = R"({"format": "vantrel-inspection", "version": 3})";
    writeAll(paths_.dataFolder, newer);
    const SavedInspection saved = saveInspection(rec(), id_, data(), fullInspection());
    EXPECT_EQ(saved.to, InspectionPlace::None);
    EXPECT_EQ(saved.besideRefusal, BesideRefusal::CannotWrite);
    EXPECT_TRUE(saved.error.contains(QStringLiteral("newer version"))) << saved.error.toStdString();
    EXPECT_EQ(readAll(paths_.dataFolder), newer);
    EXPECT_TRUE(fs::is_directory(paths_.beside.toStdString()));
}

TEST_F(InspectionFile, WhatCouldNotBeReadBackIsNotWritten) {
    struct Case {
        const char* name;
        std::function<void(Inspection&)> change;
        const char* detail;
    } cases[] = {
        {"a remark over the limit",
         [](Inspection& in) {
             in.decide({0, 0}, {1, 0}).remark = std::string(kMaxInspectionTextBytes + 1, 'r');
         },
         "decisions[0].remark"},
        {"a grade not known",
         [](Inspection& in) {
             in.decide({0, 0}, {1, 0}).grade = "V";
         },
         "is not a grade"},
        {"too many decisions",
         [](Inspection& in) {
             for (int32_t i = 0; i <= kMaxDecisions; ++i)
                 in.decide({i, 0}, {i, 1});
         },
         "10001 decisions"},
    };
    // A sound file beside, which a refused save leaves as it is.
    ASSERT_EQ(saveInspection(rec(), id_, data(), fullInspection()).to, InspectionPlace::Beside);
    const QByteArray before = readAll(paths_.beside);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Inspection in;
        c.change(in);
        const SavedInspection saved = saveInspection(rec(), id_, data(), in);
        EXPECT_EQ(saved.to, InspectionPlace::None);
        EXPECT_TRUE(saved.error.contains(QString::fromLatin1(c.detail)))
            << saved.error.toStdString();
        EXPECT_EQ(readAll(paths_.beside), before);
        EXPECT_FALSE(fs::exists(root_ / "data"));
    }
}
