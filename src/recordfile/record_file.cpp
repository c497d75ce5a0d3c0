#include "record_file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

#include "instrument_params.h"

namespace vantrel {

const char* recordDamageText(RecordDamage damage) {
    switch (damage) {
    case RecordDamage::None: return "intact";
    case RecordDamage::StreamBadCode: return "compressed stream holds an invalid code";
    case RecordDamage::StreamTruncated: return "compressed stream ends inside a code";
    case RecordDamage::DecodedTooLarge: return "record decodes to more than 16384 bytes";
    case RecordDamage::TrailerOutside: return "trailer length lies outside the record";
    case RecordDamage::TrailerTooShort: return "trailer is shorter than a parameter block";
    case RecordDamage::NoteCut: return "note runs past the end of the record";
    }
    return "unknown";
}

const char* scanEndText(ScanEnd end) {
    switch (end) {
    case ScanEnd::AnnouncedCount: return "announced count reached";
    case ScanEnd::EndOfFile: return "end of file";
    case ScanEnd::CutHeader: return "file ends inside a record header";
    case ScanEnd::ShortRecord: return "last record is cut short";
    case ScanEnd::NegativeLength: return "record has a negative stored length";
    case ScanEnd::OffsetLimit: return "record lies beyond the 2 GiB offset limit";
    }
    return "unknown";
}

RecordLayout layoutRecord(int32_t storedLength, int32_t trailerLength,
                          const LzwDecodeResult& decoded) {
    RecordLayout l;
    l.storedLength = storedLength;
    l.trailerLength = trailerLength;
    l.decodedSize = decoded.size;
    l.frameAreaSize = decoded.size;
    l.streamFaultOffset = decoded.faultOffset;
    switch (decoded.status) {
    case LzwStatus::Ok: break;
    case LzwStatus::BadCode: l.damage = RecordDamage::StreamBadCode; break;
    case LzwStatus::TruncatedCode: l.damage = RecordDamage::StreamTruncated; break;
    case LzwStatus::OutputFull: l.damage = RecordDamage::DecodedTooLarge; break;
    }
    if (storedLength > kStoredCapacity) l.damage = RecordDamage::DecodedTooLarge;
    if (trailerLength == 0) return l;
    // A damaged stream lost the record's end, so the trailer's place is
    // unknown: every decoded byte counts as frame data and no block is read.
    if (l.damage != RecordDamage::None) return l;
    if (trailerLength < 0 || trailerLength > decoded.size) {
        l.damage = RecordDamage::TrailerOutside;
        return l;
    }
    l.frameAreaSize = decoded.size - trailerLength;
    if (trailerLength < kParameterBlockSize) {
        // The frames end where the header says; the few trailer bytes are no
        // parameter block the instrument writes, so the settings in force stay.
        l.damage = RecordDamage::TrailerTooShort;
        return l;
    }
    l.blockUsable = true;
    return l;
}

namespace {

// The note of a record whose decoded bytes `byteAt` gives (decodedSize of them).
template <class ByteAt>
std::optional<std::string> noteTextFrom(size_t decodedSize, ByteAt byteAt,
                                        const RecordLayout& layout, bool* cut) {
    if (cut) *cut = false;
    if (!layout.blockUsable) return std::nullopt;
    const size_t t = static_cast<size_t>(layout.trailerOffset());
    const int n = byteAt(t + kNoteLengthOffset);
    if (n == 0) return std::nullopt;
    std::string text;
    const size_t cells = t + kNoteCellsOffset;
    // A note longer than the instrument's 97-cell work area is read in full:
    // every cell inside the record is the file's own data.
    for (int i = 0; i <= n; ++i) {
        const size_t at = cells + 2 * static_cast<size_t>(i);
        if (at + 2 > decodedSize) {
            if (cut) *cut = true;
            break;
        }
        const uint16_t w = static_cast<uint16_t>(byteAt(at) | (byteAt(at + 1) << 8));
        if (w <= 128) {
            const uint8_t b = static_cast<uint8_t>(w);
            if (b == 0) break;
            text.push_back(static_cast<char>(b));
        } else {
            // GB2312 row (high byte) and cell (low byte) -> EUC-CN bytes.
            const uint8_t hi = static_cast<uint8_t>((w >> 8) + 0xA0);
            const uint8_t lo = static_cast<uint8_t>((w & 0xFF) + 0xA0);
            if (hi == 0) break;
            text.push_back(static_cast<char>(hi));
            if (lo == 0) break;
            text.push_back(static_cast<char>(lo));
        }
    }
    return text;
}

} // namespace

std::optional<std::string> noteTextOf(std::span<const uint8_t> decoded, const RecordLayout& layout,
                                      bool* cut) {
    return noteTextFrom(
        decoded.size(), [&](size_t i) { return decoded[i]; }, layout, cut);
}

namespace {

// Sequential window over the file for the scan: one large read serves many
// small records. Views never exceed the window size.
class WindowReader {
public:
    WindowReader(int fd, int64_t fileSize) : fd_(fd), fileSize_(fileSize), buffer_(kWindow) {}

