// Walking a recording's records in file order, as playback reads them: a
// parameter block stays in force from its record until the next record with a
// block, and before the first block every parameter is zero. The walk can
// start at any record, because the index names for every record the record
// that holds the block in force there; that is what lets two threads walk
// two parts of one file and still give what one walk from the start gives.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "record_query.h"

namespace vantrel {

// Reads records [from, to) into `reader`'s buffer one after the other, the
// record holding the block in force at `from` first, and calls visit(r) after
// each record; a visit that returns false ends the walk. Returns whether the
// walk reached `to`. The parameters `reader` brings along must be those of a
// walk that has not gone past `from`: a reader fresh from openAlongside (all
// zero), or one that walked only earlier records. Where no block lies at or
// before `from` such a reader holds no block either, and where one does, it
// is loaded here.
template <class Visit>
bool walkRecords(RecordQuery& reader, int32_t from, int32_t to, Visit&& visit) {
    if (from > 0) reader.loadParameterRecord(from);
    for (int32_t r = from; r < to; ++r) {
        reader.loadRecord(r);
        if (!visit(r)) return false;
    }
    return true;
}

// Records of one piece of the two-thread walk. A piece costs one extra record
// read (its block in force), so pieces are long; they are short enough that
// a piece of the export's text stays about a megabyte.
inline constexpr int32_t kWalkPieceRecords = 1024;
// Below this many records a second thread costs more than it saves.
inline constexpr int32_t kRecordsForTwoThreads = 256;

// Walks every indexed record of the file `query` has open (the query itself
// is not touched) in pieces of consecutive records, on the calling thread
// and on one helper thread, each with a reader of its own opened alongside
// `query`: the calling thread walks pieces 0, 2, 4, ..., the helper 1, 3, 5,
// ... (a file too small for two threads is one walk on the calling thread).
// For every record of a piece, visit(lane, piece, reader, r) adds what the
// record gives to `piece` (lane 0 on the calling thread, 1 on the helper, so
// that each thread may keep state of its own); the reader holds the record
// and the parameters in force, whose values and readouts it answers, but
// makes no panel texts, ruler labels or curves; take(std::move(piece)) then
// receives the pieces on the calling thread in file order. A finished piece
// waits for its turn while its thread walks the next, so at most three
// pieces exist at once. A visit or a take that returns false stops both
// threads soon after; the result is then false. An exception on either
// thread stops both and comes out of this call.
//
// A file of up to 2 x pieceRecords records is walked as two halves.
template <class Piece, class Visit, class Take>
bool walkRecordsInPieces(const RecordQuery& query, Visit&& visit, Take&& take,
                         int32_t pieceRecords = kWalkPieceRecords) {
    const int32_t records = static_cast<int32_t>(query.file().recordIndex().size());
    RecordQuery first, second;
    if (!first.openAlongside(query)) return false;
    const bool split = records >= kRecordsForTwoThreads && second.openAlongside(query);
    first.setPanelAndCurves(false);
    second.setPanelAndCurves(false);
    const int32_t length =
        split ? std::clamp((records + 1) / 2, 1, std::max(pieceRecords, 1)) : std::max(records, 1);
    const int32_t pieces = (records + length - 1) / length;
    // Piece k holds records [k x length, (k + 1) x length), the last one fewer.
    auto make = [&](int lane, RecordQuery& reader, int32_t k) -> std::optional<Piece> {
        const int32_t from = k * length;
        const int32_t to = static_cast<int32_t>(std::min<int64_t>(int64_t{from} + length, records));
        Piece piece{};
        if (!walkRecords(reader, from, to,
                         [&](int32_t r) { return visit(lane, piece, std::as_const(reader), r); }))
            return std::nullopt;
        return piece;
    };

    // The helper's finished piece, handed to the calling thread.
    std::mutex mutex;
    std::condition_variable changed;
    std::optional<Piece> handed;
    bool stop = false;
    std::exception_ptr helperFailed;
    auto helperWalk = [&] {
        for (int32_t k = 1; k < pieces; k += 2) {
            {
                const std::lock_guard lock(mutex);
                if (stop) return;
            }
            std::optional<Piece> piece = make(1, second, k);
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return !handed || stop || !piece; });
            if (stop) return;
            if (!piece) {
                stop = true;
                changed.notify_all();
                return;
            }
            handed = std::move(piece);
            changed.notify_all();
        }
    };
    std::thread helper;
    if (split) {
        helper = std::thread([&] {
            try {
                helperWalk();
            } catch (...) {
                const std::lock_guard lock(mutex);
                helperFailed = std::current_exception();
                stop = true;
                changed.notify_all();
            }
        });
    }
    // However the calling thread leaves (a take may throw), the helper is
    // stopped and waited for before what it uses goes away.
    struct Join {
        std::thread& helper;
        std::mutex& mutex;
        std::condition_variable& changed;
        bool& stop;
        ~Join() {
            {
                const std::lock_guard lock(mutex);
                stop = true;
                changed.notify_all();
            }
            if (helper.joinable()) helper.join();
        }
    };
    bool complete = true;
    {
        const Join join{helper, mutex, changed, stop};
        for (int32_t k = 0; k < pieces && complete; ++k) {
            std::optional<Piece> piece;
            if (!split || k % 2 == 0) {
                piece = make(0, first, k);
            } else {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return handed || stop; });
                piece = std::move(handed);
                handed.reset();
                changed.notify_all();
            }
            complete = piece && take(std::move(*piece));
        }
    }
    if (helperFailed) std::rethrow_exception(helperFailed);
    return complete;
}

} // namespace vantrel
