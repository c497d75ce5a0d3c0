#include "app/row_table_view.h"

#include <QHeaderView>
#include <QSignalBlocker>

namespace vantrel {

RowTableView::RowTableView(QWidget* parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(20);
    connect(this, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& at) { emit cellDoubleClicked(at.row(), at.column()); });
}

void RowTableView::setModel(QAbstractItemModel* model) {
    QTableView::setModel(model);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { emit currentRowChanged(current.row()); });
}

int RowTableView::currentRow() const { return currentIndex().row(); }

void RowTableView::resetKeepingCurrent(const std::function<void()>& reset) {
    const QSignalBlocker quiet(this);
    const QModelIndex current = currentIndex();
    const QModelIndexList selected = selectionModel()->selectedRows();
    const int selectedRow = selected.isEmpty() ? -1 : selected.front().row();
    reset();
    const int rows = model()->rowCount();
    if (current.isValid() && rows > 0)
        selectionModel()->setCurrentIndex(
            model()->index(std::min(current.row(), rows - 1), current.column()),
            QItemSelectionModel::NoUpdate);
    if (selectedRow >= 0 && selectedRow < rows)
        selectionModel()->select(model()->index(selectedRow, 0),
                                 QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

} // namespace vantrel
