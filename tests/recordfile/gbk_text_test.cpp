// The GBK text helpers: what the instrument's notes, probe names and readout
// symbols become in UTF-8, what damaged bytes become, and which UTF-8 texts
// have a GBK form at all.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "recordfile/gbk_text.h"

using namespace vantrel;

namespace {

using namespace std::string_literals; // "...\0..."s keeps its NUL bytes

const std::string kBad = "\xEF\xBF\xBD"; // U+FFFD

struct GbkCase {
    const char* name;
    std::string gbk, utf8;
};

// Every case holds in either order and again from what the converter
// remembered of the texts before.
const std::vector<GbkCase>& gbkCases() {
    static const std::vector<GbkCase> cases = {
        {"empty", "", ""},
        {"ASCII and control bytes as they are", "Gain 32.5\tdB\x01\x7F", "Gain 32.5\tdB\x01\x7F"},
        {"Chinese", "\xCC\xBD\xC9\xCB\xBC\xC7\xC2\xBC", "探伤记录"},
        {"readout symbols, one with a trail byte below 0x80", "\xA8\x4B\xA1\xFA\xA1\xFD\xA1\xC4",
         "↘→↓∧"},
        {"Chinese, ASCII and a full-width symbol", "\xBA\xB8\xB7\xEC A-3 \xA2\xD9", "焊缝 A-3 ①"},
        {"NUL bytes are characters: the length counts", "A\0\xBA\xB8\0"s, "A\0焊\0"s},
        {"a lead byte at the very end", "A\xB0", "A" + kBad},
        {"a lead byte before a byte that is no trail: the byte after stays", "\xB0 \xB0\xA1",
         kBad + " 啊"},
        {"0x7F is no trail byte",
         "\xA1\x7F"
         "A",
         kBad + "\x7F"
                "A"},
        {"0xFF starts nothing",
         "\xFF"
         "A",
         kBad + "A"},
        {"a lead byte before 0xFF: one mark each", "\xB0\xA1\xFE\xFF\xB0\xA1",
         "啊" + kBad + kBad + "啊"},
        {"0x80 is a character of its own, never a lead byte", "\x80\xB0\xA1", "€啊"},
        {"a four-byte sequence of the larger Chinese set is no GBK", "\x81\x30\x81\x30",
         kBad + "0" + kBad + "0"},
    };
    return cases;
}

std::string utf8Of(char32_t c) {
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

// The number of code points in well-formed UTF-8.
size_t codePoints(const std::string& utf8) {
    size_t n = 0;
    for (char c : utf8)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

} // namespace

TEST(GbkText, ToUtf8) {
    const std::vector<GbkCase>& cases = gbkCases();
    for (int pass = 0; pass < 3; ++pass) {
        for (size_t i = 0; i < cases.size(); ++i) {
            const GbkCase& c = cases[pass == 1 ? cases.size() - 1 - i : i];
            SCOPED_TRACE(std::string(c.name) + ", pass " + std::to_string(pass));
            EXPECT_EQ(gbkToUtf8(c.gbk), c.utf8);
        }
    }
}

// Every two-byte sequence from a lead byte: a GBK character comes out as one
// character and goes back to the same two bytes; anything else is a mark for
// the lead byte followed by what the second byte is on its own.
TEST(GbkText, EveryBytepairFromALeadByte) {
    int characters = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x00; trail <= 0xFF; ++trail) {
            const std::string pair = {static_cast<char>(lead), static_cast<char>(trail)};
            const std::string utf8 = gbkToUtf8(pair);
            if (utf8.starts_with(kBad)) {
                ASSERT_EQ(utf8, kBad + gbkToUtf8(pair.substr(1))) << std::hex << lead << trail;
                continue;
            }
            ++characters;
            ASSERT_EQ(codePoints(utf8), 1u) << std::hex << lead << " " << trail;
            ASSERT_EQ(utf8ToGbk(utf8), pair) << std::hex << lead << " " << trail;
        }
    }
    // GBK holds some 21800 two-byte characters and symbols.
    EXPECT_GT(characters, 21000);
}

TEST(GbkText, FromUtf8) {
    const struct {
        const char* name;
        std::string utf8;
        std::optional<std::string> gbk;
    } cases[] = {
        {"empty", "", ""},
        {"Chinese", "探伤记录", "\xCC\xBD\xC9\xCB\xBC\xC7\xC2\xBC"},
        {"readout symbols", "↘→↓∧Φ", "\xA8\x4B\xA1\xFA\xA1\xFD\xA1\xC4\xA6\xB5"},
        {"full-width punctuation", "（注）、。：",
         "\xA3\xA8\xD7\xA2\xA3\xA9\xA1\xA2\xA1\xA3\xA3\xBA"},
        {"NUL bytes are characters: the length counts", "A\0焊\0"s, "A\0\xBA\xB8\0"s},
        {"a character outside GBK", "😀", std::nullopt},
        {"one character outside GBK spoils the text, not only itself", "A한B", std::nullopt},
        {"the half-width yen sign has no GBK form", "¥", std::nullopt},
        {"after a failure the next text converts whole", "焊缝", "\xBA\xB8\xB7\xEC"},
        {"invalid UTF-8: a byte that starts nothing", "\xFF", std::nullopt},
        {"invalid UTF-8: a lone continuation byte", "A\x80", std::nullopt},
        {"invalid UTF-8: a character cut at the end", "A\xE7\x84", std::nullopt},
        {"invalid UTF-8: an overlong NUL", "\xC0\x80", std::nullopt},
        {"invalid UTF-8: a surrogate", "\xED\xA0\x80", std::nullopt},
        {"after a cut character the next text converts whole", "A焊", "A\xBA\xB8"},
    };
    for (int pass = 0; pass < 2; ++pass) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name);
            EXPECT_EQ(utf8ToGbk(c.utf8), c.gbk);
        }
    }
}

// Notes and panel texts go to GBK and back unchanged.
TEST(GbkText, RoundTrips) {
    for (const std::string& text : {"探伤记录"s, "焊缝 A-3 ①"s, "斜探头 K2.0"s, "检测单位："s,
                                    "（注）、。"s, "ε 与 Φ2 x 40"s, "A\0焊"s, ""s}) {
        const std::optional<std::string> gbk = utf8ToGbk(text);
        ASSERT_TRUE(gbk) << text;
        EXPECT_LE(gbk->size(), text.size()) << text;
        EXPECT_EQ(gbkToUtf8(*gbk), text);
    }
    for (char32_t c = 0x4E00; c <= 0x9FA5; c += 97) { // CJK ideographs, all within GBK
        const std::string text = utf8Of(c);
        const std::optional<std::string> gbk = utf8ToGbk(text);
        ASSERT_TRUE(gbk && gbk->size() == 2) << std::hex << static_cast<uint32_t>(c);
        EXPECT_EQ(gbkToUtf8(*gbk), text) << std::hex << static_cast<uint32_t>(c);
    }
}

// The export converts readout labels on two threads at once.
TEST(GbkText, ThreadsConvertAlike) {
    std::vector<std::thread> threads;
    std::vector<int> wrong(4, 0);
    for (int& w : wrong) {
        threads.emplace_back([&w] {
            for (int round = 0; round < 200; ++round)
                for (const GbkCase& c : gbkCases())
                    w += gbkToUtf8(c.gbk) != c.utf8 || utf8ToGbk("焊缝") != "\xBA\xB8\xB7\xEC";
        });
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(wrong, std::vector<int>(4, 0));
}
