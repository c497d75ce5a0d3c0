#include "analysis/bscan.h"

#include <algorithm>

namespace vantrel {

int64_t bscanColumnOf(int64_t i, int64_t n, int64_t width) {
    return static_cast<int64_t>(static_cast<__int128>(i) * width / n);
}

int64_t bscanFirstOf(int64_t c, int64_t n, int64_t width) {
    // The least i with floor(i W / n) >= c: ceil(c n / W).
    const __int128 cn = static_cast<__int128>(c) * n;
    return static_cast<int64_t>((cn + width - 1) / width);
}

std::vector<BscanColumn> bscanByReading(const EchoOverview& o, RecordQuery& reader, int64_t from,
                                        int64_t to, int width) {
    std::vector<BscanColumn> columns(static_cast<size_t>(std::max(width, 0)));
    if (width <= 0 || from < 0 || to < from || to >= o.frameCount()) return columns;
    const int64_t n = to - from + 1;
    for (int c = 0; c < width; ++c) {
        const int64_t first = bscanFirstOf(c, n, width), next = bscanFirstOf(c + 1, n, width);
        if (first >= next) continue; // a range narrower than the width
        columns[static_cast<size_t>(c)].first = from + first;
        columns[static_cast<size_t>(c)].last = from + next - 1;
    }
    readBscanColumns(o, reader, columns);
    return columns;
}

void readBscanColumns(const EchoOverview& o, RecordQuery& reader,
                      std::vector<BscanColumn>& columns) {
    int32_t loaded = -1;
    bool intact = false;
    for (BscanColumn& c : columns) {
        c.cells = {};
        if (!c.holdsFrames() || c.last >= o.frameCount()) continue;
        for (int64_t i = c.first; i <= c.last;) {
            const OverviewRecord& rec = o.recordOf(i);
            const int64_t end = std::min(c.last + 1, rec.firstFrame + rec.frames);
            if (rec.record != loaded) {
                // Neighbouring columns often share a record: it is read once.
                loaded = rec.record;
                reader.loadRecord(rec.record);
                // A record read at the walk that no longer reads as it did
                // (the file changed since) shows nothing rather than another
                // record.
                intact = shownFrames(reader.framesPerRecord()) == rec.frames;
            }
            for (; intact && i < end; ++i)
                bscanMaxInto(c.cells, reader.frame(i - rec.firstFrame).data());
            i = end;
        }
    }
}

std::vector<BscanColumn> bscanBySummaries(const EchoOverview& o, const OverviewView& view,
                                          int width) {
    std::vector<BscanColumn> columns(static_cast<size_t>(std::max(width, 0)));
    const BscanSummaries& s = o.bscanSummaries();
    if (width <= 0 || view.from < 0 || view.to <= view.from || view.to > o.frameCount() ||
        s.empty())
        return columns;
    for (int x = 0; x < width; ++x) {
        const auto [a, b] = framesOfColumn(view, width, x);
        auto [k0, k1] = s.blocksCentredIn(a, b);
        if (k0 >= k1) {
            k0 = s.blockOf(a);
            k1 = k0 + 1;
        }
        BscanColumn& column = columns[static_cast<size_t>(x)];
        column.first = s.blockFirst(k0);
        column.last = s.blockLast(k1 - 1);
        s.maxOver(k0, k1, column.cells);
    }
    return columns;
}

bool bscanReadsRecords(const EchoOverview& o, const OverviewView& view) {
    if (o.bscanSummaries().empty()) return true;
    if (view.from < 0 || view.to <= view.from || view.to > o.frameCount()) return true;
    // Entries of the overview's records, which holds only records with shown
    // frames: the records a reading decodes.
    const int64_t records = &o.recordOf(view.to - 1) - &o.recordOf(view.from) + 1;
    return records <= kBscanMostRecordsRead;
}

std::vector<BscanColumn> bscanStripColumns(const EchoOverview& o, RecordQuery* reader,
                                           const OverviewView& view, int width) {
    if (!reader || !bscanReadsRecords(o, view)) return bscanBySummaries(o, view, width);
    std::vector<BscanColumn> columns(static_cast<size_t>(std::max(width, 0)));
    if (view.from < 0 || view.to <= view.from || view.to > o.frameCount()) return columns;
    for (int x = 0; x < width; ++x) {
        const auto [a, b] = framesOfColumn(view, width, x);
        columns[static_cast<size_t>(x)].first = a;
        columns[static_cast<size_t>(x)].last = b - 1;
    }
    readBscanColumns(o, *reader, columns);
    return columns;
}

std::pair<int, int> bscanSamplesOfRow(int y, int height) {
    const int h = std::max(height, 1);
    const int first = static_cast<int>(int64_t{y} * kBscanRows / h);
    const int next = static_cast<int>(int64_t{y + 1} * kBscanRows / h);
    return {first, std::max(next, first + 1)};
}

int bscanRowOfSample(int k, int height) {
    // The least y with y x 280 / h >= k.
    return static_cast<int>((int64_t{k} * height + kBscanRows - 1) / kBscanRows);
}

std::optional<BscanGeometry> bscanPathOfView(const EchoOverview& o, const OverviewView& view) {
    const BscanSummaries& s = o.bscanSummaries();
    if (s.empty() || view.from < 0 || view.to <= view.from || view.to > o.frameCount())
        return std::nullopt;
    const size_t first = s.runOf(view.from), last = s.runOf(view.to - 1);
    const BscanGeometry& g = s.runGeometry(first);
    if (g.range == 0) return std::nullopt; // no block in force: no lengths
    // Runs change with the gates too; the path may hold across them.
    for (size_t k = first + 1; k <= last; ++k)
        if (!s.runGeometry(k).samePath(g)) return std::nullopt;
    return g;
}

} // namespace vantrel
