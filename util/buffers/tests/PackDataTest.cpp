#include <keelward/buffers/PackData.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <string>
#include <vector>

namespace keelward {
namespace {

using Bytes = std::vector<UInt8>;

Bytes Packed(SInt32 inResult, const UInt8* inBuffer) {
    EXPECT_GE(inResult, 0);
    return inResult < 0 ? Bytes{} : Bytes(inBuffer, inBuffer + inResult);
}

TEST(PackDataTest, IntegersInBothByteOrders) {
    struct Case {
        const char* format;
        UInt32 value;
        Bytes packed;
        UInt32 unpacked;
    };
    const Case cases[] = {
        {"b", 0x1FF, {0xFF}, 0xFF},
        {"h", 0x1234, {0x12, 0x34}, 0x1234},
        {"H", 0x1234, {0x34, 0x12}, 0x1234},
        {"t", 0xAA123456, {0x12, 0x34, 0x56}, 0x123456},
        {"T", 0xAA123456, {0x56, 0x34, 0x12}, 0x123456},
        {"w", 0x12345678, {0x12, 0x34, 0x56, 0x78}, 0x12345678},
        {"W", 0x12345678, {0x78, 0x56, 0x34, 0x12}, 0x12345678},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        UInt8 out[8];
        EXPECT_EQ(Packed(PackData(out, c.format, c.value), out), c.packed);

        // Each letter stores with its own width: the bytes above it stay untouched.
        UInt32 value = 0xEEEEEEEE;
        ASSERT_EQ(UnpackData(static_cast<UInt32>(c.packed.size()), c.packed.data(), c.format, &value),
                  static_cast<SInt32>(c.packed.size()));
        UInt32 expected = 0xEEEEEEEE;
        const std::size_t width = c.format[0] == 'b' ? 1 : (c.format[0] == 'h' || c.format[0] == 'H') ? 2 : 4;
        std::memcpy(&expected, &c.unpacked, width);  // little-endian host: the low bytes come first
        EXPECT_EQ(value, expected);
    }
}

TEST(PackDataTest, FixedByteRunsUnchangedAndReversed) {
    const UInt8 source[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    const std::string digits = "123456789";
    const std::string reversed = "@#$%^&*(";
    for (UInt32 width = 1; width <= 9; ++width) {
        for (const bool reverse : {false, true}) {
            if (reverse && width == 1) continue;
            const char format[2] = {reverse ? reversed[width - 2] : digits[width - 1], '\0'};
            SCOPED_TRACE(format);
            UInt8 out[9];
            Bytes expected(source, source + width);
            if (reverse) std::reverse(expected.begin(), expected.end());
            EXPECT_EQ(Packed(PackData(out, format, source), out), expected);

            UInt8 back[10];
            std::memset(back, 0xEE, sizeof back);
            ASSERT_EQ(UnpackData(width, out, format, back), static_cast<SInt32>(width));
            EXPECT_EQ(Bytes(back, back + width), Bytes(source, source + width));
            EXPECT_EQ(back[width], 0xEE);
            EXPECT_EQ(UnpackData(width - 1, out, format, back), -1);
        }
    }
    // A reversed field of a native integer: on this little-endian host, big-endian.
    const UInt32 native = 0x11223344;
    UInt8 out[4];
    EXPECT_EQ(Packed(PackData(out, "$", &native), out), (Bytes{0x11, 0x22, 0x33, 0x44}));
}

TEST(PackDataTest, CountedRunsAndLatin1Text) {
    const UInt8 source[4] = {0x80, 'a', 0xE9, 0x8E};  // Mac OS Roman: Ä a È é
    UInt8 out[16];
    EXPECT_EQ(Packed(PackData(out, "nNl", 3, source, 3, source, 4, source), out),
              (Bytes{0x80, 'a', 0xE9, 0xE9, 'a', 0x80, 0xC4, 'a', 0xC8, 0xE9}));

    UInt8 run[3], reversed[3], text[4];
    ASSERT_EQ(UnpackData(10, out, "nNl", 3, run, 3, reversed, 4, text), 10);
    EXPECT_EQ(Bytes(run, run + 3), Bytes(source, source + 3));
    EXPECT_EQ(Bytes(reversed, reversed + 3), Bytes(source, source + 3));
    EXPECT_EQ(Bytes(text, text + 4), Bytes(source, source + 4));

    // Count 0 writes, reads and stores nothing.
    UInt8 untouched = 0xEE;
    EXPECT_EQ(PackData(out, "nNl", 0, nullptr, 0, nullptr, 0, nullptr), 0);
    EXPECT_EQ(UnpackData(0, out, "nNl", 0, &untouched, 0, &untouched, 0, &untouched), 0);
    EXPECT_EQ(untouched, 0xEE);
    EXPECT_EQ(UnpackData(2, out, "l", 3, text), -1);
}

TEST(PackDataTest, LengthPrefixedStrings) {
    const UInt8 hello[] = {5, 'h', 'e', 'l', 'l', 'o'};
    UInt8 out[8];
    EXPECT_EQ(Packed(PackData(out, "p", hello), out), Bytes(hello, hello + 6));

    struct Case {
        UInt32 capacity;
        Bytes stored;
    };
    for (const Case& c : {Case{3, {2, 'h', 'e'}}, Case{6, {5, 'h', 'e', 'l', 'l', 'o'}}, Case{1, {0}},
                          Case{100, {5, 'h', 'e', 'l', 'l', 'o'}}}) {
        Bytes dest(c.capacity, 0xEE);
        ASSERT_EQ(UnpackData(6, hello, "p", c.capacity, dest.data()), 6);
        EXPECT_EQ(Bytes(dest.begin(), dest.begin() + static_cast<long>(c.stored.size())), c.stored) << c.capacity;
    }
    UInt8 untouched = 0xEE;
    EXPECT_EQ(UnpackData(6, hello, "p", 0, &untouched), 6);
    EXPECT_EQ(untouched, 0xEE);
    // Characters running past the end of the data, or no length byte at all.
    EXPECT_EQ(UnpackData(5, hello, "p", 10, &untouched), -1);
    EXPECT_EQ(UnpackData(0, hello, "p", 10, &untouched), -1);
    EXPECT_EQ(untouched, 0xEE);
}

TEST(PackDataTest, NulTerminatedStrings) {
    UInt8 out[8];
    EXPECT_EQ(Packed(PackData(out, "ss", "abc", ""), out), (Bytes{'a', 'b', 'c', 0, 0}));

    const UInt8 data[] = {'a', 'b', 'c', 'd', 'e', 'f', 0};
    char dest[8];
    std::memset(dest, 'x', sizeof dest);
    ASSERT_EQ(UnpackData(7, data, "s", 4, dest), 7);
    EXPECT_EQ(std::string(dest, 5), "abcdx");  // cut to the capacity, no NUL
    ASSERT_EQ(UnpackData(7, data, "s", 8, dest), 7);
    EXPECT_STREQ(dest, "abcdef");

    std::memset(dest, 'x', sizeof dest);
    EXPECT_EQ(UnpackData(7, data, "s", 0, dest), 7);
    EXPECT_EQ(dest[0], 'x');
    // No NUL before the end: nothing is stored.
    EXPECT_EQ(UnpackData(6, data, "s", 8, dest), -1);
    EXPECT_EQ(UnpackData(0, data, "s", 8, dest), -1);
    EXPECT_EQ(dest[0], 'x');

    // The string is read, then nothing remains for "b".
    const UInt8 shortString[] = {'a', 0};
    UInt8 byte = 0xEE;
    EXPECT_EQ(UnpackData(2, shortString, "sb", 8, dest, &byte), -1);
    EXPECT_STREQ(dest, "a");
    EXPECT_EQ(byte, 0xEE);
}

TEST(PackDataTest, FixedSizeTextFields) {
    struct Case {
        Bytes data;
        UInt32 fieldSize;
        UInt32 capacity;
        SInt32 result;
        std::string stored;
    };
    const Case cases[] = {
        {{'a', 'b', 0, 0, 0, 0, 0, 0}, 8, 4, 8, "ab"},
        {{'a', 'b', 'c', 'd'}, 4, 10, 4, "abcd"},
        {{'a', 'b', 'c', 'd', 'e', 'f'}, 6, 4, 6, "abc"},  // cut to the capacity
        {{'a', 'b', 'c', 'd', 'e', 'f'}, 0, 4, 0, ""},
        {{'a', 'b', 0, 'd'}, 4, 1, 4, ""},
        // A field running past the end of the data: what the data holds is stored
        // and terminated, then the directive fails.
        {{'a', 'b', 'c'}, 8, 10, -1, "abc"},
        {{'a', 0, 'c'}, 8, 10, -1, "a"},
        {{}, 2, 10, -1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.fieldSize) + "/" + std::to_string(c.capacity));
        const Bytes data = c.data;
        std::string dest(c.capacity, 'x');
        EXPECT_EQ(UnpackData(static_cast<UInt32>(data.size()), data.data(), "S", c.fieldSize, c.capacity, dest.data()),
                  c.result);
        EXPECT_EQ(std::string(dest.c_str()), c.stored);
        EXPECT_EQ(dest.substr(c.stored.size() + 1), std::string(c.capacity - c.stored.size() - 1, 'x'));
    }
    // Capacity 0 skips the field, stores nothing, and still needs the whole field.
    const UInt8 data[] = {'a', 'b', 'c', 'd'};
    char untouched = 'x';
    UInt8 after = 0;
    EXPECT_EQ(UnpackData(4, data, "Sb", 3, 0, &untouched, &after), 4);
    EXPECT_EQ(untouched, 'x');
    EXPECT_EQ(after, 'd');
    EXPECT_EQ(UnpackData(4, data, "S", 5, 0, &untouched), -1);
}

TEST(PackDataTest, FormatErrorsAndBounds) {
    UInt8 out[8] = {};
    EXPECT_EQ(PackData(out, ""), 0);
    EXPECT_EQ(UnpackData(0, nullptr, ""), 0);
    for (const char* format : {"b b", "bS", "b0", "bi", "bx", "b\t"}) {
        SCOPED_TRACE(format);
        std::fill(std::begin(out), std::end(out), 0xEE);
        EXPECT_EQ(PackData(out, format, 7, 8, 8, nullptr), -1);
        EXPECT_EQ(out[0], 7);  // earlier fields stay written
        UInt8 first = 0;
        EXPECT_EQ(UnpackData(8, out, format, &first, 8, 8, nullptr), -1);
        EXPECT_EQ(first, 7);
    }
    const UInt8 data[6] = {1, 2, 3, 4, 5, 6};
    UInt32 w = 0;
    UInt16 h = 0;
    EXPECT_EQ(UnpackData(3, data, "w", &w), -1);
    EXPECT_EQ(UnpackData(6, data, "wh", &w, &h), 6);
    EXPECT_EQ(UnpackData(6, data, "h", &h), 2);  // left-over bytes are no error
}

TEST(PackDataTest, NullDestinationsAreSkipped) {
    const Bytes data{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14,  // b h T w $
                     2, 'x', 'y', 'a', 'b', 0, 'c', 'd', 15, 16, 17, 18, 19};  // p s S n N l
    const char* format = "bhTw$psSnNl";
    EXPECT_EQ(UnpackData(static_cast<UInt32>(data.size()), data.data(), format, nullptr, nullptr, nullptr, nullptr,
                         nullptr, 3, nullptr, 4, nullptr, 2, 4, nullptr, 2, nullptr, 2, nullptr, 1, nullptr),
              27);
    EXPECT_EQ(UnpackData(26, data.data(), format, nullptr, nullptr, nullptr, nullptr, nullptr, 3, nullptr, 4, nullptr,
                         2, 4, nullptr, 2, nullptr, 2, nullptr, 1, nullptr),
              -1);
}

TEST(PackDataTest, MemReverse) {
    for (UInt32 length = 0; length <= 5; ++length) {
        Bytes block{1, 2, 3, 4, 5, 0xEE};
        Bytes expected = block;
        std::reverse(expected.begin(), expected.begin() + length);
        MemReverse(block.data(), length);
        EXPECT_EQ(block, expected) << length;

        Bytes copy(6, 0xEE);
        MemReverseCopy(Bytes{1, 2, 3, 4, 5}.data(), length, copy.data());
        Bytes expectedCopy(6, 0xEE);
        for (UInt32 i = 0; i < length; ++i) expectedCopy[i] = static_cast<UInt8>(length - i);
        EXPECT_EQ(copy, expectedCopy) << length;
    }
}

}  // namespace
}  // namespace keelward
