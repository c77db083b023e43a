#include <keelward/buffers/Pack.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <string>
#include <vector>

namespace keelward {
namespace {

using Bytes = std::vector<UInt8>;

// Packs after measuring, as callers do, and checks that both agree.
template <typename... Args>
Bytes PackAll(const char* inFormat, Args... inArgs) {
    UInt32 size = 0xDEAD;
    EXPECT_EQ(PackedSize(&size, inFormat, inArgs...), kNoErr);
    Bytes out(size + 8, 0xEE);
    UInt32 written = 0xDEAD;
    EXPECT_EQ(Pack(out.data(), size, &written, inFormat, inArgs...), kNoErr);
    EXPECT_EQ(written, size);
    EXPECT_TRUE(std::all_of(out.begin() + size, out.end(), [](UInt8 b) { return b == 0xEE; }));
    out.resize(size);
    return out;
}

TEST(PackTest, IntegerFieldsAreBigEndian) {
    EXPECT_EQ(PackAll("b", 0x1FF), (Bytes{0xFF}));
    EXPECT_EQ(PackAll("h", 0x012345), (Bytes{0x23, 0x45}));
    EXPECT_EQ(PackAll("w", 0x11223344u), (Bytes{0x11, 0x22, 0x33, 0x44}));
    EXPECT_EQ(PackAll("i", 0, 0x11223344u), Bytes{});
    EXPECT_EQ(PackAll("i", 1, 0x11223344u), (Bytes{0x44}));
    EXPECT_EQ(PackAll("i", 2, 0x11223344u), (Bytes{0x33, 0x44}));
    EXPECT_EQ(PackAll("i", 3, 0x11223344u), (Bytes{0x22, 0x33, 0x44}));
    EXPECT_EQ(PackAll("i", 4, 0x11223344u), (Bytes{0x11, 0x22, 0x33, 0x44}));
    EXPECT_EQ(PackAll(" b  h ", 1, 2), (Bytes{1, 0, 2}));
}

TEST(PackTest, RoundTripOfEveryDirective) {
    const UInt8 run[3] = {7, 8, 9};
    const Bytes packed = PackAll("b h w i n s s", 0xAB, 0xCDEF, 0x01020304u, 3, 0x00A0B0C0u, 3, run, "text", "");
    EXPECT_EQ(packed, (Bytes{0xAB, 0xCD, 0xEF, 1, 2, 3, 4, 0xA0, 0xB0, 0xC0, 7, 8, 9, 't', 'e', 'x', 't', 0, 0}));

    UInt8 b = 0;
    UInt16 h = 0;
    UInt32 w = 0, i = 0, length = 99, emptyLength = 99;
    const UInt8* n = nullptr;
    const char* s = nullptr;
    const char* empty = nullptr;
    ASSERT_EQ(Unpack(packed.data(), static_cast<UInt32>(packed.size()), "b h w i n s s", &b, &h, &w, 3, &i, 3, &n, &s,
                     &length, &empty, &emptyLength),
              kNoErr);
    EXPECT_EQ(b, 0xAB);
    EXPECT_EQ(h, 0xCDEF);
    EXPECT_EQ(w, 0x01020304u);
    EXPECT_EQ(i, 0x00A0B0C0u);
    EXPECT_EQ(n, packed.data() + 10);  // into the data, nothing copied
    EXPECT_EQ(s, reinterpret_cast<const char*>(packed.data()) + 13);
    EXPECT_STREQ(s, "text");
    EXPECT_EQ(length, 4u);
    EXPECT_EQ(empty, reinterpret_cast<const char*>(packed.data()) + 18);
    EXPECT_EQ(emptyLength, 0u);
}

TEST(PackTest, UnpackedCountsAreUnsignedAndZeroCountsStoreZero) {
    const Bytes data{0xFF, 0xFE, 0xFD};
    UInt32 value = 0;
    ASSERT_EQ(Unpack(data.data(), 3, "i", 3, &value), kNoErr);
    EXPECT_EQ(value, 0x00FFFEFDu);
    value = 1234;
    ASSERT_EQ(Unpack(data.data(), 0, "i", 0, &value), kNoErr);
    EXPECT_EQ(value, 0u);
}

// A count above 4 is a zero-extended number of that many bytes in all three
// operations, so that measuring, packing and unpacking agree on where fields lie.
TEST(PackTest, IntegerCountAboveFour) {
    const Bytes packed = PackAll("i b", 6, 0x11223344u, 0x55);
    EXPECT_EQ(packed, (Bytes{0, 0, 0x11, 0x22, 0x33, 0x44, 0x55}));
    UInt32 value = 0;
    UInt8 after = 0;
    ASSERT_EQ(Unpack(packed.data(), 7, "i b", 6, &value, &after), kNoErr);
    EXPECT_EQ(value, 0x11223344u);
    EXPECT_EQ(after, 0x55);
    value = 7;
    EXPECT_EQ(Unpack(packed.data(), 5, "i", 6, &value), kErrShortData);
    EXPECT_EQ(value, 7u);
}

TEST(PackTest, EmptyFormats) {
    for (const char* format : {"", "   "}) {
        EXPECT_EQ(PackAll(format), Bytes{});
        EXPECT_EQ(Unpack(nullptr, 0, format), kNoErr);
    }
}

TEST(PackTest, UnrecognisedDirectives) {
    for (const char* format : {"b\tb", "b1b", "bHb", "bSb", "b\nb"}) {
        SCOPED_TRACE(format);
        UInt32 size = 0xDEAD;
        EXPECT_EQ(PackedSize(&size, format, 1, 2), kErrUnsupported);
        EXPECT_EQ(size, 0xDEADu);

        UInt8 out[4] = {0xEE, 0xEE, 0xEE, 0xEE};
        UInt32 written = 0xDEAD;
        EXPECT_EQ(Pack(out, sizeof out, &written, format, 1, 2), kErrUnsupported);
        EXPECT_EQ(written, 0xDEADu);
        EXPECT_EQ(out[0], 1);  // the first field stays written
        EXPECT_EQ(out[1], 0xEE);

        const UInt8 data[2] = {5, 6};
        UInt8 first = 0, second = 0;
        EXPECT_EQ(Unpack(data, 2, format, &first, &second), kErrUnsupported);
        EXPECT_EQ(first, 5);
        EXPECT_EQ(second, 0);
    }
}

// Every field that does not fit fails without storing, whether or not its
// destination is null; earlier fields stay stored. The data lives in exact-size
// heap blocks so that the sanitizer build catches any read past them.
TEST(PackTest, ShortData) {
    struct Case {
        const char* format;
        Bytes data;
    };
    const Case cases[] = {
        {"bb", {1}},
        {"bh", {1, 2}},
        {"bw", {1, 2, 3, 4}},
        {"bi", {1, 2, 3}},
        {"bn", {1, 2, 3}},
        {"bs", {1, 'a', 'b'}},
        {"bs", {1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format + std::to_string(c.data.size()));
        const Bytes data = c.data;
        UInt8 first = 0;
        UInt32 wide = 0xDEAD;  // receives "w" and "i"
        UInt16 half = 0xDEAD;
        UInt8 byte = 0xEE;
        const UInt8* run = nullptr;
        const char* string = nullptr;
        const auto size = static_cast<UInt32>(data.size());
        SInt32 status = kNoErr;
        switch (c.format[1]) {
            case 'b': status = Unpack(data.data(), size, c.format, &first, &byte); break;
            case 'h': status = Unpack(data.data(), size, c.format, &first, &half); break;
            case 'w': status = Unpack(data.data(), size, c.format, &first, &wide); break;
            case 'i': status = Unpack(data.data(), size, c.format, &first, 3, &wide); break;
            case 'n': status = Unpack(data.data(), size, c.format, &first, 3, &run); break;
            case 's': status = Unpack(data.data(), size, c.format, &first, &string, &wide); break;
        }
        EXPECT_EQ(status, kErrShortData);
        EXPECT_EQ(first, 1);
        EXPECT_EQ(byte, 0xEE);
        EXPECT_EQ(half, 0xDEAD);
        EXPECT_EQ(wide, 0xDEADu);
        EXPECT_EQ(run, nullptr);
        EXPECT_EQ(string, nullptr);
        // Null destinations are skipped, not a reason to skip the check.
        const UInt32 counted = c.format[1] == 'i' || c.format[1] == 'n' ? 3 : 0;
        if (counted != 0) {
            EXPECT_EQ(Unpack(data.data(), size, c.format, nullptr, counted, nullptr), kErrShortData);
        } else {
            EXPECT_EQ(Unpack(data.data(), size, c.format, nullptr, nullptr, nullptr), kErrShortData);
        }
    }
}

TEST(PackTest, MeasuringReadsOnlyCountsAndStrings) {
    UInt32 size = 0;
    ASSERT_EQ(PackedSize(&size, "n s i", 7, nullptr, "abc", 2, 0), kNoErr);
    EXPECT_EQ(size, 13u);
    EXPECT_EQ(PackedSize(nullptr, "b"), kNoErr);
    // A record that would not fit in 32 bits cannot be measured.
    size = 0xDEAD;
    EXPECT_EQ(PackedSize(&size, "nn", 0xFFFFFFFFu, nullptr, 1, nullptr), kErrRange);
    EXPECT_EQ(size, 0xDEADu);
}

// The argument-list forms, used as a caller's own variadic wrapper would.
SInt32 MeasureAndPack(Bytes& outBytes, const char* inFormat, ...) {
    va_list args;
    va_start(args, inFormat);
    va_list again;
    va_copy(again, args);
    UInt32 size = 0;
    SInt32 status = PackedSizeVAList(&size, inFormat, args);
    if (status == kNoErr) {
        outBytes.assign(size, 0);
        status = PackVAList(outBytes.data(), size, nullptr, inFormat, again);
    }
    va_end(again);
    va_end(args);
    return status;
}

SInt32 UnpackWrapper(const Bytes& inBytes, const char* inFormat, ...) {
    va_list args;
    va_start(args, inFormat);
    const SInt32 status = UnpackVAList(inBytes.data(), static_cast<UInt32>(inBytes.size()), inFormat, args);
    va_end(args);
    return status;
}

TEST(PackTest, ArgumentListForms) {
    Bytes bytes;
    ASSERT_EQ(MeasureAndPack(bytes, "hs", 0x1234, "ok"), kNoErr);
    EXPECT_EQ(bytes, (Bytes{0x12, 0x34, 'o', 'k', 0}));
    UInt16 h = 0;
    const char* s = nullptr;
    ASSERT_EQ(UnpackWrapper(bytes, "hs", &h, &s, nullptr), kNoErr);
    EXPECT_EQ(h, 0x1234);
    EXPECT_STREQ(s, "ok");
    EXPECT_EQ(UnpackWrapper(bytes, "hsb", &h, &s, nullptr, nullptr), kErrShortData);
}

TEST(PackTest, PackNAndUnpackN) {
    const UInt32 value = 0x11223344u;
    const Bytes expected[] = {{}, {0x44}, {0x33, 0x44}, {0x22, 0x33, 0x44}, {0x11, 0x22, 0x33, 0x44}};
    for (SInt32 count = 0; count <= 4; ++count) {
        Bytes out(4, 0xEE);
        EXPECT_EQ(PackN(out.data(), count, value), count);
        Bytes written(out.begin(), out.begin() + count);
        EXPECT_EQ(written, expected[count]);
        EXPECT_TRUE(std::all_of(out.begin() + count, out.end(), [](UInt8 b) { return b == 0xEE; }));
        const UInt32 lowBytes = count == 0 ? 0 : value & (0xFFFFFFFFu >> (32 - 8 * count));
        EXPECT_EQ(UnpackN(expected[count].data(), static_cast<UInt32>(count)), lowBytes);
    }
    Bytes out(8, 0xEE);
    EXPECT_EQ(PackN(out.data(), 5, value), 5);
    EXPECT_EQ(PackN(out.data(), -1, value), -1);
    EXPECT_EQ(out, Bytes(8, 0xEE));
    EXPECT_EQ(UnpackN(out.data(), 5), 0u);
}

}  // namespace
}  // namespace keelward
