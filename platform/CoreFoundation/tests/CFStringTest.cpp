#include <keelward/platform/CoreFoundation/CFOwned.h>
#include <keelward/platform/CoreFoundation/CFRuntimeInternal.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace keelward {
namespace {

std::u16string Characters(CFStringRef string) {
    std::u16string out(static_cast<std::size_t>(CFStringGetLength(string)), u'\0');
    CFStringGetCharacters(string, CFRangeMake(0, CFStringGetLength(string)), out.data());
    return out;
}

TEST(CFString, EveryMacRomanByteRoundTripsThroughUTF16) {
    std::string all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
    CFStringRef string = CFStringCreateWithCString(kCFAllocatorDefault, all.c_str(), kCFStringEncodingMacRoman);
    const CFOwned<CFTypeRef> guard(string);
    ASSERT_NE(string, nullptr);
    ASSERT_EQ(CFStringGetLength(string), 255);
    const std::u16string units = Characters(string);
    EXPECT_EQ(units[0x41 - 1], u'A');
    EXPECT_EQ(units[0x8E - 1], u'\u00E9');
    EXPECT_EQ(units[0xDB - 1], u'\u20AC');
    EXPECT_EQ(units[0xF0 - 1], u'\uF8FF');
    char back[256] = {};
    ASSERT_TRUE(CFStringGetCString(string, back, sizeof back, kCFStringEncodingMacRoman));
    EXPECT_EQ(std::string(back), all);
}

TEST(CFString, DecodingRefusesBytesTheEncodingLacks) {
    struct Case {
        const char* bytes;
        CFStringEncoding encoding;
        bool valid;
    };
    const Case cases[] = {
        {"plain", kCFStringEncodingASCII, true},
        {"caf\xE9", kCFStringEncodingASCII, false},
        {"caf\xE9", kCFStringEncodingISOLatin1, true},
        {"caf\xC3\xA9", kCFStringEncodingUTF8, true},
        {"\xF0\x9F\x98\x80", kCFStringEncodingUTF8, true},
        {"caf\xC3", kCFStringEncodingUTF8, false},          // truncated
        {"\xC0\xAF", kCFStringEncodingUTF8, false},          // overlong
        {"\xED\xA0\x80", kCFStringEncodingUTF8, false},      // surrogate
        {"\xF4\x90\x80\x80", kCFStringEncodingUTF8, false},  // above U+10FFFF
        {"x", 0x0100 /* UTF-16: not offered */, false},
    };
    for (const Case& c : cases) {
        CFStringRef string = CFStringCreateWithCString(kCFAllocatorDefault, c.bytes, c.encoding);
        const CFOwned<CFTypeRef> guard(string);
        EXPECT_EQ(string != nullptr, c.valid) << c.bytes;
    }
}

TEST(CFString, GetCStringFailsWithoutTouchingTheBufferWhenTextDoesNotFit) {
    CFStringRef string = CFStringCreateWithCString(kCFAllocatorDefault, "command", kCFStringEncodingMacRoman);
    const CFOwned<CFTypeRef> guard(string);
    char buffer[9];
    std::memset(buffer, 'Z', sizeof buffer);
    EXPECT_FALSE(CFStringGetCString(string, buffer, 7, kCFStringEncodingMacRoman));  // no room for the NUL
    EXPECT_EQ(std::string(buffer, 9), std::string(9, 'Z'));
    EXPECT_TRUE(CFStringGetCString(string, buffer, 8, kCFStringEncodingMacRoman));
    EXPECT_STREQ(buffer, "command");
    EXPECT_EQ(buffer[8], 'Z');
}

TEST(CFString, GetCStringFailsForCharactersWithoutAByte) {
    const UniChar units[] = {u'a', u'\u0141', u'b'};  // Ł: in neither Mac OS Roman nor Latin-1
    CFStringRef string = CFStringCreateWithCharacters(kCFAllocatorDefault, units, 3);
    const CFOwned<CFTypeRef> guard(string);
    char buffer[16] = "untouched";
    for (CFStringEncoding encoding : {kCFStringEncodingMacRoman, kCFStringEncodingISOLatin1, kCFStringEncodingASCII}) {
        EXPECT_FALSE(CFStringGetCString(string, buffer, sizeof buffer, encoding));
        EXPECT_STREQ(buffer, "untouched");
    }
    EXPECT_TRUE(CFStringGetCString(string, buffer, sizeof buffer, kCFStringEncodingUTF8));
    EXPECT_STREQ(buffer, "a\xC5\x81"
                         "b");
    UInt8 bytes[8];
    CFIndex used = 0;
    EXPECT_EQ(CFStringGetBytes(string, CFRangeMake(0, 3), kCFStringEncodingMacRoman, 0, false, bytes, 8, &used), 1);
    EXPECT_EQ(used, 1);
    EXPECT_EQ(CFStringGetBytes(string, CFRangeMake(0, 3), kCFStringEncodingMacRoman, '?', false, bytes, 8, &used), 3);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), static_cast<std::size_t>(used)), "a?b");
}

