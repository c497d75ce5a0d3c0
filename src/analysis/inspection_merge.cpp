#include "analysis/inspection_merge.h"

#include <array>
#include <map>
#include <set>
#include <utility>

namespace vantrel {

namespace {

// The decisions of several lists that name the same indication, one place
// per list (nullptr where that list has none).
template <size_t N> using Slot = std::array<const IndicationDecision*, N>;

// Slots in the order the lists are given, each list's decisions in its
// order. A decision joins the first slot, not yet holding one of its own
// list, that has a decision with its peak (where both name one) or with its
// first and last frame.
template <size_t N>
std::vector<Slot<N>> slotsOf(const std::array<const std::vector<IndicationDecision>*, N>& lists) {
    std::vector<Slot<N>> slots;
    std::multimap<FramePlace, size_t> byPeak;
    std::multimap<std::pair<FramePlace, FramePlace>, size_t> bySpan;
    for (size_t which = 0; which < N; ++which) {
        for (const IndicationDecision& d : *lists[which]) {
            std::optional<size_t> slot;
            if (d.peak) {
                const auto range = byPeak.equal_range(*d.peak);
                for (auto it = range.first; it != range.second && !slot; ++it)
                    if (slots[it->second][which] == nullptr) slot = it->second;
            }
            if (!slot) {
                // A slot whose decision names another peak is another
                // indication that had the same first and last frame.
                auto range = bySpan.equal_range({d.start, d.end});
                for (auto it = range.first; it != range.second && !slot; ++it) {
                    const Slot<N>& s = slots[it->second];
                    if (s[which] != nullptr) continue;
                    bool otherPeak = false;
                    for (const IndicationDecision* e : s)
                        if (e && e->peak && d.peak && *e->peak != *d.peak) otherPeak = true;
                    if (!otherPeak) slot = it->second;
                }
            }
            if (!slot) {
                slot = slots.size();
                slots.emplace_back();
                slots.back().fill(nullptr);
            }
            slots[*slot][which] = &d;
            if (d.peak) byPeak.emplace(*d.peak, *slot);
            bySpan.emplace(std::make_pair(d.start, d.end), *slot);
        }
    }
    return slots;
}

std::optional<IndicationDecision> held(const IndicationDecision* d) {
    return d ? std::optional<IndicationDecision>(*d) : std::nullopt;
}

// The value where the sides agree or one left the base's: true and `out`;
// false for a conflict.
template <class T> bool agreed(const T& base, const T& ours, const T& theirs, T& out) {
    if (ours == theirs || theirs == base) {
        out = ours;
        return true;
    }
    if (ours == base) {
        out = theirs;
        return true;
    }
    return false;
}

template <class M>
std::optional<typename M::mapped_type> valueAt(const M& m, const typename M::key_type& k) {
    const auto it = m.find(k);
    return it == m.end() ? std::nullopt : std::optional<typename M::mapped_type>(it->second);
}

} // namespace

InspectionMerge::InspectionMerge(std::optional<Inspection> base, Inspection ours, Inspection theirs)
    : base_(base ? std::move(*base) : Inspection{}), ours_(std::move(ours)),
      theirs_(std::move(theirs)) {
    build(nullptr, &conflicts_);
}

Inspection InspectionMerge::merged(const std::vector<InspectionSide>& sides) const {
    return build(&sides, nullptr);
}

Inspection InspectionMerge::build(const std::vector<InspectionSide>* sides,
                                  std::vector<InspectionConflict>* conflicts) const {
    Inspection out;
    size_t k = 0; // the conflict met next
    // Settles one thing: `out` from the three values, or, for a conflict,
    // the side chosen for it, recording the conflict `describe` makes.
    auto settle = [&](auto& result, const auto& b, const auto& o, const auto& t, auto describe) {
        if (agreed(b, o, t, result)) return;
        const InspectionSide side = sides && k < sides->size() ? (*sides)[k] : InspectionSide::Ours;
        ++k;
        if (conflicts) {
            InspectionConflict c;
            describe(c);
            conflicts->push_back(std::move(c));
        }
        result = side == InspectionSide::Ours ? o : t;
    };
    using Kind = InspectionConflict::Kind;

    const auto slots = slotsOf<3>({&ours_.decisions, &theirs_.decisions, &base_.decisions});
    for (const Slot<3>& s : slots) {
        const std::optional<IndicationDecision> o = held(s[0]), t = held(s[1]), b = held(s[2]);
        std::optional<IndicationDecision> d;
        settle(d, b, o, t, [&](InspectionConflict& c) {
            c.kind = Kind::Decision;
            c.ourDecision = o;
            c.theirDecision = t;
        });
        if (d) out.decisions.push_back(std::move(*d));
    }

    settle(out.travel, base_.travel, ours_.travel, theirs_.travel, [&](InspectionConflict& c) {
        c.kind = Kind::Travel;
        c.ourTravel = ours_.travel;
        c.theirTravel = theirs_.travel;
    });
    settle(out.settings, base_.settings, ours_.settings, theirs_.settings,
           [&](InspectionConflict& c) {
               c.kind = Kind::Settings;
               c.ourSettings = ours_.settings;
               c.theirSettings = theirs_.settings;
           });

    std::set<std::string> captions;
    for (const Inspection* in : {&base_, &ours_, &theirs_})
        for (const auto& [caption, text] : in->reportCells)
            captions.insert(caption);
    for (const std::string& caption : captions) {
        const auto o = valueAt(ours_.reportCells, caption),
                   t = valueAt(theirs_.reportCells, caption);
        std::optional<std::string> text;
        settle(text, valueAt(base_.reportCells, caption), o, t, [&](InspectionConflict& c) {
            c.kind = Kind::ReportCell;
            c.caption = caption;
            c.ourText = o;
            c.theirText = t;
        });
        if (text) out.reportCells[caption] = std::move(*text);
    }

    std::set<FramePlace> frames;
    for (const Inspection* in : {&base_, &ours_, &theirs_})
        for (const auto& [frame, cells] : in->frameCells)
            frames.insert(frame);
    for (const FramePlace frame : frames) {
        const auto o = valueAt(ours_.frameCells, frame), t = valueAt(theirs_.frameCells, frame);
        std::optional<ReportCells> cells;
        settle(cells, valueAt(base_.frameCells, frame), o, t, [&](InspectionConflict& c) {
            c.kind = Kind::FrameCells;
            c.frame = frame;
            c.ourCells = o;
            c.theirCells = t;
        });
        if (cells) out.frameCells[frame] = std::move(*cells);
    }
    return out;
}

std::vector<DecisionDifference> decisionDifferences(const Inspection& a, const Inspection& b) {
    std::vector<DecisionDifference> out;
    for (const Slot<2>& s : slotsOf<2>({&a.decisions, &b.decisions}))
        if (!s[0] || !s[1] || !(*s[0] == *s[1])) out.push_back({s[0], s[1]});
    return out;
}

} // namespace vantrel
