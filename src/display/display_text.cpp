#include "display/display_text.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <iterator>
#include <numbers>
#include <string_view>

#include "recordfile/gbk_text.h"
#include "recordfile/wrap_math.h"

namespace vantrel {

std::string formatPrintf(const char* format, ...) {
    char buffer[128];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n < 0) return {};
    if (static_cast<size_t>(n) < sizeof buffer) return std::string(buffer, static_cast<size_t>(n));
    std::string out(static_cast<size_t>(n) + 1, '\0');
    va_start(args, format);
    std::vsnprintf(out.data(), out.size(), format, args);
    va_end(args);
    out.resize(static_cast<size_t>(n));
    return out;
}

std::string formatPattern(double value, int decimals) {
    if (!std::isfinite(value)) return formatPrintf("%.*f", decimals, value);
    // glibc prints the exact decimal expansion of the binary value; round that
    // at the wanted digit, halves away from zero.
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%.40f", std::fabs(value));
    std::string digits(buffer);
    const size_t point = digits.find('.');
    std::string whole = digits.substr(0, point);
    std::string frac = digits.substr(point + 1);
    const bool up = frac[static_cast<size_t>(decimals)] >= '5';
    std::string kept = whole + frac.substr(0, static_cast<size_t>(decimals));
    if (up) {
        int i = static_cast<int>(kept.size()) - 1;
        while (i >= 0 && kept[static_cast<size_t>(i)] == '9')
            kept[static_cast<size_t>(i--)] = '0';
        if (i < 0)
            kept.insert(kept.begin(), '1');
        else
            ++kept[static_cast<size_t>(i)];
    }
    const size_t wholeDigits = kept.size() - static_cast<size_t>(decimals);
    std::string out = kept.substr(0, wholeDigits);
    if (decimals > 0) out += "." + kept.substr(wholeDigits);
    const bool zero = out.find_first_not_of("0.") == std::string::npos;
    if (value < 0 && !zero) out.insert(out.begin(), '-');
    return out;
}

// The windows show the probe type in their language: the words are marked
// here for Qt's lupdate (context PanelText), which reads the marks in any
// source file; this layer itself has no Qt, so the mark stands for the word.
#define QT_TRANSLATE_NOOP(context, text) text

const char* probeTypeWord(uint32_t probeType) {
    static const char* const words[4] = {
        QT_TRANSLATE_NOOP("PanelText", "直探头"),   // straight-beam probe
        QT_TRANSLATE_NOOP("PanelText", "斜探头"),   // angle-beam probe
        QT_TRANSLATE_NOOP("PanelText", "双晶探头"), // dual-element probe
        QT_TRANSLATE_NOOP("PanelText", "穿透探头"), // through-transmission probe
    };
    return words[probeType & 3];
}

#undef QT_TRANSLATE_NOOP

const std::string& probeTypeName(uint32_t probeType) {
    static const std::string names[4] = {*utf8ToGbk(probeTypeWord(0)), *utf8ToGbk(probeTypeWord(1)),
                                         *utf8ToGbk(probeTypeWord(2)),
                                         *utf8ToGbk(probeTypeWord(3))};
    return names[probeType & 3];
}

std::string kValueText(uint16_t probeAngle) {
    if (probeAngle >= 900) return "--";
    const float theta = static_cast<float>(probeAngle * std::numbers::pi / 1800.0);
    const int32_t k = static_cast<int32_t>(std::tan(static_cast<double>(theta)) * 10000 + 0.5);
    return formatPrintf("%.1f", k * 0.0001);
}

PanelTexts formatPanel(const InstrumentParams& p) {
    PanelTexts t;
    t.baseGain = formatPattern(p.baseGain() * 0.1, 1);
    t.scanGain = formatPattern(p.gainTable(0) * 0.1, 1);
    t.compGain = formatPattern(p.compGain() * 0.1, 1);

    t.probeType = probeTypeName(p.probeType());
    t.probeFrequency = formatPattern(p.probeFrequency() * 0.01, 2);
    const int hi = p.crystalSize() >> 8, lo = p.crystalSize() & 0xFF;
    t.crystalSize = lo != 0 ? formatPrintf("%dx%d", hi, lo) : formatPrintf("%d", hi);

    t.channelNo = formatPrintf("%d", static_cast<int>(p.channelNo()));
    const float d = 10 * p.unitScale();
    static const char* const suffix[4] = {"(y)", "(x)", "(s)", ""};
    if (p.unitScale() > 1) {
        t.echoRange = formatPrintf("%.3f in", p.rangeShown() / d);
        t.echoDelay = formatPrintf("%.3f", p.delayShown() / d);
    } else {
        t.echoRange = formatPrintf("%.1f mm", p.rangeShown() / d);
        t.echoDelay = formatPrintf("%.1f", p.delayShown() / d);
    }
    t.echoRange += suffix[p.pathMode()];
    t.probeFront = formatPattern(p.probeFront() / d, 1);
    t.echoSpeed = formatPrintf("%.2f", p.velocity() / p.unitScale());
    const int32_t z = (p.probeZero() * 10) / 16;
    t.probeZero = formatPrintf("%.2f", z * 0.01);
    t.probeAngle = formatPrintf("%.1f", p.probeAngle() * 0.1);
    t.echoKAngle = kValueText(p.probeAngle());
    t.reject = formatPrintf("%d", static_cast<int32_t>(p.rejectLevel() * 0.5 + 0.5));
    return t;
}

