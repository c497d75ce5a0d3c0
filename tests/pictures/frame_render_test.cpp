// Pixel probes of the A-scan picture on small fixtures: the decisive pixels,
// not whole images.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPainter>

#include <random>

#include "pictures/frame_render.h"
#include "test_files.h"
#include "test_seed.h"
#include "viewer/viewer_core.h"

using namespace vantrel;
using namespace vantrel::testing;

namespace {

constexpr int W = kPlotWidth, H = kPlotHeight;
const QRgb kBlack = qRgb(0, 0, 0), kYellow = qRgb(255, 255, 0), kGreen = qRgb(0, 255, 0),
           kCyan = qRgb(0, 255, 255), kMagenta = qRgb(255, 0, 255), kBlue = qRgb(0, 0, 255);

using Frame = std::vector<uint8_t>;

Frame frameOf(std::function<uint8_t(int)> echo, std::function<uint8_t(int)> envelope = nullptr) {
    Frame f(kFrameSize, 0);
    for (int k = 0; k < kSamplesPerFrame; ++k) {
        f[static_cast<size_t>(k)] = echo(k);
        if (envelope) f[static_cast<size_t>(kFrameEnvelopeOffset + k)] = envelope(k);
    }
    return f;
}

// The frame drawn with the curves built for `p` (returned in `built`).
QImage draw(const Frame& frame, const InstrumentParams& p, CurveSet* built = nullptr) {
    QImage image(W, H, QImage::Format_RGB32);
    image.fill(Qt::white);
    const CurveSet curves = buildCurveSet(p);
    drawFramePicture(image, frame, p, curves);
    if (built) *built = curves;
    return image;
}

QRgb at(const QImage& image, int x, int y) { return image.pixel(x, y) | 0xFF000000u; }

int count(const QImage& image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += at(image, x, y) == colour;
    return n;
}

// Gates out of sight: width 0 puts gate A on a single excluded pixel.
ParamBuilder quiet() { return ParamBuilder(); }

} // namespace

TEST(FrameRender, GridBorderAndTraceVertices) {
    const Frame f = frameOf([](int k) { return static_cast<uint8_t>(k % 2 ? 150 : 40); });
    const QImage img = draw(f, quiet().get());
    // Border: solid, on the outermost pixels.
    for (auto [x, y] :
         {std::pair{0, 0}, {W - 1, 0}, {W - 1, H - 1}, {0, H - 1}, {180, 0}, {W - 1, 140}})
        EXPECT_EQ(at(img, x, y), kYellow) << x << "," << y;
    // Dotted grid at H*i/5 and W*i/5: every other pixel.
    EXPECT_EQ(at(img, 20, H / 5), kYellow);
    EXPECT_EQ(at(img, 21, H / 5), kBlack);
    EXPECT_EQ(at(img, W * 2 / 5, 20), kYellow);
    EXPECT_EQ(at(img, W * 2 / 5, 21), kBlack);
    // Trace vertices: x = W*k/280, y = H - H*v/200.
    for (int k : {1, 2, 99, 100, 277, 278}) {
        const int v = k % 2 ? 150 : 40;
        EXPECT_EQ(at(img, W * k / 280, H - H * v / 200), kGreen) << k;
    }
}

// A noisy frame like the demo's: low grass with echoes up to and past full
// height, and an occasional zero on the row below the plot.
Frame noisyFrame(unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> pick(0, 99), grass(1, 20), echo(20, 255);
    return frameOf([&](int) {
        const int r = pick(rng);
        return static_cast<uint8_t>(r < 3 ? 0 : r < 75 ? grass(rng) : echo(rng));
    });
}

