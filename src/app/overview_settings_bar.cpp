#include "app/overview_settings_bar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include <cmath>

#include "display/display_text.h"
#include "pictures/gbk_qstring.h"

namespace vantrel {

OverviewSettingsBar::OverviewSettingsBar(QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    auto caption = [this, row](const QString& text) { row->addWidget(new QLabel(text, this)); };
    auto spin = [this, row](const char* name, double low, double high, const QString& suffix) {
        auto* box = new QDoubleSpinBox(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setRange(low, high);
        box->setDecimals(1);
        box->setSingleStep(1.0);
        box->setSuffix(suffix);
        row->addWidget(box);
        return box;
    };

    // The position values as the readouts above the A-scan mark them and the
    // report's defect rows name them: sound path, surface distance, depth.
    caption(tr("位置"));
    position_ = new QComboBox(this);
    position_->setObjectName(QStringLiteral("PositionKind"));
    position_->addItem(fromGbk(symbol::kSoundPath) + QLatin1Char(' ') + tr("距离"));
    position_->addItem(fromGbk(symbol::kSurface) + QLatin1Char(' ') + tr("水平"));
    position_->addItem(fromGbk(symbol::kDepth) + QLatin1Char(' ') + tr("垂直"));
    row->addWidget(position_);
    row->addSpacing(12);

    caption(tr("阈值"));
    byGateLevel_ = new QCheckBox(tr("按闸门A电平"), this);
    byGateLevel_->setObjectName(QStringLiteral("PercentByGateLevel"));
    byGateLevel_->setToolTip(
        tr("% 波幅的阈值取各记录参数中闸门A的电平；拖动阈值线或输入数值则改用固定阈值"));
    row->addWidget(byGateLevel_);
    percent_ = spin("PercentThreshold", 0.0, 200.0, QStringLiteral(" %"));
    percent_->setValue(40.0);
    db_ = spin("DbThreshold", -60.0, 60.0, QStringLiteral(" dB"));
    row->addSpacing(12);

    caption(tr("合并间隔"));
    gap_ = new QSpinBox(this);
    gap_->setObjectName(QStringLiteral("MergeGap"));
    gap_->setRange(0, 1000000);
    gap_->setSuffix(tr(" 帧"));
    gap_->setToolTip(tr("相隔不超过这么多帧的指示合并为一处"));
    row->addWidget(gap_);
    row->addStretch(1);

    // The split is the evaluation's: the owner puts it beside the
    // evaluation's other controls.
    splitControls_ = new QWidget(this);
    auto* splitRow = new QHBoxLayout(splitControls_);
    splitRow->setContentsMargins(0, 0, 0, 0);
    splitRow->addWidget(new QLabel(tr("分割"), splitControls_));
    split_ = new QDoubleSpinBox(splitControls_);
    split_->setObjectName(QStringLiteral("SplitDistance"));
    split_->setRange(0.0, 1000.0);
    split_->setDecimals(2);
    split_->setSingleStep(0.5);
    split_->setSuffix(QStringLiteral(" mm"));
    split_->setToolTip(tr("闸门A回波的位置在相邻帧间跳变超过此距离时，评定的指示在此分开"
                          "（焊缝根部等另一回波不并入缺陷的长度）；0：不分开"));
    splitRow->addWidget(split_);

    fit_ = new QPushButton(tr("全部"), this);
    fit_->setObjectName(QStringLiteral("FitAll"));
    fit_->setToolTip(tr("显示整个文件（滚轮缩放，右键或 Shift+左键拖动平移）"));
    row->addWidget(fit_);
    byGateLevel_->setChecked(true);
    connectControls();
}

void OverviewSettingsBar::connectControls() {
    connect(position_, &QComboBox::currentIndexChanged, this, [this](int index) {
        shown_.position = static_cast<OverviewPosition>(index);
        userChanged(true);
    });
    connect(byGateLevel_, &QCheckBox::toggled, this, [this](bool on) {
        shown_.percentThreshold =
            on ? std::nullopt : std::optional<int64_t>(std::llround(percent_->value() * 10));
        userChanged(false);
    });
    connect(percent_, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        shown_.percentThreshold = std::llround(v * 10);
        userChanged(false);
    });
    connect(db_, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        shown_.dbThreshold = std::llround(v * 10);
        userChanged(false);
    });
    connect(gap_, &QSpinBox::valueChanged, this, [this](int v) {
        shown_.gap = v;
        userChanged(false);
    });
    connect(split_, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        shown_.splitMicrometres = std::llround(v * 1000);
        userChanged(false);
    });
    connect(fit_, &QPushButton::clicked, this, &OverviewSettingsBar::fitRequested);
}

void OverviewSettingsBar::userChanged(bool positionChanged) {
    // Changes the controls make while showSettings() copies settings onto them are
    // not the user's.
    if (!syncing_) emit changed(shown_, positionChanged);
}

void OverviewSettingsBar::showSettings(const OverviewSettings& settings) {
    syncing_ = true;
    position_->setCurrentIndex(static_cast<int>(settings.position));
    byGateLevel_->setChecked(!settings.percentThreshold);
    percent_->setEnabled(settings.percentThreshold.has_value());
    if (settings.percentThreshold)
        percent_->setValue(static_cast<double>(*settings.percentThreshold) / 10.0);
    db_->setValue(static_cast<double>(settings.dbThreshold) / 10.0);
    gap_->setValue(static_cast<int>(std::min<int64_t>(settings.gap, gap_->maximum())));
    split_->setValue(static_cast<double>(settings.splitMicrometres) / 1000.0);
    shown_ = settings;
    syncing_ = false;
}

void OverviewSettingsBar::setFitEnabled(bool enabled) { fit_->setEnabled(enabled); }

} // namespace vantrel
