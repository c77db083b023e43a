#include <keelward/memory/HandleUtilities.h>
#include <keelward/memory/MemAllocators.h>
#include <keelward/buffers/BlockOperations.h>
#include <keelward/platform/MemoryManager/MacMemory.h>

#include <cstring>
#include <fstream>
#include <limits>
#include <string>
#include <unistd.h>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace keelward {

namespace {

constexpr UInt32 kMaxSize = UInt32(std::numeric_limits<Size>::max());

// --- Built-in allocators ------------------------------------------------------

SInt32 DefaultMemAllocate(MemAllocatorRef, void*, UInt32 inFlags, UInt32 inSize, void** outBlock) {
    if (inSize > kMaxSize) return memFullErr;
    const Ptr block = (inFlags & kMemAllocateClear) ? NewPtrClear(Size(inSize)) : NewPtr(Size(inSize));
    if (block == nullptr) return memFullErr;
    *outBlock = block;
    return noErr;
}

SInt32 DefaultMemFree(MemAllocatorRef, void*, UInt32, void* inBlock) {
    DisposePtr(static_cast<Ptr>(inBlock));
    return noErr;
}

SInt32 TempMemAllocate(MemAllocatorRef, void*, UInt32 inFlags, UInt32 inSize, void** outBlock) {
    if (inSize > kMaxSize) return memFullErr;
    const Ptr block = NewPtrTemp(Size(inSize));
    if (block == nullptr) return memFullErr;
    if (inFlags & kMemAllocateClear) BlockClear(block, inSize);
    *outBlock = block;
    return noErr;
}

SInt32 TempMemFree(MemAllocatorRef, void*, UInt32, void* inBlock) {
    DisposePtrTemp(static_cast<Ptr>(inBlock));
    return noErr;
}

SInt32 SystemMemAllocate(MemAllocatorRef, void*, UInt32, UInt32, void**) { return kErrAllocatorUnavailable; }
SInt32 SystemMemFree(MemAllocatorRef, void*, UInt32, void* inBlock) {
    DisposePtr(static_cast<Ptr>(inBlock));
    return noErr;
}

SInt32 PageableSystemMemAllocate(MemAllocatorRef, void*, UInt32, UInt32, void**) {
    return kErrAllocatorUnavailable;
}
SInt32 PageableSystemMemFree(MemAllocatorRef, void*, UInt32, void* inBlock) {
    DisposePtr(static_cast<Ptr>(inBlock));
    return noErr;
}

SInt32 ResidentMemAllocate(MemAllocatorRef, void*, UInt32, UInt32, void**) { return kErrAllocatorUnavailable; }
SInt32 ResidentMemFree(MemAllocatorRef, void*, UInt32, void*) { return kErrAllocatorUnavailable; }

SInt32 PhysicallyContiguousMemAllocate(MemAllocatorRef, void*, UInt32, UInt32, void**) {
    return kErrAllocatorUnavailable;
}
SInt32 PhysicallyContiguousMemFree(MemAllocatorRef, void*, UInt32, void*) { return kErrAllocatorUnavailable; }

}  // namespace

const MemAllocator gDefaultMemAllocator = {DefaultMemAllocate, DefaultMemFree, nullptr};
const MemAllocator gTempMemAllocator = {TempMemAllocate, TempMemFree, nullptr};
const MemAllocator gSystemMemAllocator = {SystemMemAllocate, SystemMemFree, nullptr};
const MemAllocator gPageableSystemMemAllocator = {PageableSystemMemAllocate, PageableSystemMemFree, nullptr};
const MemAllocator gResidentMemAllocator = {ResidentMemAllocate, ResidentMemFree, nullptr};
const MemAllocator gPhysicallyContiguousMemAllocator = {PhysicallyContiguousMemAllocate,
                                                        PhysicallyContiguousMemFree, nullptr};

namespace {

// Indexed by minus the selector.
const MemAllocator* const kBuiltInMemAllocators[] = {
    &gDefaultMemAllocator,  &gTempMemAllocator,     &gSystemMemAllocator,
    &gPageableSystemMemAllocator, &gResidentMemAllocator, &gPhysicallyContiguousMemAllocator,
};

inline const MemAllocator* RecordOf(MemAllocatorRef inAllocator) {
    const std::intptr_t value = reinterpret_cast<std::intptr_t>(inAllocator);
    if (value <= 0 && value > -std::intptr_t(std::size(kBuiltInMemAllocators))) return kBuiltInMemAllocators[-value];
    return inAllocator;
}

}  // namespace

// --- Fixed-size block allocator ---------------------------------------------------

