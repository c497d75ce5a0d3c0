// An open *.DAT record file: the announced record count, the record index and
// the operator notes, built in one pass at open, and the one record read last.
//
// Contract on damaged files: nothing is ever read or written outside the
// buffers below, whatever the file holds. A record the instrument could not
// have written is not guessed at: what it does hold that can be shown is kept
// (complete frames, a note's readable cells), what cannot be trusted is
// refused (a parameter block that is cut or lies outside the record), and the
// reason is reported as RecordDamage. Records after a damaged one stay
// viewable wherever the file still says where they start.
//
// Ownership: RecordFile owns the open file, the index, the notes and the two
// reused buffers. The index costs one 12-byte entry per record.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "recordfile/file_io.h"
#include "recordfile/large_memory.h"
#include "recordfile/lzw.h"
#include "recordfile/record_format.h"
#include "recordfile/record_layout.h"

namespace vantrel {

class InstrumentParams;

struct RecordIndexEntry {
    int32_t fileOffset;            // first byte of the record
    int32_t recordSize;            // storedLength + 8
    int32_t parameterRecordOffset; // latest record at or before this one with a block
    // Whether this record carries a parameter block of its own (the latest
    // record with a block is itself).
    bool carriesBlock() const { return parameterRecordOffset == fileOffset; }
};
static_assert(sizeof(RecordIndexEntry) == 12);

// A long recording has hundreds of thousands of records: its index is one of
// the large buffers (large_memory.h).
using RecordIndex = std::vector<RecordIndexEntry, LargeAllocator<RecordIndexEntry>>;

// An operator note: its text (GBK) and the record that carries it. A file's
// notes ascend by record, one at most per record.
struct Note {
    std::string text;
    int32_t record = 0;
    bool operator==(const Note&) const = default;
};

struct DamagedRecord {
    int32_t record;
    int32_t fileOffset;
    RecordDamage damage;
};

enum class OpenError : uint8_t { None, CannotOpen, NotAFile, TooShort };

struct OpenResult {
    OpenError error = OpenError::None;
    std::string reason;  // for CannotOpen: the system's text (strerror)
    int systemError = 0; // the errno behind `reason`, or 0
    bool ok() const { return error == OpenError::None; }
};

struct RecordReadResult {
    bool read = false;        // a record was read (false: nothing there, the last one stays)
    bool blockCopied = false; // its parameter block became the current copy
};

class RecordFile {
public:
    RecordFile();
    ~RecordFile();
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    // Opens `path` and scans it. On failure nothing changes: the file that
    // was open stays open with its index and notes.
    // `progress`, when given, is called now and then during the scan with
    // the bytes scanned so far and the file's size (for a progress display
    // on large recordings).
    using ScanProgress = std::function<void(int64_t done, int64_t total)>;
    OpenResult openRecordFile(const std::string& path, const ScanProgress& progress = {});
    // Opens the file `other` has open a second time, with its index, notes
    // and damage list and without a scan, and with a buffer of its own: a
    // reader for another thread. False (and nothing open) when the file cannot
    // be opened again.
    bool openAlongside(const RecordFile& other);
    void close();
    bool isOpen() const { return fd_.valid(); }
    const std::string& path() const { return path_; }
    // The file's size in bytes when it was opened and scanned: the size the
    // index below describes.
    int64_t fileSize() const { return fileSize_; }

    int32_t recordCount() const { return recordCount_; }
    // Reads the announced count from offset 0 again (playback restart).
    int32_t rereadRecordCount();

    const RecordIndex& recordIndex() const { return index_; }
    std::optional<RecordIndexEntry> indexEntryAt(int64_t record) const;
    const std::vector<Note>& notes() const { return notes_; }
    // The note record `record` carries, or nullptr.
    const Note* noteOf(int32_t record) const;
    const std::vector<DamagedRecord>& damagedRecords() const { return damaged_; }
    ScanEnd scanEnd() const { return scanEnd_; }

    // Reads the record at `offset`, or at the current file position when no
    // offset is given, and decodes it; a usable parameter block is copied into
    // `params`. Where no whole record is found (end of file, a cut record) the
    // record read last stays in the buffer and its block, if any, is copied
    // again.
    RecordReadResult readRecordAt(std::optional<int64_t> offset, InstrumentParams& params);
    // The layout record `record` of the index decodes to, read and decoded
    // apart from the buffer, which keeps the record in it. Nothing when the
    // record has no entry.
    std::optional<RecordLayout> layoutOfRecord(int64_t record) const;

    const RecordLayout& layout() const { return layout_; }
    std::span<const uint8_t> decoded() const {
        return {decoded_.data(), static_cast<size_t>(layout_.decodedSize)};
    }
    // Frame f of the record in the buffer, or an empty span when the record
    // has no such frame.
    std::span<const uint8_t> frame(int64_t f) const;

private:
    friend class RecordFileTestPeer;
    struct ScanResult;
    // The scan at open, in its steps.
    struct ScanState;
    void scanRecords(const ScanProgress& progress);
    bool countAllows(int64_t k) const;
    void walkChain(ScanState& s, const ScanProgress& progress);
    // Takes the records the helper walked from its record `at` on; whether
    // the walk goes on alone after them.
    bool takeHelperRecords(ScanState& s, size_t at);
    void applyFindings(ScanState& s);
    void keepLastWholeRecord(const ScanState& s);
    void addIndexEntry(int32_t recordSize, bool carriesBlock);
    bool readExact(int64_t offset, void* dst, size_t size) const;
    RecordLayout decodeInto(const uint8_t* stored, int32_t storedLength, int32_t trailerLength);

    UniqueFd fd_;
    // Whether the scan of a large file reads it on two threads. The result
    // is the same either way; a test compares the two (RecordFileTestPeer).
    bool parallelScan_ = true;
    int64_t fileSize_ = 0;
    int64_t position_ = 0;
    std::string path_;
    int32_t recordCount_ = 0;
    RecordIndex index_;
    std::vector<Note> notes_;
    std::vector<DamagedRecord> damaged_;
    ScanEnd scanEnd_ = ScanEnd::EndOfFile;

    std::vector<uint8_t> storedBytes_; // kStoredCapacity, reused
    std::vector<uint8_t> decoded_;     // kDecodedCapacity, reused
    RecordLayout layout_;
    LzwDecoder decoder_;
};

} // namespace vantrel
