// The line routine against exact pixel sets and against a trivial model that
// rounds every step of the ideal segment on its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "display/raster_line.h"
#include "test_seed.h"

using namespace vantrel::raster;
using vantrel::testing::TestSeed;

namespace {

using Pixels = std::vector<Point>;

void sortPixels(Pixels& v) {
    std::sort(v.begin(), v.end(),
              [](Point a, Point b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
}

std::string text(const Pixels& v) {
    std::string s;
    for (Point p : v)
        s += "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
    return s;
}

// The pixels the routine sets, sorted; every run must be non-empty.
template <typename Draw> Pixels collect(Draw draw) {
    Pixels v;
    draw([&](const Run& r) {
        EXPECT_GT(r.length, 0);
        for (int32_t i = 0; i < r.length; ++i)
            v.push_back(r.vertical ? Point{r.x, r.y + i} : Point{r.x + i, r.y});
    });
    sortPixels(v);
    return v;
}

Pixels lineOf(Point p, Point q, Size size, Dash dash = Dash::solid) {
    return collect([&](auto visit) { line(p, q, size, dash, visit); });
}

using Wide = __int128;

Wide floorDiv(Wide a, Wide b) { // b > 0
    const Wide q = a / b;
    return q * b > a ? q - 1 : q;
}

// The model: for every major-axis coordinate inside the bitmap, the step i
// from P (0 <= i < n, Q left out) and the minor coordinate nearest to
// P + i/n (Q - P), a tie going to the smaller one.
Pixels model(Point p, Point q, Size size, Dash dash = Dash::solid) {
    const int64_t dx = int64_t{q.x} - p.x, dy = int64_t{q.y} - p.y;
    const bool steep = std::abs(dy) > std::abs(dx);
    const int64_t pa = steep ? p.y : p.x, pb = steep ? p.x : p.y;
    const int64_t da = steep ? dy : dx, db = steep ? dx : dy;
    const int64_t n = std::abs(da), majorLimit = steep ? size.height : size.width;
    const int64_t minorLimit = steep ? size.width : size.height;
    Pixels v;
    for (int64_t a = 0; a < majorLimit && n > 0; ++a) {
        const int64_t i = da > 0 ? a - pa : pa - a;
        if (i < 0 || i >= n || (dash == Dash::dotted && i % 2 != 0)) continue;
        const Wide scaled = Wide{pb} * n + Wide{i} * db; // the ideal minor times n
        Wide b = floorDiv(scaled, n);
        if (2 * (scaled - b * n) > n) ++b;
        if (b < 0 || b >= minorLimit) continue;
        const int32_t a32 = static_cast<int32_t>(a), b32 = static_cast<int32_t>(b);
        v.push_back(steep ? Point{b32, a32} : Point{a32, b32});
    }
    sortPixels(v);
    return v;
}

constexpr int32_t kMin = INT32_MIN, kMax = INT32_MAX;

struct LineCase {
    const char* name;
    Point p, q;
    Size size;
    Pixels expected;
};

const LineCase kLines[] = {
    {"shallow", {0, 0}, {5, 2}, {8, 8}, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}},
    {"shallow, ties go up", {0, 0}, {4, 2}, {8, 8}, {{0, 0}, {1, 0}, {2, 1}, {3, 1}}},
    {"the same backwards", {4, 2}, {0, 0}, {8, 8}, {{1, 0}, {2, 1}, {3, 1}, {4, 2}}},
    {"steep", {0, 0}, {2, 5}, {8, 8}, {{0, 0}, {0, 1}, {1, 2}, {1, 3}, {2, 4}}},
    {"steep, a tie goes left",
     {0, 0},
     {1, 6},
     {8, 8},
     {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 4}, {1, 5}}},
    {"diagonal", {0, 0}, {3, 3}, {8, 8}, {{0, 0}, {1, 1}, {2, 2}}},
    {"anti-diagonal", {3, 0}, {0, 3}, {8, 8}, {{3, 0}, {2, 1}, {1, 2}}},
    {"one pixel across", {2, 2}, {3, 2}, {8, 8}, {{2, 2}}},
    {"one pixel diagonally", {2, 2}, {3, 3}, {8, 8}, {{2, 2}}},
    {"one pixel up", {2, 2}, {2, 1}, {8, 8}, {{2, 2}}},
    {"zero length", {2, 2}, {2, 2}, {8, 8}, {}},
    // From the centre in every direction: the four axes, the four diagonals
    // and one line in each of the eight octants.
    {"east", {4, 4}, {7, 4}, {9, 9}, {{4, 4}, {5, 4}, {6, 4}}},
    {"west", {4, 4}, {1, 4}, {9, 9}, {{2, 4}, {3, 4}, {4, 4}}},
    {"north", {4, 4}, {4, 1}, {9, 9}, {{4, 2}, {4, 3}, {4, 4}}},
    {"south", {4, 4}, {4, 7}, {9, 9}, {{4, 4}, {4, 5}, {4, 6}}},
    {"north-east", {4, 4}, {7, 1}, {9, 9}, {{6, 2}, {5, 3}, {4, 4}}},
    {"north-west", {4, 4}, {1, 1}, {9, 9}, {{2, 2}, {3, 3}, {4, 4}}},
    {"south-east", {4, 4}, {7, 7}, {9, 9}, {{4, 4}, {5, 5}, {6, 6}}},
    {"south-west", {4, 4}, {1, 7}, {9, 9}, {{4, 4}, {3, 5}, {2, 6}}},
    {"octant ENE", {4, 4}, {7, 3}, {9, 9}, {{6, 3}, {4, 4}, {5, 4}}},
    {"octant ESE", {4, 4}, {7, 5}, {9, 9}, {{4, 4}, {5, 4}, {6, 5}}},
    {"octant WNW", {4, 4}, {1, 3}, {9, 9}, {{2, 3}, {3, 4}, {4, 4}}},
    {"octant WSW", {4, 4}, {1, 5}, {9, 9}, {{3, 4}, {4, 4}, {2, 5}}},
    {"octant NNE", {4, 4}, {5, 1}, {9, 9}, {{5, 2}, {4, 3}, {4, 4}}},
    {"octant NNW", {4, 4}, {3, 1}, {9, 9}, {{3, 2}, {4, 3}, {4, 4}}},
    {"octant SSE", {4, 4}, {5, 7}, {9, 9}, {{4, 4}, {4, 5}, {5, 6}}},
    {"octant SSW", {4, 4}, {3, 7}, {9, 9}, {{4, 4}, {4, 5}, {3, 6}}},
    // On the bitmap's edges and outside it.
    {"bottom row",
     {0, 5},
     {7, 5},
     {8, 6},
     {{0, 5}, {1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}, {6, 5}}},
    {"right column", {7, 0}, {7, 5}, {8, 6}, {{7, 0}, {7, 1}, {7, 2}, {7, 3}, {7, 4}}},
    {"one row below", {0, 6}, {7, 6}, {8, 6}, {}},
    {"across a corner", {-3, -1}, {5, 3}, {4, 3}, {{0, 0}, {1, 1}, {2, 1}, {3, 2}}},
    {"wholly left", {-5, -5}, {-1, 10}, {8, 8}, {}},
    {"wholly right", {10, 0}, {20, 3}, {8, 8}, {}},
    {"wholly above", {0, -9}, {7, -1}, {8, 8}, {}},
    // Coordinates at the ends of the 32-bit range: exact rounding there.
    {"huge diagonal", {kMin, kMin}, {kMax, kMax}, {4, 4}, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
    {"huge, an exact tie at x = 5",
     {-2147483635, 0},
     {2147483645, 1},
     {10, 2},
     {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 1}, {7, 1}, {8, 1}, {9, 1}}},
    {"huge, just past the middle", {kMin, 5}, {kMax, 6}, {3, 8}, {{0, 6}, {1, 6}, {2, 6}}},
    {"huge steep", {5, kMin}, {6, kMax}, {8, 3}, {{6, 0}, {6, 1}, {6, 2}}},
    {"to the far right", {5, 2}, {kMax, 2}, {8, 4}, {{5, 2}, {6, 2}, {7, 2}}},
    {"from the far left", {kMin, 2}, {2, 2}, {8, 4}, {{0, 2}, {1, 2}}},
};

} // namespace

