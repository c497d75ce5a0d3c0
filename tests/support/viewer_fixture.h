// Record files for the viewer's tests: record r, frame f carries the measured
// value 1000 * (100 r + f), so a drawn frame tells where it came from.
#pragma once

#include "test_files.h"
#include "viewer/viewer_core.h"

namespace vantrel::testing {

struct Shown {
    int record, frame;
    bool operator==(const Shown&) const = default;
};

inline Shown shownBy(const FrameTail& tail) {
    const int v = tail.values()[0] / 1000;
    return {v / 100, v % 100};
}

// `frames` per record; a block on record 0 and on the records in `blocks`,
// notes on the records in `notes`.
inline std::string viewerFile(const std::string& name, const std::vector<int>& frames,
                              const std::vector<int>& notes = {}, std::vector<int> blocks = {}) {
    RecordWriter w;
    blocks.push_back(0);
    for (size_t r = 0; r < frames.size(); ++r) {
        const int rec = static_cast<int>(r);
        const bool note = std::find(notes.begin(), notes.end(), rec) != notes.end();
        const bool block = note || std::find(blocks.begin(), blocks.end(), rec) != blocks.end();
        const ParameterBlock b = makeBlock(static_cast<uint16_t>(100 + rec));
        const std::vector<uint16_t> cells =
            note ? noteCellsFromUtf8("note " + std::to_string(rec)) : std::vector<uint16_t>{};
        w.addRecord(makeFrames(frames[r], 100 * rec), block ? &b : nullptr, cells);
    }
    return writeTemp(name, w.bytes());
}

} // namespace vantrel::testing
