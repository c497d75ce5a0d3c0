// The report window and the open recording: the defect list comes from the
// recording's evaluation and decisions, whether or not the echo-dynamics
// window exists, and the report's typed cells are kept with the recording
// (saved as they are typed, given back when it is opened again).
#pragma once

#include <optional>

#include "report_page/defect_list_page.h"

namespace vantrel {

class OpenRecording;
class TReportForm;
class ViewerCore;

// `recording` and `core` (the frame on screen, whose flaw's cells the
// report shows) must outlive `report`'s use of them.
void connectReportToRecording(OpenRecording& recording, const ViewerCore& core,
                              TReportForm& report);

// The defect list of the open recording as the report window prints it, in
// the interface's language; nullopt while nothing is evaluated.
std::optional<DefectListInputs> defectListInputs(const OpenRecording& recording);

} // namespace vantrel
