#include "recordfile/lzw.h"

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

// The encoder takes its input 1024 bytes at a time and writes its output in
// 1024-byte pieces, as the instrument does; the decoder reads its input whole.
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
// decoder keeps for each code where its string lies (in the output, or for a
// single byte in a row of all 256 byte values) and how long it is, and emits
// a code by copying those bytes forward. The output is the same byte for
// byte, on every stream, with the same checks.
//
// The code width depends only on how many codes came before, never on their
// values, so long runs of codes share one width. The hot loop takes such a
// run with no width bookkeeping and no end-of-stream tests, reading each code
// from one 8-byte load and copying each short string with one 16-byte move;
// every code it does not take on (the width changes, the stream's last
// bytes, long strings, the output's end, a damaged code) goes through the
// careful step, which checks everything.

namespace {

inline uint64_t loadBigEndian64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return __builtin_bswap64(v);
}

// 16 bytes from `from` to `to` through a register: the source may overlap
// the destination (a string copied from just behind the write position).
inline void move16(uint8_t* to, const uint8_t* from) {
    uint8_t block[16];
    std::memcpy(block, from, 16);
    std::memcpy(to, block, 16);
}

// A code of `width` bits at bit position `bit`, most significant bit first,
// reading no byte past the stream; false when the stream ends inside it.
inline bool readCodeAt(const uint8_t* src, uint32_t srcSize, uint64_t& bit, unsigned width,
                       uint32_t& code) {
    if (bit + width > static_cast<uint64_t>(srcSize) * 8) return false;
    const size_t byte = static_cast<size_t>(bit >> 3);
    uint32_t v = static_cast<uint32_t>(src[byte]) << 16;
    if (byte + 1 < srcSize) v |= static_cast<uint32_t>(src[byte + 1]) << 8;
    if (byte + 2 < srcSize) v |= src[byte + 2];
    code = (v >> (24 - static_cast<unsigned>(bit & 7) - width)) & ((1u << width) - 1);
    bit += width;
    return true;
}

// The decoder's width after the step that made nextCode what it is now.
inline void widenAfterStep(uint32_t nextCode, unsigned& width) {
    if (nextCode == (1u << width) - 1 && ++width > kMaxWidth) width = kMinWidth;
}

} // namespace

struct LzwDecoder::Tables {
    const uint8_t* from[kTableSize]; // where the code's string lies
    uint16_t length[kTableSize];     // its length
    // Byte value c at index c, and 16 bytes of slack so that a 16-byte move
    // from any of them stays inside.
    uint8_t bytes[256 + 16];
    // measure(): the code of every step and where its string starts in the
    // output. Without a restart a stream has fewer than 4096 steps.
    uint16_t stepCode[kCodeLimit];
    uint32_t stepStart[kCodeLimit + 1];
    uint32_t steps;
};

LzwDecoder::LzwDecoder() : tables_(std::make_unique<Tables>()) {
    Tables& t = *tables_;
    std::memset(&t, 0, sizeof t);
    for (int c = 0; c < 256; ++c) {
        t.bytes[c] = static_cast<uint8_t>(c);
        t.from[c] = &t.bytes[c];
        t.length[c] = 1;
    }
}
LzwDecoder::~LzwDecoder() = default;

