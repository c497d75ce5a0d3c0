#include <gtest/gtest.h>

#include <random>

#include "display/display_text.h"
#include "recordfile/gbk_text.h"
#include "test_files.h"

using namespace vantrel;
using namespace vantrel::testing;

namespace {

using Params = ParamBuilder;

std::string utf8(const std::string& gbk) { return gbkToUtf8(gbk); }

} // namespace

TEST(PanelText, PatternFormatterRoundsHalvesAwayFromZero) {
    EXPECT_EQ(formatPattern(32.5, 1), "32.5");
    EXPECT_EQ(formatPattern(-2.0, 1), "-2.0");
    EXPECT_EQ(formatPattern(0.0, 1), "0.0");
    EXPECT_EQ(formatPattern(1.25, 1), "1.3"); // printf would give 1.2
    EXPECT_EQ(formatPattern(-1.25, 1), "-1.3");
    EXPECT_EQ(formatPattern(1.15, 1), "1.1"); // 1.149999... in binary
    EXPECT_EQ(formatPattern(9.96, 1), "10.0");
    EXPECT_EQ(formatPattern(0.25 * 0.01 * 100, 2), "0.25");
    EXPECT_EQ(formatPattern(2.5, 2), "2.50");
    EXPECT_EQ(formatPattern(0.04, 1), "0.0");
}

