// A program built against the installed library: one call into each area, its
// platform layers, and the zlib it brings along.
#include <keelward/Utilities.h>
#include <keelward/platform/CoreFoundation/CoreFoundation.h>

#include <cstdio>
#include <cstring>

namespace {

int gFailures = 0;

void Expect(bool condition, const char* what) {
    if (!condition) {
        std::printf("keelward consumer failed: %s\n", what);
        ++gFailures;
    }
}

}  // namespace

int main() {
    using namespace keelward;
    static_assert(kAutoLength == 0xFFFFFFFFu);

    CFStringRef text = CFStringCreateWithCString(kCFAllocatorDefault, "caf\x8E", kCFStringEncodingMacRoman);
    char utf8[16] = {};
    Expect(CFStringGetCString(text, utf8, sizeof utf8, kCFStringEncodingUTF8) && std::strcmp(utf8, "caf\xC3\xA9") == 0,
           "CoreFoundation strings");
    CFRelease(text);

    const char digits[] = "123456789";
    Expect(crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(digits), 9) == 0xCBF43926UL, "zlib");
    Expect(CRC32(0, digits, 9) == 0xCBF43926U, "checksums");
    Expect(TextToInt32("0x2A", kAutoLength, 0) == 42, "text");
    Expect(UTF8Valid("caf\xC3\xA9", kAutoLength) == kNoErr, "strings");
    UInt32 size = 0;
    Expect(PackedSize(&size, "bhw", 1, 2, 3) == kNoErr && size == 7, "buffers");
    void* block = nullptr;
    Expect(MemAllocate(kDefaultMemAllocator, kMemAllocateClear, 16, &block) == kNoErr && block != nullptr, "memory");
    MemFree(kDefaultMemAllocator, 0, block);
    Expect(!HasPageableSystemZone(), "probes");
    Expect(CFStringUtilitiesInitialize() == kNoErr, "cfstrings set-up");
    CFMutableStringRef number = CFStringCreateMutable(kCFAllocatorDefault, 0);
    UInt64ToFormattedCFString(1234567, number);
    Expect(CFStringGetLength(number) == 9, "cfstrings");
    CFRelease(number);
    CFStringUtilitiesFinalize();

    if (gFailures != 0) return 1;
    std::printf("keelward consumer ok (zlib %s)\n", zlibVersion());
    return 0;
}
