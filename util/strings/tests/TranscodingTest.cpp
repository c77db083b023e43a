#include <keelward/strings/Strings.h>

#include <gtest/gtest.h>
#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;
using keelward::SInt32;
using keelward::UInt32;
using keelward::UInt8;
using keelward::UniChar;

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Owned = std::unique_ptr<T, FreeDeleter>;

// The bytes of a result, terminator included.
template <typename T>
std::string BytesOf(const T* p, size_t units) {
    return std::string(reinterpret_cast<const char*>(p), units * sizeof(T));
}

// UTF-16 text given as memory bytes, copied into properly aligned UniChars.
std::vector<UniChar> UnitsFromBytes(const std::string& bytes) {
    std::vector<UniChar> units(bytes.size() / 2 + 1);
    std::memcpy(units.data(), bytes.data(), bytes.size());
    return units;
}

constexpr bool kLittleHost = std::endian::native == std::endian::little;

// ------------------------------------------------------------------------------
// UTF8Valid

TEST(UTF8Valid, ReportsTheFirstFaultWithItsOwnStatus) {
    struct Case {
        std::string bytes;
        SInt32 status;
    };
    const Case cases[] = {
        {"", 0},
        {"plain ASCII", 0},
        {"\xC3\xA9t\xC3\xA9", 0},
        {"\xC0\x80", keelward::kErrRange},
        {"\xC1\xBF", keelward::kErrRange},
        {"\xC2\x80", 0},
        {"\xE0\x80\x80", keelward::kErrFlags},
        {"\xE0\x9F\xBF", keelward::kErrFlags},
        {"\xE0\xA0\x80", 0},
        {"\xF0\x80\x80\x80", keelward::kErrFlags},
        {"\xF0\x8F\xBF\xBF", keelward::kErrFlags},
        {"\xF0\x90\x80\x80", 0},
        {"\xF8\x80\x80\x80\x80", keelward::kErrFlags},
        {"\xF8\x88\x80\x80\x80", 0},
        {"\xFC\x83\xBF\xBF\xBF\xBF", keelward::kErrFlags},
        {"\xFC\x84\x80\x80\x80\x80", 0},
        {"\xED\xA0\x80", 0},          // encoded surrogate: accepted here
        {"\xF4\x90\x80\x80", 0},      // above U+10FFFF: accepted here
        {"\xF7\xBF\xBF\xBF", 0},
        {"\x80", keelward::kErrBadLeadByte},
        {"a\xBF", keelward::kErrBadLeadByte},
        {"\xFE", keelward::kErrBadLeadByte},
        {"\xFF", keelward::kErrBadLeadByte},
        {"\xC3\x41", keelward::kErrValue},
        {"\xE2\x82\x41", keelward::kErrValue},
        {"\xE2\x82", keelward::kErrMalformed},
        {"\xF0\x90\x80", keelward::kErrMalformed},
        {"\xC3", keelward::kErrMalformed},
        {"\xE0\x80", keelward::kErrFlags},   // overlong seen before the text ends
        {"\xE0\x41", keelward::kErrValue},   // not a continuation byte wins over the mask
        {"\xE2\x41\x80\xC0", keelward::kErrValue},
        {"\xC0\x80\xFF", keelward::kErrRange},
        {"\xFF\xC0\x80", keelward::kErrBadLeadByte},
        {"0123456789abcdef\xC3\xA9" "0123456789abcdef\xE2\x82", keelward::kErrMalformed},
        {"0123456789abcde\xC3\x28" "0123456789abcdef", keelward::kErrValue},
        {"zero\0inside"s, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(keelward::UTF8Valid(c.bytes.data(), static_cast<UInt32>(c.bytes.size())), c.status)
            << testing::PrintToString(c.bytes);
    }
    // kAutoLength stops at the NUL; an explicit length may end inside a sequence.
    EXPECT_EQ(keelward::UTF8Valid("\xC3\xA9\0\xFF", keelward::kAutoLength), 0);
    EXPECT_EQ(keelward::UTF8Valid("\xC3\xA9", 1), keelward::kErrMalformed);
    EXPECT_EQ(keelward::UTF8Valid(nullptr, 0), 0);
    EXPECT_EQ(keelward::UTF8Valid(nullptr, 3), keelward::kErrParam);
}

// The validator written the plain way, byte by byte, to check the fast one against.
SInt32 ReferenceUTF8Valid(const std::string& s) {
    int expected = 0;
    unsigned mask = 0;
    for (unsigned char b : s) {
        if (expected > 0) {
            if ((b & 0xC0) != 0x80) return keelward::kErrValue;
            if (mask != 0 && (b & mask) == 0) return keelward::kErrFlags;
            mask = 0;
            --expected;
        } else if (b >= 0x80) {
            if ((b & 0xE0) == 0xC0) {
                if ((b & 0x1E) == 0) return keelward::kErrRange;
                expected = 1;
            } else if ((b & 0xF0) == 0xE0) {
                expected = 2;
                mask = b == 0xE0 ? 0x20 : 0;
            } else if ((b & 0xF8) == 0xF0) {
                expected = 3;
                mask = b == 0xF0 ? 0x30 : 0;
            } else if ((b & 0xFC) == 0xF8) {
                expected = 4;
                mask = b == 0xF8 ? 0x38 : 0;
            } else if ((b & 0xFE) == 0xFC) {
                expected = 5;
                mask = b == 0xFC ? 0x3C : 0;
            } else {
                return keelward::kErrBadLeadByte;
            }
        }
    }
    return expected > 0 ? keelward::kErrMalformed : 0;
}

// Text that is mostly well-formed: ASCII runs of every length (so that faults fall
// on both sides of the 16-byte blocks), characters of two to four bytes, and now and
// then a random byte, which may break a sequence or make a malformed one.
std::string RandomUTF8Like(std::mt19937& rng, size_t characters, unsigned faultPercent) {
    std::string s;
    std::uniform_int_distribution<int> percent(0, 99);
    const char* const pieces[] = {"\xC3\xA9", "\xD0\x96", "\xE2\x82\xAC", "\xE4\xB8\xAD", "\xF0\x9F\x98\x80",
                                  "\xEF\xBF\xBD", "\xC2\x80", "\xF4\x8F\xBF\xBF"};
    for (size_t i = 0; i < characters; ++i) {
        const int roll = percent(rng);
        if (roll < static_cast<int>(faultPercent)) {
            s += static_cast<char>(rng() & 0xFF);
        } else if (roll < 70) {
            s.append(rng() % 20, static_cast<char>('a' + rng() % 26));
        } else {
            s += pieces[rng() % std::size(pieces)];
        }
    }
    return s;
}

TEST(UTF8Valid, AgreesWithTheByteByByteRulesOnRandomText) {
    std::mt19937 rng(1234);
    for (int round = 0; round < 4000; ++round) {
        const std::string s = RandomUTF8Like(rng, rng() % 40, round % 3 == 0 ? 0 : 2);
        ASSERT_EQ(keelward::UTF8Valid(s.data(), static_cast<UInt32>(s.size())), ReferenceUTF8Valid(s))
            << testing::PrintToString(s);
    }
}

// ------------------------------------------------------------------------------
// UTF-16 strings

TEST(UTF16Strings, LengthAndLastOccurrence) {
    const UniChar aba[] = u"aba";
    EXPECT_EQ(keelward::UTF16strlen(aba), 3u);
    EXPECT_EQ(keelward::UTF16strlen(u""), 0u);
    EXPECT_EQ(keelward::UTF16strnlen(aba, 2), 2u);
    EXPECT_EQ(keelward::UTF16strnlen(aba, 10), 3u);
    const UniChar unterminated[2] = {u'x', u'y'};
    EXPECT_EQ(keelward::UTF16strnlen(unterminated, 2), 2u);

    EXPECT_EQ(keelward::UTF16strrchr(aba, keelward::kAutoLength, u'a'), aba + 2);
    EXPECT_EQ(keelward::UTF16strrchr(aba, 2, u'a'), aba);
    EXPECT_EQ(keelward::UTF16strrchr(aba, keelward::kAutoLength, u'c'), nullptr);
    EXPECT_EQ(keelward::UTF16strrchr(aba, keelward::kAutoLength, 0), nullptr);
    EXPECT_EQ(keelward::UTF16strrchr(aba, 0, u'a'), nullptr);
}

// ------------------------------------------------------------------------------
// UTF16toUTF8

struct UTF16Case {
    const char* label;
    std::string input;  // bytes in memory
    UInt32 flags;
    SInt32 status;
    std::string utf8;
};

// "é€😀" in big-endian and little-endian bytes.
const std::string kSampleBE = "\x00\xE9\x20\xAC\xD8\x3D\xDE\x00"s;
const std::string kSampleLE = "\xE9\x00\xAC\x20\x3D\xD8\x00\xDE"s;
const std::string kSampleHost = kLittleHost ? kSampleLE : kSampleBE;
const std::string kSampleForeign = kLittleHost ? kSampleBE : kSampleLE;
const std::string kSampleUTF8 = "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";

TEST(UTF16toUTF8, ByteOrderSelectorAndMark) {
    const UTF16Case cases[] = {
        {"host order, selector 0", kSampleHost, 0, 0, kSampleUTF8},
        {"host order, selector 1", kSampleHost, keelward::kUTF16HostOrder, 0, kSampleUTF8},
        {"host order, selector 9", kSampleHost, 9, 0, kSampleUTF8},
        {"other bits are no selector", kSampleHost, 0x10000, 0, kSampleUTF8},
        {"big-endian", kSampleBE, keelward::kUTF16BigEndian, 0, kSampleUTF8},
        {"little-endian", kSampleLE, keelward::kUTF16LittleEndian, 0, kSampleUTF8},
        {"mark FE FF", "\xFE\xFF"s + kSampleBE, keelward::kUTF16ByteOrderMark, 0, kSampleUTF8},
        {"mark FF FE", "\xFF\xFE"s + kSampleLE, keelward::kUTF16ByteOrderMark, 0, kSampleUTF8},
        {"mark FF FE, A", "\xFF\xFE\x41\x00"s, keelward::kUTF16ByteOrderMark, 0, "A"},
        {"only a mark", "\xFE\xFF"s, keelward::kUTF16ByteOrderMark, 0, ""},
        {"no mark", "\x00\x41"s, keelward::kUTF16ByteOrderMark, keelward::kErrMalformed, ""},
        {"U+FEFF without selector 4 is a character", "\xFE\xFF"s + kSampleBE, keelward::kUTF16BigEndian, 0,
         "\xEF\xBB\xBF" + kSampleUTF8},
        {"unpaired high surrogate at the end", kLittleHost ? "A\x00\x3D\xD8"s : "\x00" "A\xD8\x3D"s, 0,
         keelward::kErrConversion, ""},
        {"unpaired low surrogate", kLittleHost ? "\x00\xDE" "A\x00"s : "\xDE\x00\x00" "A"s, 0,
         keelward::kErrConversion, ""},
        {"high surrogate before a letter", "\xD8\x3D\x00\x41"s, keelward::kUTF16BigEndian,
         keelward::kErrConversion, ""},
        {"reversed pair", "\xDE\x00\xD8\x3D"s, keelward::kUTF16BigEndian, keelward::kErrConversion, ""},
    };
    for (const UTF16Case& c : cases) {
        const std::vector<UniChar> units = UnitsFromBytes(c.input);
        char* out = reinterpret_cast<char*>(0x1);
        UInt32 length = 12345;
        const SInt32 status =
            keelward::UTF16toUTF8(units.data(), static_cast<UInt32>(c.input.size() / 2), c.flags, &out, &length);
        ASSERT_EQ(status, c.status) << c.label;
        if (status != 0) {
            EXPECT_EQ(out, reinterpret_cast<char*>(0x1)) << c.label;
            EXPECT_EQ(length, 12345u) << c.label;
            continue;
        }
        Owned<char> owned(out);
        EXPECT_EQ(length, c.utf8.size()) << c.label;
        EXPECT_EQ(BytesOf(out, length + 1), c.utf8 + '\0') << c.label;
    }
}

TEST(UTF16toUTF8, EmptyTextsAndOptionalResults) {
    const UniChar empty[] = {0};
    for (UInt32 flags : {0u, keelward::kUTF16ByteOrderMark}) {
        char* out = nullptr;
        UInt32 length = 7;
        ASSERT_EQ(keelward::UTF16toUTF8(empty, 0, flags, &out, &length), 0);
        Owned<char> owned(out);
        EXPECT_EQ(length, 0u);
        EXPECT_EQ(out[0], '\0');
    }
    // kAutoLength measures up to the zero unit.
    char* out = nullptr;
    ASSERT_EQ(keelward::UTF16toUTF8(u"caf\u00E9", keelward::kAutoLength, 0, &out, nullptr), 0);
    Owned<char> owned(out);
    EXPECT_STREQ(out, "caf\xC3\xA9");
    // Without a place for the text, it is still converted, checked and measured.
    UInt32 length = 0;
    EXPECT_EQ(keelward::UTF16toUTF8(u"caf\u00E9", keelward::kAutoLength, 0, nullptr, &length), 0);
    EXPECT_EQ(length, 5u);
    EXPECT_EQ(keelward::UTF16toUTF8(u"\xD800", keelward::kAutoLength, 0, nullptr, &length), keelward::kErrConversion);
    EXPECT_EQ(keelward::UTF16toUTF8(u"x", keelward::kAutoLength, 0, nullptr, nullptr), 0);
    EXPECT_EQ(keelward::UTF16toUTF8(nullptr, 1, 0, &out, &length), keelward::kErrParam);
}

// A surrogate, paired or not, at every position of an ASCII text, so that it falls on
// each side of the blocks the converter works in.
TEST(UTF16toUTF8, SurrogatesAtEveryPosition) {
    for (size_t at = 0; at < 40; ++at) {
        for (const std::u16string& inserted : {u"\xD83D\xDE00"s, u"\xD83D"s, u"\xDE00"s, u"\xDE00\xD83D"s}) {
            std::u16string text(40, u'x');
            text.insert(at, inserted);
            const bool paired = inserted == u"\xD83D\xDE00";
            char* out = nullptr;
            UInt32 length = 0;
            const SInt32 status =
                keelward::UTF16toUTF8(text.data(), static_cast<UInt32>(text.size()), 0, &out, &length);
            Owned<char> owned(out);
            ASSERT_EQ(status, paired ? 0 : keelward::kErrConversion) << at << " " << inserted.size();
            if (paired) {
                EXPECT_EQ(std::string(out, length), std::string(at, 'x') + "\xF0\x9F\x98\x80" + std::string(40 - at, 'x'));
            }
        }
        // A high and a low surrogate apart from each other are no pair (here the low one
        // starts a block of eight units).
        const std::u16string apart = std::u16string(at, u'x') + u"\xD83D" + std::u16string(47 - at, u'x') + u"\xDE00";
        EXPECT_EQ(keelward::UTF16toUTF8(apart.data(), static_cast<UInt32>(apart.size()), 0, nullptr, nullptr),
                  keelward::kErrConversion)
            << at;
    }
}

// ------------------------------------------------------------------------------
// UTF8toUTF16

TEST(UTF8toUTF16, ByteOrderSelectorAndMark) {
    struct Case {
        const char* label;
        std::string utf8;
        UInt32 flags;
        std::string bytes;  // the result in memory, terminator included
        UInt32 length;
    };
    const Case cases[] = {
        {"A, mark", "A", keelward::kUTF16ByteOrderMark, "\xFE\xFF\x00\x41\x00\x00"s, 2},
        {"empty, mark", "", keelward::kUTF16ByteOrderMark, "\xFE\xFF\x00\x00"s, 1},
        {"A, little-endian", "A", keelward::kUTF16LittleEndian, "\x41\x00\x00\x00"s, 1},
        {"A, big-endian", "A", keelward::kUTF16BigEndian, "\x00\x41\x00\x00"s, 1},
        {"empty", "", 0, "\x00\x00"s, 0},
        {"sample, big-endian", kSampleUTF8, keelward::kUTF16BigEndian, kSampleBE + "\0\0"s, 4},
        {"sample, little-endian", kSampleUTF8, keelward::kUTF16LittleEndian, kSampleLE + "\0\0"s, 4},
        {"sample, host order", kSampleUTF8, 0, kSampleHost + "\0\0"s, 4},
        {"sample, selector 15", kSampleUTF8, 15, kSampleHost + "\0\0"s, 4},
        {"sample, mark", kSampleUTF8, keelward::kUTF16ByteOrderMark, "\xFE\xFF"s + kSampleBE + "\0\0"s, 5},
        {"a zero byte is a character", "a\0b"s, keelward::kUTF16BigEndian, "\x00" "a\x00\x00\x00" "b\x00\x00"s, 3},
        {"a long ASCII run, big-endian", std::string(37, 'q'), keelward::kUTF16BigEndian,
         [] {
             std::string s;
             for (int i = 0; i < 37; ++i) s += "\x00q"s;
             return s + "\0\0"s;
         }(),
         37},
    };
    for (const Case& c : cases) {
        UniChar* out = nullptr;
        UInt32 length = 0;
        ASSERT_EQ(keelward::UTF8toUTF16(c.utf8.data(), static_cast<UInt32>(c.utf8.size()), c.flags, &out, &length),
                  0)
            << c.label;
        Owned<UniChar> owned(out);
        EXPECT_EQ(length, c.length) << c.label;
        EXPECT_EQ(BytesOf(out, length + 1), c.bytes) << c.label;
    }
}

TEST(UTF8toUTF16, RejectsWhatIsNotWellFormedAndStoresNothing) {
    const std::string rejected[] = {
        "\xC0\x80", "\xE0\x80\x80", "\xF0\x80\x80\x80", "\x80", "\xFE", "\xC3\x41", "\xE2\x82",
        "\xED\xA0\x80",          // surrogate
        "\xED\xBF\xBF",          // surrogate
        "\xF4\x90\x80\x80",      // above U+10FFFF
        "\xF5\x80\x80\x80",      // above U+10FFFF
        "\xF8\x88\x80\x80\x80",  // five bytes
        "\xFC\x84\x80\x80\x80\x80",
        std::string(40, 'x') + "\xC3",
    };
    for (const std::string& s : rejected) {
        for (UInt32 flags : {0u, keelward::kUTF16ByteOrderMark}) {
            UniChar* out = reinterpret_cast<UniChar*>(0x2);
            UInt32 length = 99;
            EXPECT_EQ(keelward::UTF8toUTF16(s.data(), static_cast<UInt32>(s.size()), flags, &out, &length),
                      keelward::kErrConversion)
                << testing::PrintToString(s);
            EXPECT_EQ(out, reinterpret_cast<UniChar*>(0x2));
            EXPECT_EQ(length, 99u);
            EXPECT_EQ(keelward::UTF8toUTF16(s.data(), static_cast<UInt32>(s.size()), flags, nullptr, &length),
                      keelward::kErrConversion);
        }
    }
    const std::string limits[] = {"\xED\x9F\xBF", "\xEE\x80\x80", "\xF4\x8F\xBF\xBF", "\xEF\xBF\xBF"};
    for (const std::string& s : limits) {
        UInt32 length = 0;
        EXPECT_EQ(keelward::UTF8toUTF16(s.data(), static_cast<UInt32>(s.size()), 0, nullptr, &length), 0)
            << testing::PrintToString(s);
    }
    UniChar* out = nullptr;
    EXPECT_EQ(keelward::UTF8toUTF16(nullptr, keelward::kAutoLength, 0, &out, nullptr), keelward::kErrParam);
}

// ICU decodes well-formed UTF-8 the same way and rejects the same texts.
TEST(UTF8toUTF16, MatchesICUOnRandomText) {
    std::mt19937 rng(99);
    for (int round = 0; round < 3000; ++round) {
        const std::string s = RandomUTF8Like(rng, rng() % 60, round % 2 == 0 ? 0 : 1);
        UErrorCode error = U_ZERO_ERROR;
        std::vector<UChar> expected(s.size() + 1);
        int32_t expectedLength = 0;
        u_strFromUTF8(expected.data(), static_cast<int32_t>(expected.size()), &expectedLength, s.data(),
                      static_cast<int32_t>(s.size()), &error);

        UniChar* out = nullptr;
        UInt32 length = 0;
        const SInt32 status = keelward::UTF8toUTF16(s.data(), static_cast<UInt32>(s.size()), 0, &out, &length);
        Owned<UniChar> owned(out);
        ASSERT_EQ(status == 0, U_SUCCESS(error)) << testing::PrintToString(s);
        if (status != 0) {
            EXPECT_EQ(status, keelward::kErrConversion);
            continue;
        }
        ASSERT_EQ(length, static_cast<UInt32>(expectedLength));
        EXPECT_EQ(std::memcmp(out, expected.data(), length * sizeof(UniChar)), 0) << testing::PrintToString(s);
        EXPECT_EQ(out[length], 0);
    }
}

TEST(UTF16toUTF8, MatchesICUOnRandomTextInBothByteOrders) {
    std::mt19937 rng(7);
    const UniChar samples[] = {u'a', u'Z', 0x7F, 0x80, 0xE9, 0x7FF, 0x800, 0x20AC, 0xFFFF, 0xFEFF, 0xD83D, 0xDE00};
    for (int round = 0; round < 3000; ++round) {
        std::vector<UniChar> text;
        const size_t n = rng() % 50;
        for (size_t i = 0; i < n; ++i) {
            if (rng() % 4 != 0) {
                text.push_back(static_cast<UniChar>(u'a' + rng() % 26));
            } else if (rng() % 3 == 0 && round % 2 == 0) {
                text.push_back(0xD800 + rng() % 0x400);  // a pair, unless the random unit breaks it
                text.push_back(0xDC00 + rng() % 0x400);
            } else {
                text.push_back(samples[rng() % (round % 2 == 0 ? 10 : std::size(samples))]);
            }
        }
        UErrorCode error = U_ZERO_ERROR;
        std::string expected(text.size() * 3 + 1, '\0');
        int32_t expectedLength = 0;
        u_strToUTF8(expected.data(), static_cast<int32_t>(expected.size()), &expectedLength, text.data(),
                    static_cast<int32_t>(text.size()), &error);

        std::vector<UniChar> foreign(text);
        keelward::EndianSwapData16Bit(foreign.data(), static_cast<UInt32>(foreign.size() * 2));
        const UInt32 foreignOrder = kLittleHost ? keelward::kUTF16BigEndian : keelward::kUTF16LittleEndian;
        for (const auto& [units, flags] : {std::pair{&text, 0u}, std::pair{&foreign, foreignOrder}}) {
            char* out = nullptr;
            UInt32 length = 0;
            const SInt32 status =
                keelward::UTF16toUTF8(units->data(), static_cast<UInt32>(units->size()), flags, &out, &length);
            Owned<char> owned(out);
            ASSERT_EQ(status == 0, U_SUCCESS(error)) << round;
            if (status != 0) {
                EXPECT_EQ(status, keelward::kErrConversion);
                continue;
            }
            EXPECT_EQ(std::string(out, length), expected.substr(0, static_cast<size_t>(expectedLength))) << round;
        }
    }
}

// ------------------------------------------------------------------------------
// Latin-1

TEST(Latin1, UTF8toLatin1StopsAtTheFirstCharacterLatin1LacksUnlessLossy) {
    struct Case {
        std::string utf8;
        UInt32 flags;
        SInt32 status;
        std::string latin1;
    };
    const std::string euro = "\xE2\x82\xAC";
    const Case cases[] = {
        {"A" + euro + "B", 0, 0, "A"},
        {"A" + euro + "B", keelward::kTextConversionLossy, 0, "A?B"},
        {euro + "B", 0, keelward::kErrConversion, ""},
        {euro + "B", keelward::kTextConversionLossy, 0, "?B"},
        {"A\xF0\x9F\x98\x80" "B", keelward::kTextConversionLossy, 0, "A?B"},  // one "?" per character
        {"caf\xC3\xA9 \xC3\xBF\xC2\x80", 0, 0, "caf\xE9 \xFF\x80"},
        {"", 0, 0, ""},
        {"a\0b"s, 0, 0, "a\0b"s},
        {"A" + euro + "\xFF", 0, keelward::kErrConversion, ""},  // the whole text must be UTF-8
        {"A\xED\xA0\x80", keelward::kTextConversionLossy, keelward::kErrConversion, ""},
    };
    for (const Case& c : cases) {
        char* out = reinterpret_cast<char*>(0x3);
        UInt32 length = 77;
        const SInt32 status =
            keelward::UTF8toLatin1(c.utf8.data(), static_cast<UInt32>(c.utf8.size()), c.flags, &out, &length);
        ASSERT_EQ(status, c.status) << testing::PrintToString(c.utf8);
        if (status != 0) {
            EXPECT_EQ(out, reinterpret_cast<char*>(0x3));
            EXPECT_EQ(length, 77u);
            continue;
        }
        Owned<char> owned(out);
        EXPECT_EQ(length, c.latin1.size());
        EXPECT_EQ(BytesOf(out, length + 1), c.latin1 + '\0') << testing::PrintToString(c.utf8);
        UInt32 measured = 0;
        EXPECT_EQ(keelward::UTF8toLatin1(c.utf8.data(), static_cast<UInt32>(c.utf8.size()), c.flags, nullptr,
                                         &measured),
                  0);
        EXPECT_EQ(measured, length);
    }
}

TEST(Latin1, EveryByteSurvivesTheTripThroughUTF8) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    all += '\0';  // with an explicit length a zero byte is a character too
    char* utf8 = nullptr;
    UInt32 utf8Length = 0;
    ASSERT_EQ(keelward::Latin1toUTF8(all.data(), static_cast<UInt32>(all.size()), &utf8, &utf8Length), 0);
    Owned<char> ownedUTF8(utf8);
    EXPECT_EQ(utf8Length, 127u + 128u * 2u + 1u);
    EXPECT_EQ(utf8[utf8Length], '\0');
    EXPECT_EQ(keelward::UTF8Valid(utf8, utf8Length), 0);

    char* back = nullptr;
    UInt32 backLength = 0;
    ASSERT_EQ(keelward::UTF8toLatin1(utf8, utf8Length, 0, &back, &backLength), 0);
    Owned<char> ownedBack(back);
    EXPECT_EQ(std::string(back, backLength), all);

    char* e = nullptr;
    UInt32 eLength = 0;
    ASSERT_EQ(keelward::Latin1toUTF8("\xE9", keelward::kAutoLength, &e, &eLength), 0);
    Owned<char> ownedE(e);
    EXPECT_EQ(BytesOf(e, eLength + 1), "\xC3\xA9\0"s);

    char* empty = nullptr;
    ASSERT_EQ(keelward::Latin1toUTF8("", keelward::kAutoLength, &empty, &eLength), 0);
    Owned<char> ownedEmpty(empty);
    EXPECT_EQ(eLength, 0u);
    EXPECT_EQ(empty[0], '\0');
}

