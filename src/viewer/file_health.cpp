#include "file_health.h"

namespace vantrel {

FileHealth fileHealthOf(const RecordFile& file) {
    FileHealth h;
    h.announced = file.recordCount();
    h.indexed = static_cast<int64_t>(file.recordIndex().size());
    h.damaged = static_cast<int64_t>(file.damagedRecords().size());
    for (const DamagedRecord& d : file.damagedRecords()) {
        if (h.namedDamaged.size() == FileHealth::kNamedDamaged) break;
        h.namedDamaged.push_back(d.record);
    }
    return h;
}

} // namespace vantrel
