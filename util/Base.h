// Keelward base definitions: the integer types every interface speaks in, the
// automatic-length marker and the library's status codes.
#pragma once

#include <cstdint>

namespace keelward {

using UInt8 = std::uint8_t;
using SInt8 = std::int8_t;
using UInt16 = std::uint16_t;
using SInt16 = std::int16_t;
using UInt32 = std::uint32_t;
using SInt32 = std::int32_t;
using UInt64 = std::uint64_t;
using SInt64 = std::int64_t;

// 8 bits: 0 is false, any other value is true.
using Boolean = std::uint8_t;
inline constexpr Boolean kTrue = 1;
inline constexpr Boolean kFalse = 0;

// One UTF-16 code unit in host byte order.
using UniChar = char16_t;

// A length argument meaning "up to the terminating zero": strlen for 8-bit text,
// UTF16strlen for UTF-16.
inline constexpr UInt32 kAutoLength = UInt32(-1);

// Library status codes. 0 is success; platform codes (Memory Manager, I/O registry)
// are passed on unchanged beside these.
inline constexpr SInt32 kNoErr = 0;
inline constexpr SInt32 kErrUnexpected = -6700;           // an unexpected failure
inline constexpr SInt32 kErrParam = -6705;                // argument missing, null, negative or out of bounds
inline constexpr SInt32 kErrRange = -6710;                // number, offset or range outside what is allowed
inline constexpr SInt32 kErrFormat = -6717;               // string cannot be brought into the needed form
inline constexpr SInt32 kErrNotFound = -6727;             // something looked up is not there
inline constexpr SInt32 kErrNoMemory = -6728;             // an allocation failed
inline constexpr SInt32 kErrConversion = -6732;           // text cannot be converted between encodings
inline constexpr SInt32 kErrUnsupported = -6735;          // unrecognised format letter; set-up failed
inline constexpr SInt32 kErrValue = -6737;                // UTF-8: continuation byte required
inline constexpr SInt32 kErrFlags = -6741;                // undefined option bit; UTF-8 overlong form
inline constexpr SInt32 kErrMalformed = -6742;            // missing digits/separator, truncated UTF-8, no BOM
inline constexpr SInt32 kErrShortData = -6743;            // data ends before the field is complete
inline constexpr SInt32 kErrBadLeadByte = -6750;          // UTF-8: byte cannot begin a character
inline constexpr SInt32 kErrType = -6756;                 // undefined mode or type; value of the wrong type
inline constexpr SInt32 kErrAllocatorUnavailable = -2053; // built-in allocator that cannot allocate or free
inline constexpr SInt32 kErrBlockSizeMismatch = -23002;   // fixed-size allocator asked for another size

}  // namespace keelward
