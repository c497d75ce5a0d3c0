#include "app/report_wiring.h"

#include "app/echo_dynamics_form.h"
#include "app/main_form.h"
#include "report_window/report_form.h"

namespace vantrel {

void connectReportToInspection(TMainForm& main, TReportForm& report) {
    // Made first, so that on every open it reads the recording's inspection
    // before the report takes the cells from it.
    TEchoDynamicsForm& echo = main.echoDynamics();
    report.setDefectListSource([&echo] { return echo.defectListInputs(); },
                               [&echo] { return echo.evaluation() != nullptr; });
    report.userTextsEdited = [&echo](const std::map<std::string, std::string>& cells) {
        echo.setReportCells(cells);
    };
    // The flaw's cells go with the frame the main window shows: its
    // indication's, or its own.
    const ViewerCore* core = &main.core();
    auto place = [core] { return core->placeOnScreen().value_or(FramePlace{}); };
    report.flawCellsSource = [&echo, place] {
        return TReportForm::FlawCells{echo.flawPlaceText(place()), echo.flawCellsAt(place())};
    };
    report.flawTextsEdited = [&echo, place](const std::map<std::string, std::string>& cells) {
        echo.setFlawCells(place(), cells);
    };
    // The job's cells a recording keeps replace what is typed in them;
    // cells it does not keep (a new recording) keep what was typed, as the
    // blank cells always have from one recording to the next.
    auto jobCells = [&echo] {
        std::map<std::string, std::string> job = echo.inspection().reportCells;
        std::erase_if(job, [](const auto& c) { return isFlawCell(c.first); });
        return job;
    };
    QObject::connect(&main, &TMainForm::fileOpened, &report,
                     [&report, jobCells] { report.setUserTexts(jobCells()); });
    report.setUserTexts(jobCells());
}

} // namespace vantrel
