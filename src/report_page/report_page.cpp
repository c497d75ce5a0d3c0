#include "report_page/report_page.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextLayout>

#include <algorithm>
#include <string_view>

#include "pictures/frame_render.h"
#include "pictures/gbk_qstring.h"

namespace vantrel {

namespace {

// The page's own texts (title, captions, heads) in the interface's language.
// The sources are the instrument's Chinese; vantrel-inspect installs no
// translation, so its pages keep them.
QString pageText(const char* source) { return QCoreApplication::translate("ReportPage", source); }

struct Cell {
    int x1, x2, y1, y2; // x1..x2-1 and y1..y2-1, borders on the outermost pixels
};

struct Caption {
    QString text;
    int x, w, top; // box: x, width, top; 25 px high
};

struct HeadChar {
    QString text;
    int top, h;
};

// A vertical head: in Chinese its characters stacked at their places; a
// translation writes the whole word turned to read upwards.
struct Head {
    Cell cell;
    const char* word; // the characters together (UTF-8)
    std::vector<HeadChar> chars;
};

// The table rows: cells from left to right.
std::vector<Cell> tableCells() {
    std::vector<Cell> cells;
    auto row = [&](int y, std::initializer_list<std::pair<int, int>> xs, int y2 = 0) {
        for (auto [a, b] : xs)
            cells.push_back({a, b, y, y2 ? y2 : y + 41});
    };
    row(104, {{40, 177}, {176, 505}, {504, 617}, {616, 753}});
    row(144, {{40, 177}, {176, 505}, {504, 617}, {616, 753}});
    row(184, {{72, 177}, {176, 753}});
    row(224, {{72, 177}, {176, 409}, {408, 545}, {544, 753}});
    row(264, {{72, 177}, {176, 409}, {408, 545}, {544, 753}});
    row(304, {{72, 177}, {176, 409}, {440, 545}, {544, 753}});
    row(344, {{72, 177}, {176, 409}, {440, 545}, {544, 753}});
    for (int y : {384, 424, 464}) {
        row(y, {{72, 177}, {176, 257}, {256, 320}, {320, 409}, {440, 545}, {544, 753}});
        row(y, {{256, 256}}); // a cell of width 0: a plain vertical line
    }
    for (int y : {504, 544, 584, 624, 664})
        row(y, {{104, 177}, {176, 409}, {440, 545}, {544, 753}});
    row(704, {{104, 177}, {176, 409}});
    row(704, {{440, 545}, {544, 753}}, 785); // remarks: two rows high
    row(744, {{104, 177}, {176, 409}});
    return cells;
}

std::vector<Caption> captions() {
    struct Source {
        const char* text; // UTF-8
        int x, w, top;
    };
    static const Source sources[] = {
        {QT_TRANSLATE_NOOP("ReportPage", "检测单位"), 48, 105, 104},
        {QT_TRANSLATE_NOOP("ReportPage", "报告编号"), 505, 105, 104},
        {QT_TRANSLATE_NOOP("ReportPage", "委托单位"), 48, 105, 144},
        {QT_TRANSLATE_NOOP("ReportPage", "检测日期"), 505, 105, 144},
        {QT_TRANSLATE_NOOP("ReportPage", "名称"), 80, 65, 184},
        {QT_TRANSLATE_NOOP("ReportPage", "编号"), 80, 65, 224},
        {QT_TRANSLATE_NOOP("ReportPage", "材质"), 80, 65, 264},
        {QT_TRANSLATE_NOOP("ReportPage", "型号"), 80, 89, 304},
        {QT_TRANSLATE_NOOP("ReportPage", "探头类型"), 80, 89, 344},
        {QT_TRANSLATE_NOOP("ReportPage", "晶片尺寸"), 80, 89, 384},
        {QT_TRANSLATE_NOOP("ReportPage", "探头K值"), 80, 89, 424},
        {QT_TRANSLATE_NOOP("ReportPage", "折射角"), 80, 81, 464},
        {QT_TRANSLATE_NOOP("ReportPage", "前沿"), 259, 57, 384},
        {QT_TRANSLATE_NOOP("ReportPage", "频率"), 259, 57, 424},
        {QT_TRANSLATE_NOOP("ReportPage", "零点"), 259, 57, 464},
        {QT_TRANSLATE_NOOP("ReportPage", "表面热处理"), 416, 121, 224},
        {QT_TRANSLATE_NOOP("ReportPage", "表面粗糙度"), 416, 121, 264},
        {QT_TRANSLATE_NOOP("ReportPage", "型号"), 448, 89, 304},
        {QT_TRANSLATE_NOOP("ReportPage", "灵敏度"), 448, 89, 344},
        {QT_TRANSLATE_NOOP("ReportPage", "回波抑制"), 448, 89, 384},
        {QT_TRANSLATE_NOOP("ReportPage", "回波延时"), 448, 89, 424},
        {QT_TRANSLATE_NOOP("ReportPage", "声程范围"), 448, 89, 464},
        {QT_TRANSLATE_NOOP("ReportPage", "声速"), 448, 89, 504},
        {QT_TRANSLATE_NOOP("ReportPage", "探伤结果"), 448, 89, 544},
        {QT_TRANSLATE_NOOP("ReportPage", "探伤标准"), 448, 89, 584},
        {QT_TRANSLATE_NOOP("ReportPage", "探伤人员"), 448, 89, 624},
        {QT_TRANSLATE_NOOP("ReportPage", "负责人员"), 448, 89, 664},
        {QT_TRANSLATE_NOOP("ReportPage", "长度"), 115, 57, 664},
        {QT_TRANSLATE_NOOP("ReportPage", "高度"), 115, 57, 704},
        {QT_TRANSLATE_NOOP("ReportPage", "等级"), 115, 57, 744},
        {QT_TRANSLATE_NOOP("ReportPage", "备注"), 448, 89, 728},
    };
    std::vector<Caption> c;
    for (const Source& s : sources)
        c.push_back({pageText(s.text), s.x, s.w, s.top});
    return c;
}

QString pageTitle() {
    return pageText(QT_TRANSLATE_NOOP("ReportPage", "Kelvora数字式超声波探伤仪探伤报告"));
}

// Vertical heads, the location head last: in the two-gate layout it grows
// over the top of the size head.
std::vector<Head> heads(bool twoGate) {
    auto chars = [](std::initializer_list<std::pair<const char*, int>> list) {
        std::vector<HeadChar> v;
        for (auto [t, top] : list)
            v.push_back({QString::fromUtf8(t), top, 33});
        return v;
    };
    std::vector<Head> h = {
        {{40, 73, 184, 305},
         QT_TRANSLATE_NOOP("ReportPage", "工件"),
         {{QStringLiteral("工"), 208, 33}, {QStringLiteral("件"), 256, 41}}},
        {{40, 73, 304, 505},
         QT_TRANSLATE_NOOP("ReportPage", "探头"),
         chars({{"探", 344}, {"头", 424}})},
        {{408, 441, 304, 545},
         QT_TRANSLATE_NOOP("ReportPage", "探伤仪"),
         chars({{"探", 328}, {"伤", 392}, {"仪", 456}})},
        {{40, 73, 504, 785},
         QT_TRANSLATE_NOOP("ReportPage", "缺陷"),
         chars({{"缺", 544}, {"陷", 656}})},
        {{408, 441, 544, 785},
         QT_TRANSLATE_NOOP("ReportPage", "探伤评定"),
         chars({{"探", 576}, {"伤", 616}, {"评", 672}, {"定", 712}})},
        {{72, 105, 624, 785},
         QT_TRANSLATE_NOOP("ReportPage", "定量"),
         chars({{"定", 688}, {"量", 728}})},
        {{72, 105, 504, 504 + reportLocationHeadHeight(twoGate)},
         QT_TRANSLATE_NOOP("ReportPage", "定位"),
         chars({{"定", 528}, {"位", 584}})},
    };
    return h;
}

// The outline is filled as 1-pixel bands, not stroked: on every device it
// then covers exactly the page pixels of the bitmap form, one page pixel
// (25.4/96 mm) wide, where a cosmetic pen would print a hairline of one
// printer dot.
void drawCell(QPainter& p, const Cell& c) {
    const int w = c.x2 - c.x1, h = c.y2 - c.y1;
    if (w == 0) { // a plain vertical line
        fillBand(p, QRect(c.x1, c.y1, 1, h), Qt::black);
        return;
    }
    p.fillRect(c.x1, c.y1, w, h, Qt::white);
    fillBand(p, QRect(c.x1, c.y1, w, 1), Qt::black);
    fillBand(p, QRect(c.x1, c.y2 - 1, w, 1), Qt::black);
    fillBand(p, QRect(c.x1, c.y1, 1, h), Qt::black);
    fillBand(p, QRect(c.x2 - 1, c.y1, 1, h), Qt::black);
}

} // namespace

ReportFill fillReportText(const PanelTexts& panel, const ReadoutTexts& readouts) {
    ReportFill f;
    auto set = [&](const char* name, const std::string& gbk) {
        f.fields[QString::fromLatin1(name)] = fromGbk(gbk);
    };
    f.fields[QString::fromLatin1(reportfield::kType)] = panelText(panel.probeType);
    set(reportfield::kCrystal, panel.crystalSize + "mm");
    set(reportfield::kReject, panel.reject + " %");
    set(reportfield::kKValue, panel.echoKAngle);
    // The unit of the refraction angle, then a blank.
    f.fields[QString::fromLatin1(reportfield::kRefraction)] =
        fromGbk(panel.probeAngle) + pageText(QT_TRANSLATE_NOOP("ReportPage", "度 "));
    set(reportfield::kFront, panel.probeFront + "mm");
    set(reportfield::kFrequency, panel.probeFrequency + "MHz");
    set(reportfield::kZero, panel.probeZero + "us");
    set(reportfield::kSpeed, panel.echoSpeed + "m/s");
    set(reportfield::kDelay, panel.echoDelay + "mm");
    set(reportfield::kRange, panel.echoRange);
    set(reportfield::kGain, panel.baseGain + "+" + panel.scanGain + "+" + panel.compGain + "dB");

    const ReadoutValues values = readoutValues(readouts);
    f.twoGate = values.twoGate;
    f.defectCaptions = reportDefectCaptions(f.twoGate);
    set(reportfield::kDistance, values.distance);
    set(reportfield::kXValue, values.x);
    set(reportfield::kYValue, values.y);
    set(reportfield::kEquivalent, values.equivalent);
    return f;
}

int reportLocationHeadHeight(bool twoGate) { return twoGate ? 161 : 121; }

std::array<QString, 4> reportDefectCaptions(bool twoGate) {
    static const char* const oneGate[4] = {
        QT_TRANSLATE_NOOP("ReportPage", "距离"), QT_TRANSLATE_NOOP("ReportPage", "水平"),
        QT_TRANSLATE_NOOP("ReportPage", "垂直"), QT_TRANSLATE_NOOP("ReportPage", "当量")};
    static const char* const twoGates[4] = {
        QT_TRANSLATE_NOOP("ReportPage", "A定位"), QT_TRANSLATE_NOOP("ReportPage", "A当量"),
        QT_TRANSLATE_NOOP("ReportPage", "B定位"), QT_TRANSLATE_NOOP("ReportPage", "B当量")};
    std::array<QString, 4> captions;
    for (size_t i = 0; i < 4; ++i)
        captions[i] = QString::fromUtf8(twoGate ? twoGates[i] : oneGate[i]);
    return captions;
}

QStringList reportPageTexts(const ReportFill& fill) {
    QStringList texts{pageTitle(), wholeTextsHeading()};
    for (const Caption& c : captions())
        texts << c.text;
    for (const QString& c : fill.defectCaptions)
        texts << pageText(c.toUtf8().constData());
    for (const Head& h : heads(fill.twoGate)) {
        const QString word = pageText(h.word);
        if (word == QString::fromUtf8(h.word))
            for (const HeadChar& c : h.chars)
                texts << c.text;
        else
            texts << word;
    }
    return texts;
}

const std::vector<UserCell>& reportUserCells() {
    // The captions as the page's whole texts and the report window name
    // them, translated in the page's context.
    static const std::vector<UserCell> cells = {
        {QT_TRANSLATE_NOOP("ReportPage", "检测单位"), "QRRichText1"},
        {QT_TRANSLATE_NOOP("ReportPage", "报告编号"), "QRRichText4"},
        {QT_TRANSLATE_NOOP("ReportPage", "委托单位"), "QRRichText2"},
        {QT_TRANSLATE_NOOP("ReportPage", "检测日期"), "QRRichText5"},
        {QT_TRANSLATE_NOOP("ReportPage", "名称"), "QRRichText3"},
        {QT_TRANSLATE_NOOP("ReportPage", "编号"), "QRRichText6"},
        {QT_TRANSLATE_NOOP("ReportPage", "表面热处理"), "QRRichText17"},
        {QT_TRANSLATE_NOOP("ReportPage", "材质"), "QRRichText7"},
        {QT_TRANSLATE_NOOP("ReportPage", "表面粗糙度"), "QRRichText18"},
        {QT_TRANSLATE_NOOP("ReportPage", "探头型号"), "QRRichText8"},
        {QT_TRANSLATE_NOOP("ReportPage", "探伤仪型号"), "QRRichText19"},
        {QT_TRANSLATE_NOOP("ReportPage", "探伤结果"), "QRRichText25"},
        {QT_TRANSLATE_NOOP("ReportPage", "探伤标准"), "QRRichText26"},
        {QT_TRANSLATE_NOOP("ReportPage", "探伤人员"), "QRRichText27"},
        {QT_TRANSLATE_NOOP("ReportPage", "负责人员"), "QRRichText28"},
        {QT_TRANSLATE_NOOP("ReportPage", "长度"), "QRRichText14"},
        {QT_TRANSLATE_NOOP("ReportPage", "高度"), "QRRichText15"},
        {QT_TRANSLATE_NOOP("ReportPage", "等级"), "QRRichText16"},
        {QT_TRANSLATE_NOOP("ReportPage", "备注"), "QRRichText29"},
    };
    return cells;
}

const std::vector<PageField>& reportFields() {
    static const std::vector<PageField> fields = [] {
        std::vector<PageField> v;
        auto add = [&](const char* name, int x, int rowTop, int w, FieldKind kind, int h = 25) {
            v.push_back({name, x, rowTop + 8, w, h, kind});
        };
        const FieldKind U = FieldKind::User, F = FieldKind::Filled;
        add("QRRichText1", 184, 104, 313, U);
        add("QRRichText4", 621, 104, 127, U);
        add("QRRichText2", 184, 144, 313, U);
        add("QRRichText5", 621, 144, 127, U);
        add("QRRichText3", 184, 184, 561, U);
        add("QRRichText6", 184, 224, 217, U);
        add("QRRichText17", 560, 224, 185, U);
        add("QRRichText7", 184, 264, 217, U);
        add("QRRichText18", 560, 264, 185, U);
        add("QRRichText8", 184, 304, 217, U);
        add("QRRichText19", 560, 304, 185, U);
        add(reportfield::kType, 184, 344, 217, F);
        add(reportfield::kGain, 560, 344, 185, F);
        add(reportfield::kCrystal, 179, 384, 76, F);
        add(reportfield::kFront, 323, 384, 83, F);
        add(reportfield::kReject, 560, 384, 185, F);
        add(reportfield::kKValue, 179, 424, 76, F);
        add(reportfield::kFrequency, 323, 424, 83, F);
        add(reportfield::kDelay, 560, 424, 185, F);
        add(reportfield::kRefraction, 179, 464, 76, F);
        add(reportfield::kZero, 323, 464, 83, F);
        add(reportfield::kRange, 560, 464, 185, F);
        add(reportfield::kDistance, 184, 504, 217, F);
        add(reportfield::kSpeed, 560, 504, 185, F);
        add(reportfield::kXValueBox, 184, 544, 217, FieldKind::Covered);
        add(reportfield::kXValue, 184, 544, 0, FieldKind::Label, 20);
        add("QRRichText25", 560, 544, 185, U);
        add(reportfield::kYValue, 184, 584, 217, F);
        add("QRRichText26", 560, 584, 185, U);
        add("QRRichEquivalent", 184, 624, 217, FieldKind::Covered);
        add(reportfield::kEquivalent, 184, 624, 0, FieldKind::Label);
        add("QRRichText27", 560, 624, 185, U);
        add("QRRichText14", 184, 664, 217, U);
        add("QRRichText28", 560, 664, 185, U);
        add("QRRichText15", 184, 704, 217, U);
        v.push_back({"QRRichText29", 552, 712, 193, 65, U});
        add("QRRichText16", 184, 744, 217, U);
        return v;
    }();
    return fields;
}

QFont reportFont(int pixelSize, bool bold) {
    QFont font(QStringLiteral("Arial"));
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("WenQuanYi Micro Hei")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

int fieldLineHeight(int pixelSize) { return QFontMetrics(reportFont(pixelSize)).height(); }

QStringList wrapText(const QString& text, const QFont& font, int width) {
    QStringList lines;
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QTextLayout layout(paragraph, font);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            lines << paragraph.mid(line.textStart(), line.textLength());
        }
        layout.endLayout();
        if (paragraph.isEmpty()) lines << QString();
    }
    return lines;
}

