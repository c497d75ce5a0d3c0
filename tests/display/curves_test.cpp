#include <gtest/gtest.h>

#include <cmath>

#include "display/curves.h"
#include "test_files.h"

using namespace vantrel;
using namespace vantrel::testing;

namespace {

using Dac = ParamBuilder;

// The level (before conversion) at the plot positions given.
std::vector<int> levelsAt(const CurveStorage& s, std::initializer_list<int> at) {
    std::vector<int> v;
    for (int k : at)
        v.push_back(s.curveOrdinates[static_cast<size_t>(k)]);
    return v;
}

// A 10 mm round crystal at 2.5 MHz in steel (5900 m/s): near field 105.
Dac distanceLaw() {
    return Dac()
        .u16(param::kCrystalSize, 0x0A00)
        .u16(param::kProbeFrequency, 250)
        .u16(param::kVelocity, 5900)
        .u32(param::kRange, 1000)
        .bits(param::kDistanceLawExtend, 1);
}

} // namespace

TEST(Curves, SharedOperations) {
    EXPECT_EQ(interpolateAt(0, 100, 5, 200, 10), 150);
    EXPECT_EQ(interpolateAt(0, 100, 3, 90, 10), 97); // truncates toward zero
    EXPECT_EQ(interpolateAt(0, 100, 11, 200, 10), -1);
    EXPECT_EQ(interpolateAt(5, 100, 5, 200, 5), -1);
    EXPECT_EQ(interpolateAt(0, 0, 65535, 65535, 70000), -1); // the product wraps in 32 bits

    CurveOrdinates v{};
    v[10] = 100;
    v[20] = 0;
    fillBetween(v, 20, 10); // swapped
    EXPECT_EQ(v[11], 90);
    EXPECT_EQ(v[15], 50);
    EXPECT_EQ(v[19], 10);
    v[300] = 50;
    v[290] = 0;
    fillBetween(v, 290, 400); // lowered to 300
    EXPECT_EQ(v[295], 25);
    fillBetween(v, 5, 6); // neighbours: nothing
    EXPECT_EQ(v[5], 0);

    EXPECT_FLOAT_EQ(cappedExp(1.0f), std::exp(1.0f));
    EXPECT_LT(cappedExp(100.0f), 32767.0f);
    EXPECT_GT(cappedExp(100.0f), 32766.0f);

    CurveOrdinates flat;
    flat.fill(127);
    CurveOrdinates half{};
    rescaleCurve(flat, half, 60); // 10^(-60/200): about half
    for (int k = 0; k <= 300; ++k)
        EXPECT_EQ(half[static_cast<size_t>(k)], 64) << k;
    rescaleCurve(flat, flat, 0);
    EXPECT_EQ(flat[123], 127);
}

TEST(Curves, PlainDacOnePoint) {
    const InstrumentParams p =
        Dac().points({{500, 400}}).u32(param::kRange, 1000).u16(param::kBaseGain, 340).get();
    CurveStorage s;
    ASSERT_EQ(buildDacCurve(p, s), 2);
    EXPECT_EQ(levelsAt(s, {0, 140, 280}), (std::vector<int>{400, 400, 400}));
    EXPECT_EQ(s.lastMappedIndex, 280);
    convertCurveToHeights(p, s);
    for (int k = 0; k < 300; ++k)
        ASSERT_EQ(s.curveOrdinates[static_cast<size_t>(k)], 127) << k;
    for (int k = 0; k <= 296; ++k)
        ASSERT_EQ(s.gateOrdinates[static_cast<size_t>(k)], 127) << k;
}

