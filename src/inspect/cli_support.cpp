#include "inspect/cli_support.h"

#include <QJsonDocument>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <unistd.h>

#include "display/display_text.h"
#include "recordfile/file_io.h"

namespace vantrel::cli {

[[noreturn]] void fail(const std::string& message) { throw UsageError{message}; }

std::string quoted(const QString& s) { return "'" + s.toStdString() + "'"; }

void Output::printJson(const QJsonObject& object) const {
    const QByteArray text = QJsonDocument(object).toJson(QJsonDocument::Compact);
    print(std::string(text.constData(), static_cast<size_t>(text.size())) + "\n");
}

Progress::Progress(OutputSink sink, std::string unit, int64_t total, Clock now)
    : sink_(std::move(sink)), unit_(std::move(unit)), total_(total), now_(std::move(now)),
      start_(now_()), next_(start_ + kProgressAfter) {}

void Progress::step(int64_t done) {
    if (!sink_) return;
    const auto t = now_();
    if (t < next_) return;
    next_ = t + kProgressEvery;
    shown_ = true;
    sink_("vantrel-inspect: " + unit_ + " " + std::to_string(done) + " of " +
          std::to_string(total_) + " written\n");
}

void Progress::finish() {
    if (!sink_ || !shown_) return;
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
        now_() - start_ + std::chrono::milliseconds(500));
    sink_("vantrel-inspect: " + std::to_string(total_) + " " + unit_ + "s written in " +
          std::to_string(seconds.count()) + " s\n");
}

QString utf8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QJsonValue floatValue(float f) {
    char buffer[32];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, f);
    return QJsonValue(std::stod(std::string(buffer, r.ptr)));
}

WholeNumber parseWhole(const QString& text, const char* what) {
    const std::string s = text.toStdString();
    size_t i = 0;
    const bool negative = !s.empty() && s[0] == '-';
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) ++i;
    if (i == s.size()) fail(std::string(what) + " " + quoted(text) + " is not an integer");
    while (i + 1 < s.size() && s[i] == '0')
        ++i;
    // The magnitude, held at 2^63 once it gets there: the nearest 64-bit
    // value either way.
    constexpr uint64_t kCap = uint64_t{1} << 63;
    uint64_t magnitude = 0;
    for (size_t k = i; k < s.size(); ++k) {
        if (!std::isdigit(static_cast<unsigned char>(s[k])))
            fail(std::string(what) + " " + quoted(text) + " is not an integer");
        magnitude = std::min(magnitude, kCap / 10 + 1) * 10 + static_cast<uint64_t>(s[k] - '0');
        magnitude = std::min(magnitude, kCap);
    }
    WholeNumber n;
    if (negative)
        n.value = magnitude == kCap ? std::numeric_limits<int64_t>::min()
                                    : -static_cast<int64_t>(magnitude);
    else
        n.value = static_cast<int64_t>(std::min(magnitude, kCap - 1));
    n.text = (negative && s.substr(i) != "0" ? "-" : "") + s.substr(i);
    return n;
}

[[noreturn]] void failToOpen(const OpenResult& r, const QString& path) {
    if (r.error == OpenError::TooShort) fail("cannot read " + quoted(path) + ": " + r.reason);
    fail("cannot open " + quoted(path) + ": " + r.reason);
}

void openOrFail(RecordFile& file, const QString& path) {
    const OpenResult r = file.openRecordFile(path.toStdString());
    if (!r.ok()) failToOpen(r, path);
}

void openOrFail(RecordQuery& query, const QString& path) {
    const OpenResult r = query.open(path.toStdString());
    if (!r.ok()) failToOpen(r, path);
}

void openOrFail(ViewerCore& viewer, const QString& path) {
    const OpenResult r = viewer.openItemClick(path.toStdString());
    if (!r.ok()) failToOpen(r, path);
}

int32_t seekOrFail(RecordQuery& query, const QString& path, const QString& recordArg) {
    const WholeNumber r = parseWhole(recordArg, "record number");
    openOrFail(query, path);
    const int64_t indexed = static_cast<int64_t>(query.file().recordIndex().size());
    if (r.value < 0 || r.value >= indexed) {
        fail("record " + r.text + " is out of range (file has " + std::to_string(indexed) +
             " indexed record" + (indexed == 1 ? "" : "s") + ")");
    }
    query.seek(static_cast<int32_t>(r.value));
    return static_cast<int32_t>(r.value);
}

FileContents readInput(const QString& path) {
    std::optional<FileContents> file = readFile(path.toStdString());
    if (!file) fail("cannot open " + quoted(path) + ": " + std::strerror(errno));
    return std::move(*file);
}

