// The report's view of the viewer: the frame on screen, its envelope, the
// parameters in force, the curve storage and the sound-path ruler labels.
#pragma once

#include "report_page.h"
#include "viewer_core.h"

namespace vantrel {

// For frame `frame` of the record in the query's buffer with `tail` the tail
// of the frame drawn last.
inline ReportPlotInputs reportInputs(const RecordQuery& query, std::span<const uint8_t> frame,
                                     const FrameTail& tail) {
    return {frame, tail.envelope(), &query.params(), &query.curves(),
            query.parametersLoaded() ? std::span<const std::string>(query.pathRuler())
                                     : std::span<const std::string>()};
}

inline ReportPlotInputs reportInputs(const ViewerCore& core) {
    return reportInputs(core.query(), core.frameOnScreen(), core.frameTail());
}

} // namespace vantrel
