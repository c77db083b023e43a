#include <keelward/strings/Strings.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace {

using namespace std::string_literals;
using keelward::LineEndingType;
using keelward::UInt32;

UInt32 Size(const std::string& s) { return static_cast<UInt32>(s.size()); }

TEST(LineEndings, TypeOfText) {
    const std::pair<std::string, LineEndingType> cases[] = {
        {"a\rb\r", keelward::kLineEndingCR},     {"a\r\nb\r\n", keelward::kLineEndingCRLF},
        {"a\nb", keelward::kLineEndingLF},       {"a\r\nb\n", keelward::kLineEndingMixed},
        {"a\rb\n", keelward::kLineEndingMixed},  {"a\n\r", keelward::kLineEndingMixed},
        {"ab", keelward::kLineEndingNone},       {"", keelward::kLineEndingNone},
        {"a\r", keelward::kLineEndingCR},        {std::string(15, 'x') + "\r\n", keelward::kLineEndingCRLF},
        {std::string(31, 'x') + "\r\n" + std::string(20, 'y') + "\r\n", keelward::kLineEndingCRLF},
        {std::string(31, 'x') + "\r" + std::string(20, 'y') + "\r\n", keelward::kLineEndingMixed},
    };
    for (const auto& [text, type] : cases) {
        EXPECT_EQ(keelward::GetLineEndingType(text.data(), Size(text)), type) << testing::PrintToString(text);
    }
    EXPECT_EQ(keelward::GetLineEndingType("a\r\nb\r\n", keelward::kAutoLength), keelward::kLineEndingCRLF);
    // The counted bytes only: the LF past the length is not looked at.
    EXPECT_EQ(keelward::GetLineEndingType("a\r\n", 2), keelward::kLineEndingCR);
}

TEST(LineEndings, ChangedSize) {
    struct Case {
        std::string text;
        LineEndingType target;
        UInt32 size;
    };
    const Case cases[] = {
        {"a\nb\r", keelward::kLineEndingCRLF, 6}, {"a\r\nb", keelward::kLineEndingCR, 3},
        {"a\r\nb", keelward::kLineEndingLF, 3},   {"a\r\nb", keelward::kLineEndingCRLF, 4},
        {"a\r\nb\n\r", 7, 6},                     {"a\r\nb\n\r", 0, 6},
        {"\n\n\r\r", keelward::kLineEndingCRLF, 8}, {"", keelward::kLineEndingCRLF, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(keelward::GetChangedLineEndingsSize(c.text.data(), Size(c.text), c.target), c.size)
            << testing::PrintToString(c.text) << " to " << c.target;
    }
    EXPECT_EQ(keelward::GetChangedLineEndingsSize("a\n", keelward::kAutoLength, keelward::kLineEndingCRLF), 3u);
}

TEST(LineEndings, ChangeIntoABuffer) {
    const std::string text = "a\r\nb\nz\r";
    const std::pair<LineEndingType, std::string> cases[] = {
        {keelward::kLineEndingLF, "a\nb\nz\n"},
        {keelward::kLineEndingCRLF, "a\r\nb\r\nz\r\n"},
        {keelward::kLineEndingCR, "a\rb\rz\r"},
    };
    for (const auto& [target, expected] : cases) {
        std::string out(expected.size(), '#');
        UInt32 written = 0;
        keelward::ChangeLineEndings(text.data(), Size(text), target, out.data(), &written);
        EXPECT_EQ(out, expected) << target;
        EXPECT_EQ(written, expected.size());
    }
    char untouched[4] = "###";
    UInt32 written = 99;
    keelward::ChangeLineEndings(text.data(), Size(text), 0, untouched, &written);
    EXPECT_EQ(written, 0u);
    EXPECT_STREQ(untouched, "###");
    keelward::ChangeLineEndings("x\n", keelward::kAutoLength, keelward::kLineEndingCR, untouched, nullptr);
    EXPECT_STREQ(untouched, "x\r#");
}

TEST(LineEndings, ChangeIntoANewBuffer) {
    char* out = nullptr;
    UInt32 length = 0;
    ASSERT_EQ(keelward::ChangeLineEndingsCopy("a\n", keelward::kAutoLength, keelward::kLineEndingCRLF, &out, &length),
              0);
    EXPECT_EQ(std::string(out, length + 1), "a\r\n\0"s);
    std::free(out);

    // A target that names no line ending hands back the text unchanged.
    const std::string text = "x\r\ny\n";
    for (LineEndingType target : {0, 4, -1, -2}) {
        out = nullptr;
        length = 0;
        ASSERT_EQ(keelward::ChangeLineEndingsCopy(text.data(), Size(text), target, &out, &length), 0);
        EXPECT_EQ(std::string(out, length + 1), text + '\0') << target;
        std::free(out);
    }
    ASSERT_EQ(keelward::ChangeLineEndingsCopy("", 0, keelward::kLineEndingCRLF, &out, nullptr), 0);
    EXPECT_EQ(out[0], '\0');
    std::free(out);
    EXPECT_EQ(keelward::ChangeLineEndingsCopy("x", 1, keelward::kLineEndingLF, nullptr, &length), keelward::kErrParam);
}

TEST(LineEndings, ChangeInPlace) {
    char grow[3] = {'a', '\r', '#'};
    UInt32 length = 0;
    keelward::ChangeLineEndingsInPlace(grow, 2, keelward::kLineEndingCRLF, &length);
    EXPECT_EQ(length, 3u);
    EXPECT_EQ(std::string(grow, 3), "a\r\n");

    char shrink[5] = "a\r\nb";
    keelward::ChangeLineEndingsInPlace(shrink, 4, keelward::kLineEndingLF, &length);
    EXPECT_EQ(length, 3u);
    EXPECT_EQ(std::string(shrink, 5), "a\nbb\0"s);  // the fourth byte keeps its 'b'

    char unknown[] = "a\r\nb";
    keelward::ChangeLineEndingsInPlace(unknown, keelward::kAutoLength, 9, &length);
    EXPECT_EQ(length, 4u);
    EXPECT_STREQ(unknown, "a\r\nb");
}

// The in-place conversion done the plain way: edit the buffer where it stands, moving
// the rest of the text for every line ending that changes its length.
UInt32 ShiftingInPlace(char* p, UInt32 end, LineEndingType target) {
    for (UInt32 i = 0; i < end; ++i) {
        const bool pair = p[i] == '\r' && i + 1 < end && p[i + 1] == '\n';
        if (target == keelward::kLineEndingCR || target == keelward::kLineEndingLF) {
            if (pair) {
                std::memmove(p + i + 1, p + i + 2, end - i - 2);
                --end;
                if (target == keelward::kLineEndingLF) p[i] = '\n';
            } else if (p[i] == (target == keelward::kLineEndingCR ? '\n' : '\r')) {
                p[i] = target == keelward::kLineEndingCR ? '\r' : '\n';
            }
        } else if (target == keelward::kLineEndingCRLF) {
            if (pair) {
                ++i;
            } else if (p[i] == '\r') {
                std::memmove(p + i + 2, p + i + 1, end - i - 1);
                p[++i] = '\n';
                ++end;
            } else if (p[i] == '\n') {
                std::memmove(p + i + 1, p + i, end - i);
                p[i++] = '\r';
                ++end;
            }
        }
    }
    return end;
}

// Random texts of every length around the 16-byte blocks, dense and sparse in line
// endings of all three kinds.
std::string RandomText(std::mt19937& rng) {
    const size_t n = rng() % 90;
    const unsigned density = 1 + rng() % 30;
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        const unsigned roll = rng() % 100;
        s += roll < density ? '\r' : roll < 2 * density ? '\n' : static_cast<char>('a' + rng() % 26);
    }
    return s;
}

