// The defect list's pages: cells that never overflow and never lose text,
// the rows over as many pages as they take with the table's head on each and
// a foot line naming the recording, the travel line; and the report
// window's menu for the list, with a source of the test's own.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

#include <unistd.h>

#include <algorithm>
#include <optional>

#include "poppler.h"
#include "preview_pages.h"
#include "report_page/defect_list_page.h"
#include "report_window/report_form.h"

using namespace vantrel;
using vantrel::testing::poppler;

namespace {

bool havePoppler() { return poppler("pdftotext", {"-v"}) && poppler("pdfinfo", {"-v"}); }

int pdfPages(const QString& pdf) {
    const QRegularExpressionMatch m =
        QRegularExpression("Pages:\\s+(\\d+)").match(poppler("pdfinfo", {pdf}).value_or(""));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}
QString pdfPageText(const QString& pdf, int page) {
    return poppler("pdftotext",
                   {"-f", QString::number(page), "-l", QString::number(page), pdf, "-"})
        .value_or(QString());
}

QString tempDir(const char* name) {
    const QString dir = QDir::tempPath() + QStringLiteral("/vantrel-%1-%2").arg(name).arg(getpid());
    QDir().mkpath(dir);
    return dir;
}

// Row k of a made-up list: places that tell the rows apart.
DefectRow row(size_t k) {
    DefectRow r;
    r.indication = k;
    r.number = std::to_string(k + 1);
    r.span = std::to_string(100 + k) + ":0–" + std::to_string(100 + k) + ":9";
    r.peak = std::to_string(100 + k) + ":4";
    r.aboveSl = "SL+4.6dB";
    r.zone = "II";
    r.depth = "19.5 mm";
    r.surface = "33.7 mm";
    r.length6dB = "12.5 mm (6 dB)";
    r.lengthEl = "30.0 mm (EL)";
    r.grade = "II";
    return r;
}

DefectListInputs inputsOf(size_t rows) {
    DefectListInputs in;
    for (size_t k = 0; k < rows; ++k)
        in.list.rows.push_back(row(k));
    in.list.evaluated = rows + 2;
    // The whole of a sound recording evaluated against one set of lines.
    Coverage& c = in.list.coverage;
    c.frames = c.dacFrames = c.evaluatedFrames = 300;
    c.health = {10, 10, 0, {}};
    c.evaluated = {{0, 9}};
    c.lines = {{-40, -120, -180, {{0, 9}}}};
    in.list.cells = {{"检测单位", "华东检测站"}, {"报告编号", "2026-118"}, {"名称", "对接焊缝A3"}};
    in.recordingPath = QStringLiteral("/data/weld 7.DAT");
    in.date = QDate(2026, 12, 10);
    return in;
}

QImage render(const DefectListDocument& document, int page) {
    QImage image(kPageWidth, kPageHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    document.paintPage(painter, page);
    return image;
}

QString writePdf(const DefectListDocument& document, const QString& path) {
    EXPECT_TRUE(writeReportPdf(
        path, document.pageCount(), [&](QPainter& p, int k) { document.paintPage(p, k); },
        QStringLiteral("test"), defectListPdfTitle(document.inputs().recordingPath)));
    return path;
}

} // namespace

// A cell's text: one line, wrapped to two, or cut with "…"; a number keeps
// its unit where they fit a line; line breaks are blanks.
TEST(DefectListPage, CellTexts) {
    const QFont font = reportFont(12);
    const QFontMetrics m(font);
    const int width = m.horizontalAdvance("12.5 mm (6") + 1; // "12.5 mm (6 dB)" does not fit
    const struct {
        QString text;
        QStringList lines;
        bool cut;
    } cases[] = {
        {"", {}, false},
        {"II", {"II"}, false},
        {"12.5 mm (6 dB)", {"12.5 mm ", "(6 dB)"}, false},
        {"root\nside", {"root side"}, false},
    };
    for (const auto& c : cases) {
        const CellText cell = fitCellText(c.text, font, width, 2);
        EXPECT_EQ(cell.lines, c.lines) << c.text.toStdString();
        EXPECT_EQ(cell.cut, c.cut) << c.text.toStdString();
    }
    const QString longText = "lack of fusion at the root on both sides of the weld, see sheet 4";
    const CellText cut = fitCellText(longText, font, width, 2);
    ASSERT_EQ(cut.lines.size(), 2);
    EXPECT_TRUE(cut.cut);
    EXPECT_TRUE(longText.startsWith(cut.lines[0]));
    EXPECT_TRUE(cut.lines[1].endsWith(QString::fromUtf8("…")));
    for (const QString& line : cut.lines)
        EXPECT_LE(m.horizontalAdvance(line), width) << line.toStdString();
    // A number and its unit wider than the cell break between them, not in
    // the unit.
    EXPECT_EQ(fitCellText("119.5 mm", font, m.horizontalAdvance("119.5 m"), 2).lines,
              (QStringList{"119.5 ", "mm"}));
    // Exactly two lines' worth is not cut.
    const CellText two = fitCellText("lack of fusion", font, m.horizontalAdvance("lack of "), 2);
    EXPECT_EQ(two.lines, (QStringList{"lack of ", "fusion"}));
    EXPECT_FALSE(two.cut);
}

// Three pages of rows: every row once, in order, the first page under the
// head cells and the travel; the table's head on every page; each page's
// foot line naming the recording and the page. Nothing is painted between
// the form's last line and the foot.
TEST(DefectListPage, RowsOverThreePages) {
    // As many rows as the first two pages hold, and five more.
    const DefectListDocument probe(inputsOf(200));
    const size_t first = probe.rowsOn(0).second, second = probe.rowsOn(1).second - first;
    EXPECT_LT(first, second); // the head cells take room on the first page
    EXPECT_GE(first, 15u);
    const size_t rows = first + second + 5;
    DefectListInputs in = inputsOf(rows);
    in.list.calibration = {TravelCalibration::Method::Typed, "0.25", {}, {}, ""};
    in.list.travel = Travel::parse("0.25");
    const DefectListDocument document(std::move(in));
    ASSERT_EQ(document.pageCount(), 3);
    size_t next = 0;
    for (int k = 0; k < 3; ++k) {
        const auto [from, to] = document.rowsOn(k);
        EXPECT_EQ(from, next) << k;
        EXPECT_GT(to, from) << k;
        next = to;
    }
    EXPECT_EQ(next, rows);
    EXPECT_EQ(document.rowsOn(2).second - document.rowsOn(2).first, 5u);
    EXPECT_TRUE(document.cutTexts().isEmpty());

    for (int k = 0; k < 3; ++k) {
        const QImage page = render(document, k);
        ASSERT_EQ(page.size(), QSize(kPageWidth, kPageHeight));
        bool table = false, between = false;
        for (int x = 0; x < kPageWidth; ++x) {
            table |= qGray(page.pixel(x, 1000)) < 128 && k < 2; // full pages reach down
            for (int y = 1082; y < 1090; ++y)
                between |= page.pixel(x, y) != qRgb(255, 255, 255);
        }
        EXPECT_EQ(table, k < 2) << k;
        EXPECT_FALSE(between) << k;
    }

    if (!havePoppler()) GTEST_SKIP() << "poppler-utils is missing";
    const QString pdf = writePdf(document, tempDir("list-pages") + "/list.pdf");
    ASSERT_EQ(pdfPages(pdf), 3);
    EXPECT_TRUE(poppler("pdfinfo", {pdf}).value_or("").contains("(A4)"));
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE("page " + std::to_string(k + 1));
        const QString text = pdfPageText(pdf, k + 1);
        const auto [from, to] = document.rowsOn(k);
        for (size_t r = 0; r < rows; ++r) {
            const QString span = QString::fromStdString(row(r).span);
            EXPECT_EQ(text.contains(span), r >= from && r < to) << span.toStdString();
        }
        for (const char* head : {"序号", "峰值", "SL±dB", "深度", "水平距离", "性质", "备注"})
            EXPECT_TRUE(text.contains(QString::fromUtf8(head))) << head;
        EXPECT_TRUE(text.contains(QString::fromUtf8("12.5 mm")));
        EXPECT_EQ(text.contains(QString::fromUtf8("缺陷汇总（续）")), k > 0);
        for (const char* head : {"检测单位", "华东检测站", "工件名称", "对接焊缝A3", "2026-118",
                                 "行程：0.25 mm/帧（输入）"})
            EXPECT_EQ(text.contains(QString::fromUtf8(head)), k == 0) << head;
        const QString foot =
            QString::fromUtf8("weld 7.DAT · 打印于 2026-12-10 · 第 %1/3 页").arg(k + 1);
        EXPECT_TRUE(text.contains(foot)) << text.toStdString();
        EXPECT_EQ(document.footText(k), foot);
    }
    QDir(QFileInfo(pdf).path()).removeRecursively();
}

