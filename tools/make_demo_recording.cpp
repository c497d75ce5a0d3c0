// make-demo-recording: writes the demo record file the viewer ships with.
//
// The file is what the flaw detector would have written during an angle-beam
// inspection of a 25 mm butt weld with a 60 degree, 2.5 MHz, 8x9 mm probe on
// channel 2: 300 records of 11 frames, a parameter block every 20 records and
// in every record where the operator changed a setting, and a few operator
// notes. The A-scans are synthesised (wedge ringing, grass, the weld root and
// six flaws whose echoes rise, walk and fall as the probe moves) and the
// measured values of every frame are evaluated from the echo as drawn, the
// way the instrument's gates do. Everything is deterministic: the same
// program writes the same bytes on every machine.
//
// Usage: make-demo-recording [OUTPUT]   (default samples/demo.DAT)

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "demo_scene.h"
#include "recordfile/instrument_params.h"
#include "recordfile/record_format.h"
#include "recordfile/record_writer.h"

using namespace vantrel;
using namespace vantrel::demo;

namespace {

constexpr int kRecords = 300;
constexpr int kFramesPerRecord = 11;
constexpr int kBlockInterval = 20; // the instrument repeats its settings this often
constexpr double kPi = 3.14159265358979323846;

// ------------------------------------------------------------------ random numbers

// splitmix64: the standard library's distributions differ between
// implementations, this does not, so the file is the same everywhere.
uint64_t mix(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    double uniform() { // [0, 1)
        state_ = mix(state_);
        return static_cast<double>(state_ >> 11) * 0x1.0p-53;
    }

private:
    uint64_t state_;
};

// A fixed random value in [0, 1) for a lattice point (used for the grain noise,
// which must look the same whenever the probe is at the same place).
double latticeValue(int64_t a, int64_t b) {
    const uint64_t h =
        mix(static_cast<uint64_t>(a) * 0x100000001B3ull ^ mix(static_cast<uint64_t>(b)));
    return static_cast<double>(h >> 11) * 0x1.0p-53;
}

double smoothStep(double x) { return x * x * (3.0 - 2.0 * x); }

// ------------------------------------------------------------------ settings

// The settings the operator can change during the scan; everything else of
// the block is fixed for the whole file.
struct Settings {
    int16_t scanGain = 40;     // gainTable[0], 0.1 dB
    uint32_t pathMode = 2;     // 0 depth, 2 sound path
    uint32_t envelopeMode = 0; // peak-hold trace shown
    CurveMode curve = CurveMode::None;
    bool twoGateReadout = false;
    uint32_t dacLineSelect = 0; // 0 = readout against the DAC curve, 2 = against SL
    bool gateB = false;
    uint16_t rejectLevel = 0;

