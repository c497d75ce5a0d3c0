// The echo-dynamics window's commands on the recording's inspection: the
// inspector's decisions from the list, the scan travel, the export of the
// list on screen. The decisions themselves, their file and the settings
// kept with them are the open recording's.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "analysis/indication_table.h"
#include "app/echo_dynamics_form.h"
#include "app/evaluation_list.h"

namespace vantrel {

void TEchoDynamicsForm::setTravel(const TravelCalibration& calibration) {
    recording_.setTravel(calibration);
    fillEvaluationList();
}

void TEchoDynamicsForm::setDecision(int row, const IndicationDecision& decision) {
    if (row < 0 || !recording_.setDecision(static_cast<size_t>(row), decision)) return;
    evaluationList_->decisionChanged(row);
}

void TEchoDynamicsForm::calibrateTravel() {
    if (!chooseTravel) return;
    if (const std::optional<TravelCalibration> c = chooseTravel(inspection().travel)) setTravel(*c);
}

void TEchoDynamicsForm::exportCsv() {
    if (!overview() || !chooseCsvFile) return;
    const std::string recording = core_.file().path();
    const std::optional<QString> path =
        chooseCsvFile(QString::fromStdString(indicationsCsvName(recording)));
    if (!path) return;
    // The list on screen: the evaluated indications with the inspector's
    // words in the evaluation view, the threshold runs otherwise.
    const std::string csv =
        evaluationShown() && evaluation()
            ? recording_.evaluationCsv()
            : indicationsCsvComment(
                  QFileInfo(QString::fromStdString(recording)).fileName().toStdString(),
                  settings()) +
                  indicationsCsv(*overview());
    QFile out(*path);
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
        out.write(csv.data(), static_cast<qint64>(csv.size())) == static_cast<qint64>(csv.size()))
        return;
    tell(QStringLiteral("ExportFailedMessage"),
         tr("无法写入“%1”：%2").arg(QDir::toNativeSeparators(*path), out.errorString()));
}

} // namespace vantrel
