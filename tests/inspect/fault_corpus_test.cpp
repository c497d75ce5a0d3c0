// vantrel-inspect against damaged recordings: every truncation of the first
// 64 KiB of the demo recording, thousands of seeded random damages, and
// files that are not recordings at all. Every call must end with exit 0
// (a JSON result) or 2 (one line naming the problem), and the intact
// records before a damaged one must stay indexed and readable. The commands
// run in-process, through the same entry point as the program, so the
// sanitizer build checks every byte they touch.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <fcntl.h>
#include <filesystem>
#include <random>
#include <unistd.h>

#include "inspect/inspect.h"
#include "recordfile/instrument_params.h"
#include "recordfile/record_file.h"
#include "test_files.h"
#include "test_seed.h"

using namespace vantrel;
using namespace vantrel::testing;

namespace {

struct Call {
    int status;
    std::string out, err;
};

Call inspect(const QStringList& args) {
    Call c;
    c.status = runInspect(QStringList{"vantrel-inspect"} + args, c.out, c.err);
    return c;
}

// The contract: 0 with a result and nothing on stderr, or 2 with nothing on
// stdout and one line on stderr. Never 1 (an internal failure) for input.
void expectContract(const Call& c, const QStringList& args) {
    const std::string what = args.join(' ').toStdString();
    ASSERT_TRUE(c.status == 0 || c.status == 2) << what << " -> " << c.status << " " << c.err;
    if (c.status == 0) {
        EXPECT_TRUE(c.err.empty()) << what;
    } else {
        EXPECT_TRUE(c.out.empty()) << what;
        EXPECT_EQ(c.err.rfind("vantrel-inspect: ", 0), 0u) << what << ": " << c.err;
        EXPECT_EQ(std::count(c.err.begin(), c.err.end(), '\n'), 1) << what << ": " << c.err;
    }
}

QJsonObject json(const Call& c) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(c.out)).object();
}

struct Entry {
    int offset, size, parameterOffset;
    bool operator==(const Entry&) const = default;
};

std::vector<Entry> entriesOf(const QJsonObject& index) {
    std::vector<Entry> v;
    for (const QJsonValue& r : index["records"].toArray()) {
        const QJsonArray a = r.toArray();
        v.push_back({a[0].toInt(), a[1].toInt(), a[2].toInt()});
    }
    return v;
}

Bytes demoPrefix(size_t n) {
    const auto demo = readBytes(VANTREL_DEMO);
    EXPECT_TRUE(demo.has_value());
    return Bytes(demo->begin(),
                 demo->begin() + static_cast<std::ptrdiff_t>(std::min(n, demo->size())));
}

// The decoded records of the demo recording and their trailer lengths.
struct Decoded {
    Bytes bytes;
    int32_t trailerLength;
};

std::vector<Decoded> demoRecords(int count) {
    RecordFile f;
    EXPECT_TRUE(f.openRecordFile(VANTREL_DEMO).ok());
    InstrumentParams p;
    std::vector<Decoded> out;
    for (int r = 0; r < count; ++r) {
        f.readRecordAt(f.indexEntryAt(r)->fileOffset, p);
        out.push_back({Bytes(f.decoded().begin(), f.decoded().end()), f.layout().trailerLength});
    }
    return out;
}

} // namespace

