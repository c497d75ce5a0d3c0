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

#include "viewer/record_query.h"

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

// The pieces of a walk on two threads: which piece a thread walks next, and
// the pieces made and not yet taken, which the calling thread takes in file
// order. A piece is begun only while fewer than kWalkPiecesAhead are made and
// not yet taken, which bounds the memory. Either thread may stop the walk;
// a failure on the helper thread is kept for the calling thread.
template <class Piece> class WalkPieces {
public:
    explicit WalkPieces(int32_t pieces) : pieces_(pieces) {}

    // ---- the helper thread
    // The next piece to make, once one may be begun; nullopt when every
    // piece is begun or the walk has stopped.
    std::optional<int32_t> claim() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return stop_ || begun_ >= pieces_ || mayBegin(); });
        if (stop_ || begun_ >= pieces_) return std::nullopt;
        return begun_++;
    }

    // ---- either thread
    // Piece k, made; nullopt when its visit stopped the walk.
    void made(int32_t k, std::optional<Piece> piece) {
        const std::lock_guard lock(mutex_);
        if (piece)
            slot(k) = std::move(piece);
        else
            stop_ = true;
        changed_.notify_all();
    }
    void stop(std::exception_ptr failure = nullptr) {
        const std::lock_guard lock(mutex_);
        stop_ = true;
        if (failure) failure_ = failure;
        changed_.notify_all();
    }

    // ---- the calling thread
    // What it does next: take the next piece in file order once made, else
    // make a piece itself, else wait; the walk ends when every piece is
    // taken or when it stopped.
    struct Step {
        enum Kind { Take, Make, Ended } kind = Ended;
        std::optional<Piece> piece; // Take
        int32_t make = 0;           // Make
        bool complete = true;       // Ended: every piece taken
    };
    Step next() {
        std::unique_lock lock(mutex_);
        for (;;) {
            Step step;
            if (taken_ >= pieces_) return step;
            std::optional<Piece>& waiting = slot(taken_);
            if (waiting) {
                step.kind = Step::Take;
                step.piece = std::move(waiting);
                waiting.reset();
                return step;
            }
            if (stop_) {
                step.complete = false; // the helper stopped or failed
                return step;
            }
            if (mayBegin()) {
                step.kind = Step::Make;
                step.make = begun_++;
                return step;
            }
            changed_.wait(lock);
        }
    }
    // Whether piece k is the next to take (the calling thread takes it at
    // once instead of storing it).
    bool isNext(int32_t k) const { return k == taken_; }
    void tookOne() {
        const std::lock_guard lock(mutex_);
        ++taken_;
        changed_.notify_all();
    }
    std::exception_ptr failure() const {
        const std::lock_guard lock(mutex_);
        return failure_;
    }

private:
    bool mayBegin() const { return begun_ < pieces_ && begun_ < taken_ + kWalkPiecesAhead; }
    // Made pieces waiting to be taken, piece k in slot k mod kWalkPiecesAhead.
    std::optional<Piece>& slot(int32_t k) { return made_[k % kWalkPiecesAhead]; }

    const int32_t pieces_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    int32_t begun_ = 0; // pieces claimed by a thread
    int32_t taken_ = 0; // pieces taken, all before the next to take
    std::optional<Piece> made_[kWalkPiecesAhead];
    bool stop_ = false;
    std::exception_ptr failure_;
};

// The calling thread's part of a two-thread walk: takes the pieces in file
// order, making pieces itself while it would otherwise wait. Returns whether
// every piece was taken.
template <class Piece, class Make, class Take>
bool takeInOrder(WalkPieces<Piece>& pieces, Make&& make, Take&& take) {
    for (;;) {
        typename WalkPieces<Piece>::Step step = pieces.next();
        if (step.kind == WalkPieces<Piece>::Step::Ended) return step.complete;
        if (step.kind == WalkPieces<Piece>::Step::Make) {
            step.piece = make(step.make);
            if (step.piece && !pieces.isNext(step.make)) {
                pieces.made(step.make, std::move(step.piece));
                continue;
            }
        }
        const bool taken = step.piece && take(std::move(*step.piece));
        pieces.tookOne();
        if (!taken) return false;
    }
}

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
// pieces on the calling thread in file order. At most kWalkPiecesAhead
// pieces are made and not yet taken. A visit or a take that returns false
// stops both threads soon after; the result is then false, and of the
// pieces before the one that stopped, some may not have been taken. An
// exception on either thread stops both and comes out of this call.
//
// A file of up to 2 x pieceRecords records is walked as two pieces of half
// its records each.
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
    WalkPieces<Piece> pieces((records + length - 1) / length);
    bool complete = true;
    {
        // However the calling thread leaves (a take may throw), the helper
        // is stopped and joined before what it uses goes away.
        struct StopFirst {
            WalkPieces<Piece>& pieces;
            ~StopFirst() { pieces.stop(); }
        };
        std::jthread helper;
        const StopFirst stopFirst{pieces}; // destroyed before the helper joins
        if (split) {
            helper = std::jthread([&] {
                try {
                    while (const std::optional<int32_t> k = pieces.claim())
                        pieces.made(*k, make(1, second, *k));
                } catch (...) {
                    pieces.stop(std::current_exception());
                }
            });
        }
        complete = takeInOrder(
            pieces, [&](int32_t k) { return make(0, first, k); }, take);
    }
    if (const std::exception_ptr failure = pieces.failure()) std::rethrow_exception(failure);
    return complete;
}

} // namespace vantrel