FieldFit fitFieldText(const PageField& f, const QString& text) {
    FieldFit fit;
    const bool oneLine = f.h <= 25;
    for (int size = kFieldPixelSize; size >= kFieldMinPixelSize; --size) {
        const QFont font = reportFont(size);
        fit.pixelSize = size;
        if (oneLine) {
            fit.lines = QStringList{text};
            if (QFontMetrics(font).horizontalAdvance(text) <= f.w) return fit;
        } else {
            fit.lines = wrapText(text, font, f.w);
            if (fit.lines.size() * fieldLineHeight(size) <= f.h) return fit;
        }
    }
    // Not even the smallest font holds it: the lines that fit, as the
    // editor shows them, the last one marked with an ellipsis.
    const QFontMetrics metrics(reportFont(kFieldMinPixelSize));
    const int rows = oneLine ? 1 : std::max(1, f.h / fieldLineHeight(kFieldMinPixelSize));
    fit.lines = fit.lines.mid(0, rows);
    QString& last = fit.lines.last();
    const QString marked = last + QStringLiteral("\u2026");
    last = metrics.horizontalAdvance(marked) <= f.w
               ? marked
               : metrics.elidedText(marked, Qt::ElideRight, f.w);
    fit.cut = true;
    return fit;
}

QString wholeTextsHeading() {
    return pageText(QT_TRANSLATE_NOOP("ReportPage", "表中未能印全的文字"));
}