TEST(PanelText, Fields) {
    using namespace param;
    const PanelTexts gains =
        formatPanel(Params().u16(kBaseGain, 325).u16(kGainTable, static_cast<uint16_t>(-20)).get());
    EXPECT_EQ(gains.baseGain, "32.5");
    EXPECT_EQ(gains.scanGain, "-2.0");
    EXPECT_EQ(gains.compGain, "0.0");

    struct Case {
        const char* name;
        Params params;
        std::string PanelTexts::*field;
        std::string text; // UTF-8
    } cases[] = {
        {"frequency", Params().u16(kProbeFrequency, 250), &PanelTexts::probeFrequency, "2.50"},
        {"crystal", Params().u16(kCrystalSize, 0x0809), &PanelTexts::crystalSize, "8x9"},
        {"round crystal", Params().u16(kCrystalSize, 0x1400), &PanelTexts::crystalSize, "20"},
        {"depth range", Params().u32(kRange, 1000).u16(kProbeAngle, 450), &PanelTexts::echoRange,
         "70.7 mm(y)"},
        {"surface range", Params().u32(kRange, 1000).u16(kProbeAngle, 450).bits(kPathMode, 1),
         &PanelTexts::echoRange, "70.7 mm(x)"},
        {"sound path range", Params().u32(kRange, 1000).u16(kProbeAngle, 450).bits(kPathMode, 2),
         &PanelTexts::echoRange, "100.0 mm(s)"},
        {"no suffix", Params().u32(kRange, 1000).bits(kPathMode, 3), &PanelTexts::echoRange,
         "100.0 mm"},
        {"inch range", Params().u32(kRange, 4000).bits(kPathMode, 2).bits(kInchUnits, 1),
         &PanelTexts::echoRange, "4.000 in(s)"},
        {"delay mm", Params().u16(kVelocity, 3230).u32(kDelay, 1000).bits(kPathMode, 2),
         &PanelTexts::echoDelay, "16.1"},
        {"delay inch",
         Params().u16(kVelocity, 3230).u32(kDelay, 100000).bits(kPathMode, 2).bits(kInchUnits, 1),
         &PanelTexts::echoDelay, "16.150"},
        {"velocity", Params().u16(kVelocity, 3230), &PanelTexts::echoSpeed, "3230.00"},
        {"velocity inch", Params().u16(kVelocity, 3230).bits(kInchUnits, 1), &PanelTexts::echoSpeed,
         "32.30"},
        {"front", Params().u16(kProbeFront, 123), &PanelTexts::probeFront, "12.3"},
        {"front inch", Params().u16(kProbeFront, 1250).bits(kInchUnits, 1), &PanelTexts::probeFront,
         "1.3"},
        {"zero", Params().u16(kProbeZero, 100), &PanelTexts::probeZero, "0.62"},
        {"zero 0", Params(), &PanelTexts::probeZero, "0.00"},
        {"angle 45", Params().u16(kProbeAngle, 450), &PanelTexts::probeAngle, "45.0"},
        {"K 45", Params().u16(kProbeAngle, 450), &PanelTexts::echoKAngle, "1.0"},
        {"K 60", Params().u16(kProbeAngle, 600), &PanelTexts::echoKAngle, "1.7"},
        {"K 0", Params(), &PanelTexts::echoKAngle, "0.0"},
        {"K 89.9", Params().u16(kProbeAngle, 899), &PanelTexts::echoKAngle, "573.0"},
        {"K at 90 and beyond", Params().u16(kProbeAngle, 900), &PanelTexts::echoKAngle, "--"},
        {"channel", Params().u32(kChannelWord, 0xB000), &PanelTexts::channelNo, "11"},
        {"reject 41", Params().u16(kRejectLevel, 41), &PanelTexts::reject, "21"},
        {"reject 40", Params().u16(kRejectLevel, 40), &PanelTexts::reject, "20"},
        {"straight", Params(), &PanelTexts::probeType, "直探头"},
        {"angle", Params().bits(kProbeType, 1), &PanelTexts::probeType, "斜探头"},
        {"dual", Params().bits(kProbeType, 2), &PanelTexts::probeType, "双晶探头"},
        {"through", Params().bits(kProbeType, 3), &PanelTexts::probeType, "穿透探头"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(utf8(formatPanel(c.params.get()).*c.field), c.text);
    }
}

TEST(PanelText, PathRulerLabels) {
    using namespace param;
    using L = std::array<std::string, 6>;
    struct Case {
        Params params;
        L labels;
    } cases[] = {
        {Params().u32(kRange, 1000).bits(kPathMode, 2),
         {"0.0 ", "20.0 ", "40.0 ", "60.0 ", "80.0 ", "100.0 "}},
        // delay 100 (0.1 mm) = velocity * delay / 20000 in sound-path mode
        {Params().u32(kRange, 500).u16(kVelocity, 2000).u32(kDelay, 1000).bits(kPathMode, 2),
         {"10.0 ", "20.0 ", "30.0 ", "40.0 ", "50.0 ", "60.0 "}},
        {Params().u32(kRange, 4000).bits(kPathMode, 2).bits(kInchUnits, 1),
         {"0.0 ", "0.8 ", "1.6 ", "2.4 ", "3.2 ", "4.0 "}},
        {Params(), {"0.0 ", "0.0 ", "0.0 ", "0.0 ", "0.0 ", "0.0 "}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pathRulerLabels(c.params.get()), c.labels);
}

TEST(ReadoutText, BuildingBlocks) {
    EXPECT_EQ(tenths(0), "0.0");
    EXPECT_EQ(tenths(25), "2.5");
    EXPECT_EQ(tenths(-31), "-3.1");
    EXPECT_EQ(tenths(-5), "-0.5");
    EXPECT_EQ(tenths(INT32_MIN), "-214748364.8");
    EXPECT_EQ(signedReadout(25), " +2.5");
    EXPECT_EQ(signedReadout(0), " 0.0");
    EXPECT_EQ(signedReadout(-25), " -2.5");
    EXPECT_EQ(curveDiameter(0), 2);
    EXPECT_EQ(curveDiameter(-60), 1);
    EXPECT_EQ(equivalentDiameter(0, 0), "2.0");
    EXPECT_EQ(equivalentDiameter(-60, 40), "1.8");
    EXPECT_EQ(equivalentDiameter(0, 2000000), "214748364.7"); // saturates, never overflows
    EXPECT_EQ(equivalentDiameter(0, INT32_MAX), "0.0");       // the 32-bit sum wraps
}

TEST(ReadoutText, TenthsIsThePrintfOfTheTenthPart) {
    std::mt19937 rng(5);
    std::uniform_int_distribution<int32_t> any(INT32_MIN, INT32_MAX), small(-100000, 100000);
    for (int i = 0; i < 200000; ++i) {
        const int32_t v = i % 2 ? any(rng) : small(rng);
        ASSERT_EQ(tenths(v), formatPrintf("%0.1f", v * 0.1)) << v;
    }
    for (int32_t v : {INT32_MIN, INT32_MAX, 0, -1, 1, 5, -5, 15, -15, 95, -95})
        ASSERT_EQ(tenths(v), formatPrintf("%0.1f", v * 0.1)) << v;
}

TEST(ReadoutText, Forms) {
    using namespace param;
    const Params dgs = Params().bits(kDgsOn, 1);
    struct Case {
        const char* name;
        Params params;
        FrameValues v;
        std::array<std::string, 4> text; // UTF-8; "" = not checked for 0..2
    } cases[] = {
        {"one gate, percent",
         Params(),
         {1234, 1069, 617, 803},
         {"↘123.4", "→106.9", "↓61.7", "∧80.3 %"}},
        {"one gate, negative", Params(), {-5, 0, -31, -12}, {"↘-0.5", "→0.0", "↓-3.1", "∧-1.2 %"}},
        {"RF display", Params().bits(kWaveMode, 3), {0, 0, 0, 803}, {"", "", "", "∧80.0"}},
        {"RF display wins over DAC",
         Params().bits(kWaveMode, 3).bits(kDacOn, 1),
         {0, 0, 0, 809},
         {"", "", "", "∧80.0"}},
        {"RL zero",
         Params().bits(kDacOn, 1).bits(kDacLineSelect, 1),
         {0, 0, 0, 0},
         {"", "", "", "RL   0.0"}},
        {"RL plus",
         Params().bits(kDacOn, 1).bits(kDacLineSelect, 1),
         {0, 0, 0, 25},
         {"", "", "", "RL   +2.5"}},
        {"RL minus",
         Params().bits(kDacOn, 1).bits(kDacLineSelect, 1),
         {0, 0, 0, -25},
         {"", "", "", "RL   -2.5"}},
        {"6L",
         Params().bits(kDacOn, 1).bits(kDacLineSelect, 6),
         {0, 0, 0, 7},
         {"", "", "", "6L   +0.7"}},
        {"DAC reference",
         Params().bits(kDacOn, 1).u16(kDacRefDiameter, 30).u16(kDacRefLength, 400),
         {0, 0, 0, -31},
         {"", "", "", "Φ3 x 40 -3.1dB"}},
        {"line 7 is the DAC",
         Params()
             .bits(kDacOn, 1)
             .bits(kDacLineSelect, 7)
             .u16(kDacRefDiameter, 20)
             .u16(kDacRefLength, 400),
         {0, 0, 0, 0},
         {"", "", "", "Φ2 x 40 0.0dB"}},
        {"line 14 is the DAC",
         Params()
             .bits(kDacOn, 1)
             .bits(kDacLineSelect, 14)
             .u16(kDacRefDiameter, 20)
             .u16(kDacRefLength, 400),
         {0, 0, 0, 0},
         {"", "", "", "Φ2 x 40 0.0dB"}},
        {"DAC wins over DGS",
         Params().bits(kDacOn, 1).bits(kDgsOn, 1).bits(kDacLineSelect, 2),
         {0, 0, 0, 0},
         {"", "", "", "SL   0.0"}},
        {"DGS", dgs, {0, 0, 0, 0}, {"", "", "", "Φ2.0  Φ2 0.0dB"}},
        {"DGS kind 1",
         Params()
             .bits(kDgsOn, 1)
             .bits(kDgsReadoutKind, 1)
             .u16(kGainTable + 6, static_cast<uint16_t>(-60)),
         {0, 0, 0, 40},
         {"", "", "", "Φ1.8  Φ1 +4.0dB"}},
        {"DGS kind 2",
         Params().bits(kDgsOn, 1).bits(kDgsReadoutKind, 2),
         {0, 0, 0, 40},
         {"", "", "", ""}},
        {"two gates, percent",
         Params().bits(kTwoGateReadout, 1),
         {123, 803, -123, 0},
         {"A:↓ 12.3", "∧80.3%", "B:↓- 12.3", "∧0.0%"}},
        {"two gates, surface",
         Params().bits(kTwoGateReadout, 1).bits(kPathMode, 1),
         {0, 0, 5, 0},
         {"A:→ 0.0", "∧0.0%", "B:→ 0.5", "∧0.0%"}},
        {"two gates, path 3",
         Params().bits(kTwoGateReadout, 1).bits(kPathMode, 3),
         {0, 0, 0, 0},
         {"A:↘ 0.0", "∧0.0%", "B:↘ 0.0", "∧0.0%"}},
        {"two gates, RL",
         Params().bits(kTwoGateReadout, 1).bits(kDacOn, 1).bits(kDacLineSelect, 1),
         {0, 25, 0, -25},
         {"", "RL  +2.5", "", "RL  -2.5"}},
        {"two gates, DAC",
         Params().bits(kTwoGateReadout, 1).bits(kDacOn, 1),
         {0, 25, 0, 0},
         {"", "DAC  +2.5", "", "DAC  0.0"}},
        {"two gates, DGS kind 2",
         Params().bits(kTwoGateReadout, 1).bits(kDgsOn, 1).bits(kDgsReadoutKind, 2),
         {0, 40, 0, 0},
         {"", "Φ2 +4.0", "", "Φ2 0.0"}},
        {"two gates ignore the RF display",
         Params().bits(kTwoGateReadout, 1).bits(kWaveMode, 3),
         {0, 803, 0, 0},
         {"", "∧80.3%", "", "∧0.0%"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadoutTexts t = readoutTexts(c.params.get(), c.v);
        for (size_t i = 0; i < 4; ++i) {
            if (!c.text[i].empty() || i == 3) {
                EXPECT_EQ(utf8(t[i]), c.text[i]) << "label " << i + 1;
            }
        }
    }
    EXPECT_EQ(readoutMode(Params().get()), -1);
    EXPECT_EQ(readoutMode(Params().bits(param::kDgsOn, 1).bits(param::kDgsReadoutKind, 3).get()),
              13);
    const ReadoutTexts placeholders = readoutPlaceholders();
    EXPECT_EQ(utf8(placeholders[0] + placeholders[1] + placeholders[2] + placeholders[3]), "↘→↓∧");
}
