// The B-scan's column rule against files whose every sample the test knows:
// column c of n shown frames drawn W wide holds the frames whose index i in
// the range has c = floor(i W / n), each cell the largest of their samples.
#include <gtest/gtest.h>

#include "bscan.h"
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