    bool operator==(const Settings&) const = default;
};

// What the operator did, record by record (a block is written at every
// change):
//   0   start, scan gain -2 dB, one-gate readout, sound path
//   47  scan gain +4 dB              60  envelope on (until 139)
//   106 depth display (until 162)    140 DAC mode, gate A on EL
//   163 sound path again             220 two-gate readout against SL, gate B,
//   244 depth display                    envelope on (until 261)
//   262 DGS mode, sound path         281 curves off, reject at 10 %
Settings settingsAt(int record) {
    Settings s;
    s.scanGain = record < 47 ? -20 : 40; // +6 dB scan gain once the weld start is found
    if (record >= 60 && record < 140) s.envelopeMode = 1;
    if ((record >= 106 && record < 163) || (record >= 244 && record < 262)) s.pathMode = 0;
    if (record >= 140 && record < 262) s.curve = CurveMode::Dac;
    if (record >= 262 && record < 281) s.curve = CurveMode::Dgs;
    if (record >= 220 && record < 262) {
        s.twoGateReadout = true;
        s.dacLineSelect = 2;
        s.gateB = true;
        s.envelopeMode = 1;
    }
    if (record >= 281) s.rejectLevel = 20;
    return s;
}

// Fixed instrument settings.
constexpr uint16_t kVelocity = 3230;      // m/s, shear waves in steel
constexpr uint16_t kProbeAngle = 600;     // 60.0 degrees
constexpr uint16_t kProbeFrequency = 250; // 2.50 MHz
constexpr uint16_t kCrystalSize = 0x0809; // 8 x 9 mm
constexpr uint16_t kProbeZero = 100;      // 1/160 us
constexpr uint16_t kProbeFront = 100;     // 10.0 mm
constexpr uint32_t kRange = 1000;         // 100.0 mm sound path across the plot
constexpr uint32_t kDelay = 0;
constexpr uint16_t kBaseGain = 325; // 32.5 dB
constexpr uint16_t kCompGain = 40;  // 4.0 dB surface compensation
constexpr uint32_t kChannel = 2;
constexpr uint8_t kStamp[3] = {0x26, 0x12, 0x10};

// Gate A watches the first leg through the weld body, gate B the second leg.
constexpr uint16_t kGateAStart = 50, kGateAWidth = 110, kGateALevel = 80;
constexpr uint16_t kGateBStart = 175, kGateBWidth = 80, kGateBLevel = 20;

// The DAC was recorded on side-drilled holes of 2 mm diameter and 40 mm length
// at depths 10, 20, 30 and 40 mm (sound paths twice that at 60 degrees): the
// gain level at which each hole's echo reaches the reference height grows with
// distance. The line family below the DAC curve: RL at DAC -4 dB, SL at -12 dB,
// EL at -18 dB; gate A follows EL.
constexpr std::array<uint16_t, 4> kDacPos = {200, 400, 600, 800};
constexpr std::array<uint16_t, 4> kDacDb = {366, 408, 444, 474};
constexpr std::array<int16_t, 8> kDacLevels = {0, 0, -40, -120, -180, -240, -300, -180};
constexpr uint32_t kDacCurveCount = 4;

// In DGS mode one reference echo at 50 mm is stretched by the distance law;
// the curves stand for disc reflectors of 4, 2.8 and 2 mm (a level g means a
// diameter of 10^((g + 120) / 400) mm), gate A follows the 1 mm curve.
constexpr uint16_t kDgsPos = 500;
constexpr uint16_t kDgsDb = 420;
constexpr std::array<int16_t, 8> kDgsLevels = {0, 120, 60, 0, -60, -120, -180, -120};
constexpr uint32_t kDgsCurveCount = 3;

const std::array<int16_t, 8>& curveLevels(const Settings& s) {
    return s.curve == CurveMode::Dgs ? kDgsLevels : kDacLevels;
}

void setBits(ParameterBlock& b, const param::BitField& f, uint32_t value) {
    param::setBits(b.data(), f, value);
}

ParameterBlock encodeBlock(const Settings& s) {
    ParameterBlock b(kParameterBlockSize, 0);
    std::copy(std::begin(kStamp), std::end(kStamp), b.begin() + param::kStampBcd);
    setBits(b, param::kChannelNo, kChannel);
    setBits(b, param::kProbeType, 1); // angle-beam
    setBits(b, param::kEnvelopeMode, s.envelopeMode);
    setBits(b, param::kPathMode, s.pathMode);
    setBits(b, param::kTwoGateReadout, s.twoGateReadout ? 1 : 0);
    setBits(b, param::kDacLineSelect, s.dacLineSelect);
    storeU32(b.data() + param::kRange, kRange);
    storeU32(b.data() + param::kDelay, kDelay);
    storeU16(b.data() + param::kProbeZero, kProbeZero);
    storeU16(b.data() + param::kVelocity, kVelocity);
    storeU16(b.data() + param::kProbeAngle, kProbeAngle);
    storeU16(b.data() + param::kProbeFront, kProbeFront);
    storeU16(b.data() + param::kProbeFrequency, kProbeFrequency);
    storeU16(b.data() + param::kCrystalSize, kCrystalSize);
    storeU16(b.data() + param::kRejectLevel, s.rejectLevel);
    storeU16(b.data() + param::kCompGain, kCompGain);
    storeU16(b.data() + param::kBaseGain, kBaseGain);
    storeU16(b.data() + param::kGateAStart, kGateAStart);
    storeU16(b.data() + param::kGateAWidth, kGateAWidth);
    storeU16(b.data() + param::kGateALevel, kGateALevel);
    if (s.gateB) {
        storeU16(b.data() + param::kGateBStart, kGateBStart);
        storeU16(b.data() + param::kGateBWidth, kGateBWidth);
        storeU16(b.data() + param::kGateBLevel, kGateBLevel);
    }
    // The instrument keeps the recorded DAC and the line levels while curve
    // mode is off; only the mode bits switch the curves on.
    const bool dgs = s.curve == CurveMode::Dgs;
    const std::array<int16_t, 8>& levels = curveLevels(s);
    for (int i = 0; i < param::kGainTableSize; ++i) {
        const int16_t g = i == 0 ? s.scanGain : levels[static_cast<size_t>(i)];
        storeU16(b.data() + param::kGainTable + 2 * i, static_cast<uint16_t>(g));
    }
    if (dgs) {
        storeU16(b.data() + param::kDacPointPos, kDgsPos);
        storeU16(b.data() + param::kDacPointDb, kDgsDb);
        storeU16(b.data() + param::kDacPointCount, 1);
    } else {
        for (size_t i = 0; i < kDacPos.size(); ++i) {
            storeU16(b.data() + param::kDacPointPos + 2 * static_cast<int>(i), kDacPos[i]);
            storeU16(b.data() + param::kDacPointDb + 2 * static_cast<int>(i), kDacDb[i]);
        }
        storeU16(b.data() + param::kDacPointCount, static_cast<uint16_t>(kDacPos.size()));
    }
    storeU16(b.data() + param::kDacRefDiameter, 20); // 2.0 mm side-drilled hole
    storeU16(b.data() + param::kDacRefLength, 400);  // 40.0 mm long
    setBits(b, param::kCurveCount, dgs ? kDgsCurveCount : kDacCurveCount);
    setBits(b, param::kDacOn, s.curve == CurveMode::Dac ? 1 : 0);
    setBits(b, param::kDgsOn, dgs ? 1 : 0);
    setBits(b, param::kGateFollowsCurve, s.curve != CurveMode::None ? 1 : 0);
    return b;
}

// ------------------------------------------------------------------ geometry and curves

const double kTheta = kProbeAngle * kPi / 1800.0;
const double kDelayPath = static_cast<double>(uint32_t{kVelocity} * kDelay / 20000u); // 0.1 mm

// Sound path (0.1 mm) at a fractional plot position, and back.
double pathAt(double position) { return kDelayPath + position * kRange / 280.0; }
double positionOf(double path) { return (path - kDelayPath) * 280.0 / kRange; }

struct CurvePoint {
    double pos;   // sound path, 0.1 mm
    double level; // gain level, 0.1 dB
};

// The instrument's reference curve as gain level along the sound path: the
// recorded DAC points, flat before the first and after the last (also with
// curve mode off, when the block still holds them), or in DGS mode the one
// reference point continued by the distance law of a disc reflector (40 dB per
// decade), held flat inside three near-field lengths.
std::vector<CurvePoint> curvePoints(CurveMode mode) {
    std::vector<CurvePoint> pts;
    const double end = kDelayPath + kRange;
    if (mode == CurveMode::Dgs) {
        const int area = (kCrystalSize >> 8) * (kCrystalSize & 0xFF);
        const int nearField = area * kProbeFrequency * 1000 / (kVelocity * 40);
        CurvePoint first{kDgsPos, kDgsDb};
        if (first.pos > 3 * nearField) {
            const double qPos = std::max(first.pos / 5, 3.0 * nearField);
            const double drop = std::trunc(400 * (std::log10(first.pos) - std::log10(qPos)));
            pts.push_back({qPos, drop >= first.level ? 0 : first.level - drop});
        }
        pts.push_back(first);
        pts.insert(pts.begin(), CurvePoint{0, pts.front().level});
        const CurvePoint last = pts.back();
        if (end >= 3 * last.pos) pts.push_back({2 * last.pos, last.level + 120});
        const CurvePoint before = pts.back();
        pts.push_back(
            {end, std::trunc(400 * (std::log10(end) - std::log10(before.pos)) + before.level)});
    } else {
        pts.push_back({0, static_cast<double>(kDacDb.front())});
        for (size_t i = 0; i < kDacPos.size(); ++i)
            pts.push_back({static_cast<double>(kDacPos[i]), static_cast<double>(kDacDb[i])});
        pts.push_back({end, static_cast<double>(kDacDb.back())});
    }
    return pts;
}

double curveLevelAt(const std::vector<CurvePoint>& pts, double path) {
    if (path <= pts.front().pos) return pts.front().level;
    for (size_t i = 1; i < pts.size(); ++i) {
        if (path <= pts[i].pos) {
            const CurvePoint& a = pts[i - 1];
            const CurvePoint& b = pts[i];
            return a.level + (path - a.pos) * (b.level - a.level) / (b.pos - a.pos);
        }
    }
    return pts.back().level;
}

// Height (200 = full screen) of the curve that stands at gain level `line`
// (0.1 dB, a gainTable entry) at a sound path where the reference curve has
// level L: 255 units when base gain + line = L, and 20 dB lower for every 20 dB
// that base gain + line falls short of L.
double curveHeight(const std::vector<CurvePoint>& pts, double path, double line) {
    return 255.0 * std::pow(10.0, (kBaseGain + line - curveLevelAt(pts, path)) / 200.0);
}

// ------------------------------------------------------------------ the scene

// Scan gain -20 is half the echo height of scan gain 40.
double gainFactor(const Settings& s) { return std::pow(10.0, (s.scanGain - 40) / 200.0); }

// The weld root, 25 mm down: a geometry echo at the end of the first leg that
// wanders a little with the coupling and never reaches gate A's level.
double rootPath(double t) { return 500 + 10 * std::sin(t / 5.0); }
double rootHeight(double t) { return 18 + 6 * std::sin(t / 7.0 - 2.16); }

// Echo shape: a rectified 2.5 MHz pulse spans about 4 mm of sound path (a
// dozen positions), rising fast and ringing out more slowly, with the ripple
// of the carrier on its flanks.
double echoShape(double offset) {
    const double width = offset < 0 ? 1.7 : 2.8;
    const double envelope = std::exp(-offset * offset / (2 * width * width));
    return envelope * (0.8 + 0.2 * std::abs(std::cos(kPi * offset / 1.8)));
}

void addEcho(std::array<double, kSamplesPerFrame>& a, double path, double height) {
    const double c = positionOf(path);
    const int lo = std::max(0, static_cast<int>(std::floor(c)) - 10);
    const int hi = std::min(kSamplesPerFrame - 1, static_cast<int>(std::ceil(c)) + 14);
    for (int k = lo; k <= hi; ++k)
        a[static_cast<size_t>(k)] = std::max(a[static_cast<size_t>(k)], height * echoShape(k - c));
}

// One A-scan at scan time t (records, fractional within a record).
std::array<uint8_t, kSamplesPerFrame> synthesiseFrame(double t, const Settings& s, Random& rng) {
    std::array<double, kSamplesPerFrame> a{};
    const double gain = gainFactor(s);
    // Grain noise: a pattern fixed to the material under the probe, which
    // changes as the probe travels (a new pattern every two records), plus a
    // little electronic noise.
    const double u = t / 2.0;
    const int64_t n = static_cast<int64_t>(std::floor(u));
    const double w = smoothStep(u - static_cast<double>(n));
    for (int k = 0; k < kSamplesPerFrame; ++k) {
        const double x = k / 2.5;
        const int64_t i = static_cast<int64_t>(std::floor(x));
        const double v = smoothStep(x - static_cast<double>(i));
        auto at = [&](int64_t dn) {
            return (1 - v) * latticeValue(i, n + dn) + v * latticeValue(i + 1, n + dn);
        };
        const double grain = (1 - w) * at(0) + w * at(1);
        const double level = 5.0 + 16.0 * std::exp(-k / 80.0);
        a[static_cast<size_t>(k)] = gain * (level * grain * std::sqrt(grain) + 1.5 * rng.uniform());
    }
    // Ringing of the wedge right after the transmitter pulse.
    for (int k = 0; k < 28; ++k)
        a[static_cast<size_t>(k)] += 320.0 * std::exp(-k / 3.5) * (0.7 + 0.3 * std::cos(k * 1.9));

    // Coupling varies by a fraction of a dB from frame to frame.
    const double coupling = std::pow(10.0, (rng.uniform() - 0.5) * 0.8 / 20.0);
    addEcho(a, rootPath(t), gain * rootHeight(t) * coupling);
    for (const Flaw& f : kFlaws) {
        const double d = (t - f.peakRecord) / f.spread;
        if (std::abs(d) > 4) continue;
        const double path = f.path + f.walk * (t - f.peakRecord);
        const double peak = f.reference == CurveMode::None
                                ? gain * f.amplitude
                                : curveHeight(curvePoints(f.reference), path, f.amplitude);
        addEcho(a, path, peak * coupling * std::exp(-d * d / 2));
    }

    std::array<uint8_t, kSamplesPerFrame> out{};
    for (size_t k = 0; k < out.size(); ++k) {
        const long v = std::lround(std::clamp(a[k], 0.0, 255.0));
        out[k] = static_cast<uint8_t>(v < s.rejectLevel ? 0 : v);
    }
    return out;
}

// ------------------------------------------------------------------ gate evaluation

struct GateEcho {
    double position; // plot position of the peak, sub-sample
    int amplitude;   // highest sample, 200 = full screen
};

// The highest echo inside a gate, if it reaches the gate's threshold at its
// position; the peak position is refined from the samples around it (the
// instrument samples finer than the 280 positions it stores).
template <class Threshold>
std::optional<GateEcho> evaluateGate(const std::array<uint8_t, kSamplesPerFrame>& a, int start,
                                     int width, Threshold threshold) {
    const int end = std::min(start + width, kSamplesPerFrame);
    int best = -1;
    for (int k = start; k < end; ++k)
        if (best < 0 || a[static_cast<size_t>(k)] > a[static_cast<size_t>(best)]) best = k;
    if (best < 0 || a[static_cast<size_t>(best)] == 0 ||
        a[static_cast<size_t>(best)] < threshold(best))
        return std::nullopt;
    const int peak = a[static_cast<size_t>(best)];
    int last = best;
    while (last + 1 < end && a[static_cast<size_t>(last + 1)] == peak)
        ++last;
    double position = (best + last) / 2.0; // a saturated top: its middle
    if (last == best && best > 0 && best + 1 < kSamplesPerFrame) {
        const double l = a[static_cast<size_t>(best - 1)], r = a[static_cast<size_t>(best + 1)];
        const double curvature = l - 2.0 * peak + r;
        if (curvature < 0) position += std::clamp(0.5 * (l - r) / curvature, -0.5, 0.5);
    }
    return GateEcho{position, peak};
}

int32_t tenths(double v) { return static_cast<int32_t>(std::lround(v)); }

// The four measured values of a frame, as the instrument stores them.
std::array<int32_t, 4> measure(const std::array<uint8_t, kSamplesPerFrame>& a, const Settings& s) {
    const std::vector<CurvePoint> pts = curvePoints(s.curve);
    const std::array<int16_t, 8>& levels = curveLevels(s);
    const bool curve = s.curve != CurveMode::None;
    // Gate A stands on the gate curve (gainTable[7]) in curve mode.
    auto gateAThreshold = [&](int k) {
        return curve ? curveHeight(pts, pathAt(k), levels[7]) : double{kGateALevel};
    };
    // Amplitude: 0.1 % of screen height, or in curve mode 0.1 dB against the
    // selected line (DAC family) or the equivalent-diameter curve (DGS).
    const int line = s.curve == CurveMode::Dgs ? 3 : 1 + static_cast<int>(s.dacLineSelect % 7);
    auto amplitude = [&](const GateEcho& e) {
        if (!curve) return e.amplitude * 5;
        const double h = curveHeight(pts, pathAt(e.position), levels[static_cast<size_t>(line)]);
        return tenths(200.0 * std::log10(e.amplitude / h));
    };
    auto projected = [&](double path) {
        switch (s.pathMode) {
        case 0: return tenths(path * std::cos(kTheta));
        case 1: return tenths(path * std::sin(kTheta));
        default: return tenths(path);
        }
    };

    // A gate that no echo reaches reports zeros.
    std::array<int32_t, 4> v{};
    const auto echoA = evaluateGate(a, kGateAStart, kGateAWidth, gateAThreshold);
    if (!s.twoGateReadout) {
        if (echoA) {
            const double path = pathAt(echoA->position);
            v = {tenths(path), tenths(path * std::sin(kTheta)), tenths(path * std::cos(kTheta)),
                 amplitude(*echoA)};
        }
        return v;
    }
    if (echoA) {
        v[0] = projected(pathAt(echoA->position));
        v[1] = amplitude(*echoA);
    }
    if (s.gateB) {
        const auto echoB =
            evaluateGate(a, kGateBStart, kGateBWidth, [](int) { return double{kGateBLevel}; });
        if (echoB) {
            v[2] = projected(pathAt(echoB->position));
            v[3] = amplitude(*echoB);
        }
    }
    return v;
}

// ------------------------------------------------------------------ notes

struct Note {
    int record;
    const char* text;
};

const std::array<Note, 8> kNotes = {{
    {0, "焊缝起点 Weld A-3 start"},
    {47, "扫查增益 +6dB"},
    {80, "发现缺陷 深度12mm"},
    {140, "DAC Φ2x40 RL-4 SL-12 EL-18"},
    {185, "缺陷2 DAC+2dB 深度19.5mm"},
    {220, "双闸门 B闸门监视根部"},
    {262, "DGS mode"},
    {299, "end of scan"},
}};

const char* noteAt(int record) {
    for (const Note& n : kNotes)
        if (n.record == record) return n.text;
    return nullptr;
}

} // namespace

