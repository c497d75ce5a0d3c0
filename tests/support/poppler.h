// The report tests read the PDFs they write with poppler's tools, as a user
// would: pdfinfo for pages and paper, pdftotext for the words, pdffonts for
// the fonts.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <optional>

namespace vantrel::testing {

// Runs a poppler tool; its output, or nullopt when it is missing or fails.
inline std::optional<QString> poppler(const QString& tool, const QStringList& args) {
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace vantrel::testing
