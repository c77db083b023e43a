// IPv4 and hardware (MAC) addresses as text.
#pragma once

#include <keelward/Base.h>

namespace keelward {

// Reads an IPv4 address: a dotted quad ("192.168.1.10", parts decimal, at most 255)
// or a single number ("0x0A000001", "0b...", or decimal), optionally followed, in
// either order, by ":port" and "/prefix-length". Leading white space is skipped and
// trailing text is ignored. The address has the first dotted part in its most
// significant byte. Without ":" the port is `defaultPort`; without a valid prefix
// (0 to 32) the mask and the first host address are 0, otherwise the first host is
// (address AND mask) OR 1. Each result pointer may be null.
// Returns kErrRange for a dotted part above 255, kErrMalformed for a part without
// digits or a missing "."; on failure nothing is stored. Never allocates.
SInt32 TextToIPv4Address(const char* text, UInt32 length, UInt16 defaultPort, UInt32* outAddress,
                         UInt16* outPort, UInt32* outSubnetMask, UInt32* outFirstHost);

// "a.b.c.d", most significant byte first; `buffer` must hold 16 bytes. Returns it.
char* IPv4AddressToString(UInt32 address, char* buffer);

// Reads six hexadecimal groups (any number of digits each, value at most 0xFF)
// separated by ":", "-" or a space, in any mix. Leading white space is skipped and
// text after the sixth group is ignored. `outAddress` (6 bytes) may be null.
// Returns kErrRange for a group above 0xFF and kErrMalformed for a group without
// digits or a missing separator. Each byte is stored as soon as its group is read,
// so a failing call may already have written the leading bytes. Never allocates.
SInt32 TextToMACAddress(const char* text, UInt32 length, UInt8* outAddress);

// "00:0A:95:9D:68:16" (upper-case hexadecimal); `buffer` must hold 18 bytes.
char* MACAddressToString(const UInt8* address, char* buffer);

}  // namespace keelward
