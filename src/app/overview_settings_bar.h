// The echo-dynamics window's row of settings: the position kind, the
// thresholds (the gate level or a fixed %, and the dB threshold), the merge
// gap, and the button that shows the whole file.
#pragma once

#include <QWidget>

#include "analysis/echo_overview.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QPushButton;
class QSpinBox;

namespace vantrel {

class OverviewSettingsBar : public QWidget {
    Q_OBJECT
public:
    explicit OverviewSettingsBar(QWidget* parent = nullptr);
    // Shows `settings` on the controls (no `changed` follows).
    void showSettings(const OverviewSettings& settings);
    void setFitEnabled(bool enabled);
    // The evaluation's split (its caption and box), which the owner lays
    // out beside the evaluation's controls; its changes come as `changed`.
    QWidget* splitControls() const { return splitControls_; }

signals:
    // The user changed a setting; a new position kind needs a new
    // computation, the others only new indications.
    void changed(const OverviewSettings& settings, bool positionChanged);
    void fitRequested();

private:
    void connectControls();
    void userChanged(bool positionChanged);

    OverviewSettings shown_;
    bool syncing_ = false;
    QComboBox* position_ = nullptr;
    QCheckBox* byGateLevel_ = nullptr;
    QDoubleSpinBox* percent_ = nullptr;
    QDoubleSpinBox* db_ = nullptr;
    QSpinBox* gap_ = nullptr;
    QDoubleSpinBox* split_ = nullptr;
    QWidget* splitControls_ = nullptr;
    QPushButton* fit_ = nullptr;
};

} // namespace vantrel
