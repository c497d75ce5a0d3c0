// The instrument's LZW record codec.
//
// Stream format: codes of 9 to 12 bits packed most significant bit first, no
// header, no length, no clear code and no end code. Codes 0..255 are single
// bytes, 256 and 257 are never used, the dictionary runs from 258 to 4095 and
// restarts by itself after 4095. Both sides widen the code at the same point
// of the stream: the encoder when its next code reaches 2^w, the decoder
// (which adds every entry one code later) when its next code reaches 2^w - 1.
//
// Byte contract: neither side reads outside [src, src + srcSize) nor writes
// outside [dst, dst + dstCapacity), whatever the input. A stream the encoder
// never produces is not decoded by guesswork: the decoder stops at the first
// code it cannot resolve and reports what it had decoded up to there, so the
// intact front of a damaged record survives.
//
// Ownership: each LzwDecoder / LzwEncoder owns its dictionary tables, which
// are allocated once with the object and reused by every call; one object
// must not be used by two threads at once. lzwDecode / lzwEncode use one
// object per thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace vantrel {

enum class LzwStatus : uint8_t {
    Ok,
    OutputFull,    // the result did not fit into dstCapacity; size = dstCapacity
    BadCode,       // a code that no encoder writes at that point of the stream
    TruncatedCode, // the stream ends inside a code
};

const char* lzwStatusText(LzwStatus status);

struct LzwDecodeResult {
    int32_t size = 0; // bytes written to dst (decodedSize)
    LzwStatus status = LzwStatus::Ok;
    uint32_t faultOffset = 0; // stream byte where the first unusable code starts
};

struct LzwEncodeResult {
    int32_t size = 0;                 // bytes written to dst
    LzwStatus status = LzwStatus::Ok; // Ok or OutputFull
};

// Largest stream lzwEncode can produce for srcSize input bytes.
size_t lzwEncodeBound(size_t srcSize);

class LzwDecoder {
public:
    LzwDecoder();
    ~LzwDecoder();
    LzwDecoder(const LzwDecoder&) = delete;
    LzwDecoder& operator=(const LzwDecoder&) = delete;

    LzwDecodeResult decode(const uint8_t* src, uint32_t srcSize, uint8_t* dst, size_t dstCapacity);

    // For a scan that needs a record's decoded size and a few of its bytes,
    // not the record itself: walks the codes without writing anything out.
    // True for a stream as the encoder writes it (every code valid and whole,
    // no dictionary restart) that decodes to at most `capacity` bytes: `size`
    // is then the size decode() would give, with status Ok, and byteAt()
    // gives any byte decode() would write, until the next call. False for any
    // other stream: decode() tells what it holds.
    bool measure(const uint8_t* src, uint32_t srcSize, size_t capacity, int32_t& size);
    // A byte of the stream measure() accepted last; 0 <= position < size.
    uint8_t byteAt(int32_t position) const;

private:
    struct Tables;
    std::unique_ptr<Tables> tables_;
};

class LzwEncoder {
public:
    LzwEncoder();
    ~LzwEncoder();
    LzwEncoder(const LzwEncoder&) = delete;
    LzwEncoder& operator=(const LzwEncoder&) = delete;

    // The instrument never encodes fewer than 2 bytes; for 0 bytes the stream
    // is empty and 1 byte becomes a single code.
    LzwEncodeResult encode(const uint8_t* src, uint32_t srcSize, uint8_t* dst, size_t dstCapacity);

private:
    struct Tables;
    std::unique_ptr<Tables> tables_;
};

LzwDecodeResult lzwDecode(const uint8_t* src, uint32_t srcSize, uint8_t* dst, size_t dstCapacity);
LzwEncodeResult lzwEncode(const uint8_t* src, uint32_t srcSize, uint8_t* dst, size_t dstCapacity);

} // namespace vantrel
