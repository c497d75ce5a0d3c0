// The report: its fill rules on the examples of the instrument's manual, the
// window's refill rule, the pictures' ruler positions and a few geometry
// probes on the rendered page.
#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <unistd.h>

#include <optional>

#include "pictures/frame_render.h"
#include "poppler.h"
#include "preview_pages.h"
#include "recordfile/gbk_text.h"
#include "report_form_peer.h"
#include "report_page/report_page.h"
#include "report_window/report_form.h"

using namespace vantrel;
using vantrel::testing::poppler;

namespace {

std::string gbk(const char* utf8) { return *utf8ToGbk(utf8); }

ReadoutTexts readouts(const char* a, const char* b, const char* c, const char* d) {
    return {gbk(a), gbk(b), gbk(c), gbk(d)};
}

PanelTexts panel() {
    PanelTexts p;
    p.probeType = gbk("斜探头");
    p.crystalSize = "13x13";
    p.reject = "10";
    p.echoKAngle = "2.0";
    p.probeAngle = "63.4";
    p.probeFront = "10.0";
    p.probeFrequency = "2.50";
    p.probeZero = "1.25";
    p.echoSpeed = "3240.00";
    p.echoDelay = "0.0";
    p.echoRange = "100.0 mm(s)";
    p.baseGain = "40.0";
    p.scanGain = "6.0";
    p.compGain = "2.0";
    return p;
}

QString field(const ReportFill& f, const char* name) {
    const auto it = f.fields.find(QString::fromLatin1(name));
    return it == f.fields.end() ? QStringLiteral("<none>") : it->second;
}

const QRgb kBlack = qRgb(0, 0, 0), kWhite = qRgb(255, 255, 255);
QRgb at(const QImage& image, int x, int y) { return image.pixel(x, y) | 0xFF000000u; }

// A page of a sawtooth frame with all-zero parameters and short readouts, as
// the print tests paint it. It stays where it is made: the pictures point
// into its frame and curves.
struct SamplePage {
    std::vector<uint8_t> frame = [] {
        std::vector<uint8_t> f(kFrameSize, 0);
        for (int k = 0; k < kSamplesPerFrame; ++k)
            f[static_cast<size_t>(k)] = static_cast<uint8_t>(k * 37 % 180);
        return f;
    }();
    InstrumentParams params;
    CurveSet curves = buildCurveSet(params);
    ReportPictures pictures =
        reportPictures({frame, frame.data() + kFrameEnvelopeOffset, &params, &curves, {}});
    ReportFill fill = fillReportText(panel(), readouts("↘1", "→2", "↓3", "∧4"));
    SamplePage() = default;
    SamplePage(const SamplePage&) = delete;
    SamplePage& operator=(const SamplePage&) = delete;
};

} // namespace

TEST(ReportFill, ParameterFieldsTakeFixedSuffixes) {
    const ReportFill f = fillReportText(panel(), readouts("↘125.0", "→88.4", "↓88.4", "∧45.3 %"));
    const std::pair<const char*, const char*> expected[] = {
        {"QRRichType", "斜探头"},        {"QRRichCrystal", "13x13mm"},
        {"QRRichReject", "10 %"},        {"QRRichKValue", "2.0"},
        {"QRRichRefraction", "63.4度 "}, {"QRRichFront", "10.0mm"},
        {"QRRichFrequency", "2.50MHz"},  {"QRRichZero", "1.25us"},
        {"QRRichSpeed", "3240.00m/s"},   {"QRRichDelay", "0.0mm"},
        {"QRRichRange", "100.0 mm(s)"},  {"QRRichGain", "40.0+6.0+2.0dB"},
    };
    for (auto [name, text] : expected)
        EXPECT_EQ(field(f, name), QString::fromUtf8(text)) << name;
    // A negative scan gain and inch figures keep the fixed suffixes.
    PanelTexts inch = panel();
    inch.scanGain = "-2.0";
    inch.probeFront = "0.4";
    inch.echoSpeed = "32.40";
    inch.echoDelay = "0.000";
    const ReportFill g = fillReportText(inch, readouts("", "", "", ""));
    EXPECT_EQ(field(g, "QRRichGain"), "40.0+-2.0+2.0dB");
    EXPECT_EQ(field(g, "QRRichFront"), "0.4mm");
    EXPECT_EQ(field(g, "QRRichSpeed"), "32.40m/s");
    EXPECT_EQ(field(g, "QRRichDelay"), "0.000mm");
}

