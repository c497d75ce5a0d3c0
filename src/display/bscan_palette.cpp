#include "display/bscan_palette.h"

#include <array>
#include <cstddef>

namespace vantrel {

namespace {

// The scale at eleven even steps from no echo to full screen, and straight
// lines between them.
constexpr std::array<uint32_t, 11> kStops = {0x000004, 0x160B39, 0x420A68, 0x6A176E,
                                             0x932667, 0xBC3754, 0xDD513A, 0xF3761B,
                                             0xFCA50A, 0xF6D746, 0xFCFFA4};

constexpr std::array<uint32_t, 256> makeTable() {
    std::array<uint32_t, 256> table{};
    for (int v = 0; v < 256; ++v) {
        const int s = v < kBscanFullScreen ? v : kBscanFullScreen;
        // s / 200 of the way along ten segments: segment s / 20, s % 20
        // twentieths into it.
        const int segment = s / 20 < 10 ? s / 20 : 9;
        const int into = s - segment * 20;
        uint32_t rgb = 0;
        for (int shift : {16, 8, 0}) {
            const int a =
                static_cast<int>((kStops[static_cast<std::size_t>(segment)] >> shift) & 0xFF);
            const int b =
                static_cast<int>((kStops[static_cast<std::size_t>(segment) + 1] >> shift) & 0xFF);
            const int c = a + ((b - a) * into + (b >= a ? 10 : -10)) / 20;
            rgb |= static_cast<uint32_t>(c) << shift;
        }
        table[static_cast<std::size_t>(v)] = rgb;
    }
    return table;
}

constexpr std::array<uint32_t, 256> kTable = makeTable();

} // namespace

uint32_t bscanColour(uint8_t sample) { return kTable[sample]; }

} // namespace vantrel
