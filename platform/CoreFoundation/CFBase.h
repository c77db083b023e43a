// CoreFoundation stand-in: reference-counted objects, ranges and allocators.
//
// Objects are created with a retain count of 1 and destroyed when CFRelease
// brings it to 0. Every call accepts a null object and then does nothing (or
// answers 0/null), where the original platform would crash.
#pragma once

#include <keelward/Base.h>

namespace keelward {

using CFIndex = long;
using CFTypeID = unsigned long;
using CFOptionFlags = unsigned long;
using CFHashCode = unsigned long;
using CFTypeRef = const void*;

struct CFRange {
    CFIndex location;
    CFIndex length;
};

constexpr CFRange CFRangeMake(CFIndex location, CFIndex length) { return CFRange{location, length}; }

enum CFComparisonResult : CFIndex {
    kCFCompareLessThan = -1,
    kCFCompareEqualTo = 0,
    kCFCompareGreaterThan = 1,
};

// Allocators are accepted for the sake of the well-known signatures; every object
// lives on the standard heap.
struct CFAllocatorObject;
using CFAllocatorRef = const CFAllocatorObject*;
extern const CFAllocatorRef kCFAllocatorDefault;  // null, as on the original platform
extern const CFAllocatorRef kCFAllocatorNull;     // "do not free": only meaningful for NoCopy creators

// Adds one reference and returns the object.
CFTypeRef CFRetain(CFTypeRef cf);
// Drops one reference; the object is destroyed when none is left.
void CFRelease(CFTypeRef cf);
// The object's current reference count (0 for null).
CFIndex CFGetRetainCount(CFTypeRef cf);
// The type of the object (compare with CFStringGetTypeID() and friends); 0 for null.
CFTypeID CFGetTypeID(CFTypeRef cf);

}  // namespace keelward