TEST(ReportFill, DefectRows) {
    struct Case {
        const char* name;
        ReadoutTexts readouts;
        bool twoGate;
        std::array<const char*, 4> captions;
        std::array<const char*, 4> rows; // distance, x value, y value, equivalent
    } cases[] = {
        {"one gate",
         readouts("↘125.0", "→88.4", "↓88.4", "∧45.3 %"),
         false,
         {"距离", "水平", "垂直", "当量"},
         {"125.0", "88.4", "88.4", "∧45.3 %"}},
        {"two gates",
         readouts("A:↓ 12.3", "RL  +2.0", "B:↓ 30.5", "RL  -4.1"),
         true,
         {"A定位", "A当量", "B定位", "B当量"},
         {" 12.3", "RL  +2.0", " 30.5", "RL  -4.1"}},
        {"a longer readout is copied in full",
         readouts("↘950.0", "→1000.5", "↓3.0", "∧1.0 %"),
         false,
         {"距离", "水平", "垂直", "当量"},
         {"950.0", "1000.5", "3.0", "∧1.0 %"}},
        {"texts shorter than the cut",
         readouts("", "→", "↓", ""),
         false,
         {"距离", "水平", "垂直", "当量"},
         {"", "", "", ""}},
        {"a two-gate marker alone",
         readouts("A:↓", "", "B:", ""),
         true,
         {"A定位", "A当量", "B定位", "B当量"},
         {"", "", "", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ReportFill f = fillReportText(panel(), c.readouts);
        EXPECT_EQ(f.twoGate, c.twoGate);
        for (size_t i = 0; i < 4; ++i)
            EXPECT_EQ(f.defectCaptions[i], QString::fromUtf8(c.captions[i]));
        EXPECT_EQ(field(f, "QRRichDistance"), QString::fromUtf8(c.rows[0]));
        EXPECT_EQ(field(f, "QRLabelXValue"), QString::fromUtf8(c.rows[1]));
        EXPECT_EQ(field(f, "QRRichYValue"), QString::fromUtf8(c.rows[2]));
        EXPECT_EQ(field(f, "QRLabelEquivalent"), QString::fromUtf8(c.rows[3]));
    }
}

TEST(ReportPictures, RulerLabelPositions) {
    QImage left(kReportLeftRuler.size(), QImage::Format_RGB32);
    drawAmplitudeRuler(left, kReportPlot.height(), PlotColours::print());
    // Label tops on the plot's grid lines: 0, 51, 102, 154, 205, 257.
    std::vector<int> tops;
    bool inLabel = false;
    for (int y = 0; y < left.height(); ++y) {
        bool ink = false;
        for (int x = 0; x < left.width(); ++x)
            ink |= at(left, x, y) == kBlack;
        if (ink && !inLabel) tops.push_back(y);
        inLabel = ink;
    }
    ASSERT_EQ(tops.size(), 6u);
    const int expected[6] = {0, 51, 102, 154, 205, 257};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_GE(tops[i], expected[i]) << i;
        EXPECT_LE(tops[i], expected[i] + 4) << i; // the glyphs' own top bearing
    }
    QImage bottom(kReportBottomRuler.size(), QImage::Format_RGB32);
    const std::array<std::string, 6> labels = {"0.0 ",  "20.0 ", "40.0 ",
                                               "60.0 ", "80.0 ", "100.0 "};
    drawPathRuler(bottom, labels, PlotColours::print());
    std::vector<int> starts;
    int lastInk = -10;
    for (int x = 0; x < bottom.width(); ++x) {
        bool ink = false;
        for (int y = 0; y < bottom.height(); ++y)
            ink |= at(bottom, x, y) == kBlack;
        if (ink && x - lastInk > 6) starts.push_back(x);
        if (ink) lastInk = x;
    }
    ASSERT_EQ(starts.size(), 6u);
    const int xs[6] = {0, 42, 100, 158, 216, 256};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_GE(starts[i], xs[i]) << i;
        EXPECT_LE(starts[i], xs[i] + 3) << i;
    }
}

