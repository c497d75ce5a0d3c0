// RecordQuery on a small file written with the project's writer: which
// record is in the buffer after each kind of read, which parameters are in
// force, and what a damaged record, a cut record and a failed open leave.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

#include "test_files.h"
#include "viewer/record_query.h"

using namespace vantrel;
using namespace vantrel::testing;

namespace {

constexpr int32_t kIndexed = 6;

// Frame f of record r holds the measured values 1000 (10 r + f) + i.
//   0: 3 frames and a block of base gain 100 (% readouts)
//   1: 2 frames
//   2: 4 frames and a block of base gain 200 with the DAC curve on (dB readouts)
//   3: 4 frames and a block of gain 300 that the header places outside the
//      record: the frames are kept, the block is refused
//   4: a stream whose first code no encoder writes: nothing decodes
//   5: 2 frames
//   6: 3 frames and a block of gain 600, cut short by the end of the file:
//      not indexed
std::string queryFile() {
    const ParameterBlock percent = makeBlock(100);
    ParameterBlock db = makeBlock(200);
    param::setBits(db.data(), param::kDacOn, 1);
    const ParameterBlock outside = makeBlock(300), cut = makeBlock(600);
    RecordWriter w;
    w.addRecord(makeFrames(3, 0), &percent);
    w.addRecord(makeFrames(2, 10));
    w.addRecord(makeFrames(4, 20), &db);
    const Bytes decoded = buildDecodedRecord(makeFrames(4, 30), &outside, {});
    w.addDecoded(decoded, static_cast<int32_t>(decoded.size()) + 1);
    const Bytes badCode = {0xFF, 0xFF, 0x00, 0x00};
    w.addRaw(static_cast<int32_t>(badCode.size()), kParameterBlockSize + 2, badCode);
    w.addRecord(makeFrames(2, 50));
    w.addRecord(makeFrames(3, 60), &cut);
    Bytes bytes = w.bytes();
    bytes.resize(bytes.size() - 3);
    return writeTemp("query.DAT", bytes);
}

int32_t valueOf(int32_t record, int32_t frame) { return 1000 * (10 * record + frame); }

// The record in the buffer, told by its first value (-1: no frame).
int32_t recordInBuffer(const RecordQuery& q) {
    return q.framesPerRecord() > 0 ? q.values(0)[0] / 10000 : -1;
}

struct RecordCase {
    int32_t record;
    int32_t frames;
    bool carriesBlock; // a usable block: loadRecord makes it the copy in force
    uint16_t gainInForce;
};
const RecordCase kRecords[kIndexed] = {
    {0, 3, true, 100},  {1, 2, false, 100}, {2, 4, true, 200},
    {3, 4, false, 200}, {4, 0, false, 200}, {5, 2, false, 200},
};

} // namespace

// Every record read through the index: its frames, in range and out, and
// the frame count asked without loading, which leaves the buffer alone.
TEST(RecordQuery, FramesOfEachRecord) {
    RecordQuery q;
    ASSERT_TRUE(q.open(queryFile()).ok());
    ASSERT_EQ(q.file().recordIndex().size(), size_t{kIndexed});
    for (const RecordCase& c : kRecords) {
        SCOPED_TRACE("record " + std::to_string(c.record));
        EXPECT_EQ(q.framesOfRecord(c.record), c.frames);
        EXPECT_EQ(q.loadRecord(c.record), c.carriesBlock);
        ASSERT_EQ(q.framesPerRecord(), c.frames);
        for (int32_t f = 0; f < c.frames; ++f) {
            ASSERT_EQ(q.frame(f).size(), size_t{kFrameSize}) << f;
            EXPECT_EQ(q.values(f),
                      (FrameValues{valueOf(c.record, f), valueOf(c.record, f) + 1,
                                   valueOf(c.record, f) + 2, valueOf(c.record, f) + 3}));
        }
        for (int64_t f : {int64_t{-1}, int64_t{c.frames}, int64_t{INT32_MAX} + 1, INT64_MIN})
            EXPECT_TRUE(q.frame(f).empty()) << f;
        for (int32_t r = 0; r < kIndexed; ++r)
            EXPECT_EQ(q.framesOfRecord(r), kRecords[r].frames) << r;
        EXPECT_EQ(recordInBuffer(q), c.frames ? c.record : -1);
    }
    for (int32_t r : {-1, kIndexed, INT32_MAX, INT32_MIN})
        EXPECT_EQ(q.framesOfRecord(r), 0) << r;
}