// ------------------------------------------------------------------------------
// Mac OS Roman tables and byte swapping

TEST(MacRomanTables, TranslateEveryByteThereAndBack) {
    char bytes[256];
    for (int b = 0; b < 256; ++b) bytes[b] = static_cast<char>(b);
    keelward::Latin1ToMacText(bytes, 256);
    std::array<bool, 256> seen{};
    for (int b = 0; b < 256; ++b) {
        const auto mac = static_cast<UInt8>(bytes[b]);
        EXPECT_EQ(mac, keelward::kLatin1ToMacTable[b]);
        if (b < 0x80) {
            EXPECT_EQ(mac, b);
        }
        EXPECT_FALSE(seen[mac]) << "two Latin-1 codes share Mac code " << int(mac);
        seen[mac] = true;
    }
    keelward::MacToLatin1Text(bytes, 256);
    for (int b = 0; b < 256; ++b) EXPECT_EQ(static_cast<UInt8>(bytes[b]), b);

    const std::pair<UInt8, UInt8> pairs[] = {{0xE9, 0x8E}, {0xA4, 0xDB}, {0x80, 0xA5}, {0xAD, 0xD0},
                                             {0xB2, 0xD3}, {0xB3, 0xD2}, {0xD7, 0xD7}, {0xDE, 0xDE},
                                             {0x9F, 0xC4}, {0xFF, 0xD8}, {0xA0, 0xCA}, {0xF0, 0xDD}};
    for (const auto& [latin1, mac] : pairs) {
        EXPECT_EQ(keelward::kLatin1ToMacTable[latin1], mac) << int(latin1);
        EXPECT_EQ(keelward::kMacToLatin1Table[mac], latin1) << int(mac);
    }
    char text[] = "caf\xE9";
    keelward::Latin1ToMacText(text, keelward::kAutoLength);
    EXPECT_STREQ(text, "caf\x8E");
    keelward::MacToLatin1Text(text, 0);
    EXPECT_STREQ(text, "caf\x8E");
}

