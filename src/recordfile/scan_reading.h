// How the open scan reads a recording. Part of RecordFile; nothing else
// uses it.
//
// A recording of a whole shift is a gigabyte or more, and the scan touches
// every byte of it: it follows the chain of record headers from the start,
// and measures the stream of each record with a trailer to find its note.
// Reading the file is most of the work, so a large file is read by two
// threads: while the scan walks from the start, a helper guesses where a
// record starts near the middle (a run of headers the instrument could have
// written) and walks from there to the end. When the scan reaches a record
// the helper walked, the two chains are the same from there on (each header
// says where the next record starts), and the scan takes the helper's
// records as if it had walked them itself. A wrong guess costs time, never
// a different result: the scan only takes over records it reaches itself.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "recordfile/large_memory.h"
#include "recordfile/lzw.h"
#include "recordfile/record_layout.h"

namespace vantrel::scan {

// Sequential window over the file: one large read serves many small records.
class WindowReader {
public:
    WindowReader(int fd, int64_t fileSize);

    // `size` bytes at `offset`, valid until the next call; nullptr when the
    // file ends before them (it shrank under us). Caller guarantees
    // offset + size <= the file size and size <= kWindow.
    const uint8_t* view(int64_t offset, size_t size);

    static constexpr size_t kWindow = 256 << 10; // stays in the core's cache

private:
    int fd_;
    int64_t fileSize_;
    std::vector<uint8_t> buffer_;
    int64_t start_ = 0;
    int64_t length_ = 0;
};

// The record at one place of the header chain, or why the chain ends there.
struct WalkStep {
    std::optional<ScanEnd> end; // set: no whole record here
    int32_t storedLength = 0;
    int32_t trailerLength = 0;
    int64_t next = 0; // where the next record starts
    // For a record with a trailer: its stream, as far as it can decode
    // within the record buffer (valid until the reader's next view).
    const uint8_t* stream = nullptr;
    uint32_t streamSize = 0;
};

WalkStep walkStep(WindowReader& reader, int64_t pos, int64_t fileSize);

// What the stream of a record with a trailer tells.
struct TrailerFinding {
    bool blockUsable = false;
    RecordDamage damage = RecordDamage::None;
    std::optional<std::string> note;
};

// One thread's decoder and record buffer for trailer records.
class TrailerReader {
public:
    TrailerReader();
    TrailerFinding read(const WalkStep& step);

private:
    LzwDecoder decoder_;
    std::vector<uint8_t> decoded_;
};

// The helper's walk from a guessed record near the middle to the end.
class TailWalk {
public:
    // Starts the helper thread (if one can be started). The scan takes at
    // most `mostRecords` records, so the helper walks no more than that.
    TailWalk(int fd, int64_t fileSize, int64_t mostRecords);
    // Stops the helper if it still runs.
    ~TailWalk();
    TailWalk(const TailWalk&) = delete;
    TailWalk& operator=(const TailWalk&) = delete;

    // Files smaller than this are walked by the scan alone.
    static constexpr int64_t kSmallestFile = 4 << 20;

    // Where the guess is looked for: from the middle of the file on.
    int64_t searchFrom() const { return kFirstRecordOffset + (fileSize_ - kFirstRecordOffset) / 2; }
    // Where the guessed chain starts, or -1 if there is none; waits for the
    // guess (a search of at most a megabyte) to be made.
    int64_t start() const;
    // Bytes walked so far (for progress).
    int64_t walked() const { return walked_.load(std::memory_order_relaxed); }

    // Called by the scan with each record offset it reaches at or past
    // start(), in increasing order: the index of the helper's record at
    // `pos`, if it walked one there. The first call waits for the helper to
    // finish.
    std::optional<size_t> recordAt(int64_t pos);

    // The helper's records (8 + storedLength each), once recordAt() has
    // waited for it, and what the ones with a trailer tell, in order.
    const std::vector<int32_t, LargeAllocator<int32_t>>& sizes() const { return sizes_; }
    struct Finding {
        size_t record; // index into sizes()
        TrailerFinding finding;
    };
    using Findings = std::vector<Finding, LargeAllocator<Finding>>;
    Findings& findings() { return findings_; }
    // Whether its walk came to the end of the chain (rather than stopping at
    // mostRecords), and why the chain ends there.
    bool ended() const { return ended_; }
    ScanEnd end() const { return end_; }

private:
    void walk();
    void walkFrom(int64_t first);
    void publishStart(int64_t start);
    int64_t guessStart() const;

    int fd_;
    int64_t fileSize_;
    int64_t mostRecords_;
    static constexpr int64_t kNotYet = -2;
    std::atomic<int64_t> start_{kNotYet};
    std::atomic<int64_t> walked_{0};
    std::atomic<bool> stop_{false};
    std::thread helper_;
    bool joined_ = false;
    // Written by the helper, read by the scan after the join:
    std::vector<int32_t, LargeAllocator<int32_t>> sizes_;
    Findings findings_;
    bool ended_ = false;
    ScanEnd end_ = ScanEnd::EndOfFile;
    // The scan's place in sizes_ for recordAt().
    size_t cursor_ = 0;
    int64_t cursorPos_ = 0;
};

} // namespace vantrel::scan
