#include "app/indication_list.h"

#include <QHeaderView>

namespace vantrel {

IndicationList::IndicationList(QWidget* parent)
    : RowTableView(parent), model_(new IndicationModel(this)) {
    setObjectName(QStringLiteral("IndicationList"));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setModel(model_);
    // The columns share the window's width.
    horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
}

void IndicationList::fill(const EchoOverview* overview) {
    resetKeepingCurrent([&] { model_->reset(overview); });
}

} // namespace vantrel
