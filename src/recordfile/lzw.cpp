#include "lzw.h"

#include <algorithm>
#include <cstring>

namespace vantrel {

namespace {

// 4099 is prime, so the encoder's probe sequence (step 13) visits every slot;
// the decoder indexes the same-sized tables directly by code.
constexpr int kTableSize = 4099;
constexpr uint32_t kChunkSize = 1024;
constexpr uint16_t kFirstDictionaryCode = 258;
constexpr uint16_t kCodeLimit = 4096;
constexpr uint8_t kMinWidth = 9;
constexpr uint8_t kMaxWidth = 12;
constexpr uint16_t kEmptySlot = 0xFFFF;
constexpr int kProbeStep = 13;

// Both sides take their input 1024 bytes at a time, as the instrument does.
struct ChunkReader {
    const uint8_t* src;
    uint32_t srcSize;
    uint32_t consumed = 0;
    uint16_t count = 0;
    uint16_t pos = 0;
    uint8_t chunk[kChunkSize];

    ChunkReader(const uint8_t* s, uint32_t n) : src(s), srcSize(n) {}

    uint16_t refill() {
        const uint32_t n = std::min(srcSize - consumed, kChunkSize);
        if (n != 0) std::memcpy(chunk, src + consumed, n);
        consumed += n;
        pos = 0;
        count = static_cast<uint16_t>(n);
        return count;
    }
};

} // namespace

const char* lzwStatusText(LzwStatus status) {
    switch (status) {
    case LzwStatus::Ok: return "ok";
    case LzwStatus::OutputFull: return "decoded data exceeds the buffer";
    case LzwStatus::BadCode: return "invalid code in the compressed stream";
    case LzwStatus::TruncatedCode: return "compressed stream ends inside a code";
    }
    return "unknown";
}

size_t lzwEncodeBound(size_t srcSize) {
    // At most one code of at most 12 bits per input byte, plus the flush byte.
    return srcSize * kMaxWidth / 8 + 2;
}

// ---------------------------------------------------------------- decoder
//
// Every dictionary string is the previous code's string plus one byte, and
// it was written to the output exactly there: right where the previous code's
// string starts, one byte longer (the byte is the first of the string that
// follows). So instead of the instrument's prefix and suffix chains, the
// decoder keeps for each code where its string lies in the output and how
// long it is, and emits a code by copying those bytes forward. The output is
// the same byte for byte, on every stream, with the same checks.

struct LzwDecoder::Tables {
    size_t start[kTableSize];    // where the code's string was written
    uint16_t length[kTableSize]; // its length
};

LzwDecoder::LzwDecoder() : tables_(std::make_unique<Tables>()) {
    std::memset(tables_.get(), 0, sizeof(Tables));
}
LzwDecoder::~LzwDecoder() = default;

LzwDecodeResult LzwDecoder::decode(const uint8_t* src, uint32_t srcSize, uint8_t* dst,
                                   size_t dstCapacity) {
    size_t* const start = tables_->start;
    uint16_t* const length = tables_->length;
    LzwDecodeResult result;
    if (srcSize == 0) return result;

    const uint64_t totalBits = static_cast<uint64_t>(srcSize) * 8;
    uint64_t bit = 0;
    // A code of `width` bits at bit position `bit`, most significant bit
    // first; false when the stream ends inside it.
    auto readCode = [&](unsigned width, uint32_t& code) {
        if (bit + width > totalBits) return false;
        const size_t byte = static_cast<size_t>(bit >> 3);
        uint32_t v = static_cast<uint32_t>(src[byte]) << 16;
        if (byte + 1 < srcSize) v |= static_cast<uint32_t>(src[byte + 1]) << 8;
        if (byte + 2 < srcSize) v |= src[byte + 2];
        code = (v >> (24 - static_cast<unsigned>(bit & 7) - width)) & ((1u << width) - 1);
        bit += width;
        return true;
    };
    auto fail = [&](LzwStatus status, uint64_t codeStart, size_t written) {
        result.status = status;
        result.faultOffset = static_cast<uint32_t>(codeStart / 8);
        result.size = static_cast<int32_t>(written);
        return result;
    };

    uint32_t c = 0;
    if (!readCode(kMinWidth, c)) return fail(LzwStatus::TruncatedCode, 0, 0);
    if (c >= 256) return fail(LzwStatus::BadCode, 0, 0); // a stream starts with a byte
    if (dstCapacity == 0) return fail(LzwStatus::OutputFull, 0, 0);
    dst[0] = static_cast<uint8_t>(c);
    size_t out = 1;
    size_t prevStart = 0;
    uint32_t prevLength = 1;

    uint32_t nextCode = kFirstDictionaryCode;
    unsigned width = kMinWidth;
    // A code is read while input bytes remain that no code has touched;
    // fewer than 8 bits after the last code are padding.
    while (((bit + 7) >> 3) < srcSize) {
        const uint64_t codeStart = bit;
        if (!readCode(width, c)) return fail(LzwStatus::TruncatedCode, codeStart, out);
        if (c == 256 || c == 257 || c > nextCode) return fail(LzwStatus::BadCode, codeStart, out);
        // c == nextCode is the entry this very step defines: the previous
        // string plus its own first byte.
        size_t from = 0;
        uint32_t n = 1;
        if (c >= 256) {
            from = c < nextCode ? start[c] : prevStart;
            n = c < nextCode ? length[c] : prevLength + 1;
        }
        start[nextCode] = prevStart;
        length[nextCode] = static_cast<uint16_t>(prevLength + 1);
        ++nextCode;
        if (nextCode == (1u << width) - 1 && ++width > kMaxWidth) width = kMinWidth;
        if (nextCode >= kCodeLimit) {
            // The encoder restarts its dictionary right before this code, so
            // it is always a single byte.
            if (c >= 256) return fail(LzwStatus::BadCode, codeStart, out);
            nextCode = kFirstDictionaryCode;
            width = kMinWidth;
        }
        const size_t here = out;
        const size_t room = dstCapacity - out;
        if (c < 256) {
            if (room == 0) return fail(LzwStatus::OutputFull, codeStart, out);
            dst[out++] = static_cast<uint8_t>(c);
        } else {
            const size_t fits = n <= room ? n : room;
            if (fits <= 16 && out + 16 <= dstCapacity && from + 16 <= out) {
                // Short strings, the common case: one fixed 16-byte copy. The
                // bytes past the string lie in room not yet written and are
                // overwritten by what follows.
                std::memcpy(dst + out, dst + from, 16);
            } else if (from + fits <= out) {
                std::memcpy(dst + out, dst + from, fits);
            } else {
                // Overlaps its own first byte: copy forward one by one.
                for (size_t i = 0; i < fits; ++i)
                    dst[out + i] = dst[from + i];
            }
            out += fits;
            if (fits < n) return fail(LzwStatus::OutputFull, codeStart, out);
        }
        prevStart = here;
        prevLength = n;
    }
    result.size = static_cast<int32_t>(out);
    return result;
}

// ---------------------------------------------------------------- encoder

struct LzwEncoder::Tables {
    uint16_t prefix[kTableSize];
    uint8_t suffix[kTableSize];
    uint16_t code[kTableSize];
};

LzwEncoder::LzwEncoder() : tables_(std::make_unique<Tables>()) {
    std::memset(tables_.get(), 0, sizeof(Tables));
}
LzwEncoder::~LzwEncoder() = default;

LzwEncodeResult LzwEncoder::encode(const uint8_t* src, uint32_t srcSize, uint8_t* dst,
                                   size_t dstCapacity) {
    uint16_t* const prefixTable = tables_->prefix;
    uint8_t* const suffixTable = tables_->suffix;
    uint16_t* const codeTable = tables_->code;

    ChunkReader in(src, srcSize);
    LzwEncodeResult result;
    if (srcSize == 0) return result;

    uint16_t nextCode = kFirstDictionaryCode;
    uint8_t width = kMinWidth;
    auto resetDictionary = [&] {
        std::fill(codeTable, codeTable + kTableSize, kEmptySlot);
        nextCode = kFirstDictionaryCode;
        width = kMinWidth;
    };

    uint8_t chunk[kChunkSize];
    uint16_t chunkCount = 0;
    size_t total = 0;
    uint32_t bitBuffer = 0;
    uint8_t pending = 0;
    bool overflow = false;

    auto flushChunk = [&] {
        if (overflow) return;
        if (chunkCount > dstCapacity - total) {
            overflow = true;
            return;
        }
        if (chunkCount != 0) std::memcpy(dst + total, chunk, chunkCount);
        total += chunkCount;
        chunkCount = 0;
    };
    auto writeCode = [&](uint16_t code) {
        bitBuffer |= static_cast<uint32_t>(code) << (32 - width - pending);
        pending = static_cast<uint8_t>(pending + width);
        while (pending >= 8) {
            if (chunkCount == kChunkSize) flushChunk();
            if (overflow) return;
            chunk[chunkCount++] = static_cast<uint8_t>(bitBuffer >> 24);
            bitBuffer <<= 8;
            pending = static_cast<uint8_t>(pending - 8);
        }
    };
    auto advanceCode = [&] {
        ++nextCode;
        if (nextCode == (1u << width)) {
            ++width;
            if (width > kMaxWidth) resetDictionary();
        }
    };

    resetDictionary();
    in.refill();
    if (srcSize == 1) {
        writeCode(in.chunk[0]);
    } else {
        uint16_t currentPrefix = in.chunk[0];
        uint8_t currentByte = in.chunk[1];
        in.pos = 2;
        do {
            while (in.pos != in.count && !overflow) {
                int slot = static_cast<int>(
                    ((static_cast<uint32_t>(currentPrefix) << 8) | currentByte) % kTableSize);
                while (codeTable[slot] != kEmptySlot &&
                       !(prefixTable[slot] == currentPrefix && suffixTable[slot] == currentByte)) {
                    slot = (slot + kProbeStep) % kTableSize;
                }
                uint16_t newPrefix;
                if (codeTable[slot] != kEmptySlot) {
                    newPrefix = codeTable[slot];
                } else {
                    prefixTable[slot] = currentPrefix;
                    suffixTable[slot] = currentByte;
                    codeTable[slot] = nextCode;
                    writeCode(currentPrefix);
                    advanceCode();
                    newPrefix = currentByte;
                }
                currentPrefix = newPrefix;
                currentByte = in.chunk[in.pos++];
            }
        } while (!overflow && in.refill() != 0);
        writeCode(currentPrefix);
        advanceCode();
        writeCode(currentByte);
    }
    if (pending > 0 && !overflow) {
        if (chunkCount == kChunkSize) flushChunk();
        if (!overflow) chunk[chunkCount++] = static_cast<uint8_t>(bitBuffer >> 24);
    }
    flushChunk();
    result.size = static_cast<int32_t>(total);
    if (overflow) result.status = LzwStatus::OutputFull;
    return result;
}

LzwDecodeResult lzwDecode(const uint8_t* src, uint32_t srcSize, uint8_t* dst, size_t dstCapacity) {
    thread_local LzwDecoder decoder;
    return decoder.decode(src, srcSize, dst, dstCapacity);
}

LzwEncodeResult lzwEncode(const uint8_t* src, uint32_t srcSize, uint8_t* dst, size_t dstCapacity) {
    thread_local LzwEncoder encoder;
    return encoder.encode(src, srcSize, dst, dstCapacity);
}

} // namespace vantrel
