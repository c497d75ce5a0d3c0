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
// Pieces made and not yet taken, at most: the one being taken, one waiting
// and one in the making on each thread.
inline constexpr int32_t kWalkPiecesAhead = 4;

// Walks every indexed record of the file `query` has open (the query itself
// is not touched) in pieces of consecutive records, on the calling thread
// and on one helper thread, each with a reader of its own opened alongside
// `query` (a file too small for two threads is one walk on the calling
// thread). Whichever thread is free walks the next piece, so a thread that
// the machine holds back does not hold the other back. For every record of
// a piece, visit(lane, piece, reader, r) adds what the record gives to
// `piece` (lane 0 on the calling thread, 1 on the helper, so that each
// thread may keep state of its own); the reader holds the record and the
// parameters in force, whose values and readouts it answers, but makes no
// panel texts, ruler labels or curves. take(std::move(piece)) receives the
// pieces on the calling thread in file order. A piece is begun only while
// fewer than kWalkPiecesAhead are made and not yet taken, which bounds the
// memory. A visit or a take that returns false stops both threads soon
// after; the result is then false, and of the pieces before the one that
// stopped, some may not have been taken. An exception on either thread stops
// both and comes out of this call.
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
    // Piece k holds records [k x length, (k + 1) x length), the last one
    // fewer. Each thread walks pieces in increasing order, so its reader has
    // only walked records before the piece it begins.
    auto make = [&](int lane, RecordQuery& reader, int32_t k) -> std::optional<Piece> {
        const int32_t from = k * length;
        const int32_t to = static_cast<int32_t>(std::min<int64_t>(int64_t{from} + length, records));
        Piece piece{};
        if (!walkRecords(reader, from, to,
                         [&](int32_t r) { return visit(lane, piece, std::as_const(reader), r); }))
            return std::nullopt;
        return piece;
    };

    std::mutex mutex;
    std::condition_variable changed;
    int32_t begun = 0; // pieces claimed by a thread
    int32_t taken = 0; // pieces taken, all before the next to take
    // Made pieces waiting to be taken, piece k in slot k mod kWalkPiecesAhead.
    std::optional<Piece> made[kWalkPiecesAhead];
    bool stop = false;
    std::exception_ptr helperFailed;
    auto mayBegin = [&] { return begun < pieces && begun < taken + kWalkPiecesAhead; };
    auto helperWalk = [&] {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return stop || begun >= pieces || mayBegin(); });
            if (stop || begun >= pieces) return;
            const int32_t k = begun++;
            lock.unlock();
            std::optional<Piece> piece = make(1, second, k);
            lock.lock();
            if (!piece)
                stop = true;
            else
                made[k % kWalkPiecesAhead] = std::move(piece);
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
        std::unique_lock lock(mutex);
        while (complete && taken < pieces) {
            std::optional<Piece>& next = made[taken % kWalkPiecesAhead];
            std::optional<Piece> piece;
            if (next) {
                piece = std::move(next);
                next.reset();
            } else if (stop) {
                complete = false; // the helper stopped or failed
                break;
            } else if (mayBegin()) {
                const int32_t k = begun++;
                lock.unlock();
                piece = make(0, first, k);
                lock.lock();
                if (piece && k != taken) {
                    made[k % kWalkPiecesAhead] = std::move(piece);
                    continue;
                }
            } else {
                changed.wait(lock, [&] { return next || stop || mayBegin(); });
                continue;
            }
            lock.unlock();
            complete = piece && take(std::move(*piece));
            lock.lock();
            ++taken;
            changed.notify_all();
        }
    }
    if (helperFailed) std::rethrow_exception(helperFailed);
    return complete;
}

} // namespace vantrel
