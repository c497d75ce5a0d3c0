#include "analysis/overview_marks.h"

#include <algorithm>

#include "analysis/echo_overview.h"
#include "analysis/file_health.h"

namespace vantrel {

std::vector<OverviewMark> overviewMarks(const EchoOverview& o, const RecordFile& file) {
    std::vector<OverviewMark> marks;
    // The shown frame where record r starts, or where the next record with
    // shown frames starts (frameCount at the end).
    auto startOf = [&o](int32_t r) -> int64_t {
        auto it =
            std::lower_bound(o.records().begin(), o.records().end(), r,
                             [](const OverviewRecord& rec, int32_t v) { return rec.record < v; });
        return it == o.records().end() ? o.frameCount() : it->firstFrame;
    };
    auto framesOf = [&o](int32_t r) -> int64_t {
        const int64_t i = o.indexOf(r, 0);
        return i < 0 ? 0 : o.recordOf(i).frames;
    };
    auto gap = [](int64_t at, int32_t first, int32_t last) {
        OverviewMark m;
        m.kind = OverviewMark::Kind::Missing;
        m.first = m.end = at;
        m.record = first;
        m.lastRecord = last;
        return m;
    };
    // Records that stepping cannot show: the index holds no frame of theirs,
    // or the file announces them and ends before them.
    const int32_t indexed = static_cast<int32_t>(file.recordIndex().size());
    int32_t expected = 0;
    for (const OverviewRecord& rec : o.records()) {
        if (rec.record > expected) marks.push_back(gap(rec.firstFrame, expected, rec.record - 1));
        expected = rec.record + 1;
    }
    const int32_t announced = std::max(file.recordCount(), indexed);
    if (expected < announced) marks.push_back(gap(o.frameCount(), expected, announced - 1));

    for (const DamagedRecord& d : damagedRecordsOf(file, &o)) {
        OverviewMark m;
        m.kind = OverviewMark::Kind::Damaged;
        m.first = startOf(d.record);
        m.end = m.first + framesOf(d.record);
        m.record = m.lastRecord = d.record;
        m.damage = d.damage;
        marks.push_back(std::move(m));
    }
    for (int32_t r = 0; r < indexed; ++r) {
        if (!file.recordIndex()[static_cast<size_t>(r)].carriesBlock() || framesOf(r) == 0)
            continue;
        OverviewMark m;
        m.kind = OverviewMark::Kind::Block;
        m.first = m.end = startOf(r);
        m.record = m.lastRecord = r;
        marks.push_back(std::move(m));
    }
    for (const Note& note : file.notes()) {
        OverviewMark m;
        m.kind = OverviewMark::Kind::Note;
        m.first = m.end = startOf(note.record);
        m.record = m.lastRecord = note.record;
        m.note = note.text;
        marks.push_back(std::move(m));
    }
    return marks;
}

std::vector<const OverviewMark*> marksNearColumn(const std::vector<OverviewMark>& marks,
                                                 const OverviewView& view, int plotWidth, int x,
                                                 int grip) {
    std::vector<const OverviewMark*> near;
    for (const OverviewMark& m : marks) {
        if (m.kind == OverviewMark::Kind::Block) continue;
        const int first = columnOfFrame(view, plotWidth, m.first);
        const int last = m.end > m.first ? columnOfFrame(view, plotWidth, m.end) - 1 : first;
        if (x >= first - grip && x <= last + grip) near.push_back(&m);
    }
    return near;
}

} // namespace vantrel
