// What the user is told about a recording just opened: whether it holds
// every record its header promises, intact. A file from a stick pulled out
// mid-write, a damaged copy or a file that is not a recording at all opens
// like any other (its readable records stay viewable), but it does not open
// in silence: the window and vantrel-inspect say how many records the header
// promised, how many the scan could index, and which records are damaged:
// those the open found, and once the echo overview is computed, those its
// walk found, which decodes every record.
#pragma once

#include <cstdint>
#include <vector>

#include "recordfile/record_file.h"

namespace vantrel {

struct FileHealth {
    // A notice names this many damaged records and counts the rest: enough
    // to find them, short enough to read at a glance.
    static constexpr size_t kNamedDamaged = 5;

    int64_t announced = 0;             // the record count the file's header states
    int64_t indexed = 0;               // records the scan found whole
    int64_t damaged = 0;               // indexed records that are damaged
    std::vector<int32_t> namedDamaged; // the first kNamedDamaged of them

    // No record could be indexed: not a recording, or nothing left of one.
    bool unreadable() const { return indexed == 0; }
    // Records the header promises that the file does not hold whole.
    int64_t missing() const { return announced > indexed ? announced - indexed : 0; }
    // Whether the file is worth a word to the user at all.
    bool needsNotice() const { return unreadable() || missing() > 0 || damaged > 0; }
};

class EchoOverview;

FileHealth fileHealthOf(const RecordFile& file);
// The same once the overview's walk has decoded every record: the damaged
// records it found count too (damagedRecordsOf).
FileHealth fileHealthOf(const RecordFile& file, const EchoOverview& overview);

// The damaged records known of `file`: those its open found and, with
// `overview`, those the overview's walk found, each once, in file order.
std::vector<DamagedRecord> damagedRecordsOf(const RecordFile& file, const EchoOverview* overview);

} // namespace vantrel
