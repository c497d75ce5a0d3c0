#include "report_batch.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>

#include <cstring>
#include <filesystem>
#include <map>
#include <utility>
#include <vector>

#include "report_inputs.h"
#include "report_page.h"

namespace vantrel::cli {

namespace {

// Where the pages come from: the note items, or the peaks of the indications.
struct PageList {
    std::vector<std::pair<int32_t, int32_t>> peaks; // record, frame
    int count = 0;
    const char* fileStem = nullptr;
};

// The pages of the file open in `viewer`: its notes, or its indications as
// `settings` find them; a usage error when there are none.
PageList pageList(const ViewerCore& viewer, ReportPages kind, const OverviewSettings& settings,
                  const QString& path) {
    PageList pages;
    if (kind == ReportPages::Notes) {
        pages.count = static_cast<int>(viewer.noteItems().size());
        pages.fileStem = "note";
        if (pages.count == 0) fail(quoted(path) + " has no notes");
    } else {
        const EchoOverview overview = computeOverview(viewer.query(), settings);
        for (const Indication& d : overview.indications())
            pages.peaks.emplace_back(overview.recordNumber(d.peak), overview.frameNumber(d.peak));
        pages.count = static_cast<int>(pages.peaks.size());
        pages.fileStem = "indication";
        if (pages.count == 0) fail(quoted(path) + " has no indications");
    }
    return pages;
}

// Paints page k; with `foot` the foot line too.
using PagePainter = std::function<void(QPainter& painter, int k, bool foot)>;

// The pages as one PDF at `out`, each with its foot line.
void writePagesPdf(const QString& out, const PageList& pages, const PagePainter& paintPage) {
    if (!writeReportPdf(
            out, pages.count, [&](QPainter& painter, int k) { paintPage(painter, k, true); },
            QStringLiteral("vantrel-inspect")))
        fail(cannotWrite(out));
}

// The pages as pictures, the page alone, into the folder `out`: made if
// missing; on a failure the pictures already written go again, so nothing
// half-done stays behind.
void writePagesPng(const QString& out, const PageList& pages, const PagePainter& paintPage) {
    const QDir dir(out);
    const bool existed = dir.exists();
    std::error_code made;
    std::filesystem::create_directories(out.toStdString(), made);
    if (made || !QFileInfo(out).isDir())
        fail("cannot write to the folder " + quoted(out) + ": " +
             (made ? made.message() : std::strerror(ENOTDIR)));
    QStringList written;
    auto undo = [&] {
        for (const QString& f : written)
            QFile::remove(f);
        if (!existed) QDir().rmdir(out);
    };
    for (int k = 0; k < pages.count; ++k) {
        QImage page(kPageWidth, kPageHeight, QImage::Format_RGB32);
        QPainter painter(&page);
        paintPage(painter, k, false);
        painter.end();
        const QString file = dir.filePath(QStringLiteral("%1-%2.png").arg(pages.fileStem).arg(k));
        if (!page.save(file, "PNG")) {
            QFile::remove(file);
            const std::string message = cannotWrite(file);
            undo();
            fail(message);
        }
        written << file;
    }
}

} // namespace

std::map<QString, QString> userTexts(const QStringList& fields) {
    std::map<QString, QString> texts;
    for (const QString& f : fields) {
        const qsizetype eq = f.indexOf('=');
        const QString name = eq < 0 ? f : f.left(eq);
        const UserCell* cell = nullptr;
        for (const UserCell& c : reportUserCells())
            if (name == QString::fromUtf8(c.caption)) cell = &c;
        if (!cell || eq < 0) {
            QStringList names;
            for (const UserCell& c : reportUserCells())
                names << QString::fromUtf8(c.caption);
            fail((eq < 0 ? "field " + quoted(f) + " is not NAME=TEXT"
                         : "unknown field " + quoted(name)) +
                 " (fields: " + names.join(", ").toStdString() + ")");
        }
        texts[QString::fromLatin1(cell->field)] = f.mid(eq + 1);
    }
    return texts;
}

std::function<QString(const PageField&)> pageTexts(const ReportFill& fill,
                                                   const std::map<QString, QString>& user) {
    return [&fill, &user](const PageField& f) {
        const QString name = QString::fromLatin1(f.name);
        if (const auto it = fill.fields.find(name); it != fill.fields.end()) return it->second;
        if (const auto it = user.find(name); it != user.end()) return it->second;
        return QString();
    };
}

void batchReportCommand(const QString& path, ReportPages kind, const OverviewOptions& options,
                        const QStringList& fields, const QString& out) {
    const std::map<QString, QString> user = userTexts(fields);
    const OverviewSettings settings = overviewSettings(options);
    const bool pdf = out.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive);

    ViewerCore viewer;
    viewer.formShow();
    openOrFail(viewer, path);
    const PageList pages = pageList(viewer, kind, settings, path);

    // Page k: the notes clicked one after another down the list, as an
    // inspector walks them (a note click keeps the parameters in force
    // unless its record carries a block); an indication's peak frame as a
    // click on the overview shows it.
    // `foot`: PDF pages carry the foot line; the pictures are the page alone.
    const PagePainter paintPage = [&](QPainter& painter, int k, bool foot) {
        if (kind == ReportPages::Notes)
            viewer.noteClick(k);
        else
            viewer.goToFrame(pages.peaks[static_cast<size_t>(k)].first,
                             pages.peaks[static_cast<size_t>(k)].second);
        const ReportFill fill = fillReportText(viewer.panel(), viewer.readouts());
        const ReportPictures pictures = reportPictures(reportInputs(viewer));
        paintReportPage(painter, fill, pictures, pageTexts(fill, user));
        if (!foot) return;
        PageOrigin origin = pageOrigin(viewer);
        origin.page = k;
        origin.pages = pages.count;
        paintReportFoot(painter, origin);
    };

    if (pdf)
        writePagesPdf(out, pages, paintPage);
    else
        writePagesPng(out, pages, paintPage);
}

} // namespace vantrel::cli
