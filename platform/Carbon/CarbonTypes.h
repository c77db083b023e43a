// Carbon stand-in: the basic types its services speak in.
//
// Ptr and Handle are declared exactly as the platform declares them (a handle is a
// pointer to a master pointer), so that these aliases and the Memory Manager
// stand-in's agree and either header may come first.
#pragma once

#include <keelward/Base.h>

namespace keelward {

using OSErr = SInt16;
using OSStatus = SInt32;
using OSType = UInt32;
using Ptr = char*;
using Handle = Ptr*;

// The four-character code of a selector or type, first character in the top byte:
// MakeOSType("sysv") is 0x73797376. Four characters exactly, checked at compile time.
consteval OSType MakeOSType(const char (&code)[5]) {
    return (OSType(UInt8(code[0])) << 24) | (OSType(UInt8(code[1])) << 16) |
           (OSType(UInt8(code[2])) << 8) | OSType(UInt8(code[3]));
}

}  // namespace keelward
