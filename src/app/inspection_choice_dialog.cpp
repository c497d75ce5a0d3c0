#include "app/inspection_choice_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <array>

namespace vantrel {

namespace {

QString place(FramePlace p) { return QString::fromStdString(placeText(p)); }
QString utf8(const std::string& s) { return QString::fromStdString(s); }

} // namespace

// The texts of one version's things, as a row of the table shows them.
class VersionTexts {
public:
    static QString indication(const IndicationDecision& d) {
        QString text = place(d.start) + QStringLiteral("–") + place(d.end);
        if (d.peak) text += InspectionChoiceDialog::tr("（峰值 %1）").arg(place(*d.peak));
        return text;
    }
    static QString decision(const std::optional<IndicationDecision>& d) {
        if (!d) return InspectionChoiceDialog::tr("（无）");
        QStringList parts;
        parts << (d->nature.empty() ? InspectionChoiceDialog::tr("性质未填") : utf8(d->nature));
        parts << (d->grade.empty() ? InspectionChoiceDialog::tr("未定级")
                                   : InspectionChoiceDialog::tr("%1 级").arg(utf8(d->grade)));
        if (!d->remark.empty()) parts << utf8(d->remark);
        parts << (d->reported ? InspectionChoiceDialog::tr("报告")
                              : InspectionChoiceDialog::tr("不报告"));
        if (!d->cells.empty())
            parts << InspectionChoiceDialog::tr("报告栏 %1 个").arg(d->cells.size());
        return parts.join(QStringLiteral(" · "));
    }
    static QString travel(const TravelCalibration& t) {
        switch (t.method) {
        case TravelCalibration::Method::None: break;
        case TravelCalibration::Method::Typed:
            return InspectionChoiceDialog::tr("%1 mm/帧").arg(utf8(t.mmPerFrame));
        case TravelCalibration::Method::TwoFrames:
            return InspectionChoiceDialog::tr("%1 至 %2 相距 %3 mm")
                .arg(place(t.from), place(t.to), utf8(t.distanceMm));
        }
        return InspectionChoiceDialog::tr("未标定");
    }
    static QString settings(const std::optional<EvaluationSettings>& s) {
        if (!s) return InspectionChoiceDialog::tr("（无）");
        return InspectionChoiceDialog::tr("间隔 %1 帧，分割 %2 mm，阈值 %3 / %4 dB")
            .arg(s->gap)
            .arg(static_cast<double>(s->splitMicrometres) / 1000.0)
            .arg(s->percentThreshold ? utf8(tenths(*s->percentThreshold)) + QStringLiteral(" %")
                                     : InspectionChoiceDialog::tr("闸门"))
            .arg(utf8(tenths(s->dbThreshold)));
    }
    static QString text(const std::optional<std::string>& t) {
        return t ? utf8(*t) : InspectionChoiceDialog::tr("（无）");
    }
    static QString cells(const std::optional<ReportCells>& c) {
        return c ? InspectionChoiceDialog::tr("报告栏 %1 个").arg(c->size())
                 : InspectionChoiceDialog::tr("（无）");
    }
    // A conflict's row: what it is about, our side and theirs.
    static std::array<QString, 3> conflict(const InspectionConflict& c) {
        using Kind = InspectionConflict::Kind;
        switch (c.kind) {
        case Kind::Decision: {
            const IndicationDecision& named = c.ourDecision ? *c.ourDecision : *c.theirDecision;
            return {InspectionChoiceDialog::tr("指示 %1").arg(indication(named)),
                    decision(c.ourDecision), decision(c.theirDecision)};
        }
        case Kind::Travel:
            return {InspectionChoiceDialog::tr("行程"), travel(c.ourTravel), travel(c.theirTravel)};
        case Kind::Settings:
            return {InspectionChoiceDialog::tr("评定设置"), settings(c.ourSettings),
                    settings(c.theirSettings)};
        case Kind::ReportCell:
            return {InspectionChoiceDialog::tr("报告栏“%1”").arg(utf8(c.caption)), text(c.ourText),
                    text(c.theirText)};
        case Kind::FrameCells: break;
        }
        return {InspectionChoiceDialog::tr("帧 %1 的报告栏").arg(place(c.frame)), cells(c.ourCells),
                cells(c.theirCells)};
    }
};

InspectionChoiceDialog::InspectionChoiceDialog(const InspectionQuestion& question, QWidget* parent)
    : QDialog(parent), question_(question) {
    setObjectName(QStringLiteral("InspectionChoiceDialog"));
    const bool twoFiles = question.kind == InspectionQuestion::Kind::TwoFiles;
    setWindowTitle(twoFiles ? tr("评定有两个版本") : tr("评定已在别处修改"));
    auto* layout = new QVBoxLayout(this);
    auto* intro =
        new QLabel(twoFiles ? tr("记录旁的评定文件与数据文件夹中的评定文件不同。请选择保留哪一个，"
                                 "或将两者合并。未保留的版本以带日期的文件名保存，不会删除。")
                            : tr("本窗口载入评定文件后，另一个窗口或程序保存了它。互不冲突的修改"
                                 "已合并；下列评定两边不同，请选择各取哪一边。"),
                   this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    const QString ourName = twoFiles ? tr("记录旁") : tr("本窗口");
    const QString theirName = twoFiles ? tr("数据文件夹") : tr("另一处保存的");
    layout->addLayout(makeVersions(ourName, theirName));
    layout->addWidget(makeDifferences(ourName, theirName), 1);
    layout->addWidget(makeButtons());
    resize(760, 420);
}

QGridLayout* InspectionChoiceDialog::makeVersions(const QString& ourName,
                                                  const QString& theirName) {
    // The two versions side by side.
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("<b>%1</b>").arg(ourName), this), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("<b>%1</b>").arg(theirName), this), 0, 2);
    auto addRow = [&](int row, const QString& caption, const QString& ours, const QString& theirs) {
        grid->addWidget(new QLabel(caption, this), row, 0);
        for (int c = 0; c < 2; ++c) {
            auto* value = new QLabel(c == 0 ? ours : theirs, this);
            value->setWordWrap(true);
            value->setTextInteractionFlags(Qt::TextSelectableByMouse);
            grid->addWidget(value, row, 1 + c);
        }
    };
    auto path = [&](const QString& p) {
        return p.isEmpty() ? tr("（无文件）") : QDir::toNativeSeparators(p);
    };
    const Inspection &ours = question_.merge->ours(), &theirs = question_.merge->theirs();
    addRow(1, tr("文件"), path(question_.ourPath), path(question_.theirPath));
    auto count = [](const Inspection& in) { return tr("%1 个").arg(in.decisions.size()); };
    addRow(2, tr("已评定指示"), count(ours), count(theirs));
    addRow(3, tr("行程"), VersionTexts::travel(ours.travel), VersionTexts::travel(theirs.travel));
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    return grid;
}

