// CoreFoundation stand-in: immutable byte blocks.
#pragma once

#include <keelward/platform/CoreFoundation/CFBase.h>

namespace keelward {

struct CFDataObject;
using CFDataRef = const CFDataObject*;

CFTypeID CFDataGetTypeID();

// A new data object holding a copy of `length` bytes; null when `length` is
// negative or `bytes` is null with a non-zero length.
CFDataRef CFDataCreate(CFAllocatorRef allocator, const UInt8* bytes, CFIndex length);
CFIndex CFDataGetLength(CFDataRef theData);
// The bytes, valid while the object lives; null for an empty block.
const UInt8* CFDataGetBytePtr(CFDataRef theData);

}  // namespace keelward
