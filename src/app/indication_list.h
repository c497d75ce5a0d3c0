// The echo-dynamics window's list of indications: a row per indication in
// file order, in the words of the indication table (the CSV says the same);
// a row whose peak holds values no real frame can is marked as such. The
// rows are its IndicationModel's.
#pragma once

#include "analysis/echo_overview.h"
#include "app/indication_model.h"
#include "app/row_table_view.h"

namespace vantrel {

class IndicationList : public RowTableView {
    Q_OBJECT
public:
    explicit IndicationList(QWidget* parent = nullptr);
    // The rows of `overview`'s indications (not owned: the list reads it
    // until the next fill); none without an overview. Called again whenever
    // the overview is replaced or dropped or its indications change.
    void fill(const EchoOverview* overview);

private:
    IndicationModel* model_ = nullptr;
};

} // namespace vantrel