QString wholeTextEntry(const QString& caption, const QString& text) {
    return caption + QStringLiteral("：") + text;
}

QStringList wholeTextLines(const QStringList& entries, const QFont& font, int width) {
    if (entries.isEmpty()) return {};
    QStringList lines{wholeTextsHeading()};
    for (const QString& entry : entries)
        lines << wrapText(entry, font, width);
    return lines;
}

QStringList reportCutTexts(const std::function<QString(const PageField&)>& fieldText) {
    QStringList entries;
    for (const UserCell& c : reportUserCells()) {
        const auto f =
            std::find_if(reportFields().begin(), reportFields().end(),
                         [&](const PageField& p) { return std::string_view(p.name) == c.field; });
        if (f == reportFields().end()) continue;
        const QString text = fieldText(*f);
        if (!text.isEmpty() && fitFieldText(*f, text).cut)
            entries << wholeTextEntry(pageText(c.caption), text);
    }
    return entries;
}

ReportPictures reportPictures(const ReportPlotInputs& in) {
    ReportPictures pictures;
    pictures.leftRuler = [](QPainter& p, int w, int h) {
        drawAmplitudeRuler(p, w, h, kReportPlot.height(), PlotColours::print());
    };
    pictures.bottomRuler = [labels = in.pathRuler](QPainter& p, int w, int h) {
        drawPathRuler(p, w, h, labels, PlotColours::print());
    };
    pictures.plot = [in](QPainter& p, int w, int h) {
        drawReportPlot(p, w, h, in.echoFrame, in.envelope, *in.params, *in.curves);
    };
    return pictures;
}

