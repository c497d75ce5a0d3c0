// The defect list (缺陷汇总) as A4 pages: on the first, the report's cells
// that name the job (检测单位, 委托单位, 报告编号, 检测日期, 名称 and 编号 of
// the workpiece, 探伤标准, 探伤人员: who inspected what, for whom, under
// which report, date and standard), the travel the lengths were measured
// with and the counts; then a table of one row per reported indication over
// as many pages as it takes, the table's head on every page, and on every
// page a foot line naming the recording and the page. One renderer serves
// the report window's preview, the printer, PDF and PNG, in the page pixels
// of report_page.h: every line a filled page-pixel band, so print and screen
// agree.
//
// No text runs over its cell: a cell's text wraps to two lines and what
// does not fit even then ends in "…"; every text cut so is printed whole
// after the table, under the row number and the column it belongs to, by
// the rule the report page follows too (wholeTextEntry), so nothing the
// inspector typed is lost on paper.
#pragma once

#include <QDate>
#include <QPainter>
#include <QSet>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

#include "analysis/defect_list.h"
#include "analysis/evaluated_recording.h"
#include "report_page/report_page.h"

namespace vantrel {

// What the list's pages show: the list and the recording it comes from.
struct DefectListInputs {
    DefectList list;
    QString recordingPath; // the foot line names its file; the PDF name starts from it
    QDate date;            // the day printed, for the foot line
    // The inspection file the decisions came from, which the first page
    // names; empty when there was none.
    QString inspectionPath;
};

// The words of the list's texts in the interface's language.
DefectListWords defectListWords();

// The list of `evaluation` on `overview` with `inspection`'s decisions and
// cells, in the interface's language, made today (see defectList).
DefectListInputs defectListInputs(const EchoOverview& overview, const Evaluation& evaluation,
                                  const Inspection& inspection, RecordQuery& reader,
                                  const QString& recordingPath);
// The same from the positions `evaluated` keeps at its peaks.
DefectListInputs defectListInputs(const EvaluatedRecording& evaluated, const Inspection& inspection,
                                  const QString& recordingPath);

// The line that says how the lengths were measured, e.g.
// "行程：0.25 mm/帧（输入）" or "行程：未标定，长度以帧计".
QString defectListTravelText(const DefectList& list);
// The line that names the inspection file, "评定文件：/x/a.DAT.vantrel.json"
// or "评定文件：无（仅由记录评定）".
QString defectListInspectionText(const QString& inspectionPath);

// The lines that say what the list covers of the recording (see Coverage):
// the frames and records evaluated or why none were, the DAC lines used,
// the echoes at or above their threshold left unevaluated and the damage,
// in the interface's language.
QStringList defectListCoverageTexts(const Coverage& coverage);

// The name suggested for the list's PDF: `<recording>_缺陷汇总.pdf` beside the
// recording, in the interface's language.
QString defectListPdfName(const QString& recordingPath);

// The title of the list's PDF, naming the recording, e.g.
// "缺陷汇总 – demo.DAT", in the interface's language.
QString defectListPdfTitle(const QString& recordingPath);

// A text laid out in its cell: the lines as painted, and whether it was cut.
struct CellText {
    QStringList lines;
    bool cut = false;
};
// `text` in `width` pixels of `font` on at most `maxLines` lines: wrapped at
// word boundaries (line breaks count as blanks), the last line elided with
// "…" when the text needs more.
CellText fitCellText(const QString& text, const QFont& font, int width, int maxLines);

// The list laid out on pages. Holds its inputs.
class DefectListDocument {
public:
    explicit DefectListDocument(DefectListInputs inputs);

    int pageCount() const { return static_cast<int>(pages_.size()); }
    // The rows of the list on page k (from 0), as [first, last) into
    // inputs().list.rows.
    std::pair<size_t, size_t> rowsOn(int page) const;
    // The texts printed whole after the table because their cells cut them,
    // as "7 · 备注：…", in row order.
    const QStringList& cutTexts() const { return cutTexts_; }
    // The foot line of page k.
    QString footText(int page) const;
    // Paints page k in page pixels from the paper's corner, its foot line
    // included.
    void paintPage(QPainter& painter, int page) const;
    const DefectListInputs& inputs() const { return inputs_; }

private:
    struct Page {
        size_t firstRow = 0, lastRow = 0;
        int firstCutLine = 0, lastCutLine = 0; // into cutLines_
        bool tableHead = true;                 // the table's head is on the page
    };
    struct Row {
        std::vector<CellText> cells; // by column
    };

    void layOut();
    PageOrigin origin(int page) const;
    // The first pixel of the table on a page.
    int tableTop(bool firstPage) const;
    // The head cells, the travel and the counts, on the first page.
    void paintHead(QPainter& painter) const;
    // The line naming the inspection file, from `top`.
    void paintSourceLines(QPainter& painter, int top) const;
    // The table's head and the page's rows from `top`; returns its last
    // line's y.
    int paintTable(QPainter& painter, const Page& page, int top) const;

    DefectListInputs inputs_;
    std::vector<Row> rows_;
    std::vector<CellText> headValues_; // by defectListHeadCaptions()
    QStringList coverageLines_;        // as painted under the counts
    QStringList cutTexts_;
    // The cut texts as painted lines after their heading, then the orphan
    // decisions after theirs; the headings' lines are bold.
    QStringList cutLines_;
    QSet<int> headingLines_;
    std::vector<Page> pages_;
};

// Every text the pages paint of their own (title, head captions, column
// heads, travel and count lines as patterns), in the interface's language.
QStringList defectListPageTexts();

} // namespace vantrel
