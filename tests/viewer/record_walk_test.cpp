// Walking a recording from any record, and in pieces on two threads: every
// record sees the parameters a walk from the start gives it, the pieces come
// back in file order, and a stop or a failure on either side ends both.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "test_files.h"
#include "viewer/record_walk.h"

using namespace vantrel;
using namespace vantrel::testing;

namespace {

// What one record showed the walk: its number, the block in force (told
// apart by its base gain, 0 before the first block) and its first value.
struct Seen {
    int32_t record = 0, gain = 0, value = 0;
    bool operator==(const Seen&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Seen& s) {
    return os << "record " << s.record << " gain " << s.gain << " value " << s.value;
}
using Piece = std::vector<Seen>;

Seen seen(const RecordQuery& reader, int32_t r) {
    return {r, reader.params().baseGain(), reader.values(0)[0]};
}

// `records` records of two frames whose values name the record; a block of
// base gain 100 + k at the k-th of `blocks`.
std::string recording(int32_t records, const std::vector<int32_t>& blocks) {
    RecordWriter w;
    for (int32_t r = 0; r < records; ++r) {
        const auto at = std::find(blocks.begin(), blocks.end(), r);
        if (at == blocks.end()) {
            w.addRecord(makeFrames(2, r));
        } else {
            const ParameterBlock b = makeBlock(static_cast<uint16_t>(100 + (at - blocks.begin())));
            w.addRecord(makeFrames(2, r), &b);
        }
    }
    return writeTemp("walk.DAT", w.bytes());
}

std::vector<Seen> fromTheStart(const RecordQuery& query) {
    RecordQuery reader;
    EXPECT_TRUE(reader.openAlongside(query));
    std::vector<Seen> all;
    for (int32_t r = 0; r < static_cast<int32_t>(query.file().recordIndex().size()); ++r) {
        reader.loadRecord(r);
        all.push_back(seen(reader, r));
    }
    return all;
}

} // namespace

TEST(RecordWalk, PiecesOnTwoThreadsGiveTheWalkFromTheStart) {
    struct Case {
        const char* name;
        int32_t records;
        std::vector<int32_t> blocks;
    };
    const std::vector<Case> cases = {
        {"no block at all: every parameter zero throughout", 300, {}},
        {"the first block several pieces in", 300, {250}},
        {"blocks on and beside piece boundaries", 300, {0, 6, 7, 13, 14, 15, 100, 299}},
        {"a block in every record", 260,
         [] {
             std::vector<int32_t> all;
             for (int32_t r = 0; r < 260; ++r)
                 all.push_back(r);
             return all;
         }()},
        {"too few records for two threads", 40, {3, 20}},
    };
    for (const Case& c : cases) {
        RecordQuery query;
        ASSERT_TRUE(query.open(recording(c.records, c.blocks)).ok());
        const std::vector<Seen> expected = fromTheStart(query);
        // Pieces of 7 records, of 16, halves (151 > half), and the default.
        for (const int32_t length : {7, 16, 151, kWalkPieceRecords}) {
            SCOPED_TRACE(std::string(c.name) + ", pieces of " + std::to_string(length));
            std::vector<Seen> all;
            int lanes[2] = {};
            const bool complete = walkRecordsInPieces<Piece>(
                query,
                [&](int lane, Piece& piece, const RecordQuery& reader, int32_t r) {
                    ++lanes[lane];
                    piece.push_back(seen(reader, r));
                    return true;
                },
                [&](Piece&& piece) {
                    all.insert(all.end(), piece.begin(), piece.end());
                    return true;
                },
                length);
            EXPECT_TRUE(complete);
            EXPECT_EQ(all, expected);
            // Which thread walks which piece is the machine's choice; a
            // small file has no helper at all.
            if (c.records < kRecordsForTwoThreads) {
                EXPECT_EQ(lanes[1], 0);
            }
        }
    }
}

// A visit or a take that says stop ends the walk on both threads, and no
// piece from there on is taken; an exception on either thread comes out of
// the walk once the helper has stopped.
TEST(RecordWalk, StopsAndFailures) {
    RecordQuery query;
    ASSERT_TRUE(query.open(recording(400, {5, 200})).ok());
    auto keep = [](int, Piece& piece, const RecordQuery& reader, int32_t r) {
        piece.push_back(seen(reader, r));
        return true;
    };
    for (const int stopAt : {0, 1, 3, 7}) {
        SCOPED_TRACE("take stops at piece " + std::to_string(stopAt));
        int taken = 0;
        EXPECT_FALSE(walkRecordsInPieces<Piece>(
            query, keep, [&](Piece&&) { return taken++ != stopAt; }, 10));
        EXPECT_EQ(taken, stopAt + 1);
    }
    for (const int32_t stopAt : {0, 9, 215, 399}) {
        SCOPED_TRACE("a visit stops at record " + std::to_string(stopAt));
        std::vector<Seen> all;
        EXPECT_FALSE(walkRecordsInPieces<Piece>(
            query,
            [&](int, Piece& piece, const RecordQuery& reader, int32_t r) {
                piece.push_back(seen(reader, r));
                return r != stopAt;
            },
            [&](Piece&& piece) {
                all.insert(all.end(), piece.begin(), piece.end());
                return true;
            },
            10));
        // Whole pieces from the start, in order, none from the one that
        // stopped on.
        EXPECT_EQ(all.size() % 10, 0u);
        EXPECT_LE(all.size(), static_cast<size_t>(stopAt / 10 * 10));
        for (size_t i = 0; i < all.size(); ++i)
            ASSERT_EQ(all[i].record, static_cast<int32_t>(i));
    }
    EXPECT_THROW(walkRecordsInPieces<Piece>(
                     query, keep, [](Piece&&) -> bool { throw std::runtime_error("full"); }, 10),
                 std::runtime_error);
    for (const int lane : {0, 1}) {
        // A visit on `lane` throws once, on its second piece; should the
        // machine give that thread fewer pieces, nothing throws.
        int seenOnLane = 0;
        bool thrown = false;
        try {
            walkRecordsInPieces<Piece>(
                query,
                [&](int l, Piece&, const RecordQuery&, int32_t) -> bool {
                    if (l == lane && ++seenOnLane == 15) throw std::runtime_error("visit");
                    return true;
                },
                [](Piece&&) { return true; }, 10);
        } catch (const std::runtime_error&) {
            thrown = true;
        }
        EXPECT_EQ(thrown, seenOnLane >= 15) << "lane " << lane;
    }
}
