// Handle utilities over the Memory Manager: handles that prefer one kind of
// memory and fall back to the other, handles sized to what memory can still give,
// copies into new handles, arrays of items inside a handle, pointer blocks carved
// from temporary memory, page-contiguity tests and the heap-zone calls reached
// through a run-time look-up.
//
// Statuses are the Memory Manager's (noErr, paramErr, memFullErr, ...) widened to
// SInt32. Results are stored only on success unless a function says otherwise;
// null result addresses are refused with paramErr.
#pragma once

#include <keelward/Base.h>
#include <keelward/platform/MemoryManager/MacMemory.h>

#include <cstdint>

namespace keelward {

// --- Sizing and probing -------------------------------------------------------

// The size to allocate so that inReserve bytes stay free: inWantedSize when
// wanted + reserve fits, less otherwise (negative when not even the reserve
// fits). Measures temporary memory with inUseTempMem, else the application heap
// (largest free block, then what purging gives, then with inTryHard what
// compacting and purging give).
Size GetMaximumHandleSize(Size inWantedSize, Size inReserve, Boolean inTryHard, Boolean inUseTempMem);
// 1 if the application heap's largest free block holds inSize bytes.
Boolean IsMemoryAvailable(Size inSize);
// 1 if inSize bytes can be had: temporary memory first with inTempMemFirst (and
// not inNoTempMem), else the compacted and purged heap first, then temporary
// memory unless inNoTempMem. inNoAppHeap only matters on the temporary-first path.
Boolean IsMemoryAvailableAfterTryingHard(Size inSize, Boolean inNoTempMem, Boolean inNoAppHeap,
                                         Boolean inTempMemFirst);
// Compacts and purges the application heap; returns its largest free block.
Size CompactAndPurgeHeap();

// --- Allocation ---------------------------------------------------------------

// A handle of GetMaximumHandleSize(*ioSize, ...) bytes (contents undefined); with
// inUseTempMem from temporary memory, falling back to the heap. On success stores
// the handle and its size in *ioSize.
SInt32 NewMaximumHandle(Handle* outHandle, Size* ioSize, Size inReserve, Boolean inTryHard, Boolean inUseTempMem);
// As NewMaximumHandle for inQuantum × *ioCount bytes, rounded down to whole quanta;
// *ioCount receives the quanta obtained. Without inUseTempMem the contents are
// zeroed. A quantum below 1, a negative count or a product beyond 32 bits is
// refused with paramErr.
SInt32 NewMaximumQuantizedHandle(Handle* outHandle, Size inQuantum, Size* ioCount, Size inReserve,
                                 Boolean inTryHard, Boolean inUseTempMem);
// A handle of inWantedSize bytes from whichever memory keeps inReserve free
// (temporary first); otherwise all of the larger kind of memory. Stores the size
// asked for in *outSize (when not null) and returns the handle, null on failure.
Handle NewHandleMax(Size inWantedSize, Size inReserve, Size* outSize);
// Temporary memory then the heap (inPreferTempMem), or the other way round.
// Always stores the last attempt's handle (null when it failed) and returns its status.
SInt32 NewTempOrRegularHandle(Size inSize, Boolean inPreferTempMem, Handle* outHandle);
// Temporary memory, else the heap; memFullErr when neither gives a handle.
SInt32 MemAllocHandle(Size inSize, Handle* outHandle);
// Temporary memory, else the heap; null when neither gives a handle.
Handle NewAnyHandle(Size inSize);
// A temporary-memory handle, or memFullErr.
SInt32 NewHandleTemp(Size inSize, Handle* outHandle);
// Tries each of the inCount sizes (each passed as a Size) in order with
// NewHandleTemp; the first that succeeds is stored with its size (outSize may be
// null). No sizes, or a size of 0 reached before success, give paramErr; all
// failing gives memFullErr.
SInt32 NewHandleTempOrLess(Handle* outHandle, Size* outSize, UInt32 inCount, ...);
// A pointer block of temporary memory (a locked temporary handle's block), or null.
Ptr NewPtrTemp(Size inSize);
// Frees a block from NewPtrTemp; null or any other pointer is ignored.
void DisposePtrTemp(Ptr inPtr);

// --- Copying --------------------------------------------------------------------

// Makes inDestination a copy of inSource, resizing it when the sizes differ.
SInt32 HandToXHand(Handle inSource, Handle inDestination);
// Replaces *ioHandle with a copy in temporary memory; the original is untouched
// and still the caller's to dispose of.
SInt32 HandToTempHand(Handle* ioHandle);
// Replaces *ioHandle with a copy, in temporary memory first with inPreferTempMem,
// else in the heap first. Returns the last attempt's status.
SInt32 HandToHandAndAllowTempMem(Handle* ioHandle, Boolean inPreferTempMem);
// A temporary-memory handle holding inSize bytes from inSource, or memFullErr.
SInt32 PtrToTempHand(const void* inSource, Handle* outHandle, Size inSize);
// As PtrToTempHand, falling back to the heap.
SInt32 PtrToAnyHand(const void* inSource, Handle* outHandle, Size inSize);

// --- Editing ----------------------------------------------------------------------

// Resizes the handle by inDelta bytes, zeroing the bytes gained when asked, and
// stores the old size (outOldSize may be null). A size leaving 0...2^31-1 is
// refused with paramErr.
SInt32 AdjustHandleSize(Handle inHandle, Size inDelta, Boolean inZeroNewBytes, Size* outOldSize);
// Inserts inCount items of inItemSize bytes before item inIndex; an index past the
// end appends. Negative arguments or byte counts beyond 32 bits give paramErr.
SInt32 AddItemsToHandle(Handle inHandle, Size inItemSize, SInt32 inIndex, SInt32 inCount, const void* inItems);
// Removes inCount items of inItemSize bytes from item inIndex on (cut at the
// handle's end). Negative arguments or byte counts beyond 32 bits give paramErr.
SInt32 RemoveItemsFromHandle(Handle inHandle, Size inItemSize, SInt32 inIndex, SInt32 inCount);
// Appends the string's bytes, without its NUL.
SInt32 PtrAndHandCString(Handle inHandle, const char* inString);
// Locks the handle and returns its state byte from before, for HSetState later.
SignedByte HGetStateAndLock(Handle inHandle);

// --- Pages and zones ----------------------------------------------------------------

// The page list holds one address per page of a logically contiguous range (the
// first may lie inside its page); inPageSize is a power of two. Addresses are
// pointer-sized on this host.
// 1 if entry inIndex + 1 starts the page right after the page of entry inIndex.
Boolean IsNextPageContiguous(const std::uintptr_t* inPageList, UInt32 inIndex, std::uintptr_t inPageSize);
// 1 if the page of entry inIndex - 1 lies right before the page of entry inIndex;
// 0 for index 0.
Boolean IsPreviousPageContiguous(const std::uintptr_t* inPageList, UInt32 inIndex, std::uintptr_t inPageSize);
// Always null, whether or not the system has a pageable system zone.
THz GetPageableSystemZone();
// The Memory Manager's GetZone, SetZone and SystemZone, found at run time in the
// prepared "InterfaceLib". A failed look-up gives null (or does nothing) and is
// tried again on the next call; a successful one is kept for the process.
THz GetZoneCompat();
void SetZoneCompat(THz inZone);
THz SystemZoneCompat();

}  // namespace keelward
