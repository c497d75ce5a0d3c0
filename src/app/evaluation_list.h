// The echo-dynamics window's list of evaluated indications: a row per
// indication in file order with its zone, SL±dB, depth, surface distance and
// lengths (the defect list's texts), and the inspector's decisions:
// nature, grade and remark to type or choose, and whether it is reported.
// Under them, greyed, the decisions no indication holds any more (another
// gap or split), with their words, so that none is lost from sight.
// The list changes no decision itself: it says which the inspector edited.
#pragma once

#include <QTableWidget>

#include <vector>

#include "defect_list.h"
#include "inspection.h"

namespace vantrel {

class EvaluationList : public QTableWidget {
    Q_OBJECT
public:
    // The columns the inspector fills.
    enum Column { Number, Span, Nature = 9, Grade, Remark, Reported, Columns };

    explicit EvaluationList(QWidget* parent = nullptr);
    // One row per evaluated indication, with the decision of its
    // indication (blank and reported where there is none); then a row per
    // orphan decision, which takes no edits.
    void fill(const std::vector<DefectRow>& rows, const std::vector<IndicationDecision>& decisions,
              const std::vector<IndicationDecision>& orphans = {});

signals:
    // The inspector changed the decision of row `row`.
    void decisionEdited(int row, const IndicationDecision& decision);

private:
    void itemEdited(QTableWidgetItem* item);
    std::vector<IndicationDecision> decisions_;
};

} // namespace vantrel
