// Memory Manager stand-in: the platform's basic types and status codes.
//
// Other platform layers that speak in OSErr, Handle or Ptr include this header
// rather than declaring them again.
#pragma once

#include <keelward/Base.h>

namespace keelward {

using OSErr = SInt16;
using OSType = UInt32;
using SignedByte = SInt8;
using Size = SInt32;     // byte counts of blocks: signed 32 bits, as on the original platform
using Ptr = char*;       // a nonrelocatable block
using Handle = char**;   // a relocatable block, reached through its master pointer

using Str63 = unsigned char[64];    // Pascal strings: length byte, then the bytes
using Str255 = unsigned char[256];
using ConstStr63Param = const unsigned char*;
using ConstStr255Param = const unsigned char*;

inline constexpr OSErr noErr = 0;
inline constexpr OSErr paramErr = -50;       // an argument is out of range or null
inline constexpr OSErr memFullErr = -108;    // not enough memory of the kind asked for
inline constexpr OSErr nilHandleErr = -109;  // a handle (or its master pointer) is null
inline constexpr OSErr memWZErr = -111;      // the handle or pointer is no block of the Memory Manager
inline constexpr OSErr memPurErr = -112;     // a locked block cannot be made purgeable
inline constexpr OSErr memBCErr = -115;      // the address lies in no relocatable block
inline constexpr OSErr memSCErr = -116;      // a negative size
inline constexpr OSErr memLockedErr = -117;  // a locked block cannot be moved

inline constexpr OSErr cfragNoSymbolErr = -2802;   // the fragment exports no such symbol
inline constexpr OSErr cfragConnectionIDErr = -2801;
inline constexpr OSErr cfragNoLibraryErr = -2804;  // no fragment of that name

}  // namespace keelward
