#include "inspect/report_batch.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>

#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "analysis/defect_list.h"
#include "analysis/evaluated_recording.h"
#include "analysis/evaluation.h"
#include "report_page/defect_list_page.h"
#include "report_page/report_inputs.h"
#include "report_page/report_page.h"

namespace vantrel::cli {

namespace {

// Where the pages come from: the note items, the peaks of the indications
// or the pages of the defect list.
struct PageList {
    std::vector<int64_t> peaks; // shown frames of the overview
    int count = 0;
    const char* fileStem = nullptr;
    // The pictures' numbers padded with zeros to the width of the largest,
    // so that their names sort in page order; note-<i>.png keeps its
    // numbers as they are, as scripts already read them.
    bool padded = true;
    QString title = reportPdfTitle(); // of the PDF
};

// The recording's evaluation, for the defect list and the indications'
// pre-filled cells: its overview (the indications' own, with their
// thresholds: the evaluation does not depend on them), the indications
// against the DAC lines with the positions at their peaks, and the travel
// the inspection gives.
struct Evaluated {
    EvaluatedRecording recording;
    std::optional<Travel> travel;
    Evaluated(const RecordQuery& query, const OverviewSettings& settings, const Inspection& in,
              const QString& path)
        : recording(computeOverview(query, settings), query, settings),
          travel(travelOf(in.travel, recording.overview())) {
        if (!recording.readerOpen()) fail("cannot open " + quoted(path) + " a second time");
    }
    const EchoOverview& overview() const { return recording.overview(); }
    const Evaluation& evaluation() const { return recording.evaluation(); }
};

// The user cells a page of an indication pre-fills from the evaluated
// indication that holds its peak frame: 长度 the calibrated 6 dB length
// (only with a travel: a count of frames is no length on a report form),
// 备注 the zone and SL±dB. The pages are the overview's threshold runs,
// which need not be evaluated ones (a % or DGS frame, an echo under EL, a
// run the evaluation splits or joins otherwise): a page whose peak no
// evaluated indication holds is pre-filled with nothing rather than with
// another indication's figures.
std::map<std::string, std::string> prefilledCells(const Evaluated& e, int64_t peak) {
    const EvaluatedIndication* d = e.evaluation().indicationAt(peak);
    if (!d) return {};
    std::map<std::string, std::string> cells{{"备注", zoneRemarkText(*d)}};
    if (e.travel) cells["长度"] = lengthText(d->drop6Frames(), e.travel, "6 dB");
    return cells;
}

// The pages of the notes of the file open in `viewer`; a usage error when
// it has none.
PageList notePages(const ViewerCore& viewer, const QString& path) {
    PageList pages;
    pages.count = static_cast<int>(viewer.noteItems().size());
    pages.fileStem = "note";
    pages.padded = false;
    if (pages.count == 0) fail(quoted(path) + " has no notes");
    return pages;
}

// The pages of the indications of `overview`, at their peaks; a usage
// error when there are none.
PageList indicationPages(const EchoOverview& overview, const QString& path) {
    PageList pages;
    for (const Indication& d : overview.indications())
        pages.peaks.push_back(d.peak);
    pages.count = static_cast<int>(pages.peaks.size());
    pages.fileStem = "indication";
    if (pages.count == 0) fail(quoted(path) + " has no indications");
    return pages;
}

// Paints page k; with `foot` the foot line too.
using PagePainter = std::function<void(QPainter& painter, int k, bool foot)>;

// The pages as one PDF at `out`, each with its foot line.
void writePagesPdf(const QString& out, const PageList& pages, const PagePainter& paintPage,
                   Progress& progress) {
    if (!writeReportPdf(
            out, pages.count,
            [&](QPainter& painter, int k) {
                paintPage(painter, k, true);
                progress.step(k + 1);
            },
            QStringLiteral("vantrel-inspect"), pages.title))
        fail(cannotWrite(out));
}

// The pages as pictures, the page alone: into the folder `out` as
// <stem>-<i>.png, the folder made if missing; or with a .png name, page 0
// there and page i beside it as <name>-<i>.png. On a failure the pictures
// already written go again, so nothing half-done stays behind.
void writePagesPng(const QString& out, const PageList& pages, const PagePainter& paintPage,
                   Progress& progress) {
    const bool named = out.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive);
    const QDir dir(named ? QFileInfo(out).path() : out);
    const bool existed = dir.exists();
    if (!named) {
        std::error_code made;
        std::filesystem::create_directories(out.toStdString(), made);
        if (made || !QFileInfo(out).isDir())
            fail("cannot write to the folder " + quoted(out) + ": " +
                 (made ? made.message() : std::strerror(ENOTDIR)));
    }
    const int digits = pages.padded ? static_cast<int>(QString::number(pages.count - 1).size()) : 0;
    auto fileName = [&](int k) {
        const QString number = QStringLiteral("%1").arg(k, digits, 10, QLatin1Char('0'));
        if (!named) return dir.filePath(QStringLiteral("%1-%2.png").arg(pages.fileStem, number));
        return k == 0 ? out : out.left(out.size() - 4) + QStringLiteral("-%1.png").arg(number);
    };
    QStringList written;
    auto undo = [&] {
        for (const QString& f : written)
            QFile::remove(f);
        if (!existed) QDir().rmdir(dir.path());
    };
    for (int k = 0; k < pages.count; ++k) {
        QImage page(kPageWidth, kPageHeight, QImage::Format_RGB32);
        QPainter painter(&page);
        paintPage(painter, k, false);
        painter.end();
        const QString file = fileName(k);
        if (!page.save(file, "PNG")) {
            QFile::remove(file);
            const std::string message = cannotWrite(file);
            undo();
            fail(message);
        }
        written << file;
        progress.step(k + 1);
    }
}

// A batch of more than kPagesWithoutAsking pages is written only with
// --yes: a recording of a whole shift can hold tens of thousands of
// indications, hours of writing nobody meant to start.
void checkPageCount(ReportPages kind, const PageList& pages, bool yes) {
    if (kind == ReportPages::Notes || yes || pages.count <= kPagesWithoutAsking) return;
    const bool indications = kind == ReportPages::Indications;
    fail(std::string("report ") + (indications ? "--indications" : "--summary") + " would write " +
         std::to_string(pages.count) + " pages (more than " + std::to_string(kPagesWithoutAsking) +
         "): give --yes to write them all" +
         (indications ? ", or fewer indications with --threshold, --threshold-db or --gap" : ""));
}

} // namespace