namespace {

// The table's lines on a rendered page, found from its left border: its top
// (the first line under the head cells), the lines under its rows, and its
// column borders.
struct TableLines {
    int top = -1;
    std::vector<int> rows, columns;
};
TableLines tableLines(const QImage& page) {
    auto black = [&](int x, int y) { return qGray(page.pixel(x, y)) < 64; };
    TableLines t;
    // Down the left border: the head cells' grid, paper, then the table.
    int y = 90;
    while (y < kPageHeight && black(38, y))
        ++y;
    while (y < kPageHeight && !black(38, y))
        ++y;
    t.top = y;
    // Inside the first column's padding only the lines under the rows cross.
    for (; y < kPageHeight && black(38, y); ++y)
        if (black(40, y)) t.rows.push_back(y);
    // Just under the top line only the column borders are ink.
    for (int x = 38; x < kPageWidth; ++x)
        if (black(x, t.top + 1)) t.columns.push_back(x);
    return t;
}

} // namespace

// Long texts in every cell: each stays within its cell, clear of the
// borders, and every text cut short is printed whole after the table; when
// that does not fit under the table, on a page of its own.
TEST(DefectListPage, CutTextsNeverOverflowAndAreFound) {
    DefectListInputs in = inputsOf(3);
    const std::string wide(40, 'W');
    for (std::string DefectRow::*cell :
         {&DefectRow::number, &DefectRow::span, &DefectRow::peak, &DefectRow::aboveSl,
          &DefectRow::zone, &DefectRow::depth, &DefectRow::surface, &DefectRow::length6dB,
          &DefectRow::lengthEl, &DefectRow::nature, &DefectRow::grade, &DefectRow::remark})
        in.list.rows[1].*cell = wide;
    in.list.rows[2].remark = "未熔合，沿根部两侧，见焊缝图第4页的标记A至C";
    in.list.cells["检测单位"] = std::string(30, 'M') + "-end";
    const DefectListDocument document(in);
    ASSERT_EQ(document.pageCount(), 1);
    // The head cell, the 12 cells of row 2, the remark of row 3.
    ASSERT_EQ(document.cutTexts().size(), 14);
    EXPECT_EQ(document.cutTexts().first(),
              QString::fromUtf8("检测单位：") + QString::fromStdString(in.list.cells["检测单位"]));
    EXPECT_EQ(document.cutTexts()[3].toStdString(), wide + " · 峰值：" + wide);
    EXPECT_EQ(document.cutTexts().last(),
              QString::fromUtf8("3 · 备注：") + QString::fromStdString(in.list.rows[2].remark));

    // Beside every column border, down every row, and along every row's
    // lines, only paper: no text runs into or over a border.
    const QImage page = render(document, 0);
    const TableLines t = tableLines(page);
    ASSERT_EQ(t.rows.size(), 5u) << t.top; // top, under the head, under each of 3 rows
    ASSERT_EQ(t.columns.size(), 13u);      // the outline and the 11 between the columns
    for (size_t r = 0; r + 1 < t.rows.size(); ++r) {
        int ink = 0;
        for (int y = t.rows[r] + 1; y < t.rows[r + 1]; ++y) {
            for (int x : t.columns) {
                EXPECT_EQ(page.pixel(x - 1, y), qRgb(255, 255, 255)) << x << "," << y;
                EXPECT_EQ(page.pixel(x + 1, y), qRgb(255, 255, 255)) << x << "," << y;
            }
            for (int x = t.columns[1] + 3; x < t.columns[2] - 2; ++x)
                ink += qGray(page.pixel(x, y)) < 128;
        }
        EXPECT_GT(ink, 0) << "row " << r; // the texts are there
        for (int x = t.columns.front(); x <= t.columns.back(); ++x) {
            if (std::find(t.columns.begin(), t.columns.end(), x) != t.columns.end()) continue;
            EXPECT_EQ(page.pixel(x, t.rows[r] + 1), qRgb(255, 255, 255)) << x << "," << r;
            EXPECT_EQ(page.pixel(x, t.rows[r + 1] - 1), qRgb(255, 255, 255)) << x << "," << r;
        }
    }

    if (!havePoppler()) GTEST_SKIP() << "poppler-utils is missing";
    const QString dir = tempDir("list-cut");
    const QString text = pdfPageText(writePdf(document, dir + "/cut.pdf"), 1);
    EXPECT_TRUE(text.contains(QString::fromUtf8("表中未能印全的文字")));
    EXPECT_TRUE(text.contains(QString::fromUtf8("…")));
    EXPECT_TRUE(text.contains(QString::fromStdString(in.list.rows[2].remark)))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromStdString(in.list.cells["检测单位"])));

    // A first page full of rows whose remarks are all cut: the cut texts go
    // on after it, on a page without the table.
    const size_t full = DefectListDocument(inputsOf(200)).rowsOn(0).second;
    DefectListInputs many = inputsOf(full);
    for (DefectRow& r : many.list.rows)
        r.remark = std::string(20, 'x') + " " + std::string(20, 'y') + " " + r.number;
    const DefectListDocument spilled(many);
    ASSERT_GE(spilled.pageCount(), 2);
    const int last = spilled.pageCount() - 1;
    EXPECT_EQ(spilled.rowsOn(last).first, spilled.rowsOn(last).second); // no rows there
    const QString pdf = writePdf(spilled, dir + "/spilled.pdf");
    QString all;
    for (int k = 1; k <= spilled.pageCount(); ++k)
        all += pdfPageText(pdf, k);
    for (const DefectRow& r : many.list.rows)
        EXPECT_TRUE(all.contains(QString::fromStdString(r.number + " · ") +
                                 QString::fromUtf8("备注：") + QString::fromStdString(r.remark)))
            << r.number;
    const QString lastText = pdfPageText(pdf, last + 1);
    EXPECT_FALSE(lastText.contains(QString::fromUtf8("序号")));
    EXPECT_TRUE(lastText.contains(QString::fromUtf8("第 %1/%1 页").arg(last + 1)));
    QDir(dir).removeRecursively();
}

