// The commands of vantrel-inspect that do more than print a model as JSON:
// the replay of the viewer's commands, the pictures, the report page, the
// CSV export and the codec over whole files. Each fails with cli::fail.
#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

#include "analysis/echo_overview.h"
#include "inspect/cli_support.h"

namespace vantrel::cli {

// The steps `replay` takes, for messages and help.
extern const char* const kReplaySteps;
// Runs the viewer's own commands on FILE from a freshly started program and
// returns the state after each step.
QJsonObject replay(const QString& path, const QStringList& stepTexts);
// FILE R F: frame F of record R as the main window's plot, or with `report`
// the report's plot, into the PNG `out`.
void renderCommand(const QStringList& a, const QString& out, bool report);
// FILE R F: the report page into `out` (.pdf or .png).
// `fields` are NAME=TEXT for the user's blank cells.
void reportCommand(const QStringList& a, const QString& out, const QStringList& fields = {});
// FILE R F --fields: what the report window fills in for that frame, as JSON.
void reportFieldsCommand(const QStringList& a, Output& output);
// FILE: one CSV row per frame into `out`.
void exportCommand(const QStringList& a, const QString& out);
// FILE: the echo dynamics as JSON, and with a .csv `out` one row per shown
// frame.
void overviewCommand(const QString& path, const OverviewOptions& options, const QString& out,
                     Output& output);
// FILE: the indications evaluated against the DAC lines, as JSON, and with a
// .csv `out` one row per indication.
// `options` give the gap and the split.
void evaluateCommand(const QString& path, const OverviewOptions& options,
                     const std::optional<QString>& mmPerFrame, const QString& out, Output& output);
// encode|decode IN OUT.
void lzwCommand(const QString& mode, const QString& in, const QString& out);

} // namespace vantrel::cli