TEST(ReportPictures, PlotDifferences) {
    std::vector<uint8_t> frame(kFrameSize, 0);
    InstrumentParams p; // all zero: no curves; gate A flat at level 0
    const CurveSet curves = buildCurveSet(p);
    std::vector<uint8_t> envelope(kFrameTailSize, 0);
    QImage plot(kReportPlot.size(), QImage::Format_RGB32);
    QPainter painter(&plot);
    drawReportPlot(painter, plot.width(), plot.height(), frame, envelope.data(), p, curves);
    painter.end();
    // A frame of zeros lies on row 257, out of sight: border and grid only.
    EXPECT_EQ(at(plot, 0, 0), kBlack);
    EXPECT_EQ(at(plot, 288, 256), kBlack);
    EXPECT_EQ(at(plot, 100, 256), kBlack); // border
    EXPECT_EQ(at(plot, 100, 255), kWhite);
    EXPECT_EQ(at(plot, 20, 257 / 5), kBlack);
    EXPECT_EQ(at(plot, 21, 257 / 5), kWhite); // dotted
}

// The page as a printer gets it, here at three device pixels a page pixel
// (288 dpi): every border and plot line covers the scaled squares of the
// 96-dpi page, one page pixel wide, and the grid keeps its separate dots.
// Column 41, inside the frame and left of every text, crosses only the
// horizontal borders; the plot holds no text.
TEST(ReportPage, PrintedLinesCoverThePagesPixels) {
    const SamplePage sample;
    const ReportPictures& pictures = sample.pictures;
    const ReportFill& fill = sample.fill;
    auto paint = [&](int scale) {
        QImage page(kPageWidth * scale, kPageHeight * scale, QImage::Format_RGB32);
        QPainter painter(&page);
        painter.scale(scale, scale);
        paintReportPage(painter, fill, pictures, nullptr);
        return page;
    };
    const QImage fine = paint(3);
    const QImage scaled =
        paint(1).scaled(fine.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    const QRect column(41 * 3, 0, 3, fine.height());
    EXPECT_EQ(fine.copy(column), scaled.copy(column));
    const QRect plot(kReportPlot.topLeft() * 3, kReportPlot.size() * 3);
    EXPECT_EQ(fine.copy(plot), scaled.copy(plot));
    // The outer frame and the title cell lie side by side: one band of two
    // page pixels, not two lines.
    for (int y = 47 * 3; y < 51 * 3; ++y)
        EXPECT_EQ(at(fine, 400 * 3, y), y >= 48 * 3 && y < 50 * 3 ? kBlack : kWhite) << y;
}

// The print preview at a low zoom: with DevicePixelLines every border and
// plot line of the page keeps at least one device pixel, where the bands
// alone leave most of them out; at a printer's scale the page is the same
// pixel for pixel with or without it.
TEST(ReportPage, PreviewKeepsEveryLine) {
    const SamplePage sample;
    const ReportPictures& pictures = sample.pictures;
    const ReportFill& fill = sample.fill;
    auto paint = [&](double scale, bool devicePixels) {
        QImage page(static_cast<int>(kPageWidth * scale), static_cast<int>(kPageHeight * scale),
                    QImage::Format_RGB32);
        QPainter painter(&page);
        painter.scale(scale, scale);
        std::optional<DevicePixelLines> lines;
        if (devicePixels) lines.emplace(painter);
        paintReportPage(painter, fill, pictures, nullptr);
        return page;
    };
    EXPECT_EQ(paint(3, true), paint(3, false));
    // At 38.8 %, smoothly as the preview paints: down pixel column 16 (page
    // x 41 to 44, inside the frame and left of every text) the page's
    // horizontal borders cross. A band alone covers 39 % of a pixel there,
    // a faint grey; with its stroke each border adds a whole pixel of ink.
    const double zoom = 0.388;
    int64_t ink[2] = {0, 0};
    for (const bool devicePixels : {false, true}) {
        QImage small(static_cast<int>(kPageWidth * zoom), static_cast<int>(kPageHeight * zoom),
                     QImage::Format_RGB32);
        QPainter painter(&small);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(zoom, zoom);
        std::optional<DevicePixelLines> lines;
        if (devicePixels) lines.emplace(painter);
        paintReportPage(painter, fill, pictures, nullptr);
        painter.end();
        for (int y = 0; y < small.height(); ++y)
            ink[devicePixels] += 255 - qGray(small.pixel(16, y));
    }
    EXPECT_GE(ink[1], 2 * ink[0]) << ink[0] << " " << ink[1];
    EXPECT_GE(ink[1], 8 * 255); // the borders that cross the column, a pixel each
}

class ReportFormTest : public ::testing::Test {
protected:
    PanelTexts panel_ = panel();
    ReadoutTexts readouts_ = readouts("↘125.0", "→88.4", "↓88.4", "∧45.3 %");
    std::vector<uint8_t> frame_ = std::vector<uint8_t>(kFrameSize, 0);
    InstrumentParams params_;
    CurveSet curves_;
    TReportForm form;
    void SetUp() override {
        form.setSource(
            {.panel = [this] { return panel_; },
             .readouts = [this] { return readouts_; },
             .pictures =
                 [this] {
                     return ReportPlotInputs{
                         frame_, frame_.data() + kFrameTailOffset, &params_, &curves_, {}};
                 },
             .pdfName = [] { return reportPdfName(QStringLiteral("/data/weld 7.DAT"), 190, 3); },
             .origin =
                 [] {
                     return PageOrigin{.fileName = "weld 7.DAT",
                                       .record = 190,
                                       .frame = 3,
                                       .note = QString::fromUtf8("缺陷2"),
                                       .date = QDate(2026, 12, 10)};
                 }});
    }
    QString text(const char* name) { return form.fieldText(QString::fromLatin1(name)); }
    void showAndClose() {
        form.show();
        QCoreApplication::processEvents();
        form.hide();
    }
};

TEST_F(ReportFormTest, UserTextStaysProgramFieldsAreRefilled) {
    showAndClose();
    EXPECT_EQ(text("QRRichType"), QString::fromUtf8("斜探头"));
    qobject_cast<QLineEdit*>(form.field("QRRichText1"))->setText(QString::fromUtf8("华东检测站"));
    qobject_cast<QLineEdit*>(form.field("QRRichType"))->setText(QString::fromUtf8("直探头?"));
    qobject_cast<QPlainTextEdit*>(form.field("QRRichText29"))->setPlainText("line 1\nline 2");
    readouts_ = readouts("A:↓ 12.3", "RL  +2.0", "B:↓ 30.5", "RL  -4.1");
    showAndClose();
    EXPECT_EQ(text("QRRichText1"), QString::fromUtf8("华东检测站"));
    EXPECT_EQ(text("QRRichText29"), "line 1\nline 2");
    EXPECT_EQ(text("QRRichType"), QString::fromUtf8("斜探头"));
    EXPECT_EQ(text("QRRichDistance"), " 12.3");
    EXPECT_EQ(text("QRLabelXValue"), "RL  +2.0");
    EXPECT_TRUE(form.fill().twoGate);
    EXPECT_EQ(form.windowTitle(), "ReportForm");
}

TEST_F(ReportFormTest, TheFirstShowingRefreshesOnce) {
    form.show();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(ReportFormTestPeer::formShowCount(form), 2);
    form.hide();
    form.show();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(ReportFormTestPeer::formShowCount(form), 3);
    form.hide();
}

TEST_F(ReportFormTest, PageGeometry) {
    showAndClose();
    qobject_cast<QLineEdit*>(form.field("QRRichText1"))->setText("X");
    const QImage page = ReportFormTestPeer::renderPage(form);
    ASSERT_EQ(page.size(), QSize(794, 1123));
    // The outer frame and the title cell.
    EXPECT_EQ(at(page, 39, 48), kBlack);
    EXPECT_EQ(at(page, 753, 1081), kBlack);
    EXPECT_EQ(at(page, 38, 48), kWhite);
    EXPECT_EQ(at(page, 40, 49), kBlack);
    EXPECT_EQ(at(page, 300, 103), kBlack);
    // Rows every 40 px share their borders; the gap between is white.
    for (int y : {144, 184, 224, 504, 744, 784})
        EXPECT_EQ(at(page, 150, y), kBlack) << y;
    EXPECT_EQ(at(page, 200, 150), kWhite);
    // The zero-width cells at x = 256 and the head columns.
    EXPECT_EQ(at(page, 256, 400), kBlack);
    EXPECT_EQ(at(page, 72, 300), kBlack);
    EXPECT_EQ(at(page, 104, 600), kBlack);
    // One gate: the location head ends at 624 and the size head starts there.
    EXPECT_EQ(at(page, 90, 624), kBlack);
    // The plot's border at (80, 792) .. (368, 1048).
    EXPECT_EQ(at(page, 80, 792), kBlack);
    EXPECT_EQ(at(page, 368, 1048), kBlack);
    // The user's text is on the page.
    bool ink = false;
    for (int x = 184; x < 200; ++x)
        for (int y = 112; y < 137; ++y)
            ink |= at(page, x, y) == kBlack;
    EXPECT_TRUE(ink);

    // Two gates: the location head covers the first of the size head's rows.
    readouts_ = readouts("A:↓ 12.3", "RL  +2.0", "B:↓ 30.5", "RL  -4.1");
    showAndClose();
    const QImage two = ReportFormTestPeer::renderPage(form);
    EXPECT_EQ(at(two, 90, 624), kWhite);
    EXPECT_EQ(at(two, 90, 664), kBlack);
}

TEST_F(ReportFormTest, WindowAndPageView) {
    // 806 px wide and 20 px short of the screen, frame included (the
    // offscreen platform draws a 2 px frame), in the top-left corner.
    form.show();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    const int screenHeight = form.screen()->size().height();
    EXPECT_EQ(form.frameGeometry(), QRect(0, 0, 806, screenHeight - 20));

    // The view scrolls vertically only, and the whole page width is in view
    // beside the vertical bar, at one screen pixel per page pixel.
    auto* view = form.findChild<QScrollArea*>("PageView");
    ASSERT_TRUE(view);
    EXPECT_EQ(view->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_FALSE(view->horizontalScrollBar()->isVisible());
    EXPECT_TRUE(view->verticalScrollBar()->isVisible());
    EXPECT_GE(view->viewport()->width(), kPageWidth);
    EXPECT_EQ(view->widget()->size(), QSize(kPageWidth, kPageHeight));
    EXPECT_EQ(view->widget()->x(), 0);

    // Scrolled down, the next showing starts at the top again.
    view->verticalScrollBar()->setValue(300);
    EXPECT_EQ(view->widget()->y(), -300);
    form.hide();
    form.show();
    EXPECT_EQ(view->widget()->y(), 0);
    form.hide();
}

TEST_F(ReportFormTest, NoPrinterPrintsNothingAndSaysSo) {
    showAndClose();
    qobject_cast<QLineEdit*>(form.field("QRRichText2"))->setText("kept");
    const QImage before = ReportFormTestPeer::renderPage(form);
    form.PrintButtonClick();
    EXPECT_TRUE(form.statusText().startsWith(QString::fromUtf8("未打印")))
        << form.statusText().toStdString();
    EXPECT_EQ(ReportFormTestPeer::renderPage(form), before);
    EXPECT_EQ(text("QRRichText2"), "kept");
    // A message says what to do and offers the PDF export instead.
    auto* box = form.findChild<QMessageBox*>("NoPrinterMessage");
    ASSERT_TRUE(box);
    EXPECT_TRUE(box->text().startsWith(QString::fromUtf8("没有默认打印机")))
        << box->text().toStdString();
    EXPECT_TRUE(box->text().contains(QString::fromUtf8("导出为PDF")));
    std::optional<QString> offered;
    form.choosePdfPath = [&](const QString& s) -> std::optional<QString> {
        offered = s;
        return std::nullopt;
    };
    box->findChild<QPushButton*>("NoPrinterExportPdf")->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(offered, "/data/weld 7_190_3.pdf");
}

// Every blank cell has exactly one name.
TEST(ReportPage, UserCellsByCaption) {
    std::map<std::string, int> named;
    for (const UserCell& c : reportUserCells())
        ++named[c.field];
    for (const PageField& f : reportFields()) {
        if (f.kind != FieldKind::User) {
            EXPECT_EQ(named.count(f.name), 0u) << f.name << " is not the user's";
            continue;
        }
        EXPECT_EQ(named[f.name], 1) << f.name;
    }
}

TEST(ReportPdf, SuggestedNames) {
    EXPECT_EQ(reportPdfName("/data/weld 7.DAT", 190, 3), "/data/weld 7_190_3.pdf");
    EXPECT_EQ(reportPdfName("/data/a.b.dat", 0, 0), "/data/a.b_0_0.pdf");
    EXPECT_EQ(reportPdfName("/data/weld.DAT", -1, -1), "/data/weld.pdf");
}

// The exported PDF: one A4 page of its own title, fonts embedded, the texts
// searchable, the user's typing on it, a remark the cell cuts printed whole
// below the cells; a folder that cannot be written says so and leaves no
// file.
TEST_F(ReportFormTest, ExportPdf) {
    if (!poppler("pdfinfo", {"-v"}) && !poppler("pdftotext", {"-v"}))
        GTEST_SKIP() << "poppler-utils is missing";
    showAndClose();
    qobject_cast<QLineEdit*>(form.field("QRRichText1"))->setText("Probe Lab 7");
    const QString remark = QString::fromUtf8("根部未熔合，复检确认。").repeated(12);
    qobject_cast<QPlainTextEdit*>(form.field("QRRichText29"))->setPlainText(remark);
    const QString dir = QDir::tempPath() + QStringLiteral("/vantrel-pdf-%1").arg(getpid());
    QDir().mkpath(dir);
    const QString out = dir + "/page.pdf";
    QString suggested;
    form.choosePdfPath = [&](const QString& s) -> std::optional<QString> {
        suggested = s;
        return out;
    };
    form.ExportPdfClick();
    EXPECT_EQ(suggested, "/data/weld 7_190_3.pdf");
    EXPECT_TRUE(form.statusText().startsWith(QString::fromUtf8("已导出PDF")))
        << form.statusText().toStdString();
    ASSERT_TRUE(QFile::exists(out));

    const std::optional<QString> info = poppler("pdfinfo", {out});
    ASSERT_TRUE(info);
    EXPECT_TRUE(info->contains(QRegularExpression("Pages:\\s+1\\n"))) << info->toStdString();
    EXPECT_TRUE(info->contains("(A4)")) << info->toStdString();
    EXPECT_TRUE(info->contains(QRegularExpression("Title:\\s+Vantrel inspection report\\n")))
        << info->toStdString();
    const std::optional<QString> fonts = poppler("pdffonts", {out});
    ASSERT_TRUE(fonts);
    const QStringList rows = fonts->split('\n', Qt::SkipEmptyParts).mid(2);
    EXPECT_FALSE(rows.isEmpty());
    for (const QString& row : rows) {
        // name type encoding emb sub uni object ID
        const QStringList cols = row.split(' ', Qt::SkipEmptyParts);
        ASSERT_GE(cols.size(), 7) << row.toStdString();
        EXPECT_EQ(cols[cols.size() - 5], "yes") << "not embedded: " << row.toStdString();
    }
    const std::optional<QString> words = poppler("pdftotext", {out, "-"});
    ASSERT_TRUE(words);
    for (const char* want : {"数字式超声波探伤仪探伤报告", "Probe Lab 7", "斜探头", "3240.00"})
        EXPECT_TRUE(words->contains(QString::fromUtf8(want))) << want;
    EXPECT_EQ(words->count(QString::fromUtf8("…")), 1) << words->toStdString();
    EXPECT_TRUE(QString(*words).remove('\n').contains(
        QString::fromUtf8("表中未能印全的文字备注：") + remark))
        << words->toStdString();
    // The foot line under the form: where the page comes from.
    EXPECT_TRUE(
        words->contains(QString::fromUtf8("weld 7.DAT · 记录 190:3 · 缺陷2 · 打印于 2026-12-10")))
        << words->toStdString();

    // A folder that does not exist, and a "folder" that is a file.
    const QImage before = ReportFormTestPeer::renderPage(form);
    for (const QString& bad : {dir + "/missing/page.pdf", out + "/page.pdf"}) {
        form.choosePdfPath = [&](const QString&) -> std::optional<QString> { return bad; };
        form.ExportPdfClick();
        EXPECT_TRUE(form.statusText().startsWith(QString::fromUtf8("未导出")))
            << form.statusText().toStdString();
        EXPECT_FALSE(QFile::exists(bad));
    }
    EXPECT_EQ(ReportFormTestPeer::renderPage(form), before);
    EXPECT_EQ(text("QRRichText1"), "Probe Lab 7");
    // Cancelling the dialog does nothing.
    form.choosePdfPath = [](const QString&) -> std::optional<QString> { return std::nullopt; };
    form.ExportPdfClick();
    EXPECT_TRUE(form.statusText().isEmpty());
    QDir(dir).removeRecursively();
}

// Typed text that does not fit its cell: the editor shrinks it as the page
// does, the page prints the lines the editor shows, and what does not fit
// even in the smallest font is cut with an ellipsis and a warning, and
// printed whole below the cells.
TEST_F(ReportFormTest, TypedTextIsNeverCutSilently) {
    if (!poppler("pdftotext", {"-v"})) GTEST_SKIP() << "poppler-utils is missing";
    form.show(); // the editors lay out the lines they show
    auto* number = qobject_cast<QLineEdit*>(form.field("QRRichText4")); // 报告编号, 127 px
    auto* remarks = qobject_cast<QPlainTextEdit*>(form.field("QRRichText29")); // 备注
    ASSERT_TRUE(number && remarks);
    const PageField& numberCell =
        *std::find_if(reportFields().begin(), reportFields().end(),
                      [](const PageField& f) { return f.name == std::string("QRRichText4"); });
    const PageField& remarksCell =
        *std::find_if(reportFields().begin(), reportFields().end(),
                      [](const PageField& f) { return f.name == std::string("QRRichText29"); });

    number->setText("R-7");
    EXPECT_EQ(number->font().pixelSize(), kFieldPixelSize);
    number->setText("UT-2026-1210-042");
    EXPECT_LT(number->font().pixelSize(), kFieldPixelSize);
    EXPECT_GE(number->font().pixelSize(), kFieldMinPixelSize);
    EXPECT_FALSE(fitFieldText(numberCell, number->text()).cut);
    EXPECT_TRUE(form.statusText().isEmpty());

    // Four lines of remarks in a cell of two 19 px lines: a smaller font,
    // and the lines the editor lays out are the page's.
    auto editorLines = [&] {
        // The lines as the editor lays them out at its width (it does so
        // for a block when it first shows it).
        auto* layout =
            qobject_cast<QPlainTextDocumentLayout*>(remarks->document()->documentLayout());
        QStringList shown;
        for (QTextBlock b = remarks->document()->begin(); b.isValid(); b = b.next()) {
            layout->ensureBlockLayout(b);
            for (int i = 0; b.layout() && i < b.layout()->lineCount(); ++i)
                shown << b.text().mid(b.layout()->lineAt(i).textStart(),
                                      b.layout()->lineAt(i).textLength());
        }
        return shown;
    };
    remarks->setPlainText("1 root 2 mm\n2 cap ok\n3 toe 4 mm, see the sheet of the weld map");
    remarks->repaint();
    const FieldFit fit = fitFieldText(remarksCell, remarks->toPlainText());
    EXPECT_FALSE(fit.cut);
    EXPECT_GT(fit.lines.size(), 3); // the third line wraps
    EXPECT_EQ(remarks->font().pixelSize(), fit.pixelSize);
    EXPECT_EQ(editorLines(), fit.lines);
    const QString dir = QDir::tempPath() + QStringLiteral("/vantrel-fit-%1").arg(getpid());
    QDir().mkpath(dir);
    const QString out = dir + "/page.pdf";
    form.choosePdfPath = [&](const QString&) -> std::optional<QString> { return out; };
    auto pdfText = [&] {
        form.ExportPdfClick();
        return poppler("pdftotext", {out, "-"}).value_or(QString());
    };
    QString text = pdfText();
    EXPECT_TRUE(text.contains("UT-2026-1210-042")) << text.toStdString();
    for (const QString& line : fit.lines)
        EXPECT_TRUE(text.contains(line.trimmed())) << line.toStdString();

    // Too long even at 12 px: cut with an ellipsis, and said so.
    const QString longNumber = "UT-2026-1210-042-WELD-A3-ROOT-PASS-SECOND-INSPECTION";
    number->setText(longNumber);
    const FieldFit cut = fitFieldText(numberCell, longNumber);
    EXPECT_TRUE(cut.cut);
    EXPECT_EQ(number->font().pixelSize(), kFieldMinPixelSize);
    EXPECT_EQ(form.statusText(), QString::fromUtf8("“报告编号”的文字放不下，打印时以“…”截断。"));
    EXPECT_TRUE(cut.lines.first().endsWith(QString::fromUtf8("…")));
    text = pdfText();
    EXPECT_TRUE(text.contains(cut.lines.first())) << text.toStdString();
    // Shortened again, the warning goes.
    number->setText("R-8");
    EXPECT_FALSE(form.statusText().contains(QString::fromUtf8("报告编号")));

    // Six lines of remarks do not fit even at 10 px: the page prints the
    // lines the editor shows at the top, the last with an ellipsis.
    remarks->setPlainText("1 root 2 mm\n2 cap ok\n3 toe 4 mm\n4 none\n5 see sheet 2\n6 end");
    remarks->repaint();
    const FieldFit six = fitFieldText(remarksCell, remarks->toPlainText());
    EXPECT_TRUE(six.cut);
    EXPECT_EQ(remarks->font().pixelSize(), kFieldMinPixelSize);
    EXPECT_EQ(form.statusText(), QString::fromUtf8("“备注”的文字放不下，打印时以“…”截断。"));
    const QStringList shownSix = editorLines();
    ASSERT_GE(shownSix.size(), six.lines.size());
    for (qsizetype i = 0; i + 1 < six.lines.size(); ++i)
        EXPECT_EQ(six.lines[i], shownSix[i]);
    EXPECT_EQ(six.lines.last(), shownSix[six.lines.size() - 1] + QString::fromUtf8("…"));
    text = pdfText();
    for (const QString& line : six.lines)
        EXPECT_TRUE(text.contains(line)) << line.toStdString();
    const qsizetype below =
        text.indexOf(QString::fromUtf8("表中未能印全的文字\n备注：1 root 2 mm\n"));
    ASSERT_GE(below, 0) << text.toStdString();
    EXPECT_EQ(text.count("6 end"), 1);
    EXPECT_GT(text.indexOf("6 end"), below);
    form.hide();
    QDir(dir).removeRecursively();
}

// The preview shows the one page the printer would get.
TEST_F(ReportFormTest, PrintPreviewShowsThePage) {
    showAndClose();
    int pages = -1;
    form.showPreview = vantrel::testing::countPreviewPages(pages);
    form.PrintPreviewClick();
    EXPECT_EQ(pages, 1);
}
