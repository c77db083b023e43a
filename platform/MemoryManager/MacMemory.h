// Memory Manager stand-in: relocatable blocks (handles), nonrelocatable blocks
// (pointers), an application heap and temporary memory, heap zones.
//
// Blocks are real memory from the C++ heap. Each kind of memory has a capacity
// (unlimited unless set with SetMemoryCapacity); allocations that would take the
// bytes in use beyond it fail with memFullErr, and the size queries answer what
// is free below it. Free memory is never fragmented here, so the largest free
// block, the free total and the results of purging or compacting are all the same
// number. With no capacity set they answer kUnlimitedMemoryAnswer.
//
// Every call sets the calling thread's MemError. Unlike the original, handles and
// pointers that are no live block of this Memory Manager are recognised and
// refused (memWZErr) instead of corrupting the heap, and null arguments are
// refused (nilHandleErr) instead of crashing. All calls may be made from any
// thread.
#pragma once

#include <keelward/platform/MemoryManager/MacTypes.h>

namespace keelward {

// Handle state byte (HGetState / HSetState).
inline constexpr SignedByte kHandleLockedMask = SignedByte(0x80);
inline constexpr SignedByte kHandlePurgeableMask = 0x40;
inline constexpr SignedByte kHandleIsResourceMask = 0x20;

// --- Status -----------------------------------------------------------------

// The status of the calling thread's last Memory Manager call.
OSErr MemError();

// --- Relocatable blocks in the application heap ---------------------------------

// A handle to a new block of the given size (contents undefined), or null.
Handle NewHandle(Size byteCount);
// NewHandle with every byte zero.
Handle NewHandleClear(Size byteCount);
// A handle whose master pointer is null (no block yet).
Handle NewEmptyHandle();
// Frees the block and the master pointer. A null handle sets nilHandleErr.
void DisposeHandle(Handle h);
// The block's logical size; 0 with MemError set for a null, empty or unknown handle.
Size GetHandleSize(Handle h);
// Changes the block's size, keeping its first bytes; a growing unlocked block may
// move (the master pointer is updated). A locked block cannot move: growing it
// fails with memFullErr. A negative size fails with memSCErr.
void SetHandleSize(Handle h, Size newSize);
// Copies *theHandle's block into a new application-heap handle and stores it in
// *theHandle; the original handle is left as it was.
OSErr HandToHand(Handle* theHandle);
// A new application-heap handle holding a copy of byteCount bytes from srcPtr.
OSErr PtrToHand(const void* srcPtr, Handle* dstHandle, Size byteCount);
// Appends byteCount bytes from ptr1 to the handle's block.
OSErr PtrAndHand(const void* ptr1, Handle hand2, Size size);

// Searches the block from offset for the len1 bytes at ptr1 and replaces the
// first occurrence with the len2 bytes at ptr2; returns the offset just past the
// replacement, or a negative value when nothing is found or the call fails.
//  - ptr1 null: the target is the len1 bytes at offset, no search; len1 < 0 (or
//    a range past the end) means "up to the end".
//  - len1 0 with ptr1 not null: the replacement is inserted at offset.
//  - ptr2 null: nothing is replaced; the result is the target's offset.
// An offset outside the block sets paramErr; a failed resize sets MemError.
SInt32 Munger(Handle h, SInt32 offset, const void* ptr1, SInt32 len1, const void* ptr2, SInt32 len2);

// Handle state: locking keeps a block from moving; purgeable is recorded only.
void HLock(Handle h);
void HUnlock(Handle h);
void HPurge(Handle h);
void HNoPurge(Handle h);
// The state byte (kHandleLockedMask, kHandlePurgeableMask, kHandleIsResourceMask).
SignedByte HGetState(Handle h);
void HSetState(Handle h, SignedByte flags);

// The handle whose block starts at p (application heap or temporary memory);
// null, with memBCErr, when p starts no relocatable block.
Handle RecoverHandle(Ptr p);

// --- Nonrelocatable blocks ----------------------------------------------------

// A new block of the application heap (contents undefined), or null.
Ptr NewPtr(Size byteCount);
// NewPtr with every byte zero.
Ptr NewPtrClear(Size byteCount);
// Frees a block from NewPtr; a null or unknown pointer only sets MemError.
void DisposePtr(Ptr p);
// The block's size; 0 with MemError set for a null or unknown pointer.
Size GetPtrSize(Ptr p);

// --- Temporary memory -----------------------------------------------------------

// A handle in temporary memory, or null. The status is stored in *resultCode when
// it is not null, and is also MemError.
Handle TempNewHandle(Size logicalSize, OSErr* resultCode);
// The largest block temporary memory can give; *grow (if not null) is set to 0.
Size TempMaxMem(Size* grow);
// The free bytes of temporary memory.
SInt32 TempFreeMem();

// --- Application heap queries -------------------------------------------------------

// The largest free block of the application heap.
SInt32 MaxBlock();
// The free bytes of the application heap.
SInt32 FreeMem();
// What purging would free: the total and the largest contiguous block.
void PurgeSpace(SInt32* totalFree, SInt32* contiguous);
// The largest free block after compacting and purging; *grow (if not null) is
// set to 0: the heap here cannot grow beyond its capacity.
Size MaxMem(Size* grow);
// Compacts the heap and returns the largest free block.
Size CompactMem(Size cbNeeded);
// Purges the purgeable blocks; none are ever purged here.
void PurgeMem(Size cbNeeded);

// --- Block moves ------------------------------------------------------------------

// Copies byteCount bytes; the blocks may overlap. A count of 0 or less does nothing.
void BlockMove(const void* srcPtr, void* destPtr, Size byteCount);
void BlockMoveData(const void* srcPtr, void* destPtr, Size byteCount);
// Sets byteCount bytes to 0; a count of 0 or less does nothing.
void BlockZero(void* destPtr, Size byteCount);

// --- Heap zones ---------------------------------------------------------------------

// A heap zone. This Memory Manager has two, the application zone and the system
// zone; allocations draw on the application heap whichever zone is current.
struct Zone;
using THz = Zone*;

// The current zone (the application zone until SetZone changes it), process-wide.
THz GetZone();
// Makes the zone current; a null zone sets paramErr and changes nothing.
void SetZone(THz hz);
THz ApplicationZone();
THz SystemZone();

// --- Capacities (for programs and tests) --------------------------------------------

enum class MemoryKind : UInt8 { kApplicationHeap, kTemporaryMemory };

inline constexpr SInt64 kUnlimitedMemory = -1;
// What the size queries answer while a kind of memory has no capacity.
inline constexpr SInt32 kUnlimitedMemoryAnswer = 0x7FFFFFFF;

// Limits the bytes in use of one kind of memory (kUnlimitedMemory lifts the limit).
// Blocks already allocated stay; a capacity below the bytes in use leaves none free.
void SetMemoryCapacity(MemoryKind kind, SInt64 capacity);
SInt64 GetMemoryCapacity(MemoryKind kind);
// The bytes held by live blocks of one kind of memory.
SInt64 GetMemoryInUse(MemoryKind kind);

}  // namespace keelward