TEST(Curves, DistanceLawVariant) {
    struct Case {
        const char* name;
        Dac params;
        std::vector<int> at, levels;
    } cases[] = {
        {"near-field point inserted",
         distanceLaw().points({{500, 400}}),
         {0, 88, 140, 280},
         {320, 320, 400, 520}},
        {"inserted level floors at 0",
         distanceLaw().points({{500, 50}}),
         {0, 88, 140, 280},
         {0, 0, 50, 170}},
        {"12 dB point at twice the last",
         distanceLaw().points({{200, 300}}),
         {0, 56, 112, 280},
         {300, 300, 420, 579}},
        {"DGS extends too",
         Dac(distanceLaw()).bits(param::kDgsOn, 1).points({{500, 400}}),
         {0, 88, 140, 280},
         {320, 320, 400, 520}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CurveStorage s;
        ASSERT_EQ(buildDacCurve(c.params.get(), s), 2);
        std::vector<int> got;
        for (int k : c.at)
            got.push_back(s.curveOrdinates[static_cast<size_t>(k)]);
        EXPECT_EQ(got, c.levels);
    }
    EXPECT_EQ(nearFieldLength(distanceLaw().get()), 105);
}

TEST(Curves, CutsAndRangeBelow100) {
    // Both points left of the plot: cut to one flat level.
    const InstrumentParams left = Dac()
                                      .points({{200, 300}, {600, 420}})
                                      .u32(param::kDelay, 4000)
                                      .u16(param::kVelocity, 5900)
                                      .u32(param::kRange, 1000)
                                      .get();
    EXPECT_EQ(delayPath(left), 1180);
    CurveStorage s;
    ASSERT_EQ(buildDacCurve(left, s), 2);
    for (int k = 0; k <= 280; ++k)
        ASSERT_EQ(s.curveOrdinates[static_cast<size_t>(k)], 420) << k;

    // A range below 100 maps with 100: the screen end lands at 140.
    CurveStorage t;
    ASSERT_EQ(buildDacCurve(Dac().points({{25, 400}}).u32(param::kRange, 50).get(), t), 2);
    EXPECT_EQ(t.lastMappedIndex, 140);
}

TEST(Curves, NothingBuiltOutsideOneToTenPoints) {
    for (int16_t n : {0, 11, -1}) {
        CurveStorage s;
        s.curveOrdinates.fill(7);
        s.lastMappedIndex = 9;
        const InstrumentParams p =
            Dac().points({{500, 400}}).u16(param::kDacPointCount, static_cast<uint16_t>(n)).get();
        EXPECT_EQ(buildDacCurve(p, s), -1);
        EXPECT_EQ(s.curveOrdinates[100], 7);
        EXPECT_EQ(s.lastMappedIndex, 9);
    }
}

TEST(Curves, ConversionDetails) {
    // Flat curve: every position 0..299 carries the height of position 0.
    const InstrumentParams flat = Dac()
                                      .points({{200, 300}, {800, 500}})
                                      .u32(param::kRange, 1000)
                                      .u16(param::kBaseGain, 340)
                                      .bits(param::kFlatCurve, 1)
                                      .get();
    CurveStorage s;
    buildDacCurve(flat, s);
    convertCurveToHeights(flat, s);
    const int16_t h0 = s.curveOrdinates[0];
    EXPECT_EQ(h0,
              static_cast<int16_t>(std::exp(static_cast<float>((821 - 300) * 2.302585 * 0.005f))));
    for (int k = 0; k < 300; ++k)
        ASSERT_EQ(s.curveOrdinates[static_cast<size_t>(k)], h0) << k;

    // Heights beyond the 16-bit storage saturate instead of wrapping.
    const InstrumentParams loud =
        Dac().points({{500, 0}}).u32(param::kRange, 1000).u16(param::kBaseGain, 2000).get();
    CurveStorage l;
    buildDacCurve(loud, l);
    convertCurveToHeights(loud, l);
    EXPECT_EQ(l.curveOrdinates[0], 32766); // capped exponential
    EXPECT_EQ(l.curveOrdinates[140], 32767);

    // Gate curve at its own level: 6 dB below the reference is half height.
    const InstrumentParams gate = Dac()
                                      .points({{500, 400}})
                                      .u32(param::kRange, 1000)
                                      .u16(param::kBaseGain, 340)
                                      .u16(param::kGainTable + 14, static_cast<uint16_t>(-60))
                                      .get();
    CurveStorage g;
    buildDacCurve(gate, g);
    convertCurveToHeights(gate, g);
    EXPECT_EQ(g.curveOrdinates[100], 127);
    EXPECT_EQ(g.gateOrdinates[100], 64);
}
