// The report window and the recording's inspection: the defect list comes
// from the echo-dynamics window's evaluation and decisions, and the report's
// typed cells are kept with the recording (saved as they are typed, given
// back when it is opened again).
#pragma once

namespace vantrel {

class TMainForm;
class TReportForm;

// Both windows must live as long as each other; the echo-dynamics window
// of `main` is made here if it was not yet.
void connectReportToInspection(TMainForm& main, TReportForm& report);

} // namespace vantrel
