#include "recordfile/gbk_text.h"

#include <cerrno>
#include <iconv.h>
#include <unordered_map>

namespace vantrel {

namespace {

class Iconv {
public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Iconv() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much as possible; on an invalid or incomplete sequence
    // returns false with `in` pointing at it.
    bool convert(const char*& in, size_t& inLeft, std::string& out) {
        char buffer[256];
        while (inLeft > 0) {
            char* outPtr = buffer;
            size_t outLeft = sizeof buffer;
            const size_t rc = iconv(cd_, const_cast<char**>(&in), &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<size_t>(outPtr - buffer));
            if (rc == static_cast<size_t>(-1) && errno != E2BIG) return false;
        }
        return true;
    }
    void reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

private:
    iconv_t cd_;
};

} // namespace

namespace {

// One GBK character (a byte, or a lead and a trail byte) converted through
// iconv; empty when iconv refuses it.
std::string convertCharacter(Iconv& cv, const char* p, size_t n) {
    std::string out;
    const char* in = p;
    size_t left = n;
    cv.reset();
    if (!cv.convert(in, left, out)) return {};
    return out;
}

} // namespace

std::string gbkToUtf8(std::string_view gbk) {
    thread_local Iconv cv("UTF-8", "GBK");
    if (!cv.valid()) return std::string(gbk);
    // Texts here are short and use few distinct characters (readout symbols,
    // note texts), so each character is converted once and remembered. The
    // result is what converting the whole text with iconv gives: a byte that
    // starts no valid character becomes U+FFFD and the next byte starts anew.
    thread_local std::unordered_map<uint32_t, std::string> known;
    std::string out;
    out.reserve(gbk.size() + gbk.size() / 2);
    for (size_t i = 0; i < gbk.size();) {
        const uint8_t b = static_cast<uint8_t>(gbk[i]);
        if (b < 0x80) {
            out.push_back(static_cast<char>(b));
            ++i;
            continue;
        }
        // 0x81..0xFE lead a two-byte character; 0x80 and 0xFF stand alone.
        const bool pair = b != 0x80 && b != 0xFF && i + 1 < gbk.size();
        const uint32_t key = pair ? (b << 8) | static_cast<uint8_t>(gbk[i + 1]) : 0x10000u | b;
        auto it = known.find(key);
        if (it == known.end()) {
            std::string utf8 = convertCharacter(cv, gbk.data() + i, pair ? 2 : 1);
            it = known.emplace(key, std::move(utf8)).first;
        }
        if (!it->second.empty()) {
            out += it->second;
            i += pair ? 2 : 1;
        } else {
            out += "\xEF\xBF\xBD"; // U+FFFD for the byte that starts no character
            ++i;
        }
    }
    return out;
}

std::optional<std::string> utf8ToGbk(std::string_view utf8) {
    thread_local Iconv cv("GBK", "UTF-8");
    if (!cv.valid()) return std::nullopt;
    std::string out;
    const char* in = utf8.data();
    size_t left = utf8.size();
    cv.reset();
    if (!cv.convert(in, left, out)) return std::nullopt;
    return out;
}

} // namespace vantrel
