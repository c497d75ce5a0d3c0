#include "bscan.h"

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
    for (int64_t i = from; i <= to;) {
        const OverviewRecord& rec = o.recordOf(i);
        const int64_t end = std::min(to + 1, rec.firstFrame + rec.frames);
        reader.loadRecord(rec.record);
        // A record read at the walk that no longer reads as it did (the
        // file changed since) shows nothing rather than another record.
        if (shownFrames(reader.framesPerRecord()) != rec.frames) {
            i = end;
            continue;
        }
        for (; i < end; ++i) {
            BscanColumn& c = columns[static_cast<size_t>(bscanColumnOf(i - from, n, width))];
            if (!c.holdsFrames()) c.first = i;
            c.last = i;
            const std::span<const uint8_t> frame = reader.frame(i - rec.firstFrame);
            for (int k = 0; k < kBscanRows; ++k)
                c.cells[static_cast<size_t>(k)] =
                    std::max(c.cells[static_cast<size_t>(k)], frame[static_cast<size_t>(k)]);
        }
    }
    return columns;
}

} // namespace vantrel