LzwDecodeResult LzwDecoder::decode(const uint8_t* src, uint32_t srcSize, uint8_t* dst,
                                   size_t dstCapacity) {
    const uint8_t** const from = tables_->from;
    uint16_t* const length = tables_->length;
    LzwDecodeResult result;
    if (srcSize == 0) return result;

    uint64_t bit = 0;
    auto readCode = [&](unsigned width, uint32_t& code) {
        return readCodeAt(src, srcSize, bit, width, code);
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
    const uint8_t* prevFrom = dst;
    uint32_t prevLength = 1;

    uint32_t nextCode = kFirstDictionaryCode;
    unsigned width = kMinWidth;
    // The last bit position from which an 8-byte load stays inside the stream.
    const uint64_t lastLoadBit = srcSize >= 8 ? (static_cast<uint64_t>(srcSize) - 8) * 8 : 0;
    const bool canLoad8 = srcSize >= 8;
    // A code is read while input bytes remain that no code has touched;
    // fewer than 8 bits after the last code are padding.
    while (((bit + 7) >> 3) < srcSize) {
        // The hot loop: codes that leave the width unchanged, wholly inside
        // an 8-byte load, giving at most 16 bytes with 16 bytes of room.
        const uint32_t widenAt = (1u << width) - 2;
        while (canLoad8 && bit <= lastLoadBit && nextCode < widenAt) {
            const uint64_t v = loadBigEndian64(src + (bit >> 3));
            const uint32_t code = static_cast<uint32_t>((v << (bit & 7)) >> (64 - width));
            if (code - 256u < 2u || code > nextCode) break; // damaged: the careful step says so
            from[nextCode] = prevFrom; // this step's entry (what code == nextCode means)
            length[nextCode] = static_cast<uint16_t>(prevLength + 1);
            const uint8_t* f = from[code];
            const uint32_t n = length[code];
            if (n > 16 || out + 16 > dstCapacity) break;
            move16(dst + out, f);
            // The entry being defined ends in its own first byte, which the
            // move read before writing it.
            if (code == nextCode) dst[out + n - 1] = f[0];
            ++nextCode;
            prevFrom = dst + out;
            prevLength = n;
            out += n;
            bit += width;
        }
        if (((bit + 7) >> 3) >= srcSize) break;

        // The careful step: one code, every check.
        const uint64_t codeStart = bit;
        if (!readCode(width, c)) return fail(LzwStatus::TruncatedCode, codeStart, out);
        if (c == 256 || c == 257 || c > nextCode) return fail(LzwStatus::BadCode, codeStart, out);
        // c == nextCode is the entry this very step defines: the previous
        // string plus its own first byte.
        const bool earlier = c < nextCode;
        const uint8_t* f = earlier ? from[c] : prevFrom;
        const uint32_t n = earlier ? length[c] : prevLength + 1;
        from[nextCode] = prevFrom;
        length[nextCode] = static_cast<uint16_t>(prevLength + 1);
        ++nextCode;
        widenAfterStep(nextCode, width);
        if (nextCode >= kCodeLimit) {
            // The encoder restarts its dictionary right before this code, so
            // it is always a single byte.
            if (c >= 256) return fail(LzwStatus::BadCode, codeStart, out);
            nextCode = kFirstDictionaryCode;
            width = kMinWidth;
        }
        uint8_t* const here = dst + out;
        const size_t room = dstCapacity - out;
        const size_t fits = n <= room ? n : room;
        if (earlier) {
            std::memcpy(here, f, fits); // an earlier string: wholly behind `here`
        } else {
            // The entry this step defined ends in its own first byte, which
            // this very copy writes: forward one by one.
            for (size_t i = 0; i < fits; ++i)
                here[i] = f[i];
        }
        out += fits;
        if (fits < n) return fail(LzwStatus::OutputFull, codeStart, out);
        prevFrom = here;
        prevLength = n;
    }
    result.size = static_cast<int32_t>(out);
    return result;
}

// The measuring walk keeps the code of every step and where its string
// starts. Entry 257 + j is defined at step j: the string of step j - 1 plus
// the first byte of step j. So a byte of the output is found without the
// output: it is byte o of step k's string; a single byte is itself; byte o of
// an entry's string is byte o of step j - 1 when o is inside that string,
// else the first byte of step j. Each move goes to an earlier step or to the
// start of one, so the walk ends at a single byte.

namespace {

// The measuring walk's hot loop: `count` codes of W bits, each inside an
// 8-byte load; false at a code no encoder writes there.
struct MeasureRun {
    uint64_t bit;
    uint32_t nextCode;
    uint32_t steps;
    uint32_t out;
    uint32_t prevLength;

    template <unsigned W>
    bool take(const uint8_t* src, uint32_t count, uint16_t* length, uint16_t* stepCode,
              uint32_t* stepStart) {
        uint64_t b = bit;
        uint32_t next = nextCode, o = out, prev = prevLength;
        // Without a restart the step and the entry it defines go together:
        // step k defines entry 257 + k.
        uint16_t* const codeOfEntry = stepCode - 257;
        uint32_t* const startOfEntry = stepStart - 257;
        const uint32_t end = next + count;
        bool sound = true;
        for (; next != end; ++next) {
            const uint64_t v = loadBigEndian64(src + (b >> 3));
            const uint32_t code = static_cast<uint32_t>((v << (b & 7)) >> (64 - W));
            if (code - 256u < 2u || code > next) {
                sound = false;
                break;
            }
            length[next] = static_cast<uint16_t>(prev + 1);
            const uint32_t n = length[code];
            codeOfEntry[next] = static_cast<uint16_t>(code);
            startOfEntry[next] = o;
            o += n;
            prev = n;
            b += W;
        }
        steps += next - nextCode;
        bit = b;
        nextCode = next;
        out = o;
        prevLength = prev;
        return sound;
    }
};

} // namespace

bool LzwDecoder::measure(const uint8_t* src, uint32_t srcSize, size_t capacity, int32_t& size) {
    Tables& t = *tables_;
    uint16_t* const length = t.length;
    uint16_t* const stepCode = t.stepCode;
    uint32_t* const stepStart = t.stepStart;
    t.steps = 0;
    size = 0;
    if (srcSize == 0) {
        stepStart[0] = 0;
        return true;
    }
    if (srcSize < 2 || capacity == 0) return false;
    uint64_t bit = 0;
    uint32_t first = 0;
    readCodeAt(src, srcSize, bit, kMinWidth, first); // two bytes hold it
    if (first >= 256) return false;
    stepCode[0] = static_cast<uint16_t>(first);
    stepStart[0] = 0;
    uint32_t steps = 1;
    uint32_t out = 1;
    uint32_t prevLength = 1;

    const uint64_t lastLoadBit = srcSize >= 8 ? (static_cast<uint64_t>(srcSize) - 8) * 8 : 0;
    const bool canLoad8 = srcSize >= 8;
    uint32_t nextCode = kFirstDictionaryCode;
    unsigned width = kMinWidth;
    while (((bit + 7) >> 3) < srcSize) {
        // Codes that leave the width unchanged, each inside an 8-byte load.
        const uint32_t widenAt = (1u << width) - 2;
        if (canLoad8 && bit <= lastLoadBit && nextCode < widenAt) {
            const uint64_t fit = (lastLoadBit - bit) / width + 1;
            const uint32_t count =
                static_cast<uint32_t>(std::min<uint64_t>(fit, widenAt - nextCode));
            MeasureRun run{bit, nextCode, steps, out, prevLength};
            bool sound = false;
            switch (width) {
            case 9: sound = run.take<9>(src, count, length, stepCode, stepStart); break;
            case 10: sound = run.take<10>(src, count, length, stepCode, stepStart); break;
            case 11: sound = run.take<11>(src, count, length, stepCode, stepStart); break;
            default: sound = run.take<12>(src, count, length, stepCode, stepStart); break;
            }
            if (!sound) return false;
            bit = run.bit;
            nextCode = run.nextCode;
            steps = run.steps;
            out = run.out;
            prevLength = run.prevLength;
        }
        if (out > capacity) return false;
        if (((bit + 7) >> 3) >= srcSize) break;

        // One code with every check, as decode() reads it.
        uint32_t code = 0;
        if (!readCodeAt(src, srcSize, bit, width, code)) return false;
        if (code - 256u < 2u || code > nextCode) return false;
        length[nextCode] = static_cast<uint16_t>(prevLength + 1);
        const uint32_t n = length[code];
        ++nextCode;
        widenAfterStep(nextCode, width);
        if (nextCode >= kCodeLimit) return false; // a restart: decode() takes it on
        stepCode[steps] = static_cast<uint16_t>(code);
        stepStart[steps] = out;
        ++steps;
        out += n;
        prevLength = n;
        if (out > capacity) return false;
    }
    stepStart[steps] = out;
    t.steps = steps;
    size = static_cast<int32_t>(out);
    return true;
}

uint8_t LzwDecoder::byteAt(int32_t position) const {
    const Tables& t = *tables_;
    const uint32_t p = static_cast<uint32_t>(position);
    // The step whose string holds the byte: the last one starting at or before it.
    const uint32_t* const starts = t.stepStart;
    uint32_t k = static_cast<uint32_t>(std::upper_bound(starts, starts + t.steps, p) - starts) - 1;
    uint32_t o = p - starts[k];
    for (;;) {
        const uint32_t c = t.stepCode[k];
        if (c < 256) return static_cast<uint8_t>(c);
        const uint32_t j = c - 257;
        if (o < starts[j] - starts[j - 1]) {
            k = j - 1;
        } else {
            k = j;
            o = 0;
        }
    }
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
