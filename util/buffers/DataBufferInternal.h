// Internals of the data and temporary buffers shared with their tests.
#pragma once

#include <keelward/Base.h>

#include <cstddef>

namespace keelward::buffers_internal {

// The heap functions the buffers call: the standard ones, replaceable by tests that
// need an allocation to fail.
struct HeapFunctions {
    void* (*allocate)(std::size_t);
    void* (*allocateZeroed)(std::size_t, std::size_t);
    void* (*reallocate)(void*, std::size_t);
    void (*release)(void*);
};

HeapFunctions& BufferHeap();

// Capacity that the rule gives for `inSize`, or 0 when it would pass 4 GiB.
UInt32 CapacityForSize(UInt32 inSize);

}  // namespace keelward::buffers_internal