TEST(LineEndings, InPlaceMatchesTheCopyAndLeavesTheSameBytesBehind) {
    std::mt19937 rng(2024);
    for (int round = 0; round < 6000; ++round) {
        const std::string text = RandomText(rng);
        for (LineEndingType target : {keelward::kLineEndingCR, keelward::kLineEndingCRLF, keelward::kLineEndingLF}) {
            const UInt32 size = keelward::GetChangedLineEndingsSize(text.data(), Size(text), target);
            // Room for the larger of the two lengths, then a marker the functions must not touch.
            const size_t room = std::max<size_t>(text.size(), size);
            std::string expected = text;
            expected.resize(room, '~');
            expected += '|';
            std::string actual = expected;
            const UInt32 expectedLength = ShiftingInPlace(expected.data(), Size(text), target);

            UInt32 length = 0;
            keelward::ChangeLineEndingsInPlace(actual.data(), Size(text), target, &length);
            ASSERT_EQ(length, expectedLength) << testing::PrintToString(text) << " to " << target;
            ASSERT_EQ(actual, expected) << testing::PrintToString(text) << " to " << target;

            char* copy = nullptr;
            UInt32 copyLength = 0;
            ASSERT_EQ(keelward::ChangeLineEndingsCopy(text.data(), Size(text), target, &copy, &copyLength), 0);
            EXPECT_EQ(copyLength, size);
            EXPECT_EQ(std::string(copy, copyLength), actual.substr(0, length));
            EXPECT_EQ(copy[copyLength], '\0');
            std::free(copy);

            EXPECT_EQ(keelward::GetChangedLineEndingsSize(actual.data(), length, target), length);
            EXPECT_NE(keelward::GetLineEndingType(actual.data(), length), keelward::kLineEndingMixed);
        }
    }
}

}  // namespace
