#include "gbk_text.h"

#include <cerrno>
#include <iconv.h>

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

std::string gbkToUtf8(std::string_view gbk) {
    thread_local Iconv cv("UTF-8", "GBK");
    std::string out;
    if (!cv.valid()) return std::string(gbk);
    const char* in = gbk.data();
    size_t left = gbk.size();
    cv.reset();
    while (!cv.convert(in, left, out)) {
        out += "\xEF\xBF\xBD"; // U+FFFD for the byte that is not GBK
        ++in;
        --left;
        cv.reset();
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
