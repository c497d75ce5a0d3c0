// The B-scan's column rule against files whose every sample the test knows:
// column c of n shown frames drawn W wide holds the frames whose index i in
// the range has c = floor(i W / n), each cell the largest of their samples.
#include <gtest/gtest.h>

#include <optional>

#include "analysis/bscan.h"
#include "test_files.h"

using namespace vantrel;
using namespace vantrel::testing;

namespace {

// The echo sample at position k of frame f of record r: every value from 0
// to 255 occurs, 255 at the first position of the first frame of each record
// and 0 at its last position.
uint8_t sampleOf(int r, int f, int k) {
    if (k == 0 && f == 0) return 255;
    if (k == kSamplesPerFrame - 1) return 0;
    return static_cast<uint8_t>((r * 37 + f * 11 + k * 7) % 256);
}

Bytes framesOf(int r, int n) {
    Bytes b = makeFrames(n);
    for (int f = 0; f < n; ++f)
        for (int k = 0; k < kSamplesPerFrame; ++k)
            b[static_cast<size_t>(f) * kFrameSize + static_cast<size_t>(k)] = sampleOf(r, f, k);
    return b;
}

// Records 0 (4 frames: 3 shown), 1 (1 frame: shown), 2 (no frame), 3 (a
// stream no encoder writes: damaged, not indexed), 4 (6 frames: 5 shown),
// 5 (2 frames: 1 shown); the file ends inside a record never written whole.
std::string bscanFile() {
    RecordWriter w;
    const ParameterBlock block = makeBlock(100);
    w.addRecord(framesOf(0, 4), &block);
    w.addRecord(framesOf(1, 1));
    w.addRecord(framesOf(2, 0));
    const Bytes badCode = {0xFF, 0xFF, 0x00, 0x00};
    w.addRaw(static_cast<int32_t>(badCode.size()), kParameterBlockSize + 2, badCode);
    w.addRecord(framesOf(4, 6));
    w.addRecord(framesOf(5, 2));
    w.addRecord(framesOf(6, 3));
    Bytes bytes = w.bytes();
    bytes.resize(bytes.size() - 5);
    return writeTemp("bscan.DAT", bytes);
}

// The columns as the rule says, frame by frame.
std::vector<BscanColumn> expected(const EchoOverview& o, int64_t from, int64_t to, int width) {
    std::vector<BscanColumn> columns(static_cast<size_t>(width));
    const int64_t n = to - from + 1;
    for (int64_t i = from; i <= to; ++i) {
        BscanColumn& c = columns[static_cast<size_t>((i - from) * width / n)];
        if (c.first < 0) c.first = i;
        c.last = i;
        for (int k = 0; k < kSamplesPerFrame; ++k)
            c.cells[static_cast<size_t>(k)] = std::max(
                c.cells[static_cast<size_t>(k)], sampleOf(o.recordNumber(i), o.frameNumber(i), k));
    }
    return columns;
}

} // namespace

TEST(Bscan, ColumnRule) {
    RecordQuery query;
    ASSERT_TRUE(query.open(bscanFile()).ok());
    const EchoOverview o = computeOverview(query, {});
    // 0:0..0:2, 1:0, 4:0..4:4, 5:0: the empty, damaged and cut records show
    // nothing.
    ASSERT_EQ(o.frameCount(), 10);
    EXPECT_EQ(o.recordNumber(4), 4);
    EXPECT_EQ(o.recordNumber(9), 5);
    const struct {
        const char* what;
        int64_t from, to;
        int width;
    } cases[] = {
        {"one frame a column", 0, 9, 10},
        {"many frames a column, split unevenly", 0, 9, 3},
        {"the whole range in one column", 0, 9, 1},
        {"a range inside one record", 5, 7, 2},
        {"over the empty, damaged records", 2, 5, 4},
        {"the first frame alone", 0, 0, 1},
        {"the last frame alone", 9, 9, 1},
        {"more columns than frames: some hold none", 3, 6, 9},
        {"far more columns than frames", 0, 9, 1000},
    };
    RecordQuery reader;
    ASSERT_TRUE(reader.openAlongside(query));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<BscanColumn> got = bscanByReading(o, reader, c.from, c.to, c.width);
        EXPECT_EQ(got, expected(o, c.from, c.to, c.width));
        int holding = 0;
        for (const BscanColumn& col : got)
            holding += col.holdsFrames();
        EXPECT_EQ(holding, std::min<int64_t>(c.width, c.to - c.from + 1));
    }
    // The cells hold both ends of the sample range.
    const std::vector<BscanColumn> all = bscanByReading(o, reader, 0, 9, 1);
    EXPECT_EQ(all[0].cells.front(), 255);
    EXPECT_EQ(all[0].cells.back(), 0);
}

