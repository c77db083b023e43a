// UTF-8 validation, NUL-terminated UTF-16 strings, conversion between UTF-16, UTF-8
// and ISO 8859-1 (Latin-1), 16-bit byte swapping and Latin-1/Mac OS Roman translation.
//
// The converters hand over a new buffer from malloc, terminated by a zero byte or a
// zero UniChar, which the caller releases with free. The reported length excludes
// the terminator. Either result pointer may be null: the text is still converted and
// checked and its length reported. On failure nothing is stored through the result
// pointers and nothing stays allocated. A null input text is taken as empty when its
// length is 0 and gives kErrParam otherwise (here and in UTF8Valid).
#pragma once

#include <keelward/Base.h>
#include <keelward/strings/Latin1MacTables.h>

namespace keelward {

// Byte-order selector: the low four bits of the flags of UTF16toUTF8 and UTF8toUTF16.
// Values 0, 1 and 5-15 all mean host order.
inline constexpr UInt32 kUTF16HostOrder = 1;
inline constexpr UInt32 kUTF16BigEndian = 2;
inline constexpr UInt32 kUTF16LittleEndian = 3;
// Input: the text must begin with a byte-order mark (bytes FE FF: big-endian, FF FE:
// little-endian), which is dropped. Output: the bytes FE FF, then big-endian text.
inline constexpr UInt32 kUTF16ByteOrderMark = 4;
inline constexpr UInt32 kUTF16ByteOrderSelectorMask = 0xF;

// UTF8toLatin1: characters Latin-1 lacks become "?" instead of ending the conversion.
inline constexpr UInt32 kTextConversionLossy = 0x10000;

// Checks `length` bytes (or up to the NUL for kAutoLength) of UTF-8 and returns the
// status of the first fault: kErrBadLeadByte for a byte that cannot begin a character,
// kErrRange for the overlong leads C0 and C1, kErrFlags for an overlong form of three
// to six bytes, kErrValue where a continuation byte is missing, kErrMalformed when the
// text ends inside a sequence; 0 when valid. Five- and six-byte forms, encoded
// surrogates and values above U+10FFFF pass.
SInt32 UTF8Valid(const char* text, UInt32 length);

// Number of UniChars before the first zero UniChar.
UInt32 UTF16strlen(const UniChar* s);
// As UTF16strlen, at most `maximum`; reads nothing past the zero or the maximum.
UInt32 UTF16strnlen(const UniChar* s, UInt32 maximum);
// The last occurrence of `c` among the first `count` UniChars (kAutoLength: up to the
// terminator, which is never searched), or null.
const UniChar* UTF16strrchr(const UniChar* s, UInt32 count, UniChar c);
inline UniChar* UTF16strrchr(UniChar* s, UInt32 count, UniChar c) {
    return const_cast<UniChar*>(UTF16strrchr(static_cast<const UniChar*>(s), count, c));
}

// Converts `count` UniChars (or kAutoLength) in the order chosen by the selector in
// `flags` to UTF-8; the length is in bytes. kErrMalformed under kUTF16ByteOrderMark
// when the text does not begin with a mark. An unpaired surrogate cannot be encoded:
// kErrConversion. kErrNoMemory when memory runs out.
SInt32 UTF16toUTF8(const UniChar* text, UInt32 count, UInt32 flags, char** outUTF8, UInt32* outLength);

// Converts `length` bytes (or kAutoLength) of UTF-8 to UTF-16 in the order chosen by
// the selector in `flags` (under kUTF16ByteOrderMark: FE FF, then big-endian); the
// length is in UniChars and counts a written mark. kErrConversion for text that is not
// well-formed UTF-8: what UTF8Valid rejects, and the forms UTF-16 cannot hold
// (encoded surrogates, values above U+10FFFF). kErrNoMemory when memory runs out.
SInt32 UTF8toUTF16(const char* text, UInt32 length, UInt32 flags, UniChar** outUTF16, UInt32* outLength);

// Converts `length` Latin-1 bytes (or kAutoLength) to UTF-8. kErrNoMemory when memory
// runs out.
SInt32 Latin1toUTF8(const char* text, UInt32 length, char** outUTF8, UInt32* outLength);

// Converts `length` bytes of UTF-8 (or kAutoLength) to Latin-1. kErrConversion when the
// text is not well-formed UTF-8 (as for UTF8toUTF16). A character above U+00FF becomes
// "?" under kTextConversionLossy; otherwise the result ends before it, and when that
// leaves nothing of a non-empty text the status is kErrConversion. kErrNoMemory when
// memory runs out.
SInt32 UTF8toLatin1(const char* text, UInt32 length, UInt32 flags, char** outLatin1, UInt32* outLength);

// Translates `count` bytes (or up to the NUL for kAutoLength) in place through
// kLatin1ToMacTable / kMacToLatin1Table.
void Latin1ToMacText(char* text, UInt32 count);
void MacToLatin1Text(char* text, UInt32 count);

// Swaps the two bytes of each 16-bit unit of the first `byteCount` bytes (rounded
// down to an even count; an odd last byte is left alone), in place or from `source`
// to `destination`, which may be the same buffer but must not overlap otherwise.
void EndianSwapData16Bit(void* data, UInt32 byteCount);
void EndianSwapData16BitCopy(const void* source, UInt32 byteCount, void* destination);

}  // namespace keelward
