// The PackData format: records that mix byte orders and carry text, written and read
// by a format string of one-letter directives with no separator.
//
//   letter    field                        PackData args         UnpackData args
//   "b"       1 byte                       int                   UInt8*
//   "h" "H"   2 bytes, big / little end.   int                   UInt16*
//   "t" "T"   3 bytes, big / little end.   int                   UInt32* (zero-extended)
//   "w" "W"   4 bytes, big / little end.   UInt32                UInt32*
//   "1".."9"  1 to 9 bytes as they are     const void*           void* of that size
//   "n"       count bytes as they are      count, const void*    count, void*
//   "@#$%^&*(" 2..9 bytes reversed         const void*           void* of that size
//   "N"       count bytes reversed         count, const void*    count, void*
//   "l"       count bytes of Latin-1       count, Mac OS Roman   count, void* (Mac OS Roman)
//   "p"       length byte + characters     const UInt8*          capacity, UInt8* (shortened to fit)
//   "s"       string + NUL                 const char*           capacity, char* (cut to capacity)
//   "S"       fixed-size text field        (unrecognised)        field size, capacity, char*
//
// A reversed field holds the memory block's last byte first; on this little-endian
// host, reversing a native integer therefore gives its big-endian field. Counts and
// capacities are unsigned int arguments. Any other character fails with -1.
#pragma once

#include <keelward/Base.h>

#include <cstdarg>

namespace keelward {

// Writes the record at outBuffer, which must have room for all of it. Returns the
// bytes written, or -1 at an unrecognised directive (earlier fields stay written).
SInt32 PackData(void* outBuffer, const char* inFormat, ...);
SInt32 PackDataList(void* outBuffer, const char* inFormat, va_list inArgs);

// Reads a record from the `inSize` bytes at inData, never outside them, and returns
// the bytes consumed (left-over bytes are no error) or -1 when a field needs more than
// remains, a "s" string has no NUL before the end, or a directive is unrecognised;
// values stored by earlier directives stay stored. A string stored from "s" whose
// capacity is too small is cut without a NUL; "S" always stores a terminated string,
// also when its field runs past the end of the data (that directive then fails with
// -1 after storing what the data holds). A null destination is skipped.
SInt32 UnpackData(UInt32 inSize, const void* inData, const char* inFormat, ...);
SInt32 UnpackDataList(UInt32 inSize, const void* inData, const char* inFormat, va_list inArgs);

// Reverses `inLength` bytes in place.
void MemReverse(void* ioBlock, UInt32 inLength);

// Writes the `inCount` source bytes to outDest in reverse order; the blocks must not
// overlap.
void MemReverseCopy(const void* inSource, UInt32 inCount, void* outDest);

}  // namespace keelward
