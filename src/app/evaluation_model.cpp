#include "app/evaluation_model.h"

#include <QBrush>
#include <QGuiApplication>
#include <QPalette>

namespace vantrel {

EvaluationModel::EvaluationModel(QObject* parent) : QAbstractTableModel(parent) {}

void EvaluationModel::reset(std::vector<DefectRow> rows, const Evaluation* evaluation,
                            const Inspection* inspection) {
    beginResetModel();
    rows_ = std::move(rows);
    evaluation_ = evaluation;
    inspection_ = inspection;
    match_ = matchRows();
    endResetModel();
}

EvaluationModel::Match EvaluationModel::matchRows() const {
    Match m;
    m.byRow.assign(rows_.size(), kNone);
    if (!evaluation_ || !inspection_) return m;
    const DecisionMatch match = matchDecisions(*evaluation_, *inspection_);
    auto place = [&](const IndicationDecision* d) {
        return d ? static_cast<size_t>(d - inspection_->decisions.data()) : kNone;
    };
    for (size_t r = 0; r < rows_.size(); ++r) {
        const auto& held = rows_[r].manual ? match.manual : match.byIndication;
        if (rows_[r].indication < held.size()) m.byRow[r] = place(held[rows_[r].indication]);
    }
    for (const IndicationDecision* d : match.orphans)
        m.orphans.push_back(place(d));
    return m;
}

void EvaluationModel::decisionChanged(int row) {
    if (row < 0 || row >= rowCount()) return;
    // A decision made for a row that held none is one more in the
    // inspection; it may leave another one without its indication.
    Match m = matchRows();
    if (m.orphans.size() != match_.orphans.size()) {
        beginResetModel();
        match_ = std::move(m);
        endResetModel();
        return;
    }
    match_ = std::move(m);
    emit dataChanged(index(row, Nature), index(row, Reported));
}

int EvaluationModel::rowOfManual(int j) const {
    for (size_t r = 0; r < rows_.size(); ++r)
        if (rows_[r].manual && rows_[r].indication == static_cast<size_t>(j))
            return static_cast<int>(r);
    return -1;
}

int EvaluationModel::manualAt(int row) const {
    return row >= 0 && !orphan(row) && rows_[static_cast<size_t>(row)].manual
               ? static_cast<int>(rows_[static_cast<size_t>(row)].indication)
               : -1;
}

int EvaluationModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size() + match_.orphans.size());
}

int EvaluationModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

const IndicationDecision* EvaluationModel::decisionAt(int row) const {
    const auto r = static_cast<size_t>(row);
    const size_t k = orphan(row) ? match_.orphans[r - rows_.size()] : match_.byRow[r];
    return inspection_ && k < inspection_->decisions.size() ? &inspection_->decisions[k] : nullptr;
}

QString EvaluationModel::text(int row, Column column, const IndicationDecision& d) const {
    auto q = [](const std::string& s) { return QString::fromStdString(s); };
    switch (column) {
    case Nature: return q(d.nature);
    case Grade: return q(d.grade);
    case Remark: return q(d.remark);
    case Reported:
    case ColumnCount: return {};
    default: break;
    }
    if (orphan(row)) {
        switch (column) {
        case Span: return q(placeText(d.start) + "\u2013" + placeText(d.end));
        case Peak: return d.peak ? q(placeText(*d.peak)) : QString();
        case Zone: return tr("无对应指示");
        default: return {};
        }
    }
    const DefectRow& t = rows_[static_cast<size_t>(row)];
    switch (column) {
    case Number: return q(t.number);
    case Span: return q(t.span);
    case Peak: return q(t.peak);
    case Zone: return q(t.zone);
    case AboveSl: return q(t.aboveSl);
    case Depth: return q(t.depth);
    case Surface: return q(t.surface);
    case Length6dB: return q(t.length6dB);
    case LengthEl: return q(t.lengthEl);
    default: return {};
    }
}

