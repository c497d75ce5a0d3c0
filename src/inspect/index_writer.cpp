#include "inspect/index_writer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <charconv>
#include <cstdint>
#include <cstring>

#include "inspect/model_json.h"
#include "recordfile/gbk_text.h"

namespace vantrel::cli {

bool appendJsonString(std::string& out, std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const uint8_t b = static_cast<uint8_t>(text[i]);
        const int n = b < 0x80             ? 1
                      : (b & 0xE0) == 0xC0 ? 2
                      : (b & 0xF0) == 0xE0 ? 3
                      : (b & 0xF8) == 0xF0 ? 4
                                           : 0;
        if (n == 0 || i + static_cast<size_t>(n) > text.size()) return false;
        uint32_t cp = n == 1 ? b : b & (0x7F >> n);
        for (int k = 1; k < n; ++k) {
            const uint8_t c = static_cast<uint8_t>(text[i + static_cast<size_t>(k)]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        static constexpr uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kLeast[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += static_cast<size_t>(n);
    }
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char ch : text) {
        const uint8_t c = static_cast<uint8_t>(ch);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                out += "\\u00";
                out += kHex[c >> 4];
                out += kHex[c & 15];
            } else {
                out += ch;
            }
        }
    }
    out += '"';
    return true;
}

namespace {

// The document's text gathered into one fixed block that goes to the output
// whenever it fills.
class Chunk {
public:
    static constexpr size_t kFlush = 1 << 16;
    // The longest index entry: ",[" three 11-character numbers, two commas,
    // "]", and the last number copied as 12 bytes.
    static constexpr size_t kEntryMost = 40;

    explicit Chunk(Output& output) : output_(output), text_(kFlush + kEntryMost, '\0') {}

    // Appends `text`; a text longer than the whole block goes out by itself.
    void put(std::string_view text) {
        if (used_ + text.size() > text_.size()) {
            flush();
            if (text.size() > text_.size()) {
                output_.print(text);
                return;
            }
        }
        std::memcpy(text_.data() + used_, text.data(), text.size());
        used_ += text.size();
    }

    // Where an entry is written in place: room for kEntryMost bytes is kept
    // behind kFlush, and entryWritten sends the block once it passes kFlush.
    char* entryStart() { return text_.data() + used_; }
    char* end() { return text_.data() + text_.size(); }
    void entryWritten(const char* entryEnd) {
        used_ = static_cast<size_t>(entryEnd - text_.data());
        if (used_ >= kFlush) flush();
    }

    void flush() {
        output_.print({text_.data(), used_});
        used_ = 0;
    }

private:
    Output& output_;
    std::string text_;
    size_t used_ = 0;
};

// The entries of "records", [fileOffset,recordSize,parameterRecordOffset]
// each, formatted in place.
void putRecordEntries(const RecordFile& file, Chunk& chunk) {
    // Most records share the parameter record of the one before: its digits
    // are copied, not made again (12 bytes, with room kept for them).
    char paramText[12] = {};
    size_t paramLength = 0;
    int64_t param = INT64_MIN; // equal to no 32-bit offset
    bool first = true;
    for (const RecordIndexEntry& e : file.recordIndex()) {
        char* p = chunk.entryStart();
        char* const end = chunk.end();
        if (!first) *p++ = ',';
        *p++ = '[';
        p = std::to_chars(p, end, e.fileOffset).ptr;
        *p++ = ',';
        p = std::to_chars(p, end, e.recordSize).ptr;
        *p++ = ',';
        if (e.parameterRecordOffset != param) {
            param = e.parameterRecordOffset;
            paramLength = static_cast<size_t>(
                std::to_chars(paramText, paramText + sizeof paramText, e.parameterRecordOffset)
                    .ptr -
                paramText);
        }
        std::memcpy(p, paramText, sizeof paramText);
        p += paramLength;
        *p++ = ']';
        chunk.entryWritten(p);
        first = false;
    }
}

// The entries of "notes", {"record":R,"text":T} each.
void putNotes(const RecordFile& file, Chunk& chunk) {
    std::string note;
    for (size_t i = 0; i < file.notes().size(); ++i) {
        note = i ? ",{\"record\":" : "{\"record\":";
        note += std::to_string(file.notes()[i].record);
        note += ",\"text\":";
        const std::string text = gbkToUtf8(file.notes()[i].text);
        if (!appendJsonString(note, text)) {
            const QByteArray quoted =
                QJsonDocument(QJsonArray{utf8(text)}).toJson(QJsonDocument::Compact);
            note.append(quoted.constData() + 1, static_cast<size_t>(quoted.size() - 2));
        }
        note += '}';
        chunk.put(note);
    }
}

} // namespace

// The index of a large recording holds hundreds of thousands of entries and
// may hold thousands of notes: both are formatted into one fixed block that
// goes to the output whenever it fills, and the rest of the document goes
// through QJsonDocument. The keys come in QJsonObject's (sorted) order.
void writeIndex(const RecordFile& file, Output& output) {
    // "notes" sorts between "damaged" and "recordCount".
    QJsonObject before, after{{"recordCount", file.recordCount()}};
    // The records the instrument could not have written, with the reason
    // (always there, empty for an intact file), and only where the scan
    // stopped early, why.
    before.insert("damaged", damageList(file));
    if (file.scanEnd() != ScanEnd::AnnouncedCount && file.scanEnd() != ScanEnd::EndOfFile)
        after.insert("scanEnd", scanEndText(file.scanEnd()));
    const QByteArray head = QJsonDocument(before).toJson(QJsonDocument::Compact);
    const QByteArray tail = QJsonDocument(after).toJson(QJsonDocument::Compact);

    Chunk chunk(output);
    chunk.put("{\"records\":[");
    putRecordEntries(file, chunk);
    chunk.put("],");
    // The inner members of {"damaged":...}.
    chunk.put({head.constData() + 1, static_cast<size_t>(head.size() - 2)});
    chunk.put(",");
    chunk.put("\"notes\":[");
    putNotes(file, chunk);
    chunk.put("],");
    // The inner members of {"recordCount":...,...} through its "}".
    chunk.put({tail.constData() + 1, static_cast<size_t>(tail.size() - 1)});
    chunk.put("\n");
    chunk.flush();
}

} // namespace vantrel::cli