std::array<std::string, 6> pathRulerLabels(const InstrumentParams& p) {
    const float d = 10 * p.unitScale();
    const float range = p.rangeShown(), delay = p.delayShown();
    std::array<std::string, 6> labels;
    labels[0] = formatPrintf("%.1f ", delay / d);
    for (int j = 1; j <= 4; ++j)
        labels[static_cast<size_t>(j)] = formatPrintf("%.1f ", (j * range * 0.2 + delay) / d);
    labels[5] = formatPrintf("%.1f ", (delay + range) / d);
    return labels;
}

// ---------------------------------------------------------------- readouts

int readoutMode(const InstrumentParams& p) {
    if (p.dacOn()) return 1 + static_cast<int>(p.dacLineSelect() % 7);
    if (p.dgsOn()) return 10 + static_cast<int>(p.dgsReadoutKind());
    return -1;
}

namespace {

// Writes tenths(v) ending just before `end` and returns where it starts.
// Export formats millions of readouts, so no intermediate strings.
char* tenthsBefore(char* end, int64_t v) {
    // The magnitude as unsigned, so that every int64 has one.
    uint64_t a = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
    char* p = end;
    *--p = static_cast<char>('0' + a % 10);
    *--p = '.';
    a /= 10;
    do {
        *--p = static_cast<char>('0' + a % 10);
        a /= 10;
    } while (a != 0);
    if (v < 0) *--p = '-';
    return p;
}

} // namespace

std::string tenths(int64_t v) {
    char buffer[24];
    return std::string(tenthsBefore(std::end(buffer), v), std::end(buffer));
}

std::string signedReadout(int32_t v) {
    char buffer[26];
    char* p = tenthsBefore(std::end(buffer), v);
    if (v > 0) *--p = '+';
    *--p = ' ';
    return std::string(p, std::end(buffer));
}

namespace {

const char* const kLinePrefixOneGate[8] = {"", "", "RL  ", "SL  ", "EL  ", "4L  ", "5L  ", "6L  "};
const char* const kLinePrefixTwoGate[8] = {"", "DAC ", "RL ", "SL ", "EL ", "4L ", "5L ", "6L "};

} // namespace

int32_t curveDiameter(int16_t g) {
    return wrap::truncToInt(std::pow(10.0, (g + 120) / 400.0) + 0.5);
}

std::string equivalentDiameter(int16_t g, int32_t v) {
    const int32_t sum = wrap::add(wrap::add(g, v), 120);
    return tenths(wrap::truncToInt(std::pow(10.0, sum / 400.0) * 10 + 0.5));
}

ReadoutTexts readoutPlaceholders() {
    return {symbol::kSoundPath, symbol::kSurface, symbol::kDepth, symbol::kPeak};
}

std::string fromByte(const std::string& gbk, size_t from) {
    return gbk.size() >= from ? gbk.substr(from - 1) : std::string();
}

ReadoutValues readoutValues(const ReadoutTexts& r) {
    ReadoutValues v;
    v.twoGate = !r[0].empty() && r[0][0] == 'A';
    if (v.twoGate) {
        v.distance = fromByte(r[0], 5);
        v.x = r[1];
        v.y = fromByte(r[2], 5);
    } else {
        v.distance = fromByte(r[0], 3);
        v.x = fromByte(r[1], 3);
        v.y = fromByte(r[2], 3);
    }
    v.equivalent = r[3];
    return v;
}

ReadoutTexts readoutTexts(const InstrumentParams& p, const FrameValues& v) {
    const int mode = readoutMode(p);
    const int16_t g3 = p.gainTable(3);
    ReadoutTexts t;
    if (!p.twoGateReadout()) {
        // "%0.1f" of v * 0.1 for a 32-bit v is exactly tenths(v): the product
        // lies far closer to v / 10 than the rounding step.
        t[0] = symbol::kSoundPath + tenths(v[0]);
        t[1] = symbol::kSurface + tenths(v[1]);
        t[2] = symbol::kDepth + tenths(v[2]);
        if (p.waveMode() == 3) {
            t[3] = symbol::kPeak + tenths(int64_t{v[3] / 10} * 10); // whole number, ".0"
        } else if (mode <= 0) {
            t[3] = symbol::kPeak + tenths(v[3]) + " %";
        } else if (mode == 1) {
            t[3] = symbol::kPhi + std::to_string(p.dacRefDiameter() / 10) + " x " +
                   std::to_string(p.dacRefLength() / 10) + signedReadout(v[3]) + "dB";
        } else if (mode <= 7) {
            t[3] = kLinePrefixOneGate[mode] + signedReadout(v[3]);
        } else if (mode <= 11) {
            t[3] = symbol::kPhi + equivalentDiameter(g3, v[3]) + "  " + symbol::kPhi +
                   std::to_string(curveDiameter(g3)) + signedReadout(v[3]) + "dB";
        }
        return t;
    }
    static const std::string* const positionSymbol[4] = {&symbol::kDepth, &symbol::kSurface,
                                                         &symbol::kSoundPath, &symbol::kSoundPath};
    const std::string& s = *positionSymbol[p.pathMode()];
    auto position = [](int32_t x) {
        const int64_t w = x;
        return w >= 0 ? " " + tenths(w) : "- " + tenths(-w);
    };
    auto amplitude = [&](int32_t x) -> std::string {
        if (mode <= 0) return symbol::kPeak + tenths(x) + "%";
        if (mode <= 7) return kLinePrefixTwoGate[mode] + signedReadout(x);
        return symbol::kPhi + std::to_string(curveDiameter(g3)) + signedReadout(x);
    };
    t[0] = "A:" + s + position(v[0]);
    t[1] = amplitude(v[1]);
    t[2] = "B:" + s + position(v[2]);
    t[3] = amplitude(v[3]);
    return t;
}

} // namespace vantrel
