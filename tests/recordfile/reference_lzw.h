// The instrument's decoder as it works: 1024-byte input and output chunks,
// the prefix and suffix chains walked onto a stack and popped into the
// output. The library's decoder copies strings straight from the output
// instead; the tests and the codec fuzzer check the two agree on every
// stream, damaged ones included.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "recordfile/lzw.h"

namespace vantrel::reference {

constexpr int kTableSize = 4099;
constexpr uint32_t kChunkSize = 1024;
constexpr uint16_t kFirstDictionaryCode = 258;
constexpr uint16_t kCodeLimit = 4096;
constexpr uint8_t kMinWidth = 9;
constexpr uint8_t kMaxWidth = 12;

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

struct ChunkWriter {
    uint8_t* dst;
    size_t capacity;
    size_t total = 0;
    uint16_t count = 0;
    uint8_t chunk[kChunkSize];

    ChunkWriter(uint8_t* d, size_t cap) : dst(d), capacity(cap) {}

    size_t room() const { return capacity - total - count; }
    void flush() {
        if (count != 0) std::memcpy(dst + total, chunk, count);
        total += count;
        count = 0;
    }
    void putChecked(uint8_t b) {
        if (count == kChunkSize) flush();
        chunk[count++] = b;
    }
};

struct Tables {
    uint16_t prefix[kTableSize];
    uint8_t suffix[kTableSize];
    uint8_t stack[kTableSize];
};

inline LzwDecodeResult referenceLzwDecode(const uint8_t* src, uint32_t srcSize, uint8_t* dst,
                                          size_t dstCapacity) {
    static Tables tablesStorage{};
    Tables* tables_ = &tablesStorage;
    uint16_t* const prefixTable = tables_->prefix;
    uint8_t* const suffixTable = tables_->suffix;
    uint8_t* const stack = tables_->stack;

    ChunkReader in(src, srcSize);
    ChunkWriter out(dst, dstCapacity);
    LzwDecodeResult result;

    uint16_t nextCode = kFirstDictionaryCode;
    uint8_t width = kMinWidth;
    uint32_t bitBuffer = 0;
    uint8_t bitCount = 0;
    uint64_t bitsRead = 0; // position of the next code in the stream, for fault reports

    auto fail = [&](LzwStatus status, uint64_t codeStartBit) {
        result.status = status;
        result.faultOffset = static_cast<uint32_t>(codeStartBit / 8);
    };

    // Fills the bit buffer from its most significant end. Returns false when
    // the stream ends before the code is complete.
    auto readCode = [&](uint16_t& code) -> bool {
        while (bitCount < width) {
            if (in.pos == in.count) {
                if (in.count < kChunkSize || in.refill() == 0) return false;
            }
            bitBuffer |= static_cast<uint32_t>(in.chunk[in.pos++]) << (24 - bitCount);
            bitCount = static_cast<uint8_t>(bitCount + 8);
        }
        code = static_cast<uint16_t>(bitBuffer >> (32 - width));
        bitBuffer <<= width;
        bitCount = static_cast<uint8_t>(bitCount - width);
        bitsRead += width;
        return true;
    };

    // Pushes the string of code c in reverse, then pops it into the output.
    // Chains only ever lead to smaller codes defined in this call, so the
    // depth stays below the table size; the bound check is a safety net.
    auto emit = [&](uint16_t c) -> bool {
        int depth = 0;
        if (c < 256) {
            stack[depth++] = static_cast<uint8_t>(c);
        } else {
            stack[depth++] = suffixTable[c];
            uint16_t x = prefixTable[c];
            while (x > 256) {
                if (depth >= kTableSize - 1) return false;
                stack[depth++] = suffixTable[x];
                x = prefixTable[x];
            }
            stack[depth++] = static_cast<uint8_t>(x);
        }
        const size_t room = out.room();
        const int fits = static_cast<size_t>(depth) <= room ? depth : static_cast<int>(room);
        for (int i = 0; i < fits; ++i)
            out.putChecked(stack[depth - 1 - i]);
        if (fits < depth) {
            result.status = LzwStatus::OutputFull;
            return false;
        }
        return true;
    };

    if (in.refill() != 0) {
        uint16_t c = 0;
        uint64_t codeStart = bitsRead;
        if (!readCode(c)) {
            fail(LzwStatus::TruncatedCode, codeStart);
        } else if (c >= 256) {
            // The first code of a stream is always a single byte.
            fail(LzwStatus::BadCode, codeStart);
        } else if (emit(c)) {
            uint16_t currentPrefix = c;
            bool running = true;
            while (running) {
                while (in.pos < in.count) {
                    codeStart = bitsRead;
                    if (!readCode(c)) {
                        fail(LzwStatus::TruncatedCode, codeStart);
                        running = false;
                        break;
                    }
                    if (c == 256 || c == 257 || c > nextCode) {
                        fail(LzwStatus::BadCode, codeStart);
                        running = false;
                        break;
                    }
                    // f: the first byte of c's string. A code equal to nextCode
                    // is the entry this very step defines: current prefix + f.
                    uint8_t f;
                    if (c < 256) {
                        f = static_cast<uint8_t>(c);
                    } else {
                        uint16_t x = c < nextCode ? prefixTable[c] : currentPrefix;
                        int guard = 0;
                        while (x > 256 && guard++ < kTableSize)
                            x = prefixTable[x];
                        f = static_cast<uint8_t>(x);
                    }
                    prefixTable[nextCode] = currentPrefix;
                    suffixTable[nextCode] = f;
                    ++nextCode;
                    if (nextCode == (1u << width) - 1) {
                        ++width;
                        if (width > kMaxWidth) width = kMinWidth;
                    }
                    if (nextCode >= kCodeLimit) {
                        // The encoder restarts its dictionary right before this
                        // code, so it is always a single byte; a longer string
                        // here would chain the new dictionary into the old one.
                        if (c >= 256) {
                            fail(LzwStatus::BadCode, codeStart);
                            running = false;
                            break;
                        }
                        nextCode = kFirstDictionaryCode;
                        width = kMinWidth;
                    }
                    if (!emit(c)) {
                        if (result.status == LzwStatus::Ok) fail(LzwStatus::BadCode, codeStart);
                        running = false;
                        break;
                    }
                    currentPrefix = c;
                }
                if (running && in.refill() == 0) running = false;
            }
        } else if (result.status == LzwStatus::Ok) {
            fail(LzwStatus::BadCode, codeStart);
        }
    }
    out.flush();
    result.size = static_cast<int32_t>(out.total);
    return result;
}

} // namespace vantrel::reference
