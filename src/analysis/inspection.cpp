#include "analysis/inspection.h"

#include <algorithm>

namespace vantrel {

const IndicationDecision* Inspection::decisionFor(FramePlace start, FramePlace end) const {
    const auto it = std::find_if(decisions.begin(), decisions.end(),
                                 [&](const auto& d) { return d.start == start && d.end == end; });
    return it == decisions.end() ? nullptr : &*it;
}

IndicationDecision& Inspection::decide(FramePlace start, FramePlace end) {
    if (const IndicationDecision* d = decisionFor(start, end))
        return decisions[static_cast<size_t>(d - decisions.data())];
    IndicationDecision& d = decisions.emplace_back();
    d.start = start;
    d.end = end;
    return d;
}

TravelRefusal travelRefusal(const TravelCalibration& c, const EchoOverview& overview) {
    switch (c.method) {
    case TravelCalibration::Method::None: return TravelRefusal::None;
    case TravelCalibration::Method::Typed:
        return Travel::parse(c.mmPerFrame) ? TravelRefusal::None : TravelRefusal::NotATravel;
    case TravelCalibration::Method::TwoFrames: break;
    }
    const int64_t a = overview.indexOf(c.from.record, c.from.frame);
    const int64_t b = overview.indexOf(c.to.record, c.to.frame);
    if (a < 0 || b < 0) return TravelRefusal::FrameNotShown;
    if (a == b) return TravelRefusal::SameFrame;
    return Travel::parse(c.distanceMm) ? TravelRefusal::None : TravelRefusal::NotADistance;
}

std::optional<Travel> travelOf(const TravelCalibration& c, const EchoOverview& overview) {
    if (c.method == TravelCalibration::Method::None ||
        travelRefusal(c, overview) != TravelRefusal::None)
        return std::nullopt;
    std::optional<Travel> t =
        Travel::parse(c.method == TravelCalibration::Method::Typed ? c.mmPerFrame : c.distanceMm);
    if (t && c.method == TravelCalibration::Method::TwoFrames) {
        // The distance between two frames over the shown frames between
        // them: the probe moves one step per shown frame.
        const int64_t a = overview.indexOf(c.from.record, c.from.frame);
        const int64_t b = overview.indexOf(c.to.record, c.to.frame);
        t->perFrames = a < b ? b - a : a - b;
    }
    return t;
}

} // namespace vantrel
