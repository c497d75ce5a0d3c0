// The viewer's model as the JSON vantrel-inspect prints: damage lists,
// parameter blocks, panel texts, readouts, records, curves and the state
// after a replayed step.
#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <cstdint>

#include "analysis/echo_overview.h"
#include "display/curves.h"
#include "display/display_text.h"
#include "inspect/cli_support.h"
#include "recordfile/instrument_params.h"
#include "recordfile/record_file.h"
#include "report_page/report_page.h"
#include "viewer/record_query.h"
#include "viewer/viewer_core.h"

namespace vantrel::cli {

QJsonArray damageList(const RecordFile& file);
QJsonObject paramsJson(const InstrumentParams& p);
QJsonArray readoutArray(const ReadoutTexts& texts);
// The panel's fields by control name; all empty before the first block.
QJsonObject panelJson(const PanelTexts& t);
// Record `record`, in the query's buffer, with the parameters in force.
QJsonObject recordJson(const RecordQuery& query, int32_t record);
// The reference and gate curves in force, built on fresh storage.
QJsonObject curvesJson(const RecordQuery& query);
// The overview's frame count and indications, one JSON document on one line
// as Output::printJson writes it, streamed.
void writeOverviewJson(const EchoOverview& overview, const Output& output);
// What the report window fills in: layout, defect-row captions and the
// program-filled fields by name.
QJsonObject reportFillJson(const ReportFill& fill);
// The viewer's state after the replay step `step`.
QJsonObject stepJson(const ViewerCore& viewer, const QString& step);

} // namespace vantrel::cli
