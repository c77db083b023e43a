// MemAllocate/MemFree of 32-byte blocks through a fixed-size block allocator
// against malloc/free of 32 bytes, side by side, with the ratio printed at the end.
#include <keelward/memory/Memory.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "BenchmarkRatios.h"

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
    const MemAllocatorRef ref = allocator.ref;
    for (auto _ : state) {
        void* block = nullptr;
        MemAllocate(ref, 0, kBlockSize, &block);
        benchmark::DoNotOptimize(block);
        MemFree(ref, 0, block);
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

// The bound for any free-list allocator called this way: a bare intrusive list in
// two out-of-line functions, the block handed back through an out-parameter as
// MemAllocate does. Each round trip waits on stores being read back (the list head
// and the caller's variable), which no allocator behind this interface avoids.
struct BareFreeList {
    void* head = nullptr;
};
[[gnu::noinline]] int BarePop(BareFreeList* list, void** outBlock) {
    void* const block = list->head;
    if (block == nullptr) return -1;
    std::memcpy(&list->head, block, sizeof(void*));
    *outBlock = block;
    return 0;
}
[[gnu::noinline]] void BarePush(BareFreeList* list, void* block) {
    std::memcpy(block, &list->head, sizeof(void*));
    list->head = block;
}

void BM_BareFreeList_AllocateFree(benchmark::State& state) {
    std::vector<char> chunk(kBlockSize * 1024);
    BareFreeList list;
    for (size_t i = 1024; i-- > 0;) BarePush(&list, chunk.data() + i * kBlockSize);
    for (auto _ : state) {
        void* block = nullptr;
        BarePop(&list, &block);
        benchmark::DoNotOptimize(block);
        BarePush(&list, block);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BareFreeList_AllocateFree);

// A thousand blocks taken, then all given back: the free lists go deeper than one.
void BM_FixedSizeBlock_Batch(benchmark::State& state) {
    Allocator allocator;
    const MemAllocatorRef ref = allocator.ref;
    std::vector<void*> blocks(kBatch);
    for (auto _ : state) {
        for (void*& block : blocks) MemAllocate(ref, 0, kBlockSize, &block);
        benchmark::DoNotOptimize(blocks.data());
        for (void* block : blocks) MemFree(ref, 0, block);
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

constexpr keelward::bench::Comparison kComparisons[] = {
    {"BM_FixedSizeBlock_AllocateFree", "BM_Malloc_AllocateFree", "32 bytes, one at a time (goal >= 3)"},
    {"BM_FixedSizeBlock_Batch", "BM_Malloc_Batch", "32 bytes, 1000 taken then freed"},
    {"BM_BareFreeList_AllocateFree", "BM_Malloc_AllocateFree", "bound: a bare free list, one at a time"},
};

}  // namespace

int main(int argc, char** argv) {
    keelward::bench::RatioReporter reporter;
    if (!keelward::bench::RunBenchmarks(argc, argv, reporter)) return 1;
    reporter.PrintRatios("Fixed-size block allocator relative to malloc/free", kComparisons);
    return 0;
}
