// vantrel-inspect as a script would use it: JSON on stdout, one error line on
// stderr, exit status 0 or 2.
#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string_view>

#include "dac_recording.h"
#include "display/bscan_palette.h"
#include "inspect/cli_support.h"
#include "inspection/inspection_file.h"
#include "recordfile/instrument_params.h"
#include "recordfile/record_file.h"
#include "recordfile/record_writer.h"
#include "test_files.h"

using namespace vantrel;
using namespace vantrel::testing;

namespace {

struct CliRun {
    int status = -1;
    QByteArray out, err;
    QJsonObject json() const { return QJsonDocument::fromJson(out).object(); }
};

CliRun inspect(const QStringList& args) {
    QProcess p;
    p.start(VANTREL_INSPECT, args);
    EXPECT_TRUE(p.waitForFinished(60000));
    CliRun r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

QString q(const std::string& s) { return QString::fromStdString(s); }

// Records: 0 no block, 1 block A with a Chinese note, 2 no block, 3 block B
// with 1 frame.
std::string fixture() {
    ParameterBlock a = makeBlock(325), b = makeBlock(400);
    storeU16(a.data() + param::kProbeAngle, 450);
    storeU32(a.data() + param::kDelay, 1000);
    storeU16(a.data() + param::kGainTable, static_cast<uint16_t>(-20));
    a[0] = 0x26, a[1] = 0x12, a[2] = 0x10;
    RecordWriter w;
    w.addRecord(makeFrames(11, 0));
    w.addRecord(makeFrames(11, 10), &a, noteCellsFromUtf8("焊缝A"));
    w.addRecord(makeFrames(11, 20));
    w.addRecord(makeFrames(1, 30), &b, noteCellsFromUtf8("end"));
    return writeTemp("cli.DAT", w.bytes());
}

} // namespace

TEST(InspectCli, Index) {
    const CliRun r = inspect({"index", q(fixture())});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty());
    const QJsonObject j = r.json();
    EXPECT_EQ(j["recordCount"].toInt(), 4);
    const QJsonArray records = j["records"].toArray();
    ASSERT_EQ(records.size(), 4);
    EXPECT_EQ(records[0].toArray()[0].toInt(), 4);
    EXPECT_EQ(records[0].toArray()[2].toInt(), 4);
    const int r1 = records[1].toArray()[0].toInt();
    EXPECT_EQ(r1, 4 + records[0].toArray()[1].toInt());
    EXPECT_EQ(records[2].toArray()[2].toInt(), r1);
    const QJsonArray notes = j["notes"].toArray();
    ASSERT_EQ(notes.size(), 2);
    EXPECT_EQ(notes[0].toObject()["record"].toInt(), 1);
    EXPECT_EQ(notes[0].toObject()["text"].toString(), QString::fromUtf8("焊缝A"));
    EXPECT_EQ(notes[1].toObject()["text"].toString(), "end");
    // Always there, empty for an intact file.
    ASSERT_TRUE(j["damaged"].isArray());
    EXPECT_TRUE(j["damaged"].toArray().isEmpty());
}

// The index is written by hand for speed: apart from "records" leading, it
// must be the very bytes Qt's JSON writer gives for the same document, with
// texts that need escaping, a damage list and a scan end.
TEST(InspectCli, IndexIsWhatTheJsonWriterWrites) {
    const ParameterBlock block = makeBlock(325);
    RecordWriter w;
    w.addRecord(makeFrames(2, 0), &block, noteCellsFromUtf8("say \"hi\" \\ back"));
    w.addRecord(makeFrames(2, 1), &block, noteCellsFromUtf8("tab\tline\nbell\x01\x1f\x7f"));
    w.addRecord(makeFrames(2, 2), &block, std::vector<uint16_t>{0x80, 0x1021, 0x41, 0});
    Bytes stream = encodeStream(buildDecodedRecord(makeFrames(2, 3), &block, {}));
    stream[stream.size() / 2] ^= 0xFF;
    w.addRaw(static_cast<int32_t>(stream.size()), kParameterBlockSize + 2, stream);
    w.addRecord(makeFrames(2, 4));
    Bytes file = w.bytes();
    file.resize(file.size() - 3); // the last record is cut
    const CliRun r = inspect({"index", q(writeTemp("escapes.DAT", file))});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonDocument doc = QJsonDocument::fromJson(r.out);
    ASSERT_TRUE(doc.isObject());
    // "records" leads (it is streamed), the rest follows in Qt's key order.
    QJsonObject rest = doc.object();
    const QJsonArray records = rest.take("records").toArray();
    EXPECT_EQ(r.out, "{\"records\":" + QJsonDocument(records).toJson(QJsonDocument::Compact) + "," +
                         QJsonDocument(rest).toJson(QJsonDocument::Compact).mid(1) + "\n");
    const QJsonArray notes = doc.object()["notes"].toArray();
    ASSERT_EQ(notes.size(), 3);
    EXPECT_EQ(notes[0].toObject()["text"].toString(), QString::fromUtf8("say \"hi\" \\ back"));
    EXPECT_EQ(notes[1].toObject()["text"].toString(),
              QString::fromUtf8("tab\tline\nbell\x01\x1f\x7f"));
    EXPECT_TRUE(doc.object().contains("damaged"));
    EXPECT_EQ(doc.object()["scanEnd"].toString(), "last record is cut short");
}

// A long recording with a note in every record: the entries and the notes
// go out through the writer's block many times over, and the document is
// still the one Qt would write, with every note in order.
TEST(InspectCli, IndexOfALongRecordingWithManyNotes) {
    RecordWriter w;
    const ParameterBlock block = makeBlock(325);
    constexpr int kRecords = 5000;
    for (int r = 0; r < kRecords; ++r)
        w.addRecord(makeFrames(3, r), &block,
                    noteCellsFromUtf8("焊缝 \"" + std::to_string(r) + "\""));
    const Bytes file = w.bytes();
    ASSERT_GT(file.size(), size_t{4} << 20); // scanned on two threads
    const CliRun r = inspect({"index", q(writeTemp("notes.DAT", file))});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    ASSERT_GT(r.out.size(), 3 << 16);
    const QJsonDocument doc = QJsonDocument::fromJson(r.out);
    ASSERT_TRUE(doc.isObject());
    QJsonObject rest = doc.object();
    const QJsonArray records = rest.take("records").toArray();
    EXPECT_EQ(records.size(), kRecords);
    EXPECT_EQ(r.out, "{\"records\":" + QJsonDocument(records).toJson(QJsonDocument::Compact) + "," +
                         QJsonDocument(rest).toJson(QJsonDocument::Compact).mid(1) + "\n");
    const QJsonArray notes = rest["notes"].toArray();
    ASSERT_EQ(notes.size(), kRecords);
    for (int n : {0, 2500, kRecords - 1}) {
        EXPECT_EQ(notes[n].toObject()["record"].toInt(), n);
        EXPECT_EQ(notes[n].toObject()["text"].toString(),
                  QString::fromUtf8("焊缝 \"" + std::to_string(n) + "\""));
    }
}

// A record is shown as after a seek in a fresh viewer: the parameters in
// force are those of the latest block at or before it.
TEST(InspectCli, RecordTakesTheParametersInForce) {
    const std::string file = fixture();
    const QJsonObject r2 = inspect({"record", q(file), "2"}).json();
    EXPECT_EQ(r2["record"].toInt(), 2);
    EXPECT_EQ(r2["trailerLength"].toInt(), 0);
    EXPECT_EQ(r2["decodedSize"].toInt(), 6600);
    EXPECT_EQ(r2["framesPerRecord"].toInt(), 11);
    EXPECT_EQ(r2["playbackDelay"].toInt(), 100);
    const QJsonObject p = r2["params"].toObject();
    EXPECT_EQ(p["baseGain"].toInt(), 325);
    EXPECT_EQ(p["gainTable"].toArray()[0].toInt(), -20);
    EXPECT_EQ(p["stampBcd"].toArray(), (QJsonArray{26, 12, 10}));
    EXPECT_EQ(p["noteLength"].toInt(), 2); // three cells, BCD-converted 2
    EXPECT_EQ(p["probeAngle"].toInt(), 450);
    EXPECT_EQ(p["dacPointDb"].toArray().size(), 10);
    const QJsonObject d = r2["derived"].toObject();
    EXPECT_EQ(d["unitScale"].toDouble(), 1.0);
    EXPECT_EQ(d["rangeShown"].toDouble(), 707.1068);
    EXPECT_EQ(d["delayShown"].toDouble(), 113.84419);
    const QJsonArray frames = r2["frames"].toArray();
    ASSERT_EQ(frames.size(), 11);
    EXPECT_EQ(frames[3].toObject()["values"].toArray(), (QJsonArray{23000, 23001, 23002, 23003}));

    const QJsonObject r3 = inspect({"record", q(file), "3"}).json();
    EXPECT_EQ(r3["params"].toObject()["baseGain"].toInt(), 400);
    EXPECT_EQ(r3["framesPerRecord"].toInt(), 1);
    EXPECT_EQ(r3["playbackDelay"].toInt(), 1000);
    EXPECT_EQ(r3["trailerLength"].toInt(), 226);

    // Before any block the copy is all zeros and nothing has been derived.
    const QJsonObject r0 = inspect({"record", q(file), "0"}).json();
    EXPECT_EQ(r0["params"].toObject()["baseGain"].toInt(), 0);
    EXPECT_EQ(r0["derived"].toObject()["unitScale"].toDouble(), 0.0);
}