// Every Latin-1 character that Mac OS Roman also has must go to its own Mac code, as
// ICU's Mac OS Roman converter says; the rest are paired with what Latin-1 lacks.
TEST(MacRomanTables, SharedCharactersAgreeWithICU) {
    UErrorCode error = U_ZERO_ERROR;
    UConverter* converter = ucnv_open("macintosh", &error);
    if (U_FAILURE(error)) GTEST_SKIP() << "ICU has no Mac OS Roman converter";
    ucnv_setFromUCallBack(converter, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
    const std::array<int, 16> unshared = {0xA4,  // the currency sign: Mac OS Roman's 0xDB is now the euro
                                          0xA6, 0xAD, 0xB2, 0xB3, 0xB9, 0xBC, 0xBD, 0xBE,
                                          0xD0, 0xD7, 0xDD, 0xDE, 0xF0, 0xFD, 0xFE};
    int shared = 0;
    for (int code = 0xA0; code <= 0xFF; ++code) {
        if (std::find(unshared.begin(), unshared.end(), code) != unshared.end()) continue;
        const auto character = static_cast<UChar>(code);
        char mac[4] = {};
        error = U_ZERO_ERROR;
        const int32_t n = ucnv_fromUChars(converter, mac, sizeof mac, &character, 1, &error);
        ASSERT_TRUE(U_SUCCESS(error) && n == 1) << std::hex << code;
        EXPECT_EQ(keelward::kLatin1ToMacTable[code], static_cast<UInt8>(mac[0])) << std::hex << code;
        ++shared;
    }
    ucnv_close(converter);
    EXPECT_EQ(shared, 80);
}

TEST(EndianSwap, SwapsWholeUnitsOnly) {
    UInt8 data[] = {1, 2, 3, 4, 5};
    keelward::EndianSwapData16Bit(data, 3);
    EXPECT_EQ(std::string(data, data + 5), std::string("\x02\x01\x03\x04\x05"));
    keelward::EndianSwapData16Bit(data, 5);
    EXPECT_EQ(std::string(data, data + 5), std::string("\x01\x02\x04\x03\x05"));

    const UInt8 source[] = {0xA, 0xB, 0xC, 0xD, 0xE};
    UInt8 copy[5] = {0, 0, 0, 0, 0x77};
    keelward::EndianSwapData16BitCopy(source, 5, copy);
    EXPECT_EQ(std::string(copy, copy + 5), std::string("\x0B\x0A\x0D\x0C\x77"));
    keelward::EndianSwapData16BitCopy(source, 0, copy);
    EXPECT_EQ(copy[0], 0x0B);
}

}  // namespace
