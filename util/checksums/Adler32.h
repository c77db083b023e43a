// Adler-32 (RFC 1950) and the CHRP NVRAM partition-header checksum.
#pragma once

#include <keelward/Base.h>

namespace keelward {

// The Adler-32 of `length` bytes at `data`, continuing `adler` (1 for the first
// piece). `blockLimit` is the number of bytes summed between reductions modulo 65521;
// 0 means 5552, and larger limits are treated as 5552, the most that cannot overflow.
// Every limit gives the same result. A length of 0 returns `adler` unchanged.
UInt32 Adler32(UInt32 adler, UInt32 blockLimit, const void* data, UInt32 length);

// The 8-bit sum with end-around carry of the `length` bytes at `data` (the checksum
// of a CHRP NVRAM partition header; the caller chooses the bytes covered).
UInt8 CHRPNVRAMChecksum(const void* data, UInt32 length);

}  // namespace keelward