// The travel line says how the lengths were measured; an empty list says
// so in its table; the PDF's name.
TEST(DefectListPage, TravelEmptyListAndName) {
    using M = TravelCalibration::Method;
    const struct {
        TravelCalibration calibration;
        std::optional<Travel> travel;
        const char* text;
    } cases[] = {
        {{}, std::nullopt, "行程：未标定，长度以帧计"},
        {{M::Typed, "0.25", {}, {}, ""}, Travel::parse("0.25"), "行程：0.25 mm/帧（输入）"},
        {{M::TwoFrames, "", {12, 0}, {36, 0}, "600"},
         Travel{600'000'000, 24},
         "行程：由两帧之间的距离：12:0 至 36:0 相距 600 mm，24 帧，每帧 25 mm"},
        {{M::TwoFrames, "", {0, 0}, {0, 3}, "1"},
         Travel{1'000'000, 3},
         "行程：由两帧之间的距离：0:0 至 0:3 相距 1 mm，3 帧，每帧约 0.3333 mm"},
        {{M::Typed, "fast", {}, {}, ""}, std::nullopt, "行程：给出的行程无法使用，长度以帧计"},
    };
    for (const auto& c : cases) {
        DefectList list;
        list.calibration = c.calibration;
        list.travel = c.travel;
        EXPECT_EQ(defectListTravelText(list), QString::fromUtf8(c.text));
    }

    const DefectListDocument empty(inputsOf(0));
    ASSERT_EQ(empty.pageCount(), 1);
    EXPECT_EQ(empty.rowsOn(0), (std::pair<size_t, size_t>{0, 0}));
    EXPECT_EQ(empty.footText(0), QString::fromUtf8("weld 7.DAT · 打印于 2026-12-10"));
    const TableLines t = tableLines(render(empty, 0));
    EXPECT_EQ(t.rows.size(), 3u); // the head and one row that says the list is empty
    if (havePoppler()) {
        const QString dir = tempDir("list-empty");
        const QString text = pdfPageText(writePdf(empty, dir + "/empty.pdf"), 1);
        EXPECT_TRUE(text.contains(QString::fromUtf8("没有要报告的缺陷")));
        EXPECT_TRUE(text.contains(QString::fromUtf8("达到评定线的指示：2 个；列入本表：0 个")));
        QDir(dir).removeRecursively();
    }
    EXPECT_EQ(defectListPdfName("/data/weld 7.DAT"),
              QString::fromUtf8("/data/weld 7_缺陷汇总.pdf"));
}