// Every vertex of the trace but its last is set, and every other trace pixel
// lies within half a pixel of a segment: on the segment's major-axis span,
// at most half a pixel from the ideal segment on the minor axis.
TEST(FrameRender, TraceFollowsTheLineRule) {
    const TestSeed seed;
    const Frame f = noisyFrame(seed.value());
    const QImage img = draw(f, quiet().get());
    std::vector<QPoint> v;
    for (int k = 0; k < kSamplesPerFrame; ++k)
        v.emplace_back(W * k / 280, H - H * std::min<int>(f[static_cast<size_t>(k)], 200) / 200);
    for (size_t k = 0; k < v.size(); ++k) {
        if (v[k].y() == H) continue; // a zero, below the plot
        const bool last = k + 1 == v.size();
        EXPECT_EQ(at(img, v[k].x(), v[k].y()) == kGreen, !last) << "vertex " << k;
    }

    auto onSegment = [&](int x, int y, QPoint p, QPoint q) {
        const bool steep = std::abs(q.y() - p.y()) > std::abs(q.x() - p.x());
        const int64_t a = steep ? y : x, b = steep ? x : y;
        const int64_t pa = steep ? p.y() : p.x(), pb = steep ? p.x() : p.y();
        const int64_t da = steep ? q.y() - p.y() : q.x() - p.x(),
                      db = steep ? q.x() - p.x() : q.y() - p.y();
        const int64_t i = da > 0 ? a - pa : pa - a, n = std::abs(da);
        if (n == 0 || i < 0 || i >= n) return false;
        // |b - (pb + i * db / n)| <= 1/2, times 2n.
        return std::abs(2 * (b * n - pb * n - i * db)) <= n;
    };
    int traced = 0;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            if (at(img, x, y) != kGreen) continue;
            ++traced;
            bool near = false;
            for (size_t k = 0; k + 1 < v.size() && !near; ++k)
                near = onSegment(x, y, v[k], v[k + 1]);
            EXPECT_TRUE(near) << x << "," << y;
        }
    EXPECT_GT(traced, kSamplesPerFrame);
}

// The report's plot on a painter is the same picture as in a bitmap, and on a
// painter scaled to a finer device (a printer) it covers exactly the scaled
// pixel squares: lines are filled runs, not strokes of a device pen.
TEST(FrameRender, PainterCanvasCoversTheBitmapsPixels) {
    const Frame f = noisyFrame(7);
    using namespace param;
    const InstrumentParams p = quiet()
                                   .points({{300, 420}, {700, 380}})
                                   .u32(kRange, 1000)
                                   .u16(kBaseGain, 340)
                                   .bits(kDacOn, 1)
                                   .bits(kCurveCount, 3)
                                   .u16(kGainTable + 4, static_cast<uint16_t>(-60))
                                   .u16(kGainTable + 6, static_cast<uint16_t>(-120))
                                   .bits(kGateFollowsCurve, 1)
                                   .u16(kGateAStart, 40)
                                   .u16(kGateAWidth, 100)
                                   .u16(kGateBStart, 150)
                                   .u16(kGateBWidth, 60)
                                   .u16(kGateBLevel, 90)
                                   .get();
    const int w = 289, h = 257, scale = 3;
    const CurveSet curves = buildCurveSet(p);
    QImage bitmap(w, h, QImage::Format_RGB32);
    ImageCanvas canvas(bitmap);
    drawReportPlot(canvas, f, f.data() + kFrameEnvelopeOffset, p, curves);

    QImage painted(w, h, QImage::Format_RGB32), fine(w * scale, h * scale, QImage::Format_RGB32);
    painted.fill(Qt::red);
    fine.fill(Qt::red);
    {
        QPainter painter(&painted);
        drawReportPlot(painter, w, h, f, f.data() + kFrameEnvelopeOffset, p, curves);
    }
    {
        QPainter painter(&fine);
        painter.scale(scale, scale);
        drawReportPlot(painter, w, h, f, f.data() + kFrameEnvelopeOffset, p, curves);
    }
    EXPECT_GT(count(bitmap, kBlack), 2000);
    EXPECT_EQ(painted, bitmap);
    EXPECT_EQ(fine,
              bitmap.scaled(w * scale, h * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation));
}

