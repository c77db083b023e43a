// A program built against the installed library: uses its types, its platform
// layer and the zlib it brings along.
#include <keelward/Utilities.h>
#include <keelward/platform/CoreFoundation/CoreFoundation.h>

#include <cstdio>
#include <cstring>

int main() {
    using namespace keelward;
    static_assert(kAutoLength == 0xFFFFFFFFu);
    CFStringRef text = CFStringCreateWithCString(kCFAllocatorDefault, "caf\x8E", kCFStringEncodingMacRoman);
    char utf8[16] = {};
    const bool converted = CFStringGetCString(text, utf8, sizeof utf8, kCFStringEncodingUTF8);
    CFRelease(text);
    const char data[] = "123456789";
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(data), 9);
    if (!converted || std::strcmp(utf8, "caf\xC3\xA9") != 0 || crc != 0xCBF43926UL) {
        std::puts("keelward consumer failed");
        return 1;
    }
    std::printf("keelward consumer ok (zlib %s)\n", zlibVersion());
    return 0;
}
