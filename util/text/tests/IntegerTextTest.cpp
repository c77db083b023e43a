#include <keelward/text/IntegerText.h>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>

namespace keelward {
namespace {

TEST(TextToInt32, PrefixesSignsStoppingAndWrapping) {
    struct Case {
        const char* text;
        SInt32 radix;
        SInt32 expected;
    };
    const Case cases[] = {
        {"  42", 0, 42},
        {"\t\n 42", 10, 42},
        {"0x1F", 0, 31},
        {"0x1F", 10, 31},  // the prefix overrides the radix
        {"0X1f", 16, 31},
        {"1F", 16, 31},
        {"0b101", 0, 5},
        {"0b1", 16, 1},  // "0b" wins although b is a hexadecimal digit
        {"017", 0, 15},
        {"017", 10, 17},
        {"08", 0, 8},  // 8 is no octal digit: decimal
        {"777", 8, 511},
        {"0x", 0, 0},
        {"-12abc", 0, -12},
        {"+7", 0, 7},
        {"- 5", 0, 0},  // no white space after the sign
        {"-0x10", 0, 0},
        {"-5", 16, 0},  // only radix 10 takes a sign
        {"12", 3, 0},
        {"12", 36, 0},
        {"4294967295", 0, -1},
        {"2147483648", 0, INT32_MIN},
        {"4294967296", 0, 0},
        {"0xFFFFFFFF", 0, -1},
        {"0x123456789", 0, 0x23456789},
        {"", 0, 0},
        {"   ", 0, 0},
        {"101", 2, 5},
        {"102", 2, 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TextToInt32(c.text, kAutoLength, c.radix), c.expected) << c.text << " radix " << c.radix;
    }
}

TEST(TextToInt32, ReadsExactlyTheGivenLength) {
    EXPECT_EQ(TextToInt32("123", 2, 0), 12);
    EXPECT_EQ(TextToInt32("123", 0, 0), 0);
    // A prefix needs two characters inside the length; a NUL inside it is no digit.
    EXPECT_EQ(TextToInt32("0x1F", 1, 0), 0);
    EXPECT_EQ(TextToInt32("0x1F", 2, 0), 0);
    EXPECT_EQ(TextToInt32("4\0" "5", 3, 0), 4);
    // Not NUL-terminated at all: no byte past the length is touched (checked by ASan).
    char* heap = static_cast<char*>(std::malloc(3));
    std::memcpy(heap, "987", 3);
    EXPECT_EQ(TextToInt32(heap, 3, 10), 987);
    std::free(heap);
}

TEST(SeparatedStrings, GroupsOfThreeWithFullMagnitudeOfTheMostNegative) {
    char b[27];
    EXPECT_STREQ(UInt32ToSeparatedString(0, b), "0");
    EXPECT_STREQ(UInt32ToSeparatedString(999, b), "999");
    EXPECT_STREQ(UInt32ToSeparatedString(1000, b), "1,000");
    EXPECT_STREQ(UInt32ToSeparatedString(100000, b), "100,000");
    EXPECT_STREQ(UInt32ToSeparatedString(4294967295U, b), "4,294,967,295");
    EXPECT_STREQ(SInt32ToSeparatedString(-1, b), "-1");
    EXPECT_STREQ(SInt32ToSeparatedString(-1000, b), "-1,000");
    EXPECT_STREQ(SInt32ToSeparatedString(INT32_MIN, b), "-2,147,483,648");
    EXPECT_STREQ(SInt32ToSeparatedString(INT32_MAX, b), "2,147,483,647");
    EXPECT_STREQ(UInt64ToSeparatedString(UINT64_MAX, b), "18,446,744,073,709,551,615");
    EXPECT_STREQ(SInt64ToSeparatedString(INT64_MIN, b), "-9,223,372,036,854,775,808");
    EXPECT_STREQ(SInt64ToSeparatedString(0, b), "0");
}

TEST(SeparatedStrings, StayWithinTheDocumentedBufferSizes) {
    // Exact-size heap buffers: ASan reports any byte written past them.
    auto check = [](std::size_t size, auto format, auto value, const char* expected) {
        char* buffer = static_cast<char*>(std::malloc(size));
        EXPECT_EQ(format(value, buffer), buffer);
        EXPECT_STREQ(buffer, expected);
        std::free(buffer);
    };
    check(14, UInt32ToSeparatedString, UInt32{4294967295U}, "4,294,967,295");
    check(15, SInt32ToSeparatedString, SInt32{INT32_MIN}, "-2,147,483,648");
    check(27, UInt64ToSeparatedString, UInt64{UINT64_MAX}, "18,446,744,073,709,551,615");
    check(27, SInt64ToSeparatedString, SInt64{INT64_MIN}, "-9,223,372,036,854,775,808");
    check(12, SizeToFormattedString, UInt64{UINT64_MAX}, "16777216 TB");
}

TEST(UInt32ToUTF16String, DigitsTerminatorAndCount) {
    UniChar b[11];
    UInt32 count = 99;
    EXPECT_EQ(UInt32ToUTF16String(0, b, &count), b);
    EXPECT_EQ(std::u16string(b), u"0");
    EXPECT_EQ(count, 1U);
    UInt32ToUTF16String(4294967295U, b, &count);
    EXPECT_EQ(std::u16string(b), u"4294967295");
    EXPECT_EQ(count, 10U);
    UInt32ToUTF16String(1234, b, nullptr);
    EXPECT_EQ(std::u16string(b), u"1234");
}

TEST(SizeToFormattedString, UnitsTrimmingAndSinglePrecision) {
    struct Case {
        UInt64 size;
        const char* expected;
    };
    const Case cases[] = {
        {0, "0 Bytes"},
        {1, "1 Bytes"},
        {1023, "1023 Bytes"},
        {1024, "1 KB"},
        {1536, "1.5 KB"},
        {1126, "1.1 KB"},
        {10240, "10 KB"},  // zeros before the point stay
        {1048575, "1024 KB"},
        {1048576, "1 MB"},
        {1073741823, "1024 MB"},
        {1073741824, "1 GB"},
        {UInt64{1} << 40, "1 TB"},
        {UINT64_MAX, "16777216 TB"},
        {16777217, "16 MB"},  // single precision rounds 2^24 + 1 down
    };
    char b[12];
    for (const Case& c : cases) EXPECT_STREQ(SizeToFormattedString(c.size, b), c.expected) << c.size;
}

TEST(SizeToFormattedString, DecimalPointIsAlwaysAFullStop) {
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    if (std::setlocale(LC_NUMERIC, "de_DE.utf8") == nullptr) GTEST_SKIP() << "no German locale installed";
    char b[12];
    const std::string text = SizeToFormattedString(1536, b);
    const std::string whole = SizeToFormattedString(2048, b);
    std::setlocale(LC_NUMERIC, previous.c_str());
    EXPECT_EQ(text, "1.5 KB");
    EXPECT_EQ(whole, "2 KB");
}

TEST(SInt32ToStringCopy, CopyLengthAndNullPointer) {
    char* text = nullptr;
    UInt32 length = 0;
    ASSERT_EQ(SInt32ToStringCopy(INT32_MIN, &text, &length), kNoErr);
    EXPECT_STREQ(text, "-2147483648");
    EXPECT_EQ(length, 11U);
    std::free(text);
    ASSERT_EQ(SInt32ToStringCopy(7, &text, nullptr), kNoErr);
    EXPECT_STREQ(text, "7");
    std::free(text);
    length = 55;
    EXPECT_EQ(SInt32ToStringCopy(7, nullptr, &length), kErrParam);
    EXPECT_EQ(length, 55U);
}

}  // namespace
}  // namespace keelward
