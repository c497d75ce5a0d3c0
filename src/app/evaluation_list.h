// The echo-dynamics window's list of evaluated indications: a row per
// indication in file order with its zone, SL±dB, depth, surface distance and
// lengths (the defect list's texts), and the inspector's decisions:
// nature, grade and remark to type or choose, and whether it is reported.
// After them the inspector's manual indications (区域 人工), edited the same
// way, each removed through its context menu (删除人工指示). Under them, greyed, the decisions no
// indication holds any more (another gap or split), with their words, so that none is lost from
// sight. The list changes no decision itself: it says which the inspector edited.
#pragma once

#include <QTableWidget>

class QMenu;

#include <vector>

#include "analysis/defect_list.h"
#include "analysis/inspection.h"

namespace vantrel {

class EvaluationList : public QTableWidget {
    Q_OBJECT
public:
    // The columns the inspector fills.
    enum Column { Number, Span, Peak, Zone, Nature = 9, Grade, Remark, Reported, Columns };

    explicit EvaluationList(QWidget* parent = nullptr);
    // One row per evaluated indication, with the decision of its
    // indication (blank and reported where there is none), then one per
    // manual indication (rows whose `manual` is set, with their decisions);
    // then a row per orphan decision, which takes no edits.
    void fill(const std::vector<DefectRow>& rows, const std::vector<IndicationDecision>& decisions,
              const std::vector<IndicationDecision>& orphans = {});
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
    void itemEdited(QTableWidgetItem* item);
    std::vector<IndicationDecision> decisions_;
    std::vector<int> manual_; // by row of decisions_: the manual indication, or -1
};

} // namespace vantrel
