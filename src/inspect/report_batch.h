// The report pages of a whole inspection from the command line: one page
// per note or per indication in one PDF or a folder of PNGs, with the
// user's cells filled alike on every page.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <map>

#include "cli_support.h"
#include "report_page.h"

namespace vantrel::cli {

// NAME=TEXT arguments as texts by field name; NAME is a blank cell's caption
// (a usage error listing the captions otherwise).
std::map<QString, QString> userTexts(const QStringList& fields);

// The texts of a page: the program-filled fields, then the user's cells.
std::function<QString(const PageField&)> pageTexts(const ReportFill& fill,
                                                   const std::map<QString, QString>& user);

enum class ReportPages : uint8_t { Notes, Indications };

// FILE --notes|--indications: the pages into `out` (a .pdf name, or else a
// folder for note-<i>.png / indication-<i>.png). `fields` are NAME=TEXT.
void batchReportCommand(const QString& path, ReportPages pages, const OverviewOptions& overview,
                        const QStringList& fields, const QString& out);

} // namespace vantrel::cli
