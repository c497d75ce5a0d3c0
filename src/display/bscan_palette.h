// The B-scan's colours: an echo sample (0 .. 255, 200 = full screen height)
// as a colour that grows from near black (no echo) through purple, red and
// orange to pale yellow at full screen; samples of 200 and above are all
// full screen (the plot's top), the same pale yellow. Lightness rises
// steadily along the scale, so it reads the same to people with the common
// red-green colour-vision deficiencies and in grey print.
#pragma once

#include <cstdint>

namespace vantrel {

inline constexpr int kBscanFullScreen = 200;

// 0xRRGGBB of a sample.
uint32_t bscanColour(uint8_t sample);

} // namespace vantrel