namespace {

// Links sit at any byte offset (blocks are not aligned beyond their size), so
// they are read and written bytewise.
inline void* LoadLink(const void* inAt) {
    void* link;
    std::memcpy(&link, inAt, sizeof link);
    return link;
}

inline void StoreLink(void* inAt, void* inLink) { std::memcpy(inAt, &inLink, sizeof inLink); }

// The chunk's size in bytes, or 0 when it would not fit in a Size.
UInt32 ChunkSize(UInt32 inBlockSize, UInt32 inBlocksPerChunk) {
    const UInt64 size = UInt64(inBlockSize) * inBlocksPerChunk + kFixedSizeBlockChunkHeaderSize;
    return size > kMaxSize ? 0 : UInt32(size);
}

// Adds one chunk and makes its blocks the free list; leaves the record as it
// was when no chunk can be had. Called only when the free list is empty.
[[gnu::noinline, gnu::cold]] void FixedSizeBlockAllocatorGrow(FixedSizeBlockMemAllocator* inAllocator) {
    const UInt32 chunkSize = ChunkSize(inAllocator->blockSize, inAllocator->blocksPerChunk);
    if (chunkSize == 0) return;
    const Ptr chunk = NewPtrTemp(Size(chunkSize));
    if (chunk == nullptr) return;
    char* const firstBlock = chunk + kFixedSizeBlockChunkHeaderSize;
    char* block = firstBlock;
    for (UInt32 i = 1; i < inAllocator->blocksPerChunk; ++i) {
        char* const next = block + inAllocator->blockSize;
        StoreLink(block, next);
        block = next;
    }
    StoreLink(block, nullptr);
    StoreLink(chunk, inAllocator->chunkList);
    inAllocator->chunkList = chunk;
    inAllocator->freeList = firstBlock;
}

// Takes the first free block, growing once when there is none; null when no
// block can be had.
void* FixedSizeBlockAllocatorNewBlock(FixedSizeBlockMemAllocator* inAllocator) {
    if (inAllocator->freeList == nullptr) {
        FixedSizeBlockAllocatorGrow(inAllocator);
        if (inAllocator->freeList == nullptr) return nullptr;
    }
    void* const block = inAllocator->freeList;
    inAllocator->freeList = LoadLink(block);
    return block;
}

inline void FixedSizeBlockAllocatorDisposeBlock(FixedSizeBlockMemAllocator* inAllocator, void* inBlock) {
    StoreLink(inBlock, inAllocator->freeList);
    inAllocator->freeList = inBlock;
}

SInt32 FixedSizeBlockMemAllocate(MemAllocatorRef, void* inContext, UInt32 inFlags, UInt32 inSize, void** outBlock) {
    auto* const allocator = static_cast<FixedSizeBlockMemAllocator*>(inContext);
    if (inSize != allocator->blockSize) return kErrBlockSizeMismatch;
    void* const block = FixedSizeBlockAllocatorNewBlock(allocator);
    if (block == nullptr) return memFullErr;
    if (inFlags & kMemAllocateClear) BlockClear(block, allocator->blockSize);
    *outBlock = block;
    return noErr;
}

SInt32 FixedSizeBlockMemFree(MemAllocatorRef, void* inContext, UInt32, void* inBlock) {
    if (inBlock != nullptr) FixedSizeBlockAllocatorDisposeBlock(static_cast<FixedSizeBlockMemAllocator*>(inContext), inBlock);
    return noErr;
}

}  // namespace

// --- Allocation through a reference -------------------------------------------------

namespace {

// Kept out of line so that the inline fast path below needs no stack frame.
[[gnu::noinline]] SInt32 CallAllocateProc(const MemAllocator* inRecord, MemAllocatorRef inAllocator, UInt32 inFlags,
                                          UInt32 inSize, void** outBlock) {
    *outBlock = nullptr;
    void* block = nullptr;
    const SInt32 err = inRecord->allocateProc(inAllocator, inRecord->context, inFlags, inSize, &block);
    if (err != noErr) return err;
    *outBlock = block;
    return noErr;
}

}  // namespace

// The fixed-size allocator's common case (a free block at hand, no clearing) is
// taken inline, without the indirect call: that allocator exists to be cheap.
SInt32 MemAllocate(MemAllocatorRef inAllocator, UInt32 inFlags, UInt32 inSize, void** outBlock) {
    if (outBlock == nullptr) return paramErr;
    const MemAllocator* const record = RecordOf(inAllocator);
    if (record->allocateProc == FixedSizeBlockMemAllocate) {
        auto* const allocator = static_cast<FixedSizeBlockMemAllocator*>(record->context);
        void* const block = allocator->freeList;
        if (block != nullptr && inSize == allocator->blockSize && !(inFlags & kMemAllocateClear)) {
            allocator->freeList = LoadLink(block);
            *outBlock = block;
            return noErr;
        }
    }
    return CallAllocateProc(record, inAllocator, inFlags, inSize, outBlock);
}

SInt32 MemFree(MemAllocatorRef inAllocator, UInt32 inFlags, void* inBlock) {
    const MemAllocator* const record = RecordOf(inAllocator);
    if (record->freeProc == FixedSizeBlockMemFree) {
        if (inBlock != nullptr)
            FixedSizeBlockAllocatorDisposeBlock(static_cast<FixedSizeBlockMemAllocator*>(record->context), inBlock);
        return noErr;
    }
    return record->freeProc(inAllocator, record->context, inFlags, inBlock);
}

