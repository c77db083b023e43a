// The firmware security store: reads and writes the Open Firmware security mode and
// password through the I/O registry, and tells whether the boot ROM knows security
// modes. Every operation obtains what it needs afresh and releases it before it
// returns; nothing is kept between calls.
#pragma once

#include <keelward/platform/IOKit/IOKitLib.h>

#include <array>

namespace keelward {

// The protection the firmware enforces at start-up; travels as a UInt32.
enum SecurityMode : UInt32 {
    kNoSecurityMode = 0,         // "none"
    kDefaultDeviceOnlyMode = 1,  // "command": boots without the password only from the default device
    kFullSecurityMode = 2,       // "full"
};

// The firmware's spelling of each mode, indexed by its value.
inline constexpr std::array<const char*, 3> kSecurityModeSpellings = {"none", "command", "full"};

inline constexpr char kOptionsNodePath[] = "IODeviceTree:/options";
inline constexpr char kBootROMNodePath[] = "IODeviceTree:/rom/boot-rom";
inline constexpr char kSecurityModeProperty[] = "security-mode";
inline constexpr char kSecurityPasswordProperty[] = "security-password";
inline constexpr char kSecurityModesProperty[] = "security-modes";

// Every byte of a stored password is the typed byte exclusive-or this mask.
inline constexpr UInt8 kPasswordMask = 0x5D;

// Statuses of the store's own (all others are the registry's).
inline constexpr SInt32 kSecurityModeUnavailableErr = -98;  // the options node has no "security-mode"
inline constexpr SInt32 kPropertyNameUnavailableErr = -99;  // a property name could not be made

// Reads the firmware's mode into *outMode (when not null). A text other than the
// three spellings reads as kNoSecurityMode. Returns 0, also when there is no options
// node (then *outMode is untouched); -98 when the variable is missing, -99 when its
// name cannot be made; the registry's status when it cannot be reached.
SInt32 GetSecurityMode(UInt32* outMode);

// Writes the spelling of `inMode` as "security-mode". A value other than 0, 1, 2 is
// refused with kIOReturnBadArgument and nothing is written.
UInt32 SaveMode(UInt32 inMode);

// Encodes the first `passwordlength` bytes of `newPassword` in place and writes them
// as "security-password"; the caller's buffer is left encoded whatever the outcome.
// The value ends at the password's NUL when that comes first. A password holding
// the mask byte (which would encode to a NUL and cut the stored value short) is
// refused with kIOReturnBadArgument and nothing is written.
SInt32 SavePassword(UInt32 passwordlength, char* newPassword);

// Exclusive-or of each of the `inDataSize` bytes with the mask; its own inverse.
void XORBlockWithoutKey(UInt32 inDataSize, void* inData);

// Sets the options node's `propertyName` to the text `value` (Mac OS Roman). Returns
// the write's status; 0 without writing when there is no options node or a string
// cannot be made.
SInt32 SaveOpenFirmwareProperty(const char* propertyName, const char* value);

// Whether the boot ROM node carries "security-modes".
Boolean HasRecentBootROM();

}  // namespace keelward