// A seek from a fresh query: the block in force at the record (the latest
// usable one at or before it: record 3's refused block is none), then the
// record itself; panel, ruler and readouts follow the block in force.
TEST(RecordQuery, SeekTakesTheBlockInForce) {
    const std::string path = queryFile();
    for (const RecordCase& c : kRecords) {
        SCOPED_TRACE("record " + std::to_string(c.record));
        RecordQuery q;
        ASSERT_TRUE(q.open(path).ok());
        EXPECT_FALSE(q.parametersLoaded());
        EXPECT_EQ(q.panel().baseGain, "");
        EXPECT_EQ(q.pathRuler()[0], "");
        const int64_t readBefore = RecordQuery::recordsRead();
        EXPECT_TRUE(q.seek(c.record));
        EXPECT_EQ(RecordQuery::recordsRead() - readBefore, 2) << "the block's record, then r";
        EXPECT_TRUE(q.parametersLoaded());
        EXPECT_EQ(q.params().baseGain(), c.gainInForce);
        EXPECT_EQ(q.panel().baseGain, c.gainInForce == 100 ? "10.0" : "20.0");
        EXPECT_NE(q.pathRuler()[0], "");
        EXPECT_GT(q.params().rangeShown(), 0.0f);
        EXPECT_EQ(recordInBuffer(q), c.frames ? c.record : -1);
        if (c.frames) {
            const ReadoutTexts t = q.readouts(q.values(0));
            EXPECT_TRUE(t[3].ends_with(c.gainInForce == 100 ? " %" : "dB")) << t[3];
        }
    }
}

// A record without an index entry is read where the file stands, as the
// instrument reads on: after record 1 that is record 2; after record 5 it is
// the cut record, which is no whole record, so record 5 stays.
TEST(RecordQuery, RecordWithoutAnEntryIsReadWhereTheFileStands) {
    RecordQuery q;
    ASSERT_TRUE(q.open(queryFile()).ok());
    EXPECT_FALSE(q.loadRecord(1));
    EXPECT_EQ(q.params().baseGain(), 0); // record 1 carries no block
    EXPECT_TRUE(q.loadRecord(-1));
    EXPECT_EQ(recordInBuffer(q), 2);
    EXPECT_EQ(q.params().baseGain(), 200);

    EXPECT_FALSE(q.loadRecord(5));
    EXPECT_FALSE(q.loadRecord(kIndexed));
    EXPECT_EQ(recordInBuffer(q), 5);
    EXPECT_EQ(q.framesPerRecord(), 2);
    EXPECT_EQ(q.params().baseGain(), 200);
    // The block in force at a record without an entry: nothing is read.
    for (int32_t r : {-1, kIndexed, INT32_MAX}) {
        EXPECT_FALSE(q.loadParameterRecord(r)) << r;
        EXPECT_EQ(recordInBuffer(q), 5);
        EXPECT_EQ(q.params().baseGain(), 200);
    }
}

