// DAC and DGS curves: the recorded reference points become a level (0.1 dB)
// at every plot position, then a height on the plot (200 = full height), and
// the family of further lines and the gate curve are derived from it.
//
// The storage is the instrument's: 301 signed 16-bit ordinates for plot
// positions 0..300 (0..279 visible, 280 the right edge). A level or height
// that does not fit 16 bits (levels are clamped to 0..65535 before mapping,
// heights can reach 10^((G - level) / 200)) is stored as 32767, the largest
// value the storage holds, rather than wrapping to a negative number.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "recordfile/instrument_params.h"

namespace vantrel {

inline constexpr int kCurvePositions = 301;
using CurveOrdinates = std::array<int16_t, kCurvePositions>;

// What building the curves writes; created zero.
struct CurveStorage {
    CurveOrdinates curveOrdinates{};
    CurveOrdinates gateOrdinates{};
    int32_t lastMappedIndex = 0;
};

// y1 + (x - x1)(y2 - y1) / (x2 - x1) in wrapping 32-bit arithmetic; -1 when
// x lies outside [x1, x2] or x1 = x2.
int32_t interpolateAt(int32_t x1, int32_t y1, int32_t x, int32_t y2, int32_t x2);

// Straight line between values[a] and values[b] (exclusive), truncated.
void fillBetween(CurveOrdinates& values, int32_t a, int32_t b);

// target = source moved by d (0.1 dB), i.e. divided by 10^(d/200): exactly at
// every fourth position, rounded midpoints between. Source and target may be
// the same storage.
void rescaleCurve(const CurveOrdinates& source, CurveOrdinates& target, int32_t d);

// exp(x) in single precision with x capped at 10.39717719 (result < 32767).
float cappedExp(float x);

// Near-field length a*f/4c of the probe in 0.1 mm (signed 16-bit).
int16_t nearFieldLength(const InstrumentParams& p);

// The sound path at the left edge of the plot, 0.1 mm.
int32_t delayPath(const InstrumentParams& p);

// Builds the reference curve's levels; -1 (storage untouched) when
// dacPointCount is outside 1..10, else 2.
int buildDacCurve(const InstrumentParams& p, CurveStorage& s);

// Levels to heights; derives the gate curve at gainTable[7].
void convertCurveToHeights(const InstrumentParams& p, CurveStorage& s);

// Number of curves drawn below the reference: curveCount taken mod 7.
int drawnCurveCount(const InstrumentParams& p);

// The curves of a parameter copy, built once when the copy comes into force
// and only read by the pictures: the reference and gate curves as heights,
// and the family the plot draws, the reference first and each further curve
// the one before lowered by the step between their levels.
struct CurveSet {
    bool built = false;                 // a reference curve could be built
    CurveStorage storage;               // as the build left it, also when it failed
    std::vector<CurveOrdinates> family; // drawnCurveCount curves when built
};
CurveSet buildCurveSet(const InstrumentParams& p);

} // namespace vantrel
