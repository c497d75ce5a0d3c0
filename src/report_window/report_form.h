// The report window: the A4 page as an editable form in a vertically
// scrolling view, filled from the main window on every showing, printed on
// the default printer, previewed or exported to PDF from its menu; and the
// defect list of the recording's evaluation, printed, previewed or exported
// from a menu of its own.
//
// Created once and reused: what the user typed into the blank cells stays
// until the program ends; the program-filled cells are refilled on every
// showing (the user may overwrite them before printing).
#pragma once

#include <QDialog>
#include <QImage>

#include <functional>
#include <map>
#include <optional>

#include "report_page/defect_list_page.h"
#include "report_page/report_page.h"
#include "viewer/viewer_core.h"

class QAction;
class QLabel;
class QPrinter;
class QScrollArea;
class QTimer;
class QVBoxLayout;

namespace vantrel {

class OuterGeometry;

class TReportForm : public QDialog {
    Q_OBJECT
public:
    // Where the report takes its texts and pictures from: the main window's
    // panel, readouts and frame on screen at the moment of showing.
    struct Source {
        std::function<PanelTexts()> panel;
        std::function<ReadoutTexts()> readouts;
        std::function<ReportPlotInputs()> pictures;
        // The PDF name to suggest: the recording and the frame on screen.
        std::function<QString()> pdfName;
        // Where the page comes from, for the foot line of prints and PDFs.
        std::function<PageOrigin()> origin;
    };

    // The source that follows a viewer: its panel, readouts and frame on
    // screen, and a PDF name from its recording and that frame.
    static Source sourceOf(const ViewerCore& core);

    explicit TReportForm(QWidget* parent = nullptr);
    void setSource(Source source) { source_ = std::move(source); }

    // Where the defect list comes from: the evaluation its owner holds, as
    // the list's inputs at the moment of asking, or nullopt while there is
    // none. The window holds no rule of the list; without a source, or while
    // it gives none, the list's menu entries are disabled and say why.
    // `available` says whether the source has a list without making it (a
    // list reads a record per indication): the menu's entries follow it as
    // the menu opens; without it the source itself is asked.
    using DefectListSource = std::function<std::optional<DefectListInputs>()>;
    void setDefectListSource(DefectListSource source, std::function<bool()> available = {});

    // The menu command "打印(&P)": one A4 page on the default printer, no
    // dialog. When nothing can be printed the window says so in its status
    // line and changes nothing else.
    void PrintButtonClick();
    // "导出PDF(&E)…": the page, with everything typed into it, as an A4 PDF
    // where the user chooses. A PDF that cannot be written is said in the
    // status line and changes nothing else.
    void ExportPdfClick();
    // "打印预览(&V)…": Qt's print preview of the page as it would print.
    void PrintPreviewClick();
    // The menu 缺陷汇总: "打印(&P)" every page of the list on the default
    // printer, "导出PDF(&E)…" the list as an A4 PDF, "打印预览(&V)…" Qt's
    // print preview of its pages; failures are said as for the report page.
    void DefectListPrintClick();
    void DefectListPdfClick();
    void DefectListPreviewClick();
    // Chooses where the PDF goes, starting from the suggested name; nullopt
    // when cancelled. The default shows the save dialog; tests replace it.
    std::function<std::optional<QString>(const QString& suggestion)> choosePdfPath;
    // Shows the preview dialog (modal by default); tests replace it.
    std::function<void(QDialog&)> showPreview;

    // The blank cells' texts by caption (UTF-8; reportUserCells), as typed.
    std::map<std::string, std::string> userTexts() const;
    // Fills the blank cells `texts` names (the inspector's cells kept with a
    // recording); the others keep what is typed in them.
    void setUserTexts(const std::map<std::string, std::string>& texts);
    // Told every change the user makes to a blank cell of the job (not a
    // flaw's: isFlawCell), with all of them.
    std::function<void(const std::map<std::string, std::string>&)> userTextsEdited;

