// The Pack format: a packed record of big-endian integers, byte runs and
// NUL-terminated strings, laid out back to back as a format string of one-letter
// directives says.
//
//   " "  separator, no field
//   "b"  1 byte          Pack: int (low 8 bits)     Unpack: UInt8*
//   "h"  2 bytes         Pack: int (low 16 bits)    Unpack: UInt16*
//   "w"  4 bytes         Pack: UInt32               Unpack: UInt32*
//   "i"  count bytes     Pack: count, integer       Unpack: count, UInt32*
//   "n"  count bytes     Pack: count, const void*   Unpack: count, const UInt8** (into the data)
//   "s"  string + NUL    Pack: const char*          Unpack: const char** (into the data), UInt32* length
//
// Integers are int-sized variable arguments, counts unsigned; there are no 64-bit
// arguments. "i" writes the low count bytes of its value; a count above 4 writes the
// value zero-extended to count bytes and unpacks the last 4 of them, so that all three
// operations agree on the field's size. Every destination of Unpack may be null.
// Any other character fails with kErrUnsupported.
#pragma once

#include <keelward/Base.h>

#include <cstdarg>

namespace keelward {

// Stores the size of the record that Pack would write, where outSize is not null.
// kErrRange when it would not fit in 32 bits.
SInt32 PackedSize(UInt32* outSize, const char* inFormat, ...);
SInt32 PackedSizeVAList(UInt32* outSize, const char* inFormat, va_list inArgs);

// Writes the record at outBuffer, which must hold PackedSize bytes; `inBufferSize` is
// not read. Stores the count of bytes written where outSize is not null (only on
// success; earlier fields stay written when a directive fails).
SInt32 Pack(void* outBuffer, UInt32 inBufferSize, UInt32* outSize, const char* inFormat, ...);
SInt32 PackVAList(void* outBuffer, UInt32 inBufferSize, UInt32* outSize, const char* inFormat, va_list inArgs);

// Reads a record of `inSize` bytes, never outside them. kErrShortData when a field
// does not fit in what remains (or a string has no NUL before the end); values stored
// by earlier directives stay stored.
SInt32 Unpack(const void* inData, UInt32 inSize, const char* inFormat, ...);
SInt32 UnpackVAList(const void* inData, UInt32 inSize, const char* inFormat, va_list inArgs);

// Writes the low `inCount` (1 to 4) bytes of `inValue` big-endian; any other count
// writes nothing. Returns `inCount` so that callers can advance by it.
SInt32 PackN(void* outDest, SInt32 inCount, UInt32 inValue);

// Reads `inCount` (1 to 4) bytes as a big-endian number; any other count gives 0.
UInt32 UnpackN(const void* inSource, UInt32 inCount);

}  // namespace keelward
