// GBK <-> UTF-8 through glibc iconv. All texts of the instrument (notes,
// probe names, readouts) are GBK; the display and JSON sides want UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// Converts GBK bytes to UTF-8. A byte sequence that is not GBK becomes one
// U+FFFD per offending byte, so a damaged note still shows what it can.
std::string gbkToUtf8(std::string_view gbk);

// Converts UTF-8 to GBK; nullopt when a character has no GBK form.
std::optional<std::string> utf8ToGbk(std::string_view utf8);

} // namespace vantrel
