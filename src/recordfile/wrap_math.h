// The instrument's integer arithmetic: signed 32-bit values that wrap on
// overflow (two's complement) and divisions that truncate toward zero. C++
// leaves signed overflow undefined, so every computation of the instrument's
// numbers goes through these.
#pragma once

#include <cmath>
#include <cstdint>

namespace vantrel::wrap {

inline int32_t add(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline int32_t sub(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
inline int32_t mul(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}
// a / b truncating; b must not be 0. INT32_MIN / -1 wraps to INT32_MIN.
inline int32_t div(int32_t a, int32_t b) {
    if (b == -1) return static_cast<int32_t>(0u - static_cast<uint32_t>(a));
    return a / b;
}

// trunc toward zero of a value that may not fit: saturates (NaN gives 0).
inline int32_t truncToInt(double x) {
    if (std::isnan(x)) return 0;
    if (x >= 2147483647.0) return INT32_MAX;
    if (x <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(x);
}

// A value for the 16-bit curve storage; what does not fit saturates.
inline int16_t store16(int32_t v) {
    if (v > INT16_MAX) return INT16_MAX;
    if (v < INT16_MIN) return INT16_MIN;
    return static_cast<int16_t>(v);
}

} // namespace vantrel::wrap
