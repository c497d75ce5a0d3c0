#include "app/evaluation_list.h"

#include <QComboBox>
#include <QHeaderView>
#include <QMenu>
#include <QSignalBlocker>
#include <QStyledItemDelegate>

namespace vantrel {

namespace {

// The grade is chosen, not typed: one of the grades or blank.
class GradeDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        auto* box = new QComboBox(parent);
        box->setObjectName(QStringLiteral("GradeEditor"));
        for (const char* grade : kGrades)
            box->addItem(QString::fromLatin1(grade));
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* box = static_cast<QComboBox*>(editor);
        box->setCurrentIndex(std::max(box->findText(index.data().toString()), 0));
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        model->setData(index, static_cast<QComboBox*>(editor)->currentText());
    }
};

} // namespace

EvaluationList::EvaluationList(QWidget* parent) : QTableWidget(0, Columns, parent) {
    setObjectName(QStringLiteral("EvaluationList"));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Only the inspector's columns take edits (their items say so).
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setItemDelegateForColumn(Grade, new GradeDelegate(this));
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(20);
    // Every column says what it holds; the lengths' headings name their
    // method, their cells the unit (calibrated mm or frames).
    setHorizontalHeaderLabels({tr("序号"), tr("起止"), tr("峰值处"), tr("区域"),
                               QStringLiteral("SL\u00B1dB"), tr("深度"), tr("水平"), tr("6dB长度"),
                               tr("EL长度"), tr("性质"), tr("等级"), tr("备注"), tr("报告")});
    horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    horizontalHeader()->setSectionResizeMode(Remark, QHeaderView::Stretch);
    horizontalHeaderItem(Reported)->setToolTip(tr("是否列入缺陷汇总"));
    connect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* i) { itemEdited(i); });
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (QMenu* menu = contextMenuFor(rowAt(at.y()))) menu->popup(viewport()->mapToGlobal(at));
    });
}

int EvaluationList::manualAt(int row) const {
    return row >= 0 && static_cast<size_t>(row) < manual_.size() ? manual_[static_cast<size_t>(row)]
                                                                 : -1;
}

QMenu* EvaluationList::contextMenuFor(int row) {
    const int j = manualAt(row);
    if (j < 0) return nullptr;
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("ManualIndicationMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(tr("删除人工指示"), this, [this, j] { emit manualRemovalRequested(j); });
    return menu;
}

void EvaluationList::fill(const std::vector<DefectRow>& rows,
                          const std::vector<IndicationDecision>& decisions,
                          const std::vector<IndicationDecision>& orphans) {
    const QSignalBlocker quiet(this);
    decisions_ = decisions;
    manual_.clear();
    for (size_t k = 0; k < decisions_.size(); ++k)
        manual_.push_back(k < rows.size() && rows[k].manual ? static_cast<int>(rows[k].indication)
                                                            : -1);
    clearContents();
    setRowCount(static_cast<int>(rows.size() + orphans.size()));
    for (size_t k = 0; k < rows.size() + orphans.size(); ++k) {
        const bool orphan = k >= rows.size();
        const DefectRow blank;
        const DefectRow& t = orphan ? blank : rows[k];
        const IndicationDecision& d = orphan ? orphans[k - rows.size()] : decisions_[k];
        const std::string span = orphan ? placeText(d.start) + "\u2013" + placeText(d.end) : t.span;
        const std::string peak = orphan && d.peak ? placeText(*d.peak) : t.peak;
        const std::string zone = orphan ? tr("无对应指示").toStdString() : t.zone;
        const std::string* texts[] = {&t.number,   &span,     &peak,      &zone,
                                      &t.aboveSl,  &t.depth,  &t.surface, &t.length6dB,
                                      &t.lengthEl, &d.nature, &d.grade,   &d.remark};
        for (int column = 0; column < Reported; ++column) {
            auto* item = new QTableWidgetItem(QString::fromStdString(*texts[column]));
            Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
            if (column >= Nature && !orphan) flags |= Qt::ItemIsEditable;
            item->setFlags(flags);
            if (column >= 4 && column < Nature) // the numbers
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (orphan) {
                item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
                item->setToolTip(tr("设置或规则改变后，没有指示含此决定的峰值帧；决定仍保留"));
            } else if (t.manual) {
                item->setToolTip(tr("人工指示：在波幅条、位置条或 B 扫描上按住 Ctrl 拖动标出；"
                                    "右键可删除"));
            }
            setItem(static_cast<int>(k), column, item);
        }
        auto* reported = new QTableWidgetItem;
        reported->setFlags(orphan ? Qt::ItemIsEnabled | Qt::ItemIsSelectable
                                  : Qt::ItemIsEnabled | Qt::ItemIsSelectable |
                                        Qt::ItemIsUserCheckable);
        reported->setCheckState(d.reported ? Qt::Checked : Qt::Unchecked);
        setItem(static_cast<int>(k), Reported, reported);
    }
}

void EvaluationList::itemEdited(QTableWidgetItem* item) {
    const int row = item->row();
    if (row < 0 || static_cast<size_t>(row) >= decisions_.size()) return;
    IndicationDecision& d = decisions_[static_cast<size_t>(row)];
    const std::string text = item->text().toStdString();
    switch (item->column()) {
    case Nature: d.nature = text; break;
    case Grade: d.grade = text; break;
    case Remark: d.remark = text; break;
    case Reported: d.reported = item->checkState() == Qt::Checked; break;
    default: return;
    }
    if (const int j = manualAt(row); j >= 0)
        emit manualDecisionEdited(j, d);
    else
        emit decisionEdited(row, d);
}

} // namespace vantrel
