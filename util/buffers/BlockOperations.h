// Operations on raw memory blocks: filling, clearing, exchanging, reversing and
// comparing, and a binary search over a sorted array of fixed-size elements.
// Blocks are an address and a byte count; element i of an array starts at
// base + i * element size. None of them allocates or reports errors.
#pragma once

#include <keelward/Base.h>

namespace keelward {

// Sets every byte of the block to `inValue` (0 to 255).
void BlockSet(void* outDest, UInt32 inCount, int inValue);

// Covers the block with copies of the pattern from its first byte, the last copy cut
// where the block ends. The pattern holds at least one byte (an empty one fills
// nothing).
void BlockFill(const void* inPattern, UInt32 inPatternLength, void* outDest, UInt32 inCount);

// BlockFill with its arguments in another order.
void MemFill(UInt32 inPatternLength, const void* inPattern, UInt32 inCount, void* outDest);

// Fills the block with the recognisable bytes 0x68 0xF1 repeated.
void MemTrash(UInt32 inCount, void* outDest);

// Sets every byte of the block to zero.
void BlockClear(void* outDest, UInt32 inCount);

// Exchanges the contents of two disjoint blocks.
void BlockSwap(void* ioFirst, void* ioSecond, UInt32 inCount);

// Exchanges elements `inIndexI` and `inIndexJ` of the array.
void BlockSwapIndexed(void* ioBase, UInt32 inElementSize, UInt32 inIndexI, UInt32 inIndexJ);

// Reverses the bytes of the block in place.
void BlockReverse(void* ioBlock, UInt32 inCount);

// Reverses the order of the array's elements, each keeping its own byte order.
void BlockReverseIndexed(void* ioBase, UInt32 inElementSize, UInt32 inCount);

// 1 if the two blocks of `inCount` bytes are equal, else 0; a count of 0 gives 1.
Boolean BlockCompare(UInt32 inCount, const void* inFirst, const void* inSecond);

// 1 if both blocks have the same count and the same bytes, else 0.
Boolean MemEqual(const void* inFirst, UInt32 inFirstCount, const void* inSecond, UInt32 inSecondCount);

// Comparator of BinarySearch: negative when the key sorts before the element, 0 when
// they match, positive when it sorts after. Key, key size and context are the
// caller's, passed through unread.
using BinarySearchCompareProc = SInt32 (*)(void* inContext, const void* inKey, UInt32 inKeySize,
                                           const void* inElement, UInt32 inElementSize);

// Finds an element matching the key in an array sorted by the comparator; returns its
// address, or null when none matches, the base is null or the count or element size
// is 0. Among several matches, whichever the bisection meets first is returned.
const void* BinarySearch(const void* inBase, UInt32 inCount, UInt32 inElementSize, const void* inKey,
                         UInt32 inKeySize, BinarySearchCompareProc inCompare, void* inContext);

}  // namespace keelward
