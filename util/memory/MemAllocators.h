// Pluggable allocation: MemAllocate and MemFree through an allocator named by a
// MemAllocatorRef, six built-in allocators, a fixed-size block allocator, and a
// measure of the data-cache line size.
#pragma once

#include <keelward/Base.h>

#include <cstdint>

namespace keelward {

struct MemAllocator;

// Either one of the six built-in selectors below (0 to -5) or the address of a
// MemAllocator record (or of a record that begins with one).
using MemAllocatorRef = const MemAllocator*;

// Allocates inSize bytes and stores the block's address in *outBlock; returns 0 or
// a status. inAllocator is the reference exactly as given to MemAllocate.
using MemAllocateProcPtr = SInt32 (*)(MemAllocatorRef inAllocator, void* inContext, UInt32 inFlags, UInt32 inSize,
                                      void** outBlock);
// Frees a block that the allocate procedure gave out; returns 0 or a status.
using MemFreeProcPtr = SInt32 (*)(MemAllocatorRef inAllocator, void* inContext, UInt32 inFlags, void* inBlock);

struct MemAllocator {
    MemAllocateProcPtr allocateProc;
    MemFreeProcPtr freeProc;
    void* context;  // handed unchanged to both procedures
};

// Allocation flag: the block comes zero-filled.
inline constexpr UInt32 kMemAllocateClear = 1u << 0;

// Built-in allocators.
//  default: Memory Manager pointer blocks (NewPtr, DisposePtr).
//  temp: pointer blocks of temporary memory (NewPtrTemp, DisposePtrTemp).
//  system, pageable system: cannot allocate (kErrAllocatorUnavailable); free with DisposePtr.
//  resident, physically contiguous: can neither allocate nor free (kErrAllocatorUnavailable).
inline const MemAllocatorRef kDefaultMemAllocator = nullptr;
inline const MemAllocatorRef kTempMemAllocator = reinterpret_cast<MemAllocatorRef>(std::intptr_t(-1));
inline const MemAllocatorRef kSystemMemAllocator = reinterpret_cast<MemAllocatorRef>(std::intptr_t(-2));
inline const MemAllocatorRef kPageableSystemMemAllocator = reinterpret_cast<MemAllocatorRef>(std::intptr_t(-3));
inline const MemAllocatorRef kResidentMemAllocator = reinterpret_cast<MemAllocatorRef>(std::intptr_t(-4));
inline const MemAllocatorRef kPhysicallyContiguousMemAllocator =
    reinterpret_cast<MemAllocatorRef>(std::intptr_t(-5));

// The records behind the selectors; constant, context 0.
extern const MemAllocator gDefaultMemAllocator;
extern const MemAllocator gTempMemAllocator;
extern const MemAllocator gSystemMemAllocator;
extern const MemAllocator gPageableSystemMemAllocator;
extern const MemAllocator gResidentMemAllocator;
extern const MemAllocator gPhysicallyContiguousMemAllocator;

// Allocates inSize bytes through the allocator. *outBlock is set to null first and
// receives the block on success; a failure returns the allocator's status
// (memFullErr when memory runs out). A null outBlock gives paramErr.
SInt32 MemAllocate(MemAllocatorRef inAllocator, UInt32 inFlags, UInt32 inSize, void** outBlock);
// Frees a block through the allocator that gave it out; returns the free
// procedure's status.
SInt32 MemFree(MemAllocatorRef inAllocator, UInt32 inFlags, void* inBlock);

// A fixed-size block allocator: blocks of one size carved from chunks of
// temporary memory, handed out and taken back through an intrusive free list.
// Its address is a MemAllocatorRef. One thread at a time may use it.
//
// A chunk holds a pointer-sized link to the previously allocated chunk, then
// blocksPerChunk blocks back to back (block i at kFixedSizeBlockChunkHeaderSize +
// i × blockSize, with no further alignment). A free block's first bytes hold the
// pointer-sized link to the next free block, so a block is at least
// kFixedSizeBlockMinimumSize bytes.
struct FixedSizeBlockMemAllocator {
    MemAllocator allocator;  // FixedSizeBlockMemAllocate, FixedSizeBlockMemFree, this record
    UInt32 blockSize;
    UInt32 blocksPerChunk;
    void* chunkList;  // most recently allocated chunk, or null
    void* freeList;   // first free block, or null
};

inline constexpr UInt32 kFixedSizeBlockMinimumSize = sizeof(void*);
inline constexpr UInt32 kFixedSizeBlockChunkHeaderSize = sizeof(void*);
inline constexpr UInt32 kFixedSizeBlockDefaultBlocksPerChunk = 1024;

// Creates an allocator of inBlockSize-byte blocks (raised to
// kFixedSizeBlockMinimumSize) carved inBlocksPerChunk at a time (0 means 1,024).
// No chunk is allocated yet. inUnused is not read. memFullErr when the record
// cannot be had; paramErr when a chunk's size would not fit in 31 bits or
// outAllocator is null.
SInt32 FixedSizeBlockMemAllocatorNew(UInt32 inBlockSize, UInt32 inBlocksPerChunk, UInt32 inUnused,
                                     MemAllocatorRef* outAllocator);
// Frees every chunk and the record; blocks still in use become invalid. Returns 0
// (also for null, which is ignored); paramErr for a built-in selector or a record
// that is no fixed-size block allocator, which are left alone.
SInt32 FixedSizeBlockMemAllocatorDispose(MemAllocatorRef inAllocator);

// Stores the data-cache line size in bytes in *outSize (when not null). On
// PowerPC it is measured by zeroing one line with dcbz; elsewhere it is what the
// system reports. kErrNotFound when the system tells nothing; memFullErr when
// the measuring block cannot be had.
SInt32 CalculateCacheLineSize(UInt32* outSize);

}  // namespace keelward
