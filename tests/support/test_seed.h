// The seed of a random test. VANTREL_SEED, when set, gives it, so that a
// failure seen once runs again with the very same numbers:
//
//   VANTREL_SEED=N build/dev/tests/PROGRAM --gtest_filter=SUITE.NAME
//
// otherwise std::random_device gives a fresh one each run. Whichever it is,
// the seed is printed on stdout (in the test's log whether it passes or
// fails), recorded as the test's "seed" property (in --gtest_output=xml) and
// named in every failure message while the TestSeed lives.
#pragma once

#include <gtest/gtest.h>

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <random>
#include <source_location>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vantrel::testing {

// VANTREL_SEED as a seed of std::mt19937: decimal digits only, 0 to
// 4294967295; nullopt when it is not set. Anything else (empty, a sign,
// blanks, hexadecimal, a number too large) throws, which fails the test that
// asked: a mistyped seed must not quietly run with a fresh one.
inline std::optional<uint32_t> seedFromEnvironment() {
    const char* text = std::getenv("VANTREL_SEED");
    if (!text) return std::nullopt;
    const std::string_view s(text);
    uint32_t value = 0;
    const char* end = s.data() + s.size();
    const auto [stop, error] = std::from_chars(s.data(), end, value);
    if (s.empty() || s.front() < '0' || s.front() > '9' || error != std::errc() || stop != end)
        throw std::invalid_argument("VANTREL_SEED='" + std::string(s) +
                                    "' is not a seed: give a whole number from 0 to 4294967295");
    return value;
}

class TestSeed {
public:
    // Picks the seed and reports it; `where` (the caller's line) heads the
    // trace in failure messages.
    explicit TestSeed(std::source_location where = std::source_location::current())
        : TestSeed(seedFromEnvironment(), where) {}
    TestSeed(const TestSeed&) = delete;
    TestSeed& operator=(const TestSeed&) = delete;

    uint32_t value() const { return value_; }

private:
    TestSeed(std::optional<uint32_t> given, std::source_location where)
        : given_(given.has_value()), value_(given ? *given : std::random_device{}()),
          trace_(where.file_name(), static_cast<int>(where.line()), text()) {
        std::cout << text() << std::endl;
        ::testing::Test::RecordProperty("seed", std::to_string(value_));
    }

    std::string text() const {
        const std::string n = std::to_string(value_);
        return "seed: " + n +
               (given_ ? " (from VANTREL_SEED)" : " (rerun with VANTREL_SEED=" + n + ")");
    }

    bool given_;
    uint32_t value_;
    ::testing::ScopedTrace trace_;
};

} // namespace vantrel::testing
