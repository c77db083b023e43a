// The text readers over arbitrary bytes, in exact-size buffers so that a read past
// the given length is caught: integers in every radix, IPv4 and MAC addresses,
// versions. Failures store nothing (the MAC reader excepted), and what the writers
// print reads back.
#include <keelward/Utilities.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace keelward;

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

constexpr SInt32 kRadixes[] = {0, 2, 8, 10, 16, 7};
constexpr UInt32 kUntouched = 0xA5A5A5A5;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const SInt32 radix = kRadixes[data[0] % std::size(kRadixes)];
    const std::vector<char> text(data + 1, data + size);
    const char* chars = text.data();
    const auto length = static_cast<UInt32>(text.size());
    const std::string terminated(chars, length);

    // The automatic length measures up to the first NUL.
    Check(TextToInt32(terminated.c_str(), kAutoLength, radix) ==
          TextToInt32(chars, static_cast<UInt32>(std::strlen(terminated.c_str())), radix));
    TextToInt32(chars, length, radix);

    UInt32 address = kUntouched, mask = kUntouched, host = kUntouched;
    UInt16 port = 0xA5A5;
    if (TextToIPv4Address(chars, length, 80, &address, &port, &mask, &host) == kNoErr) {
        char printed[16];
        UInt32 again = 0;
        IPv4AddressToString(address, printed);
        Check(TextToIPv4Address(printed, kAutoLength, 0, &again, nullptr, nullptr, nullptr) == kNoErr);
        Check(again == address);
    } else {
        Check(address == kUntouched && mask == kUntouched && host == kUntouched && port == 0xA5A5);
    }

    UInt8 mac[6];
    if (TextToMACAddress(chars, length, mac) == kNoErr) {
        char printed[18];
        UInt8 again[6] = {};
        MACAddressToString(mac, printed);
        Check(TextToMACAddress(printed, kAutoLength, again) == kNoErr);
        Check(std::memcmp(mac, again, 6) == 0);
    }

    UInt32 version = kUntouched;
    if (TextToNumVersion(chars, length, &version) == kNoErr) {
        // Numbers too large for their field spill into the next one, and unknown
        // stage codes print no letter, so a version need not read back as itself;
        // but what is printed reads back to a version that prints the same.
        char printed[16];
        char reprinted[16];
        UInt32 again = 0;
        NumVersionToString(version, printed);
        Check(TextToNumVersion(printed, kAutoLength, &again) == kNoErr);
        NumVersionToString(again, reprinted);
        Check(std::strcmp(printed, reprinted) == 0);
    } else {
        Check(version == kUntouched);
    }
    return 0;
}
