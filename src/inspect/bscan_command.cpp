#include "inspect/bscan_command.h"

#include <QImage>

#include <string>

#include "analysis/bscan.h"
#include "inspect/cli_support.h"
#include "pictures/bscan_render.h"
#include "viewer/viewer_core.h"

namespace vantrel::cli {

namespace {

// The shown frame an --from or --to names: a place R:F that is one of the
// file's shown frames.
int64_t shownFrameOrFail(const EchoOverview& o, const QString& text, const char* option) {
    const std::optional<FramePlace> p = parseFramePlace(text.toStdString());
    if (!p) fail(std::string("bscan --") + option + " " + quoted(text) + " is not a place R:F");
    const int64_t i = o.indexOf(p->record, p->frame);
    if (i < 0)
        fail(std::string("bscan --") + option + " " + quoted(text) +
             " is not one of the file's shown frames");
    return i;
}

} // namespace

void bscanCommand(const QString& path, const std::optional<QString>& fromText,
                  const std::optional<QString>& toText, const std::optional<QString>& columnsText,
                  const QString& out) {
    const bool png = out.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive);
    if (!png && !out.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive))
        fail("bscan --out " + quoted(out) + ": the name must end in .csv or .png");
    std::optional<int64_t> width;
    if (columnsText) {
        const WholeNumber w = parseWhole(*columnsText, "columns");
        if (w.value < 1 || w.value > kMostBscanColumns)
            fail("bscan --columns " + w.text + " is out of range (1 to " +
                 std::to_string(kMostBscanColumns) + ")");
        width = w.value;
    }
    RecordQuery query;
    openOrFail(query, path);
    // The shown frames and their records, from one walk of the file.
    const EchoOverview overview = computeOverview(query, overviewSettings({}));
    if (overview.frameCount() == 0) fail(quoted(path) + " has no shown frames");
    const int64_t from = fromText ? shownFrameOrFail(overview, *fromText, "from") : 0;
    const int64_t to =
        toText ? shownFrameOrFail(overview, *toText, "to") : overview.frameCount() - 1;
    if (from > to)
        fail("bscan --from " + quoted(*fromText) + " lies after --to " + quoted(*toText));
    const int64_t n = to - from + 1;
    const int columns =
        static_cast<int>(width.value_or(std::min<int64_t>(n, kDefaultBscanColumns)));

    RecordQuery reader;
    if (!reader.openAlongside(query)) fail("cannot open " + quoted(path) + " a second time");
    reader.setPanelAndCurves(false);
    const std::vector<BscanColumn> matrix = bscanByReading(overview, reader, from, to, columns);
    if (png) {
        if (!bscanImage(matrix).save(out, "PNG")) fail(cannotWrite(out));
        return;
    }
    OutputFile file(out);
    std::string rows = "column,firstRecord,firstFrame,lastRecord,lastFrame";
    for (int k = 0; k < kBscanRows; ++k)
        rows += ",s" + std::to_string(k);
    rows += "\r\n";
    for (size_t c = 0; c < matrix.size(); ++c) {
        const BscanColumn& col = matrix[c];
        if (!col.holdsFrames()) continue;
        rows += std::to_string(c) + ',' + std::to_string(overview.recordNumber(col.first)) + ',' +
                std::to_string(overview.frameNumber(col.first)) + ',' +
                std::to_string(overview.recordNumber(col.last)) + ',' +
                std::to_string(overview.frameNumber(col.last));
        for (const uint8_t v : col.cells)
            rows += ',' + std::to_string(v);
        rows += "\r\n";
        file.writeWhenFull(rows);
    }
    file.write(rows);
    file.close();
}

} // namespace vantrel::cli
