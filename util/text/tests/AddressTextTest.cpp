#include <keelward/text/AddressText.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>

namespace keelward {
namespace {

struct IPv4Result {
    SInt32 status;
    UInt32 address;
    UInt16 port;
    UInt32 mask;
    UInt32 firstHost;
};

constexpr UInt32 kUntouched = 0xDEADBEEF;
constexpr UInt16 kUntouchedPort = 0xBEEF;

IPv4Result ReadIPv4(const char* text) {
    IPv4Result r{0, kUntouched, kUntouchedPort, kUntouched, kUntouched};
    r.status = TextToIPv4Address(text, kAutoLength, 548, &r.address, &r.port, &r.mask, &r.firstHost);
    return r;
}

TEST(TextToIPv4Address, AcceptedForms) {
    struct Case {
        const char* text;
        UInt32 address;
        UInt16 port;
        UInt32 mask;
        UInt32 firstHost;
    };
    const Case cases[] = {
        {"192.168.1.10", 0xC0A8010A, 548, 0, 0},
        {"  192.168.001.010", 0xC0A8010A, 548, 0, 0},
        {"10.0.0.7/8:80", 0x0A000007, 80, 0xFF000000, 0x0A000001},
        {"10.0.0.7:80/8", 0x0A000007, 80, 0xFF000000, 0x0A000001},
        {"1.2.3.4.5", 0x01020304, 548, 0, 0},
        {"1.2.3.4xyz", 0x01020304, 548, 0, 0},
        {"0x0A000001/24", 0x0A000001, 548, 0xFFFFFF00, 0x0A000001},
        {"0b11", 3, 548, 0, 0},
        {"258", 0x00000102, 548, 0, 0},
        {"-1", 0xFFFFFFFF, 548, 0, 0},
        {"07", 7, 548, 0, 0},
        {"1.2.3.4/0", 0x01020304, 548, 0, 1},
        {"1.2.3.4/32", 0x01020304, 548, 0xFFFFFFFF, 0x01020305},
        {"1.2.3.4/33", 0x01020304, 548, 0, 0},
        {"1.2.3.4/", 0x01020304, 548, 0, 0},
        {"1.2.3.4/320", 0x01020304, 548, 0, 0},
        {"1.2.3.4:70000", 0x01020304, 4464, 0, 0},
        {"1.2.3.4:", 0x01020304, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const IPv4Result r = ReadIPv4(c.text);
        EXPECT_EQ(r.status, kNoErr) << c.text;
        EXPECT_EQ(r.address, c.address) << c.text;
        EXPECT_EQ(r.port, c.port) << c.text;
        EXPECT_EQ(r.mask, c.mask) << c.text;
        EXPECT_EQ(r.firstHost, c.firstHost) << c.text;
    }
}

TEST(TextToIPv4Address, ErrorsStoreNothing) {
    struct Case {
        const char* text;
        SInt32 status;
    };
    const Case cases[] = {
        {"256.1.1.1", kErrRange}, {"1.2.3.999", kErrRange}, {"1.2.3", kErrMalformed}, {"1..2.3", kErrMalformed},
        {"7", kErrMalformed},     {"", kErrMalformed},      {"1.2.3.", kErrMalformed}, {"a.b.c.d", kErrMalformed},
    };
    for (const Case& c : cases) {
        const IPv4Result r = ReadIPv4(c.text);
        EXPECT_EQ(r.status, c.status) << c.text;
        EXPECT_EQ(r.address, kUntouched) << c.text;
        EXPECT_EQ(r.port, kUntouchedPort) << c.text;
        EXPECT_EQ(r.mask, kUntouched) << c.text;
        EXPECT_EQ(r.firstHost, kUntouched) << c.text;
    }
}

TEST(TextToIPv4Address, RespectsLengthAndNullResults) {
    // The length cuts the text before the port and the prefix.
    const char text[] = "10.0.0.7/8:80";
    UInt32 address = 0;
    UInt16 port = 0;
    UInt32 mask = 1;
    ASSERT_EQ(TextToIPv4Address(text, 8, 548, &address, &port, &mask, nullptr), kNoErr);
    EXPECT_EQ(address, 0x0A000007U);
    EXPECT_EQ(port, 548);
    EXPECT_EQ(mask, 0U);
    // A pure check, on a buffer with no terminator (ASan would report an overread).
    char* heap = static_cast<char*>(std::malloc(7));
    std::memcpy(heap, "1.2.3.4", 7);
    EXPECT_EQ(TextToIPv4Address(heap, 7, 0, nullptr, nullptr, nullptr, nullptr), kNoErr);
    std::free(heap);
}

TEST(IPv4AddressToString, DottedMostSignificantFirst) {
    char b[16];
    EXPECT_STREQ(IPv4AddressToString(0xC0A8010A, b), "192.168.1.10");
    EXPECT_STREQ(IPv4AddressToString(0xFFFFFFFF, b), "255.255.255.255");
    EXPECT_STREQ(IPv4AddressToString(0, b), "0.0.0.0");
}

TEST(TextToMACAddress, GroupsAndSeparators) {
    const std::array<UInt8, 6> expected = {0x00, 0x0A, 0x95, 0x9D, 0x68, 0x16};
    for (const char* text : {"00:0a:95:9D:68:16", "0-a 95:9d-68 16", " 000000:0A:95:9D:68:16xyz"}) {
        std::array<UInt8, 6> mac{};
        EXPECT_EQ(TextToMACAddress(text, kAutoLength, mac.data()), kNoErr) << text;
        EXPECT_EQ(mac, expected) << text;
    }
    std::array<UInt8, 6> mac{};
    ASSERT_EQ(TextToMACAddress("000000A:1:2:3:4:5", kAutoLength, mac.data()), kNoErr);
    EXPECT_EQ(mac[0], 0x0A);
    EXPECT_EQ(TextToMACAddress("00:0a:95:9D:68:16", kAutoLength, nullptr), kNoErr);
}

TEST(TextToMACAddress, ErrorsKeepTheBytesAlreadyRead) {
    struct Case {
        const char* text;
        SInt32 status;
        int bytesWritten;
    };
    const Case cases[] = {
        {"100:0a:95:9D:68:16", kErrRange, 0},
        {"00:0a:95", kErrMalformed, 3},
        {"00:0a:95:9D:68:", kErrMalformed, 5},
        {"00::95:9D:68:16", kErrMalformed, 1},
        {"00.0a:95:9D:68:16", kErrMalformed, 1},
        {"00:0a:95:9D:68:1FF", kErrRange, 5},
        {"", kErrMalformed, 0},
    };
    for (const Case& c : cases) {
        std::array<UInt8, 6> mac;
        mac.fill(0xEE);
        EXPECT_EQ(TextToMACAddress(c.text, kAutoLength, mac.data()), c.status) << c.text;
        for (int i = c.bytesWritten; i < 6; ++i) EXPECT_EQ(mac[i], 0xEE) << c.text << " byte " << i;
        if (c.bytesWritten > 0) {
            EXPECT_NE(mac[c.bytesWritten - 1], 0xEE) << c.text;
        }
    }
}

TEST(MACAddressToString, UpperCaseWithColons) {
    const UInt8 mac[6] = {0x00, 0x0A, 0x95, 0x9D, 0x68, 0x16};
    char b[18];
    EXPECT_STREQ(MACAddressToString(mac, b), "00:0A:95:9D:68:16");
}

}  // namespace
}  // namespace keelward
