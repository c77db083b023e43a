#include "OpenFirmwareProperties.h"

#include "FirmwareSecurityStore.h"

#include <keelward/platform/IOKit/IOObjectOwner.h>

#include <cstdio>
#include <cstring>

namespace keelward {
namespace {

constexpr std::size_t kModeTextSize = 50;

// The steps both writers share: reach the options node, make the name, make the
// value with `makeValue`, set it.
template <typename MakeValue>
SInt32 UpdateProperty(const char* propertyName, MakeValue makeValue) {
    mach_port_t masterPort = MACH_PORT_NULL;
    if (const kern_return_t status = IOMasterPort(bootstrap_port, &masterPort); status != kIOReturnSuccess) {
        return status;
    }
    const IOObjectOwner options(IORegistryEntryFromPath(masterPort, kOptionsNodePath));
    if (!options) return 0;
    const CFOwned<CFStringRef> name(
        CFStringCreateWithCString(kCFAllocatorDefault, propertyName, kCFStringEncodingMacRoman));
    if (!name) return 0;
    const CFOwned<CFTypeRef> value(makeValue());
    if (!value) return 0;
    return IORegistryEntrySetCFProperty(options.get(), name.get(), value.get());
}

}  // namespace

SInt32 UpdateOpenFirmwareStringProperty(const char* propertyName, const char* value) {
    return UpdateProperty(propertyName, [value]() -> CFTypeRef {
        return CFStringCreateWithCString(kCFAllocatorDefault, value, kCFStringEncodingMacRoman);
    });
}

SInt32 UpdateOpenFirmwareDataProperty(const char* propertyName, const void* bytes, SInt32 count) {
    return UpdateProperty(propertyName, [bytes, count]() -> CFTypeRef {
        return CFDataCreate(kCFAllocatorDefault, static_cast<const UInt8*>(bytes), count);
    });
}

void PrintSecurityMode() {
    char modeText[kModeTextSize] = "bad";
    mach_port_t masterPort = MACH_PORT_NULL;
    if (IOMasterPort(bootstrap_port, &masterPort) == kIOReturnSuccess) {
        const IOObjectOwner options(IORegistryEntryFromPath(masterPort, kOptionsNodePath));
        if (options) {
            const CFOwned<CFStringRef> name(
                CFStringCreateWithCString(kCFAllocatorDefault, kSecurityModeProperty, kCFStringEncodingMacRoman));
            if (name) {
                const CFOwned<CFTypeRef> value(
                    IORegistryEntryCreateCFProperty(options.get(), name.get(), kCFAllocatorDefault, 0));
                // A text that does not fit the buffer is not converted: "bad" stays.
                if (value) {
                    CFStringGetCString(static_cast<CFStringRef>(value.get()), modeText, sizeof modeText,
                                       kCFStringEncodingMacRoman);
                }
            }
        }
    }
    std::fputs(modeText, stdout);
    std::fflush(stdout);
}

}  // namespace keelward
