// One record of a recording on its own: how its decoded bytes divide into
// frames and trailer, what can be wrong with it, and its note. The record
// file's scan and its reads share these rules.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "recordfile/lzw.h"
#include "recordfile/record_format.h"

namespace vantrel {

// What is wrong with one record, if anything. Records within the instrument's
// limits have none of these.
enum class RecordDamage : uint8_t {
    None,
    StreamBadCode,   // LZW stream holds a code no encoder writes; decoded up to it
    StreamTruncated, // LZW stream ends inside a code; decoded up to it
    DecodedTooLarge, // decodes to more than 16384 bytes; the first 16384 are kept
    TrailerOutside,  // trailerLength negative or beyond the decoded size
    TrailerTooShort, // trailer shorter than a parameter block
    NoteCut,         // note cells run past the decoded record; the cells inside are used
};

const char* recordDamageText(RecordDamage damage);

// Why the scan at open stopped.
enum class ScanEnd : uint8_t {
    AnnouncedCount, // recordCount + 1 records were read
    EndOfFile,      // the file ends on a record boundary
    CutHeader,      // fewer than 8 header bytes remain
    ShortRecord,    // the stream runs past the end of the file
    NegativeLength, // storedLength < 0: the next record cannot be found
    OffsetLimit,    // the next record would start beyond a 32-bit offset
};

const char* scanEndText(ScanEnd end);

// The record's header fields and how its decoded bytes divide into frames and
// trailer, decided once per decoded record.
struct RecordLayout {
    int32_t storedLength = 0;
    int32_t trailerLength = 0;
    int32_t decodedSize = 0;
    // Bytes 0 .. frameAreaSize-1 are frames: decodedSize - trailerLength for a
    // record within the limits, all decoded bytes when the trailer cannot be
    // placed (its bytes are then at best part of a damaged record).
    int32_t frameAreaSize = 0;
    bool blockUsable = false; // a whole parameter block lies at frameAreaSize
    RecordDamage damage = RecordDamage::None;
    uint32_t streamFaultOffset = 0;

    int32_t trailerOffset() const { return frameAreaSize; }
    int32_t framesPerRecord() const { return frameAreaSize / kFrameSize; }
};

// Decides the layout of a freshly decoded record.
RecordLayout layoutRecord(int32_t storedLength, int32_t trailerLength,
                          const LzwDecodeResult& decoded);

// The note text (GBK bytes) of a decoded record whose block is usable: cells
// 0..n at trailer offset 220, n = the raw block byte 3; w <= 128 gives the
// byte w, a larger w the EUC-CN pair of its GB2312 row and cell; the text ends
// at the first zero byte. Cells past the decoded size are absent (the text
// ends there); nullopt when n = 0 (no note). `cut` tells whether cells were
// missing.
std::optional<std::string> noteTextOf(std::span<const uint8_t> decoded, const RecordLayout& layout,
                                      bool* cut = nullptr);
// The same for a record that was measured rather than decoded: byteAt(i)
// gives decoded byte i, for i < decodedSize.
std::optional<std::string> noteTextOf(size_t decodedSize,
                                      const std::function<uint8_t(size_t)>& byteAt,
                                      const RecordLayout& layout, bool* cut = nullptr);

} // namespace vantrel
