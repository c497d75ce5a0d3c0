#include "app/indication_model.h"

#include <QBrush>
#include <QColor>

#include "analysis/indication_table.h"

namespace vantrel {

namespace {

// An indication whose peak holds values no real frame can: the strips'
// colour for such values, on a pale ground.
const QColor kImplausibleText(190, 0, 190), kImplausibleRow(255, 230, 255);

QString text(const std::string& s) { return QString::fromStdString(s); }

} // namespace

IndicationModel::IndicationModel(QObject* parent) : QAbstractTableModel(parent) {}

void IndicationModel::reset(const EchoOverview* overview) {
    beginResetModel();
    overview_ = overview;
    endResetModel();
}

int IndicationModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !overview_ ? 0 : static_cast<int>(overview_->indications().size());
}

int IndicationModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant IndicationModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const auto column = static_cast<Column>(index.column());
    if (role == Qt::TextAlignmentRole)
        return column >= Frames ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter)) : QVariant();
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::ForegroundRole &&
        role != Qt::BackgroundRole && role != Qt::ToolTipRole)
        return {};
    const IndicationTexts t =
        indicationTexts(*overview_, overview_->indications()[static_cast<size_t>(index.row())]);
    const bool plausible = !t.amplitudeBeyond && !t.positionBeyond;
    switch (role) {
    case Qt::ForegroundRole: return plausible ? QVariant() : QBrush(kImplausibleText);
    case Qt::BackgroundRole: return plausible ? QVariant() : QBrush(kImplausibleRow);
    case Qt::ToolTipRole:
        return plausible ? QVariant()
                         : tr("不可信：真实的帧不会有这样的值，这是损坏的数据，不是回波");
    default: break;
    }
    switch (column) {
    case Start: return text(t.start);
    case End: return text(t.end);
    case Frames: return text(t.frames);
    // A value no real frame holds carries a warning sign.
    case Amplitude: return text(t.amplitudeShown());
    case Position: return text(t.positionShown());
    case ColumnCount: break;
    }
    return {};
}

QVariant IndicationModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    // The position column names no kind: each row's value carries the
    // symbol of its own (a two-gate record holds gate A's position of the
    // kind its path mode gives, whatever 位置 asks for).
    switch (static_cast<Column>(section)) {
    case Start: return tr("起点");
    case End: return tr("终点");
    case Frames: return tr("帧数");
    case Amplitude: return tr("峰值波幅");
    case Position: return tr("峰值处位置");
    case ColumnCount: break;
    }
    return {};
}

} // namespace vantrel
