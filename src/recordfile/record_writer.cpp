#include "recordfile/record_writer.h"

#include "recordfile/gbk_text.h"
#include "recordfile/lzw.h"

namespace vantrel {

std::vector<uint16_t> noteCellsFromUtf8(std::string_view text) {
    std::vector<uint16_t> cells;
    const std::string gbk = utf8ToGbk(text).value_or(std::string(text));
    for (size_t i = 0; i < gbk.size(); ++i) {
        const uint8_t b = static_cast<uint8_t>(gbk[i]);
        if (b < 0x80) {
            cells.push_back(b);
        } else if (b >= 0xA1 && i + 1 < gbk.size() && static_cast<uint8_t>(gbk[i + 1]) >= 0xA1) {
            const uint8_t b2 = static_cast<uint8_t>(gbk[++i]);
            cells.push_back(static_cast<uint16_t>(((b - 0xA0) << 8) | (b2 - 0xA0)));
        } else {
            if (b >= 0x81 && i + 1 < gbk.size()) ++i; // a GBK-only character
            cells.push_back('?');
        }
    }
    return cells;
}

std::vector<uint8_t> buildDecodedRecord(std::span<const uint8_t> frames,
                                        const ParameterBlock* block,
                                        std::span<const uint16_t> noteCells) {
    std::vector<uint8_t> out(frames.begin(), frames.end());
    if (!block) return out;
    const size_t t = out.size();
    out.insert(out.end(), block->begin(), block->end());
    out.resize(t + kParameterBlockSize, 0);
    out[t + kNoteLengthOffset] = noteCells.empty() ? 0 : static_cast<uint8_t>(noteCells.size() - 1);
    out.push_back(0);
    out.push_back(0);
    for (uint16_t w : noteCells) {
        out.push_back(static_cast<uint8_t>(w));
        out.push_back(static_cast<uint8_t>(w >> 8));
    }
    return out;
}

std::vector<uint8_t> encodeStream(std::span<const uint8_t> decoded) {
    std::vector<uint8_t> stream(lzwEncodeBound(decoded.size()));
    const LzwEncodeResult r = lzwEncode(decoded.data(), static_cast<uint32_t>(decoded.size()),
                                        stream.data(), stream.size());
    stream.resize(static_cast<size_t>(r.size));
    return stream;
}

void RecordWriter::addRecord(std::span<const uint8_t> frames, const ParameterBlock* block,
                             std::span<const uint16_t> noteCells) {
    const std::vector<uint8_t> decoded = buildDecodedRecord(frames, block, noteCells);
    addDecoded(decoded, static_cast<int32_t>(decoded.size() - frames.size()));
}

void RecordWriter::addDecoded(std::span<const uint8_t> decoded, int32_t trailerLength) {
    const std::vector<uint8_t> stream = encodeStream(decoded);
    addRaw(static_cast<int32_t>(stream.size()), trailerLength, stream);
}

void RecordWriter::addRaw(int32_t storedLength, int32_t trailerLength,
                          std::span<const uint8_t> stream) {
    offsets_.push_back(kFileHeaderSize + static_cast<int64_t>(body_.size()));
    uint8_t header[kRecordHeaderSize];
    storeU32(header, static_cast<uint32_t>(storedLength));
    storeU32(header + 4, static_cast<uint32_t>(trailerLength));
    body_.insert(body_.end(), header, header + kRecordHeaderSize);
    body_.insert(body_.end(), stream.begin(), stream.end());
    ++records_;
}

std::vector<uint8_t> RecordWriter::bytes(std::optional<int32_t> announced) const {
    std::vector<uint8_t> out(kFileHeaderSize);
    storeU32(out.data(), static_cast<uint32_t>(announced.value_or(records_)));
    out.insert(out.end(), body_.begin(), body_.end());
    return out;
}

bool RecordWriter::writeFile(const std::string& path, std::optional<int32_t> announced) const {
    return writeBytes(path, bytes(announced));
}

} // namespace vantrel
