// A frame of the recording by its record and frame numbers: how the user,
// the notes and the inspector's decisions name a frame, and what stays true
// of it when thresholds, gaps or the program change.
#pragma once

#include <compare>
#include <cstdint>

namespace vantrel {

struct FramePlace {
    int32_t record = 0, frame = 0;
    auto operator<=>(const FramePlace&) const = default;
};

} // namespace vantrel
