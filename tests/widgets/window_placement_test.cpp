// Where a new window goes beside another window's content, and a remembered
// place put back on a smaller screen.
#include <gtest/gtest.h>

#include "widgets/window_placement.h"

using namespace vantrel;

namespace {
std::string text(const QRect& r) {
    return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) +
           "x" + std::to_string(r.height());
}
} // namespace

TEST(WindowPlacement, BesideWhatStaysClear) {
    const QRect screen(0, 0, 1024, 768);
    const QSize size(900, 560), minimum(480, 360);
    const struct {
        const char* what;
        QRect clear;
        QRect expected;
    } cases[] = {
        {"room on the right", {10, 40, 400, 300}, {410, 40, 614, 560}},
        {"room on the left only", {600, 40, 400, 700}, {0, 40, 600, 560}},
        {"no room on the right: below before the left", {600, 40, 400, 300}, {124, 340, 900, 428}},
        {"neither side: below", {300, 10, 500, 300}, {124, 310, 900, 458}},
        {"neither side nor below: above", {300, 400, 500, 360}, {124, 0, 900, 400}},
        {"full width right", {0, 0, 100, 768}, {100, 0, 900, 560}},
        {"no side has room: at the right edge, narrowest",
         {200, 100, 600, 600},
         {544, 100, 480, 560}},
    };
    for (const auto& c : cases) {
        const QRect r = placeBeside(c.clear, size, minimum, screen);
        EXPECT_EQ(text(r), text(c.expected)) << c.what;
        EXPECT_TRUE(screen.contains(r)) << c.what;
        const bool room = std::string(c.what).find("no side") == std::string::npos;
        if (room) {
            EXPECT_FALSE(r.intersects(c.clear)) << c.what;
        }
        // Only where no side has room is there nothing clear of it.
        const std::optional<QRect> clear = placeClearOf(c.clear, size, minimum, screen);
        EXPECT_EQ(clear.has_value(), room) << c.what;
        if (clear) {
            EXPECT_EQ(text(*clear), text(r)) << c.what;
        }
    }
}

TEST(WindowPlacement, KeepOnScreen) {
    const QRect screen(0, 0, 1024, 768);
    const struct {
        QRect geometry, expected;
    } cases[] = {
        {{100, 100, 600, 400}, {100, 100, 600, 400}},   // on it: as it is
        {{1900, 1000, 600, 400}, {424, 368, 600, 400}}, // off the right and bottom
        {{-500, -50, 600, 400}, {0, 0, 600, 400}},      // off the left and top
        {{50, 50, 1920, 1080}, {0, 0, 1024, 768}},      // larger than the screen
    };
    for (const auto& c : cases)
        EXPECT_EQ(text(keepOnScreen(c.geometry, screen)), text(c.expected)) << text(c.geometry);
}