// The rule's arithmetic on counts beyond 32 bits: the column of each index
// and the first index of each column agree; with no more columns than
// frames every column holds one.
TEST(Bscan, ColumnArithmetic) {
    const struct {
        int64_t n, width;
    } cases[] = {{10, 3},
                 {3, 10},
                 {1, 1},
                 {4096, 4096},
                 {int64_t{1} << 40, 65535},
                 {(int64_t{1} << 62) + 7, 1200}};
    for (const auto& c : cases) {
        for (int64_t col = 0; col < std::min<int64_t>(c.width, 50); ++col) {
            const int64_t first = bscanFirstOf(col, c.n, c.width);
            // The first index at or past the column: in it, or past it when
            // the column holds no frame (more columns than frames).
            if (first >= c.n) continue;
            EXPECT_GE(bscanColumnOf(first, c.n, c.width), col) << c.n << " " << c.width;
            if (c.width <= c.n) {
                EXPECT_EQ(bscanColumnOf(first, c.n, c.width), col) << c.n << " " << c.width;
            }
            if (first > 0) {
                EXPECT_LT(bscanColumnOf(first - 1, c.n, c.width), col);
            }
        }
        if (c.width <= c.n) { // the last frame lies in the last column
            EXPECT_EQ(bscanColumnOf(c.n - 1, c.n, c.width), c.width - 1);
        }
    }
}

// The strip of the window, both ways: a narrow view is read frame by frame
// by the strips' columns; the block maxima made in the overview's walk give,
// for any view, the maxima of exactly the frames each column names.
TEST(Bscan, StripColumnsEitherWay) {
    RecordQuery query;
    ASSERT_TRUE(query.open(bscanFile()).ok());
    const EchoOverview o = computeOverview(query, {});
    ASSERT_FALSE(o.bscanSummaries().empty());
    RecordQuery reader;
    ASSERT_TRUE(reader.openAlongside(query));
    const struct {
        int64_t from, to;
        int width;
    } views[] = {{0, 10, 10}, {0, 10, 3}, {0, 10, 1}, {2, 6, 4}, {5, 8, 40}, {9, 10, 5}};
    for (const auto& v : views) {
        const OverviewView view{v.from, v.to, -1};
        SCOPED_TRACE(::testing::Message() << v.from << ".." << v.to << " over " << v.width);
        ASSERT_TRUE(bscanReadsRecords(o, view));
        const std::vector<BscanColumn> read = bscanStripColumns(o, &reader, view, v.width);
        std::vector<BscanColumn> summed = bscanBySummaries(o, view, v.width);
        for (int x = 0; x < v.width; ++x) {
            const auto [a, b] = framesOfColumn(view, v.width, x);
            const BscanColumn& c = read[static_cast<size_t>(x)];
            EXPECT_EQ(c.first, a);
            EXPECT_EQ(c.last, b - 1);
            EXPECT_EQ(c, expected(o, a, b - 1, 1)[0]);
            // The blocks shown hold the column's frames or lie next to them.
            const BscanColumn& s = summed[static_cast<size_t>(x)];
            EXPECT_LE(s.first, b - 1);
            EXPECT_GE(s.last, a);
        }
        std::vector<BscanColumn> reread = summed;
        readBscanColumns(o, reader, reread);
        EXPECT_EQ(reread, summed);
    }
}

// Block maxima of a recording far beyond the budget's blocks: the blocks
// double until they fit, each whole records, and any run of them answers as
// the records it holds.
TEST(Bscan, SummariesKeepTheirBudget) {
    // Record r holds 1 + (r * 7919) % 58 shown frames (a record holds at
    // most 58), its maxima a pattern of r.
    auto framesOf = [](int64_t r) { return static_cast<int32_t>(1 + r * 7919 % 58); };
    auto maximaOf = [](int64_t r) {
        BscanCells cells{};
        for (int k = 0; k < kBscanRows; ++k)
            cells[static_cast<size_t>(k)] = static_cast<uint8_t>((r * 131 + k * k) % 251);
        return cells;
    };
    constexpr int64_t kRecords = 200000;
    BscanSummaries s;
    std::vector<int64_t> firstFrame;
    int64_t frames = 0;
    for (int64_t r = 0; r < kRecords; ++r) {
        firstFrame.push_back(frames);
        s.addRecord(frames, framesOf(r), maximaOf(r), {});
        frames += framesOf(r);
    }
    s.finish(frames);
    EXPECT_LE(s.bytes(), BscanSummaries::kMostBytes);
    EXPECT_GE(s.blockFrames(), 128);
    EXPECT_EQ(s.blockFirst(0), 0);
    EXPECT_EQ(s.blockLast(s.blockCount() - 1), frames - 1);
    // Block k: the records whose first frame lies in [k B, (k + 1) B).
    auto recordAt = [&](int64_t frame) {
        return std::upper_bound(firstFrame.begin(), firstFrame.end(), frame) - firstFrame.begin() -
               1;
    };
    for (int64_t k = 0; k < s.blockCount(); k += 97) {
        const int64_t r = recordAt(s.blockFirst(k));
        ASSERT_EQ(firstFrame[static_cast<size_t>(r)], s.blockFirst(k));
        EXPECT_EQ(s.blockFirst(k) / s.blockFrames(),
                  k == 0 ? 0 : (s.blockLast(k - 1) + 1) / s.blockFrames());
        EXPECT_EQ(s.blockOf(s.blockLast(k)), k);
    }
    const struct {
        int64_t k0, k1;
    } runs[] = {{0, 1},
                {0, 16},
                {5, 300},
                {1000, 1017},
                {0, s.blockCount()},
                {s.blockCount() - 3, s.blockCount()}};
    for (const auto& run : runs) {
        BscanCells want{};
        for (int64_t r = recordAt(s.blockFirst(run.k0)); r <= recordAt(s.blockLast(run.k1 - 1));
             ++r)
            bscanMaxInto(want, maximaOf(r).data());
        BscanCells got{};
        s.maxOver(run.k0, run.k1, got);
        EXPECT_EQ(got, want) << run.k0 << ".." << run.k1;
    }
    // The blocks centred in a run of frames: their middles lie in it.
    const auto [k0, k1] = s.blocksCentredIn(1000, 90000);
    ASSERT_LT(k0, k1);
    EXPECT_GE((s.blockFirst(k0) + s.blockLast(k0)) / 2, 1000);
    EXPECT_LT((s.blockFirst(k0 - 1) + s.blockLast(k0 - 1)) / 2, 1000);
    EXPECT_LT((s.blockFirst(k1 - 1) + s.blockLast(k1 - 1)) / 2, 90000);
    EXPECT_GE((s.blockFirst(k1) + s.blockLast(k1)) / 2, 90000);
}

