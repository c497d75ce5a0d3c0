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

#include "analysis/evaluation.h"
#include "viewer/frame_place.h"

namespace vantrel {

// The grades an inspector gives; blank until one is given. No table of a
// standard is built in: the inspector decides.
inline constexpr const char* kGrades[] = {"", "I", "II", "III", "IV"};

// The report's cells that belong to one flaw rather than to the recording
// (长度, 高度, 等级, 备注, 探伤结果), by caption, as typed.
using ReportCells = std::map<std::string, std::string>;

// The inspector's word on one indication, which it names by its first and
// last frame and, since indications are found again when the settings or the
// rules change, by its peak: a decision belongs to the indication that holds
// its peak frame.
struct IndicationDecision {
    FramePlace start, end;
    // The peak frame when the decision was made; nullopt in files of the
    // first version, where it is the peak of start .. end.
    std::optional<FramePlace> peak;
    // Marked by the inspector (人工) over start .. end rather than found by
    // the evaluation.
    bool manual = false;
    std::string nature; // 性质, free text (UTF-8)
    std::string grade;  // one of kGrades
    std::string remark; // free text (UTF-8)
    bool reported = true;
    ReportCells cells; // the flaw's report cells typed for this indication
    bool operator==(const IndicationDecision&) const = default;
};

// What the indications were found with, kept so that the window and the
// command line find the indications the decisions were made on.
struct EvaluationSettings {
    int64_t gap = 0;                 // shown frames merged across (合并间隔)
    int64_t splitMicrometres = 3000; // an echo jump that cuts an indication; 0: no cut
    // The overview's thresholds, tenths: % (nullopt: the gate A level) and dB.
    std::optional<int64_t> percentThreshold;
    int64_t dbThreshold = 0;
    bool operator==(const EvaluationSettings&) const = default;
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
    // The settings the indications were found with; nullopt in a file of
    // the first version (gap 0, no cut) or before any was kept.
    std::optional<EvaluationSettings> settings;
    // The report's blank cells of the job as typed, by caption (检测单位,
    // 报告编号, ...): the recording's, on every page.
    std::map<std::string, std::string> reportCells;
    // The flaw's report cells typed on a frame that lies in no indication.
    std::map<FramePlace, ReportCells> frameCells;
    bool operator==(const Inspection&) const = default;

    // The decision for the indication from `start` to `end`, or nullptr.
    const IndicationDecision* decisionFor(FramePlace start, FramePlace end) const;
    // The same, made (blank, reported) when there is none yet.
    IndicationDecision& decide(FramePlace start, FramePlace end);
};

// Why a calibration makes no travel on `overview`: a typed travel or a
// distance that is not a positive number of millimetres (Travel::parse), a
// frame the overview does not hold (stepping never shows it, or its record is
// missing), or one frame given twice. None for a calibration that makes one,
// and for Method::None, which asks for none.
enum class TravelRefusal : uint8_t { None, NotATravel, NotADistance, FrameNotShown, SameFrame };
TravelRefusal travelRefusal(const TravelCalibration& calibration, const EchoOverview& overview);

// The travel the calibration gives on `overview`, or nullopt when none was
// given or it does not make one (travelRefusal says why).
std::optional<Travel> travelOf(const TravelCalibration& calibration, const EchoOverview& overview);

} // namespace vantrel
