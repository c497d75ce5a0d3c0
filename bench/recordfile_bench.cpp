// Codec and record-file throughput on realistic A-scan records made by the
// project's own writer.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <random>

#include "analysis/echo_overview.h"
#include "bench_recording.h"
#include "recordfile/instrument_params.h"
#include "recordfile/lzw.h"
#include "recordfile/record_file.h"
#include "recordfile/record_writer.h"
#include "viewer/viewer_core.h"

using namespace vantrel;

namespace {

// An 11-frame record: noise floor, an interface echo and a moving flaw echo.
std::vector<uint8_t> ascanRecord(std::mt19937& rng, int record) {
    std::vector<uint8_t> frames(11 * kFrameSize, 0);
    std::uniform_int_distribution<int> grass(0, 6);
    for (int f = 0; f < 11; ++f) {
        uint8_t* fr = frames.data() + f * kFrameSize;
        const double flawAt = 120 + 40 * std::sin((record * 11 + f) * 0.01);
        for (int k = 0; k < kSamplesPerFrame; ++k) {
            double v = grass(rng);
            v += 190 * std::exp(-std::pow((k - 12) / 3.0, 2));
            v += 150 * std::exp(-std::pow((k - flawAt) / 4.0, 2));
            fr[k] = static_cast<uint8_t>(std::min(255.0, v));
            fr[kFrameEnvelopeOffset + k] = fr[k];
        }
        storeU32(fr + kFrameValuesOffset, static_cast<uint32_t>(flawAt * 10));
    }
    return frames;
}

void BM_LzwDecode(benchmark::State& state) {
    std::mt19937 rng(1);
    const std::vector<uint8_t> record = ascanRecord(rng, 0);
    const std::vector<uint8_t> stream = encodeStream(record);
    std::vector<uint8_t> out(kDecodedCapacity);
    LzwDecoder decoder;
    for (auto _ : state) {
        auto r = decoder.decode(stream.data(), static_cast<uint32_t>(stream.size()), out.data(),
                                out.size());
        benchmark::DoNotOptimize(r);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * record.size()));
}
BENCHMARK(BM_LzwDecode);

// What the open scan does with a record that carries a trailer: measure the
// stream and look up the note length byte.
void BM_LzwMeasure(benchmark::State& state) {
    std::mt19937 rng(1);
    const std::vector<uint8_t> record = ascanRecord(rng, 0);
    const std::vector<uint8_t> stream = encodeStream(record);
    LzwDecoder decoder;
    for (auto _ : state) {
        int32_t size = 0;
        const bool sound = decoder.measure(stream.data(), static_cast<uint32_t>(stream.size()),
                                           kDecodedCapacity, size);
        benchmark::DoNotOptimize(sound);
        benchmark::DoNotOptimize(decoder.byteAt(size - 200));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * record.size()));
    state.counters["codes_per_record"] = static_cast<double>(stream.size()) * 8 / 11;
}
BENCHMARK(BM_LzwMeasure);

void BM_LzwEncode(benchmark::State& state) {
    std::mt19937 rng(1);
    const std::vector<uint8_t> record = ascanRecord(rng, 0);
    std::vector<uint8_t> out(lzwEncodeBound(record.size()));
    LzwEncoder encoder;
    for (auto _ : state) {
        auto r = encoder.encode(record.data(), static_cast<uint32_t>(record.size()), out.data(),
                                out.size());
        benchmark::DoNotOptimize(r);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * record.size()));
}
BENCHMARK(BM_LzwEncode);

std::string largeRecording(int records) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("vantrel-bench-" + std::to_string(records) + ".DAT"))
                                 .string();
    if (std::filesystem::exists(path)) return path;
    std::mt19937 rng(2);
    RecordWriter w;
    ParameterBlock block(kParameterBlockSize, 0);
    for (int r = 0; r < records; ++r) {
        const auto frames = ascanRecord(rng, r);
        w.addRecord(frames, r % 20 == 0 ? &block : nullptr);
    }
    w.writeFile(path);
    return path;
}

void BM_OpenScan(benchmark::State& state) {
    const std::string path = largeRecording(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        RecordFile f;
        benchmark::DoNotOptimize(f.openRecordFile(path));
    }
    state.SetBytesProcessed(
        static_cast<int64_t>(state.iterations() * std::filesystem::file_size(path)));
}
BENCHMARK(BM_OpenScan)->Arg(2000);

void BM_SeekLoad(benchmark::State& state) {
    const std::string path = largeRecording(2000);
    ViewerCore viewer;
    viewer.openItemClick(path);
    int32_t r = 0;
    for (auto _ : state) {
        viewer.seekLoad(r);
        r = (r + 997) % 2000;
    }
}
BENCHMARK(BM_SeekLoad);

// Every record of the bench recording decoded on one thread, nothing else
// done with it (as decode-all does), against the echo-dynamics overview of
// the same file on two threads. The overview must not take longer.
void BM_DecodeEveryRecord(benchmark::State& state) {
    RecordFile f;
    if (!f.openRecordFile(bench::benchRecording()).ok()) {
        state.SkipWithError("no bench recording");
        return;
    }
    InstrumentParams p;
    int64_t bytes = 0;
    for (auto _ : state) {
        for (const RecordIndexEntry& e : f.recordIndex()) {
            f.readRecordAt(e.fileOffset, p);
            bytes += f.layout().decodedSize;
        }
    }
    state.SetBytesProcessed(bytes);
    state.counters["records"] = static_cast<double>(f.recordIndex().size());
}
BENCHMARK(BM_DecodeEveryRecord)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ComputeOverview(benchmark::State& state) {
    RecordQuery query;
    if (!query.open(bench::benchRecording()).ok()) {
        state.SkipWithError("no bench recording");
        return;
    }
    EchoOverview o;
    for (auto _ : state) {
        o = {};
        o = computeOverview(query, {});
    }
    state.counters["frames"] = static_cast<double>(o.frameCount());
    // The overview's memory for each shown frame: amplitudes and positions,
    // records, indications and block summaries.
    state.counters["bytes/frame"] = static_cast<double>(o.memoryBytes()) /
                                    static_cast<double>(std::max<int64_t>(o.frameCount(), 1));
}
BENCHMARK(BM_ComputeOverview)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
