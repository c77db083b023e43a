#include <keelward/strings/Strings.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <type_traits>
#include <utility>

namespace keelward {
// Code inside the namespace reaches the library's functions unqualified, never the C
// library's twins (which take size_t and return size_t or void*).
static_assert(std::is_same_v<decltype(strnlen(std::declval<const char*>(), std::declval<std::size_t>())), UInt32>);
static_assert(std::is_same_v<decltype(memrchr(std::declval<const char*>(), 0, std::declval<std::size_t>())),
                             const void*>);
}  // namespace keelward

namespace {

using keelward::SInt32;
using keelward::UInt32;
using keelward::UniChar;

struct CompareCase {
    const char* a;
    const char* b;
    UInt32 count;
    SInt32 expected;
};

TEST(ByteStringCompare, StricmpFoldsCaseAndReturnsOnlyTheSign) {
    const CompareCase cases[] = {
        {"abc", "ABD", 0, -1}, {"B", "a", 0, 1},      {"a", "ab", 0, -1}, {"ab", "a", 0, 1},
        {"", "", 0, 0},        {"HeLLo", "hEllO", 0, 0}, {"a", "z", 0, -1}, {"z", "a", 0, 1},
        {"\xE9", "z", 0, 1},  // unsigned bytes: 0xE9 sorts after every ASCII letter
    };
    for (const CompareCase& c : cases) EXPECT_EQ(keelward::stricmp(c.a, c.b), c.expected) << c.a << " / " << c.b;
}

TEST(ByteStringCompare, StrnicmpStopsAfterTheCount) {
    const CompareCase cases[] = {
        {"abcX", "ABCy", 3, 0}, {"abcX", "ABCy", 4, -1}, {"x", "y", 0, 0},  {"ab", "ABC", 5, -1},
        {"abc", "abc", 100, 0}, {"abc", "ab", 3, 1},     {"Zed", "zed", keelward::kAutoLength, 0},
    };
    for (const CompareCase& c : cases) {
        EXPECT_EQ(keelward::strnicmp(c.a, c.b, c.count), c.expected) << c.a << " / " << c.b << " / " << c.count;
    }
}

TEST(ByteStringCompare, CountedStringMustMatchTheWholeTerminatedOne) {
    const CompareCase exact[] = {
        {"abc", "ab", 2, 0},  {"abc", "abc", 2, -1}, {"ab", "a", 2, 1},   {"xyz", "", 0, 0},
        {"xyz", "x", 0, -1},  {"abd", "abc", 3, 1},  {"a\0c", "a", 3, 0},  // a NUL inside a ends it
        {"a\0c", "ab", 3, -1}, {"The", "the", 3, -1}, {"abc", "abc", keelward::kAutoLength, 0},
    };
    for (const CompareCase& c : exact) {
        EXPECT_EQ(keelward::strncmpx(c.a, c.count, c.b), c.expected) << c.a << " / " << c.b << " / " << c.count;
    }
    const CompareCase folded[] = {
        {"THE", "the", 3, 0}, {"THEM", "the", 3, 0}, {"TH", "the", 2, -1}, {"THE", "th", 3, 1}, {"An", "a", 2, 1},
    };
    for (const CompareCase& c : folded) {
        EXPECT_EQ(keelward::strnicmpx(c.a, c.count, c.b), c.expected) << c.a << " / " << c.b << " / " << c.count;
    }
    // The counted text need not be terminated: nothing past the count is read.
    const char word[3] = {'T', 'h', 'e'};
    EXPECT_EQ(keelward::strnicmpx(word, 3, "the"), 0);
    EXPECT_EQ(keelward::strncmpx(word, 3, "The"), 0);
}

TEST(ByteStringSearch, StrnlenAndMemrchr) {
    EXPECT_EQ(keelward::strnlen("abc", 2), 2u);
    EXPECT_EQ(keelward::strnlen("abc", 10), 3u);
    EXPECT_EQ(keelward::strnlen("", 10), 0u);
    const char unterminated[4] = {'w', 'x', 'y', 'z'};
    EXPECT_EQ(keelward::strnlen(unterminated, 4), 4u);

    const char text[] = "abcabc";
    EXPECT_EQ(keelward::memrchr(text, 'b', 6), text + 4);
    EXPECT_EQ(keelward::memrchr(text, 'a', 3), text);
    EXPECT_EQ(keelward::memrchr(text, 'z', 6), nullptr);
    EXPECT_EQ(keelward::memrchr(text, 'b', 0), nullptr);
    EXPECT_EQ(keelward::memrchr(text, '\0', 7), text + 6);
    const unsigned char high[] = {0xFF, 0x01};
    EXPECT_EQ(keelward::memrchr(high, 0xFF, 2), high);
    // Unlike the C library, a value outside 0..255 is not cut to a byte.
    EXPECT_EQ(keelward::memrchr(text, 'a' + 0x100, 6), nullptr);
    EXPECT_EQ(keelward::memrchr(high, -1, 2), nullptr);
    char writable[] = "xyx";
    char* found = static_cast<char*>(keelward::memrchr(static_cast<void*>(writable), 'x', 3));
    ASSERT_EQ(found, writable + 2);
}

TEST(FileNameExtension, LastDotUnlessADigitOrSpaceFollows) {
    const std::pair<const char*, const char*> cases[] = {
        {"photo.JPG", "JPG"}, {"archive.tar.gz", "gz"}, {"Version 1.5", ""}, {"My. Doc", ""},
        {"README", ""},       {"dir.d/file", "d/file"}, {".profile", "profile"},
    };
    for (const auto& [name, extension] : cases) EXPECT_STREQ(keelward::StringFileExtension(name), extension) << name;
    const char endsWithDot[] = "file.";
    EXPECT_EQ(keelward::StringFileExtension(endsWithDot), endsWithDot + 5);
    const char name[] = "photo.JPG";
    EXPECT_EQ(keelward::StringFileExtension(name), name + 6);
}

TEST(FileNameExtension, MatchIgnoresCaseAndHasNoDigitRule) {
    const char photo[] = "photo.JPG";
    EXPECT_EQ(keelward::StringFileExtensionMatch(photo, "jpg"), photo + 6);
    EXPECT_EQ(keelward::StringFileExtensionMatch(photo, "jp"), nullptr);
    EXPECT_EQ(keelward::StringFileExtensionMatch(photo, "jpeg"), nullptr);
    const char version[] = "Version 1.5";
    EXPECT_EQ(keelward::StringFileExtensionMatch(version, "5"), version + 10);
    EXPECT_EQ(keelward::StringFileExtensionMatch("README", "README"), nullptr);
    EXPECT_EQ(keelward::StringFileExtensionMatch("README", ""), nullptr);

    const char gif[] = "a.gif";
    EXPECT_EQ(keelward::StringFileExtensionMatchList(gif, "jpg", "GIF", nullptr), gif + 2);
    EXPECT_EQ(keelward::StringFileExtensionMatchList("a.png", "jpg", "gif", nullptr), nullptr);
    EXPECT_EQ(keelward::StringFileExtensionMatchList("a.png", nullptr), nullptr);
    EXPECT_EQ(keelward::StringFileExtensionMatchList("png", "png", nullptr), nullptr);
}

TEST(FileNameExtension, UTF16ParseFilenameSplitsBaseAndExtension) {
    struct Case {
        std::u16string name;
        UInt32 count;
        UInt32 baseLength;
        UInt32 extensionStart;
        UInt32 extensionLength;
    };
    const Case cases[] = {
        {u"report.txt", keelward::kAutoLength, 6, 7, 3},
        {u"v1.2", keelward::kAutoLength, 4, 4, 0},
        {u"name.", keelward::kAutoLength, 4, 5, 0},
        {u".profile", keelward::kAutoLength, 0, 1, 7},
        {u"My. Doc", keelward::kAutoLength, 7, 7, 0},
        {u"a.b.c", keelward::kAutoLength, 3, 4, 1},
        {u"README", keelward::kAutoLength, 6, 6, 0},
        {u"", keelward::kAutoLength, 0, 0, 0},
        // Only the first `count` units count: the dot of "x.tx" is the last one seen,
        // and what follows past the count plays no part.
        {u"x.tx.1", 4, 1, 2, 2},
        {u"ab.1", 3, 2, 3, 0},
    };
    for (const Case& c : cases) {
        const UniChar* base = nullptr;
        const UniChar* extension = nullptr;
        UInt32 baseLength = 99;
        UInt32 extensionLength = 99;
        keelward::UTF16ParseFilename(c.name.c_str(), c.count, &base, &baseLength, &extension, &extensionLength);
        const std::string label(c.name.begin(), c.name.end());
        EXPECT_EQ(base, c.name.c_str()) << label;
        EXPECT_EQ(baseLength, c.baseLength) << label;
        EXPECT_EQ(extension, c.name.c_str() + c.extensionStart) << label;
        EXPECT_EQ(extensionLength, c.extensionLength) << label;
    }
}

TEST(CharacterSetRemoval, RemovesMembersOrNonMembersInPlace) {
    struct Case {
        bool keepSet;
        const char* text;
        const char* set;
        const char* result;
        UInt32 removed;
    };
    const Case cases[] = {
        {false, "a-b-c", "-", "abc", 2},     {true, "a1b2", "0123456789", "12", 2},
        {false, "a-b-c", "", "a-b-c", 0},    {true, "a-b-c", "", "", 5},
        {false, "--x--", "-", "x", 4},       {true, "xyz", "zyx", "xyz", 0},
        {false, "", "abc", "", 0},           {false, "\xE9t\xE9", "\xE9", "t", 2},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        const UInt32 removed = c.keepSet ? keelward::StringRemoveNotSet(text.data(), c.set)
                                         : keelward::StringRemoveSet(text.data(), c.set);
        EXPECT_STREQ(text.c_str(), c.result) << c.text << " / " << c.set;
        EXPECT_EQ(removed, c.removed) << c.text << " / " << c.set;
    }
}

}  // namespace
