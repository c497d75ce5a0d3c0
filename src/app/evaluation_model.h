// The evaluated indications and the inspector's decisions as a table model:
// a row per evaluated indication in file order with its zone, SL±dB, depth,
// surface distance and lengths (the defect list's texts) and the decision it
// holds (nature, grade, remark, reported); after them the inspector's manual
// indications (区域 人工) with theirs; under them, greyed and not editable,
// the decisions no indication holds any more (another gap or split), with
// their words, so that none is lost from sight.
//
// The texts are made when a view asks for a cell: the program's columns
// from the defect rows, the inspector's from the decisions themselves, read
// from the inspection every time (the model keeps which decision a row
// shows, never a copy of one). An edit changes no decision: setData() says
// which the inspector edited (decisionEdited, manualDecisionEdited); the
// owner changes it and says so (decisionChanged), and the row shows it.
//
// The model keeps the rows it is given; it reads the evaluation and the
// inspection and owns neither: the owner resets the model whenever one of
// them is replaced or changes other than by one decision, before it is read.
#pragma once

#include <QAbstractTableModel>

#include <vector>

#include "analysis/defect_list.h"
#include "analysis/evaluation.h"
#include "analysis/inspection.h"

namespace vantrel {

class EvaluationModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        Number,
        Span,
        Peak,
        Zone,
        AboveSl,
        Depth,
        Surface,
        Length6dB,
        LengthEl,
        // The inspector's.
        Nature,
        Grade,
        Remark,
        Reported,
        ColumnCount
    };

    explicit EvaluationModel(QObject* parent = nullptr);
    // `rows`: one per evaluated indication of `evaluation`, in order, then
    // one per manual indication (DefectRow::manual set, `indication` its
    // index among the inspection's manual ones); the decisions are those of
    // `inspection` (neither owned; without them no row holds a decision).
    void reset(std::vector<DefectRow> rows, const Evaluation* evaluation,
               const Inspection* inspection);
    // The decision row `row` shows was changed (or made): the row anew.
    void decisionChanged(int row);

    // The row of manual indication j, or -1.
    int rowOfManual(int j) const;
    // The manual indication row `row` shows, or -1.
    int manualAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // An edit of nature, grade or remark (EditRole, text) or of reported
    // (CheckStateRole) on a row that is not an orphan: says it, with the
    // row's decision as it would be, and changes nothing. False where
    // nothing was edited.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

signals:
    // The inspector changed the decision of evaluated indication `row`.
    void decisionEdited(int row, const IndicationDecision& decision);
    // The inspector changed manual indication j's decision.
    void manualDecisionEdited(int j, const IndicationDecision& decision);

private:
    // Which decision of the inspection each row shows, as an index into
    // inspection_->decisions (kNone: none): by row of rows_, then the
    // orphans' in the inspection's order.
    struct Match {
        std::vector<size_t> byRow, orphans;
    };
    Match matchRows() const;
    static constexpr size_t kNone = static_cast<size_t>(-1);
    bool orphan(int row) const { return static_cast<size_t>(row) >= rows_.size(); }
    // The decision of row `row`, or null where it holds none.
    const IndicationDecision* decisionAt(int row) const;
    QString text(int row, Column column, const IndicationDecision& decision) const;

    std::vector<DefectRow> rows_;
    const Evaluation* evaluation_ = nullptr;
    const Inspection* inspection_ = nullptr;
    Match match_;
};

} // namespace vantrel
