// Small helpers for tests that write record files with the project's own
// writer, damage them, and read them back.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "recordfile/instrument_params.h"
#include "recordfile/record_format.h"
#include "recordfile/record_writer.h"

namespace vantrel::testing {

using Bytes = std::vector<uint8_t>;

// n frames; frame f has echo samples f + k and measured values 1000 f + i.
inline Bytes makeFrames(int n, int base = 0) {
    Bytes b(static_cast<size_t>(n) * kFrameSize, 0);
    for (int f = 0; f < n; ++f) {
        uint8_t* frame = b.data() + static_cast<size_t>(f) * kFrameSize;
        for (int k = 0; k < kSamplesPerFrame; ++k)
            frame[k] = static_cast<uint8_t>((base + f + k) % 201);
        for (int i = 0; i < 4; ++i)
            storeU32(frame + kFrameValuesOffset + 4 * i,
                     static_cast<uint32_t>(1000 * (base + f) + i));
        for (int k = 0; k < kSamplesPerFrame; ++k)
            frame[kFrameEnvelopeOffset + k] = static_cast<uint8_t>((base + 2 * k) % 201);
    }
    return b;
}

// A parameter block whose baseGain tells blocks apart.
inline ParameterBlock makeBlock(uint16_t baseGain) {
    ParameterBlock b(kParameterBlockSize, 0);
    storeU16(b.data() + param::kBaseGain, baseGain);
    storeU16(b.data() + param::kVelocity, 3230);
    storeU32(b.data() + param::kRange, 1000);
    return b;
}

// A stream that spells out every byte as its own code, with the widths the
// decoder expects (9 bits for codes 1..254, 10 up to 766, 11 up to 1790, 12 up
// to 3838, then the same again). Cut back to a byte boundary and followed by
// one more byte, it ends inside a code. Returns the stream and the number of
// bytes it decodes to.
inline std::pair<Bytes, size_t> literalStreamEndingInsideACode(const Bytes& data) {
    Bytes out;
    uint64_t acc = 0;
    int bits = 0;
    size_t aligned = 0, alignedBytes = 0;
    for (size_t i = 0; i < data.size(); ++i) {
        const size_t n = i % 3838 + 1;
        const int width = n <= 254 ? 9 : n <= 766 ? 10 : n <= 1790 ? 11 : 12;
        acc = (acc << width) | data[i];
        bits += width;
        while (bits >= 8) {
            out.push_back(static_cast<uint8_t>(acc >> (bits - 8)));
            bits -= 8;
        }
        if (bits == 0) aligned = out.size(), alignedBytes = i + 1;
    }
    out.resize(aligned);
    out.push_back(0x5A);
    return {out, alignedBytes};
}

// A parameter block built field by field; get() gives the current copy with
// its derived lengths.
struct ParamBuilder {
    ParameterBlock b = ParameterBlock(kParameterBlockSize, 0);
    ParamBuilder& u16(int at, uint16_t v) {
        storeU16(b.data() + at, v);
        return *this;
    }
    ParamBuilder& u32(int at, uint32_t v) {
        storeU32(b.data() + at, v);
        return *this;
    }
    ParamBuilder& bits(param::BitField f, uint32_t v) {
        param::setBits(b.data(), f, v);
        return *this;
    }
    // DAC points (position 0.1 mm, level 0.1 dB) and their count.
    ParamBuilder& points(std::initializer_list<std::pair<uint16_t, uint16_t>> pts) {
        int i = 0;
        for (auto [pos, db] : pts) {
            u16(param::kDacPointPos + 2 * i, pos);
            u16(param::kDacPointDb + 2 * i, db);
            ++i;
        }
        return u16(param::kDacPointCount, static_cast<uint16_t>(i));
    }
    InstrumentParams get() const {
        InstrumentParams p;
        p.copyParameterBlock(b.data());
        p.deriveDisplayLengths();
        return p;
    }
};

// A place for a test's file `name` under the system's temporary folder. The
// test programs run one test a process when ctest runs them side by side, so
// the process id keeps their files apart.
// What a test program made there goes when it ends (its own files only: the
// programs run side by side).
inline void removeOwnTempFiles() {
    std::error_code ignored;
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "vantrel-tests";
    const std::string own = std::to_string(::getpid()) + ".";
    for (const auto& entry : std::filesystem::directory_iterator(dir, ignored))
        if (entry.path().filename().string().rfind(own, 0) == 0)
            std::filesystem::remove_all(entry.path(), ignored);
}

inline std::string tempPath(const std::string& name) {
    static const bool removedAtExit = std::atexit(removeOwnTempFiles) == 0;
    (void)removedAtExit;
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "vantrel-tests";
    std::filesystem::create_directories(dir);
    return (dir / (std::to_string(::getpid()) + "." + name)).string();
}

inline std::string writeTemp(const std::string& name, const Bytes& bytes) {
    const std::string path = tempPath(name);
    if (!writeBytes(path, bytes)) throw std::runtime_error("cannot write " + path);
    return path;
}

// A recording of `records` records of `frames` frames each, the first with
// a parameter block: long files for the arithmetic of record numbers, made
// quickly since the records after the first repeat one encoded stream.
inline Bytes longRecording(int32_t records, int frames = 2) {
    RecordWriter w;
    const ParameterBlock block = makeBlock(325);
    w.addRecord(makeFrames(frames), &block);
    const Bytes stream = encodeStream(makeFrames(frames, 1));
    for (int32_t r = 1; r < records; ++r)
        w.addRaw(static_cast<int32_t>(stream.size()), 0, stream);
    return w.bytes();
}

// ---- damages: each changes a file image or a decoded record in one way the
// instrument never would.

// The little-endian 32-bit word at `at` (the announced count at 0, a record
// header's stored or trailer length) set to `value`.
inline void setWord(Bytes& bytes, int64_t at, int32_t value) {
    storeU32(bytes.data() + at, static_cast<uint32_t>(value));
}

// `count` bytes at random offsets in [from, size) XORed with a random non-zero
// value. Returns the lowest offset changed.
inline size_t flipBytes(Bytes& bytes, std::mt19937& rng, int count, size_t from) {
    size_t first = bytes.size();
    for (int i = 0; i < count; ++i) {
        const size_t at = std::uniform_int_distribution<size_t>(from, bytes.size() - 1)(rng);
        bytes[at] ^= static_cast<uint8_t>(std::uniform_int_distribution<int>(1, 255)(rng));
        first = std::min(first, at);
    }
    return first;
}

// A parameter-block field at `field` (an offset into the block) set to
// `value` in the field's own width: the note length byte, the 32-bit words,
// the 16-bit fields.
inline void setBlockField(uint8_t* block, int field, int32_t value) {
    if (field == param::kNoteLength) {
        block[field] = static_cast<uint8_t>(value);
    } else if (field == param::kRange || field == param::kDelay || field == param::kModeWord ||
               field == param::kCurveFlags || field == param::kDisplayFlags ||
               field == param::kChannelWord || field == param::kUnitWord) {
        storeU32(block + field, static_cast<uint32_t>(value));
    } else {
        storeU16(block + field, static_cast<uint16_t>(value));
    }
}

} // namespace vantrel::testing
