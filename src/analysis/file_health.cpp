#include "analysis/file_health.h"

#include <algorithm>

#include "analysis/echo_overview.h"

namespace vantrel {

namespace {

FileHealth healthOf(const RecordFile& file, const std::vector<DamagedRecord>& damaged) {
    FileHealth h;
    h.announced = file.recordCount();
    h.indexed = static_cast<int64_t>(file.recordIndex().size());
    h.damaged = static_cast<int64_t>(damaged.size());
    for (const DamagedRecord& d : damaged) {
        if (h.namedDamaged.size() == FileHealth::kNamedDamaged) break;
        h.namedDamaged.push_back(d.record);
    }
    return h;
}

} // namespace

FileHealth fileHealthOf(const RecordFile& file) { return healthOf(file, file.damagedRecords()); }

FileHealth fileHealthOf(const RecordFile& file, const EchoOverview& overview) {
    return healthOf(file, damagedRecordsOf(file, &overview));
}

std::vector<DamagedRecord> damagedRecordsOf(const RecordFile& file, const EchoOverview* overview) {
    std::vector<DamagedRecord> all = file.damagedRecords();
    if (!overview || overview->damagedRecords().empty()) return all;
    // The open's finding of a record stands; the walk adds the records the
    // open did not decode.
    all.insert(all.end(), overview->damagedRecords().begin(), overview->damagedRecords().end());
    std::stable_sort(all.begin(), all.end(), [](const DamagedRecord& a, const DamagedRecord& b) {
        return a.record < b.record;
    });
    all.erase(std::unique(all.begin(), all.end(),
                          [](const DamagedRecord& a, const DamagedRecord& b) {
                              return a.record == b.record;
                          }),
              all.end());
    return all;
}

} // namespace vantrel