TEST(FaultCorpus, EveryTruncationOfTheFirst64KiB) {
    const Bytes prefix = demoPrefix(64 * 1024);
    const std::string path = tempPath("cut.DAT");
    ASSERT_TRUE(writeBytes(path, prefix));
    const Call whole = inspect({"index", QString::fromStdString(path)});
    ASSERT_EQ(whole.status, 0);
    const std::vector<Entry> all = entriesOf(json(whole));
    ASSERT_GT(all.size(), 20u);

    const int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    const QString file = QString::fromStdString(path);
    for (int64_t t = static_cast<int64_t>(prefix.size()); t >= 0; --t) {
        ASSERT_EQ(ftruncate(fd, t), 0);
        const Call c = inspect({"index", file});
        expectContract(c, {"index", QString("cut at %1").arg(t)});
        if (t < 4) {
            ASSERT_EQ(c.status, 2);
            ASSERT_EQ(c.err, "vantrel-inspect: cannot read '" + path +
                                 "': file is shorter than its 4-byte record count\n");
            continue;
        }
        ASSERT_EQ(c.status, 0) << t;
        // Exactly the records that lie wholly before the cut are indexed.
        std::vector<Entry> expected;
        for (const Entry& e : all)
            if (e.offset + e.size <= t) expected.push_back(e);
        ASSERT_EQ(entriesOf(json(c)), expected) << "cut at " << t;
        // Now and then read what is left, record and pictures included.
        if (t % 251 == 0 && !expected.empty()) {
            const QString last = QString::number(expected.size() - 1);
            for (const QStringList& args :
                 {QStringList{"record", file, last}, QStringList{"curves", file, last},
                  QStringList{"render", file, last, "0", "--out",
                              QString::fromStdString(tempPath("cut.png"))},
                  QStringList{"export", file, "--out", "/dev/null"}}) {
                const Call r = inspect(args);
                expectContract(r, args);
                EXPECT_EQ(r.status, 0)
                    << args.join(' ').toStdString() << " at " << t << ": " << r.err;
            }
        }
    }
    ::close(fd);
}

// Seeded damage: header fields, flipped bytes, and parameter fields changed
// inside the compressed records (re-encoded with our own encoder).
TEST(FaultCorpus, RandomDamage) {
    const TestSeed seed;
    std::mt19937 rng(seed.value());
    const std::vector<Decoded> records = demoRecords(40);
    const Bytes original = [&] {
        RecordWriter w;
        for (const Decoded& d : records)
            w.addDecoded(d.bytes, d.trailerLength);
        return w.bytes();
    }();
    RecordWriter intact;
    for (const Decoded& d : records)
        intact.addDecoded(d.bytes, d.trailerLength);
    const std::vector<int64_t> offsets = intact.offsets();

    const int32_t nasty[] = {
        0,    1,    -1,    3,     4,     97,    98,    200,   217,       218,       219,
        255,  256,  299,   300,   301,   600,   899,   900,   901,       1800,      3599,
        6168, 6169, 16384, 16385, 32767, 32768, 65535, 65536, INT32_MAX, INT32_MIN, 0x7FFFFFF0};
    auto pick = [&](auto& list) {
        return list[std::uniform_int_distribution<size_t>(0, std::size(list) - 1)(rng)];
    };
    std::uniform_int_distribution<int> recordOf(0, static_cast<int>(records.size()) - 1);

    const std::string path = tempPath("damaged.DAT");
    const QString file = QString::fromStdString(path);
    const QString png = QString::fromStdString(tempPath("damaged.png"));
    constexpr int kMutants = 2000;
    for (int m = 0; m < kMutants; ++m) {
        Bytes bytes;
        int damagedRecord = 0; // the first record the damage can touch
        const int kind = std::uniform_int_distribution<int>(0, 5)(rng);
        if (kind <= 1) {
            // A record header field or the announced count.
            bytes = original;
            damagedRecord = recordOf(rng);
            const int64_t at = kind == 0 ? offsets[static_cast<size_t>(damagedRecord)] +
                                               4 * std::uniform_int_distribution<int>(0, 1)(rng)
                                         : 0;
            setWord(bytes, at, pick(nasty));
            if (kind == 1) damagedRecord = 0;
        } else if (kind == 2) {
            // Flipped bytes anywhere after the count.
            bytes = original;
            const size_t first =
                flipBytes(bytes, rng, std::uniform_int_distribution<int>(1, 16)(rng), 4);
            while (damagedRecord + 1 < static_cast<int>(offsets.size()) &&
                   offsets[static_cast<size_t>(damagedRecord + 1)] <= static_cast<int64_t>(first))
                ++damagedRecord;
        } else {
            // Parameter and note fields inside a record's trailer, or a
            // trailer length that does not fit the record.
            RecordWriter w;
            damagedRecord = recordOf(rng);
            for (size_t r = 0; r < records.size(); ++r) {
                Decoded d = records[r];
                if (static_cast<int>(r) == damagedRecord) {
                    if (kind == 5 || d.trailerLength == 0) {
                        d.trailerLength = pick(nasty);
                    } else {
                        uint8_t* block =
                            d.bytes.data() + d.bytes.size() - static_cast<size_t>(d.trailerLength);
                        const int fields[] = {
                            param::kNoteLength,  param::kDacPointCount,  param::kGateAStart,
                            param::kGateAWidth,  param::kGateALevel,     param::kGateBStart,
                            param::kGateBLevel,  param::kProbeAngle,     param::kRange,
                            param::kDelay,       param::kVelocity,       param::kCrystalSize,
                            param::kBaseGain,    param::kGainTable + 2,  param::kGainTable + 14,
                            param::kDacPointPos, param::kDacPointDb + 2, param::kModeWord,
                            param::kCurveFlags,  param::kDisplayFlags};
                        setBlockField(block, pick(fields), pick(nasty));
                        // Curve mode on, so the damaged curve fields are drawn.
                        if (std::uniform_int_distribution<int>(0, 1)(rng))
                            storeU32(block + param::kCurveFlags,
                                     loadU32Unchecked(block + param::kCurveFlags) | 0x1C);
                    }
                }
                w.addDecoded(d.bytes, d.trailerLength);
            }
            bytes = w.bytes();
        }
        ASSERT_TRUE(writeBytes(path, bytes));

        const Call index = inspect({"index", file});
        expectContract(index, {"index", QString("mutant %1").arg(m)});
        if (index.status != 0) continue;
        const std::vector<Entry> entries = entriesOf(json(index));
        // Records before the damage keep their place.
        for (int r = 0; r < damagedRecord && r < static_cast<int>(entries.size()); ++r) {
            ASSERT_EQ(entries[static_cast<size_t>(r)].offset, offsets[static_cast<size_t>(r)])
                << "mutant " << m;
        }
        if (kind != 1) {
            ASSERT_GE(static_cast<int>(entries.size()), std::min(damagedRecord, 40))
                << "mutant " << m;
        }
        if (entries.empty()) continue;
        const int r = std::min(damagedRecord, static_cast<int>(entries.size()) - 1);
        const QString rec = QString::number(r);
        QStringList commands[] = {{"record", file, rec},
                                  {"curves", file, rec},
                                  {"replay", file, "open", "next", "up", "seek:3", "seek:1", "play",
                                   "tick", "tick", "note:0"}};
        for (const QStringList& args : commands)
            expectContract(inspect(args), args);
        if (m % 5 == 0) {
            for (const QStringList& args :
                 {QStringList{"render", file, rec, "0", "--out", png},
                  QStringList{"render", file, rec, "0", "--report", "--out", png},
                  QStringList{"report", file, rec, "0", "--out", png},
                  QStringList{"export", file, "--out", "/dev/null"}})
                expectContract(inspect(args), args);
        }
    }
}