namespace {

// A user's text as fitFieldText lays it out; in the page's font, where it
// fits, exactly as the filled fields are painted.
void paintUserField(QPainter& p, const PageField& f, const QString& text) {
    const FieldFit fit = fitFieldText(f, text);
    p.save();
    p.setFont(reportFont(fit.pixelSize));
    if (f.h <= 25) {
        p.drawText(QRect(f.x, f.y, f.w, f.h), Qt::AlignLeft | Qt::AlignVCenter, fit.lines.first());
    } else {
        const int step = fieldLineHeight(fit.pixelSize);
        for (qsizetype i = 0; i < fit.lines.size(); ++i)
            p.drawText(QRect(f.x, f.y + static_cast<int>(i) * step, f.w, step),
                       Qt::AlignLeft | Qt::AlignTop, fit.lines[i]);
    }
    p.restore();
}

// The outer frame, the title, the table's cells with their captions, and
// the captions of the defect rows.
void paintFrameAndTable(QPainter& p, const ReportFill& fill) {
    drawCell(p, {39, 754, 48, 1082}); // outer frame
    drawCell(p, {40, 753, 49, 104});  // title
    p.setFont(reportFont(21, true));
    p.drawText(QRect(88, 64, 601, 33), Qt::AlignCenter, pageTitle());

    for (const Cell& c : tableCells())
        drawCell(p, c);
    p.setFont(reportFont(19));
    for (const Caption& c : captions())
        p.drawText(QRect(c.x, c.top + 8, c.w, 25), Qt::AlignCenter, c.text);
    const int defectRows[4] = {504, 544, 584, 624};
    for (int i = 0; i < 4; ++i)
        p.drawText(QRect(115, defectRows[i] + 8, 57, 25), Qt::AlignCenter,
                   pageText(fill.defectCaptions[static_cast<size_t>(i)].toUtf8().constData()));
}

// The vertical heads, in the captions' font.
void paintHeads(QPainter& p, bool twoGate) {
    p.setFont(reportFont(19));
    for (const Head& h : heads(twoGate)) {
        drawCell(p, h.cell);
        const QString word = pageText(h.word);
        if (word == QString::fromUtf8(h.word)) {
            for (const HeadChar& c : h.chars)
                p.drawText(QRect(h.cell.x1 + 3, c.top, 25, c.h), Qt::AlignCenter, c.text);
        } else {
            // Turned a quarter to the left, centred in the cell's inside.
            const int w = h.cell.x2 - h.cell.x1 - 2, height = h.cell.y2 - h.cell.y1 - 2;
            p.save();
            p.translate(h.cell.x1 + 1 + w / 2.0, h.cell.y1 + 1 + height / 2.0);
            p.rotate(-90);
            p.drawText(QRectF(-height / 2.0, -w / 2.0, height, w), Qt::AlignCenter, word);
            p.restore();
        }
    }
}

// The waveform block and its pictures, each clipped to its place.
void paintPictures(QPainter& p, const ReportPictures& pictures) {
    drawCell(p, {40, 753, 785, 1081}); // the waveform block
    auto picture = [&](const QRect& r, const std::function<void(QPainter&, int, int)>& draw) {
        if (!draw) return;
        p.save();
        p.translate(r.topLeft());
        p.setClipRect(0, 0, r.width(), r.height());
        draw(p, r.width(), r.height());
        p.restore();
    };
    // The rulers first: the plot covers their shared column and row.
    picture(kReportLeftRuler, pictures.leftRuler);
    picture(kReportBottomRuler, pictures.bottomRuler);
    picture(kReportPlot, pictures.plot);
}

// The fields' texts: a user's as fitFieldText lays it out, a label's on
// white as wide as its text, the others in their boxes.
void paintFieldTexts(QPainter& p, const std::function<QString(const PageField&)>& fieldText) {
    p.setPen(Qt::black);
    p.setFont(reportFont(19));
    const QFontMetrics metrics(p.font());
    for (const PageField& f : reportFields()) {
        const QString text = fieldText(f);
        if (text.isEmpty()) continue;
        if (f.kind == FieldKind::User) {
            paintUserField(p, f, text);
            continue;
        }
        const int w = f.kind == FieldKind::Label ? metrics.horizontalAdvance(text) : f.w;
        if (f.kind == FieldKind::Label) p.fillRect(f.x, f.y, w, f.h, Qt::white);
        const int flags =
            Qt::AlignLeft | (f.h > 25 ? Qt::AlignTop | Qt::TextWordWrap : Qt::AlignVCenter);
        p.drawText(QRect(f.x, f.y, w, f.h), flags, text);
    }
}

// The whole texts of the cells the page cuts, in their place below the
// cells: the heading in bold, in the largest font from 13 px down to the
// cells' smallest that holds every line.
void paintWholeTexts(QPainter& p, const QStringList& entries) {
    if (entries.isEmpty()) return;
    const QRect area = kReportWholeTexts;
    int size = 13;
    QStringList lines;
    for (;; --size) {
        lines = wholeTextLines(entries, reportFont(size), area.width());
        if (size == kFieldMinPixelSize ||
            static_cast<int>(lines.size()) * fieldLineHeight(size) <= area.height())
            break;
    }
    const int step = fieldLineHeight(size);
    const auto rows = static_cast<qsizetype>(area.height() / step);
    if (lines.size() > rows) {
        // Past what a page can hold: the lines that fit, the last marked.
        lines = lines.mid(0, rows);
        const QFontMetrics metrics(reportFont(size));
        lines.last() = metrics.elidedText(lines.last() + QStringLiteral("\u2026"), Qt::ElideRight,
                                          area.width());
    }
    p.save();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        p.setFont(reportFont(size, i == 0));
        p.drawText(QRect(area.x(), area.y() + static_cast<int>(i) * step, area.width(), step),
                   Qt::AlignLeft | Qt::AlignVCenter, lines[i]);
    }
    p.restore();
}

} // namespace

