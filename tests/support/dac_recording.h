// Recordings for the evaluation against the DAC lines, written with the
// project's own writer: records whose shown frames carry given gate A
// amplitudes under a DAC block (or a % or DGS one), for the evaluation and
// the defect list built on it.
#pragma once

#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "test_files.h"

namespace vantrel::testing {

// Lines of the gain table, tenths of a dB: g[1] the DAC curve, g[2] RL,
// g[3] SL, g[4] EL (as levels: the lines stand at g[k] - g[1]).
struct Lines {
    int16_t g1 = 100, g2 = 60, g3 = -20, g4 = -80; // RL -4.0, SL -12.0, EL -18.0 dB
};

// A DAC block reading against line m (1..7) of `lines`.
inline ParamBuilder dac(int m, Lines l = {}) {
    using namespace param;
    return ParamBuilder()
        .u16(kGateALevel, 100)
        .u16(kVelocity, 3230)
        .bits(kDacOn, 1)
        .bits(kDacLineSelect, static_cast<uint32_t>(m - 1))
        .u16(kGainTable + 2, static_cast<uint16_t>(l.g1))
        .u16(kGainTable + 4, static_cast<uint16_t>(l.g2))
        .u16(kGainTable + 6, static_cast<uint16_t>(l.g3))
        .u16(kGainTable + 8, static_cast<uint16_t>(l.g4));
}
inline ParamBuilder percent() {
    return ParamBuilder().u16(param::kGateALevel, 100).u16(param::kVelocity, 3230);
}
inline ParamBuilder dgs() { return percent().bits(param::kDgsOn, 1); }

// A record whose shown frames carry `a` as gate A's amplitude value (value 3
// one-gate, value 1 two-gate; kNoEcho: no echo, a path of 0); paths 1000 +
// f unless `path` gives them, surface 3000 + f, depths 2000 + f; one more
// frame stepping never shows.
struct Rec {
    std::vector<int32_t> a;
    std::optional<ParamBuilder> block = std::nullopt;
    std::vector<int32_t> path = {};
};
inline constexpr int32_t kNoEcho = INT32_MIN;

inline Bytes dacFrames(const std::vector<int32_t>& a, bool twoGate,
                       const std::vector<int32_t>& paths = {}) {
    Bytes b((a.size() + 1) * kFrameSize, 0);
    for (size_t f = 0; f <= a.size(); ++f) {
        const int32_t v = f < a.size() ? a[f] : 0;
        const bool echo = v != kNoEcho;
        const int32_t given = f < paths.size() ? paths[f] : 1000 + static_cast<int32_t>(f);
        const int32_t path = echo ? given : 0;
        const int32_t amplitude = echo ? v : 0;
        const int32_t values[4] = {path, twoGate ? amplitude : 3000 + static_cast<int32_t>(f),
                                   twoGate ? 0 : 2000 + static_cast<int32_t>(f), amplitude};
        for (int i = 0; i < 4; ++i)
            storeU32(b.data() + f * kFrameSize + kFrameValuesOffset + 4 * i,
                     static_cast<uint32_t>(values[i]));
    }
    return b;
}

// The records as a file in the temporary folder; returns its path.
inline std::string dacFileOf(const std::vector<Rec>& recs, const std::string& name) {
    RecordWriter w;
    bool twoGate = false;
    for (const Rec& r : recs) {
        if (r.block) twoGate = r.block->get().twoGateReadout();
        const Bytes b = dacFrames(r.a, twoGate, r.path);
        if (r.block) {
            const ParameterBlock block = r.block->b;
            w.addRecord(b, &block);
        } else {
            w.addRecord(b);
        }
    }
    return writeTemp(name, w.bytes());
}

} // namespace vantrel::testing
