// What the echo-dynamics strips mark over the data, as shown frames of the
// overview: the operator notes, the records that carry a parameter block,
// the damaged records (found by the open or by the overview's walk) and the
// gaps where records are missing (announced by the header or skipped by the
// index, so stepping cannot show them).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/overview_view.h"
#include "recordfile/record_file.h"

namespace vantrel {

class EchoOverview;

struct OverviewMark {
    enum class Kind : uint8_t { Note, Block, Damaged, Missing };
    Kind kind = Kind::Note;
    // Shown frames first .. end - 1; end == first for a boundary (a note, a
    // block, a gap), which lies at the start of frame `first` (frameCount
    // for a gap after the last frame).
    int64_t first = 0, end = 0;
    // The record marked; a gap's missing records are record .. lastRecord.
    int32_t record = 0, lastRecord = 0;
    RecordDamage damage = RecordDamage::None; // Damaged
    std::string note;                         // Note: its text (GBK)
    bool operator==(const OverviewMark&) const = default;
};

// The marks of `file`, whose overview is `overview`: gaps first (in file
// order), then damaged records, blocks and notes, each in file order.
std::vector<OverviewMark> overviewMarks(const EchoOverview& overview, const RecordFile& file);

// The marks whose columns lie within `grip` columns of column x of a plot
// `plotWidth` wide showing `view` (a run of frames covers its columns): the
// ones a pointer there names. Blocks carry nothing to name and are left out.
std::vector<const OverviewMark*> marksNearColumn(const std::vector<OverviewMark>& marks,
                                                 const OverviewView& view, int plotWidth, int x,
                                                 int grip);

} // namespace vantrel