void writeOutput(const QString& path, std::span<const uint8_t> bytes) {
    errno = 0;
    if (!writeBytes(path.toStdString(), bytes))
        fail("cannot write " + quoted(path) + ": " + std::strerror(errno ? errno : EIO));
}

std::string cannotWrite(const QString& path) {
    const std::string name = path.toStdString();
    const bool existed = ::access(name.c_str(), F_OK) == 0;
    errno = 0;
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    // Writable, yet the writer failed: the disk filled, or the data could
    // not be encoded.
    const int reason = fd < 0 ? errno : EIO;
    if (fd >= 0) {
        ::close(fd);
        if (!existed) ::unlink(name.c_str());
    }
    return "cannot write " + quoted(path) + ": " + std::strerror(reason);
}

OutputFile::OutputFile(const QString& path)
    : path_(path), file_(path.toStdString(), std::ios::binary | std::ios::trunc) {
    if (!file_) fail("cannot write " + quoted(path_) + ": " + std::strerror(errno));
}

void OutputFile::write(std::string_view bytes) {
    errno = 0;
    file_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file_) fail("cannot write " + quoted(path_) + ": " + std::strerror(errno ? errno : EIO));
}

void OutputFile::close() {
    errno = 0;
    file_.close();
    if (!file_) fail("cannot write " + quoted(path_) + ": " + std::strerror(errno ? errno : EIO));
}

namespace {

// A decimal number of the command line as the least whole number of tenths
// at or above it, so that "amplitude >= threshold" holds on the tenths
// exactly as it does on the decimal (50.55 gives 506, -1.25 gives -12).
int64_t thresholdTenths(const QString& text, const char* what) {
    const std::string s = text.toStdString();
    size_t i = 0;
    const bool negative = !s.empty() && (s[0] == '-' || s[0] == '+') && s[i++] == '-';
    int64_t whole = 0;
    size_t digits = 0;
    for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i, ++digits) {
        whole = whole * 10 + (s[i] - '0');
        if (whole > 1'000'000'000'000)
            fail(std::string(what) + " " + quoted(text) + " is too large");
    }
    int64_t tenth = 0;
    bool rest = false;
    if (i < s.size() && s[i] == '.') {
        for (size_t k = 0; ++i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++k) {
            ++digits;
            if (k == 0)
                tenth = s[i] - '0';
            else if (s[i] != '0')
                rest = true;
        }
    }
    if (digits == 0 || i != s.size())
        fail(std::string(what) + " " + quoted(text) + " is not a number");
    const int64_t tenths = whole * 10 + tenth;
    return negative ? -tenths : tenths + (rest ? 1 : 0);
}

} // namespace

void takeKeptSettings(OverviewOptions& o, const Inspection& inspection) {
    if (!inspection.settings) return;
    const EvaluationSettings& s = *inspection.settings;
    auto text = [](const std::string& t) { return QString::fromStdString(t); };
    if (!o.gap) o.gap = QString::number(s.gap);
    if (!o.split) o.split = text(splitText(s.splitMicrometres));
    if (!o.percentThreshold && s.percentThreshold)
        o.percentThreshold = text(tenths(*s.percentThreshold));
    if (!o.dbThreshold) o.dbThreshold = text(tenths(s.dbThreshold));
}

OverviewSettings overviewSettings(const OverviewOptions& o) {
    OverviewSettings s;
    // The command line reads its B-scans from the records, exactly; the
    // window's block maxima would only cost the walk time and memory.
    s.bscan = false;
    if (o.percentThreshold) s.percentThreshold = thresholdTenths(*o.percentThreshold, "threshold");
    if (o.dbThreshold) s.dbThreshold = thresholdTenths(*o.dbThreshold, "threshold-db");
    if (o.gap) {
        bool ok = false;
        s.gap = o.gap->toLongLong(&ok, 10);
        if (!ok || s.gap < 0) fail("gap " + quoted(*o.gap) + " is not a whole number >= 0");
    }
    if (o.split) {
        const std::optional<int64_t> um = parseSplitMicrometres(o.split->toStdString());
        if (!um) fail("split " + quoted(*o.split) + " is not a distance in mm (0 or more)");
        s.splitMicrometres = *um;
    }
    if (o.position) {
        const std::optional<OverviewPosition> kind = positionKindOfText(o.position->toStdString());
        if (!kind) fail("position " + quoted(*o.position) + " is none of path, surface, depth");
        s.position = *kind;
    }
    return s;
}

std::optional<Travel> travelOption(const std::optional<QString>& mmPerFrame) {
    if (!mmPerFrame) return std::nullopt;
    std::optional<Travel> travel = Travel::parse(mmPerFrame->toStdString());
    if (!travel) fail("mm-per-frame " + quoted(*mmPerFrame) + " is not a number above 0");
    return travel;
}

} // namespace vantrel::cli
