// The codec against the instrument's vectors and against a small independent
// model of the encoder (a map-based dictionary, packed bit by bit), on inputs
// cut to end exactly at the code-width changes and the dictionary restart.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>
#include <vector>

#include "recordfile/lzw.h"
#include "reference_lzw.h"
#include "test_seed.h"

using namespace vantrel;
using vantrel::testing::TestSeed;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes bytesOf(const char* s) { return Bytes(s, s + std::strlen(s)); }

// Codes and their widths as the instrument's encoder writes them.
struct ModelStream {
    std::vector<std::pair<uint16_t, int>> codes;
};

ModelStream modelEncode(const Bytes& in) {
    ModelStream out;
    std::map<std::pair<int, int>, int> dict;
    int next = 258, width = 9;
    auto advance = [&] {
        ++next;
        if (next == (1 << width) && ++width == 13) {
            dict.clear();
            next = 258;
            width = 9;
        }
    };
    int prefix = in[0];
    int cur = in[1];
    for (size_t i = 2; i < in.size(); ++i) {
        auto it = dict.find({prefix, cur});
        if (it != dict.end()) {
            prefix = it->second;
        } else {
            dict[{prefix, cur}] = next;
            out.codes.push_back({static_cast<uint16_t>(prefix), width});
            advance();
            prefix = cur;
        }
        cur = in[i];
    }
    out.codes.push_back({static_cast<uint16_t>(prefix), width});
    advance();
    out.codes.push_back({static_cast<uint16_t>(cur), width});
    return out;
}

Bytes pack(const std::vector<std::pair<uint16_t, int>>& codes) {
    Bytes out;
    uint64_t acc = 0;
    int bits = 0;
    for (auto [code, width] : codes) {
        acc = (acc << width) | code;
        bits += width;
        while (bits >= 8) {
            out.push_back(static_cast<uint8_t>(acc >> (bits - 8)));
            bits -= 8;
        }
    }
    if (bits > 0) out.push_back(static_cast<uint8_t>(acc << (8 - bits)));
    return out;
}

Bytes encode(const Bytes& in) {
    Bytes out(lzwEncodeBound(in.size()) + 16, 0xEE);
    const size_t canary = lzwEncodeBound(in.size());
    LzwEncodeResult r = lzwEncode(in.data(), static_cast<uint32_t>(in.size()), out.data(), canary);
    EXPECT_EQ(r.status, LzwStatus::Ok);
    for (size_t i = canary; i < out.size(); ++i)
        EXPECT_EQ(out[i], 0xEE) << "canary at " << i;
    out.resize(static_cast<size_t>(r.size));
    return out;
}

struct Decoded {
    Bytes bytes;
    LzwDecodeResult result;
};

Decoded decode(const Bytes& stream, size_t capacity) {
    Bytes out(capacity + 16, 0xEE);
    Decoded d;
    d.result = lzwDecode(stream.data(), static_cast<uint32_t>(stream.size()), out.data(), capacity);
    for (size_t i = capacity; i < out.size(); ++i)
        EXPECT_EQ(out[i], 0xEE) << "canary at " << i;
    out.resize(static_cast<size_t>(d.result.size));
    d.bytes = out;
    return d;
}

// Low-entropy data that looks like A-scans: long runs, small values.
Bytes ascanLike(std::mt19937& rng, size_t n) {
    Bytes b(n);
    std::uniform_int_distribution<int> step(-3, 3), noise(0, 99);
    int v = 10;
    for (auto& x : b) {
        v = std::clamp(v + step(rng), 0, 60);
        x = static_cast<uint8_t>(noise(rng) < 3 ? 200 : v);
    }
    return b;
}

// The shortest prefix of `data` that the encoder writes as exactly n codes.
// A longer prefix never needs fewer codes, so a binary search finds it.
Bytes prefixWithCodes(const Bytes& data, size_t n) {
    size_t lo = 2, hi = data.size();
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        if (modelEncode(Bytes(data.begin(), data.begin() + mid)).codes.size() < n)
            lo = mid + 1;
        else
            hi = mid;
    }
    Bytes p(data.begin(), data.begin() + lo);
    EXPECT_EQ(modelEncode(p).codes.size(), n);
    return p;
}

} // namespace

