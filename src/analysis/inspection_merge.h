// Two versions of one recording's inspection made one: the file beside the
// recording and one kept in the data folder, or what this window saved and
// what another window saved over it since. Nothing either side decided is
// dropped without the inspector's word: what only one side changed is taken,
// what both changed alike is taken once, and what both changed differently
// is a conflict the inspector settles.
//
// With a base (the version both started from, as when another window saved
// over the file this one loaded) a side that left a thing as the base had it
// takes the other side's change, a removal included. Without one (two files
// of unknown descent) the base is a blank inspection: a thing only one side
// holds is taken, and two different values of one thing conflict.
//
// What a thing is: a decision by its indication (the same peak frame where
// both name one, else the same first and last frame), compared whole; the
// travel and the settings each as one; a report cell by its caption; the
// cells typed on a frame by the frame, compared whole.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/inspection.h"

namespace vantrel {

enum class InspectionSide : uint8_t { Ours, Theirs };

// One thing both sides changed differently. Its values as each side has it;
// nullopt where that side does not hold it (removed, or never decided).
struct InspectionConflict {
    enum class Kind : uint8_t { Decision, Travel, Settings, ReportCell, FrameCells };
    Kind kind = Kind::Decision;
    std::optional<IndicationDecision> ourDecision, theirDecision; // Decision
    TravelCalibration ourTravel, theirTravel;                     // Travel
    std::optional<EvaluationSettings> ourSettings, theirSettings; // Settings
    std::string caption;                                          // ReportCell
    std::optional<std::string> ourText, theirText;                // ReportCell
    FramePlace frame;                                             // FrameCells
    std::optional<ReportCells> ourCells, theirCells;              // FrameCells
    bool operator==(const InspectionConflict&) const = default;
};

class InspectionMerge {
public:
    // `base`: what both sides started from; nullopt for two versions of
    // unknown descent (a blank inspection stands for it).
    InspectionMerge(std::optional<Inspection> base, Inspection ours, Inspection theirs);

    // In a stable order: the decisions in the order ours has them, then
    // theirs' others; then the travel, the settings, the report cells by
    // caption and the frame cells by frame.
    const std::vector<InspectionConflict>& conflicts() const { return conflicts_; }
    // The two inspections merged, each conflict settled by `sides` (one per
    // conflict, in order; missing ones take ours). Decisions keep the order
    // ours had them in, theirs' new ones after.
    Inspection merged(const std::vector<InspectionSide>& sides = {}) const;
    const Inspection& ours() const { return ours_; }
    const Inspection& theirs() const { return theirs_; }

private:
    Inspection build(const std::vector<InspectionSide>* sides,
                     std::vector<InspectionConflict>* conflicts) const;

    Inspection base_, ours_, theirs_;
    std::vector<InspectionConflict> conflicts_;
};

// The decisions of `a` and `b` that name the same indication but differ, and
// those only one holds, as pairs (either may be null): what a reader of two
// versions wants to see side by side.
struct DecisionDifference {
    const IndicationDecision* a = nullptr;
    const IndicationDecision* b = nullptr;
};
std::vector<DecisionDifference> decisionDifferences(const Inspection& a, const Inspection& b);

} // namespace vantrel