// The y axis of the strip: a sound path where one range and delay hold over
// the view (a change of gates alone keeps it), the sample positions where
// they change or where no block gives a length.
TEST(Bscan, PathAxisOfAView) {
    RecordWriter w;
    w.addRecord(framesOf(0, 3)); // before any block: no lengths
    ParameterBlock first = makeBlock(100);
    storeU16(first.data() + param::kGateAStart, 40);
    storeU16(first.data() + param::kGateAWidth, 100);
    w.addRecord(framesOf(1, 3), &first);
    ParameterBlock gates = first;
    storeU16(gates.data() + param::kGateAStart, 60);
    storeU16(gates.data() + param::kGateBLevel, 30);
    w.addRecord(framesOf(2, 3), &gates);
    ParameterBlock longer = gates;
    storeU32(longer.data() + param::kRange, 2000);
    storeU32(longer.data() + param::kDelay, 100);
    w.addRecord(framesOf(3, 3), &longer);
    RecordQuery query;
    ASSERT_TRUE(query.open(writeTemp("bscan-axis.DAT", w.bytes())).ok());
    const EchoOverview o = computeOverview(query, {});
    ASSERT_EQ(o.frameCount(), 8); // 2 shown frames a record
    const struct {
        int64_t from, to;
        std::optional<uint32_t> range; // of the path axis, none: samples
    } views[] = {{0, 2, std::nullopt}, {2, 4, 1000}, {2, 6, 1000},
                 {4, 7, std::nullopt}, {6, 8, 2000}, {0, 8, std::nullopt}};
    for (const auto& v : views) {
        const std::optional<BscanGeometry> g = bscanPathOfView(o, {v.from, v.to, -1});
        EXPECT_EQ(g ? std::optional<uint32_t>(g->range) : std::nullopt, v.range)
            << v.from << ".." << v.to;
    }
    // The gates of each frame's block; the path of a sample position.
    const BscanSummaries& s = o.bscanSummaries();
    EXPECT_EQ(s.geometryAt(2).gateAStart, 40);
    EXPECT_FALSE(s.geometryAt(2).gateB);
    EXPECT_EQ(s.geometryAt(4).gateAStart, 60);
    EXPECT_TRUE(s.geometryAt(4).gateB);
    EXPECT_DOUBLE_EQ(s.geometryAt(2).pathAt(140), 500.0);              // 50.0 mm
    EXPECT_DOUBLE_EQ(s.geometryAt(6).pathAt(0), 3230 * 100 * 0.00005); // the delay's path
    for (const int k : {0, 1, 140, 279, 280})                          // and back
        EXPECT_DOUBLE_EQ(s.geometryAt(6).sampleAt(s.geometryAt(6).pathAt(k)), k);
    // Rows and sample positions: every position on some row, in order.
    for (const int h : {70, 280, 300, 1000}) {
        int next = 0;
        for (int y = 0; y < h; ++y) {
            const auto [a, b] = bscanSamplesOfRow(y, h);
            EXPECT_TRUE(a == next || (a == next - 1 && b == next)) << h << " " << y;
            EXPECT_EQ(bscanRowOfSample(a, h) <= y, true);
            next = b;
        }
        EXPECT_EQ(next, kBscanRows);
    }
}
