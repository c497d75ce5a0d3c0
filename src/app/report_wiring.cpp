#include "app/report_wiring.h"

#include <QCoreApplication>
#include <QDate>

#include "analysis/indication_table.h"
#include "inspection/open_recording.h"
#include "report_window/report_form.h"
#include "viewer/viewer_core.h"

namespace vantrel {

namespace {

class ReportWiring {
    Q_DECLARE_TR_FUNCTIONS(ReportWiring)
public:
    // The place whose flaw cells the report shows, "指示 2（166:4–204:0）"
    // or "帧 190:3".
    static QString flawPlaceText(const OpenRecording& recording, FramePlace frame) {
        const FlawCellsPlace place = recording.flawCellsPlace(frame);
        if (!place.indication) return tr("帧 %1").arg(QString::fromStdString(placeText(frame)));
        const EchoOverview& o = recording.evaluated()->overview();
        const EvaluatedIndication& d =
            recording.evaluated()->evaluation().indications()[*place.indication];
        return tr("指示 %1（%2–%3）")
            .arg(*place.indication)
            .arg(QString::fromStdString(framePlace(o, d.start)),
                 QString::fromStdString(framePlace(o, d.end)));
    }
};

} // namespace

std::optional<DefectListInputs> defectListInputs(const OpenRecording& recording) {
    std::optional<DefectList> list = recording.defectList(defectListWords());
    if (!list) return std::nullopt;
    return DefectListInputs{std::move(*list), recording.path(), QDate::currentDate(), {}};
}

void connectReportToRecording(OpenRecording& recording, const ViewerCore& core,
                              TReportForm& report) {
    // Whether there is a list is known without making it (a list reads the
    // peaks' records).
    report.setDefectListSource([&recording] { return defectListInputs(recording); },
                               [&recording] { return recording.evaluated() != nullptr; });
    report.userTextsEdited = [&recording](const std::map<std::string, std::string>& cells) {
        recording.setReportCells(cells);
    };
    // The flaw's cells go with the frame the main window shows: its
    // indication's, or its own.
    auto place = [&core] { return core.placeOnScreen().value_or(FramePlace{}); };
    report.flawCellsSource = [&recording, place] {
        return TReportForm::FlawCells{ReportWiring::flawPlaceText(recording, place()),
                                      recording.flawCellsAt(place())};
    };
    report.flawTextsEdited = [&recording, place](const std::map<std::string, std::string>& cells) {
        recording.setFlawCells(place(), cells);
    };
    // The job's cells a recording keeps replace what is typed in them;
    // cells it does not keep (a new recording) keep what was typed, as the
    // blank cells always have from one recording to the next. The recording
    // has read them when it says it opened.
    QObject::connect(&recording, &OpenRecording::opened, &report,
                     [&report, &recording] { report.setUserTexts(recording.jobCells()); });
    report.setUserTexts(recording.jobCells());
}

} // namespace vantrel
