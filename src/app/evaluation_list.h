// The echo-dynamics window's list of evaluated indications: a row per
// indication in file order with its zone, SL±dB, depth, surface distance and
// lengths (the defect list's texts), and the inspector's decisions: nature,
// grade and remark to type or choose, and whether it is reported. After them
// the inspector's manual indications (区域 人工), edited the same way, each
// removed through its context menu (删除人工指示). Under them, greyed, the
// decisions no indication holds any more (another gap or split), with their
// words, so that none is lost from sight. The rows are its EvaluationModel's.
// The list changes no decision itself: it says which the inspector edited,
// and its owner says which it changed.
#pragma once

#include <vector>

#include "analysis/defect_list.h"
#include "analysis/evaluation.h"
#include "analysis/inspection.h"
#include "app/evaluation_model.h"
#include "app/row_table_view.h"

class QMenu;

namespace vantrel {

class EvaluationList : public RowTableView {
    Q_OBJECT
public:
    // The columns, by name (EvaluationList::Nature).
    using enum EvaluationModel::Column;

    explicit EvaluationList(QWidget* parent = nullptr);
    // One row per evaluated indication of `evaluation`, with the decision
    // it holds in `inspection` (blank and reported where there is none),
    // then one per manual indication (rows whose `manual` is set, with their
    // decisions); then a row per orphan decision, which takes no edits. The
    // list reads `evaluation` and `inspection` until the next fill: it is
    // filled again whenever either is replaced or changes other than by one
    // decision (decisionChanged).
    void fill(std::vector<DefectRow> rows, const Evaluation* evaluation,
              const Inspection* inspection);
    // The decision of evaluated indication `row` changed (or was made).
    void decisionChanged(int row);
    // Manual indication j's decision changed.
    void manualDecisionChanged(int j);
    // The manual indication row `row` shows (DefectRow::indication), or -1.
    int manualAt(int row) const;
    // The context menu of row `row` (owned by the list, deleted when
    // closed): 删除人工指示 on a manual indication's row, else nothing (null).
    QMenu* contextMenuFor(int row);

signals:
    // The inspector changed the decision of evaluated indication `row`.
    void decisionEdited(int row, const IndicationDecision& decision);
    // The inspector changed manual indication j's decision.
    void manualDecisionEdited(int j, const IndicationDecision& decision);
    // The inspector asked to remove manual indication j.
    void manualRemovalRequested(int j);

private:
    EvaluationModel* model_ = nullptr;
};

} // namespace vantrel
