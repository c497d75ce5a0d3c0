// The recording the whole-file benchmarks walk: the file VANTREL_BENCH_RECORDING
// names (bench/compare sets it to its 1.1 GB recording), else the demo
// recording, which keeps the test suite's short runs short.
#pragma once

#include <cstdlib>
#include <string>

namespace vantrel::bench {

inline std::string benchRecording() {
    const char* path = std::getenv("VANTREL_BENCH_RECORDING");
    return path && *path ? path : VANTREL_DEMO;
}

} // namespace vantrel::bench
