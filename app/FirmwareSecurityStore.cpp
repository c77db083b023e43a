#include "FirmwareSecurityStore.h"

#include <keelward/platform/IOKit/IOObjectOwner.h>

#include <cstring>
#include <new>
#include <string>
#include <string.h>  // explicit_bzero
#include <utility>

namespace keelward {
namespace {

constexpr std::size_t kModeTextSize = 50;
constexpr std::size_t kBootROMPropertySize = 100;

CFStringRef MakeString(const char* text) {
    return CFStringCreateWithCString(kCFAllocatorDefault, text, kCFStringEncodingMacRoman);
}

// Wipes a buffer that held a password, in a way the compiler may not drop.
void Wipe(void* bytes, std::size_t size) { explicit_bzero(bytes, size); }

}  // namespace

void XORBlockWithoutKey(UInt32 inDataSize, void* inData) {
    auto* bytes = static_cast<UInt8*>(inData);
    for (UInt32 i = 0; i < inDataSize; ++i) bytes[i] ^= kPasswordMask;
}

SInt32 GetSecurityMode(UInt32* outMode) {
    char modeString[kModeTextSize] = "bad";
    UInt32 mode = kNoSecurityMode;

    mach_port_t masterPort = MACH_PORT_NULL;
    if (const kern_return_t status = IOMasterPort(bootstrap_port, &masterPort); status != kIOReturnSuccess) {
        return status;
    }
    const IOObjectOwner options(IORegistryEntryFromPath(masterPort, kOptionsNodePath));
    if (!options) return 0;
    const CFOwned<CFStringRef> name(MakeString(kSecurityModeProperty));
    if (!name) return kPropertyNameUnavailableErr;
    const CFOwned<CFTypeRef> value(IORegistryEntryCreateCFProperty(options.get(), name.get(), kCFAllocatorDefault, 0));
    if (!value) return kSecurityModeUnavailableErr;

    // A value that is no string or does not fit leaves "bad", which matches no mode.
    CFStringGetCString(static_cast<CFStringRef>(value.get()), modeString, sizeof modeString,
                       kCFStringEncodingMacRoman);
    if (modeString[0] != '\0') {
        if (std::strcmp(modeString, kSecurityModeSpellings[kNoSecurityMode]) == 0) {
            mode = kNoSecurityMode;
        } else if (std::strcmp(modeString, kSecurityModeSpellings[kFullSecurityMode]) == 0) {
            mode = kFullSecurityMode;
        } else if (std::strcmp(modeString, kSecurityModeSpellings[kDefaultDeviceOnlyMode]) == 0) {
            mode = kDefaultDeviceOnlyMode;
        }
    }
    if (outMode != nullptr) *outMode = mode;
    return 0;
}

UInt32 SaveMode(UInt32 inMode) {
    if (inMode >= kSecurityModeSpellings.size()) return static_cast<UInt32>(kIOReturnBadArgument);
    return static_cast<UInt32>(SaveOpenFirmwareProperty(kSecurityModeProperty, kSecurityModeSpellings[inMode]));
}

SInt32 SavePassword(UInt32 passwordlength, char* newPassword) {
    if (newPassword == nullptr) return kIOReturnBadArgument;
    // Only the password's own bytes are stored: never what lies after its NUL, and
    // never bytes left unencoded when the count is shorter than the text.
    const std::size_t length = strnlen(newPassword, passwordlength);
    XORBlockWithoutKey(passwordlength, newPassword);
    if (std::memchr(newPassword, 0, length) != nullptr) return kIOReturnBadArgument;

    try {
        std::string encoded(newPassword, length);
        const SInt32 status = SaveOpenFirmwareProperty(kSecurityPasswordProperty, encoded.c_str());
        Wipe(encoded.data(), encoded.size());
        return status;
    } catch (const std::bad_alloc&) {
        return kIOReturnNoMemory;
    }
}

SInt32 SaveOpenFirmwareProperty(const char* propertyName, const char* value) {
    mach_port_t masterPort = MACH_PORT_NULL;
    if (const kern_return_t status = IOMasterPort(bootstrap_port, &masterPort); status != kIOReturnSuccess) {
        return status;
    }
    const IOObjectOwner options(IORegistryEntryFromPath(masterPort, kOptionsNodePath));
    if (!options) return 0;
    const CFOwned<CFStringRef> name(MakeString(propertyName));
    if (!name) return 0;
    const CFOwned<CFStringRef> text(MakeString(value));
    if (!text) return 0;
    return IORegistryEntrySetCFProperty(options.get(), name.get(), text.get());
}

Boolean HasRecentBootROM() {
    mach_port_t masterPort = MACH_PORT_NULL;
    if (IOMasterPort(MACH_PORT_NULL, &masterPort) != kIOReturnSuccess) return false;
    const IOObjectOwner bootROM(IORegistryEntryFromPath(masterPort, kBootROMNodePath));
    if (!bootROM) return false;
    char buffer[kBootROMPropertySize];
    UInt32 size = sizeof buffer;
    return IORegistryEntryGetProperty(bootROM.get(), kSecurityModesProperty, buffer, &size) == kIOReturnSuccess;
}

}  // namespace keelward