    // The flaw's cells belong to the place the page shows: its indication,
    // or its frame where none holds it. At every showing the owner names the
    // place (`label`, e.g. "指示 2（166:4–204:0）") and gives what is kept
    // there, which fills those cells; the other flaw cells keep what was
    // typed, as every blank cell does while the program runs, but one typed
    // for another place is tinted and the status line names where it was
    // typed, so that it is not signed for this flaw by mistake.
    struct FlawCells {
        QString label;
        std::map<std::string, std::string> kept;
    };
    std::function<FlawCells()> flawCellsSource;
    // Told every change the user makes to a flaw's cell, with the flaw
    // cells typed for the place shown.
    std::function<void(const std::map<std::string, std::string>&)> flawTextsEdited;
    // The place a flaw cell's text was typed for (empty: none typed).
    QString flawCellPlace(const std::string& caption) const;

    const ReportFill& fill() const { return fill_; }
    // The current text of a field (the user's typing included).
    QString fieldText(const QString& name) const;
    QWidget* field(const QString& name) const;
    QString statusText() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    friend class ReportFormTestPeer;
    // The page as the printer gets it, rendered into a picture.
    QImage renderPage() const;
    // A document the window prints, exports or previews: its pages, each
    // painted in page pixels from the paper's corner, and its own words.
    struct Document {
        int pages = 1;
        std::function<void(QPainter&, int page)> paint;
        QString docName;
        QString pdfName;  // the PDF name to suggest
        QString pdfTitle; // the title in the PDF's properties
        // The notices when it cannot be printed: no default printer, and a
        // printer (%1) that cannot be used.
        QString noPrinter, printerUnusable;
        std::function<void()> exportPdf; // what the notice offers instead
    };
    // The report page with the user's typing and its foot line.
    Document reportDocument();
    // The defect list's pages, or nullopt (said in the status line) when
    // its source gives none.
    std::optional<Document> defectListDocument();
    // Prints, exports as a PDF where the user chooses, or previews a
    // document.
    void printDocument(const Document& document);
    void exportDocument(const Document& document);
    void previewDocument(const Document& document);
    // One function sets whether the defect list's entries are enabled.
    void syncDefectListActions();
    // Says why nothing was printed and what to do, offering the PDF export.
    void offerPdfInstead(const QString& text, const std::function<void()>& exportPdf);
    // A user cell's text changed: the editor takes the page's font for it
    // and the status line says when the text is cut.
    void refitField(const PageField& f);
    // A user cell's text changed: refitted, and told unless set by the owner.
    void userFieldChanged(const PageField& f);
    bool settingUserTexts_ = false;
    // The flaw's cells at a showing: filled from the place's kept cells,
    // the others marked where typed elsewhere.
    void showFlawCells();
    void markFlawCells();
    QString flawPlace_;                           // the place shown
    std::map<std::string, QString> flawTypedFor_; // by caption: the place typed for
    // The steps of the constructor, in its order: the menu, the page in its
    // scrolling view, the status line, the refresh after the first showing,
    // and the field boxes on the page.
    void buildMenu(QVBoxLayout* layout);
    void buildPageView(QVBoxLayout* layout);
    void buildStatusLine(QVBoxLayout* layout);
    void buildRefreshTimer();
    void buildFields();
    // The widget of one field: a label for a Label field, else an editor, of
    // several lines for a box taller than one line; a user's box refits its
    // text as it changes.
    QWidget* newFieldWidget(const PageField& f);
    void FormCreate();
    void FormShow();
    void drawReportImages();
    ReportPictures screenPictures() const;
    // The pictures for a printer or a PDF: drawn again from the source at the
    // device's resolution rather than sent as the screen's bitmaps.
    ReportPictures outputPictures() const;
    // Paints a document onto a printer (or a preview's), scaled from page
    // pixels to the printer's dots; false when the painter cannot start.
    bool paintOnPrinter(QPrinter& printer, const Document& document, bool preview = false) const;
    std::function<QString(const PageField&)> widgetTexts() const;

    Source source_;
    DefectListSource defectListSource_;
    std::function<bool()> defectListAvailable_;
    QAction* defectListActions_[3] = {}; // print, PDF, preview
    ReportFill fill_;
    QImage leftRuler_, plot_, bottomRuler_;
    QScrollArea* scroll_ = nullptr;
    QWidget* page_ = nullptr;
    QLabel* status_ = nullptr;
    // Runs FormShow once more just after the first showing.
    QTimer* refreshTimer_ = nullptr;
    OuterGeometry* outer_ = nullptr;
    bool firstShow_ = true;
    int formShowCount_ = 0; // showings so far (FormShow), for ReportFormTestPeer
    std::map<QString, QWidget*> fields_;
};

} // namespace vantrel
