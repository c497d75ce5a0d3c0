#include "app/evaluation_list.h"

#include <QComboBox>
#include <QHeaderView>
#include <QMenu>
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

EvaluationList::EvaluationList(QWidget* parent)
    : RowTableView(parent), model_(new EvaluationModel(this)) {
    setObjectName(QStringLiteral("EvaluationList"));
    // Only the inspector's columns take edits (the model's flags say so).
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setItemDelegateForColumn(Grade, new GradeDelegate(this));
    setModel(model_);
    horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    horizontalHeader()->setSectionResizeMode(Remark, QHeaderView::Stretch);
    connect(model_, &EvaluationModel::decisionEdited, this, &EvaluationList::decisionEdited);
    connect(model_, &EvaluationModel::manualDecisionEdited, this,
            &EvaluationList::manualDecisionEdited);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (QMenu* menu = contextMenuFor(rowAt(at.y()))) menu->popup(viewport()->mapToGlobal(at));
    });
}

void EvaluationList::fill(std::vector<DefectRow> rows, const Evaluation* evaluation,
                          const Inspection* inspection) {
    resetKeepingCurrent([&] { model_->reset(std::move(rows), evaluation, inspection); });
}

void EvaluationList::decisionChanged(int row) { model_->decisionChanged(row); }

void EvaluationList::manualDecisionChanged(int j) {
    model_->decisionChanged(model_->rowOfManual(j));
}

int EvaluationList::manualAt(int row) const { return model_->manualAt(row); }

QMenu* EvaluationList::contextMenuFor(int row) {
    const int j = manualAt(row);
    if (j < 0) return nullptr;
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("ManualIndicationMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(tr("删除人工指示"), this, [this, j] { emit manualRemovalRequested(j); });
    return menu;
}

} // namespace vantrel
