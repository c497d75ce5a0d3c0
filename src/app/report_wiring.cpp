#include "report_wiring.h"

#include "echo_dynamics_form.h"
#include "main_form.h"
#include "report_form.h"

namespace vantrel {

void connectReportToInspection(TMainForm& main, TReportForm& report) {
    // Made first, so that on every open it reads the recording's inspection
    // before the report takes the cells from it.
    TEchoDynamicsForm& echo = main.echoDynamics();
    report.setDefectListSource([&echo] { return echo.defectListInputs(); });
    report.userTextsEdited = [&echo](const std::map<std::string, std::string>& cells) {
        echo.setReportCells(cells);
    };
    // The cells a recording keeps replace what is typed in them; cells it
    // does not keep (a new recording) keep what was typed, as the blank
    // cells always have from one recording to the next.
    QObject::connect(&main, &TMainForm::fileOpened, &report,
                     [&report, &echo] { report.setUserTexts(echo.inspection().reportCells); });
    report.setUserTexts(echo.inspection().reportCells);
}

} // namespace vantrel
