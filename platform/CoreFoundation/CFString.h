// CoreFoundation stand-in: immutable and mutable strings held as UTF-16 code units.
#pragma once

#include <keelward/platform/CoreFoundation/CFBase.h>

namespace keelward {

struct CFStringObject;
using CFStringRef = const CFStringObject*;
using CFMutableStringRef = CFStringObject*;

using CFStringEncoding = UInt32;
inline constexpr CFStringEncoding kCFStringEncodingMacRoman = 0;
inline constexpr CFStringEncoding kCFStringEncodingISOLatin1 = 0x0201;
inline constexpr CFStringEncoding kCFStringEncodingASCII = 0x0600;
inline constexpr CFStringEncoding kCFStringEncodingUTF8 = 0x08000100;
inline constexpr CFStringEncoding kCFStringEncodingInvalidId = 0xFFFFFFFFU;

CFTypeID CFStringGetTypeID();

// A new string from NUL-terminated 8-bit text in `encoding`; null when the text is
// not valid in that encoding (ASCII above 0x7F, malformed UTF-8) or the encoding is
// not one of the four above.
CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr, CFStringEncoding encoding);
// As CFStringCreateWithCString for `numBytes` bytes, which may include zero bytes.
CFStringRef CFStringCreateWithBytes(CFAllocatorRef alloc, const UInt8* bytes, CFIndex numBytes,
                                    CFStringEncoding encoding, Boolean isExternalRepresentation);
// A new string holding a copy of `numChars` code units.
CFStringRef CFStringCreateWithCharacters(CFAllocatorRef alloc, const UniChar* chars, CFIndex numChars);
// A new empty mutable string. `maxLength` is a capacity hint (0: none) and is not enforced.
CFMutableStringRef CFStringCreateMutable(CFAllocatorRef alloc, CFIndex maxLength);

// The length in UTF-16 code units.
CFIndex CFStringGetLength(CFStringRef theString);
// Copies the code units of `range` into `buffer`; does nothing when the range does
// not lie inside the string.
void CFStringGetCharacters(CFStringRef theString, CFRange range, UniChar* buffer);
// Writes the text in `encoding` followed by a NUL into `buffer`. Returns false, and
// leaves the buffer untouched, when the text and its NUL do not fit in `bufferSize`
// bytes or a character has no byte in the encoding.
Boolean CFStringGetCString(CFStringRef theString, char* buffer, CFIndex bufferSize, CFStringEncoding encoding);
// Converts the code units of `range` into `buffer` (at most `maxBufLen` bytes; a null
// buffer only measures). Characters the encoding lacks become `lossByte`, or end the
// conversion when `lossByte` is 0. Returns the number of code units converted and
// stores the bytes used in `usedBufLen` when it is not null.
CFIndex CFStringGetBytes(CFStringRef theString, CFRange range, CFStringEncoding encoding, UInt8 lossByte,
                         Boolean isExternalRepresentation, UInt8* buffer, CFIndex maxBufLen,
                         CFIndex* usedBufLen);

// Appends `numChars` code units; does nothing for a string that is not mutable.
void CFStringAppendCharacters(CFMutableStringRef theString, const UniChar* chars, CFIndex numChars);

}  // namespace keelward