TEST(InspectCli, ErrorsSayWhatWasGiven) {
    const std::string file = fixture();
    const std::string dir = std::filesystem::path(file).parent_path().string();
    const std::string one = writeTemp("one.bin", {0x41});
    const std::string corrupt = writeTemp("corrupt.lzw", {0xFF, 0xFF});
    struct Case {
        QStringList args;
        std::string message;
    } cases[] = {
        {{"index", "/nonexistent/x.DAT"},
         "cannot open '/nonexistent/x.DAT': No such file or directory"},
        {{"index", q(dir)}, "cannot open '" + dir + "': Is a directory"},
        {{"index", "/nonexistent/bell\x07.DAT"},
         "cannot open '/nonexistent/bell\\x07.DAT': No such file or directory"},
        {{"index", q(writeTemp("short.DAT", {1, 2}))},
         "cannot read '" + tempPath("short.DAT") +
             "': file is shorter than its 4-byte record count"},
        {{"record", q(file), "4"}, "record 4 is out of range (file has 4 indexed records)"},
        {{"record", q(file), "-1"}, "record -1 is out of range (file has 4 indexed records)"},
        {{"record", q(file), "x"}, "record number 'x' is not an integer"},
        {{"record", q(file)},
         "record takes FILE R, got 1 argument (see vantrel-inspect record --help)"},
        {{"frobnicate"}, "unknown command 'frobnicate' (see vantrel-inspect --help)"},
        {{}, "no command given (see vantrel-inspect --help)"},
        {{"lzw", "encode", q(one), q(tempPath("o"))},
         "lzw encode needs at least 2 input bytes, '" + one + "' has 1"},
        {{"lzw", "squash", q(one), q(tempPath("o"))},
         "lzw mode 'squash' is neither encode nor decode"},
        {{"lzw", "decode", q(corrupt), q(tempPath("o"))},
         "cannot decode '" + corrupt + "': invalid code in the compressed stream at byte 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliRun r = inspect(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_EQ(r.err.toStdString(), "vantrel-inspect: " + c.message + "\n");
    }
}

namespace {

// Record 0: % readouts, gate A at 50.0 %, amplitudes 10.0, 20.0, 30.0 %;
// record 1: against the DAC curve, -2.5, -2.5, -4.0 dB. Every frame has an
// echo (a path of 50.0 mm), and none reaches the default thresholds.
std::string thresholdFixture() {
    auto frames = [](std::initializer_list<int32_t> amplitudes) {
        Bytes b = makeFrames(static_cast<int>(amplitudes.size()) + 1);
        size_t f = 0;
        for (int32_t a : amplitudes) {
            const int32_t values[4] = {500, a, 300, a};
            for (int i = 0; i < 4; ++i)
                storeU32(b.data() + f * kFrameSize + kFrameValuesOffset + 4 * i,
                         static_cast<uint32_t>(values[i]));
            ++f;
        }
        return b;
    };
    ParameterBlock percent = makeBlock(325);
    storeU16(percent.data() + param::kGateALevel, 100);
    ParameterBlock db = percent;
    param::setBits(db.data(), param::kDacOn, 1);
    RecordWriter w;
    w.addRecord(frames({100, 200, 300}), &percent);
    w.addRecord(frames({-25, -25, -40}), &db);
    return writeTemp("thresholds.DAT", w.bytes());
}

bool hasControlCharacter(const QByteArray& text) {
    // The one line end of an error line aside.
    const QByteArray line = text.endsWith('\n') ? text.chopped(1) : text;
    return std::any_of(line.begin(), line.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

} // namespace

// Every numeric option of every command takes a negative value, written
// after the option or after '=', and means it; a value that is out of range
// says so; no message carries a control character.
TEST(InspectCli, NegativeAndHugeNumbers) {
    const QString file = q(thresholdFixture());
    const QString pdf = q(tempPath("negative.pdf"));
    struct Case {
        QStringList args;  // the option and its value given as "--name=value" too
        int indications;   // overview: how many; report: status 0 only (-1: an error)
        std::string error; // the message when it fails
    };
    const Case cases[] = {
        {{"overview", file, "--threshold", "-1"}, 1, ""},
        {{"overview", file, "--threshold-db", "-3"}, 1, ""},
        {{"overview", file, "--threshold-db", "-0.4"}, 0, ""},
        {{"overview", file, "--threshold-db", "-4.0"}, 1, ""},
        {{"overview", file, "--gap", "-1"}, -1, "gap '-1' is not a whole number >= 0"},
        {{"report", file, "--indications", "--out", pdf, "--threshold", "-1"}, 1, ""},
        {{"report", file, "--indications", "--out", pdf, "--threshold-db", "-3"}, 1, ""},
        {{"report", file, "--indications", "--out", pdf, "--gap", "-2"},
         -1,
         "gap '-2' is not a whole number >= 0"},
    };
    for (const Case& c : cases) {
        const QStringList joined = c.args.mid(0, c.args.size() - 2)
                                   << c.args[c.args.size() - 2] + "=" + c.args.back();
        for (const QStringList& args : {c.args, joined}) {
            SCOPED_TRACE(args.join(' ').toStdString());
            const CliRun r = inspect(args);
            EXPECT_FALSE(hasControlCharacter(r.err)) << r.err.toStdString();
            if (c.indications < 0) {
                EXPECT_EQ(r.status, 2);
                EXPECT_EQ(r.err.toStdString(), "vantrel-inspect: " + c.error + "\n");
                continue;
            }
            ASSERT_EQ(r.status, 0) << r.err.toStdString();
            if (args[0] == "overview") {
                EXPECT_EQ(r.json()["indications"].toArray().size(), c.indications);
            }
        }
    }

    // Record and frame numbers beyond 32 bits are out of range, not "not an
    // integer"; a negative record number is still a record number.
    const struct {
        QStringList args;
        std::string message;
    } numbers[] = {
        {{"record", file, "99999999999"},
         "record 99999999999 is out of range (file has 2 indexed records)"},
        {{"record", file, "-99999999999"},
         "record -99999999999 is out of range (file has 2 indexed records)"},
        {{"curves", file, "-2"}, "record -2 is out of range (file has 2 indexed records)"},
        {{"render", file, "0", "99999999999", "--out", q(tempPath("huge.png"))},
         "frame 99999999999 is out of range (record 0 has 4 frames)"},
        {{"render", file, "0", "-1", "--out=" + q(tempPath("huge.png"))},
         "frame -1 is out of range (record 0 has 4 frames)"},
    };
    for (const auto& c : numbers) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliRun r = inspect(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err.toStdString(), "vantrel-inspect: " + c.message + "\n");
    }
}

TEST(InspectCli, LzwRoundTripAndHelp) {
    Bytes data = makeFrames(30);
    const std::string in = writeTemp("in.bin", data);
    const std::string packed = tempPath("packed.lzw"), back = tempPath("back.bin");
    ASSERT_EQ(inspect({"lzw", "encode", q(in), q(packed)}).status, 0);
    ASSERT_EQ(inspect({"lzw", "decode", q(packed), q(back)}).status, 0);
    EXPECT_EQ(readBytes(back), data); // 18000 bytes: beyond the record limit
    EXPECT_LT(readBytes(packed)->size(), data.size());

    for (const QStringList& args :
         {QStringList{"--help"}, QStringList{"index", "--help"}, QStringList{"record", "--help"},
          QStringList{"lzw", "--help"}}) {
        const CliRun r = inspect(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_TRUE(r.out.contains("Usage") || r.out.contains("usage")) << r.out.toStdString();
    }
}

// Input from a pipe has no size to go by, and a stream may decode to many
// times its size: zeros decode to about 900 times theirs, past the output's
// first size by far.
TEST(InspectCli, LzwThroughPipes) {
    struct Case {
        const char* name;
        Bytes data;
    };
    const Case cases[] = {{"frames", makeFrames(400)}, {"zeros", Bytes(3 << 20, 0)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto piped = [](const QStringList& args, const QByteArray& in) {
            QProcess p;
            p.start(VANTREL_INSPECT, args);
            p.write(in);
            p.closeWriteChannel();
            EXPECT_TRUE(p.waitForFinished(60000));
            EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
            return p.readAllStandardOutput();
        };
        const QByteArray raw(reinterpret_cast<const char*>(c.data.data()),
                             static_cast<qsizetype>(c.data.size()));
        const QByteArray packed = piped({"lzw", "encode", "/dev/stdin", "/dev/stdout"}, raw);
        ASSERT_FALSE(packed.isEmpty());
        EXPECT_LT(packed.size(), raw.size());
        EXPECT_EQ(piped({"lzw", "decode", "/dev/stdin", "/dev/stdout"}, packed), raw);
    }
}

TEST(InspectCli, DemoRecordingOpens) {
    if (!std::filesystem::exists(VANTREL_DEMO)) GTEST_SKIP() << "no demo recording";
    const CliRun index = inspect({"index", VANTREL_DEMO});
    ASSERT_EQ(index.status, 0);
    const QJsonObject j = index.json();
    EXPECT_GT(j["records"].toArray().size(), 100);
    EXPECT_EQ(j["records"].toArray().size(), j["recordCount"].toInt());
    EXPECT_GE(j["notes"].toArray().size(), 3);
    const CliRun record = inspect({"record", VANTREL_DEMO, "5"});
    ASSERT_EQ(record.status, 0);
    EXPECT_EQ(record.json()["framesPerRecord"].toInt(), 11);
}

TEST(InspectCli, RecordPanelRulerAndReadouts) {
    const std::string file = fixture();
    const QJsonObject r0 = inspect({"record", q(file), "0"}).json();
    // Before any block: empty panel, blank ruler, readouts from zero parameters.
    EXPECT_EQ(r0["panel"].toObject()["BaseGain"].toString(), "");
    EXPECT_EQ(r0["panel"].toObject().size(), 15);
    EXPECT_EQ(r0["pathRuler"].toArray().size(), 0);

    const QJsonObject r2 = inspect({"record", q(file), "2"}).json();
    const QJsonObject panel = r2["panel"].toObject();
    EXPECT_EQ(panel["BaseGain"].toString(), "32.5");
    EXPECT_EQ(panel["ScanGain"].toString(), "-2.0");
    EXPECT_EQ(panel["EchoRange"].toString(), "70.7 mm(y)");
    EXPECT_EQ(panel["ProbeType"].toString(), QString::fromUtf8("直探头"));
    EXPECT_EQ(panel["EchoKAngle"].toString(), "1.0");
    EXPECT_EQ(panel["lblReject"].toString(), "0");
    EXPECT_EQ(r2["pathRuler"].toArray(),
              (QJsonArray{"11.4 ", "25.5 ", "39.7 ", "53.8 ", "68.0 ", "82.1 "}));
    const QJsonArray readouts = r2["frames"].toArray()[3].toObject()["readouts"].toArray();
    EXPECT_EQ(readouts, (QJsonArray{QString::fromUtf8("↘2300.0"), QString::fromUtf8("→2300.1"),
                                    QString::fromUtf8("↓2300.2"), QString::fromUtf8("∧2300.3 %")}));
}

TEST(InspectCli, CurvesRenderAndExport) {
    const std::string file = fixture();
    const QJsonObject none = inspect({"curves", q(file), "2"}).json();
    EXPECT_FALSE(none["built"].toBool());
    EXPECT_EQ(none["curveOrdinates"].toArray().size(), 301);
    EXPECT_EQ(none["gateOrdinates"].toArray()[5].toInt(), 0);

    ParameterBlock dac = makeBlock(340);
    storeU16(dac.data() + param::kDacPointCount, 1);
    storeU16(dac.data() + param::kDacPointPos, 500);
    storeU16(dac.data() + param::kDacPointDb, 400);
    RecordWriter w;
    w.addRecord(makeFrames(2), &dac);
    const std::string dacFile = writeTemp("dac.DAT", w.bytes());
    const QJsonObject built = inspect({"curves", q(dacFile), "0"}).json();
    EXPECT_TRUE(built["built"].toBool());
    EXPECT_EQ(built["lastMappedIndex"].toInt(), 280);
    EXPECT_EQ(built["curveOrdinates"].toArray()[100].toInt(), 127);
    EXPECT_EQ(built["gateOrdinates"].toArray()[100].toInt(), 127);

    const std::string png = tempPath("f.png");
    const CliRun render = inspect({"render", q(file), "2", "3", "--out", q(png)});
    ASSERT_EQ(render.status, 0) << render.err.toStdString();
    EXPECT_TRUE(render.err.isEmpty());
    const auto bytes = readBytes(png);
    ASSERT_TRUE(bytes && bytes->size() > 24);
    EXPECT_EQ(loadU32Unchecked(bytes->data() + 16), 0x69010000u); // width 361, big-endian
    EXPECT_EQ(loadU32Unchecked(bytes->data() + 20), 0x21010000u); // height 289
    const CliRun badFrame = inspect({"render", q(file), "3", "1", "--out", q(png)});
    EXPECT_EQ(badFrame.status, 2);
    EXPECT_EQ(badFrame.err.toStdString(),
              "vantrel-inspect: frame 1 is out of range (record 3 has 1 frame)\n");
    EXPECT_EQ(inspect({"render", q(file), "3", "0"}).err.toStdString(),
              "vantrel-inspect: render needs --out FILE\n");

    const std::string csv = tempPath("t.csv");
    ASSERT_EQ(inspect({"export", q(file), "--out", q(csv)}).status, 0);
    const auto table = readBytes(csv);
    const std::string text(table->begin(), table->end());
    EXPECT_EQ(
        text.substr(0, text.find("\r\n")),
        "record,frame,value0,value1,value2,value3,LabelPara1,LabelPara2,LabelPara3,LabelPara4");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1 + 11 + 11 + 11 + 1);
    EXPECT_NE(text.find("\r\n2,3,23000,23001,23002,23003,↘2300.0,→2300.1,↓2300.2,∧2300.3 %\r\n"),
              std::string::npos);
}

// The viewer's commands without a window, step by step.
TEST(InspectCli, Replay) {
    const std::string file = fixture();
    const CliRun r = inspect({"replay", q(file), "next", "open", "next", "up", "up", "seek:2",
                              "seek:3", "play", "tick", "print", "note:1", "note:9", "cancel"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonArray steps = r.json()["steps"].toArray();
    ASSERT_EQ(steps.size(), 13);
    auto step = [&](int i) { return steps[i].toObject(); };
    // Before Open the buttons are disabled: nothing happens.
    EXPECT_EQ(step(0)["drawn"], QJsonValue(QJsonValue::Null));
    EXPECT_FALSE(step(0)["next"].toBool());
    EXPECT_EQ(step(0)["readouts"].toArray()[0].toString(), QString::fromUtf8("↘"));
    EXPECT_EQ(step(0)["panel"].toObject()["BaseGain"].toString(), "");
    // Open: frame 0 of record 0 on screen, both numbers point at what follows.
    const QJsonObject open = step(1);
    EXPECT_EQ(open["currentRecord"].toInt(), 1);
    EXPECT_EQ(open["frameIndex"].toInt(), 1);
    EXPECT_EQ(open["drawn"].toInt(), 0);
    EXPECT_EQ(open["trackBarMax"].toInt(), 3);
    EXPECT_EQ(open["selectedNote"].toInt(), 1);
    EXPECT_EQ(open["play"].toObject()["caption"].toString(), QString::fromUtf8("播放"));
    EXPECT_FALSE(open["up"].toBool());
    EXPECT_TRUE(open["print"].toBool());
    EXPECT_FALSE(open["seekArmed"].toBool());
    EXPECT_EQ(open["readouts"].toArray()[0].toString(), QString::fromUtf8("↘0.0"));
    EXPECT_EQ(step(2)["drawn"].toInt(), 2);
    EXPECT_EQ(step(3)["drawn"].toInt(), 1);
    EXPECT_EQ(step(4)["drawn"].toInt(), 0);
    // seek:2 only arms the bar; seek:3 goes to record 4 * 3 / 3 = 4: the end.
    EXPECT_EQ(step(5)["drawn"], QJsonValue(QJsonValue::Null));
    EXPECT_TRUE(step(5)["seekArmed"].toBool());
    EXPECT_EQ(step(6)["currentRecord"].toInt(), 0);
    EXPECT_EQ(step(6)["trackBar"].toInt(), 0);
    const QJsonObject play = step(7);
    EXPECT_TRUE(play["playing"].toBool());
    EXPECT_EQ(play["play"].toObject()["caption"].toString(), QString::fromUtf8("停止"));
    EXPECT_FALSE(play["print"].toBool());
    EXPECT_EQ(step(8)["drawn"].toInt(), 0); // the tick loads record 0 and draws frame 0
    EXPECT_EQ(step(8)["currentRecord"].toInt(), 1);
    EXPECT_TRUE(step(9)["playing"].toBool());        // print is disabled while playing
    EXPECT_EQ(step(10)["currentRecord"].toInt(), 3); // the note of record 3
    EXPECT_EQ(step(10)["selectedNote"].toInt(), 1);
    EXPECT_EQ(step(10)["playbackDelay"].toInt(), 1000);
    EXPECT_EQ(step(11)["currentRecord"].toInt(), 3); // no such note
    EXPECT_FALSE(step(12)["playing"].toBool());      // the dialog pauses

    const CliRun bad = inspect({"replay", q(file), "open", "jump"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_TRUE(bad.out.isEmpty());
    EXPECT_EQ(bad.err.toStdString(),
              "vantrel-inspect: unknown replay step 'jump' (steps: open, cancel, "
              "next, up, play, print, seek:P, note:I, tick, goto:R:F)\n");
}

// A file in which no record can be indexed: its open leaves nothing to play,
// step through or print, and the steps on those buttons change nothing.
TEST(InspectCli, ReplayOfAFileWithoutRecords) {
    Bytes junk(4096, 0x5A);
    setWord(junk, 0, 1699618851);
    setWord(junk, 4, 0x7FFFFFF0); // the first record runs past the end
    const std::string file = writeTemp("replay-none.DAT", junk);
    const CliRun r =
        inspect({"replay", q(file), "open", "play", "next", "print", "seek:7", "goto:0:0"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonArray steps = r.json()["steps"].toArray();
    ASSERT_EQ(steps.size(), 6);
    for (const QJsonValue& v : steps) {
        const QJsonObject s = v.toObject();
        SCOPED_TRACE(s["step"].toString().toStdString());
        EXPECT_FALSE(s["play"].toObject()["enabled"].toBool());
        EXPECT_FALSE(s["up"].toBool());
        EXPECT_FALSE(s["next"].toBool());
        EXPECT_FALSE(s["print"].toBool());
        EXPECT_FALSE(s["playing"].toBool());
        EXPECT_EQ(s["drawn"], QJsonValue(QJsonValue::Null));
        EXPECT_EQ(s["readouts"].toArray()[0].toString(), QString::fromUtf8("↘"));
    }
}

// The seek bar's mapping on a file long enough that record x position
// leaves 32 bits: seek:40000 lands on record 40000 and the handle follows
// seeks and a jump.
TEST(InspectCli, ReplaySeeksOnLongRecordings) {
    const std::string file = writeTemp("long.DAT", longRecording(60000));
    const CliRun r = inspect({"replay", q(file), "open", "seek:1", "seek:40000", "seek:1",
                              "seek:59998", "goto:50000:0", "seek:59999"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonArray steps = r.json()["steps"].toArray();
    ASSERT_EQ(steps.size(), 7);
    auto state = [&](int i) {
        const QJsonObject s = steps[i].toObject();
        return std::pair{s["currentRecord"].toInt(), s["trackBar"].toInt()};
    };
    EXPECT_EQ(steps[0].toObject()["trackBarMax"].toInt(), 59999);
    EXPECT_EQ(state(2), (std::pair{40000, 40000}));
    EXPECT_EQ(state(4), (std::pair{59998, 59998}));
    EXPECT_EQ(state(5), (std::pair{50000, 50000}));
    EXPECT_EQ(state(6), (std::pair{0, 0})); // the end of the bar: back to record 0
}

TEST(InspectCli, ReportPageAndPicture) {
    const std::string file = fixture();
    auto pngSize = [](const std::string& path) {
        const auto b = readBytes(path);
        EXPECT_TRUE(b && b->size() > 24);
        const auto be32 = [&](size_t at) {
            return (uint32_t((*b)[at]) << 24) | (uint32_t((*b)[at + 1]) << 16) |
                   (uint32_t((*b)[at + 2]) << 8) | (*b)[at + 3];
        };
        return std::pair{be32(16), be32(20)};
    };
    const std::string png = tempPath("report.png"), pdf = tempPath("report.pdf"),
                      plot = tempPath("plot.png");
    ASSERT_EQ(inspect({"report", q(file), "2", "3", "--out", q(png)}).status, 0);
    EXPECT_EQ(pngSize(png), (std::pair<uint32_t, uint32_t>{794, 1123}));
    ASSERT_EQ(inspect({"render", q(file), "2", "3", "--report", "--out", q(plot)}).status, 0);
    EXPECT_EQ(pngSize(plot), (std::pair<uint32_t, uint32_t>{289, 257}));
    ASSERT_EQ(inspect({"report", q(file), "2", "3", "--out", q(pdf)}).status, 0);
    const auto bytes = readBytes(pdf);
    const std::string text(bytes->begin(), bytes->end());
    EXPECT_EQ(text.substr(0, 5), "%PDF-");
    EXPECT_NE(text.find("/MediaBox [0 0 595"), std::string::npos); // A4 width in points
    const CliRun bad = inspect({"report", q(file), "2", "3", "--out", q(tempPath("report.txt"))});
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.err.toStdString(), "vantrel-inspect: report --out '" + tempPath("report.txt") +
                                         "': the name must end in .pdf or .png\n");
}

namespace {

// The lines of a JSON document laid out one value a line, for a diff a person
// can read.
QStringList jsonLines(const QByteArray& json) {
    const QJsonDocument doc = QJsonDocument::fromJson(json);
    const QByteArray text = doc.isNull() ? json : doc.toJson(QJsonDocument::Indented);
    return QString::fromUtf8(text).split('\n');
}

// The first place two documents differ, with three lines of context.
std::string firstDifference(const QByteArray& expected, const QByteArray& actual) {
    const QStringList a = jsonLines(expected), b = jsonLines(actual);
    qsizetype i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i])
        ++i;
    std::string out = "first difference at line " + std::to_string(i + 1) + ":\n";
    for (qsizetype k = std::max<qsizetype>(0, i - 3); k < i; ++k)
        out += "  " + a[k].toStdString() + "\n";
    for (qsizetype k = i; k < std::min(a.size(), i + 3); ++k)
        out += "- " + a[k].toStdString() + "\n";
    for (qsizetype k = i; k < std::min(b.size(), i + 3); ++k)
        out += "+ " + b[k].toStdString() + "\n";
    return out;
}

// Whether the golden comparisons rewrite their files instead:
// VANTREL_UPDATE_GOLDEN=1, after a deliberate change of an output (then
// read the difference with git diff before committing it). Unset or 0
// compares; any other value is a mistake and fails.
std::optional<bool> updateGolden() {
    const char* v = std::getenv("VANTREL_UPDATE_GOLDEN");
    if (!v || std::string_view(v) == "0") return false;
    if (std::string_view(v) == "1") return true;
    return std::nullopt;
}

} // namespace

// The outputs on the demo recording stay byte for byte what they were: what
// a command prints, or with `out` the file it writes.
TEST(InspectCli, GoldenOutputsOnTheDemoRecording) {
    const std::optional<bool> update = updateGolden();
    ASSERT_TRUE(update) << "VANTREL_UPDATE_GOLDEN is 1 (rewrite the golden files) or 0";
    const QString demo = VANTREL_DEMO;
    struct Case {
        const char* golden;
        QStringList args;
        const char* out = nullptr; // the name of the file the command writes
    };
    const Case cases[] = {
        {"index.json", {"index", demo}},
        {"record-5.json", {"record", demo, "5"}},
        {"record-190.json", {"record", demo, "190"}},
        {"record-230.json", {"record", demo, "230"}},
        {"record-270.json", {"record", demo, "270"}},
        {"replay.json",
         {"replay", demo, "open", "next", "next", "seek:5", "seek:6", "seek:299", "up", "play",
          "tick", "tick", "note:4", "next", "print"}},
        {"overview.json", {"overview", demo}},
        {"overview.csv", {"overview", demo}, "golden-overview.csv"},
        {"report-fields-190-2.json", {"report", demo, "190", "2", "--fields"}},
        {"report-fields-250-3.json", {"report", demo, "250", "3", "--fields"}},
        {"evaluate.json", {"evaluate", demo, "--mm-per-frame", "0.5"}},
        {"evaluate.csv", {"evaluate", demo, "--mm-per-frame", "0.5"}, "golden-evaluate.csv"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.golden);
        QStringList args = c.args;
        const QString out = c.out ? q(tempPath(c.out)) : QString();
        if (c.out) args << "--out" << out;
        const CliRun r = inspect(args);
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        QByteArray actual = r.out;
        if (c.out) {
            QFile written(out);
            ASSERT_TRUE(written.open(QIODevice::ReadOnly));
            actual = written.readAll();
        }
        QFile file(QStringLiteral(VANTREL_GOLDEN_DIR "/") + c.golden);
        if (*update) {
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            ASSERT_EQ(file.write(actual), actual.size());
            std::cout << "rewrote " << file.fileName().toStdString() << " (" << actual.size()
                      << " bytes)" << std::endl;
            continue;
        }
        if (!file.open(QIODevice::ReadOnly)) {
            ADD_FAILURE() << "no " << file.fileName().toStdString()
                          << " (VANTREL_UPDATE_GOLDEN=1 writes it)";
            continue;
        }
        const QByteArray expected = file.readAll();
        if (actual != expected) ADD_FAILURE() << firstDifference(expected, actual);
    }
}

// goto:R:F is a click on the overview: record R with frame F on screen; a
// place that does not exist changes nothing; a malformed step is a usage error.
TEST(InspectCli, ReplayGoto) {
    const QString demo = VANTREL_DEMO;
    const CliRun r =
        inspect({"replay", demo, "open", "play", "goto:190:3", "goto:300:0", "goto:190:11"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonArray steps = r.json()["steps"].toArray();
    ASSERT_EQ(steps.size(), 5);
    const QJsonObject went = steps[2].toObject();
    EXPECT_EQ(went["currentRecord"].toInt(), 190);
    EXPECT_EQ(went["frameIndex"].toInt(), 3);
    EXPECT_EQ(went["drawn"].toInt(), 3);
    EXPECT_FALSE(went["playing"].toBool());
    EXPECT_EQ(went["play"].toObject()["caption"].toString(), QString("播放"));
    EXPECT_TRUE(went["up"].toBool());
    EXPECT_TRUE(went["next"].toBool());
    EXPECT_TRUE(went["print"].toBool());
    for (int i : {3, 4}) {
        QJsonObject unchanged = steps[i].toObject(), before = went;
        EXPECT_TRUE(unchanged["drawn"].isNull());
        unchanged.remove("step"), unchanged.remove("drawn");
        before.remove("step"), before.remove("drawn");
        EXPECT_EQ(unchanged, before) << i;
    }
    for (const char* bad : {"goto:1", "goto:1:x", "goto:1:2:3"}) {
        const CliRun b = inspect({"replay", demo, "open", bad});
        EXPECT_EQ(b.status, 2) << bad;
        EXPECT_TRUE(b.out.isEmpty()) << bad;
    }
}

namespace {

std::vector<QStringList> csvRows(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    std::vector<QStringList> rows;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.trimmed().isEmpty()) continue;
        rows.push_back(QString::fromUtf8(line.trimmed()).split(','));
    }
    return rows;
}

QString tenthsText(long long v) {
    return QString("%1%2.%3").arg(v < 0 ? "-" : "").arg(std::llabs(v) / 10).arg(std::llabs(v) % 10);
}

} // namespace

// The overview's frames are the export's, less each record's last frame
// slot, with gate A's amplitude and the path of every shown frame; the JSON
// counts them and lists the indications; bad options are usage errors.
TEST(InspectCli, OverviewAgreesWithExport) {
    const QString demo = VANTREL_DEMO;
    const QString overviewCsv = q(tempPath("overview.csv")), exportCsv = q(tempPath("export.csv"));
    const CliRun o = inspect({"overview", demo, "--out", overviewCsv});
    ASSERT_EQ(o.status, 0) << o.err.toStdString();
    ASSERT_EQ(inspect({"export", demo, "--out", exportCsv}).status, 0);
    const std::vector<QStringList> shown = csvRows(overviewCsv), all = csvRows(exportCsv);
    ASSERT_EQ(shown[0].join(','),
              QString("record,frame,amplitude,unit,position,positionUnit,indication"));
    ASSERT_EQ(shown.size(), 1u + 300 * 10);
    ASSERT_EQ(all.size(), 1u + 300 * 11);
    for (size_t i = 1; i < shown.size(); ++i) {
        const QStringList& s = shown[i];
        const int record = s[0].toInt(), frame = s[1].toInt();
        const QStringList& e = all[1 + static_cast<size_t>(record) * 11 + frame];
        ASSERT_EQ(e[0].toInt(), record);
        ASSERT_EQ(e[1].toInt(), frame);
        const bool twoGate = e[6].startsWith('A');
        EXPECT_EQ(s[2], tenthsText(e[twoGate ? 3 : 5].toLongLong())) << record << "," << frame;
        EXPECT_EQ(s[4], tenthsText(e[2].toLongLong())) << record << "," << frame;
        EXPECT_EQ(s[3], QString(e[twoGate ? 7 : 9].contains("%") ? "%" : "dB"))
            << record << "," << frame;
        EXPECT_EQ(s[5], QString("mm"));
    }
    const QJsonObject json = o.json();
    EXPECT_EQ(json["frames"].toInt(), 3000);
    const QJsonArray indications = json["indications"].toArray();
    ASSERT_FALSE(indications.isEmpty());
    const QJsonObject first = indications[0].toObject();
    for (const char* key :
         {"start", "end", "frames", "peak", "amplitude", "unit", "position", "positionUnit"})
        EXPECT_TRUE(first.contains(key)) << key;
    // Every frame of an indication carries its number in the CSV.
    int marked = 0;
    for (size_t i = 1; i < shown.size(); ++i)
        marked += shown[i].value(6).isEmpty() ? 0 : 1;
    int counted = 0;
    for (const QJsonValue& d : indications)
        counted += d.toObject()["frames"].toInt();
    EXPECT_EQ(marked, counted);

    // The strips as a picture, the JSON printed as well.
    const QString strips = q(tempPath("strips.png"));
    const CliRun picture = inspect({"overview", demo, "--gap", "5", "--out", strips});
    ASSERT_EQ(picture.status, 0) << picture.err.toStdString();
    EXPECT_EQ(picture.json()["frames"].toInt(), 3000);
    QFile png(strips);
    ASSERT_TRUE(png.open(QIODevice::ReadOnly));
    EXPECT_TRUE(png.read(8).startsWith("\x89PNG"));
    // The picture needs the GUI side of Qt, which the command makes only
    // for a .png name, however the option is written.
    const QString joined = q(tempPath("strips-joined.PNG"));
    const CliRun equals = inspect({"overview", demo, "--out=" + joined});
    ASSERT_EQ(equals.status, 0) << equals.err.toStdString();
    QFile png2(joined);
    ASSERT_TRUE(png2.open(QIODevice::ReadOnly));
    EXPECT_TRUE(png2.read(8).startsWith("\x89PNG"));

    for (const QStringList& bad :
         {QStringList{"overview", demo, "--threshold", "1.2.3"},
          QStringList{"overview", demo, "--gap", "-1"},
          QStringList{"overview", demo, "--position", "up"},
          QStringList{"overview", demo, "--out", q(tempPath("strips.gif"))}}) {
        const CliRun b = inspect(bad);
        EXPECT_EQ(b.status, 2) << bad.join(' ').toStdString();
        EXPECT_TRUE(b.out.isEmpty());
    }
}

// A damaged frame among real ones: its indication says it is not plausible
// (12544.0 % is more than a byte sample can hold), the real one says it is.
TEST(InspectCli, OverviewSaysWhichPeaksNoRealFrameHolds) {
    Bytes frames = makeFrames(4);
    const int32_t amplitudes[3] = {600, 100, 125440};
    for (size_t f = 0; f < 3; ++f) {
        const int32_t values[4] = {450, 0, 250, amplitudes[f]};
        for (int i = 0; i < 4; ++i)
            storeU32(frames.data() + f * kFrameSize + kFrameValuesOffset + 4 * i,
                     static_cast<uint32_t>(values[i]));
    }
    ParameterBlock block = makeBlock(325);
    storeU16(block.data() + param::kGateALevel, 100);
    RecordWriter w;
    w.addRecord(frames, &block);
    const CliRun r = inspect({"overview", q(writeTemp("damaged-peak.DAT", w.bytes()))});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonArray found = r.json()["indications"].toArray();
    ASSERT_EQ(found.size(), 2);
    EXPECT_EQ(found[0].toObject()["amplitude"].toDouble(), 60.0);
    EXPECT_EQ(found[0].toObject()["plausible"], QJsonValue(true));
    EXPECT_EQ(found[1].toObject()["amplitude"].toDouble(), 12544.0);
    EXPECT_EQ(found[1].toObject()["plausible"], QJsonValue(false));
}

// A file long enough for export's two threads and several pieces: the rows
// come in file order, and each carries the readouts of the block in force at
// its record, before the first block (all zero: % readouts) and across the
// pieces' first records.
TEST(InspectCli, ExportInFileOrderWithTheBlockInForce) {
    const int records = 2600;
    // Pieces of 1024 records: the block in force where the second and the
    // third piece start lies in the piece before.
    const std::vector<int> blocks = {1000, 1023, 1500, 2047, 2049, 2500};
    RecordWriter w;
    for (int r = 0; r < records; ++r) {
        const auto at = std::find(blocks.begin(), blocks.end(), r);
        if (at == blocks.end()) {
            w.addRecord(makeFrames(2, 10 * r));
            continue;
        }
        // DAC readouts naming the block: reference diameter 1, 2, ... mm.
        ParameterBlock b = makeBlock(300);
        param::setBits(b.data(), param::kDacOn, 1);
        storeU16(b.data() + param::kDacRefDiameter,
                 static_cast<uint16_t>(10 * (at - blocks.begin() + 1)));
        w.addRecord(makeFrames(2, 10 * r), &b);
    }
    const std::string file = writeTemp("long.DAT", w.bytes());
    const QString csv = q(tempPath("long.csv"));
    const CliRun run = inspect({"export", q(file), "--out", csv});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const std::vector<QStringList> rows = csvRows(csv);
    ASSERT_EQ(rows.size(), 1u + 2 * records);
    int inForce = 0; // blocks at or before the record
    for (int r = 0; r < records; ++r) {
        while (inForce < static_cast<int>(blocks.size()) && blocks[inForce] <= r)
            ++inForce;
        for (int f = 0; f < 2; ++f) {
            const QStringList& row = rows[1 + 2 * static_cast<size_t>(r) + f];
            ASSERT_EQ(row[0].toInt(), r);
            ASSERT_EQ(row[1].toInt(), f);
            ASSERT_EQ(row[2].toLongLong(), 1000LL * (10 * r + f)) << r;
            if (inForce == 0)
                ASSERT_TRUE(row[9].endsWith(" %")) << r << ": " << row[9].toStdString();
            else
                ASSERT_TRUE(row[9].contains(QString("%1 x ").arg(inForce)))
                    << r << ": " << row[9].toStdString();
        }
    }
}

namespace {

// The text of page `page` (from 1) of a PDF, or nullopt without pdftotext.
std::optional<QString> pdfPageText(const std::string& pdf, int page) {
    QProcess p;
    p.start("pdftotext", {"-f", QString::number(page), "-l", QString::number(page), q(pdf), "-"});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return std::nullopt;
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Whether pdftotext, and with it poppler-utils, is there.
bool havePoppler() {
    QProcess probe;
    probe.start("pdftotext", {"-v"});
    return probe.waitForFinished(10000) && probe.exitCode() == 0;
}

int pdfPages(const std::string& pdf) {
    QProcess p;
    p.start("pdfinfo", {q(pdf)});
    p.waitForFinished(30000);
    const QString info = QString::fromUtf8(p.readAllStandardOutput());
    const QRegularExpressionMatch m = QRegularExpression("Pages:\\s+(\\d+)").match(info);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

} // namespace

// One page per note and per indication: each page the report of the note's
// record at frame 0 (or the indication's peak frame), its panel and readout
// texts those `record` gives for that record and frame, the given cells on
// every page.
TEST(InspectCli, BatchReports) {
    if (!havePoppler()) GTEST_SKIP() << "poppler-utils is missing";
    const std::string pdf = tempPath("notes.pdf");
    const CliRun r = inspect({"report", VANTREL_DEMO, "--notes", "--out", q(pdf), "--field",
                              QString::fromUtf8("检测单位=华东检测站"), "--field",
                              QString::fromUtf8("探伤人员=Li Wei"), "--field",
                              QString::fromUtf8("探伤仪型号=KV-300")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonArray notes = inspect({"index", VANTREL_DEMO}).json()["notes"].toArray();
    ASSERT_EQ(pdfPages(pdf), notes.size());

    // Page texts against `record`: the panel's speed and gain, frame F's
    // four readouts (the report drops their marker symbols, so the numbers).
    auto checkPage = [&](const std::string& file, int page, int record, int frame) {
        SCOPED_TRACE("page " + std::to_string(page) + ": record " + std::to_string(record) +
                     " frame " + std::to_string(frame));
        const std::optional<QString> text = pdfPageText(file, page);
        ASSERT_TRUE(text);
        const QJsonObject rec = inspect({"record", VANTREL_DEMO, QString::number(record)}).json();
        const QJsonObject panel = rec["panel"].toObject();
        EXPECT_TRUE(text->contains(panel["EchoSpeed"].toString() + "m/s"));
        EXPECT_TRUE(text->contains(panel["BaseGain"].toString() + "+" +
                                   panel["ScanGain"].toString() + "+" +
                                   panel["CompGain"].toString() + "dB"));
        EXPECT_TRUE(text->contains(panel["ProbeType"].toString()));
        const QJsonArray readouts = rec["frames"].toArray()[frame].toObject()["readouts"].toArray();
        for (const QJsonValue& v : readouts) {
            const QRegularExpressionMatch number =
                QRegularExpression("-?\\d+\\.\\d").match(v.toString());
            if (number.hasMatch()) {
                EXPECT_TRUE(text->contains(number.captured(0))) << v.toString().toStdString();
            }
        }
    };
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    for (qsizetype k = 0; k < notes.size(); ++k) {
        const QJsonObject note = notes[k].toObject();
        checkPage(pdf, static_cast<int>(k + 1), note["record"].toInt(), 0);
        const std::optional<QString> text = pdfPageText(pdf, static_cast<int>(k + 1));
        for (const char* given : {"华东检测站", "Li Wei", "KV-300"})
            EXPECT_TRUE(text && text->contains(QString::fromUtf8(given))) << given;
        // The foot line: file, record:frame, the note, the day, the page.
        const QString foot = QString("demo.DAT · 记录 %1:0 · %2 · 打印于 %3 · 第 %4/%5 页")
                                 .arg(note["record"].toInt())
                                 .arg(note["text"].toString(), today)
                                 .arg(k + 1)
                                 .arg(notes.size());
        EXPECT_TRUE(text && text->contains(foot)) << foot.toStdString();
    }
    // A single page has no page number.
    const std::string single = tempPath("single.pdf");
    ASSERT_EQ(inspect({"report", VANTREL_DEMO, "190", "3", "--out", q(single)}).status, 0);
    const std::optional<QString> singleText = pdfPageText(single, 1);
    ASSERT_TRUE(singleText);
    EXPECT_TRUE(singleText->contains(QString("demo.DAT · 记录 190:3 · 打印于 %1\n").arg(today)))
        << singleText->toStdString();

    // Indications, at their peaks, with the overview's own thresholds.
    const std::string ind = tempPath("indications.pdf");
    ASSERT_EQ(
        inspect({"report", VANTREL_DEMO, "--indications", "--gap", "5", "--out", q(ind)}).status,
        0);
    const QJsonArray found =
        inspect({"overview", VANTREL_DEMO, "--gap", "5"}).json()["indications"].toArray();
    ASSERT_EQ(pdfPages(ind), found.size());
    for (qsizetype k = 0; k < found.size(); k += 5) {
        const QJsonArray peak = found[k].toObject()["peak"].toArray();
        checkPage(ind, static_cast<int>(k + 1), peak[0].toInt(), peak[1].toInt());
    }

    // A folder of pictures: one per page.
    const std::string folder = tempPath("note-pages");
    std::filesystem::remove_all(folder);
    ASSERT_EQ(inspect({"report", VANTREL_DEMO, "--notes", "--out", q(folder)}).status, 0);
    for (qsizetype k = 0; k < notes.size(); ++k)
        EXPECT_TRUE(std::filesystem::exists(folder + "/note-" + std::to_string(k) + ".png"));
    EXPECT_FALSE(
        std::filesystem::exists(folder + "/note-" + std::to_string(notes.size()) + ".png"));
    std::filesystem::remove_all(folder);
}

// Batch errors: one line, exit 2, nothing written.
TEST(InspectCli, BatchReportErrors) {
    RecordWriter w;
    w.addRecord(makeFrames(11, 0));
    const std::string plain = writeTemp("no-notes.DAT", w.bytes());
    const std::string blocker = writeTemp("a-file", Bytes{1, 2, 3});
    const std::string out = tempPath("batch-out.pdf");
    struct Case {
        QStringList args;
        std::string message; // the start of the error line
        std::string written; // what must not exist afterwards
    };
    const Case cases[] = {
        {{"report", q(plain), "--notes", "--out", q(out)}, "'" + plain + "' has no notes", out},
        {{"report", VANTREL_DEMO, "--notes", "--field", "Firma=X", "--out", q(out)},
         "unknown field 'Firma' (fields: 检测单位, 报告编号,",
         out},
        {{"report", VANTREL_DEMO, "--notes", "--out", q(blocker + "/pages")},
         "cannot write to the folder",
         blocker + "/pages"},
        {{"report", VANTREL_DEMO, "--notes", "--out", q(blocker + "/x.pdf")},
         "cannot write",
         blocker + "/x.pdf"},
        {{"report", VANTREL_DEMO, "190", "3", "--notes", "--out", q(out)},
         "report --notes and --indications take FILE only",
         out},
        {{"report", VANTREL_DEMO, "--notes", "--gap", "3", "--out", q(out)},
         "report --gap goes with --indications",
         out},
        {{"report", VANTREL_DEMO, "190", "3", "--fields", "--out", q(out)},
         "report --fields writes no file",
         out},
        {{"report", VANTREL_DEMO, "--summary", "--notes", "--out", q(out)},
         "report takes one of --notes, --indications and --summary",
         out},
        {{"report", VANTREL_DEMO, "190", "3", "--summary", "--out", q(out)},
         "report --summary takes FILE only",
         out},
        {{"report", VANTREL_DEMO, "--summary", "--threshold", "30", "--out", q(out)},
         "report --threshold goes with --indications",
         out},
        {{"report", VANTREL_DEMO, "--notes", "--mm-per-frame", "0.5", "--out", q(out)},
         "report --mm-per-frame goes with --indications or --summary",
         out},
        {{"report", VANTREL_DEMO, "190", "3", "--mm-per-frame", "0.5", "--out", q(out)},
         "report --mm-per-frame goes with --indications or --summary",
         out},
        {{"report", VANTREL_DEMO, "--summary", "--mm-per-frame", "0", "--out", q(out)},
         "mm-per-frame '0' is not a number above 0",
         out},
        {{"report", VANTREL_DEMO, "--summary", "--field", "Firma=X", "--out", q(out)},
         "unknown field 'Firma'",
         out},
        {{"report", VANTREL_DEMO, "--notes", "--yes", "--out", q(out)},
         "report --yes goes with --indications or --summary",
         out},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        std::filesystem::remove(out);
        const CliRun r = inspect(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.out.isEmpty());
        const std::string err = r.err.toStdString();
        EXPECT_EQ(err.rfind("vantrel-inspect: " + c.message, 0), 0u) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_FALSE(std::filesystem::exists(c.written));
    }
}

// Every error in the tool's one form: "vantrel-inspect: " and a line that
// says what is wrong, in lower case, without Qt's own wording; a file that
// cannot be written says why; a command's help names the command as typed.
TEST(InspectCli, OneMessageStyle) {
    const QString demo = VANTREL_DEMO;
    const QString missing = q(tempPath("no-such-folder")) + "/x";
    const struct {
        QStringList args;
        std::string message;
    } cases[] = {
        {{"overview", demo, "--bogus"},
         "unknown option '--bogus' (see vantrel-inspect overview --help)"},
        {{"overview", demo, "-x"}, "unknown option '-x' (see vantrel-inspect overview --help)"},
        {{"overview", demo, "--out"},
         "missing value after '--out' (see vantrel-inspect overview --help)"},
        {{"render", demo, "0", "0", "--out", missing + ".png"},
         "cannot write '" + (missing + ".png").toStdString() + "': No such file or directory"},
        {{"report", demo, "5", "0", "--out", missing + ".pdf"},
         "cannot write '" + (missing + ".pdf").toStdString() + "': No such file or directory"},
        {{"report", demo, "--notes", "--out", demo + "/pages"},
         "cannot write to the folder '" + (demo + "/pages").toStdString() + "': Not a directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliRun r = inspect(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_EQ(r.err.toStdString(), "vantrel-inspect: " + c.message + "\n");
    }
    for (const char* command : {"index", "overview", "report"}) {
        const CliRun r = inspect({command, "--help"});
        ASSERT_EQ(r.status, 0);
        EXPECT_TRUE(
            r.out.startsWith("Usage: vantrel-inspect " + QByteArray(command) + " [options]"))
            << r.out.left(80).toStdString();
    }
    const CliRun index = inspect({"index", "--help"});
    EXPECT_TRUE(index.out.contains("damaged")) << index.out.toStdString();
}

// evaluate: the JSON and the CSV of the indications against the DAC lines,
// positions at the peak (two gates: the path only; inch units), lengths in
// millimetres, and the option errors.
TEST(InspectCli, Evaluate) {
    using namespace vantrel::param;
    auto block = [](bool twoGate, bool inch) {
        return ParamBuilder()
            .u16(kGateALevel, 100)
            .bits(kDacOn, 1)
            .bits(kTwoGateReadout, twoGate ? 1 : 0)
            .bits(kInchUnits, inch ? 1 : 0)
            .u16(kGainTable + 2, 100)
            .u16(kGainTable + 4, 60)
            .u16(kGainTable + 6, static_cast<uint16_t>(-20))
            .u16(kGainTable + 8, static_cast<uint16_t>(-80))
            .b;
    };
    // Record 0 one-gate in mm, record 1 two-gate in inches; gate A amplitudes
    // -150 (EL is -180) in the first three frames of each, paths 480 + f,
    // surface 410 + f, depth 240 + f.
    RecordWriter w;
    for (int r = 0; r < 2; ++r) {
        Bytes b = makeFrames(5);
        for (int f = 0; f < 5; ++f) {
            const int32_t a = f < 3 ? -150 : -300;
            const int32_t v[4] = {480 + f, r ? a : 410 + f, r ? 0 : 240 + f, a};
            for (int i = 0; i < 4; ++i)
                storeU32(b.data() + f * kFrameSize + kFrameValuesOffset + 4 * i,
                         static_cast<uint32_t>(v[i]));
        }
        const ParameterBlock p = block(r == 1, r == 1);
        w.addRecord(b, &p);
    }
    const QString file = q(writeTemp("evaluate-cli.DAT", w.bytes()));
    const QString csvPath = q(tempPath("evaluate.csv"));
    const CliRun r = inspect({"evaluate", file, "--mm-per-frame=0.25", "--out", csvPath});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject j = r.json();
    EXPECT_EQ(j["frames"].toInt(), 8);
    EXPECT_EQ(j["evaluated"].toInt(), 8);
    const QJsonArray list = j["indications"].toArray();
    ASSERT_EQ(list.size(), 2);
    const QJsonObject one = list[0].toObject(), two = list[1].toObject();
    EXPECT_EQ(one["start"].toArray(), (QJsonArray{0, 0}));
    EXPECT_EQ(one["end"].toArray(), (QJsonArray{0, 2}));
    EXPECT_EQ(one["frames"].toInt(), 3);
    EXPECT_EQ(one["peak"].toArray(), (QJsonArray{0, 0}));
    EXPECT_EQ(one["dac"].toDouble(), -15.0);
    EXPECT_EQ(one["sl"].toDouble(), -3.0);
    EXPECT_EQ(one["zone"].toString(), "I");
    EXPECT_EQ(one["lines"].toObject(), (QJsonObject{{"RL", -4.0}, {"SL", -12.0}, {"EL", -18.0}}));
    EXPECT_EQ(one["path"].toDouble(), 48.0);
    EXPECT_EQ(one["surface"].toDouble(), 41.0);
    EXPECT_EQ(one["depth"].toDouble(), 24.0);
    EXPECT_EQ(one["positionUnit"].toString(), "mm");
    EXPECT_EQ(one["drop6"].toObject()["frames"].toInt(), 3);
    EXPECT_EQ(one["lengthMm"].toObject(), (QJsonObject{{"el", 0.8}, {"drop6", 0.8}}));
    EXPECT_TRUE(two["surface"].isNull());
    EXPECT_TRUE(two["depth"].isNull());
    EXPECT_EQ(two["path"].toDouble(), 48.0);
    EXPECT_EQ(two["positionUnit"].toString(), "in");
    QFile csv(csvPath);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_EQ(csv.readAll(),
              "indication,startRecord,startFrame,endRecord,endFrame,frames,peakRecord,peakFrame,"
              "dac,sl,zone,path,surface,depth,positionUnit,drop6Frames,elMm,drop6Mm\r\n"
              "0,0,0,0,2,3,0,0,-15.0,-3.0,I,48.0,41.0,24.0,mm,3,0.8,0.8\r\n"
              "1,1,0,1,2,3,1,0,-15.0,-3.0,I,48.0,,,in,3,0.8,0.8\r\n");
    // Without a travel: no lengths in mm. A gap merges the two, but the
    // echo positions of two readout forms and units cannot be compared: cut
    // again, unless the split is 0.
    EXPECT_EQ(inspect({"evaluate", file, "--gap", "2"}).json()["indications"].toArray().size(), 2);
    const CliRun merged = inspect({"evaluate", file, "--gap", "2", "--split=0"});
    ASSERT_EQ(merged.status, 0);
    const QJsonArray mergedList = merged.json()["indications"].toArray();
    ASSERT_EQ(mergedList.size(), 1);
    EXPECT_FALSE(mergedList[0].toObject().contains("lengthMm"));
    EXPECT_EQ(mergedList[0].toObject()["frames"].toInt(), 7);
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString(); // nothing to say without a kept file
    // The gap and split kept with the decisions are used unless given, and
    // the file they came from is named.
    {
        RecordFile recording;
        ASSERT_TRUE(recording.openRecordFile(file.toStdString()).ok());
        const RecordingIdentity identity = recordingIdentity(recording);
        QFile kept(file + ".vantrel.json");
        ASSERT_TRUE(kept.open(QIODevice::WriteOnly | QIODevice::Truncate));
        kept.write(QString(R"({"format": "vantrel-inspection", "version": 2,
            "recording": {"fileName": "evaluate-cli.DAT", "size": %1, "indexHash": "%2"},
            "saved": "2026-12-11T09:30:00.000Z", "reportCells": {}, "decisions": [],
            "frameCells": [],
            "settings": {"gap": 2, "split": 0, "percentThreshold": null, "dbThreshold": 0},
            "travel": {"method": "none", "mmPerFrame": "", "from": {"record": 0, "frame": 0},
                       "to": {"record": 0, "frame": 0}, "distanceMm": ""}})")
                       .arg(identity.size)
                       .arg(QString::fromStdString(identity.indexHash))
                       .toUtf8());
        kept.close();
        const CliRun keptRun = inspect({"evaluate", file});
        EXPECT_EQ(keptRun.json()["indications"].toArray().size(), 1);
        EXPECT_TRUE(keptRun.err.contains("decisions from")) << keptRun.err.toStdString();
        EXPECT_EQ(
            inspect({"evaluate", file, "--split", "3"}).json()["indications"].toArray().size(), 2);
        QFile::remove(file + ".vantrel.json");
    }
    for (const char* bad : {"-1", "x", "1e3", ""}) {
        const CliRun e = inspect({"evaluate", file, "--split", bad});
        EXPECT_EQ(e.status, 2) << bad;
        EXPECT_EQ(e.err.toStdString(), std::string("vantrel-inspect: split '") + bad +
                                           "' is not a distance in mm (0 or more)\n");
    }
    for (const char* bad : {"0", "-1", "x"}) {
        const CliRun e = inspect({"evaluate", file, "--mm-per-frame", bad});
        EXPECT_EQ(e.status, 2);
        EXPECT_EQ(e.err.toStdString(), std::string("vantrel-inspect: mm-per-frame '") + bad +
                                           "' is not a number above 0\n");
    }
}

// bscan: the matrix CSV of a range (records of 5 frames: 4 shown, frame f
// of a record carries samples f + k), the picture's size and colours, and
// the usage errors.
TEST(InspectCli, Bscan) {
    RecordWriter w;
    for (int r = 0; r < 3; ++r)
        w.addRecord(makeFrames(5, 10 * r));
    const QString file = q(writeTemp("bscan-cli.DAT", w.bytes()));
    const QString csvPath = q(tempPath("bscan.csv"));
    // 0:2 .. 2:1: 8 shown frames in 3 columns of 3, 3 and 2.
    CliRun r =
        inspect({"bscan", file, "--from", "0:2", "--to=2:1", "--columns", "3", "--out", csvPath});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QFile csv(csvPath);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = csv.readAll().split('\n');
    ASSERT_EQ(lines.size(), 5); // header, three columns, the end
    EXPECT_TRUE(lines[0].startsWith("column,firstRecord,firstFrame,lastRecord,lastFrame,s0,s1,"));
    EXPECT_TRUE(lines[0].endsWith(",s279\r"));
    // Largest of samples base + f + k (mod 201): 1:0 (base 10) is the largest of column 0
    // (0:2, 0:3, 1:0) at k = 0; column 2 holds 2:0, 2:1 (base 20, up to 21 + k).
    EXPECT_TRUE(lines[1].startsWith("0,0,2,1,0,10,11,")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith("1,1,1,1,3,13,14,")) << lines[2].toStdString();
    EXPECT_TRUE(lines[3].startsWith("2,2,0,2,1,21,22,")) << lines[3].toStdString();
    EXPECT_EQ(lines[1].count(','), 5 + 279);

    // The picture: one column per shown frame by default, 280 rows.
    const QString pngPath = q(tempPath("bscan.png"));
    r = inspect({"bscan", file, "--out", pngPath});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QImage image(pngPath);
    EXPECT_EQ(image.size(), QSize(12, 280));
    EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, bscanColour(0));
    EXPECT_EQ(image.pixel(0, 200) & 0xFFFFFF, bscanColour(200)); // full screen, the top colour
    EXPECT_EQ(bscanColour(200), bscanColour(255));
    EXPECT_NE(bscanColour(199), bscanColour(200));

    const struct {
        QStringList args;
        const char* message;
    } errors[] = {
        {{"--from", "2:0", "--to", "0:0"}, "lies after --to"},
        {{"--from", "0:4"}, "is not one of the file's shown frames"},
        {{"--to", "3:0"}, "is not one of the file's shown frames"},
        {{"--from", "x"}, "is not a place R:F"},
        {{"--columns", "0"}, "out of range"},
        {{"--columns", "65536"}, "out of range"},
    };
    for (const auto& e : errors) {
        const CliRun bad = inspect(QStringList{"bscan", file, "--out", csvPath} + e.args);
        EXPECT_EQ(bad.status, 2) << e.message;
        EXPECT_TRUE(bad.err.contains(e.message)) << bad.err.toStdString();
    }
    EXPECT_EQ(inspect({"bscan", file, "--out", q(tempPath("bscan.txt"))}).status, 2);
    EXPECT_EQ(inspect({"bscan", file}).status, 2);
}

// report --summary: the defect list of a recording with many evaluated
// indications over three A4 pages, every row once and in order, the table's
// head on every page, the head cells and the travel on the first, a foot
// line naming the recording on each; the same pages as pictures.
TEST(InspectCli, SummaryList) {
    if (!havePoppler()) GTEST_SKIP() << "poppler-utils is missing";
    // 60 records, each a frame below EL and one at -6.0 dB: 60 indications,
    // indication k at frame 1 of record k.
    std::vector<Rec> recs;
    for (int k = 0; k < 60; ++k)
        recs.push_back({{-300, -60}, k == 0 ? std::optional(dac(1)) : std::nullopt});
    const QString file = q(dacFileOf(recs, "summary.DAT"));
    const QString pdf = q(tempPath("summary.pdf"));
    QFile::remove(pdf);
    const CliRun r = inspect({"report", file, "--summary", "--mm-per-frame", "0.5", "--field",
                              QString::fromUtf8("检测单位=华东检测站"), "--field",
                              QString::fromUtf8("报告编号=R-7"), "--out", pdf});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    ASSERT_EQ(pdfPages(pdf.toStdString()), 3);
    QProcess info;
    info.start("pdfinfo", {pdf});
    info.waitForFinished(30000);
    const QString properties = QString::fromUtf8(info.readAllStandardOutput());
    EXPECT_TRUE(properties.contains("(A4)"));
    // Its own title, naming the recording, not the report page's.
    EXPECT_TRUE(properties.contains(
        QRegularExpression(QString::fromUtf8("Title:\\s+缺陷汇总 – ") +
                           QRegularExpression::escape(QFileInfo(file).fileName()) + "\\n")))
        << properties.toStdString();

    const QString today = QDate::currentDate().toString(Qt::ISODate);
    int row = 0; // the next row expected
    for (int page = 1; page <= 3; ++page) {
        SCOPED_TRACE("page " + std::to_string(page));
        const std::optional<QString> text = pdfPageText(pdf.toStdString(), page);
        ASSERT_TRUE(text);
        const int first = row;
        while (row < 60 && text->contains(QRegularExpression(
                               QString("(^|[^\\d:])%1:1–%1:1($|[^\\d])").arg(row))))
            ++row;
        EXPECT_GT(row, first);         // rows on every page, in order
        for (int k = 0; k < 60; ++k) { // and no other row
            if (k >= first && k < row) continue;
            EXPECT_FALSE(text->contains(
                QRegularExpression(QString("(^|[^\\d:])%1:1–%1:1($|[^\\d])").arg(k))))
                << k;
        }
        for (const char* head : {"序号", "SL±dB", "深度", "备注"})
            EXPECT_TRUE(text->contains(QString::fromUtf8(head))) << head;
        EXPECT_TRUE(text->contains("SL+6.0dB"));
        EXPECT_TRUE(text->contains("0.5 mm"));
        for (const char* head : {"华东检测站", "R-7", "行程：0.5 mm/帧（输入）",
                                 "达到评定线的指示：60 个；列入本表：60 个"})
            EXPECT_EQ(text->contains(QString::fromUtf8(head)), page == 1) << head;
        const QString foot =
            QString::fromUtf8("summary.DAT · 打印于 %1 · 第 %2/3 页").arg(today).arg(page);
        EXPECT_TRUE(text->contains(foot)) << foot.toStdString();
    }
    EXPECT_EQ(row, 60);

    // Pictures: a .png name takes the first page, the others beside it; a
    // folder takes defect-list-<i>.png.
    const std::string dir = tempPath("summary-pages");
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    ASSERT_EQ(inspect({"report", file, "--summary", "--out", q(dir + "/list.png")}).status, 0);
    for (const char* name : {"list.png", "list-1.png", "list-2.png"}) {
        const QImage page(q(dir + "/" + name));
        EXPECT_EQ(page.size(), QSize(794, 1123)) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(dir + "/list-3.png"));
    ASSERT_EQ(inspect({"report", file, "--summary", "--out", q(dir + "/pages")}).status, 0);
    for (int k = 0; k < 3; ++k)
        EXPECT_TRUE(
            std::filesystem::exists(dir + "/pages/defect-list-" + std::to_string(k) + ".png"));
    EXPECT_FALSE(std::filesystem::exists(dir + "/pages/defect-list-3.png"));
    std::filesystem::remove_all(dir);
}

// report --summary states what the list covers, and a recording that was
// not evaluated or is damaged never gets a clean sheet: the sheet says so
// instead of "没有要报告的缺陷", stderr warns and the exit status is 3. The
// demo's sheet names its evaluated frames, its lines and the % and DGS
// stretches whose echoes no DAC line judges.
TEST(InspectCli, SummaryStatesItsCoverage) {
    if (!havePoppler()) GTEST_SKIP() << "poppler-utils is missing";
    const QString clean = QString::fromUtf8("没有要报告的缺陷");
    // A text file renamed .DAT, and the demo cut after its first 101 records.
    const QString junk = q(writeTemp("junk.DAT", Bytes(4000, 'x')));
    QFile demoFile(VANTREL_DEMO);
    ASSERT_TRUE(demoFile.open(QIODevice::ReadOnly));
    const QByteArray demoBytes = demoFile.readAll();
    RecordFile demoIndex;
    ASSERT_TRUE(demoIndex.openRecordFile(VANTREL_DEMO).ok());
    const RecordIndexEntry& cut = demoIndex.recordIndex()[101];
    const QString damaged = q(writeTemp(
        "damaged.DAT", Bytes(demoBytes.begin(), demoBytes.begin() + cut.fileOffset + 10)));
    const struct {
        const char* what;
        QString file;
        int status;
        std::vector<const char*> sheet; // lines the first page holds (blanks aside)
        const char* warning;            // a line of stderr
    } cases[] = {
        {"junk",
         junk,
         3,
         {"未评定：文件中没有可读的记录", "没有评定任何帧，不能作出无缺陷的结论"},
         "nothing in"},
        {"a copy missing records",
         damaged,
         3,
         {"文件损坏：文件头声明 300 个记录，可读 101 个，缺失 199 个", "未评定：",
          "没有评定任何帧，不能作出无缺陷的结论"},
         "is damaged: 199 of 300 records missing"},
        {"the demo",
         VANTREL_DEMO,
         0,
         {"评定范围：1185 / 3000 帧（DAC 方式且闸门A有回波），记录 140–261", "DAC 线（按记录）：RL",
          "未评定（% 方式，无 DAC 线）但有达到阈值的回波：记录",
          "未评定（DGS 方式，无 DAC 线）但有达到阈值的回波：记录"},
         "were not evaluated (no DAC lines) in records"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString pdf = q(tempPath("coverage.pdf"));
        QFile::remove(pdf);
        const CliRun r = inspect({"report", c.file, "--summary", "--out", pdf});
        EXPECT_EQ(r.status, c.status) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.warning)) << r.err.toStdString();
        std::optional<QString> text = pdfPageText(pdf.toStdString(), 1);
        ASSERT_TRUE(text);
        text->remove(QRegularExpression("\\s"));
        for (const char* line : c.sheet)
            EXPECT_TRUE(text->contains(QString::fromUtf8(line).remove(' '))) << line;
        if (c.status != 0) {
            EXPECT_FALSE(text->contains(clean));
        }
    }
}

// The decisions kept beside the recording reach the sheet by the indication
// that now holds their peak: one of the first file version, made on the run
// the weld root once joined to the flaw at 185 (142:4-219:0), lands on the
// flaw's own indication; a manual indication kept in the file is printed
// as 人工 with the inspector's words.
TEST(InspectCli, SummaryCarriesTheKeptDecisions) {
    if (!havePoppler()) GTEST_SKIP() << "poppler-utils is missing";
    const std::string dir = tempPath("kept-decisions");
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string copy = dir + "/demo.DAT";
    std::filesystem::copy_file(VANTREL_DEMO, copy);
    RecordFile recording;
    ASSERT_TRUE(recording.openRecordFile(copy).ok());
    const RecordingIdentity identity = recordingIdentity(recording);
    auto keep = [&](int version, const QString& decisions) {
        QFile f(q(copy + ".vantrel.json"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QString(R"({"format": "vantrel-inspection", "version": %1,
            "recording": {"fileName": "demo.DAT", "size": %2, "indexHash": "%3"},
            "saved": "2026-12-11T09:30:00.000Z", "reportCells": {},
            "travel": {"method": "none", "mmPerFrame": "", "from": {"record": 0, "frame": 0},
                       "to": {"record": 0, "frame": 0}, "distanceMm": ""},
            %5"decisions": [%4]})")
                    .arg(version)
                    .arg(identity.size)
                    .arg(QString::fromStdString(identity.indexHash), decisions,
                         version > 1 ? R"("settings": null, "frameCells": [], )" : "")
                    .toUtf8());
    };
    auto sheet = [&]() -> QString {
        const std::string pdf = dir + "/list.pdf";
        const CliRun r = inspect({"report", q(copy), "--summary", "--out", q(pdf)});
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("decisions from")) << r.err.toStdString();
        return pdfPageText(pdf, 1).value_or(QString());
    };
    keep(1, R"({"start": {"record": 142, "frame": 4}, "end": {"record": 219, "frame": 0},
               "nature": "未熔合", "grade": "III", "remark": "", "reported": true})");
    QString text = sheet();
    EXPECT_TRUE(text.contains(QRegularExpression(
        QString::fromUtf8("166:4–204:0\\s+185:2\\s+SL\\+14\\.3dB\\s+III.*未熔合"),
        QRegularExpression::DotMatchesEverythingOption)))
        << text.toStdString();
    EXPECT_FALSE(text.contains(QString::fromUtf8("未对应任何指示的决定")));

    keep(2, R"({"start": {"record": 246, "frame": 0}, "end": {"record": 251, "frame": 0},
               "peak": {"record": 248, "frame": 3}, "manual": true, "nature": "裂纹",
               "grade": "III", "remark": "根部", "reported": true, "cells": {}})");
    text = sheet();
    EXPECT_TRUE(text.contains(QString::fromUtf8("246:0–251:0"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromUtf8("人工")));
    EXPECT_TRUE(text.contains(QString::fromUtf8("裂纹")));
    std::filesystem::remove_all(dir);
}

// report --indications pre-fills 长度 with the calibrated 6 dB length and
// 备注 with the zone and SL±dB of the evaluated indication holding the
// page's peak; a page whose peak none holds (a % indication) gets neither;
// a typed cell wins over both.
TEST(InspectCli, IndicationPagesPrefilled) {
    if (!havePoppler()) GTEST_SKIP() << "poppler-utils is missing";
    // Record 0 in %: an indication at 60.0 %; record 1 against the DAC
    // curve: -7.4, -6.0, -7.4 dB, an indication at the overview's -20 dB
    // and an evaluated one (EL -18.0 dB) in zone II, 6.0 dB over SL.
    const QString file = q(dacFileOf(
        {{{600, 600, 0}, percent()}, {{-300, -74, -60, -74, -300}, dac(1)}}, "prefill.DAT"));
    const QString pdf = q(tempPath("prefill.pdf"));
    const struct {
        QStringList extra;
        std::vector<const char*> dacPage, none; // on the DAC indication's page, on neither page
        std::vector<const char*> both;          // on both pages
    } cases[] = {
        {{"--mm-per-frame", "0.25"}, {"0.8 mm (6 dB)", "II区 SL+6.0dB"}, {}, {}},
        {{}, {"II区 SL+6.0dB"}, {"(6 dB)"}, {}},
        {{"--mm-per-frame", "0.25", "--field", QString::fromUtf8("备注=复验"), "--field",
          QString::fromUtf8("长度=15 mm")},
         {},
         {"II区", "0.8 mm"},
         {"复验", "15 mm"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.extra.join(' ').toStdString());
        const CliRun r = inspect(
            QStringList{"report", file, "--indications", "--threshold-db", "-20", "--out", pdf} +
            c.extra);
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        ASSERT_EQ(pdfPages(pdf.toStdString()), 2);
        const QString percentPage = pdfPageText(pdf.toStdString(), 1).value_or("");
        const QString dacPage = pdfPageText(pdf.toStdString(), 2).value_or("");
        for (const char* t : c.dacPage) {
            EXPECT_TRUE(dacPage.contains(QString::fromUtf8(t))) << t;
            EXPECT_FALSE(percentPage.contains(QString::fromUtf8(t))) << t;
        }
        for (const char* t : c.none)
            EXPECT_FALSE(dacPage.contains(QString::fromUtf8(t)) ||
                         percentPage.contains(QString::fromUtf8(t)))
                << t;
        for (const char* t : c.both)
            EXPECT_TRUE(dacPage.contains(QString::fromUtf8(t)) &&
                        percentPage.contains(QString::fromUtf8(t)))
                << t;
        EXPECT_FALSE(percentPage.contains(QString::fromUtf8("区 SL")));
    }
}

// The batch reports start from the inspection the viewer keeps beside the
// recording: an unreported indication stays out of the defect list, the
// inspector's words and typed cells are in it, --field wins over a kept
// cell; a damaged inspection file is said on stderr and left out.
TEST(InspectCli, SummaryStartsFromTheInspectionFile) {
    if (!havePoppler()) GTEST_SKIP() << "poppler-utils is missing";
    // Only the file beside counts here: a data folder of its own, empty.
    const QByteArray home = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", q(tempPath("kept-data")).toUtf8());
    std::vector<Rec> recs;
    for (int k = 0; k < 3; ++k)
        recs.push_back({{-300, -60}, k == 0 ? std::optional(dac(1)) : std::nullopt});
    const std::string path = dacFileOf(recs, "kept.DAT");
    RecordFile recording;
    ASSERT_TRUE(recording.openRecordFile(path).ok());
    InspectionDocument doc;
    doc.recording = recordingIdentity(recording);
    doc.saved = "2026-12-11T10:00:00Z";
    IndicationDecision skipped, kept;
    skipped.start = skipped.end = {1, 1};
    skipped.reported = false;
    kept.start = kept.end = {2, 1};
    kept.nature = "未熔合";
    kept.grade = "III";
    kept.remark = "复检确认";
    doc.inspection.decisions = {skipped, kept};
    doc.inspection.reportCells = {{"检测单位", "保存的单位"}, {"报告编号", "R-1"}};
    const QString beside = q(path) + ".vantrel.json";
    {
        QFile f(beside);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(inspectionJson(doc));
    }
    const QString pdf = q(tempPath("kept.pdf"));
    CliRun r = inspect({"report", q(path), "--summary", "--field",
                        QString::fromUtf8("报告编号=R-2"), "--out", pdf});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    // The one line on stderr names the file the decisions came from, and so
    // does the sheet.
    EXPECT_EQ(r.err, QString("vantrel-inspect: decisions from '%1'\n").arg(beside));
    std::optional<QString> text = pdfPageText(pdf.toStdString(), 1);
    ASSERT_TRUE(text);
    for (const char* t :
         {"0:1–0:1", "2:1–2:1", "未熔合", "III", "复检确认", "保存的单位", "R-2", "列入本表：2 个"})
        EXPECT_TRUE(text->contains(QString::fromUtf8(t))) << t;
    EXPECT_TRUE(text->contains(QString::fromUtf8("评定文件：") + beside)) << text->toStdString();
    EXPECT_FALSE(text->contains("1:1–1:1"));
    EXPECT_FALSE(text->contains("R-1"));

    // Damaged: said, not used, and left as it is.
    {
        QFile f(beside);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("{\"format\": \"vantrel-insp");
    }
    r = inspect({"report", q(path), "--summary", "--out", pdf});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.startsWith("vantrel-inspect: warning: ")) << r.err.toStdString();
    EXPECT_TRUE(
        r.err.endsWith("vantrel-inspect: no inspection file: decisions from the recording alone\n"))
        << r.err.toStdString();
    EXPECT_EQ(r.err.count('\n'), 2);
    text = pdfPageText(pdf.toStdString(), 1);
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->contains("1:1–1:1"));
    EXPECT_TRUE(text->contains(QString::fromUtf8("评定文件：无")));
    QFile f(beside);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("{\"format\": \"vantrel-insp"));
    qputenv("XDG_DATA_HOME", home);
}

namespace {

// `count` indications against the DAC curve, 13 to a record: shown frames
// at 0.0 dB (on the curve, and over EL) between frames at -30.0 dB.
std::string indicationsFile(int count, const std::string& name) {
    std::vector<Rec> recs;
    for (int left = count; left > 0; left -= 13) {
        std::vector<int32_t> a;
        for (int k = 0; k < std::min(left, 13); ++k)
            a.insert(a.end(), {0, -300});
        recs.push_back({a, recs.empty() ? std::optional(dac(1)) : std::nullopt});
    }
    return dacFileOf(recs, name);
}

} // namespace

// Pictures in a folder sort in page order: their numbers padded with zeros
// to the width of the largest; note-<i>.png keeps its plain numbers.
TEST(InspectCli, BatchPictureNamesSortInPageOrder) {
    const QString file = q(indicationsFile(11, "eleven.DAT"));
    ASSERT_EQ(inspect({"overview", file}).json()["indications"].toArray().size(), 11);
    const std::string folder = tempPath("eleven-pages");
    std::filesystem::remove_all(folder);
    const CliRun r = inspect({"report", file, "--indications", "--out", q(folder)});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::vector<std::string> expected;
    for (int k = 0; k <= 10; ++k)
        expected.push_back((k < 10 ? "indication-0" : "indication-") + std::to_string(k) + ".png");
    EXPECT_EQ(names, expected);
    std::filesystem::remove_all(folder);
}

// More than 1000 pages of indications are a usage error that says how many
// and what to give, before anything is written; with --yes they are
// written, and a writing that takes long says how far it has got, on
// stderr only.
TEST(InspectCli, ManyPagesAskForYes) {
    if (!havePoppler()) GTEST_SKIP() << "poppler-utils is missing";
    const QString file = q(indicationsFile(1001, "many.DAT"));
    const std::string pdf = tempPath("many.pdf"), folder = tempPath("many-pages");
    std::filesystem::remove(pdf);
    std::filesystem::remove_all(folder);
    for (const std::string& out : {pdf, folder}) {
        SCOPED_TRACE(out);
        const CliRun r = inspect({"report", file, "--indications", "--out", q(out)});
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_EQ(r.err.toStdString(),
                  "vantrel-inspect: report --indications would write 1001 pages (more than "
                  "1000): give --yes to write them all, or fewer indications with --threshold, "
                  "--threshold-db or --gap\n");
        EXPECT_FALSE(std::filesystem::exists(out));
    }

    QElapsedTimer clock;
    clock.start();
    const CliRun r = inspect({"report", file, "--indications", "--yes", "--out", q(pdf)});
    const qint64 took = clock.elapsed();
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(pdfPages(pdf), 1001);
    const QStringList lines = QString::fromUtf8(r.err).split('\n', Qt::SkipEmptyParts);
    for (const QString& line : lines)
        EXPECT_TRUE(QRegularExpression("^vantrel-inspect: (page \\d+ of 1001 written|1001 pages "
                                       "written in \\d+ s|no inspection file: decisions from "
                                       "the recording alone)$")
                        .match(line)
                        .hasMatch())
            << line.toStdString();
    // Progress starts after two seconds: a writing that took clearly longer
    // said so, and said when it was done.
    const QStringList progress = lines.filter(QRegularExpression(" written"));
    if (took > 3000) {
        ASSERT_GE(progress.size(), 2) << took << " ms";
        EXPECT_TRUE(progress.last().startsWith("vantrel-inspect: 1001 pages written in "));
    }
    std::filesystem::remove(pdf);
}

// The progress lines on a clock the test moves: none while the job is
// quick, the first once it has taken two seconds, then one every five, and
// a last line only after a progress line.
TEST(InspectCli, ProgressOnlyWhenItTakesLong) {
    using namespace std::chrono;
    steady_clock::time_point t{};
    std::string lines;
    auto run = [&](const std::vector<std::pair<int, int>>& steps) { // (ms, done)
        lines.clear();
        t = steady_clock::time_point{};
        cli::Progress progress([&](std::string_view s) { lines += s; }, "page", 100,
                               [&] { return t; });
        for (auto [ms, done] : steps) {
            t = steady_clock::time_point{} + milliseconds(ms);
            progress.step(done);
        }
        progress.finish();
        return lines;
    };
    EXPECT_EQ(run({{100, 1}, {1999, 99}, {1999, 100}}), "");
    EXPECT_EQ(run({{1000, 1}, {2000, 2}, {6999, 3}, {7000, 4}, {8000, 5}, {11999, 100}}),
              "vantrel-inspect: page 2 of 100 written\n"
              "vantrel-inspect: page 4 of 100 written\n"
              "vantrel-inspect: 100 pages written in 12 s\n");
    // No sink: nothing, and nothing asked of the clock's reader.
    cli::Progress silent({}, "page", 3);
    silent.step(3);
    silent.finish();
}

// A typed text too long for its cell ends there in "…" and is printed whole
// below the cells, on the one page of the PDF and of the picture; the
// page's PDF keeps its own title.
TEST(InspectCli, ReportPrintsCutCellsWhole) {
    if (!havePoppler()) GTEST_SKIP() << "poppler-utils is missing";
    const std::string file = fixture();
    QString remark, unit;
    for (int k = 0; k < 8; ++k)
        remark += QString::fromUtf8("焊缝根部未熔合第%1处，长度约十二毫米，复检确认。").arg(k);
    for (int k = 0; k < 4; ++k)
        unit += QString::fromUtf8("华东检测站第%1分站超声检测室").arg(k);
    const QStringList fields{"--field", QString::fromUtf8("备注=") + remark,
                             "--field", QString::fromUtf8("检测单位=") + unit,
                             "--field", QString::fromUtf8("报告编号=R-7")};
    const std::string pdf = tempPath("cut.pdf");
    CliRun r = inspect(QStringList{"report", q(file), "2", "3", "--out", q(pdf)} + fields);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(pdfPages(pdf), 1);
    const QString text = pdfPageText(pdf, 1).value_or("");
    const QString joined = QString(text).remove('\n');
    EXPECT_EQ(text.count(QString::fromUtf8("…")), 2) << text.toStdString();
    EXPECT_EQ(text.count(QString::fromUtf8("表中未能印全的文字")), 1) << text.toStdString();
    for (const QString& whole :
         {QString::fromUtf8("备注：") + remark, QString::fromUtf8("检测单位：") + unit})
        EXPECT_TRUE(joined.contains(whole)) << whole.toStdString() << "\n" << text.toStdString();
    EXPECT_FALSE(
        text.contains(QString::fromUtf8("报告编号："))); // a text that fits is not repeated
    QProcess info;
    info.start("pdfinfo", {q(pdf)});
    info.waitForFinished(30000);
    EXPECT_TRUE(QString::fromUtf8(info.readAllStandardOutput())
                    .contains(QRegularExpression("Title:\\s+Vantrel inspection report\\n")));

    // The picture: the page's size, the whole texts beside the plot; none
    // there when every text fits.
    auto inkBesideThePlot = [&](const QStringList& given) {
        const std::string png = tempPath("cut.png");
        const CliRun run =
            inspect(QStringList{"report", q(file), "2", "3", "--out", q(png)} + given);
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        const QImage page(q(png));
        EXPECT_EQ(page.size(), QSize(794, 1123));
        int ink = 0;
        for (int y = 793; y < 793 + 281; ++y)
            for (int x = 380; x < 380 + 365; ++x)
                ink += qGray(page.pixel(x, y)) < 128;
        return ink;
    };
    EXPECT_GT(inkBesideThePlot(fields), 500);
    EXPECT_EQ(inkBesideThePlot({"--field", QString::fromUtf8("备注=复验")}), 0);
}

// Which inspection file the batch reports take, by the viewer's rule: the
// file beside the recording; the viewer's data folder's only where nothing
// can be written beside; a data-folder file of another copy is never taken
// silently (stderr names it as not used).
TEST(InspectCli, SummaryTakesTheDataFolderFileOnlyWhereNothingCanBeWrittenBeside) {
    if (!havePoppler()) GTEST_SKIP() << "poppler-utils is missing";
    const QByteArray home = qgetenv("XDG_DATA_HOME");
    const QString dataHome = q(tempPath("copy-data"));
    QDir(dataHome).removeRecursively();
    qputenv("XDG_DATA_HOME", dataHome.toUtf8());
    std::vector<Rec> recs;
    for (int k = 0; k < 3; ++k)
        recs.push_back({{-300, -60}, k == 0 ? std::optional(dac(1)) : std::nullopt});
    const std::string path = dacFileOf(recs, "copied.DAT");
    RecordFile recording;
    ASSERT_TRUE(recording.openRecordFile(path).ok());
    const RecordingIdentity id = recordingIdentity(recording);
    // The data folder's file: as the viewer saved it for a read-only copy.
    auto decided = [&](const char* remark) {
        InspectionDocument doc{id, "2026-12-11T10:00:00.000Z", {}};
        IndicationDecision& d = doc.inspection.decide({2, 1}, {2, 1});
        d.remark = remark;
        return inspectionJson(doc);
    };
    const QString data = inspectionPaths(q(path), id, viewerDataFolder()).dataFolder;
    ASSERT_TRUE(data.startsWith(dataHome + "/Vantrel/inspections/")) << data.toStdString();
    QDir().mkpath(QFileInfo(data).path());
    auto write = [](const QString& file, const QByteArray& bytes) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    };
    write(data, decided("副本评定"));
    // A copy on a place that takes no file, not even root's: a memory file.
    Bytes bytes(static_cast<size_t>(recording.fileSize()));
    {
        QFile f(q(path));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        ASSERT_EQ(f.read(reinterpret_cast<char*>(bytes.data()), f.size()), f.size());
    }
    const int fd = memfd_create("copied.DAT", 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(pwrite(fd, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
    const QString readOnly = QString("/proc/self/fd/%1").arg(fd);
    const QString beside = q(path) + ".vantrel.json";
    const QString pdf = q(tempPath("copied.pdf"));

    struct Case {
        const char* name;
        QString recording;
        QByteArray besideFile; // empty: none
        QString err;
        const char* remark; // on the sheet, or nullptr for none
    } cases[] = {
        {"read-only copy: the data folder's",
         readOnly,
         {},
         QString("vantrel-inspect: decisions from '%1'\n").arg(data),
         "副本评定"},
        {"writable, nothing beside: the data folder's is not taken",
         q(path),
         {},
         QString("vantrel-inspect: no inspection file: decisions from the recording alone; '%1' "
                 "holds other decisions for this recording and was not used\n")
             .arg(data),
         nullptr},
        {"writable, a file beside: that one", q(path), decided("原件评定"),
         QString("vantrel-inspect: decisions from '%1'; '%2' holds other decisions for this "
                 "recording and was not used\n")
             .arg(beside, data),
         "原件评定"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(beside);
        if (!c.besideFile.isEmpty()) write(beside, c.besideFile);
        const CliRun r = inspect({"report", c.recording, "--summary", "--out", pdf});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(r.err, c.err);
        const std::optional<QString> text = pdfPageText(pdf.toStdString(), 1);
        ASSERT_TRUE(text);
        EXPECT_EQ(text->contains(QString::fromUtf8("副本评定")),
                  c.remark && std::string(c.remark) == "副本评定");
        if (c.remark) {
            EXPECT_TRUE(text->contains(QString::fromUtf8(c.remark))) << text->toStdString();
        }
    }
    close(fd);
    QFile::remove(beside);
    qputenv("XDG_DATA_HOME", home);
}

// report --indications fills each page's flaw cells from its own indication:
// the cells kept with the decision of the second indication go on its page
// only, those kept by the third indication's frame on that page only; a
// kept cell wins over the pre-filled remark, a --field cell over both.
TEST(InspectCli, IndicationPagesTakeTheirOwnFlawCells) {
    if (!havePoppler()) GTEST_SKIP() << "poppler-utils is missing";
    const std::string file = indicationsFile(3, "own-cells.DAT"); // 0:0, 0:2, 0:4
    RecordFile recording;
    ASSERT_TRUE(recording.openRecordFile(file).ok());
    const RecordingIdentity identity = recordingIdentity(recording);
    {
        QFile f(q(file + ".vantrel.json"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QString(R"({"format": "vantrel-inspection", "version": 2,
            "recording": {"fileName": "own-cells.DAT", "size": %1, "indexHash": "%2"},
            "saved": "2026-12-11T09:30:00.000Z", "reportCells": {"检测单位": "华东检测站"},
            "settings": null,
            "travel": {"method": "none", "mmPerFrame": "", "from": {"record": 0, "frame": 0},
                       "to": {"record": 0, "frame": 0}, "distanceMm": ""},
            "decisions": [{"start": {"record": 0, "frame": 2}, "end": {"record": 0, "frame": 2},
                           "peak": {"record": 0, "frame": 2}, "manual": false, "nature": "",
                           "grade": "", "remark": "", "reported": true,
                           "cells": {"备注": "夹渣", "探伤结果": "返修"}}],
            "frameCells": [{"frame": {"record": 0, "frame": 4}, "cells": {"长度": "9 mm"}}]})")
                    .arg(identity.size)
                    .arg(QString::fromStdString(identity.indexHash))
                    .toUtf8());
    }
    const std::string pdf = tempPath("own-cells.pdf");
    CliRun r = inspect({"report", q(file), "--indications", "--out", q(pdf)});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    ASSERT_EQ(pdfPages(pdf), 3);
    const struct {
        std::vector<const char*> present, absent;
    } pages[] = {
        {{"华东检测站", "III区"}, {"夹渣", "返修", "9 mm"}},
        {{"华东检测站", "夹渣", "返修"}, {"III区", "9 mm"}},
        {{"华东检测站", "9 mm", "III区"}, {"夹渣", "返修"}},
    };
    for (int page = 0; page < 3; ++page) {
        SCOPED_TRACE("page " + std::to_string(page));
        const QString text = pdfPageText(pdf, page + 1).value_or(QString());
        for (const char* t : pages[page].present)
            EXPECT_TRUE(text.contains(QString::fromUtf8(t))) << t;
        for (const char* t : pages[page].absent)
            EXPECT_FALSE(text.contains(QString::fromUtf8(t))) << t;
    }
    // --field goes on every page, over the kept cells.
    r = inspect({"report", q(file), "--indications", "--field", QString::fromUtf8("备注=复验"),
                 "--out", q(pdf)});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_FALSE(pdfPageText(pdf, 2).value_or(QString()).contains(QString::fromUtf8("夹渣")));
    EXPECT_TRUE(pdfPageText(pdf, 2).value_or(QString()).contains(QString::fromUtf8("复验")));
    QFile::remove(q(file + ".vantrel.json"));
}
