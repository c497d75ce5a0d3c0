#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "recordfile/instrument_params.h"
#include "test_files.h"

using namespace vantrel;
using namespace vantrel::testing;

TEST(InstrumentParams, CopyConvertsGroupAFromBcdAndKeepsEverythingElse) {
    ParameterBlock b(kParameterBlockSize);
    for (size_t i = 0; i < b.size(); ++i)
        b[i] = static_cast<uint8_t>(i * 7 + 3);
    b[0] = 0x12, b[1] = 0x59, b[2] = 0x00, b[3] = 0x05;
    InstrumentParams p;
    p.copyParameterBlock(b.data());
    EXPECT_EQ(p.stampBcd(0), 12);
    EXPECT_EQ(p.stampBcd(1), 59);
    EXPECT_EQ(p.stampBcd(2), 0);
    EXPECT_EQ(p.noteLength(), 5);
    for (size_t i = 4; i < b.size(); ++i)
        EXPECT_EQ(p.bytes()[i], b[i]) << i;
    b[0] = 0xFF; // not BCD: converted by the same formula
    p.copyParameterBlock(b.data());
    EXPECT_EQ(p.stampBcd(0), 165);
}

TEST(InstrumentParams, FieldsHaveTheirWidthAndSign) {
    ParameterBlock b(kParameterBlockSize, 0);
    storeU16(b.data() + param::kGainTable, static_cast<uint16_t>(-20));
    storeU16(b.data() + param::kGainTable + 14, 0x8000);
    storeU16(b.data() + param::kDacPointCount, 0xFFFF);
    storeU16(b.data() + param::kBaseGain, 0xFFFF);
    storeU32(b.data() + param::kRange, 0x80000000u);
    storeU16(b.data() + param::kDacPointPos + 18, 1234);
    storeU32(b.data() + param::kChannelWord, 0xA000u);
    storeU32(b.data() + param::kUnitWord, 1u << 6);
    storeU32(b.data() + param::kDisplayFlags, 3u | (1u << 3) | (1u << 4) | (2u << 12) | (3u << 28));
    storeU32(b.data() + param::kModeWord, 7u | (1u << 4) | (3u << 24) | (2u << 26) | (14u << 28));
    storeU32(b.data() + param::kCurveFlags, (1u << 2) | (1u << 4));
    InstrumentParams p;
    p.copyParameterBlock(b.data());
    EXPECT_EQ(p.gainTable(0), -20);
    EXPECT_EQ(p.gainTable(7), -32768);
    EXPECT_EQ(p.dacPointCount(), -1);
    EXPECT_EQ(p.baseGain(), 65535);
    EXPECT_EQ(p.range(), 0x80000000u);
    EXPECT_EQ(p.dacPointPos(9), 1234);
    EXPECT_EQ(p.channelNo(), 10u);
    EXPECT_TRUE(p.inchUnits());
    EXPECT_EQ(p.envelopeMode(), 3u);
    EXPECT_TRUE(p.gateFollowsCurve());
    EXPECT_TRUE(p.flatCurve());
    EXPECT_EQ(p.probeType(), 2u);
    EXPECT_EQ(p.waveMode(), 3u);
    EXPECT_EQ(p.curveCount(), 7u); // stored bits; the curve code takes them mod 7
    EXPECT_TRUE(p.twoGateReadout());
    EXPECT_EQ(p.pathMode(), 3u);
    EXPECT_EQ(p.dgsReadoutKind(), 2u);
    EXPECT_EQ(p.dacLineSelect(), 14u);
    EXPECT_TRUE(p.dacOn());
    EXPECT_FALSE(p.dgsOn());
    EXPECT_TRUE(p.distanceLawExtend());
    EXPECT_TRUE(p.curveMode());
}

TEST(InstrumentParams, DerivedLengths) {
    struct Case {
        uint16_t angle;
        uint32_t pathMode, range, delay;
        uint16_t velocity;
        bool inch;
        float unitScale, rangeShown, delayShown;
    } cases[] = {
        // Depth and surface distance use the truncated velocity-delay quotient.
        {450, 0, 1000, 1000, 3230, false, 1.0f, float(std::cos(std::numbers::pi / 4) * 1000),
         float(std::cos(std::numbers::pi / 4) * 161)},
        {450, 1, 1000, 1000, 3230, false, 1.0f, float(std::sin(std::numbers::pi / 4) * 1000),
         float(std::sin(std::numbers::pi / 4) * 161)},
        // Sound path uses the unrounded product.
        {450, 2, 1000, 1000, 3230, false, 1.0f, 1000.0f, 161.5f},
        {450, 3, 1000, 1000, 3230, false, 1.0f, 1000.0f, 161.5f},
        {600, 2, 4000, 0, 3230, true, 100.0f, 4000.0f, 0.0f},
        // The product wraps in 32 bits.
        {0, 2, 10, 2000000, 65535, false, 1.0f, 10.0f,
         float(uint32_t(65535u * 2000000u) * 0.00005)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "angle " << c.angle << " mode " << c.pathMode);
        ParameterBlock b(kParameterBlockSize, 0);
        storeU16(b.data() + param::kProbeAngle, c.angle);
        storeU32(b.data() + param::kModeWord, c.pathMode << 24);
        storeU32(b.data() + param::kRange, c.range);
        storeU32(b.data() + param::kDelay, c.delay);
        storeU16(b.data() + param::kVelocity, c.velocity);
        storeU32(b.data() + param::kUnitWord, c.inch ? 1u << 6 : 0u);
        InstrumentParams p;
        p.copyParameterBlock(b.data());
        p.deriveDisplayLengths();
        EXPECT_EQ(p.unitScale(), c.unitScale);
        EXPECT_EQ(p.rangeShown(), c.rangeShown);
        EXPECT_EQ(p.delayShown(), c.delayShown);
    }
}

// A field writer keeps the rest of its word and drops bits beyond the field,
// so a fixture cannot spill into the neighbouring fields.
TEST(InstrumentParams, FieldWriterStaysInsideItsField) {
    ParameterBlock b(kParameterBlockSize, 0);
    storeU32(b.data() + param::kModeWord, 0xFFFFFFFFu);
    param::setBits(b.data(), param::kPathMode, 0);
    EXPECT_EQ(loadU32Unchecked(b.data() + param::kModeWord), 0xFCFFFFFFu);
    param::setBits(b.data(), param::kPathMode, 2);
    param::setBits(b.data(), param::kDgsReadoutKind, 0x15); // 5 bits into a 2-bit field
    param::setBits(b.data(), param::kCurveCount, 9);        // 4 bits into a 3-bit field
    InstrumentParams p;
    p.copyParameterBlock(b.data());
    EXPECT_EQ(p.pathMode(), 2u);
    EXPECT_EQ(p.dgsReadoutKind(), 1u);
    EXPECT_EQ(p.curveCount(), 1u);
    EXPECT_EQ(p.dacLineSelect(), 15u); // untouched
    EXPECT_TRUE(p.twoGateReadout());   // untouched
}