TEST(FaultCorpus, NotRecordingsAtAll) {
    const std::string empty = writeTemp("empty.DAT", {});
    const std::string dir = tempPath("a-directory");
    std::filesystem::create_directories(dir);
    const std::string garbage = writeTemp("garbage.DAT", Bytes(5000, 0xFF));
    struct Case {
        std::string path;
        int status;
        std::string err;
    } cases[] = {
        {empty, 2, "cannot read '" + empty + "': file is shorter than its 4-byte record count"},
        {dir, 2, "cannot open '" + dir + "': Is a directory"},
        {"/proc/self/mem", 2, "cannot open '/proc/self/mem': Input/output error"},
        {"/dev/null", 2, "cannot open '/dev/null': not a regular file"},
        {garbage, 0, ""},
    };
    for (const Case& c : cases) {
        for (const QStringList& args :
             {QStringList{"index", QString::fromStdString(c.path)},
              QStringList{"record", QString::fromStdString(c.path), "0"},
              QStringList{"export", QString::fromStdString(c.path), "--out", "/dev/null"}}) {
            const Call call = inspect(args);
            expectContract(call, args);
            if (args[0] == "index") {
                EXPECT_EQ(call.status, c.status) << c.path;
                if (c.status == 2) {
                    EXPECT_EQ(call.err, "vantrel-inspect: " + c.err + "\n");
                }
            }
        }
    }
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
