// The instrument's 218-byte parameter block and the one current copy of it.
//
// Layout (little-endian, offsets from the start of the block; the copy is
// taken in the instrument's seven groups A 0..3, B 4..23, C 24..55, D 56..131,
// E 132..147, F 148..193, G 194..217; bytes not named here are kept as they
// are and read by nobody):
//
//   0   3 x u8  stampBcd        BCD, converted in the copy
//   3   u8      noteLength      BCD-converted in the copy (the note reader uses
//                               the raw byte of the decoded record instead)
//   16  u32 channelWord   20 u32 unitWord   24 u32 displayFlags
//   48  u32 modeWord      52 u32 curveFlags
//   56  u32 range (0.1 mm or 0.001 in)      68 u32 delay (0.01 us, two-way)
//   92  u16 probeZero (1/160 us)  94 u16 velocity (m/s)  96 u16 probeAngle (0.1 deg)
//   98  u16 probeFront  100 u16 probeFrequency (0.01 MHz)  102 u16 crystalSize
//   104 u16 rejectLevel  106 u16 compGain  108 u16 baseGain (0.1 dB)
//   112 8 x i16 gainTable (0.1 dB)
//   132 u16 gateAStart  134 gateAWidth  136 gateALevel
//   140 u16 gateBStart  142 gateBWidth  144 gateBLevel
//   148 10 x u16 dacPointDb   168 10 x u16 dacPointPos
//   188 i16 dacPointCount  190 u16 dacRefDiameter  192 u16 dacRefLength
#pragma once

#include <array>
#include <cstdint>

#include "recordfile/record_format.h"

namespace vantrel {

namespace param {
inline constexpr int kStampBcd = 0;
inline constexpr int kNoteLength = kNoteLengthOffset; // the block byte the note reader takes
inline constexpr int kChannelWord = 16;
inline constexpr int kUnitWord = 20;
inline constexpr int kDisplayFlags = 24;
inline constexpr int kModeWord = 48;
inline constexpr int kCurveFlags = 52;
inline constexpr int kRange = 56;
inline constexpr int kDelay = 68;
inline constexpr int kProbeZero = 92;
inline constexpr int kVelocity = 94;
inline constexpr int kProbeAngle = 96;
inline constexpr int kProbeFront = 98;
inline constexpr int kProbeFrequency = 100;
inline constexpr int kCrystalSize = 102;
inline constexpr int kRejectLevel = 104;
inline constexpr int kCompGain = 106;
inline constexpr int kBaseGain = 108;
inline constexpr int kGainTable = 112; // 8 x int16
inline constexpr int kGateAStart = 132;
inline constexpr int kGateAWidth = 134;
inline constexpr int kGateALevel = 136;
inline constexpr int kGateBStart = 140;
inline constexpr int kGateBWidth = 142;
inline constexpr int kGateBLevel = 144;
inline constexpr int kDacPointDb = 148;  // 10 x uint16
inline constexpr int kDacPointPos = 168; // 10 x uint16
inline constexpr int kDacPointCount = 188;
inline constexpr int kDacRefDiameter = 190;
inline constexpr int kDacRefLength = 192;

inline constexpr int kGainTableSize = 8;
inline constexpr int kDacPoints = 10;
inline constexpr int kBcdGroupSize = 4; // group A

// Bit fields: word offset, lowest bit, bit count.
struct BitField {
    int word;
    int shift;
    int bits;
    // The field's bits within its 32-bit word.
    constexpr uint32_t mask() const { return ((1u << bits) - 1u) << shift; }
};

// Writes `value` into field `f` of the parameter block at `block`, keeping
// the other bits of its word; bits of `value` beyond the field's width are
// dropped rather than spilled into the neighbouring fields.
inline void setBits(uint8_t* block, const BitField& f, uint32_t value) {
    const uint32_t word = loadU32Unchecked(block + f.word);
    storeU32(block + f.word, (word & ~f.mask()) | ((value << f.shift) & f.mask()));
}
inline constexpr BitField kChannelNo{kChannelWord, 12, 4};
inline constexpr BitField kInchUnits{kUnitWord, 6, 1};
inline constexpr BitField kEnvelopeMode{kDisplayFlags, 0, 2};
inline constexpr BitField kGateFollowsCurve{kDisplayFlags, 3, 1};
inline constexpr BitField kFlatCurve{kDisplayFlags, 4, 1};
inline constexpr BitField kProbeType{kDisplayFlags, 12, 2};
inline constexpr BitField kWaveMode{kDisplayFlags, 28, 2};
inline constexpr BitField kCurveCount{kModeWord, 0, 3};
inline constexpr BitField kTwoGateReadout{kModeWord, 4, 1};
inline constexpr BitField kPathMode{kModeWord, 24, 2};
inline constexpr BitField kDgsReadoutKind{kModeWord, 26, 2};
inline constexpr BitField kDacLineSelect{kModeWord, 28, 4};
inline constexpr BitField kDacOn{kCurveFlags, 2, 1};
inline constexpr BitField kDgsOn{kCurveFlags, 3, 1};
inline constexpr BitField kDistanceLawExtend{kCurveFlags, 4, 1};
} // namespace param

class InstrumentParams {
public:
    using Block = std::array<uint8_t, kParameterBlockSize>;

