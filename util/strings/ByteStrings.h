// Byte-string comparison and search, file-name extensions and character-set removal.
//
// Several names here (strnlen, stricmp, strnicmp, memrchr) also exist in C libraries
// with other signatures or rules. These live in namespace keelward: call them as
// keelward::strnlen etc. (code inside the namespace reaches them unqualified).
#pragma once

#include <keelward/Base.h>

namespace keelward {

// Number of bytes of `s` before its first NUL, at most `maximum`; reads no byte past
// the first NUL or past `maximum`.
UInt32 strnlen(const char* s, UInt32 maximum);

// Case-insensitive comparison of two NUL-terminated strings. Bytes are folded with
// tolower of the current locale and compared as unsigned values; a proper prefix
// sorts first. Returns exactly -1, 0 or 1.
SInt32 stricmp(const char* a, const char* b);

// As stricmp over at most `count` bytes; a count of 0 gives 0.
SInt32 strnicmp(const char* a, const char* b, UInt32 count);

// Compares the `count` bytes at `a` (which need not be terminated) with the
// NUL-terminated `b`: 0 only when they are equal and `b` ends right after them
// (so a counted word can be matched exactly); -1 when `a` sorts first or is a proper
// prefix of `b`, 1 otherwise. A NUL among a's bytes ends `a` there, so `count` may be
// kAutoLength for a terminated `a`.
SInt32 strncmpx(const char* a, UInt32 count, const char* b);

// strncmpx ignoring case (bytes folded as by stricmp).
SInt32 strnicmpx(const char* a, UInt32 count, const char* b);

// The last of the `count` bytes at `memory` whose value equals `value`, or null.
// A value outside 0..255 never matches (unlike the C library's memrchr).
const void* memrchr(const void* memory, int value, UInt32 count);
void* memrchr(void* memory, int value, UInt32 count);

// The extension of `name`: the text after its last ".", or a static empty string when
// there is no "." or the "." is followed by a digit 0-9 or a space (a version number,
// a sentence). A name ending in "." gives the empty string at its terminator.
const char* StringFileExtension(const char* name);

// The text after the last "." of `name` if it equals `extension` ignoring case, else
// null. No digit or space rule applies here.
const char* StringFileExtensionMatch(const char* name, const char* extension);

// As StringFileExtensionMatch against each of the extensions that follow `name`
// (each a const char*), up to a null pointer that ends the list; the first match wins.
const char* StringFileExtensionMatchList(const char* name, ...);

// Splits the UTF-16 file name `name` of `count` units (or kAutoLength) at its last
// "." into base and extension, with the digit and space rule of StringFileExtension.
// Without an extension the base is the whole name and the extension is the empty text
// at its end. All four results are expected; a null one is skipped.
void UTF16ParseFilename(const UniChar* name, UInt32 count, const UniChar** outBaseStart, UInt32* outBaseLength,
                        const UniChar** outExtensionStart, UInt32* outExtensionLength);

// Removes in place every character of `s` that occurs in `set` (whose NUL is not part
// of it); returns how many were removed.
UInt32 StringRemoveSet(char* s, const char* set);

// Removes in place every character of `s` that does not occur in `set`; returns how
// many were removed (all of them for an empty set).
UInt32 StringRemoveNotSet(char* s, const char* set);

}  // namespace keelward
