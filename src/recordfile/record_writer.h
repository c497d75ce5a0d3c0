// Writes *.DAT files the way the instrument does, with the project's own
// encoder: the demo generator, the tests and the benchmarks make every sample
// file with it. A record can also be written with header fields and stream
// bytes as given, to damage a file on purpose.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "recordfile/file_io.h"
#include "recordfile/record_format.h"

namespace vantrel {

using ParameterBlock = std::vector<uint8_t>; // kParameterBlockSize bytes

// Note cells for a text: ASCII characters as themselves, GB2312 characters as
// (row << 8) | cell. Characters outside GB2312 become '?'.
std::vector<uint16_t> noteCellsFromUtf8(std::string_view text);

// The decoded form of a record: frames, then (when a block is given) the
// block, 2 unused bytes and the note cells. The block's byte 3 is set to the
// note length (cells - 1, or 0 without a note).
std::vector<uint8_t> buildDecodedRecord(std::span<const uint8_t> frames,
                                        const ParameterBlock* block,
                                        std::span<const uint16_t> noteCells);

// The LZW stream of a decoded record.
std::vector<uint8_t> encodeStream(std::span<const uint8_t> decoded);

class RecordWriter {
public:
    // A record as the instrument writes it.
    void addRecord(std::span<const uint8_t> frames, const ParameterBlock* block = nullptr,
                   std::span<const uint16_t> noteCells = {});
    // A record from a decoded image and the trailer length to announce.
    void addDecoded(std::span<const uint8_t> decoded, int32_t trailerLength);
    // A record with header fields and stream bytes as given (for damage).
    void addRaw(int32_t storedLength, int32_t trailerLength, std::span<const uint8_t> stream);

    int32_t records() const { return records_; }
    // The file image, announcing `announced` records (default: as many as added).
    std::vector<uint8_t> bytes(std::optional<int32_t> announced = std::nullopt) const;
    bool writeFile(const std::string& path, std::optional<int32_t> announced = std::nullopt) const;

    // Offset of each record added so far.
    const std::vector<int64_t>& offsets() const { return offsets_; }

private:
    std::vector<uint8_t> body_;
    std::vector<int64_t> offsets_;
    int32_t records_ = 0;
};

} // namespace vantrel
