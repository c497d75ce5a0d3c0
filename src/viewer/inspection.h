// What the inspector decides about a recording: per evaluated indication
// its nature, grade, remark and whether it goes into the report; the scan
// travel that turns frames into millimetres; the report's typed cells. The
// recording itself is evidence and never written: all of this is kept
// beside it (see the inspection file).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "evaluation.h"
#include "frame_place.h"

namespace vantrel {

// The grades an inspector gives; blank until one is given. No table of a
// standard is built in: the inspector decides.
inline constexpr const char* kGrades[] = {"", "I", "II", "III", "IV"};

// The inspector's word on one evaluated indication, which it names by its
// first and last frame.
struct IndicationDecision {
    FramePlace start, end;
    std::string nature; // 性质, free text (UTF-8)
    std::string grade;  // one of kGrades
    std::string remark; // free text (UTF-8)
    bool reported = true;
    bool operator==(const IndicationDecision&) const = default;
};

// How the inspector gave the scan travel: not at all (lengths in frames),
// typed as millimetres per shown frame, or as the distance in millimetres
// between two frames (two notes, two clicks on the strips).
struct TravelCalibration {
    enum class Method : uint8_t { None, Typed, TwoFrames };
    Method method = Method::None;
    std::string mmPerFrame; // Typed: as typed, e.g. "0.25"
    FramePlace from, to;    // TwoFrames: the two frames
    std::string distanceMm; // TwoFrames: as typed, e.g. "600"
    bool operator==(const TravelCalibration&) const = default;
};

// Everything kept beside one recording.
struct Inspection {
    TravelCalibration travel;
    // Decisions in the order the indications were first decided; a decision
    // whose indication the current evaluation no longer finds (another gap)
    // is kept, never dropped, and shows again when the indication does.
    std::vector<IndicationDecision> decisions;
    // The report's blank cells as typed, by caption (检测单位, 备注, ...).
    std::map<std::string, std::string> reportCells;
    bool operator==(const Inspection&) const = default;

    // The decision for the indication from `start` to `end`, or nullptr.
    const IndicationDecision* decisionFor(FramePlace start, FramePlace end) const;
    // The same, made (blank, reported) when there is none yet.
    IndicationDecision& decide(FramePlace start, FramePlace end);
};

// The travel the calibration gives on `overview`, or nullopt when none was
// given or it does not make one (a text that is not a positive number, two
// frames the overview does not hold or that are the same frame).
std::optional<Travel> travelOf(const TravelCalibration& calibration, const EchoOverview& overview);

} // namespace vantrel
