// The report's view of the viewer: the frame on screen, its envelope, the
// parameters in force, the curve storage and the sound-path ruler labels.
#pragma once

#include "report_page.h"
#include "viewer_core.h"

namespace vantrel {

inline ReportPlotInputs reportInputs(ViewerCore& core) {
    return {core.frameOnScreen(), core.frameTail().envelope(), &core.params(), &core.curves(),
            core.parametersLoaded() ? std::span<const std::string>(core.pathRuler())
                                    : std::span<const std::string>()};
}

} // namespace vantrel
