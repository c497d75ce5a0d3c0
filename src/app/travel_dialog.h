// The scan travel dialog (行程标定): a time-based recording has no probe
// position, so the inspector says how far the probe moved per shown frame,
// typed in millimetres, or as the distance between two frames whose places
// on the weld are known: two operator notes (焊缝起点 and the end of the
// scan), or frames clicked on the strips (the frame on screen).
#pragma once

#include <QDialog>

#include <vector>

#include "inspection.h"

class QComboBox;
class QLineEdit;
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
    TravelDialog(const TravelCalibration& current, const std::vector<Choice>& frames,
                 QWidget* parent = nullptr);
    // The calibration as the dialog now holds it.
    TravelCalibration calibration() const;

private:
    std::vector<Choice> frames_;
    QRadioButton *none_, *typed_, *twoFrames_;
    QLineEdit *mmPerFrame_, *distance_;
    QComboBox *from_, *to_;
};

} // namespace vantrel
