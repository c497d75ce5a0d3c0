// The scan travel dialog (行程标定): a time-based recording has no probe
// position, so the inspector says how far the probe moved per shown frame,
// typed in millimetres, or as the distance between two frames whose places
// on the weld are known: two operator notes (焊缝起点 and the end of the
// scan), or frames clicked on the strips (the frame on screen). OK takes
// only a calibration that makes a travel on the overview (travelRefusal);
// otherwise the dialog says why and the calibration in force stays.
#pragma once

#include <QDialog>

#include <vector>

#include "analysis/inspection.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vantrel {

class TravelDialog : public QDialog {
    Q_OBJECT
public:
    // A frame the two-frame calibration may start or end at, as offered.
    struct Choice {
        QString text;
        FramePlace place;
    };
    // `overview` is the recording's, which the dialog's calibration is
    // checked against; it outlives the dialog.
    TravelDialog(const TravelCalibration& current, const std::vector<Choice>& frames,
                 const EchoOverview& overview, QWidget* parent = nullptr);
    // The calibration as the dialog now holds it.
    TravelCalibration calibration() const;
    // Closes the dialog as accepted only when its calibration makes a
    // travel (or asks for none).
    void accept() override;

private:
    // The constructor's steps: the frames the two boxes offer (with those
    // of `current`) and the ones selected, the layout, and the controls'
    // states and connections, starting from `current`'s method.
    void offerFrames(const TravelCalibration& current);
    void layOut();
    void connectControls(const TravelCalibration& current);
    // Why the calibration now held makes no travel, as the dialog says it;
    // empty when it makes one.
    QString problem() const;
    // The reason shown and OK enabled as the calibration now held allows.
    void syncProblem();

    const EchoOverview& overview_;
    std::vector<Choice> frames_;
    QRadioButton *none_, *typed_, *twoFrames_;
    QLineEdit *mmPerFrame_, *distance_;
    QComboBox *from_, *to_;
    QLabel* problem_;
    QPushButton* ok_;
};

} // namespace vantrel
