#include "CFStringsTestSupport.h"

#include <keelward/platform/CoreFoundation/CFRuntimeInternal.h>

namespace keelward::test {
namespace {

using CaseChange = StringUtilities;

TEST(CFStringUtilitiesLifecycle, FreshProcessStateIsEmptyAndUnusable) {
    // Runs in a new process so that no earlier test has set anything up.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            CFMutableStringRef string = MakeMutable(u"louis xiv");
            const bool pristine = gThousandsSeparatorUniChar == 0 && kCFArticles[0] == nullptr &&
                                  kCFWhiteSpaceCharSet == nullptr && gCFWordCharSet == nullptr;
            const bool refused = CFStringSmartCapitalize(string, 0) == kErrParam &&
                                 CFStringRemoveArticles(string) == kErrParam &&
                                 CFStringTrimLeadingWhiteSpace(string) == kErrParam &&
                                 CFStringRestrictFilenameToISO9600(string, 0) == kErrParam &&
                                 CFStringRestrictFilenameToWindows(string, 0) == kErrParam &&
                                 Characters(string) == u"louis xiv";
            // Before the set-up the separator is the code unit 0.
            UniChar buffer[kFormattedUInt64BufferLength];
            const bool zeroSeparated = UInt64ToFormattedUString(1234, buffer) == 5 &&
                                       std::u16string(buffer, 5) == std::u16string(u"1\0" u"234", 5);
            CFRelease(string);
            std::exit(pristine && refused && zeroSeparated ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(CFStringUtilitiesLifecycle, SetUpAndFinishOwnExactlyTheirSets) {
    ASSERT_EQ(CFStringUtilitiesInitialize(), kNoErr);  // creates the predefined sets and constants once
    CFStringUtilitiesFinalize();
    const CFIndex baseline = CFRuntimeLiveObjectCount();

    ASSERT_EQ(CFStringUtilitiesInitialize(), kNoErr);
    const CFIndex afterOne = CFRuntimeLiveObjectCount();
    EXPECT_EQ(afterOne, baseline + 5);  // the five owned sets
    ASSERT_EQ(CFStringUtilitiesInitialize(), kNoErr);  // again, without a finish: nothing leaks
    EXPECT_EQ(CFRuntimeLiveObjectCount(), afterOne);
    for (CFCharacterSetRef set : {kCFWhiteSpaceCharSet, kCFLetterCharSet, gCFRomanNumercalsCharSet, gCFISO9660CharSet,
                                  gCFISO9660LetterCharSet, gCFWindowsFilenameExclusionCharSet,
                                  static_cast<CFCharacterSetRef>(gCFWordCharSet)}) {
        EXPECT_NE(set, nullptr);
    }
    EXPECT_EQ(Characters(kCFArticles[0]), u"a");
    EXPECT_EQ(Characters(kCFArticles[1]), u"an");
    EXPECT_EQ(Characters(kCFArticles[2]), u"the");
    EXPECT_EQ(gThousandsSeparatorUniChar, u',');  // the tests run in the C locale

    // The sets hold what the operations rely on.
    EXPECT_TRUE(CFCharacterSetIsCharacterMember(gCFWordCharSet, u'\''));
    EXPECT_FALSE(CFCharacterSetIsCharacterMember(gCFWordCharSet, u'\u2019'));
    EXPECT_TRUE(CFCharacterSetIsCharacterMember(gCFWordCharSet, u'\u00E9'));
    EXPECT_TRUE(CFCharacterSetIsCharacterMember(gCFISO9660CharSet, u'_'));
    EXPECT_FALSE(CFCharacterSetIsCharacterMember(gCFISO9660LetterCharSet, u'_'));
    for (UniChar c : std::u16string_view(u"/\\:*?\"<>|")) {
        EXPECT_TRUE(CFCharacterSetIsCharacterMember(gCFWindowsFilenameExclusionCharSet, c));
    }

    CFStringUtilitiesFinalize();
    EXPECT_EQ(CFRuntimeLiveObjectCount(), baseline);
    EXPECT_EQ(gCFWordCharSet, nullptr);
    EXPECT_EQ(gCFRomanNumercalsCharSet, nullptr);
    EXPECT_EQ(gCFISO9660CharSet, nullptr);
    // What the finish leaves readable keeps the articles and trimming working.
    EXPECT_NE(kCFWhiteSpaceCharSet, nullptr);
    EXPECT_EQ(gThousandsSeparatorUniChar, u',');
    EXPECT_EQ(Edited(u"The Beatles ", CFStringRemoveArticles), u"Beatles ");
    EXPECT_EQ(Edited(u" x ", CFStringTrimTrailingWhiteSpace), u" x");
    EXPECT_EQ(Edited(u"a b", CFStringSpacesToUnderscores), u"a_b");
    // What needs the owned sets refuses and leaves the string alone.
    const auto smart = [](CFMutableStringRef s) { return CFStringSmartCapitalize(s, 0); };
    const auto mode3 = [](CFMutableStringRef s) { return CFStringChangeCase(s, kChangeCaseSmart, 0); };
    const auto iso = [](CFMutableStringRef s) { return CFStringRestrictFilenameToISO9600(s, 0); };
    const auto windows = [](CFMutableStringRef s) { return CFStringRestrictFilenameToWindows(s, 0); };
    EXPECT_EQ(Edited(u"louis XIV", smart, kErrParam), u"louis XIV");
    EXPECT_EQ(Edited(u"louis XIV", mode3, kErrParam), u"louis XIV");
    EXPECT_EQ(Edited(u"A b.txt", iso, kErrParam), u"A b.txt");
    EXPECT_EQ(Edited(u"a:b.txt", windows, kErrParam), u"a:b.txt");
    CFStringUtilitiesFinalize();  // a second finish is harmless
}

TEST(CFStringUtilitiesSubstring, CopiesTheRangeOrRefuses) {
    CFStringRef source = CFStringCreateWithCharacters(kCFAllocatorDefault, u"h\u00E9llo", 5);
    const CFOwned<CFTypeRef> guard(source);
    struct Case {
        SInt32 start, length;
        SInt32 status;
        std::u16string_view expected;
    };
    const Case cases[] = {
        {2, 3, kNoErr, u"llo"},  {0, 5, kNoErr, u"h\u00E9llo"}, {1, 1, kNoErr, u"\u00E9"},
        {5, 0, kNoErr, u""},     {6, 0, kErrParam, u""},        {3, 3, kErrParam, u""},
        {-1, 2, kErrParam, u""}, {0, -1, kErrParam, u""},       {0x7FFFFFFF, 1, kErrParam, u""},
    };
    for (const Case& c : cases) {
        CFMutableStringRef result = nullptr;
        EXPECT_EQ(CFStringCreateMutableWithSubstring(kCFAllocatorDefault, source, c.start, c.length, &result),
                  c.status);
        if (c.status != kNoErr) {
            EXPECT_EQ(result, nullptr);
            continue;
        }
        ASSERT_NE(result, nullptr);
        EXPECT_EQ(Characters(result), c.expected);
        // The copy is mutable and independent.
        CFStringAppendCharacters(result, u"!", 1);
        EXPECT_EQ(CFStringGetLength(result), c.length + 1);
        CFRelease(result);
    }
    CFMutableStringRef result = nullptr;
    EXPECT_EQ(CFStringCreateMutableWithSubstring(kCFAllocatorDefault, nullptr, 0, 0, &result), kErrParam);
    EXPECT_EQ(CFStringCreateMutableWithSubstring(kCFAllocatorDefault, source, 0, 1, nullptr), kErrParam);
    EXPECT_EQ(Characters(source), u"h\u00E9llo");
}

TEST(CFStringUtilitiesUppercaseRange, UpperCasesOnlyTheRangeAndGrowsWithIt) {
    struct Case {
        std::u16string_view text;
        SInt32 start, length;
        SInt32 status;
        std::u16string_view expected;
    };
    const Case cases[] = {
        {u"hello", 1, 3, kNoErr, u"hELLo"},
        {u"hello", 0, 5, kNoErr, u"HELLO"},
        {u"stra\u00DFe", 4, 1, kNoErr, u"straSSe"},
        {u"\uFB03x", 0, 1, kNoErr, u"FFIx"},
        {u"hello", 5, 0, kNoErr, u"hello"},
        {u"hello", 2, 0, kNoErr, u"hello"},
        {u"hello", 4, 2, kErrParam, u"hello"},
        {u"hello", -1, 1, kErrParam, u"hello"},
        {u"hello", 1, -1, kErrParam, u"hello"},
        {u"a\U00010428b", 1, 2, kNoErr, u"a\U00010400b"},
        {u"a\U00010428b", 1, 1, kNoErr, u"a\U00010428b"},  // half a pair is left intact
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Edited(c.text, [&](CFMutableStringRef s) { return CFStringUppercaseRange(s, c.start, c.length); },
                         c.status),
                  c.expected);
    }
    EXPECT_EQ(CFStringUppercaseRange(nullptr, 0, 0), kErrParam);
}

TEST_F(CaseChange, SmartCapitalizeStartsEveryWordUpperCase) {
    struct Case {
        std::u16string_view text;
        std::u16string_view plain;
        std::u16string_view roman;
    };
    const Case cases[] = {
        {u"hello world", u"Hello World", u"Hello World"},
        {u"\u00C9COLE normale", u"\u00C9cole Normale", u"\u00C9cole Normale"},
        {u"o'neil", u"O'neil", u"O'neil"},
        {u"it\u2019s", u"It\u2019S", u"It\u2019S"},  // only the ASCII apostrophe joins a word
        {u"jean-paul", u"Jean-Paul", u"Jean-Paul"},
        {u"3rd place", u"3rd Place", u"3rd Place"},
        {u"  two  spaces ", u"  Two  Spaces ", u"  Two  Spaces "},
        {u"louis xiv", u"Louis Xiv", u"Louis XIV"},
        {u"mix did civil i", u"Mix Did Civil I", u"MIX DID CIVIL I"},
        {u"", u"", u""},
        // Upper-casing lengthens these words; the walk goes on behind them.
        {u"\u00DFen ab", u"SSen Ab", u"SSen Ab"},
        {u"\uFB01ne fish", u"FIne Fish", u"FIne Fish"},
        {u"\u00DF \u00DF", u"SS SS", u"SS SS"},
        {u"\uFB03 x", u"FFI X", u"FFI X"},
        // Characters outside the Basic Multilingual Plane are kept and end words.
        {u"\U0001F600smile and\U0001D49Cx", u"\U0001F600Smile And\U0001D49CX", u"\U0001F600Smile And\U0001D49CX"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Edited(c.text, [](CFMutableStringRef s) { return CFStringSmartCapitalize(s, 0); }), c.plain);
        EXPECT_EQ(Edited(c.text,
                         [](CFMutableStringRef s) {
                             return CFStringSmartCapitalize(s, kSmartCapitalizeRomanNumerals);
                         }),
                  c.roman);
    }
    EXPECT_EQ(Edited(u"abc", [](CFMutableStringRef s) { return CFStringSmartCapitalize(s, 2); }, kErrFlags), u"abc");
    EXPECT_EQ(CFStringSmartCapitalize(nullptr, 0), kErrParam);
}

TEST_F(CaseChange, ChangeCaseByMode) {
    struct Case {
        std::u16string_view text;
        UInt32 mode;
        std::u16string_view expected;
    };
    const Case cases[] = {
        {u"Stra\u00DFe xiv", kChangeCaseUpper, u"STRASSE XIV"},
        {u"\u00C9COLE XIV", kChangeCaseLower, u"\u00E9cole xiv"},
        {u"louis xiv", kChangeCaseSmart, u"Louis Xiv"},
        {u"\u00E9cole NORMALE", kChangeCaseFirstUpper, u"\u00C9cole NORMALE"},
        {u"\u00DFtart", kChangeCaseFirstUpper, u"SStart"},
        {u"\U00010428ab", kChangeCaseFirstUpper, u"\U00010400ab"},  // the whole first character
        {u"hELLO wORLD", kChangeCaseSentence, u"Hello world"},
        {u"\U00010400AB", kChangeCaseSentence, u"\U00010400ab"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Edited(c.text, [&](CFMutableStringRef s) { return CFStringChangeCase(s, c.mode, 0); }), c.expected)
            << c.mode;
    }
    EXPECT_EQ(Edited(u"louis xiv",
                     [](CFMutableStringRef s) {
                         return CFStringChangeCase(s, kChangeCaseSmart, kSmartCapitalizeRomanNumerals);
                     }),
              u"Louis XIV");
    for (UInt32 mode = kChangeCaseUpper; mode <= kChangeCaseSentence; ++mode) {
        EXPECT_EQ(Edited(u"", [&](CFMutableStringRef s) { return CFStringChangeCase(s, mode, 0); }), u"") << mode;
    }
}

TEST_F(CaseChange, ChangeCaseChecksStringThenOptionsThenMode) {
    struct Case {
        UInt32 mode, options;
        SInt32 status;
    };
    const Case cases[] = {
        {kChangeCaseUpper, 2, kErrFlags}, {0, 2, kErrFlags},     {kChangeCaseSmart, 0x80000000U, kErrFlags},
        {0, 0, kErrType},                 {6, 1, kErrType},      {0xFFFFFFFFU, 0, kErrType},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Edited(u"MiXed", [&](CFMutableStringRef s) { return CFStringChangeCase(s, c.mode, c.options); },
                         c.status),
                  u"MiXed")
            << c.mode << " " << c.options;
    }
    EXPECT_EQ(CFStringChangeCase(nullptr, 0, 2), kErrParam);
}

}  // namespace
}  // namespace keelward::test