    // Replaces the copy with the block at `block` (kParameterBlockSize bytes,
    // checked by the caller) and converts group A from BCD: b -> (b >> 4) * 10
    // + (b & 15), with no validity check (0xFF becomes 165).
    void copyParameterBlock(const uint8_t* block);

    // Recomputes unitScale, rangeShown and delayShown from the copy.
    void deriveDisplayLengths();

    const Block& bytes() const { return bytes_; }
    void clear();

    // Named fields, with the width and signedness of the block.
    uint8_t stampBcd(int i) const { return bytes_[param::kStampBcd + i]; }
    uint8_t noteLength() const { return bytes_[param::kNoteLength]; }
    uint32_t channelWord() const { return u32(param::kChannelWord); }
    uint32_t unitWord() const { return u32(param::kUnitWord); }
    uint32_t displayFlags() const { return u32(param::kDisplayFlags); }
    uint32_t modeWord() const { return u32(param::kModeWord); }
    uint32_t curveFlags() const { return u32(param::kCurveFlags); }
    uint32_t range() const { return u32(param::kRange); }
    uint32_t delay() const { return u32(param::kDelay); }
    uint16_t probeZero() const { return u16(param::kProbeZero); }
    uint16_t velocity() const { return u16(param::kVelocity); }
    uint16_t probeAngle() const { return u16(param::kProbeAngle); }
    uint16_t probeFront() const { return u16(param::kProbeFront); }
    uint16_t probeFrequency() const { return u16(param::kProbeFrequency); }
    uint16_t crystalSize() const { return u16(param::kCrystalSize); }
    uint16_t rejectLevel() const { return u16(param::kRejectLevel); }
    uint16_t compGain() const { return u16(param::kCompGain); }
    uint16_t baseGain() const { return u16(param::kBaseGain); }
    int16_t gainTable(int i) const { return static_cast<int16_t>(u16(param::kGainTable + 2 * i)); }
    uint16_t gateAStart() const { return u16(param::kGateAStart); }
    uint16_t gateAWidth() const { return u16(param::kGateAWidth); }
    uint16_t gateALevel() const { return u16(param::kGateALevel); }
    uint16_t gateBStart() const { return u16(param::kGateBStart); }
    uint16_t gateBWidth() const { return u16(param::kGateBWidth); }
    uint16_t gateBLevel() const { return u16(param::kGateBLevel); }
    uint16_t dacPointDb(int i) const { return u16(param::kDacPointDb + 2 * i); }
    uint16_t dacPointPos(int i) const { return u16(param::kDacPointPos + 2 * i); }
    int16_t dacPointCount() const { return static_cast<int16_t>(u16(param::kDacPointCount)); }
    uint16_t dacRefDiameter() const { return u16(param::kDacRefDiameter); }
    uint16_t dacRefLength() const { return u16(param::kDacRefLength); }

    // Bit fields, as unsigned numbers after shifting. Where the instrument
    // takes a field modulo 7 (curveCount, dacLineSelect) the user of the
    // field does so; these return the stored bits.
    uint32_t bits(const param::BitField& f) const { return (u32(f.word) & f.mask()) >> f.shift; }
    uint32_t channelNo() const { return bits(param::kChannelNo); }
    bool inchUnits() const { return bits(param::kInchUnits) != 0; }
    uint32_t envelopeMode() const { return bits(param::kEnvelopeMode); }
    bool gateFollowsCurve() const { return bits(param::kGateFollowsCurve) != 0; }
    bool flatCurve() const { return bits(param::kFlatCurve) != 0; }
    uint32_t probeType() const { return bits(param::kProbeType); }
    uint32_t waveMode() const { return bits(param::kWaveMode); }
    uint32_t curveCount() const { return bits(param::kCurveCount); }
    bool twoGateReadout() const { return bits(param::kTwoGateReadout) != 0; }
    uint32_t pathMode() const { return bits(param::kPathMode); }
    uint32_t dgsReadoutKind() const { return bits(param::kDgsReadoutKind); }
    uint32_t dacLineSelect() const { return bits(param::kDacLineSelect); }
    bool dacOn() const { return bits(param::kDacOn) != 0; }
    bool dgsOn() const { return bits(param::kDgsOn) != 0; }
    bool distanceLawExtend() const { return bits(param::kDistanceLawExtend) != 0; }
    bool curveMode() const { return dacOn() || dgsOn(); }

    // Derived lengths (single precision), valid after deriveDisplayLengths.
    float unitScale() const { return unitScale_; }
    float rangeShown() const { return rangeShown_; }
    float delayShown() const { return delayShown_; }

private:
    uint16_t u16(int offset) const { return loadU16Unchecked(bytes_.data() + offset); }
    uint32_t u32(int offset) const { return loadU32Unchecked(bytes_.data() + offset); }

    Block bytes_{};
    float unitScale_ = 0.0f;
    float rangeShown_ = 0.0f;
    float delayShown_ = 0.0f;
};

} // namespace vantrel
