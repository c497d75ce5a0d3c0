#include "report_page/defect_list_page.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QRegularExpression>

#include <algorithm>

#include "pictures/frame_render.h"
#include "report_page/report_inputs.h"

namespace vantrel {

namespace {

QString pageText(const char* source) {
    return QCoreApplication::translate("DefectListPage", source);
}

// The page: the report's 10 mm margins, the title on top, the table down to
// where the report's form ends; the foot line beneath (kReportFoot).
constexpr int kLeft = 38, kWidth = 718;
constexpr int kTitleTop = 48, kTitleHeight = 34;
constexpr int kBodyTop = 90;      // below the title
constexpr int kBodyBottom = 1081; // the last row of the report form's frame
// The head cells, two pairs to a row.
constexpr int kHeadRowHeight = 26, kHeadCaptionWidth = 84;
// Texts: the table's in 12 px (9 pt, the size of a printed form's table),
// the lines above and below it in 13 px.
constexpr int kTablePixels = 12, kLinePixels = 13;
constexpr int kCellPadding = 4; // between a cell's border and its text
constexpr int kCellLines = 2;

int lineHeight(int pixels) { return QFontMetrics(reportFont(pixels)).height(); }
int rowHeight() { return kCellLines * lineHeight(kTablePixels) + 2 * kCellPadding; }

// The table's columns, left to right; the widths fill the page's width.
struct Column {
    const char* head; // UTF-8, in the interface's language through pageText
    int width;
    std::string DefectRow::*text;
    Qt::Alignment align;
    bool length = false; // "12.5 mm (6 dB)": see lengthCell
};

// The heads are ours and fit their columns: a line break in one starts its
// second line.
const std::vector<Column>& columns() {
    static const std::vector<Column> c = {
        {QT_TRANSLATE_NOOP("DefectListPage", "序号"), 32, &DefectRow::number, Qt::AlignHCenter},
        {QT_TRANSLATE_NOOP("DefectListPage", "起止\n记录:帧"), 78, &DefectRow::span, Qt::AlignLeft},
        {QT_TRANSLATE_NOOP("DefectListPage", "峰值"), 50, &DefectRow::peak, Qt::AlignLeft},
        {"SL±dB", 68, &DefectRow::aboveSl, Qt::AlignLeft}, // the same in every language
        {QT_TRANSLATE_NOOP("DefectListPage", "区"), 40, &DefectRow::zone, Qt::AlignHCenter},
        {QT_TRANSLATE_NOOP("DefectListPage", "深度"), 66, &DefectRow::depth, Qt::AlignLeft},
        {QT_TRANSLATE_NOOP("DefectListPage", "水平距离"), 66, &DefectRow::surface, Qt::AlignLeft},
        {QT_TRANSLATE_NOOP("DefectListPage", "长度\n6 dB"), 72, &DefectRow::length6dB,
         Qt::AlignLeft, true},
        {QT_TRANSLATE_NOOP("DefectListPage", "长度\nEL"), 72, &DefectRow::lengthEl, Qt::AlignLeft,
         true},
        {QT_TRANSLATE_NOOP("DefectListPage", "性质"), 58, &DefectRow::nature, Qt::AlignLeft},
        {QT_TRANSLATE_NOOP("DefectListPage", "等级"), 44, &DefectRow::grade, Qt::AlignHCenter},
        {QT_TRANSLATE_NOOP("DefectListPage", "备注"), 72, &DefectRow::remark, Qt::AlignLeft},
    };
    return c;
}

// A column's head on one line.
QString headText(const Column& c) {
    return pageText(c.head).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

// The head cells: the caption of the report's cell and the caption the
// list prints (名称 and 编号 are the workpiece's, which the report's group
// head says and a list without that head must say itself).
struct HeadCell {
    const char* cell;  // the report's caption, the key of DefectList::cells
    const char* shown; // as printed, through pageText
};
const std::vector<HeadCell>& headCells() {
    static const std::vector<HeadCell> h = {
        {"检测单位", QT_TRANSLATE_NOOP("DefectListPage", "检测单位")},
        {"委托单位", QT_TRANSLATE_NOOP("DefectListPage", "委托单位")},
        {"报告编号", QT_TRANSLATE_NOOP("DefectListPage", "报告编号")},
        {"检测日期", QT_TRANSLATE_NOOP("DefectListPage", "检测日期")},
        {"名称", QT_TRANSLATE_NOOP("DefectListPage", "工件名称")},
        {"编号", QT_TRANSLATE_NOOP("DefectListPage", "工件编号")},
        {"探伤标准", QT_TRANSLATE_NOOP("DefectListPage", "探伤标准")},
        {"探伤人员", QT_TRANSLATE_NOOP("DefectListPage", "探伤人员")},
    };
    return h;
}

int headHeight() { return static_cast<int>((headCells().size() + 1) / 2) * kHeadRowHeight; }

QString titleText(bool continued) {
    return continued ? pageText(QT_TRANSLATE_NOOP("DefectListPage", "缺陷汇总（续）"))
                     : pageText(QT_TRANSLATE_NOOP("DefectListPage", "缺陷汇总"));
}

QString countText(const DefectList& list) {
    if (list.manual > 0)
        return pageText(QT_TRANSLATE_NOOP(
                            "DefectListPage",
                            "达到评定线的指示：%1 个；列入本表：%2 个（其中人工指示 %3 个）"))
            .arg(list.evaluated)
            .arg(list.rows.size())
            .arg(list.manual);
    return pageText(QT_TRANSLATE_NOOP("DefectListPage", "达到评定线的指示：%1 个；列入本表：%2 个"))
        .arg(list.evaluated)
        .arg(list.rows.size());
}

// The row of a list without rows: a clean sheet only where the whole
// recording was evaluated; where echoes were left unevaluated it speaks of
// the evaluated frames only, and with nothing evaluated or a damaged file it
// draws no conclusion.
QString emptyText(const Coverage& c) {
    if (c.nothingEvaluated() != NothingEvaluatedWhy::None)
        return pageText(
            QT_TRANSLATE_NOOP("DefectListPage", "没有评定任何帧，不能作出无缺陷的结论"));
    if (c.damaged())
        return pageText(QT_TRANSLATE_NOOP("DefectListPage", "文件损坏，不能作出无缺陷的结论"));
    if (!c.notEvaluated.empty())
        return pageText(QT_TRANSLATE_NOOP("DefectListPage",
                                          "评定的帧中没有要报告的缺陷（另有未评定的回波，见上）"));
    return pageText(QT_TRANSLATE_NOOP("DefectListPage", "没有要报告的缺陷"));
}

QString dbText(int32_t tenthsOfDb) { return QString::fromStdString(tenths(tenthsOfDb)); }

QString rangesText(const std::vector<RecordRange>& ranges) {
    return QString::fromStdString(recordRangesText(ranges));
}

} // namespace

QStringList defectListCoverageTexts(const Coverage& c) {
    QStringList lines;
    switch (c.nothingEvaluated()) {
    case NothingEvaluatedWhy::NoRecord:
        lines << pageText(QT_TRANSLATE_NOOP("DefectListPage", "未评定：文件中没有可读的记录"));
        break;
    case NothingEvaluatedWhy::NoDacFrame:
        lines << pageText(QT_TRANSLATE_NOOP(
                              "DefectListPage",
                              "未评定：%1 帧中没有以 DAC 方式记录的帧，评定需要记录的 DAC 线"))
                     .arg(c.frames);
        break;
    case NothingEvaluatedWhy::NoEcho:
        lines << pageText(QT_TRANSLATE_NOOP("DefectListPage",
                                            "未评定：DAC 方式的 %1 帧中闸门A都没有回波（记录 %2）"))
                     .arg(c.dacFrames)
                     .arg(rangesText(c.evaluated));
        break;
    case NothingEvaluatedWhy::None:
        lines << pageText(
                     QT_TRANSLATE_NOOP("DefectListPage",
                                       "评定范围：%1 / %2 帧（DAC 方式且闸门A有回波），记录 %3"))
                     .arg(c.evaluatedFrames)
                     .arg(c.frames)
                     .arg(rangesText(c.evaluated));
        break;
    }
    if (!c.lines.empty()) {
        QStringList sets;
        for (const LinesUsed& l : c.lines)
            sets << pageText(QT_TRANSLATE_NOOP("DefectListPage",
                                               "RL %1 dB，SL %2 dB，EL %3 dB（记录 %4）"))
                        .arg(dbText(l.rl), dbText(l.sl), dbText(l.el), rangesText(l.records));
        lines << pageText(QT_TRANSLATE_NOOP("DefectListPage", "DAC 线（按记录）：%1"))
                     .arg(sets.join(pageText(QT_TRANSLATE_NOOP("DefectListPage", "；"))));
    }
    std::vector<RecordRange> percent, dgs;
    for (const NotEvaluatedEchoes& e : c.notEvaluated)
        (e.why == NotEvaluatedWhy::Dgs ? dgs : percent).push_back(e.records);
    if (!percent.empty())
        lines << pageText(
                     QT_TRANSLATE_NOOP("DefectListPage",
                                       "未评定（% 方式，无 DAC 线）但有达到阈值的回波：记录 %1"))
                     .arg(rangesText(percent));
    if (!dgs.empty())
        lines << pageText(
                     QT_TRANSLATE_NOOP("DefectListPage",
                                       "未评定（DGS 方式，无 DAC 线）但有达到阈值的回波：记录 %1"))
                     .arg(rangesText(dgs));
    if (c.damaged()) {
        QString damage =
            pageText(QT_TRANSLATE_NOOP(
                         "DefectListPage",
                         "文件损坏：文件头声明 %1 个记录，可读 %2 个，缺失 %3 个，损坏 %4 个"))
                .arg(c.health.announced)
                .arg(c.health.indexed)
                .arg(c.health.missing())
                .arg(c.health.damaged);
        lines << damage + pageText(QT_TRANSLATE_NOOP("DefectListPage", "；缺失和损坏的记录未评定"));
    }
    return lines;
}

namespace {

QString orphanHeading() {
    return pageText(QT_TRANSLATE_NOOP(
        "DefectListPage", "未对应任何指示的决定（设置或规则改变后不再有指示含其峰值帧，仍保留）"));
}

// Millimetres from nanometres over `perFrames` frames, to 0.0001 mm without
// trailing zeros, and whether that is exact.
std::pair<QString, bool> millimetres(int64_t nanometres, int64_t perFrames) {
    const __int128 unit = static_cast<__int128>(perFrames) * 100; // 0.0001 mm
    const auto q =
        static_cast<int64_t>((2 * static_cast<__int128>(nanometres) + unit) / (2 * unit));
    QString text = QString::number(q / 10000);
    if (const int64_t fraction = q % 10000; fraction != 0) {
        QString digits = QString::number(fraction).rightJustified(4, QLatin1Char('0'));
        while (digits.endsWith(QLatin1Char('0')))
            digits.chop(1);
        text += QLatin1Char('.') + digits;
    }
    return {text, nanometres % unit == 0};
}

// The lines under the head that name where the decisions came from.
constexpr int kSourceLines = 1;

void fillBox(QPainter& p, const QRect& r) {
    fillBand(p, QRect(r.left(), r.top(), r.width(), 1), Qt::black);
    fillBand(p, QRect(r.left(), r.bottom(), r.width(), 1), Qt::black);
    fillBand(p, QRect(r.left(), r.top(), 1, r.height()), Qt::black);
    fillBand(p, QRect(r.right(), r.top(), 1, r.height()), Qt::black);
}

// A cell's lines in `box`: one line in the middle, two from the top.
void paintCell(QPainter& p, const QRect& box, const CellText& cell, Qt::Alignment align) {
    const int step = lineHeight(kTablePixels);
    const QRect inside = box.adjusted(kCellPadding, kCellPadding, -kCellPadding, -kCellPadding);
    int y = inside.top() + (inside.height() - static_cast<int>(cell.lines.size()) * step) / 2;
    for (const QString& line : cell.lines) {
        p.drawText(QRect(inside.left(), y, inside.width(), step), align | Qt::AlignVCenter, line);
        y += step;
    }
}

} // namespace

DefectListWords defectListWords() {
    DefectListWords w;
    w.frames = pageText(QT_TRANSLATE_NOOP("DefectListPage", "帧")).toStdString();
    w.zone = pageText(QT_TRANSLATE_NOOP("DefectListPage", "{}区")).toStdString();
    w.manual = pageText(QT_TRANSLATE_NOOP("DefectListPage", "人工")).toStdString();
    return w;
}

DefectListInputs defectListInputs(const EchoOverview& overview, const Evaluation& evaluation,
                                  const Inspection& inspection, RecordQuery& reader,
                                  const QString& recordingPath) {
    return {defectList(overview, evaluation, inspection, reader, defectListWords()),
            recordingPath,
            QDate::currentDate(),
            {}};
}

DefectListInputs defectListInputs(const EvaluatedRecording& evaluated, const Inspection& inspection,
                                  const QString& recordingPath) {
    return {evaluated.defectList(inspection, defectListWords()),
            recordingPath,
            QDate::currentDate(),
            {}};
}

QString defectListTravelText(const DefectList& list) {
    using Method = TravelCalibration::Method;
    const TravelCalibration& c = list.calibration;
    if (c.method != Method::None && !list.travel)
        return pageText(
            QT_TRANSLATE_NOOP("DefectListPage", "行程：给出的行程无法使用，长度以帧计"));
    switch (c.method) {
    case Method::None: break;
    case Method::Typed:
        return pageText(QT_TRANSLATE_NOOP("DefectListPage", "行程：%1 mm/帧（输入）"))
            .arg(QString::fromStdString(c.mmPerFrame));
    case Method::TwoFrames: {
        const auto [perFrame, exact] = millimetres(list.travel->nanometres, list.travel->perFrames);
        const char* pattern =
            exact ? QT_TRANSLATE_NOOP(
                        "DefectListPage",
                        "行程：由两帧之间的距离：%1 至 %2 相距 %3 mm，%4 帧，每帧 %5 mm")
                  : QT_TRANSLATE_NOOP(
                        "DefectListPage",
                        "行程：由两帧之间的距离：%1 至 %2 相距 %3 mm，%4 帧，每帧约 %5 mm");
        auto place = [](FramePlace f) { return QString::fromStdString(placeText(f)); };
        return pageText(pattern)
            .arg(place(c.from), place(c.to), QString::fromStdString(c.distanceMm))
            .arg(list.travel->perFrames)
            .arg(perFrame);
    }
    }
    return pageText(QT_TRANSLATE_NOOP("DefectListPage", "行程：未标定，长度以帧计"));
}

QString defectListInspectionText(const QString& inspectionPath) {
    return inspectionPath.isEmpty()
               ? pageText(QT_TRANSLATE_NOOP("DefectListPage", "评定文件：无（仅由记录评定）"))
               : pageText(QT_TRANSLATE_NOOP("DefectListPage", "评定文件：%1"))
                     .arg(QDir::toNativeSeparators(inspectionPath));
}

QString defectListPdfName(const QString& recordingPath) {
    const QFileInfo info(recordingPath);
    return info.dir().filePath(info.completeBaseName() + QLatin1Char('_') +
                               pageText(QT_TRANSLATE_NOOP("DefectListPage", "缺陷汇总")) +
                               QStringLiteral(".pdf"));
}

QString defectListPdfTitle(const QString& recordingPath) {
    return pageText(QT_TRANSLATE_NOOP("DefectListPage", "缺陷汇总 – %1"))
        .arg(QFileInfo(recordingPath).fileName());
}

CellText fitCellText(const QString& text, const QFont& font, int width, int maxLines) {
    QString flowing = text;
    flowing.replace(QLatin1Char('\n'), QLatin1Char(' '));
    CellText cell;
    if (flowing.isEmpty()) return cell;
    // A number keeps the unit after it ("12.5 mm", "6 dB", "25 帧") where
    // the two fit a line: the blank between them does not break while the
    // text is laid out, so a length wraps as "12.5 mm" over "(6 dB)". The
    // lines are one paragraph's consecutive pieces, taken from the text
    // itself.
    static const QRegularExpression numberAndUnit(QStringLiteral("\\S*\\d (\\S+)"));
    const QFontMetrics metrics(font);
    QString unbroken = flowing;
    for (auto it = numberAndUnit.globalMatch(flowing); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (metrics.horizontalAdvance(m.captured(0)) <= width)
            unbroken[m.capturedStart(1) - 1] = QChar(0x00A0);
    }
    qsizetype used = 0;
    for (const QString& line : wrapText(unbroken, font, width)) {
        if (cell.lines.size() + 1 == maxLines && used + line.size() < flowing.size()) {
            // The last line there is room for: the rest of the text up to
            // where it must end in "…".
            cell.lines << metrics.elidedText(flowing.mid(used), Qt::ElideRight, width);
            cell.cut = true;
            break;
        }
        cell.lines << flowing.mid(used, line.size());
        used += line.size();
    }
    return cell;
}

namespace {

// A length, "12.5 mm (6 dB)", in every row alike: the figure on the first
// line, how it was measured on the second.
CellText lengthCell(const QString& text, const QFont& font, int width) {
    const qsizetype at = text.lastIndexOf(QStringLiteral(" ("));
    if (at < 0) return fitCellText(text, font, width, kCellLines);
    const CellText figure = fitCellText(text.left(at), font, width, 1);
    const CellText method = fitCellText(text.mid(at + 1), font, width, 1);
    return {figure.lines + method.lines, figure.cut || method.cut};
}

} // namespace

DefectListDocument::DefectListDocument(DefectListInputs inputs) : inputs_(std::move(inputs)) {
    layOut();
}

int DefectListDocument::tableTop(bool firstPage) const {
    // Under the head: the travel, the counts, the inspection file and the
    // coverage lines.
    return firstPage ? kBodyTop + headHeight() + 8 +
                           (2 + kSourceLines + static_cast<int>(coverageLines_.size())) *
                               lineHeight(kLinePixels) +
                           8
                     : kBodyTop;
}

void DefectListDocument::layOut() {
    const QFont tableFont = reportFont(kTablePixels);
    const QFont lineFont = reportFont(kLinePixels);
    const DefectList& list = inputs_.list;
    for (const QString& line : defectListCoverageTexts(list.coverage))
        coverageLines_ << wrapText(line, lineFont, kWidth);
    // The head's values, one line each.
    for (const HeadCell& h : headCells()) {
        const auto it = list.cells.find(h.cell);
        const QString text =
            it == list.cells.end() ? QString() : QString::fromStdString(it->second);
        headValues_.push_back(
            fitCellText(text, lineFont, kWidth / 2 - kHeadCaptionWidth - 2 * kCellPadding, 1));
        if (headValues_.back().cut) cutTexts_ << wholeTextEntry(pageText(h.shown), text);
    }
    for (const DefectRow& r : list.rows) {
        Row row;
        for (const Column& c : columns()) {
            const QString text = QString::fromStdString(r.*c.text);
            const int width = c.width - 2 * kCellPadding;
            row.cells.push_back(c.length ? lengthCell(text, tableFont, width)
                                         : fitCellText(text, tableFont, width, kCellLines));
            if (row.cells.back().cut)
                cutTexts_ << wholeTextEntry(
                    QString::fromStdString(r.number) + QStringLiteral(" · ") + headText(c), text);
        }
        rows_.push_back(std::move(row));
    }
    cutLines_ = wholeTextLines(cutTexts_, lineFont, kWidth);
    if (!cutLines_.isEmpty()) headingLines_.insert(0);
    if (!list.orphans.empty()) {
        headingLines_.insert(static_cast<int>(cutLines_.size()));
        cutLines_ << wrapText(orphanHeading(), lineFont, kWidth);
        for (const std::string& orphan : list.orphans)
            cutLines_ << wrapText(QString::fromStdString(orphan), lineFont, kWidth);
    }

    // Rows down each page under the table's head; the cut texts after the
    // last row, on further pages when they do not fit.
    const int rowH = rowHeight(), lineH = lineHeight(kLinePixels);
    const size_t rowCount = std::max<size_t>(rows_.size(), 1); // an empty list says so in a row
    Page page;
    int y = tableTop(true) + rowH;
    for (size_t k = 0; k < rowCount; ++k) {
        if (y + rowH > kBodyBottom) {
            page.lastRow = k;
            pages_.push_back(page);
            page = Page{k, k, 0, 0, true};
            y = tableTop(false) + rowH;
        }
        y += rowH;
    }
    page.lastRow = rows_.size();
    y += 12;
    page.firstCutLine = page.lastCutLine = 0;
    for (int i = 0; i < static_cast<int>(cutLines_.size()); ++i) {
        // A heading never stands alone at the foot of a page.
        const int need = headingLines_.contains(i) ? 2 * lineH : lineH;
        if (y + need > kBodyBottom) {
            pages_.push_back(page);
            page = Page{rows_.size(), rows_.size(), i, i, false};
            y = kBodyTop;
        }
        y += lineH;
        page.lastCutLine = i + 1;
    }
    pages_.push_back(page);
}

void DefectListDocument::paintHead(QPainter& p) const {
    // The head cells as a grid, two pairs to a row: caption, value, caption,
    // value between these lines.
    const int xs[] = {kLeft, kLeft + kHeadCaptionWidth, kLeft + kWidth / 2,
                      kLeft + kWidth / 2 + kHeadCaptionWidth, kLeft + kWidth - 1};
    const int rows = static_cast<int>((headCells().size() + 1) / 2);
    fillBox(p, QRect(kLeft, kBodyTop, kWidth, headHeight() + 1));
    for (int r = 1; r < rows; ++r)
        fillBand(p, QRect(kLeft, kBodyTop + r * kHeadRowHeight, kWidth, 1), Qt::black);
    for (int i = 1; i < 4; ++i)
        fillBand(p, QRect(xs[i], kBodyTop, 1, headHeight()), Qt::black);
    p.setFont(reportFont(kLinePixels));
    for (size_t i = 0; i < headCells().size(); ++i) {
        const int column = 2 * static_cast<int>(i % 2);
        const int y = kBodyTop + static_cast<int>(i / 2) * kHeadRowHeight;
        auto inside = [&](int from, int to) {
            return QRect(from + kCellPadding, y, to - from - 2 * kCellPadding, kHeadRowHeight);
        };
        const QRect caption = inside(xs[column], xs[column + 1]);
        p.drawText(caption, Qt::AlignCenter,
                   p.fontMetrics().elidedText(pageText(headCells()[i].shown), Qt::ElideRight,
                                              caption.width()));
        if (!headValues_[i].lines.isEmpty())
            p.drawText(inside(xs[column + 1], xs[column + 2]), Qt::AlignLeft | Qt::AlignVCenter,
                       headValues_[i].lines.first());
    }
    // Then the travel the lengths were measured with, and the counts.
    const int lineH = lineHeight(kLinePixels);
    const int y = kBodyTop + headHeight() + 8;
    p.drawText(
        QRect(kLeft, y, kWidth, lineH), Qt::AlignLeft | Qt::AlignVCenter,
        p.fontMetrics().elidedText(defectListTravelText(inputs_.list), Qt::ElideMiddle, kWidth));
    p.drawText(QRect(kLeft, y + lineH, kWidth, lineH), Qt::AlignLeft | Qt::AlignVCenter,
               countText(inputs_.list));
    // The file the decisions came from, then the coverage.
    paintSourceLines(p, y + 2 * lineH);
    for (int i = 0; i < static_cast<int>(coverageLines_.size()); ++i)
        p.drawText(QRect(kLeft, y + (2 + kSourceLines + i) * lineH, kWidth, lineH),
                   Qt::AlignLeft | Qt::AlignVCenter, coverageLines_[i]);
}

void DefectListDocument::paintSourceLines(QPainter& p, int top) const {
    // A long path loses its middle: its start and the file's name stay.
    p.drawText(QRect(kLeft, top, kWidth, lineHeight(kLinePixels)), Qt::AlignLeft | Qt::AlignVCenter,
               p.fontMetrics().elidedText(defectListInspectionText(inputs_.inspectionPath),
                                          Qt::ElideMiddle, kWidth));
}

int DefectListDocument::paintTable(QPainter& p, const Page& page, int top) const {
    const int rowH = rowHeight();
    // Below the head: the page's rows, or the one row that says the list is
    // empty, which spans the columns.
    const int bodyRows = rows_.empty() ? 1 : static_cast<int>(page.lastRow - page.firstRow);
    const int bottom = top + rowH * (bodyRows + 1);
    fillBox(p, QRect(kLeft, top, kWidth, bottom - top + 1));
    for (int r = 1; r <= bodyRows; ++r)
        fillBand(p, QRect(kLeft, top + rowH * r, kWidth, 1), Qt::black);
    const int columnBottom = rows_.empty() ? top + rowH : bottom;
    for (int x = kLeft, c = 0; c + 1 < static_cast<int>(columns().size()); ++c) {
        x += columns()[static_cast<size_t>(c)].width;
        fillBand(p, QRect(x, top, 1, columnBottom - top), Qt::black);
    }
    // A cell's box includes its borders: its text keeps clear of them.
    auto paintRow = [&](int y, auto&& cellOf) {
        int x = kLeft;
        for (size_t c = 0; c < columns().size(); ++c) {
            const Column& column = columns()[c];
            paintCell(p, QRect(x, y, column.width + 1, rowH + 1), cellOf(c), column.align);
            x += column.width;
        }
    };
    p.setFont(reportFont(kTablePixels, true));
    const QFont headFont = p.font();
    paintRow(top, [&](size_t c) {
        return CellText{
            wrapText(pageText(columns()[c].head), headFont, columns()[c].width - 2 * kCellPadding),
            false};
    });
    p.setFont(reportFont(kTablePixels));
    int y = top + rowH;
    if (rows_.empty())
        p.drawText(QRect(kLeft, y, kWidth, rowH), Qt::AlignCenter,
                   emptyText(inputs_.list.coverage));
    for (size_t r = page.firstRow; r < page.lastRow; ++r, y += rowH)
        paintRow(y, [&](size_t c) { return rows_[r].cells[c]; });
    return bottom;
}

std::pair<size_t, size_t> DefectListDocument::rowsOn(int page) const {
    const Page& p = pages_.at(static_cast<size_t>(page));
    return {p.firstRow, p.lastRow};
}

PageOrigin DefectListDocument::origin(int page) const {
    PageOrigin o;
    o.fileName = QFileInfo(inputs_.recordingPath).fileName();
    o.date = inputs_.date;
    o.page = page;
    o.pages = pageCount();
    return o;
}

QString DefectListDocument::footText(int page) const { return reportFootText(origin(page)); }

void DefectListDocument::paintPage(QPainter& p, int k) const {
    const Page& page = pages_.at(static_cast<size_t>(k));
    const bool first = k == 0;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(0, 0, kPageWidth, kPageHeight, Qt::white);
    p.setPen(Qt::black);
    p.setFont(reportFont(21, true));
    p.drawText(QRect(kLeft, kTitleTop, kWidth, kTitleHeight), Qt::AlignCenter, titleText(!first));

    const int lineH = lineHeight(kLinePixels);
    if (first) paintHead(p);

    int y = tableTop(first);
    if (page.tableHead) {
        y = paintTable(p, page, y);
        y += 12;
    }

    for (int i = page.firstCutLine; i < page.lastCutLine; ++i) {
        p.setFont(reportFont(kLinePixels, headingLines_.contains(i)));
        p.drawText(QRect(kLeft, y, kWidth, lineH), Qt::AlignLeft | Qt::AlignVCenter, cutLines_[i]);
        y += lineH;
    }
    p.restore();
    paintReportFoot(p, origin(k));
}

QStringList defectListPageTexts() {
    DefectList withManual;
    withManual.manual = 1;
    QStringList texts{titleText(false), titleText(true),         wholeTextsHeading(),
                      orphanHeading(),  countText(DefectList{}), countText(withManual)};
    // The coverage in each of its forms, and the empty row it leads to.
    Coverage cover;
    cover.health.announced = cover.health.indexed = 1;
    for (const NothingEvaluatedWhy why :
         {NothingEvaluatedWhy::NoRecord, NothingEvaluatedWhy::NoDacFrame,
          NothingEvaluatedWhy::NoEcho, NothingEvaluatedWhy::None}) {
        cover.frames = why == NothingEvaluatedWhy::NoRecord ? 0 : 10;
        cover.dacFrames = why == NothingEvaluatedWhy::NoDacFrame ? 0 : 10;
        cover.evaluatedFrames = why == NothingEvaluatedWhy::None ? 10 : 0;
        texts << defectListCoverageTexts(cover) << emptyText(cover);
    }
    cover.lines.push_back({-40, -120, -180, {{0, 0}}});
    cover.notEvaluated = {{{1, 2}, NotEvaluatedWhy::Percent}, {{3, 3}, NotEvaluatedWhy::Dgs}};
    texts << defectListCoverageTexts(cover) << emptyText(cover);
    cover.health.damaged = 1;
    texts << defectListCoverageTexts(cover) << emptyText(cover);
    for (const Column& c : columns())
        texts << headText(c);
    for (const HeadCell& h : headCells())
        texts << pageText(h.shown);
    DefectList list;
    texts << defectListTravelText(list);
    texts << defectListInspectionText({}) << defectListInspectionText(QStringLiteral("%1"));
    list.calibration.method = TravelCalibration::Method::Typed;
    texts << defectListTravelText(list);
    list.travel = Travel{};
    texts << defectListTravelText(list);
    list.calibration.method = TravelCalibration::Method::TwoFrames;
    list.travel = Travel{1000000, 3};
    texts << defectListTravelText(list);
    list.travel = Travel{3000000, 3};
    texts << defectListTravelText(list);
    const DefectListWords words = defectListWords();
    texts << QString::fromStdString(words.frames) << QString::fromStdString(words.zone)
          << QString::fromStdString(words.manual);
    return texts;
}

} // namespace vantrel
