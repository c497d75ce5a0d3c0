// The report pages of a whole inspection from the command line: one page
// per note or per indication, or the defect list over as many pages as it
// takes, in one PDF or as PNG pictures, with the user's cells filled alike
// on every page.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <optional>
#include <string>

#include "analysis/coverage.h"
#include "analysis/inspection.h"
#include "inspect/cli_support.h"
#include "report_page/report_page.h"

namespace vantrel::cli {

// NAME=TEXT arguments as texts by caption (UTF-8); NAME is a blank cell's
// caption (a usage error listing the captions otherwise).
std::map<std::string, std::string> userCells(const QStringList& fields);
// Typed cells by caption as texts by the page's field names.
std::map<QString, QString> cellTexts(const std::map<std::string, std::string>& cells);

// The texts of a page: the program-filled fields, then the user's cells.
std::function<QString(const PageField&)> pageTexts(const ReportFill& fill,
                                                   const std::map<QString, QString>& user);

enum class ReportPages : uint8_t { Notes, Indications, Summary };

// The most pages --indications and --summary write without --yes. The
// notes' pages are never asked for: a recording holds as many notes as the
// inspector typed.
inline constexpr int kPagesWithoutAsking = 1000;

// FILE --notes|--indications|--summary: the pages into `out`: a .pdf name;
// for the defect list also a .png name (page 0 there, page i beside it as
// <name>-<i>.png); otherwise a folder for note-<i>.png, indication-<i>.png
// or defect-list-<i>.png. Except in note-<i>.png, i has as many digits as
// the largest page number, padded with zeros (indication-07.png beside
// indication-12.png). `inspection` holds what the inspector decided: the
// cells typed into every page, the travel and the decisions the defect list
// and the indications' lengths and remarks take; `inspectionPath` the file
// it came from (empty for none), which the defect list names. More than
// kPagesWithoutAsking pages of indications or of the list are a usage error
// without `yes`, before anything is written; a long writing says how far it
// has got on `progress`. Returns the defect list's coverage (nullopt for the
// other pages).
std::optional<Coverage> batchReportCommand(const QString& path, ReportPages pages,
                                           const OverviewOptions& overview,
                                           const Inspection& inspection,
                                           const QString& inspectionPath, const QString& out,
                                           bool yes, const OutputSink& progress);

} // namespace vantrel::cli
