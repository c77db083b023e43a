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

// ---------------------------------------------------------------------------
// Mutable strings: editing, reading by index, comparison and case mapping.
// Every call below checks its string and range arguments: a null string, a range
// that does not lie inside the string, or an immutable string given to an editing
// call leaves everything unchanged (and answers 0, null or kCFCompareLessThan).
// ---------------------------------------------------------------------------

using CFStringCompareFlags = CFOptionFlags;
inline constexpr CFStringCompareFlags kCFCompareCaseInsensitive = 1;

// Locales are accepted for the sake of the well-known signatures; no locale object
// can be created, so null (the locale-independent behaviour) is the only value.
struct CFLocaleObject;
using CFLocaleRef = const CFLocaleObject*;

// A string that lives for the whole process, made from NUL-terminated UTF-8 text
// (the platform's constant strings). Equal texts give the same object; retaining and
// releasing it never destroys it. Null for null or malformed text.
CFStringRef CFStringMakeConstantString(const char* cStr);
#define CFSTR(cStr) ::keelward::CFStringMakeConstantString("" cStr "")

// A new mutable string holding a copy of `theString`'s code units; `maxLength` is a
// capacity hint (0: none) and is not enforced. Null when `theString` is null or
// `maxLength` is negative.
CFMutableStringRef CFStringCreateMutableCopy(CFAllocatorRef alloc, CFIndex maxLength, CFStringRef theString);

// The code unit at `idx`, or 0 when `idx` is outside the string.
UniChar CFStringGetCharacterAtIndex(CFStringRef theString, CFIndex idx);
// The string's code units, contiguous, valid until the string is next changed or
// released; null for a null string.
const UniChar* CFStringGetCharactersPtr(CFStringRef theString);

// Removes the code units of `range`.
void CFStringDelete(CFMutableStringRef theString, CFRange range);
// Replaces the code units of `range` by those of `replacement` (which may be the
// string itself).
void CFStringReplace(CFMutableStringRef theString, CFRange range, CFStringRef replacement);
// Replaces the whole contents by those of `replacement`.
void CFStringReplaceAll(CFMutableStringRef theString, CFStringRef replacement);

// Compares `rangeToCompare` of `theString1` with the whole of `theString2` in UTF-16
// code-unit order; with kCFCompareCaseInsensitive both sides are compared under full
// Unicode case folding (so "STRASSE" equals "straße"). Other option bits are ignored.
// A null string counts as empty; a range outside `theString1` answers
// kCFCompareLessThan without reading.
CFComparisonResult CFStringCompareWithOptions(CFStringRef theString1, CFStringRef theString2, CFRange rangeToCompare,
                                              CFStringCompareFlags compareOptions);

// Full Unicode case mapping in place, independent of any language (a null locale):
// the length may change ("ß" upper-cases to "SS"); unpaired surrogates are kept.
void CFStringUppercase(CFMutableStringRef theString, CFLocaleRef locale);
void CFStringLowercase(CFMutableStringRef theString, CFLocaleRef locale);

}  // namespace keelward
