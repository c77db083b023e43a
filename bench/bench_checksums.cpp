// CRC-32 and Adler-32 of the library against zlib's crc32 and adler32 on 1 MiB,
// side by side in one run; prints the speed ratios at the end.
#include <keelward/checksums/Adler32.h>
#include <keelward/checksums/CRC32.h>

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "BenchmarkRatios.h"

namespace {

constexpr std::size_t kSize = 1 << 20;

const std::vector<unsigned char>& Data() {
    static const std::vector<unsigned char> data = [] {
        std::vector<unsigned char> bytes(kSize);
        std::mt19937 engine(42);
        for (auto& b : bytes) b = static_cast<unsigned char>(engine());
        return bytes;
    }();
    return data;
}

void BM_KeelwardCRC32(benchmark::State& state) {
    const auto& d = Data();
    for (auto _ : state) benchmark::DoNotOptimize(keelward::CRC32(0, d.data(), kSize));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kSize);
}
void BM_ZlibCRC32(benchmark::State& state) {
    const auto& d = Data();
    for (auto _ : state) benchmark::DoNotOptimize(crc32(0, d.data(), kSize));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kSize);
}
void BM_KeelwardAdler32(benchmark::State& state) {
    const auto& d = Data();
    for (auto _ : state) benchmark::DoNotOptimize(keelward::Adler32(1, 0, d.data(), kSize));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kSize);
}
void BM_ZlibAdler32(benchmark::State& state) {
    const auto& d = Data();
    for (auto _ : state) benchmark::DoNotOptimize(adler32(1, d.data(), kSize));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kSize);
}
BENCHMARK(BM_KeelwardCRC32);
BENCHMARK(BM_ZlibCRC32);
BENCHMARK(BM_KeelwardAdler32);
BENCHMARK(BM_ZlibAdler32);

// Keeps the time per iteration of every run, to print the ratios at the end.

constexpr keelward::bench::Comparison kComparisons[] = {
    {"BM_KeelwardCRC32", "BM_ZlibCRC32", "goal >= 1"},
    {"BM_KeelwardAdler32", "BM_ZlibAdler32", "goal >= 1"},
};

}  // namespace

int main(int argc, char** argv) {
    const auto& d = Data();
    if (keelward::CRC32(0, d.data(), kSize) != crc32(0, d.data(), kSize) ||
        keelward::Adler32(1, 0, d.data(), kSize) != adler32(1, d.data(), kSize)) {
        std::fputs("results differ from zlib\n", stderr);
        return EXIT_FAILURE;
    }
    std::puts("results identical to zlib on 1 MiB of random data");
    keelward::bench::RatioReporter reporter;
    if (!keelward::bench::RunBenchmarks(argc, argv, reporter)) return EXIT_FAILURE;
    reporter.PrintRatios("Speed relative to zlib", kComparisons);
    return 0;
}
