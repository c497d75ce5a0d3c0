#include "recordfile/record_layout.h"

namespace vantrel {

const char* recordDamageText(RecordDamage damage) {
    switch (damage) {
    case RecordDamage::None: return "intact";
    case RecordDamage::StreamBadCode: return "compressed stream holds an invalid code";
    case RecordDamage::StreamTruncated: return "compressed stream ends inside a code";
    case RecordDamage::DecodedTooLarge: return "record decodes to more than 16384 bytes";
    case RecordDamage::TrailerOutside: return "trailer length lies outside the record";
    case RecordDamage::TrailerTooShort: return "trailer is shorter than a parameter block";
    case RecordDamage::NoteCut: return "note runs past the end of the record";
    }
    return "unknown";
}

const char* scanEndText(ScanEnd end) {
    switch (end) {
    case ScanEnd::AnnouncedCount: return "announced count reached";
    case ScanEnd::EndOfFile: return "end of file";
    case ScanEnd::CutHeader: return "file ends inside a record header";
    case ScanEnd::ShortRecord: return "last record is cut short";
    case ScanEnd::NegativeLength: return "record has a negative stored length";
    case ScanEnd::OffsetLimit: return "record lies beyond the 2 GiB offset limit";
    }
    return "unknown";
}

RecordLayout layoutRecord(int32_t storedLength, int32_t trailerLength,
                          const LzwDecodeResult& decoded) {
    RecordLayout l;
    l.storedLength = storedLength;
    l.trailerLength = trailerLength;
    l.decodedSize = decoded.size;
    l.frameAreaSize = decoded.size;
    l.streamFaultOffset = decoded.faultOffset;
    switch (decoded.status) {
    case LzwStatus::Ok: break;
    case LzwStatus::BadCode: l.damage = RecordDamage::StreamBadCode; break;
    case LzwStatus::TruncatedCode: l.damage = RecordDamage::StreamTruncated; break;
    case LzwStatus::OutputFull: l.damage = RecordDamage::DecodedTooLarge; break;
    }
    if (storedLength > kStoredCapacity) l.damage = RecordDamage::DecodedTooLarge;
    if (trailerLength == 0) return l;
    // A damaged stream lost the record's end, so the trailer's place is
    // unknown: every decoded byte counts as frame data and no block is read.
    if (l.damage != RecordDamage::None) return l;
    if (trailerLength < 0 || trailerLength > decoded.size) {
        l.damage = RecordDamage::TrailerOutside;
        return l;
    }
    l.frameAreaSize = decoded.size - trailerLength;
    if (trailerLength < kParameterBlockSize) {
        // The frames end where the header says; the few trailer bytes are no
        // parameter block the instrument writes, so the settings in force stay.
        l.damage = RecordDamage::TrailerTooShort;
        return l;
    }
    l.blockUsable = true;
    return l;
}

namespace {

// The note of a record whose decoded bytes `byteAt` gives (decodedSize of them).
template <class ByteAt>
std::optional<std::string> noteTextFrom(size_t decodedSize, ByteAt byteAt,
                                        const RecordLayout& layout, bool* cut) {
    if (cut) *cut = false;
    if (!layout.blockUsable) return std::nullopt;
    const size_t t = static_cast<size_t>(layout.trailerOffset());
    const int n = byteAt(t + kNoteLengthOffset);
    if (n == 0) return std::nullopt;
    std::string text;
    const size_t cells = t + kNoteCellsOffset;
    // A note longer than the instrument's 97-cell work area is read in full:
    // every cell inside the record is the file's own data.
    for (int i = 0; i <= n; ++i) {
        const size_t at = cells + 2 * static_cast<size_t>(i);
        if (at + 2 > decodedSize) {
            if (cut) *cut = true;
            break;
        }
        const uint16_t w = static_cast<uint16_t>(byteAt(at) | (byteAt(at + 1) << 8));
        if (w <= 128) {
            const uint8_t b = static_cast<uint8_t>(w);
            if (b == 0) break;
            text.push_back(static_cast<char>(b));
        } else {
            // GB2312 row (high byte) and cell (low byte) -> EUC-CN bytes.
            const uint8_t hi = static_cast<uint8_t>((w >> 8) + 0xA0);
            const uint8_t lo = static_cast<uint8_t>((w & 0xFF) + 0xA0);
            if (hi == 0) break;
            text.push_back(static_cast<char>(hi));
            if (lo == 0) break;
            text.push_back(static_cast<char>(lo));
        }
    }
    return text;
}

} // namespace

std::optional<std::string> noteTextOf(std::span<const uint8_t> decoded, const RecordLayout& layout,
                                      bool* cut) {
    return noteTextFrom(
        decoded.size(), [&](size_t i) { return decoded[i]; }, layout, cut);
}

std::optional<std::string> noteTextOf(size_t decodedSize,
                                      const std::function<uint8_t(size_t)>& byteAt,
                                      const RecordLayout& layout, bool* cut) {
    return noteTextFrom(decodedSize, byteAt, layout, cut);
}

} // namespace vantrel