QVariant EvaluationModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int row = index.row();
    const auto column = static_cast<Column>(index.column());
    const IndicationDecision blank; // a row without a decision: blank, reported
    const IndicationDecision* decided = decisionAt(row);
    const IndicationDecision& d = decided ? *decided : blank;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return column == Reported ? QVariant() : QVariant(text(row, column, d));
    case Qt::CheckStateRole:
        return column == Reported
                   ? QVariant(static_cast<int>(d.reported ? Qt::Checked : Qt::Unchecked))
                   : QVariant();
    case Qt::TextAlignmentRole: // the numbers
        return column >= AboveSl && column < Nature
                   ? QVariant(static_cast<int>(Qt::AlignRight | Qt::AlignVCenter))
                   : QVariant();
    case Qt::ForegroundRole:
        return orphan(row) && column != Reported ? QVariant(QBrush(QGuiApplication::palette().color(
                                                       QPalette::Disabled, QPalette::Text)))
                                                 : QVariant();
    case Qt::ToolTipRole:
        if (column == Reported) return {};
        if (orphan(row)) return tr("设置或规则改变后，没有指示含此决定的峰值帧；决定仍保留");
        if (rows_[static_cast<size_t>(row)].manual)
            return tr("人工指示：在波幅条、位置条或 B 扫描上按住 Ctrl 拖动标出；右键可删除");
        return {};
    default: return {};
    }
}

Qt::ItemFlags EvaluationModel::flags(const QModelIndex& index) const {
    if (!index.isValid() ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (orphan(index.row())) return flags;
    if (index.column() == Reported) return flags | Qt::ItemIsUserCheckable;
    if (index.column() >= Nature) return flags | Qt::ItemIsEditable;
    return flags;
}

bool EvaluationModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) ||
        orphan(index.row()))
        return false;
    const int row = index.row();
    const DefectRow& t = rows_[static_cast<size_t>(row)];
    const IndicationDecision* decided = decisionAt(row);
    if (t.manual && !decided) return false; // a manual indication is its decision
    IndicationDecision d;
    if (decided) {
        d = *decided;
    } else if (evaluation_ && t.indication < evaluation_->indications().size()) {
        // None yet: a blank one on the indication as it stands.
        const EchoOverview& o = evaluation_->overview();
        const EvaluatedIndication& e = evaluation_->indications()[t.indication];
        d.start = {o.recordNumber(e.start), o.frameNumber(e.start)};
        d.end = {o.recordNumber(e.end), o.frameNumber(e.end)};
    }
    const IndicationDecision before = d;
    const bool text = role == Qt::EditRole;
    switch (index.column()) {
    case Nature:
        if (!text) return false;
        d.nature = value.toString().toStdString();
        break;
    case Grade:
        if (!text) return false;
        d.grade = value.toString().toStdString();
        break;
    case Remark:
        if (!text) return false;
        d.remark = value.toString().toStdString();
        break;
    case Reported:
        if (role != Qt::CheckStateRole) return false;
        d.reported = value.toInt() == Qt::Checked;
        break;
    default: return false;
    }
    if (d == before) return false;
    if (t.manual)
        emit manualDecisionEdited(static_cast<int>(t.indication), d);
    else
        emit decisionEdited(row, d);
    return true;
}

QVariant EvaluationModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return {};
    if (role == Qt::ToolTipRole && section == Reported) return tr("是否列入缺陷汇总");
    if (role != Qt::DisplayRole) return {};
    // Every column says what it holds; the lengths' headings name their
    // method, their cells the unit (calibrated mm or frames).
    switch (static_cast<Column>(section)) {
    case Number: return tr("序号");
    case Span: return tr("起止");
    case Peak: return tr("峰值处");
    case Zone: return tr("区域");
    case AboveSl: return QStringLiteral("SL\u00B1dB");
    case Depth: return tr("深度");
    case Surface: return tr("水平");
    case Length6dB: return tr("6dB长度");
    case LengthEl: return tr("EL长度");
    case Nature: return tr("性质");
    case Grade: return tr("等级");
    case Remark: return tr("备注");
    case Reported: return tr("报告");
    case ColumnCount: break;
    }
    return {};
}

} // namespace vantrel