// The first page states what the list covers; an empty list says "no
// defects" only of a recording evaluated whole and sound, of the evaluated
// frames where echoes were left unevaluated, and nothing of the kind where
// nothing was evaluated or the file is damaged.
TEST(DefectListPage, CoverageAndNoFalseCleanSheet) {
    const QString clean = QString::fromUtf8("没有要报告的缺陷");
    const struct Case {
        const char* what;
        void (*change)(Coverage&);
        std::vector<const char*> lines; // on the page
        const char* emptyRow;
    } cases[] = {
        {"the whole recording, sound",
         [](Coverage&) {},
         {"评定范围：300 / 300 帧（DAC 方式且闸门A有回波），记录 0–9",
          "DAC 线（按记录）：RL -4.0 dB，SL -12.0 dB，EL -18.0 dB（记录 0–9）"},
         "没有要报告的缺陷"},
        {"echoes in a % and a DGS block",
         [](Coverage& c) {
             c.evaluatedFrames = 120;
             c.evaluated = {{3, 5}};
             c.lines[0].records = {{3, 5}};
             c.notEvaluated = {{{0, 1}, NotEvaluatedWhy::Percent},
                               {{7, 7}, NotEvaluatedWhy::Percent},
                               {{8, 9}, NotEvaluatedWhy::Dgs}};
         },
         {"评定范围：120 / 300 帧（DAC 方式且闸门A有回波），记录 3–5",
          "未评定（% 方式，无 DAC 线）但有达到阈值的回波：记录 0–1, 7",
          "未评定（DGS 方式，无 DAC 线）但有达到阈值的回波：记录 8–9"},
         "评定的帧中没有要报告的缺陷（另有未评定的回波，见上）"},
        {"no readable record",
         [](Coverage& c) { c = Coverage{}; },
         {"未评定：文件中没有可读的记录"},
         "没有评定任何帧，不能作出无缺陷的结论"},
        {"no DAC frame",
         [](Coverage& c) {
             c.dacFrames = c.evaluatedFrames = 0;
             c.evaluated.clear();
             c.lines.clear();
         },
         {"未评定：300 帧中没有以 DAC 方式记录的帧，评定需要记录的 DAC 线"},
         "没有评定任何帧，不能作出无缺陷的结论"},
        {"a damaged copy",
         [](Coverage& c) {
             c.health = {300, 101, 2, {48, 60}};
         },
         {"文件损坏：文件头声明 300 个记录，可读 101 个，缺失 199 个，损坏 2 个；缺失和损坏的记录"
          "未评定"},
         "文件损坏，不能作出无缺陷的结论"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DefectListInputs in = inputsOf(0);
        c.change(in.list.coverage);
        const QStringList lines = defectListCoverageTexts(in.list.coverage);
        for (const char* line : c.lines)
            EXPECT_TRUE(lines.contains(QString::fromUtf8(line))) << line << "\n"
                                                                 << lines.join('\n').toStdString();
        if (!havePoppler()) continue;
        const QString dir = tempDir("list-coverage");
        // pdftotext lays a long line out as it was painted: compare without
        // the blanks and breaks it puts between a wrapped line's pieces.
        QString text = pdfPageText(writePdf(DefectListDocument(in), dir + "/list.pdf"), 1);
        text.remove(QRegularExpression(QStringLiteral("\\s")));
        for (const char* line : c.lines)
            EXPECT_TRUE(text.contains(QString::fromUtf8(line).remove(QLatin1Char(' ')))) << line;
        EXPECT_TRUE(text.contains(QString::fromUtf8(c.emptyRow))) << c.emptyRow;
        EXPECT_EQ(text.contains(clean) && !QString::fromUtf8(c.emptyRow).contains(clean), false);
        QDir(dir).removeRecursively();
    }
}

// The decisions no indication holds are printed after the table under their
// heading, never dropped from paper.
TEST(DefectListPage, OrphanDecisionsArePrinted) {
    if (!havePoppler()) GTEST_SKIP() << "poppler-utils is missing";
    DefectListInputs in = inputsOf(3);
    in.list.orphans = {"219:2–219:8 (219:8) 气孔 II", "9:0–9:1 夹渣"};
    const DefectListDocument document(in);
    const QString dir = tempDir("list-orphans");
    QString text = pdfPageText(writePdf(document, dir + "/list.pdf"), 1);
    text.remove(QRegularExpression(QStringLiteral("\\s")));
    EXPECT_TRUE(text.contains(QString::fromUtf8("未对应任何指示的决定")));
    for (const std::string& orphan : in.list.orphans)
        EXPECT_TRUE(text.contains(QString::fromStdString(orphan).remove(QLatin1Char(' '))))
            << orphan;
    QDir(dir).removeRecursively();
}

// ---------------------------------------------------------------- window

namespace {

class DefectListWindowTest : public ::testing::Test {
protected:
    TReportForm form;
    std::optional<DefectListInputs> inputs = inputsOf(40);
    int asked = 0;
    QAction* action(const char* name) { return form.findChild<QAction*>(name); }
    std::vector<QAction*> actions() {
        return {action("DefectListPrintItem"), action("DefectListPdfItem"),
                action("DefectListPreviewItem")};
    }
    void provide() {
        form.setDefectListSource([this] {
            ++asked;
            return inputs;
        });
    }
};

} // namespace

// Without a source, or while it has no evaluation, the entries are disabled
// and say where the list comes from; they follow the source as the menu
// opens.
TEST_F(DefectListWindowTest, EntriesFollowTheSource) {
    ASSERT_EQ(actions().size(), 3u);
    auto* menu = form.findChild<QMenu*>("DefectListMenu");
    ASSERT_TRUE(menu);
    EXPECT_TRUE(menu->toolTipsVisible());
    auto expectEnabled = [&](bool enabled) {
        for (QAction* a : actions()) {
            ASSERT_TRUE(a);
            EXPECT_EQ(a->isEnabled(), enabled) << a->objectName().toStdString();
            EXPECT_EQ(a->toolTip().contains(QString::fromUtf8("回波动态窗口")), !enabled);
        }
    };
    expectEnabled(false);
    inputs.reset();
    provide();
    expectEnabled(false);
    inputs = inputsOf(2);
    emit menu->aboutToShow();
    expectEnabled(true);
    // With an owner that says whether it has a list, opening the menu makes
    // none: a list reads a record per indication.
    bool has = false;
    form.setDefectListSource(
        [this] {
            ++asked;
            return inputs;
        },
        [&has] { return has; });
    const int before = asked;
    emit menu->aboutToShow();
    expectEnabled(false);
    has = true;
    emit menu->aboutToShow();
    expectEnabled(true);
    EXPECT_EQ(asked, before);
    provide();
    // Asked for the list while it has none: nothing is chosen or shown.
    inputs.reset();
    bool chosen = false;
    form.choosePdfPath = [&](const QString&) -> std::optional<QString> {
        chosen = true;
        return std::nullopt;
    };
    form.DefectListPdfClick();
    EXPECT_FALSE(chosen);
    EXPECT_TRUE(form.statusText().contains(QString::fromUtf8("回波动态窗口")))
        << form.statusText().toStdString();
    expectEnabled(false);
}

// The preview shows every page of the list; the PDF holds them, named after
// the recording; without a printer the window offers the list's PDF.
TEST_F(DefectListWindowTest, PreviewPdfAndNoPrinter) {
    provide();
    const int pages = DefectListDocument(*inputs).pageCount();
    ASSERT_GE(pages, 2);
    int shown = -1;
    form.showPreview = vantrel::testing::countPreviewPages(shown);
    action("DefectListPreviewItem")->trigger();
    EXPECT_EQ(shown, pages);

    const QString dir = tempDir("list-window");
    QString suggested;
    form.choosePdfPath = [&](const QString& s) -> std::optional<QString> {
        suggested = s;
        return dir + "/list.pdf";
    };
    action("DefectListPdfItem")->trigger();
    EXPECT_EQ(suggested, QString::fromUtf8("/data/weld 7_缺陷汇总.pdf"));
    EXPECT_TRUE(form.statusText().startsWith(QString::fromUtf8("已导出PDF")));
    if (havePoppler()) {
        EXPECT_EQ(pdfPages(dir + "/list.pdf"), pages);
        EXPECT_TRUE(poppler("pdfinfo", {dir + "/list.pdf"})
                        .value_or("")
                        .contains(QRegularExpression(
                            QString::fromUtf8("Title:\\s+缺陷汇总 – weld 7.DAT\\n"))));
        EXPECT_TRUE(pdfPageText(dir + "/list.pdf", 1).contains(QString::fromUtf8("华东检测站")));
        EXPECT_TRUE(pdfPageText(dir + "/list.pdf", pages)
                        .contains(QString::fromUtf8("第 %1/%1 页").arg(pages)));
    }

    // No printer (the test's CUPS server does not exist): said, and the
    // message's PDF button exports the list, not the report page.
    suggested.clear();
    action("DefectListPrintItem")->trigger();
    EXPECT_TRUE(form.statusText().startsWith(QString::fromUtf8("未打印")));
    auto* box = form.findChild<QMessageBox*>("NoPrinterMessage");
    ASSERT_TRUE(box);
    EXPECT_TRUE(box->text().contains(QString::fromUtf8("缺陷汇总未打印")));
    box->findChild<QPushButton*>("NoPrinterExportPdf")->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(suggested, QString::fromUtf8("/data/weld 7_缺陷汇总.pdf"));
    QDir(dir).removeRecursively();
}

// The defect list of the demo with a manual indication kept in its
// inspection, as `report --summary` and the window print it: after the
// evaluated indications, its zone cell 人工, its length the frames marked,
// counted apart on the first page.
TEST(DefectListPage, ManualIndicationsArePrinted) {
    RecordQuery query;
    ASSERT_TRUE(query.open(VANTREL_DEMO).ok());
    const EchoOverview o = computeOverview(query, {});
    const Evaluation e(o, 0);
    RecordQuery reader;
    ASSERT_TRUE(reader.openAlongside(query));
    Inspection in;
    const int64_t first = o.indexOf(246, 0), last = o.indexOf(251, 0);
    ASSERT_TRUE(markManual(in, o, first, last, &reader));
    in.decisions.back().nature = "根部裂纹";
    in.decisions.back().grade = "III";
    const DefectListDocument document(defectListInputs(o, e, in, reader, VANTREL_DEMO));
    const DefectList& list = document.inputs().list;
    ASSERT_EQ(list.rows.size(), list.evaluated + 1);
    const DefectRow& row = list.rows.back();
    EXPECT_TRUE(row.manual);
    EXPECT_EQ(row.zone, "人工");
    EXPECT_EQ(row.span, "246:0–251:0");
    EXPECT_EQ(row.lengthEl, std::to_string(last - first + 1) + " 帧 (人工)");

    if (!havePoppler()) GTEST_SKIP() << "poppler-utils is missing";
    const QString pdf = writePdf(document, tempDir("list-manual") + "/list.pdf");
    QString text;
    for (int k = 1; k <= pdfPages(pdf); ++k)
        text += pdfPageText(pdf, k);
    // The row as pdftotext reads it, its cells in order.
    const QRegularExpression printed(
        QString::fromUtf8("%1\\s+246:0–251:0\\s+\\d+:\\d+\\s+人工\\s.*根部裂纹\\s+III")
            .arg(list.rows.size() - 1),
        QRegularExpression::DotMatchesEverythingOption);
    EXPECT_TRUE(printed.match(text).hasMatch()) << text.toStdString();
    EXPECT_TRUE(text.contains(
        QString::fromUtf8("列入本表：%1 个（其中人工指示 1 个）").arg(list.rows.size())))
        << text.toStdString();
    QDir(QFileInfo(pdf).path()).removeRecursively();
}