TEST(FrameRender, SampleLimitsAndEnvelope) {
    const Frame f = frameOf([](int k) { return static_cast<uint8_t>(k == 140 ? 255 : 0); },
                            [](int) { return static_cast<uint8_t>(100); });
    const QImage plain = draw(f, quiet().get());
    // 255 is drawn like 200: at the top row. 0 lies on row H, out of sight.
    EXPECT_EQ(at(plain, W * 140 / 280, 0), kGreen);
    EXPECT_EQ(at(plain, 50, H - 1), kYellow); // border, not trace
    // The envelope only with envelopeMode set.
    EXPECT_EQ(count(plain, kCyan), 0);
    const QImage withEnvelope = draw(f, quiet().bits(param::kEnvelopeMode, 2).get());
    EXPECT_EQ(at(withEnvelope, 50, H - H * 100 / 200), kCyan);
    EXPECT_GT(count(withEnvelope, kCyan), 300);
}

TEST(FrameRender, GateAForms) {
    const Frame f = frameOf([](int) { return static_cast<uint8_t>(0); });
    using namespace param;
    // Flat: from x(start) up to, not including, x(start + width).
    const QImage flat =
        draw(f, quiet().u16(kGateAStart, 40).u16(kGateAWidth, 100).u16(kGateALevel, 80).get());
    const int y = H - H * 80 / 200, x0 = W * 40 / 280, x1 = W * 140 / 280;
    EXPECT_EQ(at(flat, x0, y), kMagenta);
    EXPECT_EQ(at(flat, x1 - 1, y), kMagenta);
    EXPECT_NE(at(flat, x1, y), kMagenta);
    EXPECT_NE(at(flat, x0 - 1, y), kMagenta);
    // Level 200 lies on the top row.
    EXPECT_EQ(at(draw(f, quiet().u16(kGateAWidth, 10).u16(kGateALevel, 200).get()), 3, 0),
              kMagenta);

    // Mirrored about mid-height for the RF display.
    const QImage rf = draw(f, quiet()
                                  .u16(kGateAStart, 40)
                                  .u16(kGateAWidth, 100)
                                  .u16(kGateALevel, 100)
                                  .bits(kWaveMode, 3)
                                  .get());
    EXPECT_EQ(at(rf, x0 + 5, H / 2 - 100 * H / 400), kMagenta);
    EXPECT_EQ(at(rf, x0 + 5, H / 2 + 100 * H / 400), kMagenta);
    EXPECT_NE(at(rf, x0 + 5, y), kMagenta);

    // Following the gate curve in curve mode: up from the top edge, along the
    // curve, back to the top edge at the gate's last sample.
    const ParamBuilder followingBuilder = quiet()
                                              .points({{500, 400}})
                                              .u32(kRange, 1000)
                                              .u16(kBaseGain, 340)
                                              .bits(kDacOn, 1)
                                              .bits(kGateFollowsCurve, 1)
                                              .u16(kGateAStart, 40)
                                              .u16(kGateAWidth, 100)
                                              .u16(kGateALevel, 80);
    const InstrumentParams following = followingBuilder.get();
    CurveSet built;
    const QImage follow = draw(f, following, &built);
    const int curveY = H - 127 * H / 200;
    EXPECT_EQ(at(follow, W * 40 / 280, 0), kMagenta);
    EXPECT_EQ(at(follow, W * 41 / 280, curveY), kMagenta);
    EXPECT_EQ(at(follow, W * 139 / 280, curveY - 5), kMagenta); // the rise back to the top
    EXPECT_NE(at(follow, x0 + 5, y), kMagenta);                 // no flat gate
    EXPECT_EQ(built.storage.gateOrdinates[100], 127);

    // Curve mode without a buildable curve: the gate stays flat at its level.
    const InstrumentParams unbuilt = quiet()
                                         .u32(kRange, 1000)
                                         .bits(kDacOn, 1)
                                         .bits(kGateFollowsCurve, 1)
                                         .u16(kGateAStart, 40)
                                         .u16(kGateAWidth, 100)
                                         .u16(kGateALevel, 80)
                                         .get();
    EXPECT_EQ(at(draw(f, unbuilt), x0 + 5, y), kMagenta);

    // A following gate past the last curve position is cut there, not read
    // beyond the storage.
    const InstrumentParams far =
        ParamBuilder(followingBuilder).u16(kGateAStart, 250).u16(kGateAWidth, 200).get();
    EXPECT_EQ(at(draw(f, far), W * 250 / 280, 0), kMagenta);
}

