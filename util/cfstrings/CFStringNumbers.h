// Decimal UTF-16 text of 64-bit integers grouped in threes with the thousands
// separator that CFStringUtilitiesInitialize read from the system (code unit 0
// before it ran).
#pragma once

#include <keelward/Base.h>
#include <keelward/platform/CoreFoundation/CFString.h>

namespace keelward {

// Room for the longest text (a sign, 19 or 20 digits and 6 separators) and a zero.
inline constexpr UInt32 kFormattedUInt64BufferLength = 27;

// Writes the grouped digits of inValue and a zero code unit into outBuffer (at least
// kFormattedUInt64BufferLength code units); returns the number of code units before
// the zero. A null buffer is left alone and gives 0.
UInt32 UInt64ToFormattedUString(UInt64 inValue, UniChar* outBuffer);

// Replace the whole contents of ioString by the grouped digits of inValue ("-" first
// when negative).
void UInt64ToFormattedCFString(UInt64 inValue, CFMutableStringRef ioString);
void SInt64ToFormattedCFString(SInt64 inValue, CFMutableStringRef ioString);

}  // namespace keelward