void paintReportPage(QPainter& p, const ReportFill& fill, const ReportPictures& pictures,
                     const std::function<QString(const PageField&)>& fieldText) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(0, 0, kPageWidth, kPageHeight, Qt::white);
    p.setPen(Qt::black); // the texts; every line is filled, not stroked
    paintFrameAndTable(p, fill);
    paintHeads(p, fill.twoGate);
    paintPictures(p, pictures);
    if (fieldText) {
        paintFieldTexts(p, fieldText);
        paintWholeTexts(p, reportCutTexts(fieldText));
    }
    p.restore();
}

QString reportFootText(const PageOrigin& o) {
    QStringList parts;
    if (!o.fileName.isEmpty()) parts << o.fileName;
    if (o.record >= 0 && o.frame >= 0)
        parts << pageText(QT_TRANSLATE_NOOP("ReportPage", "记录 %1:%2")).arg(o.record).arg(o.frame);
    // A note is one line on the instrument; line breaks, if a file holds
    // any, would leave the foot's one line.
    if (!o.note.isEmpty()) parts << QString(o.note).replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (o.date.isValid())
        parts << pageText(QT_TRANSLATE_NOOP("ReportPage", "打印于 %1"))
                     .arg(o.date.toString(Qt::ISODate));
    if (o.pages > 1)
        parts << pageText(QT_TRANSLATE_NOOP("ReportPage", "第 %1/%2 页"))
                     .arg(o.page + 1)
                     .arg(o.pages);
    return parts.join(QStringLiteral(" \u00B7 "));
}

