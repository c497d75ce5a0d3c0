// One A-scan frame of a decoded record (kFrameSize bytes): 280 echo samples,
// 20 unused bytes, four signed 32-bit measured values, the 280-sample second
// (envelope) trace and 4 unused bytes. The offsets are in record_format.h.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>

#include "recordfile/record_format.h"

namespace vantrel {

// The four measured values of a frame, as the instrument stored them.
using FrameValues = std::array<int32_t, 4>;

// The four little-endian values that start at `p`.
inline FrameValues valuesAt(const uint8_t* p) {
    FrameValues v;
    for (size_t i = 0; i < v.size(); ++i)
        v[i] = loadI32Unchecked(p + 4 * i);
    return v;
}

// Reads the measured values of `frame` (kFrameSize bytes).
inline FrameValues frameValues(std::span<const uint8_t> frame) {
    return valuesAt(frame.data() + kFrameValuesOffset);
}

// Bytes 300..595 of the frame drawn last: its measured values and envelope,
// kept for the readouts and the printed report until the next frame is drawn.
struct FrameTail {
    std::array<uint8_t, kFrameTailSize> bytes{};

    // frame: kFrameSize bytes.
    void copyFrom(std::span<const uint8_t> frame) {
        std::copy_n(frame.data() + kFrameTailOffset, kFrameTailSize, bytes.data());
    }
    FrameValues values() const {
        return valuesAt(bytes.data() + (kFrameValuesOffset - kFrameTailOffset));
    }
    const uint8_t* envelope() const {
        return bytes.data() + (kFrameEnvelopeOffset - kFrameTailOffset);
    }
};

} // namespace vantrel
