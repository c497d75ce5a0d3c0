#include "recordfile/instrument_params.h"

#include <cmath>
#include <cstring>
#include <numbers>

namespace vantrel {

void InstrumentParams::copyParameterBlock(const uint8_t* block) {
    std::memcpy(bytes_.data(), block, kParameterBlockSize);
    for (int i = 0; i < param::kBcdGroupSize; ++i) {
        const uint8_t b = bytes_[i];
        bytes_[i] = static_cast<uint8_t>((b >> 4) * 10 + (b & 0x0F));
    }
}

void InstrumentParams::clear() {
    bytes_.fill(0);
    unitScale_ = rangeShown_ = delayShown_ = 0.0f;
}

void InstrumentParams::deriveDisplayLengths() {
    unitScale_ = inchUnits() ? 100.0f : 1.0f;

    const double theta = probeAngle() * std::numbers::pi / 1800.0;
    // The velocity-delay product is taken in unsigned 32 bits, as the
    // instrument does; it wraps for absurd delays.
    const uint32_t product = static_cast<uint32_t>(velocity()) * delay();
    switch (pathMode()) {
    case 0: // depth
        rangeShown_ = static_cast<float>(std::cos(theta) * range());
        delayShown_ = static_cast<float>(std::cos(theta) * (product / 20000u));
        break;
    case 1: // surface distance
        rangeShown_ = static_cast<float>(std::sin(theta) * range());
        delayShown_ = static_cast<float>(std::sin(theta) * (product / 20000u));
        break;
    default: // sound path, with or without suffix
        rangeShown_ = static_cast<float>(range());
        delayShown_ = static_cast<float>(product * 0.00005);
        break;
    }
}

} // namespace vantrel
