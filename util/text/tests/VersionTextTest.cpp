#include <keelward/platform/CoreFoundation/CFBundleInternal.h>
#include <keelward/platform/CoreFoundation/CFData.h>
#include <keelward/text/VersionText.h>

#include <gtest/gtest.h>

#include <string>

namespace keelward {
namespace {

TEST(TextToNumVersion, FieldsStagesAndRoundTrips) {
    struct Case {
        const char* text;
        UInt32 whole;
        const char* printed;  // NumVersionToString of the result
    };
    const Case cases[] = {
        {"1.2.3b4", 0x01236004, "1.2.3b4"},
        {"10.4", 0x0A408000, "10.4"},
        {"2", 0x02008000, "2.0"},
        {"  2.0", 0x02008000, "2.0"},
        {"1.0f1", 0x01008001, "1.0f1"},
        {"1.0", 0x01008000, "1.0"},
        {"1.2A5", 0x01204005, "1.2a5"},
        {"1.2d", 0x01202000, "1.2d0"},
        {"1.2 beta 3", 0x01208000, "1.2"},   // the space is the stage character
        {"12a3", 0x0C308000, "12.3"},        // the a is skipped as the separator
        {"1.16", 0x01008000, "1.0"},         // minor 16 spills into the major byte
        {"1.2.", 0x01208000, "1.2"},         // the "." itself is the stage letter
        {"1.2.3", 0x01238000, "1.2.3"},
        {"1.2-7", 0x01208007, "1.2f7"},
        {"1.2a300", 0x0120412C, "1.2"},      // 300 overlaps the stage byte
        {"257.1", 0x01108000, "1.1"},        // the major keeps its low 8 bits
    };
    for (const Case& c : cases) {
        UInt32 whole = 0;
        ASSERT_EQ(TextToNumVersion(c.text, kAutoLength, &whole), kNoErr) << c.text;
        EXPECT_EQ(whole, c.whole) << c.text << std::hex << " got " << whole;
        char printed[16];
        EXPECT_STREQ(NumVersionToString(whole, printed), c.printed) << c.text;
    }
}

TEST(TextToNumVersion, MalformedLengthAndPureCheck) {
    UInt32 whole = 0xDEADBEEF;
    EXPECT_EQ(TextToNumVersion("v1.2", kAutoLength, &whole), kErrMalformed);
    EXPECT_EQ(TextToNumVersion("", kAutoLength, &whole), kErrMalformed);
    EXPECT_EQ(TextToNumVersion("   ", kAutoLength, &whole), kErrMalformed);
    EXPECT_EQ(whole, 0xDEADBEEFU);
    EXPECT_EQ(TextToNumVersion("1.2.3b4", 3, &whole), kNoErr);
    EXPECT_EQ(whole, 0x01208000U);
    EXPECT_EQ(TextToNumVersion("1.2", kAutoLength, nullptr), kNoErr);
}

TEST(NumVersionToString, StageSpellings) {
    char b[16];
    EXPECT_STREQ(NumVersionToString(0x01004000, b), "1.0a0");
    EXPECT_STREQ(NumVersionToString(0x01005007, b), "1.0");  // unknown stage code
    EXPECT_STREQ(NumVersionToString(0xFFFF20FF, b), "255.15.15d255");
    const NumVersion parts = NumVersionVariant{0x01236004}.parts();
    EXPECT_EQ(parts.majorRev, 1);
    EXPECT_EQ(parts.minorAndBugRev, 0x23);
    EXPECT_EQ(parts.stage, betaStage);
    EXPECT_EQ(parts.nonRelRev, 4);
    EXPECT_EQ(NumVersionVariant::FromParts(parts).whole, 0x01236004U);
}

TEST(NumVersionCompare, OrdersFieldsStagesAndFinalCandidates) {
    auto v = [](const char* text) {
        UInt32 whole = 0;
        EXPECT_EQ(TextToNumVersion(text, kAutoLength, &whole), kNoErr);
        return whole;
    };
    struct Case {
        const char* older;
        const char* newer;
    };
    const Case cases[] = {
        {"1.0d5", "1.0a1"}, {"1.0a9", "1.0b1"}, {"1.0b9", "1.0f1"}, {"1.0f1", "1.0"},
        {"1.0f1", "1.0f2"}, {"1.0", "1.0.1"},   {"1.9", "2.0d1"},   {"9.0", "10.0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NumVersionCompare(v(c.older), v(c.newer)), -1) << c.older << " < " << c.newer;
        EXPECT_EQ(NumVersionCompare(v(c.newer), v(c.older)), 1) << c.newer << " > " << c.older;
    }
    EXPECT_EQ(NumVersionCompare(v("1.2.3b4"), v("1.2.3b4")), 0);
    EXPECT_EQ(NumVersionCompare(v("1.0"), v("1.0")), 0);
}

class MainBundleVersion : public ::testing::Test {
protected:
    void SetUp() override { CFBundleResetMainBundle(); }
    void TearDown() override { CFBundleResetMainBundle(); }
};

TEST_F(MainBundleVersion, ReadsTheShortVersionString) {
    ASSERT_TRUE(CFBundleSetMainBundleInfoValue("CFBundleShortVersionString", "1.2.3b4"));
    CFStringRef string = nullptr;
    ASSERT_EQ(CFBundleGetShortVersionString(&string), kNoErr);
    char text[32];
    ASSERT_TRUE(CFStringGetCString(string, text, sizeof text, kCFStringEncodingASCII));
    EXPECT_STREQ(text, "1.2.3b4");
    EXPECT_EQ(CFBundleGetShortVersionString(nullptr), kNoErr);
    UInt32 whole = 0;
    ASSERT_EQ(CFBundleGetShortVersion(&whole), kNoErr);
    EXPECT_EQ(whole, 0x01236004U);
}

TEST_F(MainBundleVersion, MissingBundleValueOrWrongType) {
    UInt32 whole = 0xDEADBEEF;
    CFStringRef string = nullptr;
    EXPECT_EQ(CFBundleGetShortVersionString(&string), kErrNotFound);
    EXPECT_EQ(CFBundleGetShortVersion(&whole), kErrNotFound);

    ASSERT_TRUE(CFBundleSetMainBundleInfoValue("CFBundleName", "keelwardctl"));
    EXPECT_EQ(CFBundleGetShortVersion(&whole), kErrNotFound);

    const UInt8 bytes[] = {'1', '.', '0'};
    CFDataRef data = CFDataCreate(kCFAllocatorDefault, bytes, sizeof bytes);
    ASSERT_TRUE(CFBundleSetMainBundleInfoObject("CFBundleShortVersionString", data));
    CFRelease(data);
    EXPECT_EQ(CFBundleGetShortVersionString(&string), kErrType);
    EXPECT_EQ(CFBundleGetShortVersion(&whole), kErrType);

    ASSERT_TRUE(CFBundleSetMainBundleInfoValue("CFBundleShortVersionString", "caf\xC3\xA9 1.0"));
    EXPECT_EQ(CFBundleGetShortVersion(&whole), kErrFormat);
    EXPECT_EQ(string, nullptr);
    EXPECT_EQ(whole, 0xDEADBEEFU);
}

TEST(CFStringToNumVersion, AtMostThirtyOneAsciiCharacters) {
    auto convert = [](const std::string& text, UInt32* whole) {
        CFStringRef string = CFStringCreateWithCString(kCFAllocatorDefault, text.c_str(), kCFStringEncodingUTF8);
        const SInt32 status = CFStringToNumVersion(string, whole);
        CFRelease(string);
        return status;
    };
    UInt32 whole = 0;
    EXPECT_EQ(convert("10.4" + std::string(27, ' '), &whole), kNoErr);  // 31 characters
    EXPECT_EQ(whole, 0x0A408000U);
    EXPECT_EQ(convert("10.4" + std::string(28, ' '), &whole), kErrFormat);
    EXPECT_EQ(convert("1.0\xC3\xA9", &whole), kErrFormat);
    EXPECT_EQ(CFStringToNumVersion(nullptr, &whole), kErrFormat);
    EXPECT_EQ(convert("x", &whole), kErrMalformed);
}

}  // namespace
}  // namespace keelward
