// The echo-dynamics overview's indications as a table model: a row per
// indication in file order, in the words of the indication table (the CSV
// says the same), made when a view asks for a cell, so that a list of tens
// of thousands of indications costs nothing to fill. A row whose peak holds
// values no real frame can is marked as such.
//
// The model reads the overview it is given and keeps no copy of it: the
// owner resets the model (reset) whenever the overview is replaced, dropped
// or its indications are found again, before it is read.
#pragma once

#include <QAbstractTableModel>

#include "analysis/echo_overview.h"

namespace vantrel {

class IndicationModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Start, End, Frames, Amplitude, Position, ColumnCount };

    explicit IndicationModel(QObject* parent = nullptr);
    // The indications of `overview` (not owned; null: none), anew.
    void reset(const EchoOverview* overview);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    const EchoOverview* overview_ = nullptr;
};

} // namespace vantrel
