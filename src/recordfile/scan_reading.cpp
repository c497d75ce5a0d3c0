#include "recordfile/scan_reading.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <system_error>

#include "recordfile/file_io.h"

namespace vantrel::scan {

WindowReader::WindowReader(int fd, int64_t fileSize)
    : fd_(fd), fileSize_(fileSize), buffer_(kWindow) {}

const uint8_t* WindowReader::view(int64_t offset, size_t size) {
    if (offset >= start_ && offset + static_cast<int64_t>(size) <= start_ + length_)
        return buffer_.data() + (offset - start_);
    const size_t want = static_cast<size_t>(std::min<int64_t>(kWindow, fileSize_ - offset));
    const size_t got = preadFully(fd_, buffer_.data(), want, offset);
    start_ = offset;
    length_ = static_cast<int64_t>(got);
    return got >= size ? buffer_.data() : nullptr;
}

static_assert(WindowReader::kWindow >= kRecordHeaderSize + kStoredCapacity);

WalkStep walkStep(WindowReader& reader, int64_t pos, int64_t fileSize) {
    WalkStep s;
    if (pos + kRecordHeaderSize > fileSize) {
        s.end = pos == fileSize ? ScanEnd::EndOfFile : ScanEnd::CutHeader;
        return s;
    }
    const uint8_t* header = reader.view(pos, kRecordHeaderSize);
    if (!header) {
        s.end = ScanEnd::CutHeader;
        return s;
    }
    s.storedLength = loadI32Unchecked(header);
    s.trailerLength = loadI32Unchecked(header + 4);
    if (s.storedLength < 0) {
        s.end = ScanEnd::NegativeLength;
        return s;
    }
    s.next = pos + kRecordHeaderSize + s.storedLength;
    if (s.next > fileSize) {
        s.end = ScanEnd::ShortRecord;
        return s;
    }
    if (s.next > INT32_MAX) {
        s.end = ScanEnd::OffsetLimit;
        return s;
    }
    if (s.trailerLength != 0) {
        // A longer stream overflows the record buffer anyway (see
        // kStoredCapacity): its first kStoredCapacity bytes tell as much.
        s.streamSize = static_cast<uint32_t>(std::min(s.storedLength, kStoredCapacity));
        s.stream = reader.view(pos + kRecordHeaderSize, s.streamSize);
        if (!s.stream) s.end = ScanEnd::ShortRecord; // the file shrank under us
    }
    return s;
}

// ---------------------------------------------------------------- trailers

TrailerReader::TrailerReader() : decoded_(kDecodedCapacity) {}

TrailerFinding TrailerReader::read(const WalkStep& step) {
    // A sound stream is only measured: its size places the trailer, and the
    // few bytes of the note are looked up. Anything else is decoded.
    LzwDecodeResult d;
    const bool measured = decoder_.measure(step.stream, step.streamSize, decoded_.size(), d.size);
    if (!measured)
        d = decoder_.decode(step.stream, step.streamSize, decoded_.data(), decoded_.size());
    RecordLayout l = layoutRecord(step.storedLength, step.trailerLength, d);
    TrailerFinding f;
    bool cut = false;
    f.note = noteTextOf(
        static_cast<size_t>(l.decodedSize),
        [&](size_t i) { return measured ? decoder_.byteAt(static_cast<int32_t>(i)) : decoded_[i]; },
        l, &cut);
    if (l.damage == RecordDamage::None && cut) l.damage = RecordDamage::NoteCut;
    f.blockUsable = l.blockUsable;
    f.damage = l.damage;
    return f;
}

// ---------------------------------------------------------------- tail walk

TailWalk::TailWalk(int fd, int64_t fileSize, int64_t mostRecords)
    : fd_(fd), fileSize_(fileSize), mostRecords_(mostRecords) {
    try {
        helper_ = std::thread([this] { walk(); });
    } catch (const std::system_error&) {
        joined_ = true; // no helper: the scan walks alone
        publishStart(-1);
    }
}

int64_t TailWalk::start() const {
    start_.wait(kNotYet, std::memory_order_acquire);
    return start_.load(std::memory_order_acquire);
}

void TailWalk::publishStart(int64_t start) {
    start_.store(start, std::memory_order_release);
    start_.notify_all();
}

TailWalk::~TailWalk() {
    stop_.store(true, std::memory_order_relaxed);
    if (helper_.joinable()) helper_.join();
}

namespace {

// A header the instrument could have written: a stream of its own buffer's
// size at most, no trailer or one that holds a parameter block.
bool plausibleHeader(int32_t storedLength, int32_t trailerLength) {
    return storedLength > 0 && storedLength <= kInstrumentStoredCapacity &&
           (trailerLength == 0 ||
            (trailerLength >= kParameterBlockSize && trailerLength <= kDecodedCapacity));
}

} // namespace

// The first offset from the middle on where 16 plausible headers follow one
// another (or fewer that end the file exactly). Inside a stream the bytes
// look random, and a random pair of words passes as a header about once in
// a hundred thousand bytes; a real record start is found within the first
// few kilobytes. The search is bounded (the scan waits for it): a megabyte
// of candidates and 4096 headers followed beyond the first.
int64_t TailWalk::guessStart() const {
    constexpr int kChain = 16;
    constexpr int64_t kSearch = 1 << 20;
    int budget = 4096;
    WindowReader candidates(fd_, fileSize_), chain(fd_, fileSize_);
    const int64_t from = searchFrom();
    const int64_t to = std::min(fileSize_ - kRecordHeaderSize, from + kSearch);
    for (int64_t p = from; p <= to; ++p) {
        if (stop_.load(std::memory_order_relaxed)) return -1;
        const uint8_t* h = candidates.view(p, kRecordHeaderSize);
        if (!h || !plausibleHeader(loadI32Unchecked(h), loadI32Unchecked(h + 4))) continue;
        int64_t q = p + kRecordHeaderSize + loadI32Unchecked(h);
        int n = 1;
        for (; n < kChain && q + kRecordHeaderSize <= fileSize_; ++n) {
            if (--budget < 0) return -1;
            const uint8_t* next = chain.view(q, kRecordHeaderSize);
            if (!next || !plausibleHeader(loadI32Unchecked(next), loadI32Unchecked(next + 4)))
                break;
            q += kRecordHeaderSize + loadI32Unchecked(next);
        }
        if (n == kChain || q == fileSize_) return p;
    }
    return -1;
}

void TailWalk::walk() {
    try {
        const int64_t first = guessStart();
        if (first < 0) {
            publishStart(-1);
            return;
        }
        walkFrom(first);
    } catch (...) {
        // Out of memory, say: the scan walks on alone (and never waits in
        // vain for a guess).
        publishStart(-1);
    }
}

void TailWalk::walkFrom(int64_t first) {
    WindowReader reader(fd_, fileSize_);
    TrailerReader trailers;
    // Room for every record that could follow, up to what the scan takes;
    // only the part written is ever touched.
    sizes_.reserve(
        static_cast<size_t>(std::min(mostRecords_, (fileSize_ - first) / kRecordHeaderSize + 1)));
    reserveLarge(findings_);
    publishStart(first);
    int64_t pos = first;
    while (static_cast<int64_t>(sizes_.size()) < mostRecords_) {
        if ((sizes_.size() & 255) == 0) {
            if (stop_.load(std::memory_order_relaxed)) return;
            walked_.store(pos - first, std::memory_order_relaxed);
        }
        const WalkStep step = walkStep(reader, pos, fileSize_);
        if (step.end) {
            ended_ = true;
            end_ = *step.end;
            return;
        }
        if (step.stream) findings_.push_back({sizes_.size(), trailers.read(step)});
        sizes_.push_back(kRecordHeaderSize + step.storedLength);
        pos = step.next;
    }
}

std::optional<size_t> TailWalk::recordAt(int64_t pos) {
    if (!joined_) {
        helper_.join();
        joined_ = true;
        cursorPos_ = start();
    }
    if (start() < 0) return std::nullopt;
    while (cursor_ < sizes_.size() && cursorPos_ < pos)
        cursorPos_ += sizes_[cursor_++];
    if (cursorPos_ == pos) return cursor_; // sizes_.size() when both chains end here
    return std::nullopt;
}

} // namespace vantrel::scan
