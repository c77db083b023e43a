// Base64 (RFC 4648 alphabet with "=" padding) between byte blocks and 8-bit text in
// buffers the caller supplies. Nothing allocates and no output is NUL-terminated.
#pragma once

#include <keelward/Base.h>

namespace keelward {

// The 64 characters of the alphabet, indexed by 6-bit value.
extern const char kBase64EncodeTable[65];

// Per byte value: its 6-bit value for the 64 alphabet characters, kBase64PadMark for
// "=", kBase64SkipMark for every other byte.
inline constexpr UInt8 kBase64SkipMark = 64;
inline constexpr UInt8 kBase64PadMark = 99;
extern const UInt8 kBase64DecodeTable[256];

// Characters Base64Encode writes for `byteCount` bytes: ((n + 2) / 3) * 4.
UInt32 Base64EncodedSize(UInt32 byteCount);

// Encodes `byteCount` bytes into `output` (room for `capacity` characters) as one
// unbroken run, padding the final group with "=". Returns the characters written, or
// -1 when the room ran out; then the groups that fitted are in the output and their
// count is stored. The count is stored in `outCount` when it is not null.
SInt32 Base64Encode(const void* data, UInt32 byteCount, UInt32 capacity, char* output, UInt32* outCount);

// Bytes Base64EncodeLines writes: E + L * (tabCount + 1), with E =
// Base64EncodedSize(byteCount) and L = E / 76 rounded up.
UInt32 Base64EncodedLinesSize(UInt32 byteCount, UInt32 tabCount);

// Encodes into lines of at most 76 characters, each indented by `tabCount` tabs and
// ended by a line feed; nothing at all for 0 bytes. `output` must hold
// Base64EncodedLinesSize bytes. Stores the bytes written in `outCount` when not null.
void Base64EncodeLines(const void* data, UInt32 byteCount, UInt32 tabCount, char* output, UInt32* outCount);

// The most bytes `characterCount` characters can decode to: ((m + 3) / 4) * 3.
UInt32 Base64DecodedMaxSize(UInt32 characterCount);

// The number of alphabet characters (not "=", not skipped bytes) in the text, which
// is never less than the bytes Base64Decode writes.
UInt32 Base64DecodedSize(const char* text, UInt32 characterCount);

// Decodes leniently: bytes outside the alphabet are skipped, decoding stops at the
// first "=", and an unfinished final group is dropped. A lone character before "="
// gives one byte whose two low bits are 0. Returns the bytes written, or -1 when the
// `capacity` ran out (the groups that fitted are written and counted). The count is
// stored in `outCount` when it is not null.
SInt32 Base64Decode(const char* text, UInt32 characterCount, UInt32 capacity, void* output, UInt32* outCount);

}  // namespace keelward
