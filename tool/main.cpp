// keelwardctl: sets the firmware password and security mode from the command line
// ("-pass<password>", "-mode<mode>", glued to their values), then prints the mode
// the firmware holds and exits with the status of the last write.
#include "FirmwareSecurityStore.h"
#include "OpenFirmwareProperties.h"

#include <keelward/platform/CoreFoundation/CFBundle.h>

#include <cstring>
#include <string.h>  // explicit_bzero

namespace keelward {
namespace {

constexpr std::size_t kPasswordBufferSize = 100;
constexpr std::size_t kMarkerSearchLimit = 100;
constexpr std::size_t kPasswordOffset = 5;  // the length of "-pass"

// Where `marker` starts within the first 100 characters of `argument` (it must
// end within them too), or null.
const char* FindMarker(const char* argument, const char* marker) {
    const std::size_t searched = strnlen(argument, kMarkerSearchLimit);
    const std::size_t markerLength = std::strlen(marker);
    for (std::size_t i = 0; i + markerLength <= searched; ++i) {
        if (std::memcmp(argument + i, marker, markerLength) == 0) return argument + i;
    }
    return nullptr;
}

// Writes the password that starts at the argument's sixth character.
SInt32 WritePassword(const char* argument) {
    char password[kPasswordBufferSize] = {};
    const char* text = argument + kPasswordOffset;
    const std::size_t length = std::strlen(text);
    SInt32 status;
    if (length >= kPasswordBufferSize) {
        // Cutting it would store another password than the one typed.
        status = kIOReturnBadArgument;
    } else {
        std::memcpy(password, text, length);
        XORBlockWithoutKey(static_cast<UInt32>(length), password);
        // The mask byte encodes to a NUL, which would end the stored password early.
        if (strnlen(password, length) != length) {
            status = kIOReturnBadArgument;
        } else {
            status = UpdateOpenFirmwareDataProperty(kSecurityPasswordProperty, password, static_cast<SInt32>(length));
        }
    }
    explicit_bzero(password, sizeof password);
    return status;
}

// An exit status keeps only the low 8 bits; a failure whose low byte is 0 must not
// read as success.
int ExitStatusFor(SInt32 result) {
    if (result == 0) return 0;
    const int low = result & 0xFF;
    return low != 0 ? low : 1;
}

}  // namespace
}  // namespace keelward

int main(int argc, char** argv) {
    using namespace keelward;
    // The program's own version, for the library's version calls.
    CFBundleSetMainBundleInfoValue("CFBundleShortVersionString", KEELWARD_VERSION);
    SInt32 result = 0;
    for (int i = 0; i < argc; ++i) {
        const char* argument = argv[i];
        if (FindMarker(argument, "-pass") != nullptr) result = WritePassword(argument);
        if (const char* mode = FindMarker(argument, "-mode"); mode != nullptr) {
            result = UpdateOpenFirmwareStringProperty(kSecurityModeProperty, mode + std::strlen("-mode"));
        }
    }
    PrintSecurityMode();
    return ExitStatusFor(result);
}