TEST(FrameRender, GateBOnlyAboveLevel3) {
    const Frame f = frameOf([](int) { return static_cast<uint8_t>(0); });
    using namespace param;
    const ParamBuilder b = quiet().u16(kGateBStart, 150).u16(kGateBWidth, 50);
    EXPECT_EQ(count(draw(f, ParamBuilder(b).u16(kGateBLevel, 3).get()), kBlue), 0);
    const QImage on = draw(f, ParamBuilder(b).u16(kGateBLevel, 4).get());
    const int y = H - H * 4 / 200;
    EXPECT_EQ(at(on, W * 150 / 280, y), kBlue);
    EXPECT_EQ(at(on, W * 200 / 280 - 1, y), kBlue);
    EXPECT_NE(at(on, W * 200 / 280, y), kBlue);
}

TEST(FrameRender, Curves) {
    const Frame f = frameOf([](int) { return static_cast<uint8_t>(0); });
    using namespace param;
    const ParamBuilder dac =
        quiet().points({{500, 400}}).u32(kRange, 1000).u16(kBaseGain, 340).bits(kDacOn, 1);
    // curveCount 0 (or 7): no curve.
    EXPECT_EQ(count(draw(f, ParamBuilder(dac).get()), kCyan), 0);
    EXPECT_EQ(count(draw(f, ParamBuilder(dac).bits(kCurveCount, 7).get()), kCyan), 0);
    // A flat curve runs from x = W/280 = 1 to x = W.
    const int y = H - 127 * H / 200;
    const QImage flat = draw(f, ParamBuilder(dac).bits(kCurveCount, 1).bits(kFlatCurve, 1).get());
    EXPECT_EQ(at(flat, 0, y), kYellow);
    EXPECT_EQ(at(flat, 1, y), kCyan);
    EXPECT_EQ(at(flat, W - 1, y), kCyan);
    // Two curves 6 dB apart: the second at half height.
    const QImage two = draw(f, ParamBuilder(dac)
                                   .bits(kCurveCount, 2)
                                   .u16(kGainTable + 4, static_cast<uint16_t>(-60))
                                   .get());
    EXPECT_EQ(at(two, W * 100 / 280, y), kCyan);
    EXPECT_EQ(at(two, W * 100 / 280, H - 64 * H / 200), kCyan);
    // Heights at or above the pixel height are skipped.
    const QImage high = draw(f, ParamBuilder(dac).bits(kCurveCount, 1).u16(kBaseGain, 1000).get());
    EXPECT_EQ(count(high, kCyan), 0);
}

TEST(FrameRender, DrawingTheSameFrameTwiceIsIdentical) {
    RecordWriter w;
    ParameterBlock block = makeBlock(325);
    storeU32(block.data() + param::kDisplayFlags, 1);
    w.addRecord(makeFrames(3), &block);
    const std::string path = writeTemp("twice.DAT", w.bytes());
    ViewerCore viewer;
    QImage image(W, H, QImage::Format_RGB32);
    viewer.setPainter({.frame =
                           [&](std::span<const uint8_t> fr) {
                               drawFramePicture(image, fr, viewer.params(), viewer.curves());
                           },
                       .emptyPlot = [&] { drawEmptyPlot(image); },
                       .pathRuler = {}});
    ASSERT_TRUE(viewer.openItemClick(path).ok());
    viewer.seekLoad(0);
    viewer.drawFrame(1);
    const QImage first = image.copy();
    const FrameTail tail = viewer.frameTail();
    EXPECT_EQ(tail.values()[0], 1000);
    viewer.drawFrame(1);
    EXPECT_EQ(image, first);
    EXPECT_EQ(viewer.frameTail().bytes, tail.bytes);
    // A frame the record does not have: the empty plot, readouts kept.
    const ReadoutTexts readouts = viewer.readouts();
    viewer.drawFrame(3);
    EXPECT_EQ(count(image, kGreen), 0);
    EXPECT_EQ(at(image, 0, 0), kYellow);
    EXPECT_EQ(viewer.readouts(), readouts);
    viewer.drawFrame(-1);
    EXPECT_EQ(viewer.frameTail().bytes, tail.bytes);
}