TEST(CFString, UnpairedSurrogateHasNoUTF8Form) {
    const UniChar units[] = {0xD800, u'x'};
    CFStringRef string = CFStringCreateWithCharacters(kCFAllocatorDefault, units, 2);
    const CFOwned<CFTypeRef> guard(string);
    char buffer[16];
    EXPECT_FALSE(CFStringGetCString(string, buffer, sizeof buffer, kCFStringEncodingUTF8));
}

TEST(CFString, MutableStringsGrowAndCharactersStayInRange) {
    CFMutableStringRef string = CFStringCreateMutable(kCFAllocatorDefault, 0);
    const CFOwned<CFTypeRef> guard(string);
    const UniChar hello[] = {u'h', u'e', u'l', u'l', u'o'};
    CFStringAppendCharacters(string, hello, 5);
    CFStringAppendCharacters(string, hello, 2);
    EXPECT_EQ(Characters(string), u"hellohe");
    UniChar out[3] = {u'-', u'-', u'-'};
    CFStringGetCharacters(string, CFRangeMake(6, 2), out);  // runs past the end: nothing copied
    EXPECT_EQ(out[0], u'-');
    CFStringGetCharacters(string, CFRangeMake(5, 2), out);
    EXPECT_EQ(std::u16string(out, 2), u"he");

    // An immutable string refuses to change.
    CFStringRef fixed = CFStringCreateWithCharacters(kCFAllocatorDefault, hello, 5);
    const CFOwned<CFTypeRef> guardFixed(fixed);
    CFStringAppendCharacters(const_cast<CFMutableStringRef>(fixed), hello, 5);
    EXPECT_EQ(CFStringGetLength(fixed), 5);
}

TEST(CFRuntime, RetainReleaseAndTypes) {
    const CFIndex before = CFRuntimeLiveObjectCount();
    const UInt8 bytes[] = {0, 1, 2};
    CFDataRef data = CFDataCreate(kCFAllocatorDefault, bytes, 3);
    CFStringRef string = CFStringCreateWithCString(kCFAllocatorDefault, "x", kCFStringEncodingASCII);
    EXPECT_EQ(CFGetTypeID(data), CFDataGetTypeID());
    EXPECT_EQ(CFGetTypeID(string), CFStringGetTypeID());
    EXPECT_NE(CFDataGetTypeID(), CFStringGetTypeID());
    EXPECT_EQ(CFStringGetLength(reinterpret_cast<CFStringRef>(data)), 0);  // wrong type: answers nothing
    EXPECT_EQ(CFDataGetLength(data), 3);
    EXPECT_EQ(CFDataGetBytePtr(data)[2], 2);
    EXPECT_EQ(CFRetain(data), data);
    EXPECT_EQ(CFGetRetainCount(data), 2);
    CFRelease(data);
    EXPECT_EQ(CFRuntimeLiveObjectCount(), before + 2);
    CFRelease(data);
    CFRelease(string);
    EXPECT_EQ(CFRuntimeLiveObjectCount(), before);
    EXPECT_EQ(CFDataCreate(kCFAllocatorDefault, nullptr, 4), nullptr);
    EXPECT_EQ(CFDataCreate(kCFAllocatorDefault, bytes, -1), nullptr);
    CFRelease(nullptr);
}

}  // namespace
}  // namespace keelward
