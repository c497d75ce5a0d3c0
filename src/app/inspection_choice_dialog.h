// The question the echo-dynamics window asks when two versions of a
// recording's decisions meet: the file beside the recording and one in the
// data folder that differs from it (on opening), or this window's changes and
// those another window saved over the same file meanwhile (on saving). The
// dialog shows both versions summed up (the file, the decisions, the travel)
// and what differs, and offers: keep one version (on opening; the other is
// kept under a dated name) or take one side wherever they conflict (on
// saving; whatever does not conflict is merged either way), or merge,
// choosing the side of each conflict.
#pragma once

#include <QDialog>
#include <QString>

#include <vector>

#include "inspection/inspection_store.h"

class QComboBox;
class QDialogButtonBox;
class QGridLayout;
class QTableWidget;

namespace vantrel {

class InspectionChoiceDialog : public QDialog {
    Q_OBJECT
public:
    InspectionChoiceDialog(const InspectionQuestion& question, QWidget* parent = nullptr);
    // What the inspector chose; valid once accepted.
    const InspectionChoice& choice() const { return choice_; }

private:
    // The parts of the dialog, top to bottom: the two versions summed up,
    // the table of what differs (with a side box per conflict), the buttons.
    QGridLayout* makeVersions(const QString& ourName, const QString& theirName);
    QTableWidget* makeDifferences(const QString& ourName, const QString& theirName);
    QDialogButtonBox* makeButtons();
    void choose(InspectionChoice::Action action);

    const InspectionQuestion question_;
    InspectionChoice choice_;
    std::vector<QComboBox*> sideBoxes_; // by conflict
};

} // namespace vantrel
