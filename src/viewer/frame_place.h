// A frame of the recording by its record and frame number, both from 0: what
// the user types to go somewhere, what the screen shows, and what stays true
// of an indication when the program, its thresholds or its gap change.
#pragma once

#include <compare>
#include <cstdint>
#include <string>

namespace vantrel {

struct FramePlace {
    int32_t record = 0, frame = 0;
    auto operator<=>(const FramePlace&) const = default;
};

// "R:F", as every list and page writes a frame.
inline std::string placeText(FramePlace f) {
    return std::to_string(f.record) + ":" + std::to_string(f.frame);
}

} // namespace vantrel
