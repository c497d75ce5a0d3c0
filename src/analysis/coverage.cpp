#include "analysis/coverage.h"

#include <map>
#include <tuple>

namespace vantrel {

namespace {

bool dacReadout(const OverviewRecord& rec) { return rec.readoutMode >= 1 && rec.readoutMode <= 7; }

// Adds record `r` to `ranges`: it extends the last range when the record
// before it (among those with shown frames) ended that range.
void extend(std::vector<RecordRange>& ranges, int32_t r, bool follows) {
    if (follows && !ranges.empty())
        ranges.back().last = r;
    else
        ranges.push_back({r, r});
}

} // namespace

NothingEvaluatedWhy Coverage::nothingEvaluated() const {
    if (health.unreadable() || frames == 0) return NothingEvaluatedWhy::NoRecord;
    if (dacFrames == 0) return NothingEvaluatedWhy::NoDacFrame;
    if (evaluatedFrames == 0) return NothingEvaluatedWhy::NoEcho;
    return NothingEvaluatedWhy::None;
}

Coverage coverageOf(const Evaluation& evaluation, const FileHealth& health) {
    const EchoOverview& o = evaluation.overview();
    Coverage c;
    c.frames = o.frameCount();
    c.evaluatedFrames = evaluation.evaluatedFrames();
    c.health = health;

    // The DAC records, and the lines each set of them stands at. A damaged
    // file may change its lines at every record: past a few dozen sets the
    // rest count in the last one's runs, which the list shows as "more".
    constexpr size_t kMostLineSets = 32;
    std::map<std::tuple<int32_t, int32_t, int32_t>, size_t> setOf;
    size_t lastSet = SIZE_MAX;
    bool previousDac = false;
    for (const OverviewRecord& rec : o.records()) {
        const bool dac = dacReadout(rec);
        if (dac) {
            c.dacFrames += rec.frames;
            extend(c.evaluated, rec.record, previousDac);
            const auto key = std::make_tuple(rec.rl, rec.sl, rec.el);
            auto it = setOf.find(key);
            if (it == setOf.end() && c.lines.size() < kMostLineSets) {
                it = setOf.emplace(key, c.lines.size()).first;
                c.lines.push_back({rec.rl, rec.sl, rec.el, {}});
            }
            const size_t set = it != setOf.end() ? it->second : c.lines.size() - 1;
            extend(c.lines[set].records, rec.record, previousDac && lastSet == set);
            lastSet = set;
        }
        previousDac = dac;
    }

    // The overview's indications over records that are not DAC ones, as
    // ranges of records: a record joins the last range where that range
    // ends at it or at the record just before it (among those with shown
    // frames), of the same kind.
    const OverviewRecord* const records = o.records().data();
    for (const Indication& d : o.indications()) {
        for (const OverviewRecord* rec = &o.recordOf(d.start); rec <= &o.recordOf(d.end); ++rec) {
            if (dacReadout(*rec)) continue;
            const NotEvaluatedWhy why =
                rec->readoutMode >= 8 ? NotEvaluatedWhy::Dgs : NotEvaluatedWhy::Percent;
            NotEvaluatedEchoes* back = c.notEvaluated.empty() ? nullptr : &c.notEvaluated.back();
            const bool joins = back && back->why == why &&
                               (back->records.last == rec->record ||
                                (rec > records && (rec - 1)->record == back->records.last &&
                                 !dacReadout(rec[-1])));
            if (joins)
                back->records.last = rec->record;
            else
                c.notEvaluated.push_back({{rec->record, rec->record}, why});
        }
    }
    return c;
}

std::string recordRangesText(const std::vector<RecordRange>& ranges, size_t most) {
    std::string text;
    for (size_t k = 0; k < ranges.size() && k < most; ++k) {
        if (k > 0) text += ", ";
        text += std::to_string(ranges[k].first);
        if (ranges[k].last != ranges[k].first) text += "\u2013" + std::to_string(ranges[k].last);
    }
    if (ranges.size() > most) text += ", \u2026 (+" + std::to_string(ranges.size() - most) + ")";
    return text;
}

} // namespace vantrel
