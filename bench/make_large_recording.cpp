// Writes a large recording for the benchmarks, fast: the demo recording's
// records (realistic A-scans, blocks and notes where the demo has them) are
// encoded once with the project's encoder and then repeated, in order, until
// the file reaches the size asked for. Optionally also writes the decoded
// bytes of those records, repeated, as one raw file for codec comparisons.
// Usage: make-large-recording DEMO.DAT OUT.DAT BYTES [RAW.bin RAW_BYTES]
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "recordfile/instrument_params.h"
#include "recordfile/record_file.h"
#include "recordfile/record_writer.h"

using namespace vantrel;

int main(int argc, char** argv) {
    if (argc != 4 && argc != 6) {
        std::fprintf(stderr,
                     "usage: make-large-recording DEMO.DAT OUT.DAT BYTES [RAW.bin RAW_BYTES]\n");
        return 2;
    }
    RecordFile demo;
    if (!demo.openRecordFile(argv[1]).ok()) return 1;
    InstrumentParams p;
    std::vector<std::vector<uint8_t>> stored, decoded;
    for (size_t r = 0; r < demo.recordIndex().size(); ++r) {
        demo.readRecordAt(demo.recordIndex()[r].fileOffset, p);
        decoded.emplace_back(demo.decoded().begin(), demo.decoded().end());
        RecordWriter one;
        one.addDecoded(decoded.back(), demo.layout().trailerLength);
        std::vector<uint8_t> bytes = one.bytes();
        stored.emplace_back(bytes.begin() + kFileHeaderSize, bytes.end()); // header + stream
    }
    const uint64_t target = std::strtoull(argv[3], nullptr, 10);
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    uint8_t count[4] = {};
    out.write(reinterpret_cast<const char*>(count), 4);
    uint64_t written = 4;
    uint32_t records = 0;
    while (written < target) {
        const std::vector<uint8_t>& s = stored[records % stored.size()];
        out.write(reinterpret_cast<const char*>(s.data()), static_cast<std::streamsize>(s.size()));
        written += s.size();
        ++records;
    }
    storeU32(count, records);
    out.seekp(0);
    out.write(reinterpret_cast<const char*>(count), 4);
    out.close();
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    std::printf("%s: %u records, %llu bytes\n", argv[2], records,
                static_cast<unsigned long long>(written));

    if (argc == 6) {
        const uint64_t rawTarget = std::strtoull(argv[5], nullptr, 10);
        std::ofstream raw(argv[4], std::ios::binary | std::ios::trunc);
        uint64_t n = 0;
        for (size_t r = 0; n < rawTarget; r = (r + 1) % decoded.size()) {
            raw.write(reinterpret_cast<const char*>(decoded[r].data()),
                      static_cast<std::streamsize>(decoded[r].size()));
            n += decoded[r].size();
        }
        std::printf("%s: %llu decoded bytes\n", argv[4], static_cast<unsigned long long>(n));
    }
    return 0;
}
