// The evaluated indications as texts: the rows of the echo-dynamics window's
// evaluation list, in the words an inspector writes into a report.
#pragma once

#include <optional>
#include <string>

#include "evaluation.h"
#include "inspection.h"
#include "record_query.h"

namespace vantrel {

// Sound path, surface distance and depth at a shown frame (tenths of the
// length unit). The overview keeps one position kind only, so they are read
// from the frame's record: one record each, not a second walk. The two-gate
// form records gate A's sound path only.
struct PeakPositions {
    std::optional<int64_t> path, surface, depth;
    std::string unit; // "mm" or "in"
};
PeakPositions peakPositions(const EchoOverview& overview, RecordQuery& reader, int64_t i);

// A length along the weld: with a travel, calibrated millimetres with one
// decimal ("12.5mm"); without one, shown frames ("25帧", the unit in the
// reader's language), so that a length never passes for millimetres it is
// not.
inline constexpr char kFramesUnit[] = "帧";
std::string lengthText(int64_t frames, const std::optional<Travel>& travel,
                       const std::string& framesUnit = kFramesUnit);

struct EvaluatedTexts {
    std::string start, end, frames, peak; // "R:F", shown frames from start to end
    std::string zone;                     // "I", "II", "III"
    std::string sl;                       // A at the peak against SL: "SL+4.6dB", "SL-2.0dB"
    std::string depth, surface;           // at the peak, "24.1mm"; empty where not recorded
    std::string drop6Length, elLength;    // lengthText of the 6 dB run and of the indication
};
EvaluatedTexts evaluatedTexts(const EchoOverview& overview, const EvaluatedIndication& d,
                              const PeakPositions& at, const std::optional<Travel>& travel,
                              const std::string& framesUnit = kFramesUnit);

} // namespace vantrel
