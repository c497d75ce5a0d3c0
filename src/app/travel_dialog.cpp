#include "app/travel_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vantrel {

TravelDialog::TravelDialog(const TravelCalibration& current, const std::vector<Choice>& frames,
                           const EchoOverview& overview, QWidget* parent)
    : QDialog(parent), overview_(overview), frames_(frames) {
    setObjectName(QStringLiteral("TravelDialog"));
    setWindowTitle(tr("行程标定"));
    none_ = new QRadioButton(tr("不标定：长度以帧计"), this);
    none_->setObjectName(QStringLiteral("TravelNone"));
    typed_ = new QRadioButton(tr("每帧行程"), this);
    typed_->setObjectName(QStringLiteral("TravelTyped"));
    twoFrames_ = new QRadioButton(tr("两帧之间的距离"), this);
    twoFrames_->setObjectName(QStringLiteral("TravelTwoFrames"));
    mmPerFrame_ = new QLineEdit(QString::fromStdString(current.mmPerFrame), this);
    mmPerFrame_->setObjectName(QStringLiteral("TravelMmPerFrame"));
    mmPerFrame_->setPlaceholderText(QStringLiteral("0.25"));
    distance_ = new QLineEdit(QString::fromStdString(current.distanceMm), this);
    distance_->setObjectName(QStringLiteral("TravelDistance"));
    from_ = new QComboBox(this);
    from_->setObjectName(QStringLiteral("TravelFrom"));
    to_ = new QComboBox(this);
    to_->setObjectName(QStringLiteral("TravelTo"));
    offerFrames(current);
    layOut();
    connectControls(current);
}

void TravelDialog::offerFrames(const TravelCalibration& current) {
    // The frames of the current calibration stay offered even when they
    // are neither a note nor on screen.
    auto offer = [this](FramePlace p) {
        for (const Choice& c : frames_)
            if (c.place == p) return;
        frames_.push_back({QString::fromStdString(placeText(p)), p});
    };
    if (current.method == TravelCalibration::Method::TwoFrames) {
        offer(current.from);
        offer(current.to);
    }
    for (const Choice& c : frames_) {
        from_->addItem(c.text);
        to_->addItem(c.text);
    }
    auto select = [this](QComboBox* box, FramePlace p, int fallback) {
        for (size_t k = 0; k < frames_.size(); ++k)
            if (frames_[k].place == p) return box->setCurrentIndex(static_cast<int>(k));
        box->setCurrentIndex(std::min(fallback, box->count() - 1));
    };
    const bool two = current.method == TravelCalibration::Method::TwoFrames;
    select(from_, two ? current.from : FramePlace{-1, -1}, 0);
    select(to_, two ? current.to : FramePlace{-1, -1}, static_cast<int>(frames_.size()) - 1);
}

void TravelDialog::layOut() {
    auto* form = new QFormLayout;
    form->addRow(typed_, new QWidget(this));
    form->addRow(tr("mm/帧"), mmPerFrame_);
    form->addRow(twoFrames_, new QWidget(this));
    form->addRow(tr("从"), from_);
    form->addRow(tr("到"), to_);
    form->addRow(tr("距离 mm"), distance_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &TravelDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    auto* hint = new QLabel(tr("录制时没有记录探头位置：给出每帧探头移动的距离，"
                               "或两帧（例如两个标注）之间的距离。"),
                            this);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    layout->addWidget(none_);
    layout->addLayout(form);
    problem_ = new QLabel(this);
    problem_->setObjectName(QStringLiteral("TravelProblem"));
    problem_->setWordWrap(true);
    layout->addWidget(problem_);
    layout->addWidget(buttons);
}

void TravelDialog::connectControls(const TravelCalibration& current) {
    switch (current.method) {
    case TravelCalibration::Method::None: none_->setChecked(true); break;
    case TravelCalibration::Method::Typed: typed_->setChecked(true); break;
    case TravelCalibration::Method::TwoFrames: twoFrames_->setChecked(true); break;
    }
    auto sync = [this] {
        mmPerFrame_->setEnabled(typed_->isChecked());
        for (QWidget* w : {static_cast<QWidget*>(from_), static_cast<QWidget*>(to_),
                           static_cast<QWidget*>(distance_)})
            w->setEnabled(twoFrames_->isChecked() && !frames_.empty());
        syncProblem();
    };
    for (QRadioButton* b : {none_, typed_, twoFrames_})
        connect(b, &QRadioButton::toggled, this, sync);
    for (QLineEdit* edit : {mmPerFrame_, distance_})
        connect(edit, &QLineEdit::textChanged, this, [this] { syncProblem(); });
    for (QComboBox* box : {from_, to_})
        connect(box, &QComboBox::currentIndexChanged, this, [this] { syncProblem(); });
    twoFrames_->setEnabled(frames_.size() >= 2);
    sync();
}

QString TravelDialog::problem() const {
    const TravelCalibration c = calibration();
    switch (travelRefusal(c, overview_)) {
    case TravelRefusal::None: break;
    case TravelRefusal::NotATravel:
        if (c.mmPerFrame.empty()) return tr("请填写每帧行程：大于 0 的毫米数（例如 0.25）。");
        return tr("每帧行程“%1”不是大于 0 的毫米数（例如 0.25）。")
            .arg(QString::fromStdString(c.mmPerFrame));
    case TravelRefusal::NotADistance:
        if (c.distanceMm.empty()) return tr("请填写两帧之间的距离：大于 0 的毫米数（例如 600）。");
        return tr("距离“%1”不是大于 0 的毫米数（例如 600）。")
            .arg(QString::fromStdString(c.distanceMm));
    case TravelRefusal::SameFrame: return tr("“从”和“到”是同一帧：请选两个不同的帧。");
    case TravelRefusal::FrameNotShown: {
        const bool fromShown = overview_.indexOf(c.from.record, c.from.frame) >= 0;
        const FramePlace p = fromShown ? c.to : c.from;
        return tr("帧 %1:%2 不在回波动态中：逐帧查看不显示它。").arg(p.record).arg(p.frame);
    }
    }
    return {};
}

void TravelDialog::syncProblem() {
    const QString why = problem();
    problem_->setText(why);
    problem_->setVisible(!why.isEmpty());
    ok_->setEnabled(why.isEmpty());
}

void TravelDialog::accept() {
    syncProblem();
    if (problem().isEmpty()) QDialog::accept();
}

TravelCalibration TravelDialog::calibration() const {
    TravelCalibration c;
    c.mmPerFrame = mmPerFrame_->text().trimmed().toStdString();
    c.distanceMm = distance_->text().trimmed().toStdString();
    if (typed_->isChecked()) c.method = TravelCalibration::Method::Typed;
    if (twoFrames_->isChecked() && from_->currentIndex() >= 0 && to_->currentIndex() >= 0) {
        c.method = TravelCalibration::Method::TwoFrames;
        c.from = frames_[static_cast<size_t>(from_->currentIndex())].place;
        c.to = frames_[static_cast<size_t>(to_->currentIndex())].place;
    }
    return c;
}

} // namespace vantrel
