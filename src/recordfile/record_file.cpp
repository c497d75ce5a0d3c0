#include "recordfile/record_file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <sys/stat.h>

#include "recordfile/file_io.h"
#include "recordfile/instrument_params.h"
#include "recordfile/scan_reading.h"

namespace vantrel {

RecordFile::RecordFile() : storedBytes_(kStoredCapacity), decoded_(kDecodedCapacity) {}

RecordFile::~RecordFile() { close(); }

void RecordFile::close() {
    fd_.reset();
    fileSize_ = 0;
    position_ = 0;
    path_.clear();
    index_.clear();
    index_.shrink_to_fit();
    notes_.clear();
    damaged_.clear();
}

OpenResult RecordFile::openRecordFile(const std::string& path, const ScanProgress& progress) {
    OpenResult result;
    UniqueFd fd = openReadOnly(path);
    if (!fd.valid()) {
        result.error = OpenError::CannotOpen;
        result.systemError = errno;
        result.reason = std::strerror(result.systemError);
        return result;
    }
    struct stat st {};
    if (fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        result.error = S_ISDIR(st.st_mode) ? OpenError::CannotOpen : OpenError::NotAFile;
        result.systemError = S_ISDIR(st.st_mode) ? EISDIR : 0;
        result.reason = S_ISDIR(st.st_mode) ? std::strerror(EISDIR) : "not a regular file";
        return result;
    }
    uint8_t count[kFileHeaderSize];
    int error = 0;
    const size_t got = preadFully(fd.get(), count, sizeof count, 0, &error);
    if (error != 0) {
        result.error = OpenError::CannotOpen; // unreadable: say why
        result.systemError = error;
        result.reason = std::strerror(error);
        return result;
    }
    if (got < sizeof count) {
        result.error = OpenError::TooShort;
        result.reason = "file is shorter than its 4-byte record count";
        return result;
    }

    close();
    fd_ = std::move(fd);
    fileSize_ = st.st_size;
    path_ = path;
    recordCount_ = loadI32Unchecked(count);
    layout_ = RecordLayout{};
    scanRecords(progress);
    return result;
}

int32_t RecordFile::rereadRecordCount() {
    uint8_t count[kFileHeaderSize];
    if (readExact(0, count, sizeof count)) recordCount_ = loadI32Unchecked(count);
    return recordCount_;
}

std::optional<RecordIndexEntry> RecordFile::indexEntryAt(int64_t record) const {
    if (record < 0 || record >= static_cast<int64_t>(index_.size())) return std::nullopt;
    return index_[static_cast<size_t>(record)];
}

bool RecordFile::openAlongside(const RecordFile& other) {
    close();
    UniqueFd fd = openReadOnly(other.path_);
    if (!other.isOpen() || !fd.valid()) return false;
    fd_ = std::move(fd);
    fileSize_ = other.fileSize_;
    path_ = other.path_;
    recordCount_ = other.recordCount_;
    index_ = other.index_;
    notes_ = other.notes_;
    damaged_ = other.damaged_;
    scanEnd_ = other.scanEnd_;
    layout_ = RecordLayout{};
    return true;
}

void RecordFile::addIndexEntry(int32_t recordSize, bool carriesBlock) {
    RecordIndexEntry e;
    if (index_.empty()) {
        e.fileOffset = kFirstRecordOffset;
        e.parameterRecordOffset = kFirstRecordOffset;
    } else {
        const RecordIndexEntry& p = index_.back();
        e.fileOffset = p.fileOffset + p.recordSize;
        e.parameterRecordOffset = carriesBlock ? e.fileOffset : p.parameterRecordOffset;
    }
    e.recordSize = recordSize;
    index_.push_back(e);
}

RecordLayout RecordFile::decodeInto(const uint8_t* stored, int32_t storedLength,
                                    int32_t trailerLength) {
    const uint32_t n = static_cast<uint32_t>(std::min(storedLength, kStoredCapacity));
    const LzwDecodeResult d = decoder_.decode(stored, n, decoded_.data(), decoded_.size());
    RecordLayout l = layoutRecord(storedLength, trailerLength, d);
    if (l.damage == RecordDamage::None && l.blockUsable) {
        bool cut = false;
        noteTextOf({decoded_.data(), static_cast<size_t>(l.decodedSize)}, l, &cut);
        if (cut) l.damage = RecordDamage::NoteCut;
    }
    return l;
}

// Where the scan is: its readers, the helper walking the second half of a
// large file, the records with a trailer found so far and the place in the
// chain of record headers.
struct RecordFile::ScanState {
    // What a record with a trailer tells, in file order.
    struct Found {
        int32_t record;
        int32_t offset;
        scan::TrailerFinding finding;
    };
    ScanState(int fd, int64_t fileSize) : reader(fd, fileSize) {}
    scan::WindowReader reader;
    scan::TrailerReader trailers;
    std::unique_ptr<scan::TailWalk> tail;
    std::vector<Found, LargeAllocator<Found>> found;
    int64_t pos = kFirstRecordOffset;
    int64_t lastComplete = -1; // offset of the last whole record
    int64_t k = 0;             // records indexed
    int64_t nextProgress = 0;
};

void RecordFile::scanRecords(const ScanProgress& progress) {
    ScanState s(fd_.get(), fileSize_);
    if (parallelScan_ && fileSize_ >= scan::TailWalk::kSmallestFile)
        s.tail = std::make_unique<scan::TailWalk>(fd_.get(), fileSize_,
                                                  std::max<int64_t>(recordCount_, 0) + 1);
    // 12 bytes per record and no more: take the announced count at its word
    // when the file could hold that many records, instead of letting the
    // index double its way up.
    const int64_t mostRecords = (fileSize_ - kFileHeaderSize) / kRecordHeaderSize;
    if (recordCount_ >= 0 && recordCount_ < mostRecords)
        index_.reserve(static_cast<size_t>(recordCount_) + 1);
    if (s.tail) reserveLarge(s.found); // a large file: thousands of records with a trailer
    walkChain(s, progress);
    s.tail.reset();
    if (scanEnd_ == ScanEnd::AnnouncedCount && s.pos == fileSize_) scanEnd_ = ScanEnd::EndOfFile;
    if (progress) progress(fileSize_, fileSize_);
    applyFindings(s);
    keepLastWholeRecord(s);
}

// The instrument reads the first record whatever the count says, and then
// continues while k <= count: one record more than it announces.
bool RecordFile::countAllows(int64_t k) const { return k == 0 || k <= recordCount_; }

void RecordFile::walkChain(ScanState& s, const ScanProgress& progress) {
    constexpr int64_t kProgressStep = 4 << 20;
    s.nextProgress = kProgressStep;
    scanEnd_ = ScanEnd::AnnouncedCount;
    while (countAllows(s.k)) {
        if (s.tail && s.pos >= s.tail->searchFrom() && s.tail->start() >= 0 &&
            s.pos >= s.tail->start()) {
            if (const std::optional<size_t> at = s.tail->recordAt(s.pos)) {
                if (!takeHelperRecords(s, *at)) break;
                continue;
            }
        }
        const scan::WalkStep step = scan::walkStep(s.reader, s.pos, fileSize_);
        if (step.end) {
            scanEnd_ = *step.end;
            break;
        }
        if (step.stream)
            s.found.push_back(
                {static_cast<int32_t>(s.k), static_cast<int32_t>(s.pos), s.trailers.read(step)});
        // Whether it carries a usable block is settled by applyFindings.
        addIndexEntry(kRecordHeaderSize + step.storedLength, false);
        s.lastComplete = s.pos;
        if (progress && step.next >= s.nextProgress) {
            progress(std::min(fileSize_, step.next + (s.tail ? s.tail->walked() : 0)), fileSize_);
            s.nextProgress = step.next + kProgressStep;
        }
        s.pos = step.next;
        ++s.k;
    }
}

bool RecordFile::takeHelperRecords(ScanState& s, size_t at) {
    // The helper walked the same chain from here: its records are the ones
    // this walk would find.
    const auto& sizes = s.tail->sizes();
    auto& findings = s.tail->findings();
    auto next = std::partition_point(findings.begin(), findings.end(),
                                     [at](const auto& f) { return f.record < at; });
    size_t i = at;
    for (; i < sizes.size() && countAllows(s.k); ++i, ++s.k) {
        if (next != findings.end() && next->record == i) {
            s.found.push_back(
                {static_cast<int32_t>(s.k), static_cast<int32_t>(s.pos), std::move(next->finding)});
            ++next;
        }
        addIndexEntry(sizes[i], false);
        s.lastComplete = s.pos;
        s.pos += sizes[i];
    }
    if (i < sizes.size() || !countAllows(s.k)) return false; // the count ends the scan
    if (s.tail->ended()) {
        scanEnd_ = s.tail->end();
        return false;
    }
    s.tail.reset(); // it stopped short of the end: walk on alone
    return true;
}

void RecordFile::applyFindings(ScanState& s) {
    // In file order: the parameter record of every entry, damage, notes.
    for (ScanState::Found& f : s.found) {
        if (f.finding.blockUsable && f.record > 0)
            index_[static_cast<size_t>(f.record)].parameterRecordOffset = f.offset;
        if (f.finding.damage != RecordDamage::None)
            damaged_.push_back({f.record, f.offset, f.finding.damage});
        if (f.finding.note) notes_.push_back({std::move(*f.finding.note), f.record});
    }
    for (size_t r = 1; r < index_.size(); ++r) {
        RecordIndexEntry& e = index_[r];
        if (e.parameterRecordOffset != e.fileOffset)
            e.parameterRecordOffset = index_[r - 1].parameterRecordOffset;
    }
}

void RecordFile::keepLastWholeRecord(const ScanState& s) {
    // The instrument's buffers end up holding the last whole record it read;
    // a later read that finds nothing shows that record again.
    position_ = s.pos;
    if (s.lastComplete >= 0) {
        InstrumentParams scratch;
        const int64_t keep = position_;
        readRecordAt(s.lastComplete, scratch);
        position_ = keep;
    }
}

bool RecordFile::readExact(int64_t offset, void* dst, size_t size) const {
    if (!fd_.valid() || offset < 0 || offset + static_cast<int64_t>(size) > fileSize_) return false;
    return preadFully(fd_.get(), dst, size, offset) == size;
}

RecordReadResult RecordFile::readRecordAt(std::optional<int64_t> offset, InstrumentParams& params) {
    RecordReadResult result;
    const int64_t pos = offset ? *offset : position_;
    uint8_t header[kRecordHeaderSize];
    bool whole = readExact(pos, header, sizeof header);
    int32_t storedLength = 0;
    int32_t trailerLength = 0;
    if (whole) {
        storedLength = loadI32Unchecked(header);
        trailerLength = loadI32Unchecked(header + 4);
        whole = storedLength >= 0 &&
                readExact(pos + kRecordHeaderSize, storedBytes_.data(),
                          static_cast<size_t>(std::min(storedLength, kStoredCapacity))) &&
                pos + kRecordHeaderSize + storedLength <= fileSize_;
    }
    if (whole) {
        position_ = pos + kRecordHeaderSize + storedLength;
        layout_ = decodeInto(storedBytes_.data(), storedLength, trailerLength);
        result.read = true;
    } else {
        // Nothing whole here (end of file, a cut record): the reads run into
        // the end of the file and the record read last stays in the buffer.
        position_ = std::max(pos, fileSize_);
    }
    if (layout_.blockUsable) {
        params.copyParameterBlock(decoded_.data() + layout_.trailerOffset());
        result.blockCopied = true;
    }
    return result;
}

std::optional<RecordLayout> RecordFile::layoutOfRecord(int64_t record) const {
    const auto entry = indexEntryAt(record);
    if (!entry) return std::nullopt;
    // Indexed records lie whole in the file; a read that fails now (the
    // file changed under us) decodes nothing.
    uint8_t header[kRecordHeaderSize];
    if (!readExact(entry->fileOffset, header, sizeof header)) return RecordLayout{};
    const int32_t storedLength = loadI32Unchecked(header);
    const int32_t trailerLength = loadI32Unchecked(header + 4);
    if (storedLength < 0) return RecordLayout{};
    std::vector<uint8_t> stored(static_cast<size_t>(std::min(storedLength, kStoredCapacity)));
    if (!readExact(entry->fileOffset + kRecordHeaderSize, stored.data(), stored.size()))
        return RecordLayout{};
    std::vector<uint8_t> decoded(kDecodedCapacity);
    LzwDecoder decoder;
    const LzwDecodeResult d = decoder.decode(stored.data(), static_cast<uint32_t>(stored.size()),
                                             decoded.data(), decoded.size());
    return layoutRecord(storedLength, trailerLength, d);
}

const Note* RecordFile::noteOf(int32_t record) const {
    const auto it = std::lower_bound(notes_.begin(), notes_.end(), record,
                                     [](const Note& n, int32_t r) { return n.record < r; });
    return it != notes_.end() && it->record == record ? &*it : nullptr;
}

std::span<const uint8_t> RecordFile::frame(int64_t f) const {
    if (f < 0 || f >= layout_.framesPerRecord()) return {};
    return {decoded_.data() + f * kFrameSize, static_cast<size_t>(kFrameSize)};
}

} // namespace vantrel