std::map<std::string, std::string> userCells(const QStringList& fields) {
    std::map<std::string, std::string> cells;
    for (const QString& f : fields) {
        const qsizetype eq = f.indexOf('=');
        const QString name = eq < 0 ? f : f.left(eq);
        const bool known =
            std::any_of(reportUserCells().begin(), reportUserCells().end(),
                        [&](const UserCell& c) { return name == QString::fromUtf8(c.caption); });
        if (!known || eq < 0) {
            QStringList names;
            for (const UserCell& c : reportUserCells())
                names << QString::fromUtf8(c.caption);
            fail((eq < 0 ? "field " + quoted(f) + " is not NAME=TEXT"
                         : "unknown field " + quoted(name)) +
                 " (fields: " + names.join(", ").toStdString() + ")");
        }
        cells[name.toStdString()] = f.mid(eq + 1).toStdString();
    }
    return cells;
}

std::map<QString, QString> cellTexts(const std::map<std::string, std::string>& cells) {
    std::map<QString, QString> texts;
    for (const UserCell& c : reportUserCells())
        if (const auto it = cells.find(c.caption); it != cells.end())
            texts[QString::fromLatin1(c.field)] = QString::fromStdString(it->second);
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

std::optional<Coverage> batchReportCommand(const QString& path, ReportPages kind,
                                           const OverviewOptions& options,
                                           const Inspection& inspection,
                                           const QString& inspectionPath, const QString& out,
                                           bool yes, const OutputSink& progressSink) {
    const OverviewSettings settings = overviewSettings(options);
    const bool pdf = out.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive);

    ViewerCore viewer;
    viewer.formShow();
    openOrFail(viewer, path);
    std::unique_ptr<Evaluated> evaluated;
    if (kind != ReportPages::Notes)
        evaluated = std::make_unique<Evaluated>(viewer.query(), settings, inspection, path);

    PageList pages;
    PagePainter paintPage;
    std::optional<Coverage> coverage;
    if (kind == ReportPages::Summary) {
        // The list's pages carry their foot line also as pictures: a list has
        // no instrument's form to match pixel for pixel, and a page of it
        // must say which recording it lists.
        DefectListInputs inputs = defectListInputs(evaluated->recording, inspection, path);
        inputs.inspectionPath = inspectionPath;
        auto list = std::make_shared<const DefectListDocument>(std::move(inputs));
        pages.count = list->pageCount();
        coverage = list->inputs().list.coverage;
        pages.fileStem = "defect-list";
        pages.title = defectListPdfTitle(path);
        paintPage = [list](QPainter& painter, int k, bool) { list->paintPage(painter, k); };
    } else {
        pages = kind == ReportPages::Notes ? notePages(viewer, path)
                                           : indicationPages(evaluated->overview(), path);
        const std::map<QString, QString> typed = cellTexts(inspection.reportCells);
        // Page k: the notes clicked one after another down the list, as an
        // inspector walks them (a note click keeps the parameters in force
        // unless its record carries a block); an indication's peak frame as
        // a click on the overview shows it, its cells pre-filled where the
        // inspector typed nothing.
        // `foot`: PDF pages carry the foot line; the pictures are the page alone.
        paintPage = [&, typed](QPainter& painter, int k, bool foot) {
            std::map<QString, QString> user = typed;
            if (kind == ReportPages::Notes) {
                viewer.noteClick(k);
            } else {
                const int64_t peak = pages.peaks[static_cast<size_t>(k)];
                viewer.goToFrame(evaluated->overview().recordNumber(peak),
                                 evaluated->overview().frameNumber(peak));
                // The flaw's cells kept for this page's indication (or its
                // frame), then the pre-filled ones: a --field cell wins over
                // both, a kept one over the pre-filled.
                const FramePlace place{evaluated->overview().recordNumber(peak),
                                       evaluated->overview().frameNumber(peak)};
                user.merge(cellTexts(flawCellsAt(&evaluated->evaluation(), inspection, place)));
                user.merge(cellTexts(prefilledCells(*evaluated, peak)));
            }
            const ReportFill fill = fillReportText(viewer.panel(), viewer.readouts());
            const ReportPictures pictures = reportPictures(reportInputs(viewer));
            paintReportPage(painter, fill, pictures, pageTexts(fill, user));
            if (!foot) return;
            PageOrigin origin = pageOrigin(viewer);
            origin.page = k;
            origin.pages = pages.count;
            paintReportFoot(painter, origin);
        };
    }

    checkPageCount(kind, pages, yes);
    Progress progress(progressSink, "page", pages.count);
    if (pdf)
        writePagesPdf(out, pages, paintPage, progress);
    else
        writePagesPng(out, pages, paintPage, progress);
    progress.finish();
    return coverage;
}

} // namespace vantrel::cli
