// Block operations against the C library and DataBuffer appends against std::vector,
// side by side in one run. After the table, a summary prints each library operation's
// speed as a multiple of its reference's (1.0 = as fast, 0.5 = half as fast), from CPU
// time, using the medians when run with --benchmark_repetitions.
#include <keelward/buffers/Buffers.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "BenchmarkRatios.h"

namespace {

using namespace keelward;

constexpr std::size_t kBlockSize = 1024 * 1024;
constexpr UInt32 kAppendTotal = 64 * 1024 * 1024;
constexpr UInt32 kPiece = 16;

// Two blocks of 1 MiB on 64-byte boundaries, with room for the misaligned runs.
class Blocks {
public:
    Blocks()
        : mFirst(static_cast<UInt8*>(std::aligned_alloc(64, kBlockSize + 64))),
          mSecond(static_cast<UInt8*>(std::aligned_alloc(64, kBlockSize + 64))) {
        std::memset(mFirst, 0x5A, kBlockSize + 64);
        std::memset(mSecond, 0x5A, kBlockSize + 64);
    }
    ~Blocks() {
        std::free(mFirst);
        std::free(mSecond);
    }
    Blocks(const Blocks&) = delete;
    Blocks& operator=(const Blocks&) = delete;
    UInt8* First(std::size_t inOffset) { return mFirst + inOffset; }
    UInt8* Second(std::size_t inOffset) { return mSecond + inOffset; }

private:
    UInt8* mFirst;
    UInt8* mSecond;
};

Blocks& SharedBlocks() {
    static Blocks sBlocks;
    return sBlocks;
}

template <typename Body>
void RunOnBlocks(benchmark::State& state, Body inBody) {
    const auto offset = static_cast<std::size_t>(state.range(0));
    UInt8* first = SharedBlocks().First(offset);
    UInt8* second = SharedBlocks().Second(offset);
    // Equal blocks, so that every comparison reads all of both.
    std::memcpy(second, first, kBlockSize);
    for (auto _ : state) {
        benchmark::DoNotOptimize(first);
        benchmark::DoNotOptimize(second);
        inBody(first, second);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kBlockSize));
}

void BM_BlockSet(benchmark::State& state) {
    RunOnBlocks(state, [](UInt8* a, UInt8*) { BlockSet(a, kBlockSize, 0x5A); });
}
void BM_BlockClear(benchmark::State& state) {
    RunOnBlocks(state, [](UInt8* a, UInt8*) { BlockClear(a, kBlockSize); });
}
void BM_memset(benchmark::State& state) {
    RunOnBlocks(state, [](UInt8* a, UInt8*) { std::memset(a, 0x5A, kBlockSize); });
}
void BM_memset_zero(benchmark::State& state) {
    RunOnBlocks(state, [](UInt8* a, UInt8*) { std::memset(a, 0, kBlockSize); });
}
void BM_BlockCompare(benchmark::State& state) {
    RunOnBlocks(state, [](UInt8* a, UInt8* b) { benchmark::DoNotOptimize(BlockCompare(kBlockSize, a, b)); });
}
void BM_MemEqual(benchmark::State& state) {
    RunOnBlocks(state, [](UInt8* a, UInt8* b) { benchmark::DoNotOptimize(MemEqual(a, kBlockSize, b, kBlockSize)); });
}
void BM_memcmp(benchmark::State& state) {
    RunOnBlocks(state, [](UInt8* a, UInt8* b) { benchmark::DoNotOptimize(std::memcmp(a, b, kBlockSize)); });
}

BENCHMARK(BM_BlockSet)->Arg(0)->Arg(3);
BENCHMARK(BM_memset)->Arg(0)->Arg(3);
BENCHMARK(BM_BlockClear)->Arg(0)->Arg(3);
BENCHMARK(BM_memset_zero)->Arg(0)->Arg(3);
BENCHMARK(BM_BlockCompare)->Arg(0)->Arg(3);
BENCHMARK(BM_MemEqual)->Arg(0)->Arg(3);
BENCHMARK(BM_memcmp)->Arg(0)->Arg(3);

const UInt8 kPieceBytes[kPiece] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

void BM_DataBufferAppendData(benchmark::State& state) {
    for (auto _ : state) {
        DataBuffer* buffer = nullptr;
        if (DataBufferCreate(nullptr, 0, &buffer) != kNoErr) {
            state.SkipWithError("DataBufferCreate failed");
            break;
        }
        for (UInt32 size = 0; size < kAppendTotal; size += kPiece) {
            if (DataBufferAppendData(buffer, kPieceBytes, kPiece) != kNoErr) {
                state.SkipWithError("DataBufferAppendData failed");
                break;
            }
        }
        benchmark::DoNotOptimize(buffer->data);
        DataBufferRelease(buffer);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kAppendTotal);
}

void BM_vector_insert(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<char> buffer;
        const auto* piece = reinterpret_cast<const char*>(kPieceBytes);
        for (UInt32 size = 0; size < kAppendTotal; size += kPiece) buffer.insert(buffer.end(), piece, piece + kPiece);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kAppendTotal);
}

BENCHMARK(BM_DataBufferAppendData)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_vector_insert)->Unit(benchmark::kMillisecond);

// Prints the usual table and remembers each run's time for the ratios.

constexpr keelward::bench::Comparison kComparisons[] = {
    {"BM_BlockSet/0", "BM_memset/0", "aligned (goal >= 0.5)"},
    {"BM_BlockSet/3", "BM_memset/3", "misaligned by 3 (goal >= 0.5)"},
    {"BM_BlockClear/0", "BM_memset_zero/0", "aligned (goal >= 0.5)"},
    {"BM_BlockClear/3", "BM_memset_zero/3", "misaligned by 3 (goal >= 0.5)"},
    {"BM_BlockCompare/0", "BM_memcmp/0", "aligned (goal >= 0.5)"},
    {"BM_BlockCompare/3", "BM_memcmp/3", "misaligned by 3 (goal >= 0.5)"},
    {"BM_MemEqual/0", "BM_memcmp/0", "aligned (goal >= 0.5)"},
    {"BM_MemEqual/3", "BM_memcmp/3", "misaligned by 3 (goal >= 0.5)"},
    {"BM_DataBufferAppendData", "BM_vector_insert", "16-byte pieces up to 64 MiB"},
};

}  // namespace

int main(int argc, char** argv) {
    keelward::bench::RatioReporter reporter;
    if (!keelward::bench::RunBenchmarks(argc, argv, reporter)) return 1;
    reporter.PrintRatios("Speed relative to the C library and std::vector", kComparisons);
    return 0;
}
