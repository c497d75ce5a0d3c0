// Where vantrel-inspect's results go as they are made (a large index is not
// held whole): stdout in the program, a string in the tests.
#pragma once

#include <functional>
#include <string_view>

namespace vantrel {

using OutputSink = std::function<void(std::string_view)>;

} // namespace vantrel
