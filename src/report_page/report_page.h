// The one-page A4 inspection report: its fill rules, its geometry and the one
// page renderer that serves the report window, the printer and
// vantrel-inspect.
//
// The page is laid out in pixels at 96 per inch from the top-left corner of
// the paper (794 x 1123 for A4; 10 mm margins leave 718 x 1047 at (38, 38));
// printing maps the same pixels to the same millimetres.
#pragma once

#include <QDate>
#include <QPainter>
#include <QString>

#include <array>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "display/curves.h"
#include "display/display_text.h"
#include "recordfile/instrument_params.h"

namespace vantrel {

inline constexpr int kPageWidth = 794;
inline constexpr int kPageHeight = 1123;

// The names of the fields the program fills (the report window's controls).
namespace reportfield {
inline constexpr char kType[] = "QRRichType";
inline constexpr char kCrystal[] = "QRRichCrystal";
inline constexpr char kReject[] = "QRRichReject";
inline constexpr char kKValue[] = "QRRichKValue";
inline constexpr char kRefraction[] = "QRRichRefraction";
inline constexpr char kFront[] = "QRRichFront";
inline constexpr char kFrequency[] = "QRRichFrequency";
inline constexpr char kZero[] = "QRRichZero";
inline constexpr char kSpeed[] = "QRRichSpeed";
inline constexpr char kDelay[] = "QRRichDelay";
inline constexpr char kRange[] = "QRRichRange";
inline constexpr char kGain[] = "QRRichGain";
inline constexpr char kDistance[] = "QRRichDistance";
inline constexpr char kXValue[] = "QRLabelXValue";
inline constexpr char kYValue[] = "QRRichYValue";
inline constexpr char kEquivalent[] = "QRLabelEquivalent";
inline constexpr char kXValueBox[] = "QRRichXValue"; // the disabled box under kXValue, never filled
} // namespace reportfield

// The captions of the four defect rows, in the instrument's Chinese: 距离,
// 水平, 垂直, 当量 for one gate, A定位, A当量, B定位, B当量 for two. The
// page shows them translated when the interface has a translation.
std::array<QString, 4> reportDefectCaptions(bool twoGate);

// What the program writes into the page on every showing.
struct ReportFill {
    bool twoGate = false; // the defect rows report gates A and B
    // Captions of the four defect rows (QRLabel47..QRLabel50).
    std::array<QString, 4> defectCaptions = reportDefectCaptions(false);
    // Program-filled fields by name (QRRichType, ..., QRLabelEquivalent).
    std::map<QString, QString> fields;
};

// Fills the parameter fields from the panel texts (with fixed suffixes that
// do not follow the inch setting) and the defect rows from the readouts,
// cutting the readouts' markers off on their GBK bytes.
ReportFill fillReportText(const PanelTexts& panel, const ReadoutTexts& readouts);

enum class FieldKind {
    User,    // an editable box only the user fills
    Filled,  // an editable box the program fills on every showing
    Label,   // a read-only label as wide as its text
    Covered, // a box under a label, never filled
};

struct PageField {
    const char* name;
    int x, y, w, h;
    FieldKind kind;
};

// Every field of the page, in drawing order.
const std::vector<PageField>& reportFields();

// The blank cells only the user fills, by the caption beside them; the two
// cells captioned 型号 are named with their group's head (探头型号,
// 探伤仪型号); the remarks cell (two rows high) is 备注.
struct UserCell {
    const char* caption; // UTF-8
    const char* field;   // the PageField's name
};
const std::vector<UserCell>& reportUserCells();
// Which of them belong to a flaw: isFlawCell in analysis/defect_list.h.

// The height of the defect location head: it grows over the first row of
// the size head in the two-gate layout.
int reportLocationHeadHeight(bool twoGate);

// The fonts of the page: captions and fields (Arial 19 px) and the title
// (Arial 21 px bold); a metric-compatible face and a CJK face stand in where
// Arial is missing.
QFont reportFont(int pixelSize, bool bold = false);

// Text the user types into a blank cell is never cut at the cell's border
// without a sign. It is laid out as the page prints it and the editor shows
// it: in the page's 19 px font where it fits, wrapped within the cell's
// lines in a cell of several; otherwise in the largest smaller font down to
// 10 px (7.5 pt, the size of a printed form's fine print) in which it fits;
// and where it does not fit even then, the lines that do, the last one
// ending in an ellipsis, marked as cut.
inline constexpr int kFieldPixelSize = 19;
inline constexpr int kFieldMinPixelSize = 10;
struct FieldFit {
    int pixelSize = kFieldPixelSize;
    QStringList lines; // as painted, the last one ending in "…" when cut
    bool cut = false;
};
// The lines of `text` in `field` (a user cell); one line in a cell one line
// high. Paragraphs (line breaks typed into a cell of several lines) start
// new lines; long lines break at word boundaries, or anywhere in a word
// wider than the cell, as the editor breaks them.
FieldFit fitFieldText(const PageField& field, const QString& text);
// The height of a line of a cell's text in a font of `pixelSize`.
int fieldLineHeight(int pixelSize);
// The lines `text` breaks into at `width` in `font`, paragraph by paragraph:
// at word boundaries, or anywhere in a word wider than `width`.
QStringList wrapText(const QString& text, const QFont& font, int width);

// The three pictures at the foot of the page.
inline constexpr QRect kReportLeftRuler{56, 792, 25, 281};
inline constexpr QRect kReportPlot{80, 792, 289, 257};
inline constexpr QRect kReportBottomRuler{80, 1048, 289, 25};

struct ReportPictures {
    // Each draws its picture at the painter's origin over the given size.
    std::function<void(QPainter&, int w, int h)> leftRuler, plot, bottomRuler;
};

// A text a cell prints cut ("…") is printed whole below the form or table
// it belongs to, so nothing typed is lost on paper: under one heading
// (表中未能印全的文字), an entry a text, "caption：text"; the defect list
// names a row's cell as "7 · 备注".
QString wholeTextsHeading();
QString wholeTextEntry(const QString& caption, const QString& text);
// The heading, then the entries wrapped to `width` in `font`; nothing when
// there is no entry.
QStringList wholeTextLines(const QStringList& entries, const QFont& font, int width);

// The report page's whole texts: the entries of the user cells
// `fieldText` fills that fitFieldText cuts, in the order of
// reportUserCells(), named by their captions.
QStringList reportCutTexts(const std::function<QString(const PageField&)>& fieldText);
// Where the page prints them: the free part of the waveform block, right of
// the plot and below every cell, so the page stays one page and its
// picture 794 x 1123. Their font shrinks from 13 px to the cells' smallest
// (kFieldMinPixelSize) to hold them all; texts that do not fit even then
// end in "…".
inline constexpr QRect kReportWholeTexts{380, 793, 365, 281};

// The inputs of the report's pictures, from the main window's state.
struct ReportPlotInputs {
    std::span<const uint8_t> echoFrame; // the frame on screen, or empty
    const uint8_t* envelope;            // FrameTail's envelope
    const InstrumentParams* params;
    const CurveSet* curves;                 // built for *params
    std::span<const std::string> pathRuler; // six labels, or none before a block
};
ReportPictures reportPictures(const ReportPlotInputs& inputs);

// Paints the page in page pixels: cells, title, captions, heads, the
// pictures and, when `fieldText` is given, every field with its current
// text and the whole texts of the cells it cuts (the report window's own
// boxes show the fields on screen instead).
// Cell borders and the plot's lines are filled page-pixel rectangles, never
// stroked, so one painting serves the 96-dpi bitmap and a printer or PDF
// scaled to page pixels alike: on paper a line is one page pixel (25.4/96
// mm) wide and covers the squares the bitmap shows.
void paintReportPage(QPainter& painter, const ReportFill& fill, const ReportPictures& pictures,
                     const std::function<QString(const PageField&)>& fieldText);
// Every text the page paints besides its fields (title, captions, heads, the
// defect rows' captions), as painted: in the interface's language.
QStringList reportPageTexts(const ReportFill& fill);

// Where a printed or exported page comes from, for the foot line that makes
// it traceable: the recording's file name, the frame on the page, the note
// its record carries (if any), the day it was made and, in a document of
// several pages, its page number.
struct PageOrigin {
    QString fileName;
    int record = -1, frame = -1; // -1: no frame on the page
    QString note;
    QDate date;
    int page = 0, pages = 1; // page from 0
};
// The foot line's text, in the interface's language, e.g.
// "demo.DAT · 记录 190:3 · 焊缝起点 · 打印于 2026-12-10 · 第 2/8 页".
QString reportFootText(const PageOrigin& origin);
// Paints the foot line in the page's bottom margin, beneath the form and
// outside every cell. PDFs and prints carry it; the 96-dpi page pictures,
// whose pixels are the form's alone, do not.
void paintReportFoot(QPainter& painter, const PageOrigin& origin);
// The bottom margin's band the foot line is painted in.
inline constexpr QRect kReportFoot{38, 1090, 718, 18};

// The title the report page's PDF carries in its properties.
QString reportPdfTitle();

// Writes `pages` A4 pages to a PDF at `path`, page k painted by
// paint(painter, k) in page pixels from the paper's corner: lines stay
// vectors, fonts are embedded and the texts searchable; `title` and
// `creator` go into the document's properties. The PDF is written beside
// `path` and put in its place only when complete, so a failure (a folder
// that cannot be written, a full disk) leaves no file and an earlier file
// unchanged. Returns whether it was written.
bool writeReportPdf(const QString& path, int pages,
                    const std::function<void(QPainter&, int page)>& paint, const QString& creator,
                    const QString& title);

// The name the report suggests for its PDF: `<recording>_<record>_<frame>.pdf`
// in the recording's folder, the recording's name without its extension;
// `<recording>.pdf` when no frame is known (record < 0).
QString reportPdfName(const QString& recordingPath, int record, int frame);

} // namespace vantrel
