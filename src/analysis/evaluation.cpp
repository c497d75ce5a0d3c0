#include "analysis/evaluation.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <limits>

#include "analysis/runs.h"

namespace vantrel {

const char* zoneText(Zone zone) {
    switch (zone) {
    case Zone::III: return "III";
    case Zone::II: return "II";
    case Zone::I: break;
    }
    return "I";
}

namespace {

// Each line belongs to the zone above it; lines out of order are used as
// they are: the first test that holds decides.
Zone zoneOf(int64_t a, const OverviewRecord& rec) {
    if (a >= rec.rl) return Zone::III;
    if (a >= rec.sl) return Zone::II;
    return Zone::I;
}

} // namespace

Evaluation::Evaluation(const EchoOverview& o, int64_t gap, int64_t splitMicrometres)
    : overview_(o), gap_(gap), split_(splitMicrometres) {
    // Runs of evaluated frames reaching EL, merged across whatever frames
    // lie between (all are of one kind here).
    const std::vector<Indication> merged = findRuns(
        o.records(), gap, [](const OverviewRecord&) { return 0; },
        [&](const OverviewRecord& rec, int64_t i) -> std::optional<int64_t> {
            if (!evaluatedIn(rec, i)) return std::nullopt;
            ++evaluatedFrames_;
            const int64_t a = dacIn(rec, i);
            if (a < rec.el) return std::nullopt;
            return a;
        });
    cutAtJumps(merged);
    const int64_t n = o.frameCount();
    for (EvaluatedIndication& d : indications_) {
        const OverviewRecord& rec = o.recordOf(d.peak);
        d.rl = rec.rl;
        d.sl = rec.sl;
        d.el = rec.el;
        d.zone = zoneOf(d.dac, rec);
        // The 6 dB run: from the peak, frames that are evaluated and within
        // 6.0 dB of it, past the indication where they go on, as long as
        // the echo stays the same one.
        const int64_t floor = d.dac - 60;
        auto joins = [&](int64_t from, int64_t to) {
            const OverviewRecord& r = o.recordOf(to);
            return evaluatedIn(r, to) && dacIn(r, to) >= floor &&
                   !echoJumps(o.recordOf(from), from, r, to);
        };
        d.drop6Start = d.drop6End = d.peak;
        while (d.drop6Start > 0 && joins(d.drop6Start, d.drop6Start - 1))
            --d.drop6Start;
        while (d.drop6End + 1 < n && joins(d.drop6End, d.drop6End + 1))
            ++d.drop6End;
    }
}

bool Evaluation::echoJumps(const OverviewRecord& ri, int64_t i, const OverviewRecord& rj,
                           int64_t j) const {
    if (split_ <= 0) return false;
    if (ri.inch != rj.inch || ri.twoGate != rj.twoGate ||
        (ri.twoGate && ri.positionKind != rj.positionKind))
        return true;
    // Tenths of a millimetre are 100 um; tenths of an inch 2540 um.
    const int64_t tenths = std::abs(int64_t{overview_.gatePosition(i)} - overview_.gatePosition(j));
    return tenths * (ri.inch ? 2540 : 100) > split_;
}

void Evaluation::cutAtJumps(const std::vector<Indication>& merged) {
    // Within each merged indication, its frames reaching EL in order: where
    // the echo jumps from one to the next, the first part ends at the one
    // and the next begins at the other (frames below EL between them belong
    // to neither). Each part's peak is its first frame with the largest A.
    const EchoOverview& o = overview_;
    for (const Indication& m : merged) {
        EvaluatedIndication part;
        bool open = false;
        const OverviewRecord* last = nullptr;
        int64_t lastFrame = 0;
        for (int64_t i = m.start; i <= m.end;) {
            const OverviewRecord& rec = o.recordOf(i);
            const int64_t recordEnd = std::min(m.end + 1, rec.firstFrame + rec.frames);
            for (; i < recordEnd; ++i) {
                if (!evaluatedIn(rec, i)) continue;
                const int64_t a = dacIn(rec, i);
                if (a < rec.el) continue;
                if (open && echoJumps(*last, lastFrame, rec, i)) {
                    indications_.push_back(part);
                    open = false;
                }
                if (!open) {
                    part = {};
                    part.start = part.peak = i;
                    part.dac = a;
                    open = true;
                } else if (a > part.dac) {
                    part.peak = i;
                    part.dac = a;
                }
                part.end = i;
                last = &rec;
                lastFrame = i;
            }
        }
        if (open) indications_.push_back(part);
    }
}

const EvaluatedIndication* Evaluation::indicationAt(int64_t i) const {
    // In file order and apart: the last one starting at i or before.
    const auto it =
        std::upper_bound(indications_.begin(), indications_.end(), i,
                         [](int64_t f, const EvaluatedIndication& d) { return f < d.start; });
    if (it == indications_.begin() || std::prev(it)->end < i) return nullptr;
    return &*std::prev(it);
}

EvaluationSummaries::EvaluationSummaries(const Evaluation& e) : evaluation_(e) {
    indication_.assign(static_cast<size_t>(e.overview().frameCount()), false);
    for (const EvaluatedIndication& d : e.indications())
        std::fill(indication_.begin() + d.start, indication_.begin() + d.end + 1, true);
    pyramid_.build(e.overview().frameCount(),
                   [this](int64_t first, int64_t last, EvaluationRunSummary& into) {
                       addFrames(first, last, into);
                   });
}

void EvaluationSummaries::addFrames(int64_t first, int64_t last, EvaluationRunSummary& into) const {
    const EchoOverview& o = evaluation_.overview();
    for (int64_t i = first; i < last;) {
        const OverviewRecord& rec = o.recordOf(i);
        const int64_t end = std::min(last, rec.firstFrame + rec.frames);
        if (rec.readoutMode >= 1 && rec.readoutMode <= 7) {
            into.rl.add(rec.rl);
            into.sl.add(rec.sl);
            into.el.add(rec.el);
        }
        for (; i < end; ++i) {
            if (evaluation_.evaluatedIn(rec, i))
                into.dac.add(static_cast<int32_t>(
                    std::clamp<int64_t>(evaluation_.dacIn(rec, i), INT32_MIN, INT32_MAX)));
            else
                into.notEvaluated = true;
            into.indication = into.indication || indication_[static_cast<size_t>(i)];
        }
    }
}

EvaluationRunSummary EvaluationSummaries::summarize(int64_t first, int64_t last) const {
    EvaluationRunSummary s;
    pyramid_.query(first, last, s, [this](int64_t a, int64_t b, EvaluationRunSummary& into) {
        addFrames(a, b, into);
    });
    return s;
}

EvaluationRunSummary EvaluationSummaries::summarizeByWalking(int64_t first, int64_t last) const {
    EvaluationRunSummary s;
    addFrames(first, last, s);
    return s;
}

EvaluationScale EvaluationScale::of(const EvaluationSummaries& summaries, int64_t from,
                                    int64_t to) {
    EvaluationScale s;
    if (from >= to) return s;
    EvaluationRunSummary run = summaries.summarize(from, to);
    run.dac.add(run.rl);
    run.dac.add(run.sl);
    run.dac.add(run.el);
    if (run.dac.empty()) return s;
    // Whole dB around what the view holds, plus 1 dB so that nothing sits on
    // the frame; A and the lines lie within +-100 dB of the curve on a real
    // frame, and a damaged one's beyond them is clamped onto the edge.
    const int64_t low = std::max<int64_t>(run.dac.low, -1000),
                  high = std::min<int64_t>(run.dac.high, 1000);
    auto floor10 = [](int64_t v) { return (v >= 0 ? v / 10 : -((-v + 9) / 10)) * 10; };
    s.low = std::min(s.low, floor10(low - 10));
    s.high = std::max(s.high, -floor10(-(high + 10)));
    return s;
}

namespace {

// A non-negative decimal as typed, in units of 10^-decimals: digits, at most
// one point, at most `decimals` decimals that count (further ones must be
// zeros), its whole part below `wholeLimit`; nullopt otherwise.
std::optional<int64_t> parseDecimal(const std::string& text, int decimals, int64_t wholeLimit) {
    int64_t whole = 0, fraction = 0;
    int taken = 0, digits = 0;
    bool point = false;
    for (char c : text) {
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (c < '0' || c > '9') return std::nullopt;
        ++digits;
        if (!point) {
            whole = whole * 10 + (c - '0');
            if (whole >= wholeLimit) return std::nullopt;
        } else if (taken < decimals) {
            fraction = fraction * 10 + (c - '0');
            ++taken;
        } else if (c != '0') {
            return std::nullopt;
        }
    }
    if (digits == 0) return std::nullopt;
    int64_t scale = 1;
    for (int k = 0; k < decimals; ++k)
        scale *= 10;
    for (; taken < decimals; ++taken)
        fraction *= 10;
    return whole * scale + fraction;
}

} // namespace

std::optional<Travel> Travel::parse(const std::string& mm) {
    // Nanometres: 6 decimals that count, above 0, below 10^9 mm a frame.
    const std::optional<int64_t> nm = parseDecimal(mm, 6, 1'000'000'000);
    if (!nm || *nm <= 0) return std::nullopt;
    Travel t;
    t.nanometres = *nm;
    return t;
}

int64_t Travel::tenthsOfMm(int64_t frames) const {
    // frames x nm / perFrames / 10^5 tenths of a mm, rounded half up; the
    // product stays within 128 bits.
    const __int128 nm = static_cast<__int128>(frames) * nanometres;
    const __int128 unit = static_cast<__int128>(perFrames) * 100'000;
    const __int128 tenths = (2 * nm + unit) / (2 * unit);
    return static_cast<int64_t>(std::min<__int128>(tenths, std::numeric_limits<int64_t>::max()));
}

std::optional<int64_t> parseSplitMicrometres(const std::string& mm) {
    constexpr int64_t kMost = int64_t{1'000'000'000'000'000}; // 10^12 mm in um
    int64_t um = 0, scale = 1000;
    bool point = false, digit = false;
    for (char c : mm) {
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (c < '0' || c > '9') return std::nullopt;
        digit = true;
        if (!point)
            um = std::min(kMost, um * 10 + (c - '0') * 1000);
        else if (scale > 1)
            um = std::min(kMost, um + (c - '0') * (scale /= 10));
    }
    if (!digit) return std::nullopt;
    return um;
}

std::string splitText(int64_t micrometres) {
    std::string text = std::to_string(micrometres / 1000) + '.';
    std::string fraction = std::to_string(1000 + micrometres % 1000).substr(1);
    while (fraction.size() > 1 && fraction.back() == '0')
        fraction.pop_back();
    return text + fraction;
}

} // namespace vantrel
