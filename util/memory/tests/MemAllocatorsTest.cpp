#include "MemoryTestSupport.h"

#include <keelward/memory/Memory.h>

#include <cstring>
#include <unistd.h>
#include <vector>

namespace keelward {
namespace {

using MemAllocators = MemoryTest;

bool AllZero(const void* block, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(block);
    for (size_t i = 0; i < size; ++i)
        if (bytes[i] != 0) return false;
    return true;
}

TEST_F(MemAllocators, BuiltInAllocators) {
    struct Case {
        const char* name;
        MemAllocatorRef allocator;
        SInt32 allocateStatus;
        SInt32 freeStatus;  // of a Memory Manager pointer block, when allocation is unavailable
    };
    const Case cases[] = {
        {"default", kDefaultMemAllocator, noErr, noErr},
        {"temp", kTempMemAllocator, noErr, noErr},
        {"system", kSystemMemAllocator, kErrAllocatorUnavailable, noErr},
        {"pageable system", kPageableSystemMemAllocator, kErrAllocatorUnavailable, noErr},
        {"resident", kResidentMemAllocator, kErrAllocatorUnavailable, kErrAllocatorUnavailable},
        {"physically contiguous", kPhysicallyContiguousMemAllocator, kErrAllocatorUnavailable,
         kErrAllocatorUnavailable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        void* block = &block;
        ASSERT_EQ(MemAllocate(c.allocator, kMemAllocateClear, 100, &block), c.allocateStatus);
        if (c.allocateStatus == noErr) {
            ASSERT_NE(block, nullptr);
            EXPECT_TRUE(AllZero(block, 100));
            EXPECT_EQ(RecoverHandle(static_cast<Ptr>(block)) != nullptr, c.allocator == kTempMemAllocator);
            std::memset(block, 0xAB, 100);  // the whole block is usable
            EXPECT_EQ(MemFree(c.allocator, 0, block), noErr);
        } else {
            EXPECT_EQ(block, nullptr);
            Ptr pointer = NewPtr(16);
            EXPECT_EQ(MemFree(c.allocator, 0, pointer), c.freeStatus);
            if (c.freeStatus == noErr) {
                EXPECT_EQ(GetPtrSize(pointer), 0);  // freed
            } else {
                DisposePtr(pointer);
            }
        }
    }
    EXPECT_EQ(gDefaultMemAllocator.context, nullptr);
    EXPECT_EQ(gPhysicallyContiguousMemAllocator.context, nullptr);
}

TEST_F(MemAllocators, BuiltInAllocatorsReportExhaustedMemory) {
    SetHeapFree(50);
    SetTempFree(50);
    for (MemAllocatorRef allocator : {kDefaultMemAllocator, kTempMemAllocator}) {
        void* block = &block;
        EXPECT_EQ(MemAllocate(allocator, 0, 51, &block), memFullErr);
        EXPECT_EQ(block, nullptr);
        EXPECT_EQ(MemAllocate(allocator, 0, 0x80000000u, &block), memFullErr);  // beyond a Size
        ASSERT_EQ(MemAllocate(allocator, 0, 50, &block), noErr);
        EXPECT_EQ(MemFree(allocator, 0, block), noErr);
    }
    EXPECT_EQ(MemAllocate(kDefaultMemAllocator, 0, 1, nullptr), paramErr);
}

// A caller's own record: procedures see the reference as passed and the context.
struct Recorded {
    MemAllocatorRef allocator = nullptr;
    void* context = nullptr;
    UInt32 flags = 0;
    UInt32 size = 0;
    void* freed = nullptr;
    SInt32 status = noErr;
    char storage[64] = {};
};

SInt32 RecordingAllocate(MemAllocatorRef allocator, void* context, UInt32 flags, UInt32 size, void** outBlock) {
    auto* r = static_cast<Recorded*>(context);
    r->allocator = allocator;
    r->context = context;
    r->flags = flags;
    r->size = size;
    if (r->status != noErr) {
        *outBlock = r->storage;  // a failing procedure's output must not reach the caller
        return r->status;
    }
    *outBlock = r->storage;
    return noErr;
}

SInt32 RecordingFree(MemAllocatorRef allocator, void* context, UInt32 flags, void* block) {
    auto* r = static_cast<Recorded*>(context);
    r->allocator = allocator;
    r->flags = flags;
    r->freed = block;
    return -7;
}

TEST_F(MemAllocators, CallersOwnRecord) {
    Recorded recorded;
    const MemAllocator record = {RecordingAllocate, RecordingFree, &recorded};
    void* block = nullptr;
    ASSERT_EQ(MemAllocate(&record, 0x80000001u, 24, &block), noErr);
    EXPECT_EQ(block, recorded.storage);
    EXPECT_EQ(recorded.allocator, &record);
    EXPECT_EQ(recorded.context, &recorded);
    EXPECT_EQ(recorded.flags, 0x80000001u);
    EXPECT_EQ(recorded.size, 24u);
    EXPECT_EQ(MemFree(&record, 2, block), -7);
    EXPECT_EQ(recorded.freed, recorded.storage);
    EXPECT_EQ(recorded.flags, 2u);

    recorded.status = -12345;
    EXPECT_EQ(MemAllocate(&record, 0, 24, &block), -12345);
    EXPECT_EQ(block, nullptr);
}

// --- Fixed-size block allocator ---------------------------------------------------

struct FixedAllocator {
    MemAllocatorRef ref = nullptr;
    FixedAllocator(UInt32 blockSize, UInt32 blocksPerChunk) {
        EXPECT_EQ(FixedSizeBlockMemAllocatorNew(blockSize, blocksPerChunk, 0, &ref), noErr);
    }
    ~FixedAllocator() { EXPECT_EQ(FixedSizeBlockMemAllocatorDispose(ref), noErr); }
    const FixedSizeBlockMemAllocator& record() const {
        return *reinterpret_cast<const FixedSizeBlockMemAllocator*>(ref);
    }
    char* Allocate(UInt32 size, UInt32 flags = 0) {
        void* block = nullptr;
        EXPECT_EQ(MemAllocate(ref, flags, size, &block), noErr);
        return static_cast<char*>(block);
    }
};

void* ChunkLink(const void* chunk) {
    void* link;
    std::memcpy(&link, chunk, sizeof link);
    return link;
}

TEST_F(MemAllocators, FixedSizeRecordStartsEmpty) {
    FixedAllocator fixed(2, 0);
    const FixedSizeBlockMemAllocator& r = fixed.record();
    EXPECT_EQ(r.blockSize, kFixedSizeBlockMinimumSize);  // raised to hold a free block's link
    EXPECT_EQ(r.blocksPerChunk, 1024u);
    EXPECT_EQ(r.allocator.context, &r);
    EXPECT_EQ(r.chunkList, nullptr);
    EXPECT_EQ(r.freeList, nullptr);

    void* block = &block;
    EXPECT_EQ(MemAllocate(fixed.ref, 0, 2, &block), kErrBlockSizeMismatch);
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(MemAllocate(fixed.ref, 0, 4, &block), kErrBlockSizeMismatch);
    EXPECT_EQ(r.chunkList, nullptr);
    char* first = fixed.Allocate(kFixedSizeBlockMinimumSize);
    ASSERT_NE(first, nullptr);

    // The default chunk carves 1,024 blocks; the next one starts a new chunk.
    char* const chunk = static_cast<char*>(r.chunkList);
    for (int i = 1; i < 1024; ++i) {
        char* block8 = fixed.Allocate(8);
        ASSERT_EQ(block8, chunk + kFixedSizeBlockChunkHeaderSize + 8 * i);
    }
    EXPECT_EQ(r.freeList, nullptr);
    fixed.Allocate(8);
    EXPECT_NE(r.chunkList, chunk);
    EXPECT_EQ(ChunkLink(r.chunkList), chunk);
}

TEST_F(MemAllocators, FixedSizeBlocksComeInAddressOrderThenLastFreedFirst) {
    constexpr UInt32 kSize = 12;  // not a multiple of the link size: blocks stay unaligned
    FixedAllocator fixed(kSize, 3);
    const FixedSizeBlockMemAllocator& r = fixed.record();
    char* a = fixed.Allocate(kSize);
    char* const chunk = static_cast<char*>(r.chunkList);
    ASSERT_NE(chunk, nullptr);
    EXPECT_EQ(ChunkLink(chunk), nullptr);
    EXPECT_EQ(a, chunk + 8);
    char* b = fixed.Allocate(kSize);
    EXPECT_EQ(b, chunk + 8 + kSize);
    char* c = fixed.Allocate(kSize);
    EXPECT_EQ(c, chunk + 8 + 2 * kSize);
    EXPECT_EQ(GetHandleSize(RecoverHandle(chunk)), Size(8 + 3 * kSize));

    char* d = fixed.Allocate(kSize);
    char* const second = static_cast<char*>(r.chunkList);
    EXPECT_NE(second, chunk);
    EXPECT_EQ(ChunkLink(second), chunk);
    EXPECT_EQ(d, second + 8);

    std::memset(a, 0x5A, kSize);
    EXPECT_EQ(MemFree(fixed.ref, 0, a), noErr);
    EXPECT_EQ(MemFree(fixed.ref, 0, b), noErr);
    EXPECT_EQ(fixed.Allocate(kSize), b);
    char* again = fixed.Allocate(kSize, kMemAllocateClear);
    EXPECT_EQ(again, a);
    EXPECT_TRUE(AllZero(again, kSize));

    void* const freeList = r.freeList;
    EXPECT_EQ(MemFree(fixed.ref, 0, nullptr), noErr);
    EXPECT_EQ(r.freeList, freeList);
}

TEST_F(MemAllocators, FixedSizeGrowthFailureLeavesTheAllocatorAsItWas) {
    FixedAllocator fixed(16, 2);
    const FixedSizeBlockMemAllocator& r = fixed.record();
    fixed.Allocate(16);
    fixed.Allocate(16);
    void* const chunk = r.chunkList;
    SetTempFree(8 + 2 * 16 - 1);
    void* block = &block;
    EXPECT_EQ(MemAllocate(fixed.ref, 0, 16, &block), memFullErr);
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(r.chunkList, chunk);
    EXPECT_EQ(r.freeList, nullptr);
    SetTempFree(8 + 2 * 16);
    EXPECT_NE(fixed.Allocate(16), nullptr);
}

TEST_F(MemAllocators, FixedSizeNewRefusesWhatItCannotHold) {
    MemAllocatorRef ref = nullptr;
    // 65,536 blocks of 65,536 bytes: the chunk size would wrap to 8 bytes in 32 bits.
    EXPECT_EQ(FixedSizeBlockMemAllocatorNew(0x10000, 0x10000, 0, &ref), paramErr);
    EXPECT_EQ(FixedSizeBlockMemAllocatorNew(0x7FFFFFF8, 1, 0, &ref), paramErr);
    EXPECT_EQ(ref, nullptr);
    EXPECT_EQ(FixedSizeBlockMemAllocatorNew(16, 0, 0, nullptr), paramErr);
    SetTempFree(sizeof(FixedSizeBlockMemAllocator) - 1);
    EXPECT_EQ(FixedSizeBlockMemAllocatorNew(16, 0, 0, &ref), memFullErr);
    EXPECT_EQ(ref, nullptr);
    EXPECT_EQ(FixedSizeBlockMemAllocatorDispose(nullptr), noErr);
    EXPECT_EQ(FixedSizeBlockMemAllocatorDispose(kTempMemAllocator), paramErr);
    EXPECT_EQ(FixedSizeBlockMemAllocatorDispose(&gDefaultMemAllocator), paramErr);
}

TEST_F(MemAllocators, DisposeReturnsEveryChunk) {
    const SInt64 before = GetMemoryInUse(MemoryKind::kTemporaryMemory);
    {
        FixedAllocator fixed(32, 4);
        for (int i = 0; i < 10; ++i) fixed.Allocate(32);  // three chunks
        EXPECT_EQ(GetMemoryInUse(MemoryKind::kTemporaryMemory),
                  before + SInt64(sizeof(FixedSizeBlockMemAllocator)) + 3 * (8 + 4 * 32));
    }
    EXPECT_EQ(GetMemoryInUse(MemoryKind::kTemporaryMemory), before);
}

TEST(CacheLineSize, ReportsTheHostsDataCacheLine) {
    UInt32 size = 0;
    ASSERT_EQ(CalculateCacheLineSize(&size), noErr);
    const long reported = sysconf(_SC_LEVEL1_DCACHE_LINESIZE);
    if (reported > 0) {
        EXPECT_EQ(size, UInt32(reported));
    }
    EXPECT_GE(size, 16u);
    EXPECT_EQ(size & (size - 1), 0u) << "a power of two";
    EXPECT_EQ(CalculateCacheLineSize(nullptr), noErr);
}

}  // namespace
}  // namespace keelward
