// The texts the instrument shows: the parameter panel, the sound-path ruler
// labels and the four readouts above the plot. Every text is GBK, as the
// instrument's own (the report cuts some of them on their GBK bytes); use
// gbkToUtf8 to show them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "recordfile/frame_layout.h"
#include "recordfile/instrument_params.h"

namespace vantrel {

// Pattern formatting ("0.0", "0.00"): at least one integer digit, exactly
// `decimals` decimals, rounded to the nearest with halves away from zero
// (on the exact binary value), a minus sign for negative values.
std::string formatPattern(double value, int decimals);

// printf-style formatting with the C locale's decimal point.
std::string formatPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The texts of the parameter panel and the hidden reject label.
struct PanelTexts {
    std::string baseGain, scanGain, compGain;           // gains
    std::string probeType, probeFrequency, crystalSize; // probe
    std::string echoRange, echoDelay, probeFront, echoSpeed, probeZero, probeAngle, channelNo,
        echoKAngle;     // base information
    std::string reject; // lblReject
};

// Probe type names by probeType 0..3 (the low two bits): the instrument's
// word, in UTF-8 (the windows translate it, context PanelText), and as the
// instrument writes it, in GBK.
const char* probeTypeWord(uint32_t probeType);
const std::string& probeTypeName(uint32_t probeType);

// Formats the current copy; the derived lengths must be current
// (InstrumentParams::deriveDisplayLengths).
PanelTexts formatPanel(const InstrumentParams& p);

// K value text (tangent of the refraction angle). For angles of 90 degrees
// and more the tangent means nothing for an angle-beam probe and its value
// does not fit; the field then shows "--".
std::string kValueText(uint16_t probeAngle);

// The six sound-path ruler labels ("%.1f " each) for the derived lengths.
std::array<std::string, 6> pathRulerLabels(const InstrumentParams& p);

// ---------------------------------------------------------------- readouts

// 1..7 in DAC mode (line 1 + dacLineSelect mod 7), 10..13 in DGS mode,
// -1 outside curve mode. DAC wins when both mode bits are set.
int readoutMode(const InstrumentParams& p);

// v * 0.1 with exactly one decimal: 25 -> "2.5", -31 -> "-3.1", 0 -> "0.0".
std::string tenths(int64_t v);
// " +2.5" for v > 0, " 0.0" / " -2.5" otherwise.
std::string signedReadout(int32_t v);
// The reference reflector diameter of the DGS curve at gainTable[3] = g.
int32_t curveDiameter(int16_t g);
// The equivalent reflector diameter for an echo v (0.1 dB) against the
// curve at level g, as tenths text.
std::string equivalentDiameter(int16_t g, int32_t v);

// GBK symbols of the readouts.
namespace symbol {
inline const std::string kPhi = "\xA6\xB5";       // diameter
inline const std::string kSoundPath = "\xA8\x4B"; // sound path (south-east arrow)
inline const std::string kSurface = "\xA1\xFA";   // surface distance (right arrow)
inline const std::string kDepth = "\xA1\xFD";     // depth (down arrow)
inline const std::string kPeak = "\xA1\xC4";      // peak amplitude
} // namespace symbol

using ReadoutTexts = std::array<std::string, 4>; // LabelPara1..4, GBK

ReadoutTexts readoutTexts(const InstrumentParams& p, const FrameValues& v);

// The readouts as the report's defect cells take them, without the marks
// readoutTexts writes before the values (GBK). One gate: the leading arrow
// (one two-byte character) off the three positions. Two gates ("A:" first):
// "A:"/"B:" and the arrow (four bytes) off the two positions, the blank
// before the number kept; the amplitudes whole.
struct ReadoutValues {
    bool twoGate = false;
    std::string distance, x, y, equivalent;
};
ReadoutValues readoutValues(const ReadoutTexts& readouts);
// Byte `from` (counted from 1) of `gbk` on; empty when it is shorter.
std::string fromByte(const std::string& gbk, size_t from);
// The captions before the first frame is drawn: sound path, surface
// distance, depth, peak.
ReadoutTexts readoutPlaceholders();

} // namespace vantrel
