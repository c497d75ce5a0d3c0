// Runs of shown frames and their merge across gaps, the rule the overview's
// indications and the evaluation share.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/echo_overview.h"
#include "analysis/runs.h"

using namespace vantrel;

namespace {

// Records written as "<kind>:<frames>", one character a frame: a digit is
// the value of a frame that counts, '.' a frame that does not; kind 'p' a %
// record, 'd' a dB one. "p:" is a record without shown frames.
struct Frames {
    std::vector<OverviewRecord> records;
    std::string values; // by shown frame
};

Frames framesOf(const std::vector<std::string>& recs) {
    Frames f;
    for (const std::string& r : recs) {
        OverviewRecord rec;
        rec.firstFrame = static_cast<int64_t>(f.values.size());
        rec.frames = static_cast<int32_t>(r.size() - 2);
        rec.unit = r[0] == 'd' ? AmplitudeUnit::Db : AmplitudeUnit::Percent;
        f.records.push_back(rec);
        f.values += r.substr(2);
    }
    return f;
}

std::vector<Indication> runsOf(const Frames& f, int64_t gap, bool byUnit, int64_t* calls) {
    return findRuns(
        f.records, gap,
        [&](const OverviewRecord& rec) { return byUnit ? rec.unit : AmplitudeUnit{}; },
        [&](const OverviewRecord&, int64_t i) -> std::optional<int64_t> {
            EXPECT_EQ(i, *calls) << "each frame once, in order";
            ++*calls;
            const char c = f.values[static_cast<size_t>(i)];
            if (c == '.') return std::nullopt;
            return c - '0';
        });
}

} // namespace

TEST(FindRuns, RunsMergeAcrossAtMostGapFramesOfTheirKind) {
    const struct Case {
        const char* what;
        std::vector<std::string> recs;
        int64_t gap;
        bool byUnit; // the overview's kinds; else one kind for all (the evaluation's)
        std::vector<Indication> expected;
    } cases[] = {
        {"no gap: every stretch is a run, the first largest its peak",
         {"p:35.5.77"},
         0,
         true,
         {{0, 1, 1}, {3, 3, 3}, {5, 6, 5}}},
        {"gap 2: two frames between merge, three do not",
         {"p:5..6...7"},
         2,
         true,
         {{0, 3, 3}, {7, 7, 7}}},
        {"gap 3: three frames between merge", {"p:5..6...7"}, 3, true, {{0, 7, 7}}},
        {"a merged run's peak is its first largest value", {"p:7.7.5"}, 1, true, {{0, 4, 0}}},
        {"a negative gap merges nothing", {"p:5.5"}, -1, true, {{0, 0, 0}, {2, 2, 2}}},
        {"a record without shown frames does not end a run",
         {"p:55", "p:", "p:6"},
         0,
         true,
         {{0, 2, 2}}},
        {"runs go on from record to record", {"p:.5", "p:5.", "p:.6"}, 2, true, {{1, 5, 5}}},
        {"a change of kind ends a run, and no gap bridges it",
         {"p:55", "d:66"},
         5,
         true,
         {{0, 1, 0}, {2, 3, 2}}},
        {"frames of another kind between two runs of one kind are not bridged",
         {"p:5.", "d:.", "p:.5"},
         5,
         true,
         {{0, 0, 0}, {4, 4, 4}}},
        {"nor are frames of another kind that do not count",
         {"p:5", "d:..", "p:5"},
         5,
         true,
         {{0, 0, 0}, {3, 3, 3}}},
        {"with one kind for all, whatever lies between is bridged",
         {"p:5.", "d:..", "p:.6"},
         4,
         false,
         {{0, 5, 5}}},
        {"and a change of unit does not end a run", {"p:55", "d:66"}, 0, false, {{0, 3, 2}}},
        {"nothing counts: no run", {"p:...", "d:.."}, 3, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Frames f = framesOf(c.recs);
        int64_t calls = 0;
        EXPECT_EQ(runsOf(f, c.gap, c.byUnit, &calls), c.expected);
        EXPECT_EQ(calls, static_cast<int64_t>(f.values.size()));
    }
}
