// A table of rows over an item model, as the echo-dynamics window's lists
// show them: one row selected at a time, no row headings, rows 20 pixels
// high. It says which cell was double-clicked and which row became current
// in row and column numbers, and keeps the current and selected row across a
// reset of its model where that row still exists, as a table filled anew
// keeps them.
#pragma once

#include <QTableView>

#include <functional>

namespace vantrel {

class RowTableView : public QTableView {
    Q_OBJECT
public:
    explicit RowTableView(QWidget* parent = nullptr);
    // Sets the model (not owned) and follows its selection.
    void setModel(QAbstractItemModel* model) override;
    // The current row, or -1.
    int currentRow() const;

signals:
    void cellDoubleClicked(int row, int column);
    // The inspector moved to another row (-1: none); not said while the
    // model is reset.
    void currentRowChanged(int row);

protected:
    // Runs `reset`, which resets the model, and puts the current and the
    // selected row back where the model still has them (the last row
    // becomes current when the current one went), without saying so.
    void resetKeepingCurrent(const std::function<void()>& reset);
};

} // namespace vantrel
