// Writes the seed corpora of the fuzz targets from the demo recording, with
// the project's own writer and encoder: small recordings that hold each
// display mode of the demo (one and two gates, DAC, DGS, envelope, notes),
// a cut one, and LZW streams of single records.
// Usage: make-fuzz-seeds DEMO.DAT CORPUS_DIR
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "instrument_params.h"
#include "lzw.h"
#include "record_file.h"
#include "record_writer.h"

using namespace vantrel;

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make-fuzz-seeds DEMO.DAT CORPUS_DIR\n");
        return 2;
    }
    const std::filesystem::path out(argv[2]);
    std::filesystem::create_directories(out / "lzw");
    std::filesystem::create_directories(out / "record_file");
    RecordFile demo;
    if (!demo.openRecordFile(argv[1]).ok()) return 1;
    InstrumentParams p;
    auto decoded = [&](int r, int32_t& trailer) {
        demo.readRecordAt(demo.indexEntryAt(r)->fileOffset, p);
        trailer = demo.layout().trailerLength;
        return std::vector<uint8_t>(demo.decoded().begin(), demo.decoded().end());
    };
    // Each seed: the record carrying the block in force, then a few records.
    const std::pair<const char*, std::vector<int>> seeds[] = {
        {"one-gate", {0, 1, 2}},     {"gain-change", {47, 48}},     {"envelope", {60, 61}},
        {"dac", {140, 141, 185}},    {"two-gate", {220, 221, 230}}, {"dgs", {262, 263, 270}},
        {"reject", {281, 282, 299}},
    };
    for (const auto& [name, records] : seeds) {
        RecordWriter w;
        for (int r : records) {
            int32_t trailer = 0;
            const std::vector<uint8_t> d = decoded(r, trailer);
            w.addDecoded(d, trailer);
        }
        w.writeFile((out / "record_file" / (std::string(name) + ".DAT")).string());
        std::vector<uint8_t> cut = w.bytes();
        cut.resize(cut.size() * 2 / 3);
        writeBytes((out / "record_file" / (std::string(name) + "-cut.DAT")).string(), cut);
    }
    for (int r : {0, 140, 262}) {
        int32_t trailer = 0;
        const std::vector<uint8_t> d = decoded(r, trailer);
        writeBytes((out / "lzw" / ("record-" + std::to_string(r) + ".lzw")).string(),
                   encodeStream(d));
    }
    const char* const texts[] = {"ABABABA", "AAAAAAAA", "AB"};
    for (const char* t : texts) {
        const std::vector<uint8_t> bytes(t, t + std::string(t).size());
        writeBytes((out / "lzw" / (std::string(t) + ".lzw")).string(), encodeStream(bytes));
    }
    std::printf("seeds written to %s\n", out.string().c_str());
    return 0;
}