// A file that cannot be opened leaves the open file, the record in the
// buffer, the parameters and their texts as they were.
TEST(RecordQuery, FailedOpenKeepsWhatWasOpen) {
    const std::string path = queryFile();
    RecordQuery q;
    ASSERT_TRUE(q.open(path).ok());
    q.seek(2);
    const PanelTexts panel = q.panel();
    const struct {
        std::string path;
        OpenError error;
    } failures[] = {
        {tempPath("query-missing.DAT"), OpenError::CannotOpen},
        {std::filesystem::temp_directory_path().string(), OpenError::CannotOpen},
        {writeTemp("query-short.DAT", {1, 2}), OpenError::TooShort},
    };
    for (const auto& f : failures) {
        SCOPED_TRACE(f.path);
        EXPECT_EQ(q.open(f.path).error, f.error);
        EXPECT_EQ(q.file().path(), path);
        EXPECT_EQ(q.file().recordIndex().size(), size_t{kIndexed});
        EXPECT_EQ(recordInBuffer(q), 2);
        EXPECT_EQ(q.framesPerRecord(), 4);
        EXPECT_EQ(q.params().baseGain(), 200);
        EXPECT_EQ(q.panel().baseGain, panel.baseGain);
    }
    EXPECT_TRUE(q.seek(5)); // and the file still reads
    EXPECT_EQ(recordInBuffer(q), 5);
}

// With panel and curves off a new block makes only its derived lengths; the
// texts stay those of the block before, until they are made again.
TEST(RecordQuery, PanelAndCurvesOff) {
    RecordQuery q;
    ASSERT_TRUE(q.open(queryFile()).ok());
    q.setPanelAndCurves(false);
    q.seek(0);
    EXPECT_EQ(q.params().baseGain(), 100);
    EXPECT_TRUE(q.parametersLoaded());
    EXPECT_GT(q.params().rangeShown(), 0.0f);
    EXPECT_EQ(q.panel().baseGain, "");
    EXPECT_EQ(q.pathRuler()[0], "");

    q.setPanelAndCurves(true);
    q.seek(2);
    EXPECT_EQ(q.panel().baseGain, "20.0");
    const std::array<std::string, 6> ruler = q.pathRuler();
    q.setPanelAndCurves(false);
    q.seek(0);
    EXPECT_EQ(q.params().baseGain(), 100);
    EXPECT_EQ(q.panel().baseGain, "20.0");
    EXPECT_EQ(q.pathRuler(), ruler);

    // The block of the record in the buffer, again with its texts.
    q.setPanelAndCurves(true);
    q.reloadBlockInBuffer();
    EXPECT_EQ(q.params().baseGain(), 100);
    EXPECT_EQ(q.panel().baseGain, "10.0");
    // A record without a block keeps the copy in force.
    q.loadRecord(2);
    q.loadRecord(1);
    q.reloadBlockInBuffer();
    EXPECT_EQ(q.params().baseGain(), 200);
    EXPECT_EQ(q.panel().baseGain, "20.0");
}

// A second query on the same file has a buffer and a parameter copy of its
// own: reads on either leave the other as it was.
TEST(RecordQuery, OpenAlongsideHasItsOwnBufferAndParameters) {
    RecordQuery q;
    ASSERT_TRUE(q.open(queryFile()).ok());
    q.seek(2);
    RecordQuery other;
    ASSERT_TRUE(other.openAlongside(q));
    EXPECT_EQ(other.file().recordIndex().size(), size_t{kIndexed});
    EXPECT_EQ(other.framesPerRecord(), 0);
    EXPECT_EQ(other.params().baseGain(), 0);
    EXPECT_FALSE(other.parametersLoaded());
    EXPECT_TRUE(other.loadRecord(0));
    EXPECT_EQ(other.params().baseGain(), 100);
    EXPECT_EQ(other.values(1)[0], valueOf(0, 1));
    EXPECT_EQ(recordInBuffer(q), 2);
    EXPECT_EQ(q.params().baseGain(), 200);
    q.loadRecord(5);
    EXPECT_EQ(other.values(1)[0], valueOf(0, 1));
    EXPECT_EQ(other.params().baseGain(), 100);
}

// The last frame slot of a record is never shown: the other slots share the
// second a record plays in.
TEST(RecordQuery, PlaybackDelay) {
    const struct {
        int32_t frames, delayMs;
    } cases[] = {{0, 1000}, {1, 1000}, {2, 1000}, {3, 500}, {11, 100}, {27, 38}};
    for (const auto& c : cases)
        EXPECT_EQ(playbackDelayFor(c.frames), c.delayMs) << c.frames << " frames";
}
