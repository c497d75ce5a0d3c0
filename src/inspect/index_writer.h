// The index document (`vantrel-inspect index`), written as it is formatted:
// the index of a large recording holds hundreds of thousands of entries.
#pragma once

#include <string>
#include <string_view>

#include "inspect/cli_support.h"
#include "recordfile/record_file.h"

namespace vantrel::cli {

// A JSON string as QJsonDocument writes it: quote, backslash and control
// characters escaped (\b \f \n \r \t, the rest as \u00xx), everything else
// as its UTF-8 bytes. False (and nothing appended) for text that is not
// valid UTF-8, which only Qt's own conversion may handle.
bool appendJsonString(std::string& out, std::string_view text);

void writeIndex(const RecordFile& file, Output& output);

} // namespace vantrel::cli
