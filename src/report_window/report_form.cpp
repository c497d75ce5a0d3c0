#include "report_window/report_form.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

#include "pictures/frame_render.h"
#include "report_page/report_inputs.h"
#include "widgets/message_box.h"
#include "widgets/outer_geometry.h"

namespace vantrel {

namespace {

// The page on screen: cells, captions, heads and pictures; the field boxes
// are child widgets at their page positions.
class PageWidget : public QWidget {
public:
    PageWidget(QWidget* parent, std::function<void(QPainter&)> paint)
        : QWidget(parent), paint_(std::move(paint)) {
        setFixedSize(kPageWidth, kPageHeight);
        setAutoFillBackground(false);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        paint_(painter);
    }

private:
    std::function<void(QPainter&)> paint_;
};

// A scroll bar that asks for no more width than it is allowed.
class NarrowScrollBar : public QScrollBar {
public:
    static constexpr int kMinWidth = 8;

    NarrowScrollBar(Qt::Orientation orientation, QWidget* parent)
        : QScrollBar(orientation, parent) {}
    void setMaxWidth(int width) {
        width = std::max(width, kMinWidth);
        if (width == maxWidth_) return;
        maxWidth_ = width;
        updateGeometry();
    }
    QSize sizeHint() const override {
        QSize hint = QScrollBar::sizeHint();
        hint.setWidth(std::min(hint.width(), maxWidth_));
        return hint;
    }

private:
    int maxWidth_ = QWIDGETSIZE_MAX;
};

// The page view scrolls vertically only. The window is barely wider than the
// page (806 px with its frame against 794), so the vertical bar takes the
// room that the view leaves beside the page, the style's width at most: the
// whole width of the page stays in view, at one screen pixel per page pixel.
class PageView : public QScrollArea {
public:
    explicit PageView(QWidget* parent) : QScrollArea(parent) {
        setFrameShape(QFrame::NoFrame);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        bar_ = new NarrowScrollBar(Qt::Vertical, this);
        setVerticalScrollBar(bar_);
    }

protected:
    bool event(QEvent* event) override {
        // Before the base class lays the bars out for the new size.
        if (event->type() == QEvent::Resize)
            bar_->setMaxWidth(static_cast<QResizeEvent*>(event)->size().width() - kPageWidth);
        return QScrollArea::event(event);
    }

private:
    NarrowScrollBar* bar_ = nullptr;
};

} // namespace

TReportForm::Source TReportForm::sourceOf(const ViewerCore& core) {
    return {.panel = [&core] { return core.panel(); },
            .readouts = [&core] { return core.readouts(); },
            .pictures = [&core] { return reportInputs(core); },
            .pdfName =
                [&core] {
                    const QString path = QString::fromStdString(core.file().path());
                    const auto place = core.placeOnScreen();
                    return place ? reportPdfName(path, place->record, place->frame)
                                 : reportPdfName(path, -1, -1);
                },
            .origin = [&core] { return pageOrigin(core); }};
}

TReportForm::TReportForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("ReportForm"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildMenu(layout);
    buildPageView(layout);
    buildStatusLine(layout);
    buildRefreshTimer();
    outer_ = new OuterGeometry(this, OuterGeometry::Resizing::Allowed);
    buildFields();
    choosePdfPath = [this](const QString& suggestion) -> std::optional<QString> {
        const QString path = QFileDialog::getSaveFileName(this, tr("导出PDF"), suggestion,
                                                          QStringLiteral("PDF (*.pdf)"));
        if (path.isEmpty()) return std::nullopt;
        return path;
    };
    showPreview = [](QDialog& dialog) { dialog.exec(); };
    FormCreate();
}

void TReportForm::buildMenu(QVBoxLayout* layout) {
    auto* menuBar = new QMenuBar(this);
    QMenu* menu = menuBar->addMenu(tr("菜单(&F)"));
    QAction* print = menu->addAction(tr("打印(&P)"), this, [this] { PrintButtonClick(); });
    print->setObjectName(QStringLiteral("PrintButton"));
    QAction* exportPdf = menu->addAction(tr("导出PDF(&E)…"), this, [this] { ExportPdfClick(); });
    exportPdf->setObjectName(QStringLiteral("ExportPdfItem"));
    QAction* preview = menu->addAction(tr("打印预览(&V)…"), this, [this] { PrintPreviewClick(); });
    preview->setObjectName(QStringLiteral("PrintPreviewItem"));

    QMenu* list = menuBar->addMenu(tr("缺陷汇总(&D)"));
    list->setObjectName(QStringLiteral("DefectListMenu"));
    list->setToolTipsVisible(true); // a disabled entry says why
    const std::pair<const char*, std::function<void()>> entries[] = {
        {"DefectListPrintItem", [this] { DefectListPrintClick(); }},
        {"DefectListPdfItem", [this] { DefectListPdfClick(); }},
        {"DefectListPreviewItem", [this] { DefectListPreviewClick(); }},
    };
    const QString texts[] = {tr("打印(&P)"), tr("导出PDF(&E)…"), tr("打印预览(&V)…")};
    for (size_t i = 0; i < 3; ++i) {
        defectListActions_[i] = list->addAction(texts[i], this, entries[i].second);
        defectListActions_[i]->setObjectName(QString::fromLatin1(entries[i].first));
    }
    // The source may gain or lose its evaluation at any time: asked afresh
    // whenever the menu opens.
    connect(list, &QMenu::aboutToShow, this, [this] { syncDefectListActions(); });
    syncDefectListActions();
    layout->setMenuBar(menuBar);
}

void TReportForm::setDefectListSource(DefectListSource source, std::function<bool()> available) {
    defectListSource_ = std::move(source);
    defectListAvailable_ = std::move(available);
    syncDefectListActions();
}

void TReportForm::syncDefectListActions() {
    const bool available =
        defectListSource_ &&
        (defectListAvailable_ ? defectListAvailable_() : defectListSource_().has_value());
    const QString why =
        available ? QString()
                  : tr("缺陷汇总来自回波动态窗口计算的评定：请先在回波动态窗口中计算评定。");
    for (QAction* a : defectListActions_) {
        a->setEnabled(available);
        a->setToolTip(why);
    }
}

void TReportForm::buildPageView(QVBoxLayout* layout) {
    scroll_ = new PageView(this);
    scroll_->setObjectName(QStringLiteral("PageView"));
    page_ = new PageWidget(
        scroll_, [this](QPainter& p) { paintReportPage(p, fill_, screenPictures(), nullptr); });
    scroll_->setWidget(page_);
    layout->addWidget(scroll_);
}

void TReportForm::buildStatusLine(QVBoxLayout* layout) {
    // A short non-modal notice when a print could not be made.
    auto* statusBar = new QStatusBar(this);
    status_ = new QLabel(statusBar);
    status_->setObjectName(QStringLiteral("PrintStatus"));
    statusBar->addWidget(status_, 1);
    layout->addWidget(statusBar);
}

void TReportForm::buildRefreshTimer() {
    refreshTimer_ = new QTimer(this);
    refreshTimer_->setSingleShot(true);
    refreshTimer_->setInterval(1);
    // The instrument's window hides and shows itself once after its first
    // showing to repaint the fresh page; here the page repaints by itself,
    // so the one refresh only runs the showing's work again.
    connect(refreshTimer_, &QTimer::timeout, this, [this] { FormShow(); });
}

QWidget* TReportForm::newFieldWidget(const PageField& f) {
    if (f.kind == FieldKind::Label) {
        auto* label = new QLabel(page_);
        label->setAutoFillBackground(true);
        return label;
    }
    if (f.h > 25) {
        auto* edit = new QPlainTextEdit(page_);
        edit->setFrameShape(QFrame::NoFrame);
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        // The text runs over the cell's whole width, as on the page, so
        // the lines break where the page breaks them.
        edit->document()->setDocumentMargin(0);
        edit->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        if (f.kind == FieldKind::User)
            connect(edit, &QPlainTextEdit::textChanged, this, [this, f] { userFieldChanged(f); });
        return edit;
    }
    auto* edit = new QLineEdit(page_);
    edit->setFrame(false);
    edit->setTextMargins(0, 0, 0, 0);
    edit->setEnabled(std::string_view(f.name) != reportfield::kXValueBox);
    if (f.kind == FieldKind::User)
        connect(edit, &QLineEdit::textChanged, this, [this, f] { userFieldChanged(f); });
    return edit;
}

void TReportForm::buildFields() {
    for (const PageField& f : reportFields()) {
        QWidget* w = newFieldWidget(f);
        const QString name = QString::fromLatin1(f.name);
        w->setObjectName(name);
        w->setFont(reportFont(19));
        QPalette pal = w->palette();
        pal.setColor(QPalette::Base, Qt::white);
        pal.setColor(QPalette::Window, Qt::white);
        pal.setColor(QPalette::Text, Qt::black);
        pal.setColor(QPalette::WindowText, Qt::black);
        w->setPalette(pal);
        w->setGeometry(f.x, f.y, std::max(f.w, 1), f.h);
        fields_[name] = w;
    }
}

void TReportForm::FormCreate() {
    firstShow_ = true;
    resize(0, 0);
}

QWidget* TReportForm::field(const QString& name) const {
    auto it = fields_.find(name);
    return it == fields_.end() ? nullptr : it->second;
}

QString TReportForm::fieldText(const QString& name) const {
    const QWidget* w = field(name);
    if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->text();
    if (auto* e = qobject_cast<const QPlainTextEdit*>(w)) return e->toPlainText();
    if (auto* l = qobject_cast<const QLabel*>(w)) return l->text();
    return {};
}

QString TReportForm::statusText() const { return status_->text(); }

void TReportForm::refitField(const PageField& f) {
    QWidget* w = field(QString::fromLatin1(f.name));
    if (!w) return;
    // The editor shows the text in the font the page prints it in.
    const FieldFit fit = fitFieldText(f, fieldText(QString::fromLatin1(f.name)));
    if (w->font().pixelSize() != fit.pixelSize) w->setFont(reportFont(fit.pixelSize));
    QString caption = QString::fromLatin1(f.name);
    for (const UserCell& c : reportUserCells())
        if (std::string_view(c.field) == f.name)
            caption = QCoreApplication::translate("ReportPage", c.caption);
    const QString warning = tr("“%1”的文字放不下，打印时以“…”截断。").arg(caption);
    if (fit.cut)
        status_->setText(warning);
    else if (status_->text() == warning)
        status_->clear();
}

std::function<QString(const PageField&)> TReportForm::widgetTexts() const {
    return [this](const PageField& f) { return fieldText(QString::fromLatin1(f.name)); };
}

void TReportForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TReportForm::FormShow() {
    ++formShowCount_;
    scroll_->verticalScrollBar()->setValue(0);
    status_->clear();
    if (source_.panel && source_.readouts)
        fill_ = fillReportText(source_.panel(), source_.readouts());
    // Every program-filled field gets exactly its one line again.
    for (const auto& [name, text] : fill_.fields) {
        QWidget* w = field(name);
        if (auto* e = qobject_cast<QLineEdit*>(w)) {
            e->setText(text);
            e->setCursorPosition(0);
        } else if (auto* l = qobject_cast<QLabel*>(w)) {
            l->setText(text);
            l->adjustSize();
            l->resize(l->sizeHint().width(), w->height());
        }
    }
    showFlawCells();
    drawReportImages();
    page_->update();
    syncDefectListActions();
    // 806 px wide and 20 px short of the screen's height, frame included,
    // in the top-left corner of the screen.
    if (const QScreen* screen = this->screen()) {
        outer_->setOuterSize(QSize(806, screen->size().height() - 20));
        outer_->moveTo(QPoint(0, 0));
    }
    if (firstShow_) {
        refreshTimer_->start();
        firstShow_ = false;
    }
}

void TReportForm::drawReportImages() {
    leftRuler_ = QImage(kReportLeftRuler.size(), QImage::Format_RGB32);
    plot_ = QImage(kReportPlot.size(), QImage::Format_RGB32);
    bottomRuler_ = QImage(kReportBottomRuler.size(), QImage::Format_RGB32);
    if (!source_.pictures) {
        leftRuler_.fill(Qt::white);
        plot_.fill(Qt::white);
        bottomRuler_.fill(Qt::white);
        return;
    }
    const ReportPictures pictures = reportPictures(source_.pictures());
    // Amplitude ruler, sound-path ruler, plot: the plot rebuilds the curves.
    for (auto [image, draw] : {std::pair{&leftRuler_, &pictures.leftRuler},
                               {&bottomRuler_, &pictures.bottomRuler},
                               {&plot_, &pictures.plot}}) {
        QPainter painter(image);
        (*draw)(painter, image->width(), image->height());
    }
}

ReportPictures TReportForm::screenPictures() const {
    auto blit = [](const QImage& image) {
        return [&image](QPainter& p, int, int) { p.drawImage(0, 0, image); };
    };
    return {blit(leftRuler_), blit(plot_), blit(bottomRuler_)};
}

ReportPictures TReportForm::outputPictures() const {
    return source_.pictures ? reportPictures(source_.pictures()) : screenPictures();
}

QImage TReportForm::renderPage() const {
    QImage page(kPageWidth, kPageHeight, QImage::Format_RGB32);
    QPainter painter(&page);
    paintReportPage(painter, fill_, screenPictures(), widgetTexts());
    return page;
}

namespace {

// A4 portrait, page pixels counted from the paper's corner.
void setUpA4(QPrinter& printer, const QString& docName) {
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setFullPage(true);
    printer.setDocName(docName);
}

} // namespace

TReportForm::Document TReportForm::reportDocument() {
    Document d;
    d.paint = [this, pictures = outputPictures()](QPainter& painter, int) {
        paintReportPage(painter, fill_, pictures, widgetTexts());
        if (source_.origin) paintReportFoot(painter, source_.origin());
    };
    d.docName = QStringLiteral("Vantrel report");
    d.pdfTitle = reportPdfTitle();
    d.pdfName = source_.pdfName ? source_.pdfName() : QString();
    d.noPrinter = tr("没有默认打印机，报告未打印。\n\n"
                     "请在系统的打印机设置中添加一台打印机并设为默认，"
                     "或者把报告导出为PDF，以后再打印。");
    d.printerUnusable = tr("打印机“%1”无法使用，报告未打印。\n\n"
                           "请检查打印机是否开启并已连接，或者把报告导出为PDF，以后再打印。");
    d.exportPdf = [this] { ExportPdfClick(); };
    return d;
}

std::optional<TReportForm::Document> TReportForm::defectListDocument() {
    std::optional<DefectListInputs> inputs;
    if (defectListSource_) inputs = defectListSource_();
    syncDefectListActions();
    if (!inputs) {
        status_->setText(tr("没有缺陷汇总：回波动态窗口尚未计算评定。"));
        return std::nullopt;
    }
    auto list = std::make_shared<const DefectListDocument>(std::move(*inputs));
    Document d;
    d.pages = list->pageCount();
    d.paint = [list](QPainter& painter, int page) { list->paintPage(painter, page); };
    d.docName = QStringLiteral("Vantrel defect list");
    d.pdfName = defectListPdfName(list->inputs().recordingPath);
    d.pdfTitle = defectListPdfTitle(list->inputs().recordingPath);
    d.noPrinter = tr("没有默认打印机，缺陷汇总未打印。\n\n"
                     "请在系统的打印机设置中添加一台打印机并设为默认，"
                     "或者把缺陷汇总导出为PDF，以后再打印。");
    d.printerUnusable = tr("打印机“%1”无法使用，缺陷汇总未打印。\n\n"
                           "请检查打印机是否开启并已连接，或者把缺陷汇总导出为PDF，以后再打印。");
    d.exportPdf = [this] { DefectListPdfClick(); };
    return d;
}

void TReportForm::PrintButtonClick() {
    status_->clear();
    printDocument(reportDocument());
}

void TReportForm::DefectListPrintClick() {
    status_->clear();
    if (const std::optional<Document> d = defectListDocument()) printDocument(*d);
}

void TReportForm::printDocument(const Document& document) {
    const QPrinterInfo printerInfo = QPrinterInfo::defaultPrinter();
    if (printerInfo.isNull()) {
        status_->setText(tr("未打印：没有默认打印机。"));
        offerPdfInstead(document.noPrinter, document.exportPdf);
        return;
    }
    QPrinter printer(printerInfo, QPrinter::HighResolution);
    setUpA4(printer, document.docName);
    printer.setCopyCount(1);
    if (!paintOnPrinter(printer, document)) {
        status_->setText(tr("未打印：打印机“%1”无法使用。").arg(printerInfo.printerName()));
        offerPdfInstead(document.printerUnusable.arg(printerInfo.printerName()),
                        document.exportPdf);
    }
}

void TReportForm::offerPdfInstead(const QString& text, const std::function<void()>& exportPdf) {
    // The box says why and what to do; its first button is the PDF export,
    // so the typed report is not lost for want of a printer.
    QMessageBox* box =
        makeMessageBox(this, QStringLiteral("NoPrinterMessage"), QMessageBox::Warning, tr("打印"),
                       text, QMessageBox::NoButton);
    QPushButton* pdf = box->addButton(tr("导出PDF…"), QMessageBox::AcceptRole);
    pdf->setObjectName(QStringLiteral("NoPrinterExportPdf"));
    box->addButton(tr("关闭"), QMessageBox::RejectRole);
    connect(pdf, &QPushButton::clicked, this, [this, exportPdf] {
        QMetaObject::invokeMethod(this, exportPdf, Qt::QueuedConnection);
    });
    box->open();
}

bool TReportForm::paintOnPrinter(QPrinter& printer, const Document& document, bool preview) const {
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    // The preview shows the page at any zoom: every line at least one screen
    // pixel wide there, while the sheet keeps its page-pixel lines.
    std::optional<DevicePixelLines> lines;
    if (preview) lines.emplace(painter);
    // Page pixels to printer dots: one page pixel is 25.4/96 mm on paper at
    // any printer resolution. Cells and plot lines are filled page-pixel
    // rectangles and the texts vector glyphs, so the page prints crisp; the
    // pictures are drawn again for the printer rather than sent as bitmaps,
    // which print output would compress as JPEG.
    const double scale = printer.resolution() / 96.0;
    painter.scale(scale, scale);
    for (int k = 0; k < document.pages; ++k) {
        if (k > 0 && !printer.newPage()) return false;
        document.paint(painter, k);
    }
    return painter.end();
}

void TReportForm::ExportPdfClick() {
    status_->clear();
    exportDocument(reportDocument());
}

void TReportForm::DefectListPdfClick() {
    status_->clear();
    if (const std::optional<Document> d = defectListDocument()) exportDocument(*d);
}

void TReportForm::exportDocument(const Document& document) {
    const std::optional<QString> path = choosePdfPath(document.pdfName);
    if (!path) return;
    const bool written = writeReportPdf(*path, document.pages, document.paint,
                                        QStringLiteral("Vantrel"), document.pdfTitle);
    status_->setText(written ? tr("已导出PDF：%1").arg(*path)
                             : tr("未导出：无法写入“%1”。").arg(*path));
}

void TReportForm::PrintPreviewClick() {
    status_->clear();
    previewDocument(reportDocument());
}

void TReportForm::DefectListPreviewClick() {
    status_->clear();
    if (const std::optional<Document> d = defectListDocument()) previewDocument(*d);
}

void TReportForm::previewDocument(const Document& document) {
    // The printer's settings, without needing one: the preview paints into
    // a picture of an A4 page at the printer resolution.
    QPrinter printer(QPrinter::HighResolution);
    setUpA4(printer, document.docName);
    QPrintPreviewDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("PrintPreview"));
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            [this, &document](QPrinter* p) { paintOnPrinter(*p, document, true); });
    showPreview(dialog);
}

} // namespace vantrel