QTableWidget* InspectionChoiceDialog::makeDifferences(const QString& ourName,
                                                      const QString& theirName) {
    // What differs: the conflicts, each with the side a merge takes; on
    // opening also the decisions only one file holds, which a merge keeps.
    auto* table = new QTableWidget(0, 4, this);
    table->setObjectName(QStringLiteral("InspectionDifferences"));
    table->setHorizontalHeaderLabels({tr("项目"), ourName, theirName, tr("合并时取用")});
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    auto addLine = [&](const std::array<QString, 3>& texts) {
        const int row = table->rowCount();
        table->insertRow(row);
        for (int column = 0; column < 3; ++column)
            table->setItem(row, column, new QTableWidgetItem(texts[static_cast<size_t>(column)]));
        return row;
    };
    for (const InspectionConflict& c : question_.merge->conflicts()) {
        const int row = addLine(VersionTexts::conflict(c));
        auto* side = new QComboBox(table);
        side->setObjectName(QStringLiteral("ConflictSide%1").arg(sideBoxes_.size()));
        side->addItems({ourName, theirName});
        table->setCellWidget(row, 3, side);
        sideBoxes_.push_back(side);
    }
    if (question_.kind == InspectionQuestion::Kind::TwoFiles) {
        const Inspection &ours = question_.merge->ours(), &theirs = question_.merge->theirs();
        for (const DecisionDifference& d : decisionDifferences(ours, theirs)) {
            if (d.a && d.b) continue; // a conflict, listed above
            const IndicationDecision& named = d.a ? *d.a : *d.b;
            const int row =
                addLine({tr("指示 %1").arg(VersionTexts::indication(named)),
                         VersionTexts::decision(d.a ? std::optional(*d.a) : std::nullopt),
                         VersionTexts::decision(d.b ? std::optional(*d.b) : std::nullopt)});
            table->setItem(row, 3, new QTableWidgetItem(tr("保留")));
        }
    }
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

QDialogButtonBox* InspectionChoiceDialog::makeButtons() {
    const bool twoFiles = question_.kind == InspectionQuestion::Kind::TwoFiles;
    auto* buttons = new QDialogButtonBox(this);
    auto* keepOurs = buttons->addButton(twoFiles ? tr("保留记录旁的") : tr("冲突处都取本窗口的"),
                                        QDialogButtonBox::AcceptRole);
    keepOurs->setObjectName(QStringLiteral("KeepOurs"));
    auto* keepTheirs = buttons->addButton(
        twoFiles ? tr("保留数据文件夹的") : tr("冲突处都取另一处的"), QDialogButtonBox::AcceptRole);
    keepTheirs->setObjectName(QStringLiteral("KeepTheirs"));
    auto* mergeBoth = buttons->addButton(tr("合并（冲突处按所选）"), QDialogButtonBox::AcceptRole);
    mergeBoth->setObjectName(QStringLiteral("MergeBoth"));
    mergeBoth->setDefault(true);
    connect(keepOurs, &QPushButton::clicked, this,
            [this] { choose(InspectionChoice::Action::KeepOurs); });
    connect(keepTheirs, &QPushButton::clicked, this,
            [this] { choose(InspectionChoice::Action::KeepTheirs); });
    connect(mergeBoth, &QPushButton::clicked, this,
            [this] { choose(InspectionChoice::Action::Merge); });
    return buttons;
}

void InspectionChoiceDialog::choose(InspectionChoice::Action action) {
    choice_.action = action;
    choice_.sides.clear();
    for (const QComboBox* box : sideBoxes_)
        choice_.sides.push_back(box->currentIndex() == 0 ? InspectionSide::Ours
                                                         : InspectionSide::Theirs);
    accept();
}

} // namespace vantrel