SInt32 FixedSizeBlockMemAllocatorNew(UInt32 inBlockSize, UInt32 inBlocksPerChunk, UInt32,
                                     MemAllocatorRef* outAllocator) {
    if (outAllocator == nullptr) return paramErr;
    const UInt32 blockSize = inBlockSize < kFixedSizeBlockMinimumSize ? kFixedSizeBlockMinimumSize : inBlockSize;
    const UInt32 blocksPerChunk = inBlocksPerChunk == 0 ? kFixedSizeBlockDefaultBlocksPerChunk : inBlocksPerChunk;
    // Refused now rather than wrapped into a chunk too small for its blocks later.
    if (ChunkSize(blockSize, blocksPerChunk) == 0) return paramErr;
    const Ptr memory = NewPtrTemp(sizeof(FixedSizeBlockMemAllocator));
    if (memory == nullptr) return memFullErr;
    auto* const allocator = new (memory) FixedSizeBlockMemAllocator{
        {FixedSizeBlockMemAllocate, FixedSizeBlockMemFree, nullptr}, blockSize, blocksPerChunk, nullptr, nullptr};
    allocator->allocator.context = allocator;
    *outAllocator = &allocator->allocator;
    return noErr;
}

SInt32 FixedSizeBlockMemAllocatorDispose(MemAllocatorRef inAllocator) {
    if (inAllocator == nullptr) return noErr;
    // A built-in selector or another kind of allocator has nothing to give back here.
    if (RecordOf(inAllocator) != inAllocator || inAllocator->allocateProc != FixedSizeBlockMemAllocate) return paramErr;
    auto* const allocator = static_cast<FixedSizeBlockMemAllocator*>(inAllocator->context);
    void* chunk = allocator->chunkList;
    while (chunk != nullptr) {
        void* const previous = LoadLink(chunk);
        DisposePtrTemp(static_cast<Ptr>(chunk));
        chunk = previous;
    }
    DisposePtrTemp(reinterpret_cast<Ptr>(allocator));
    return noErr;
}

// --- Cache line size ----------------------------------------------------------------

namespace {

#if defined(__powerpc__) || defined(__powerpc64__) || defined(__ppc__)

// Sets a 16 KB block to 0xFF, zeroes the line at its first page boundary with
// dcbz and counts the zero bytes from there.
SInt32 MeasureCacheLineSize(UInt32* outSize) {
    constexpr Size kBlockSize = 16384;
    constexpr std::uintptr_t kPage = 4096;
    const Ptr block = NewPtr(kBlockSize);
    if (block == nullptr) return memFullErr;
    std::memset(block, 0xFF, kBlockSize);
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(block);
    unsigned char* const line = reinterpret_cast<unsigned char*>((start + kPage - 1) & ~(kPage - 1));
    __asm__ volatile("dcbz 0,%0" : : "r"(line) : "memory");
    const unsigned char* const end = reinterpret_cast<unsigned char*>(block) + kBlockSize;
    UInt32 count = 0;
    for (const unsigned char* p = line; p < end && *p == 0; ++p) ++count;
    DisposePtr(block);
    *outSize = count;
    return noErr;
}

#else

// Reads one of /sys's level-1 data (or unified) caches of the first processor.
UInt32 CacheLineSizeFromSys() {
    for (int index = 0; index < 8; ++index) {
        const std::string directory = "/sys/devices/system/cpu/cpu0/cache/index" + std::to_string(index) + "/";
        std::ifstream levelFile(directory + "level"), typeFile(directory + "type"),
            sizeFile(directory + "coherency_line_size");
        int level = 0;
        std::string type;
        long size = 0;
        if (!(levelFile >> level) || !(typeFile >> type)) break;
        if (level == 1 && (type == "Data" || type == "Unified") && (sizeFile >> size) && size > 0)
            return UInt32(size);
    }
    return 0;
}

// x86 processors report the line size that CLFLUSH works on (CPUID leaf 1, EDX
// bit 19 saying the field is valid).
UInt32 CacheLineSizeFromProcessor() {
#if defined(__x86_64__) || defined(__i386__)
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) && (edx & (1u << 19))) return ((ebx >> 8) & 0xFF) * 8;
#endif
    return 0;
}

SInt32 MeasureCacheLineSize(UInt32* outSize) {
    UInt32 size = 0;
#ifdef _SC_LEVEL1_DCACHE_LINESIZE
    if (const long reported = sysconf(_SC_LEVEL1_DCACHE_LINESIZE); reported > 0) size = UInt32(reported);
#endif
    if (size == 0) size = CacheLineSizeFromSys();
    if (size == 0) size = CacheLineSizeFromProcessor();
    if (size == 0) return kErrNotFound;
    *outSize = size;
    return noErr;
}

#endif

}  // namespace

SInt32 CalculateCacheLineSize(UInt32* outSize) {
    UInt32 size = 0;
    const SInt32 err = MeasureCacheLineSize(&size);
    if (err != noErr) return err;
    if (outSize != nullptr) *outSize = size;
    return noErr;
}

}  // namespace keelward
