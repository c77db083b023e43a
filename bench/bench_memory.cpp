// MemAllocate/MemFree of 32-byte blocks through a fixed-size block allocator
// against malloc/free of 32 bytes, side by side, with the ratio printed at the end.
#include <keelward/memory/Memory.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

using namespace keelward;

namespace {

constexpr UInt32 kBlockSize = 32;
constexpr int kBatch = 1000;

struct Allocator {
    MemAllocatorRef ref = nullptr;
    Allocator() {
        if (FixedSizeBlockMemAllocatorNew(kBlockSize, 0, 0, &ref) != 0) std::abort();
    }
    ~Allocator() { FixedSizeBlockMemAllocatorDispose(ref); }
};

// One block taken and given back per iteration.
void BM_FixedSizeBlock_AllocateFree(benchmark::State& state) {
    Allocator allocator;
    for (auto _ : state) {
        void* block = nullptr;
        MemAllocate(allocator.ref, 0, kBlockSize, &block);
        benchmark::DoNotOptimize(block);
        MemFree(allocator.ref, 0, block);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FixedSizeBlock_AllocateFree);

void BM_Malloc_AllocateFree(benchmark::State& state) {
    for (auto _ : state) {
        void* block = std::malloc(kBlockSize);
        benchmark::DoNotOptimize(block);
        std::free(block);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Malloc_AllocateFree);

// A thousand blocks taken, then all given back: the free lists go deeper than one.
void BM_FixedSizeBlock_Batch(benchmark::State& state) {
    Allocator allocator;
    std::vector<void*> blocks(kBatch);
    for (auto _ : state) {
        for (void*& block : blocks) MemAllocate(allocator.ref, 0, kBlockSize, &block);
        benchmark::DoNotOptimize(blocks.data());
        for (void* block : blocks) MemFree(allocator.ref, 0, block);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(BM_FixedSizeBlock_Batch);

void BM_Malloc_Batch(benchmark::State& state) {
    std::vector<void*> blocks(kBatch);
    for (auto _ : state) {
        for (void*& block : blocks) block = std::malloc(kBlockSize);
        benchmark::DoNotOptimize(blocks.data());
        for (void* block : blocks) std::free(block);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(BM_Malloc_Batch);

// Keeps each benchmark's CPU time per iteration (the median when repeated) for the
// closing ratios: on a shared machine the wall clock also counts time spent waiting.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration || run.aggregate_name == "median")
                times_[run.run_name.function_name] = run.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintRatio(const char* label, const std::string& ours, const std::string& reference) const {
        const auto a = times_.find(ours);
        const auto b = times_.find(reference);
        if (a == times_.end() || b == times_.end() || a->second <= 0) return;
        std::printf("%s: malloc/free %.2f ns, MemAllocate/MemFree %.2f ns, fixed-size allocator %.2fx faster\n",
                    label, b->second, a->second, b->second / a->second);
    }

private:
    std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("32-byte block, one at a time", "BM_FixedSizeBlock_AllocateFree", "BM_Malloc_AllocateFree");
    reporter.PrintRatio("32-byte blocks, 1000 then freed", "BM_FixedSizeBlock_Batch", "BM_Malloc_Batch");
    benchmark::Shutdown();
    return 0;
}