    // Caller guarantees offset + size <= fileSize and size <= kWindow.
    const uint8_t* view(int64_t offset, size_t size) {
        if (offset >= start_ && offset + static_cast<int64_t>(size) <= start_ + length_)
            return buffer_.data() + (offset - start_);
        const size_t want = static_cast<size_t>(std::min<int64_t>(kWindow, fileSize_ - offset));
        size_t got = 0;
        while (got < want) {
            const ssize_t n = pread(fd_, buffer_.data() + got, want - got, offset + got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
        start_ = offset;
        length_ = static_cast<int64_t>(got);
        return got >= size ? buffer_.data() : nullptr;
    }

    static constexpr size_t kWindow = 256 << 10; // stays in the core's cache

private:
    int fd_;
    int64_t fileSize_;
    std::vector<uint8_t> buffer_;
    int64_t start_ = 0;
    int64_t length_ = 0;
};

static_assert(WindowReader::kWindow >= kRecordHeaderSize + kStoredCapacity);

} // namespace

RecordFile::RecordFile() : storedBytes_(kStoredCapacity), decoded_(kDecodedCapacity) {}

RecordFile::~RecordFile() { close(); }

void RecordFile::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    fileSize_ = 0;
    position_ = 0;
    path_.clear();
    index_.clear();
    index_.shrink_to_fit();
    noteTexts_.clear();
    noteRecords_.clear();
    damaged_.clear();
}

OpenResult RecordFile::openRecordFile(const std::string& path, const ScanProgress& progress) {
    OpenResult result;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        result.error = OpenError::CannotOpen;
        result.reason = std::strerror(errno);
        return result;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        result.error = S_ISDIR(st.st_mode) ? OpenError::CannotOpen : OpenError::NotAFile;
        result.reason = S_ISDIR(st.st_mode) ? std::strerror(EISDIR) : "not a regular file";
        ::close(fd);
        return result;
    }
    uint8_t count[kFileHeaderSize];
    size_t got = 0;
    while (got < sizeof count) {
        const ssize_t n = pread(fd, count + got, sizeof count - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            result.error = OpenError::CannotOpen; // unreadable: say why
            result.reason = std::strerror(errno);
            ::close(fd);
            return result;
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    if (got < sizeof count) {
        result.error = OpenError::TooShort;
        result.reason = "file is shorter than its 4-byte record count";
        ::close(fd);
        return result;
    }

    close();
    fd_ = fd;
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

namespace {

// A record that carries a trailer, found by the header walk, and what its
// stream tells: whether its block can be used, its damage and its note.
struct TrailerJob {
    int32_t record;
    int64_t offset;
    int32_t storedLength;
    int32_t trailerLength;
    size_t streamAt; // its stream bytes in the batch
    uint32_t streamSize;
};

struct TrailerFinding {
    bool blockUsable = false;
    RecordDamage damage = RecordDamage::None;
    std::optional<std::string> note;
};

// Consecutive trailer records with copies of their streams, handed from the
// header walk to whichever thread is free.
struct TrailerBatch {
    std::vector<TrailerJob> jobs;
    std::vector<uint8_t> streams;
    std::vector<TrailerFinding> findings;

    static constexpr size_t kJobs = 64;
    static constexpr size_t kStreamBytes = 512 << 10;
    bool full() const { return jobs.size() >= kJobs || streams.size() >= kStreamBytes; }
};

// One thread's decoder and record buffer.
class TrailerReader {
public:
    TrailerReader() : decoded_(kDecodedCapacity) {}

    void read(TrailerBatch& batch) {
        batch.findings.resize(batch.jobs.size());
        for (size_t j = 0; j < batch.jobs.size(); ++j)
            batch.findings[j] = read(batch.jobs[j], batch.streams.data() + batch.jobs[j].streamAt);
        std::vector<uint8_t>().swap(batch.streams); // done with: free them now
    }

private:
    TrailerFinding read(const TrailerJob& job, const uint8_t* stream) {
        TrailerFinding f;
        bool cut = false;
        RecordLayout l;
        // A sound stream is only measured: its size places the trailer, and
        // the few bytes of the note are looked up. Anything else is decoded.
        LzwDecodeResult d;
        if (decoder_.measure(stream, job.streamSize, decoded_.size(), d.size)) {
            l = layoutRecord(job.storedLength, job.trailerLength, d);
            f.note = noteTextFrom(
                static_cast<size_t>(d.size),
                [&](size_t i) { return decoder_.byteAt(static_cast<int32_t>(i)); }, l, &cut);
        } else {
            d = decoder_.decode(stream, job.streamSize, decoded_.data(), decoded_.size());
            l = layoutRecord(job.storedLength, job.trailerLength, d);
            f.note = noteTextOf({decoded_.data(), static_cast<size_t>(l.decodedSize)}, l, &cut);
        }
        if (l.damage == RecordDamage::None && cut) l.damage = RecordDamage::NoteCut;
        f.blockUsable = l.blockUsable;
        f.damage = l.damage;
        return f;
    }

    LzwDecoder decoder_;
    std::vector<uint8_t> decoded_;
};

// The trailer records of a scan, read while the header walk goes on: the
// walk hands over full batches, a helper thread reads them as they come, and
// when the walk is done it reads what is left alongside the helper. The
// findings stay with their batches, in file order.
class TrailerReading {
public:
    ~TrailerReading() { finish(); }

    // From the walk: a batch to read. Starts the helper on the first one; if
    // the helper falls behind, the walk reads one batch itself so that the
    // copies of the streams waiting stay few.
    void hand(std::unique_ptr<TrailerBatch> batch) {
        size_t waiting = 0;
        {
            std::lock_guard lock(mutex_);
            batches_.push_back(std::move(batch));
            waiting = batches_.size() - taken_;
        }
        if (!helper_.joinable()) {
            try {
                helper_ = std::thread([this] { help(); });
            } catch (const std::system_error&) {
                // No second thread: the walk reads everything itself.
            }
        }
        wake_.notify_one();
        if (waiting > kMostWaiting || !helper_.joinable()) readOne(walkReader_);
    }

    // After the walk: the last batch, then every batch not yet read.
    void finish(std::unique_ptr<TrailerBatch> last = nullptr) {
        if (last && !last->jobs.empty()) {
            std::lock_guard lock(mutex_);
            batches_.push_back(std::move(last));
        }
        {
            std::lock_guard lock(mutex_);
            walkDone_ = true;
        }
        wake_.notify_all();
        while (readOne(walkReader_)) {
        }
        if (helper_.joinable()) helper_.join();
    }

    const std::vector<std::unique_ptr<TrailerBatch>>& batches() const { return batches_; }

private:
    static constexpr size_t kMostWaiting = 4;

    bool readOne(TrailerReader& reader) {
        TrailerBatch* batch = nullptr;
        {
            std::lock_guard lock(mutex_);
            if (taken_ == batches_.size()) return false;
            batch = batches_[taken_++].get();
        }
        reader.read(*batch);
        return true;
    }

    void help() {
        TrailerReader reader;
        for (;;) {
            if (readOne(reader)) continue;
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return walkDone_ || taken_ < batches_.size(); });
            if (walkDone_ && taken_ == batches_.size()) return;
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<std::unique_ptr<TrailerBatch>> batches_; // guarded by mutex_ while the helper runs
    size_t taken_ = 0;                                   // batches some thread has taken
    bool walkDone_ = false;
    std::thread helper_;
    TrailerReader walkReader_;
};

} // namespace

void RecordFile::scanRecords(const ScanProgress& progress) {
    constexpr int64_t kProgressStep = 4 << 20;
    int64_t nextProgress = kProgressStep;
    WindowReader reader(fd_, fileSize_);
    // 12 bytes per record and no more: take the announced count at its word
    // when the file could hold that many records, instead of letting the
    // index double its way up.
    const int64_t mostRecords = (fileSize_ - kFileHeaderSize) / kRecordHeaderSize;
    if (recordCount_ >= 0 && recordCount_ < mostRecords)
        index_.reserve(static_cast<size_t>(recordCount_) + 1);
    int64_t pos = kFirstRecordOffset;
    int64_t lastComplete = -1; // offset of the last whole record
    TrailerReading trailers;
    auto batch = std::make_unique<TrailerBatch>();
    scanEnd_ = ScanEnd::AnnouncedCount;
    // The headers in one sequential pass; the records that carry a trailer
    // (to find their notes and whether their block can be used) are read on
    // the side. The instrument reads the first record whatever the count
    // says, and then continues while k <= count: one record more than it
    // announces.
    for (int64_t k = 0; k == 0 || k <= recordCount_; ++k) {
        if (pos + kRecordHeaderSize > fileSize_) {
            scanEnd_ = pos == fileSize_ ? ScanEnd::EndOfFile : ScanEnd::CutHeader;
            break;
        }
        const uint8_t* header = reader.view(pos, kRecordHeaderSize);
        if (!header) {
            scanEnd_ = ScanEnd::CutHeader;
            break;
        }
        const int32_t storedLength = loadI32Unchecked(header);
        const int32_t trailerLength = loadI32Unchecked(header + 4);
        if (storedLength < 0) {
            scanEnd_ = ScanEnd::NegativeLength;
            break;
        }
        const int64_t end = pos + kRecordHeaderSize + storedLength;
        if (end > fileSize_) {
            scanEnd_ = ScanEnd::ShortRecord;
            break;
        }
        if (end > INT32_MAX) {
            scanEnd_ = ScanEnd::OffsetLimit;
            break;
        }
        if (trailerLength != 0) {
            // A longer stream overflows the record buffer anyway (see
            // kStoredCapacity): its first kStoredCapacity bytes tell as much.
            const uint32_t n = static_cast<uint32_t>(std::min(storedLength, kStoredCapacity));
            const uint8_t* stream = reader.view(pos + kRecordHeaderSize, n);
            if (!stream) {
                scanEnd_ = ScanEnd::ShortRecord; // the file shrank under us
                break;
            }
            batch->jobs.push_back(
                {static_cast<int32_t>(k), pos, storedLength, trailerLength, batch->streams.size(), n});
            batch->streams.insert(batch->streams.end(), stream, stream + n);
            if (batch->full()) {
                trailers.hand(std::move(batch));
                batch = std::make_unique<TrailerBatch>();
            }
        }
        // Whether it carries a usable block is settled below.
        addIndexEntry(kRecordHeaderSize + storedLength, false);
        lastComplete = pos;
        if (progress && end >= nextProgress) {
            progress(end, fileSize_);
            nextProgress = end + kProgressStep;
        }
        pos = end;
    }
    if (scanEnd_ == ScanEnd::AnnouncedCount && pos == fileSize_) scanEnd_ = ScanEnd::EndOfFile;
    trailers.finish(std::move(batch));
    if (progress) progress(fileSize_, fileSize_);

    // In file order: the parameter record of every entry, damage, notes.
    for (const auto& done : trailers.batches()) {
        for (size_t j = 0; j < done->jobs.size(); ++j) {
            const TrailerJob& job = done->jobs[j];
            TrailerFinding& f = done->findings[j];
            if (f.blockUsable && job.record > 0)
                index_[static_cast<size_t>(job.record)].parameterRecordOffset =
                    static_cast<int32_t>(job.offset);
            if (f.damage != RecordDamage::None)
                damaged_.push_back({job.record, static_cast<int32_t>(job.offset), f.damage});
            if (f.note) {
                noteTexts_.push_back(std::move(*f.note));
                noteRecords_.push_back(job.record);
            }
        }
    }
    for (size_t k = 1; k < index_.size(); ++k) {
        RecordIndexEntry& e = index_[k];
        if (e.parameterRecordOffset != e.fileOffset)
            e.parameterRecordOffset = index_[k - 1].parameterRecordOffset;
    }

    // The instrument's buffers end up holding the last whole record it read;
    // a later read that finds nothing shows that record again.
    position_ = pos;
    if (lastComplete >= 0) {
        InstrumentParams scratch;
        const int64_t keep = position_;
        readRecordAt(lastComplete, scratch);
        position_ = keep;
    }
}

bool RecordFile::readExact(int64_t offset, void* dst, size_t size) const {
    if (fd_ < 0 || offset < 0 || offset + static_cast<int64_t>(size) > fileSize_) return false;
    size_t got = 0;
    auto* out = static_cast<uint8_t*>(dst);
    while (got < size) {
        const ssize_t n = pread(fd_, out + got, size - got, offset + static_cast<int64_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        got += static_cast<size_t>(n);
    }
    return true;
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

std::span<const uint8_t> RecordFile::frame(int64_t f) const {
    if (f < 0 || f >= layout_.framesPerRecord()) return {};
    return {decoded_.data() + f * kFrameSize, static_cast<size_t>(kFrameSize)};
}

} // namespace vantrel