int main(int argc, char** argv) {
    const std::string path = argc > 1 ? argv[1] : "samples/demo.DAT";

    RecordWriter writer;
    Random rng(0x5EED2612);
    std::deque<std::array<uint8_t, kSamplesPerFrame>> held; // frames of the peak-hold trace
    constexpr size_t kHoldFrames = 2 * kFramesPerRecord;
    std::optional<Settings> written;
    int notes = 0;
    int largestStream = 0;

    for (int r = 0; r < kRecords; ++r) {
        const Settings s = settingsAt(r);
        std::vector<uint8_t> frames(static_cast<size_t>(kFramesPerRecord) * kFrameSize, 0);
        for (int f = 0; f < kFramesPerRecord; ++f) {
            uint8_t* frame = frames.data() + static_cast<size_t>(f) * kFrameSize;
            const auto echo = synthesiseFrame(r + f / double{kFramesPerRecord}, s, rng);
            std::copy(echo.begin(), echo.end(), frame + kFrameEchoOffset);
            const auto values = measure(echo, s);
            for (int i = 0; i < 4; ++i)
                storeU32(frame + kFrameValuesOffset + 4 * i,
                         static_cast<uint32_t>(values[static_cast<size_t>(i)]));
            // The envelope holds the peak of every position over the last
            // two records' frames; it starts afresh when switched on.
            if (s.envelopeMode == 0) {
                held.clear();
                continue;
            }
            held.push_back(echo);
            if (held.size() > kHoldFrames) held.pop_front();
            for (int k = 0; k < kSamplesPerFrame; ++k) {
                uint8_t m = 0;
                for (const auto& h : held)
                    m = std::max(m, h[static_cast<size_t>(k)]);
                frame[kFrameEnvelopeOffset + k] = m;
            }
        }

        const char* note = noteAt(r);
        const bool block = r % kBlockInterval == 0 || !written || *written != s || note;
        if (block) {
            const ParameterBlock b = encodeBlock(s);
            const std::vector<uint16_t> cells =
                note ? noteCellsFromUtf8(note) : std::vector<uint16_t>{};
            if (cells.size() > kInstrumentMaxNoteLength + 1) {
                std::fprintf(stderr, "make-demo-recording: note at record %d is too long\n", r);
                return 1;
            }
            writer.addRecord(frames, &b, cells);
            written = s;
            notes += note ? 1 : 0;
        } else {
            writer.addRecord(frames);
        }
    }

    const std::vector<uint8_t> bytes = writer.bytes();
    const std::vector<int64_t>& offsets = writer.offsets();
    for (size_t i = 0; i < offsets.size(); ++i) {
        const int stored = static_cast<int>(loadU32Unchecked(bytes.data() + offsets[i]));
        largestStream = std::max(largestStream, stored);
    }
    // The instrument could not have written a record longer than its buffer.
    if (largestStream > kInstrumentStoredCapacity) {
        std::fprintf(stderr, "make-demo-recording: a record needs %d stream bytes, more than %d\n",
                     largestStream, kInstrumentStoredCapacity);
        return 1;
    }
    if (!writeBytes(path, bytes)) {
        std::fprintf(stderr, "make-demo-recording: cannot write %s\n", path.c_str());
        return 1;
    }
    std::printf("%s: %d records, %d notes, %zu bytes\n", path.c_str(), writer.records(), notes,
                bytes.size());
    return 0;
}
