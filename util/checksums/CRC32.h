// CRC-32 of IEEE 802.3 (the reflected CRC of zlib, gzip and PNG).
#pragma once

#include <keelward/Base.h>

#include <atomic>

namespace keelward {

// The reflected CRC-32 table, one entry per byte value (entry 1 is 0x77073096). It is
// filled when the program is built, so CRC32 needs no set-up; CRC32Dynamic checks it
// once against the polynomial.
extern UInt32 kCRC32Table[256];

// Exponents of the generator polynomial below x^32.
extern const UInt8 kPolyTerms[14];

// 0 until the first CRC32Dynamic call has built (verified) the table, then 1.
extern std::atomic<Boolean> gCRC32TableInitialized;

// The CRC-32 of `length` bytes at `data`, continuing `crc` (0 for the first piece):
// CRC32(CRC32(0, A), B) is the CRC of A followed by B. A length of 0 returns 0,
// whatever `crc` is, and does not read `data`.
UInt32 CRC32(UInt32 crc, const void* data, UInt32 length);

// As CRC32, after building the table from the polynomial on the first call. Safe
// when several threads make the first call together.
UInt32 CRC32Dynamic(UInt32 crc, const void* data, UInt32 length);

}  // namespace keelward
