// Integers to and from text: a 32-bit reader, decimal with thousands separators,
// UTF-16 digits, byte counts in units and a heap copy of a decimal string.
#pragma once

#include <keelward/Base.h>

namespace keelward {

// Reads a 32-bit integer from `text` (`length` bytes, or kAutoLength for
// NUL-terminated text). Skips leading white space; a "0x"/"0X" prefix selects
// radix 16 and "0b"/"0B" radix 2 whatever `radix` says; with radix 0 a leading 0
// followed by an octal digit selects radix 8, anything else radix 10. Only radix 10
// takes a sign. Reading stops at the first character that is not a digit of the
// radix; the accumulator wraps modulo 2^32. Radixes other than 0, 2, 8, 10 and 16,
// and text without digits, give 0. Never allocates.
SInt32 TextToInt32(const char* text, UInt32 length, SInt32 radix);

// Decimal with a comma between groups of three digits ("4,294,967,295").
// `buffer` must hold 14 bytes; returns it.
char* UInt32ToSeparatedString(UInt32 value, char* buffer);
// As UInt32ToSeparatedString with a leading "-" for negative values; 15 bytes.
char* SInt32ToSeparatedString(SInt32 value, char* buffer);
// 64-bit variants; `buffer` must hold 27 bytes.
char* UInt64ToSeparatedString(UInt64 value, char* buffer);
char* SInt64ToSeparatedString(SInt64 value, char* buffer);

// Plain decimal digits as UTF-16 followed by a zero UniChar; `buffer` must hold 11
// UniChars. Stores the number of digits in `outLength` when it is not null.
UniChar* UInt32ToUTF16String(UInt32 value, UniChar* buffer, UInt32* outLength);

// A byte count scaled by powers of 1024 with at most two decimals and no trailing
// zeros, then a space and "Bytes", "KB", "MB", "GB" or "TB" ("1.5 KB"). The quotient
// is computed in single precision. `buffer` must hold 12 bytes; returns it.
char* SizeToFormattedString(UInt64 size, char* buffer);

// A new NUL-terminated decimal string of `value`, released by the caller with free.
// Stores its length in `outLength` when that is not null. Returns kErrParam when
// `outString` is null, kErrNoMemory when the copy cannot be made; on failure nothing
// is stored.
SInt32 SInt32ToStringCopy(SInt32 value, char** outString, UInt32* outLength);

}  // namespace keelward
