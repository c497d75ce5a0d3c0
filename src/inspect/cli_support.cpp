#include "cli_support.h"

#include <QJsonDocument>

#include <cerrno>
#include <charconv>
#include <cstring>

#include "file_io.h"

namespace vantrel::cli {

[[noreturn]] void fail(const std::string& message) { throw UsageError{message}; }

std::string quoted(const QString& s) { return "'" + s.toStdString() + "'"; }

void Output::printJson(const QJsonObject& object) const {
    const QByteArray text = QJsonDocument(object).toJson(QJsonDocument::Compact);
    print(std::string(text.constData(), static_cast<size_t>(text.size())) + "\n");
}

QString utf8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QJsonValue floatValue(float f) {
    char buffer[32];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, f);
    return QJsonValue(std::stod(std::string(buffer, r.ptr)));
}

int32_t parseInt(const QString& text, const char* what) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok) fail(std::string(what) + " " + quoted(text) + " is not an integer");
    return value;
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
    const int32_t r = parseInt(recordArg, "record number");
    openOrFail(query, path);
    const int64_t indexed = static_cast<int64_t>(query.file().recordIndex().size());
    if (r < 0 || r >= indexed) {
        fail("record " + std::to_string(r) + " is out of range (file has " +
             std::to_string(indexed) + " indexed record" + (indexed == 1 ? "" : "s") + ")");
    }
    query.seek(r);
    return r;
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

} // namespace vantrel::cli