TEST(FrameRender, PlaybackStepsSkipTheLastFrame) {
    RecordWriter w;
    w.addRecord(makeFrames(5));
    ViewerCore viewer;
    ASSERT_TRUE(viewer.openItemClick(writeTemp("five.DAT", w.bytes())).ok());
    std::vector<int32_t> drawn;
    viewer.setPainter({.frame =
                           [&](std::span<const uint8_t> fr) {
                               drawn.push_back(loadI32Unchecked(fr.data() + kFrameValuesOffset) /
                                               1000);
                           },
                       .emptyPlot = {},
                       .pathRuler = {}});
    viewer.seekLoad(0);
    std::vector<bool> steps;
    for (int i = 0; i < 6; ++i)
        steps.push_back(viewer.drawNextFrame());
    EXPECT_EQ(drawn, (std::vector<int32_t>{0, 1, 2, 3, 0}));
    EXPECT_EQ(steps, (std::vector<bool>{true, true, true, true, false, true}));
}

TEST(FrameRender, Rulers) {
    QImage amplitude(kAmplitudeRulerWidth, kAmplitudeRulerHeight, QImage::Format_RGB32);
    drawAmplitudeRuler(amplitude, kPlotHeight, PlotColours::screen());
    // A label's top lies on its grid line: "100" at 0, ..., "0" at 289.
    auto inkRows = [](const QImage& img, int x0, int x1) {
        std::vector<int> rows;
        for (int y = 0; y < img.height(); ++y)
            for (int x = x0; x < x1; ++x)
                if (at(img, x, y) != kBlack) {
                    rows.push_back(y);
                    break;
                }
        return rows;
    };
    const std::vector<int> rows = inkRows(amplitude, 0, kAmplitudeRulerWidth);
    ASSERT_FALSE(rows.empty());
    EXPECT_GE(rows.front(), 0);
    EXPECT_LT(rows.front(), 4);
    EXPECT_GE(rows.back(), 289);
    EXPECT_LT(rows.back(), 289 + 20);
    for (int line : {57, 115, 173, 231}) {
        EXPECT_TRUE(std::find_if(rows.begin(), rows.end(),
                                 [&](int r) { return r >= line && r < line + 4; }) != rows.end())
            << line;
        EXPECT_TRUE(std::find(rows.begin(), rows.end(), line - 2) == rows.end()) << line;
    }

    QImage path(kPathRulerWidth, kPathRulerHeight, QImage::Format_RGB32);
    drawPathRuler(path, {}, PlotColours::screen());
    EXPECT_EQ(count(path, kBlack), kPathRulerWidth * kPathRulerHeight);
    const std::array<std::string, 6> labels = {"0.0 ",  "20.0 ", "40.0 ",
                                               "60.0 ", "80.0 ", "100.0 "};
    drawPathRuler(path, labels, PlotColours::screen());
    auto inkIn = [&](int x0, int x1) {
        for (int y = 0; y < path.height(); ++y)
            for (int x = x0; x < x1; ++x)
                if (at(path, x, y) == kYellow) return true;
        return false;
    };
    for (int x : {0, 57, 129, 201, 273, 328})
        EXPECT_TRUE(inkIn(x, x + 6)) << x;
    EXPECT_FALSE(inkIn(40, 56));
}
