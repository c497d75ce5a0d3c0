#include "display/curves.h"

#include <algorithm>
#include <cmath>

#include "recordfile/wrap_math.h"

namespace vantrel {

using namespace wrap;

int32_t interpolateAt(int32_t x1, int32_t y1, int32_t x, int32_t y2, int32_t x2) {
    if (x < x1 || x > x2 || x1 == x2) return -1;
    return add(y1, div(mul(sub(x, x1), sub(y2, y1)), sub(x2, x1)));
}

void fillBetween(CurveOrdinates& values, int32_t a, int32_t b) {
    if (a > b + 1) std::swap(a, b);
    if (b - a <= 1) return; // also covers a > b by one
    if (b > kCurvePositions - 1) b = kCurvePositions - 1;
    if (a < 0 || a >= b) return; // nothing of the span lies inside the storage
    const double slope =
        static_cast<double>(values[static_cast<size_t>(b)] - values[static_cast<size_t>(a)]) /
        (b - a);
    const double start = values[static_cast<size_t>(a)];
    for (int32_t j = 1; a + j < b; ++j)
        values[static_cast<size_t>(a + j)] = store16(truncToInt(start + j * slope));
}

void rescaleCurve(const CurveOrdinates& source, CurveOrdinates& target, int32_t d) {
    const double f = std::exp(d * 2.302585 * 0.005);
    auto scaled = [&](int k) {
        return store16(truncToInt(source[static_cast<size_t>(k)] / f + 0.5));
    };
    auto mid = [&](int a, int b) {
        return store16(truncToInt(
            (target[static_cast<size_t>(a)] + target[static_cast<size_t>(b)]) * 0.5 + 0.5));
    };
    target[0] = scaled(0);
    for (int k = 4; k <= 300; k += 4) {
        target[static_cast<size_t>(k)] = scaled(k);
        target[static_cast<size_t>(k - 2)] = mid(k - 4, k);
        target[static_cast<size_t>(k - 3)] = mid(k - 4, k - 2);
        target[static_cast<size_t>(k - 1)] = mid(k - 2, k);
    }
}

float cappedExp(float x) {
    if (x > 10.39717719f) x = 10.39717719f;
    return std::exp(x);
}

int16_t nearFieldLength(const InstrumentParams& p) {
    const int32_t hi = p.crystalSize() / 256, lo = p.crystalSize() % 256;
    const int16_t a = static_cast<int16_t>(lo != 0 ? hi * lo : hi * hi);
    const int32_t divisor = mul(p.velocity(), 40);
    if (divisor == 0) return 0; // no velocity: no near field to speak of
    return static_cast<int16_t>(div(mul(mul(a, p.probeFrequency()), 1000), divisor));
}

int32_t delayPath(const InstrumentParams& p) {
    return static_cast<int32_t>(static_cast<uint32_t>(p.velocity()) * p.delay() / 20000u);
}

namespace {

struct Point {
    int32_t pos;
    int32_t level;
};

// At most dacPointCount (10) + 4 points.
struct PointList {
    std::array<Point, 14> p;
    int n = 0;
    void insert(int at, Point q) {
        for (int i = n; i > at; --i)
            p[static_cast<size_t>(i)] = p[static_cast<size_t>(i - 1)];
        p[static_cast<size_t>(at)] = q;
        ++n;
    }
    Point& operator[](int i) { return p[static_cast<size_t>(i)]; }
    const Point& operator[](int i) const { return p[static_cast<size_t>(i)]; }
};

// 400 log10(a / b) with the two logarithms taken apart, as the instrument
// does; a point at position 0 makes this infinite, which saturates.
double distanceLaw(int32_t a, int32_t b) { return 400 * (std::log10(a) - std::log10(b)); }

// The recorded reference points, in their recorded order.
PointList recordedPoints(const InstrumentParams& p, int n) {
    PointList pts;
    for (int i = 0; i < n; ++i)
        pts.insert(i, {p.dacPointPos(i), p.dacPointDb(i)});
    return pts;
}

// Continues the points to both ends of the span 0..right. With the distance
// law (and always for DGS): when the first point lies beyond three near-field
// lengths, a point before it on the law (level not below 0), at a fifth of
// its position but no nearer than those three lengths; a point at 0 with the
// level of the first; when `right` is at least three times the last
// position, a point at twice that position 12 dB on; and a point at `right`
// on the law from the point before it. Without the law the points at 0 and
// at `right` keep the levels of the first and last points.
void extendToEnds(const InstrumentParams& p, PointList& pts, int32_t right) {
    if (p.distanceLawExtend() || p.dgsOn()) {
        const int32_t nearField3 = mul(nearFieldLength(p), 3);
        if (pts[0].pos > nearField3) {
            const Point first = pts[0];
            const int32_t qpos = std::max(first.pos / 5, nearField3);
            const int32_t drop = truncToInt(distanceLaw(first.pos, qpos));
            pts.insert(0, {qpos, drop >= first.level ? 0 : first.level - drop});
        }
        pts.insert(0, {0, pts[0].level});
        const Point last = pts[pts.n - 1];
        if (right >= mul(last.pos, 3)) pts.insert(pts.n, {mul(last.pos, 2), add(last.level, 120)});
        const Point before = pts[pts.n - 1];
        pts.insert(pts.n, {right, truncToInt(distanceLaw(right, before.pos) + before.level)});
    } else {
        pts.insert(0, {0, pts[0].level});
        pts.insert(pts.n, {right, pts[pts.n - 1].level});
    }
}

// Cuts the points to the plot's span left..right: the points before `left`
// give way to one interpolated at `left`, the first point beyond `right`
// becomes one interpolated at `right` and ends the list. The levels are then
// clamped to 0..65535.
void cutToPlot(PointList& pts, int32_t left, int32_t right) {
    for (int i = 1; i < pts.n; ++i) {
        if (left < pts[i].pos) {
            pts[i - 1] = {left, interpolateAt(pts[i - 1].pos, pts[i - 1].level, left, pts[i].level,
                                              pts[i].pos)};
            for (int j = i - 1; j < pts.n; ++j)
                pts[j - (i - 1)] = pts[j];
            pts.n -= i - 1;
            break;
        }
    }
    for (int i = 1; i < pts.n; ++i) {
        if (right < pts[i].pos) {
            pts[i] = {right, interpolateAt(pts[i - 1].pos, pts[i - 1].level, right, pts[i].level,
                                           pts[i].pos)};
            pts.n = i + 1;
            break;
        }
    }
    for (int i = 0; i < pts.n; ++i)
        pts[i].level = std::clamp(pts[i].level, 0, 65535);
}

// Puts the levels at their plot positions, 280 positions to the range (at
// least 100), with straight lines between; a point that maps beyond 300 ends
// the curve at 299, interpolated there.
void mapOntoPlot(const InstrumentParams& p, const PointList& pts, int32_t left, CurveStorage& s) {
    CurveOrdinates& c = s.curveOrdinates;
    const uint32_t r = p.range() >= 100 ? p.range() : 100u;
    c[0] = store16(pts[0].level);
    int32_t k = 0;
    for (int i = 1; i < pts.n && k < 299; ++i) {
        const int32_t prev = k;
        k = static_cast<int32_t>(static_cast<uint32_t>(mul(sub(pts[i].pos, left), 280)) / r);
        if (k <= 300) {
            c[static_cast<size_t>(k)] = store16(pts[i].level);
            s.lastMappedIndex = k;
        } else {
            c[299] =
                store16(interpolateAt(prev, c[static_cast<size_t>(prev)], 299, pts[i].level, k));
            k = 299;
        }
        fillBetween(c, prev, k);
    }
}

} // namespace

int buildDacCurve(const InstrumentParams& p, CurveStorage& s) {
    const int n = p.dacPointCount();
    if (n < 1 || n > 10) return -1;
    PointList pts = recordedPoints(p, n);
    const int32_t left = delayPath(p);
    const int32_t right = add(left, static_cast<int32_t>(p.range()));
    extendToEnds(p, pts, right);
    cutToPlot(pts, left, right);
    mapOntoPlot(p, pts, left, s);
    return 2;
}

void convertCurveToHeights(const InstrumentParams& p, CurveStorage& s) {
    CurveOrdinates& c = s.curveOrdinates;
    const int32_t g = truncToInt(p.baseGain() + p.gainTable(1) + 481.31);
    c[0] = store16(truncToInt(cappedExp(static_cast<float>((g - c[0]) * 2.302585 * 0.005))));
    if (p.flatCurve()) {
        c[299] = c[0];
        fillBetween(c, 0, 299);
    } else {
        for (int k = 4; k <= 300; k += 4) {
            c[static_cast<size_t>(k)] =
                store16(truncToInt(std::exp((g - c[static_cast<size_t>(k)]) * 2.302585 * 0.005)));
            fillBetween(c, k - 4, k);
        }
    }
    const int32_t last = s.lastMappedIndex;
    if (last >= 0 && last < kCurvePositions) {
        for (int k = last + 1; k <= 299; ++k)
            c[static_cast<size_t>(k)] = c[static_cast<size_t>(last)];
    }
    rescaleCurve(c, s.gateOrdinates, p.gainTable(1) - p.gainTable(7));
}

int drawnCurveCount(const InstrumentParams& p) { return static_cast<int>(p.curveCount() % 7); }

CurveSet buildCurveSet(const InstrumentParams& p) {
    CurveSet set;
    if (buildDacCurve(p, set.storage) < 0) return set;
    set.built = true;
    convertCurveToHeights(p, set.storage);
    CurveOrdinates curve = set.storage.curveOrdinates;
    const int count = drawnCurveCount(p);
    for (int m = 1; m <= count; ++m) {
        set.family.push_back(curve);
        if (m < count && p.gainTable(m) != p.gainTable(m + 1))
            rescaleCurve(curve, curve, p.gainTable(m) - p.gainTable(m + 1));
    }
    return set;
}

} // namespace vantrel