void paintReportFoot(QPainter& p, const PageOrigin& origin) {
    p.save();
    p.setFont(reportFont(12));
    p.setPen(QColor(64, 64, 64));
    // One line: a long note is elided in the middle rather than run off the
    // paper.
    const QString text =
        p.fontMetrics().elidedText(reportFootText(origin), Qt::ElideMiddle, kReportFoot.width());
    p.drawText(kReportFoot, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    p.restore();
}

QString reportPdfTitle() { return QStringLiteral("Vantrel inspection report"); }

bool writeReportPdf(const QString& path, int pages,
                    const std::function<void(QPainter&, int page)>& paint, const QString& creator,
                    const QString& title) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    {
        QPdfWriter pdf(&file);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageOrientation(QPageLayout::Portrait);
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setResolution(96); // one page pixel per PDF device pixel
        pdf.setTitle(title);
        pdf.setCreator(creator);
        QPainter painter;
        if (!painter.begin(&pdf)) {
            file.cancelWriting();
            return false;
        }
        for (int k = 0; k < pages; ++k) {
            if (k > 0) pdf.newPage();
            paint(painter, k);
        }
        if (!painter.end()) {
            file.cancelWriting();
            return false;
        }
    }
    return file.commit();
}

QString reportPdfName(const QString& recordingPath, int record, int frame) {
    const QFileInfo info(recordingPath);
    if (record < 0) return info.dir().filePath(info.completeBaseName() + QStringLiteral(".pdf"));
    return info.dir().filePath(
        QStringLiteral("%1_%2_%3.pdf").arg(info.completeBaseName()).arg(record).arg(frame));
}

} // namespace vantrel
