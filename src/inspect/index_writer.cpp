#include "index_writer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <charconv>
#include <cstring>

#include "gbk_text.h"
#include "model_json.h"

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

// The index of a large recording holds hundreds of thousands of entries and
// may hold thousands of notes: both are written straight to the output as
// they are formatted, and the rest of the document goes through
// QJsonDocument. The keys come in QJsonObject's (sorted) order.
void writeIndex(const RecordFile& file, Output& output) {
    std::string notes = "[";
    for (size_t i = 0; i < file.noteTexts().size(); ++i) {
        if (i) notes += ',';
        notes += "{\"record\":";
        notes += std::to_string(file.noteRecords()[i]);
        notes += ",\"text\":";
        const std::string text = gbkToUtf8(file.noteTexts()[i]);
        if (!appendJsonString(notes, text)) {
            const QByteArray quoted =
                QJsonDocument(QJsonArray{utf8(text)}).toJson(QJsonDocument::Compact);
            notes.append(quoted.constData() + 1, static_cast<size_t>(quoted.size() - 2));
        }
        notes += '}';
    }
    notes += ']';
    // "notes" sorts between "damaged" and "recordCount".
    QJsonObject before, after{{"recordCount", file.recordCount()}};
    // Only for files the instrument could not have written: what was refused
    // and why the scan stopped early.
    const QJsonArray damaged = damageList(file);
    if (!damaged.isEmpty()) before.insert("damaged", damaged);
    if (file.scanEnd() != ScanEnd::AnnouncedCount && file.scanEnd() != ScanEnd::EndOfFile)
        after.insert("scanEnd", scanEndText(file.scanEnd()));
    const QByteArray head = QJsonDocument(before).toJson(QJsonDocument::Compact);
    const QByteArray tail = QJsonDocument(after).toJson(QJsonDocument::Compact);

    // Entries are formatted into a fixed block that goes out when full.
    constexpr size_t kFlush = 1 << 16;
    constexpr size_t kEntryMost = 40; // ",[" three 11-character numbers, two commas, "]"
    std::string chunk(kFlush + kEntryMost, '\0');
    size_t used = 0;
    auto put = [&](std::string_view text) {
        std::memcpy(chunk.data() + used, text.data(), text.size());
        used += text.size();
    };
    auto number = [&](int32_t v) {
        used = static_cast<size_t>(
            std::to_chars(chunk.data() + used, chunk.data() + chunk.size(), v).ptr - chunk.data());
    };
    put("{\"records\":[");
    bool first = true;
    for (const RecordIndexEntry& e : file.recordIndex()) {
        put(first ? "[" : ",[");
        number(e.fileOffset);
        chunk[used++] = ',';
        number(e.recordSize);
        chunk[used++] = ',';
        number(e.parameterRecordOffset);
        chunk[used++] = ']';
        first = false;
        if (used >= kFlush) {
            output.print({chunk.data(), used});
            used = 0;
        }
    }
    chunk.resize(used);
    chunk += "],";
    // The inner members of {"damaged":...} and {"recordCount":...,...}.
    if (head.size() > 2) {
        chunk.append(head.constData() + 1, static_cast<size_t>(head.size() - 2));
        chunk += ',';
    }
    chunk += "\"notes\":";
    chunk += notes;
    chunk += ',';
    chunk.append(tail.constData() + 1, static_cast<size_t>(tail.size() - 1)); // through its "}"
    chunk += "\n";
    output.print(chunk);
}

} // namespace vantrel::cli