TEST(RasterLine, ExactPixelSets) {
    for (const LineCase& c : kLines) {
        SCOPED_TRACE(c.name);
        Pixels expected = c.expected;
        sortPixels(expected);
        const Pixels got = lineOf(c.p, c.q, c.size);
        EXPECT_EQ(text(got), text(expected));
        EXPECT_EQ(text(got), text(model(c.p, c.q, c.size)));
    }
}

TEST(RasterLine, DottedLinesSetEveryOtherPixelFromP) {
    const struct {
        const char* name;
        Point p, q;
        Pixels expected;
    } cases[] = {
        {"right", {0, 1}, {7, 1}, {{0, 1}, {2, 1}, {4, 1}, {6, 1}}},
        {"left", {7, 1}, {0, 1}, {{1, 1}, {3, 1}, {5, 1}, {7, 1}}},
        {"down", {1, 0}, {1, 5}, {{1, 0}, {1, 2}, {1, 4}}},
        {"P outside: the pattern still counts from P", {-3, 2}, {6, 2}, {{1, 2}, {3, 2}, {5, 2}}},
        {"shallow", {0, 0}, {6, 2}, {{0, 0}, {2, 1}, {4, 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Pixels expected = c.expected;
        sortPixels(expected);
        EXPECT_EQ(text(lineOf(c.p, c.q, {8, 8}, Dash::dotted)), text(expected));
    }
}

TEST(RasterLine, PolylineSetsEveryVertexButTheLast) {
    const Point closed[] = {{0, 0}, {3, 0}, {3, 3}, {0, 0}};
    const Pixels square = collect([&](auto visit) {
        polyline(closed, {5, 5}, Dash::solid, visit);
    });
    EXPECT_EQ(text(square), "(0,0)(1,0)(2,0)(3,0)(1,1)(3,1)(2,2)(3,2)(3,3)");

    // A zig-zag with a repeated vertex (a zero-length segment).
    const Point zigzag[] = {{0, 4}, {2, 0}, {2, 0}, {4, 4}, {5, 2}};
    const Pixels z = collect([&](auto visit) { polyline(zigzag, {6, 5}, Dash::solid, visit); });
    for (size_t i = 0; i + 1 < std::size(zigzag); ++i)
        EXPECT_TRUE(std::find(z.begin(), z.end(), zigzag[i]) != z.end()) << i;
    EXPECT_TRUE(std::find(z.begin(), z.end(), Point{5, 2}) == z.end());
}

// Random segments against the model: small ones around a small bitmap, and
// ones with an end anywhere in the 32-bit range; a segment drawn backwards
// sets the same pixels apart from its excluded end.
TEST(RasterLine, MatchesTheModel) {
    const TestSeed seed;
    std::mt19937 rng(seed.value());
    std::uniform_int_distribution<int32_t> near(-12, 24), anywhere(kMin, kMax);
    const Size size{13, 9};
    auto inside = [&](Point a) {
        return a.x >= 0 && a.x < size.width && a.y >= 0 && a.y < size.height;
    };
    for (int i = 0; i < 4000; ++i) {
        const Point p{near(rng), near(rng)};
        const Point q = i % 2   ? Point{anywhere(rng), near(rng)}
                        : i % 4 ? Point{near(rng), anywhere(rng)}
                                : Point{near(rng), near(rng)};
        SCOPED_TRACE(text({p, q}));
        const Pixels forward = lineOf(p, q, size);
        ASSERT_EQ(text(forward), text(model(p, q, size)));
        ASSERT_EQ(text(lineOf(p, q, size, Dash::dotted)), text(model(p, q, size, Dash::dotted)));
        Pixels a = forward, b = lineOf(q, p, size);
        if (inside(q) && !(p == q)) a.push_back(q);
        if (inside(p) && !(p == q)) b.push_back(p);
        sortPixels(a);
        sortPixels(b);
        ASSERT_EQ(text(a), text(b));
    }
}