TEST(Lzw, InstrumentVectors) {
    struct Case {
        const char* input;
        Bytes stream;
    } cases[] = {
        {"ABABABA", {0x20, 0x90, 0xA0, 0x50, 0x22, 0x08}},  // 65 66 258 258 65
        {"AAAAAAAA", {0x20, 0xC0, 0xA0, 0x64, 0x12, 0x08}}, // 258, 259 used while undefined
        {"AB", {0x20, 0x90, 0x80}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(encode(bytesOf(c.input)), c.stream);
        Decoded d = decode(c.stream, 64);
        EXPECT_EQ(d.result.status, LzwStatus::Ok);
        EXPECT_EQ(d.bytes, bytesOf(c.input));
    }
}

TEST(Lzw, EmptyAndTinyInputs) {
    Decoded d = decode({}, 16);
    EXPECT_EQ(d.result.size, 0);
    EXPECT_EQ(d.result.status, LzwStatus::Ok);
    // One byte is a single 9-bit code.
    EXPECT_EQ(encode({0x41}), (Bytes{0x20, 0x80}));
    EXPECT_EQ(decode({0x20, 0x80}, 4).bytes, (Bytes{0x41}));
}

// Byte-exact against the model and lossless, at every width change, across
// the dictionary restart after code 3838 and over many 1024-byte chunks.
TEST(Lzw, RoundTripAtWidthChangesAndRestart) {
    const TestSeed seed;
    std::mt19937 rng(seed.value());
    const Bytes data = ascanLike(rng, 200000);
    for (size_t codes : {2u, 254u, 255u, 256u, 766u, 767u, 768u, 1790u, 1791u, 1792u, 3838u, 3839u,
                         3840u, 4092u, 4093u, 7677u, 7678u, 12000u}) {
        SCOPED_TRACE("codes " + std::to_string(codes));
        const Bytes input = prefixWithCodes(data, codes);
        const Bytes stream = encode(input);
        EXPECT_EQ(stream, pack(modelEncode(input).codes));
        Decoded d = decode(stream, input.size());
        EXPECT_EQ(d.result.status, LzwStatus::Ok);
        EXPECT_EQ(d.bytes, input);
    }
}

TEST(Lzw, RoundTripRandomInputs) {
    const TestSeed seed;
    std::mt19937 rng(seed.value());
    std::uniform_int_distribution<size_t> len(2, 40000);
    std::uniform_int_distribution<int> kind(0, 2), byte(0, 255);
    for (int i = 0; i < 40; ++i) {
        const size_t n = len(rng);
        Bytes input;
        switch (kind(rng)) {
        case 0: input = ascanLike(rng, n); break;
        case 1:
            input.resize(n);
            for (auto& x : input)
                x = static_cast<uint8_t>(byte(rng));
            break;
        default: input.assign(n, static_cast<uint8_t>(byte(rng))); break;
        }
        const Bytes stream = encode(input);
        ASSERT_EQ(stream, pack(modelEncode(input).codes)) << "input " << i << " of " << n;
        Decoded d = decode(stream, input.size());
        ASSERT_EQ(d.bytes, input) << "input " << i << " of " << n;
    }
}

TEST(Lzw, EncoderReportsTooSmallOutput) {
    const Bytes input(5000, 7);
    Bytes out(8, 0xEE);
    const LzwEncodeResult r = lzwEncode(input.data(), 5000, out.data(), 4);
    EXPECT_EQ(r.status, LzwStatus::OutputFull);
    EXPECT_LE(r.size, 4);
    EXPECT_EQ(out[4], 0xEE);
}

// Streams the encoder never writes: decoding stops at the first code it
// cannot resolve, keeps what came before, and never touches memory outside
// the output buffer.
TEST(Lzw, CorruptStreamsStopAtTheFault) {
    using C = std::vector<std::pair<uint16_t, int>>;
    struct Case {
        const char* name;
        Bytes stream;
        LzwStatus status;
        Bytes output;
        uint32_t faultOffset;
    } cases[] = {
        {"first code is a dictionary code", pack(C{{300, 9}, {65, 9}}), LzwStatus::BadCode, {}, 0},
        {"first code 256", pack(C{{256, 9}}), LzwStatus::BadCode, {}, 0},
        {"code 256", pack(C{{65, 9}, {66, 9}, {256, 9}}), LzwStatus::BadCode, bytesOf("AB"), 2},
        {"code 257", pack(C{{65, 9}, {257, 9}}), LzwStatus::BadCode, bytesOf("A"), 1},
        {"code above the next entry", pack(C{{65, 9}, {66, 9}, {260, 9}}), LzwStatus::BadCode,
         bytesOf("AB"), 2},
        {"code equal to the next entry is fine", pack(C{{65, 9}, {258, 9}}), LzwStatus::Ok,
         bytesOf("AAA"), 0},
        // Fewer bits than a code after the last byte are padding, not damage.
        {"padding after the last code", Bytes{0x20, 0x90, 0xA0}, LzwStatus::Ok, bytesOf("AB"), 0},
        {"stream ends inside a code",
         pack(C{{65, 9}, {66, 9}, {67, 9}, {68, 9}, {69, 9}, {70, 9}, {71, 9}, {72, 9}, {0x80, 8}}),
         LzwStatus::TruncatedCode, bytesOf("ABCDEFGH"), 9},
        {"stream ends inside the first code", Bytes{0x20}, LzwStatus::TruncatedCode, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Decoded d = decode(c.stream, 64);
        EXPECT_EQ(d.result.status, c.status);
        EXPECT_EQ(d.bytes, c.output);
        if (c.status != LzwStatus::Ok) {
            EXPECT_EQ(d.result.faultOffset, c.faultOffset);
        }
    }
}

TEST(Lzw, LongCodeAtTheDictionaryRestartIsRefused) {
    std::mt19937 rng(7);
    const Bytes input = prefixWithCodes(ascanLike(rng, 100000), 4000);
    ModelStream m = modelEncode(input);
    // Code 3839 is always a single byte: the encoder has just restarted.
    ASSERT_LT(m.codes[3838].first, 256);
    const Bytes good = decode(pack(m.codes), input.size()).bytes;
    m.codes[3838].first = 300;
    Decoded d = decode(pack(m.codes), input.size());
    EXPECT_EQ(d.result.status, LzwStatus::BadCode);
    // Everything before the bad code is intact.
    ASSERT_LE(d.bytes.size(), good.size());
    EXPECT_TRUE(std::equal(d.bytes.begin(), d.bytes.end(), good.begin()));
    EXPECT_GT(d.bytes.size(), 0u);
}

TEST(Lzw, OutputLimitKeepsTheFirstBytes) {
    std::mt19937 rng(3);
    const Bytes input = ascanLike(rng, 20000);
    Decoded d = decode(encode(input), 16384);
    EXPECT_EQ(d.result.status, LzwStatus::OutputFull);
    ASSERT_EQ(d.bytes.size(), 16384u);
    EXPECT_TRUE(std::equal(d.bytes.begin(), d.bytes.end(), input.begin()));
}

TEST(Lzw, ArbitraryBytesNeverOverrun) {
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> byte(0, 255), len(0, 3000);
    for (int i = 0; i < 2000; ++i) {
        Bytes stream(static_cast<size_t>(len(rng)));
        for (auto& x : stream)
            x = static_cast<uint8_t>(byte(rng));
        Decoded d = decode(stream, 512); // canaries checked inside
        ASSERT_LE(d.result.size, 512);
    }
}

// The decoder against the instrument's own way of decoding (chains onto a
// stack, 1024-byte chunks), on valid and on arbitrary streams alike.
TEST(Lzw, AgreesWithTheChainDecoderOnEveryStream) {
    const TestSeed seed;
    std::mt19937 rng(seed.value());
    std::uniform_int_distribution<int> byte(0, 255), len(0, 6000), cap(0, 20000);
    for (int i = 0; i < 3000; ++i) {
        Bytes stream;
        if (i % 3 == 0) {
            stream = encode(ascanLike(rng, static_cast<size_t>(len(rng)) + 2));
            if (i % 2 && !stream.empty())
                stream[static_cast<size_t>(len(rng)) % stream.size()] ^= 0x5A;
        } else {
            stream.resize(static_cast<size_t>(len(rng)));
            for (auto& x : stream)
                x = static_cast<uint8_t>(byte(rng));
        }
        const size_t capacity = static_cast<size_t>(cap(rng));
        Bytes a(capacity + 1, 0), b(capacity + 1, 0);
        const LzwDecodeResult fast =
            lzwDecode(stream.data(), static_cast<uint32_t>(stream.size()), a.data(), capacity);
        const LzwDecodeResult ref = reference::referenceLzwDecode(
            stream.data(), static_cast<uint32_t>(stream.size()), b.data(), capacity);
        ASSERT_EQ(fast.status, ref.status) << "stream " << i;
        ASSERT_EQ(fast.size, ref.size) << "stream " << i;
        ASSERT_TRUE(std::equal(a.begin(), a.begin() + fast.size, b.begin())) << "stream " << i;
        if (fast.status == LzwStatus::BadCode || fast.status == LzwStatus::TruncatedCode) {
            ASSERT_EQ(fast.faultOffset, ref.faultOffset) << "stream " << i;
        }
    }
}

// Measuring a stream must tell exactly what decoding it tells: the size, and
// every byte through byteAt; and it must accept every sound stream without a
// restart that fits, so the open scan does not fall back to decoding.
TEST(Lzw, MeasureAgreesWithDecode) {
    const TestSeed seed;
    std::mt19937 rng(seed.value());
    const Bytes data = ascanLike(rng, 60000);
    std::uniform_int_distribution<int> byte(0, 255), len(0, 5000);
    LzwDecoder decoder;
    Bytes out(20000);
    auto check = [&](const Bytes& stream, size_t capacity, bool mustAccept) {
        const LzwDecodeResult d = decoder.decode(
            stream.data(), static_cast<uint32_t>(stream.size()), out.data(), capacity);
        int32_t size = -1;
        const bool accepted =
            decoder.measure(stream.data(), static_cast<uint32_t>(stream.size()), capacity, size);
        if (mustAccept) {
            ASSERT_TRUE(accepted);
        }
        if (!accepted) return;
        ASSERT_EQ(d.status, LzwStatus::Ok);
        ASSERT_EQ(size, d.size);
        for (int32_t i = 0; i < size; ++i)
            ASSERT_EQ(decoder.byteAt(i), out[static_cast<size_t>(i)]) << "byte " << i;
    };
    // Sound streams ending around the width changes, up to the restart;
    // runs of one byte (strings that end in their own first byte); and the
    // decoded size right at the capacity and one byte over it.
    for (size_t codes : {1u, 2u, 3u, 254u, 255u, 256u, 766u, 767u, 1791u, 1792u, 3837u, 3838u}) {
        SCOPED_TRACE("codes " + std::to_string(codes));
        const Bytes input = codes == 1 ? Bytes{0x41} : prefixWithCodes(data, codes);
        const Bytes stream = encode(input);
        check(stream, 20000, true);
        check(stream, input.size(), true);
        int32_t size = 0;
        EXPECT_FALSE(decoder.measure(stream.data(), static_cast<uint32_t>(stream.size()),
                                     input.size() - 1, size));
    }
    check(encode(Bytes(3000, 9)), 20000, true);
    check({}, 16, true);
    // Past the restart, damaged and arbitrary streams: whatever is accepted
    // must agree.
    check(encode(prefixWithCodes(data, 3840)), 20000, false);
    for (int i = 0; i < 3000; ++i) {
        Bytes stream;
        if (i % 2 == 0) {
            stream = encode(ascanLike(rng, static_cast<size_t>(len(rng)) + 2));
            stream[static_cast<size_t>(len(rng)) % stream.size()] ^=
                static_cast<uint8_t>(1 + i % 255);
        } else {
            stream.resize(static_cast<size_t>(len(rng)) % 64);
            for (auto& x : stream)
                x = static_cast<uint8_t>(byte(rng) % 3 == 0 ? byte(rng) : 0);
        }
        check(stream, static_cast<size_t>(len(rng)) * 4, false);
    }
}
