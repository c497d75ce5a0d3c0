// Pure decode of every record of a recording, through the same record file
// code the viewer uses, with nothing formatted: the yardstick for export.
// Usage: decode-all FILE
#include <cstdio>

#include "recordfile/instrument_params.h"
#include "recordfile/record_file.h"

using namespace vantrel;

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    RecordFile f;
    if (!f.openRecordFile(argv[1]).ok()) return 1;
    InstrumentParams p;
    uint64_t bytes = 0;
    for (const RecordIndexEntry& e : f.recordIndex()) {
        f.readRecordAt(e.fileOffset, p);
        bytes += static_cast<uint64_t>(f.layout().decodedSize);
    }
    std::printf("%zu records, %llu decoded bytes\n", f.recordIndex().size(),
                static_cast<unsigned long long>(bytes));
    return 0;
}
