#include <keelward/platform/CoreFoundation/CFOwned.h>
#include <keelward/platform/CoreFoundation/CFRuntimeInternal.h>

#include <gtest/gtest.h>

#include <string>

namespace keelward {
namespace {

std::u16string Characters(CFStringRef string) {
    std::u16string out(static_cast<std::size_t>(CFStringGetLength(string)), u'\0');
    CFStringGetCharacters(string, CFRangeMake(0, CFStringGetLength(string)), out.data());
    return out;
}

CFMutableStringRef MakeMutable(std::u16string_view text) {
    CFMutableStringRef string = CFStringCreateMutable(kCFAllocatorDefault, 0);
    CFStringAppendCharacters(string, text.data(), static_cast<CFIndex>(text.size()));
    return string;
}

CFStringRef MakeString(std::u16string_view text) {
    return CFStringCreateWithCharacters(kCFAllocatorDefault, text.data(), static_cast<CFIndex>(text.size()));
}

TEST(CFStringMutation, DeleteAndReplaceEditOnlyRangesInsideTheString) {
    CFStringRef with = MakeString(u"XY");
    const CFOwned<CFTypeRef> guardWith(with);
    struct Case {
        CFRange range;
        bool replace;
        std::u16string_view expected;
    };
    const Case cases[] = {
        {{1, 2}, false, u"hlo"},     {{0, 5}, false, u""},        {{5, 0}, false, u"hello"},
        {{4, 2}, false, u"hello"},   {{-1, 2}, false, u"hello"},  {{2, -1}, false, u"hello"},
        {{1, 3}, true, u"hXYo"},     {{5, 0}, true, u"helloXY"},  {{0, 0}, true, u"XYhello"},
        {{0, 5}, true, u"XY"},       {{3, 3}, true, u"hello"},    {{6, 0}, true, u"hello"},
    };
    for (const Case& c : cases) {
        CFMutableStringRef string = MakeMutable(u"hello");
        const CFOwned<CFTypeRef> guard(string);
        if (c.replace) {
            CFStringReplace(string, c.range, with);
        } else {
            CFStringDelete(string, c.range);
        }
        EXPECT_EQ(Characters(string), c.expected) << c.range.location << "," << c.range.length << " " << c.replace;
    }
}

TEST(CFStringMutation, ReplacingWithItselfReadsTheOldContents) {
    CFMutableStringRef string = MakeMutable(u"abc");
    const CFOwned<CFTypeRef> guard(string);
    CFStringReplace(string, CFRangeMake(1, 1), string);
    EXPECT_EQ(Characters(string), u"aabcc");
    CFStringReplaceAll(string, string);
    EXPECT_EQ(Characters(string), u"aabcc");
    CFStringRef other = MakeString(u"new");
    const CFOwned<CFTypeRef> guardOther(other);
    CFStringReplaceAll(string, other);
    EXPECT_EQ(Characters(string), u"new");
    CFStringReplaceAll(string, nullptr);
    EXPECT_EQ(Characters(string), u"new");
}

TEST(CFStringMutation, ImmutableStringsAndWrongTypesAreNeverChanged) {
    CFStringRef fixed = MakeString(u"fixed");
    const CFOwned<CFTypeRef> guard(fixed);
    auto* forced = const_cast<CFMutableStringRef>(fixed);
    CFStringDelete(forced, CFRangeMake(0, 2));
    CFStringReplace(forced, CFRangeMake(0, 1), fixed);
    CFStringReplaceAll(forced, fixed);
    CFStringUppercase(forced, nullptr);
    EXPECT_EQ(Characters(fixed), u"fixed");
    // A mutable copy is independent of its source.
    CFMutableStringRef copy = CFStringCreateMutableCopy(kCFAllocatorDefault, 0, fixed);
    const CFOwned<CFTypeRef> guardCopy(copy);
    CFStringUppercase(copy, nullptr);
    EXPECT_EQ(Characters(copy), u"FIXED");
    EXPECT_EQ(Characters(fixed), u"fixed");
    EXPECT_EQ(CFStringCreateMutableCopy(kCFAllocatorDefault, 0, nullptr), nullptr);
    EXPECT_EQ(CFStringCreateMutableCopy(kCFAllocatorDefault, -1, fixed), nullptr);
}

TEST(CFStringMutation, CharactersByIndexStayInsideTheString) {
    CFStringRef string = MakeString(u"ab");
    const CFOwned<CFTypeRef> guard(string);
    EXPECT_EQ(CFStringGetCharacterAtIndex(string, 0), u'a');
    EXPECT_EQ(CFStringGetCharacterAtIndex(string, 1), u'b');
    EXPECT_EQ(CFStringGetCharacterAtIndex(string, 2), 0);
    EXPECT_EQ(CFStringGetCharacterAtIndex(string, -1), 0);
    EXPECT_EQ(CFStringGetCharacterAtIndex(nullptr, 0), 0);
    ASSERT_NE(CFStringGetCharactersPtr(string), nullptr);
    EXPECT_EQ(std::u16string(CFStringGetCharactersPtr(string), 2), u"ab");
    EXPECT_EQ(CFStringGetCharactersPtr(nullptr), nullptr);
}

TEST(CFStringMutation, CaseMappingIsFullAndLanguageIndependent) {
    struct Case {
        std::u16string_view text;
        std::u16string_view upper;
        std::u16string_view lower;
    };
    const Case cases[] = {
        {u"straße", u"STRASSE", u"straße"},
        {u"\uFB01ne", u"FINE", u"\uFB01ne"},                    // ﬁ ligature
        {u"\u0130", u"\u0130", u"i\u0307"},                     // İ lower-cases to two code units
        {u"\u03A3\u0391\u03A3", u"\u03A3\u0391\u03A3", u"\u03C3\u03B1\u03C2"},  // final sigma
        {u"Ix", u"IX", u"ix"},                                  // no Turkish dotless i
        {u"\U00010428x", u"\U00010400X", u"\U00010428x"},       // Deseret, outside the BMP
        {u"a\xD800z", u"A\xD800Z", u"a\xD800z"},                // unpaired surrogate kept
        {u"", u"", u""},
    };
    for (const Case& c : cases) {
        CFMutableStringRef upper = MakeMutable(c.text);
        CFMutableStringRef lower = MakeMutable(c.text);
        const CFOwned<CFTypeRef> guardUpper(upper);
        const CFOwned<CFTypeRef> guardLower(lower);
        CFStringUppercase(upper, nullptr);
        CFStringLowercase(lower, nullptr);
        EXPECT_EQ(Characters(upper), c.upper);
        EXPECT_EQ(Characters(lower), c.lower);
    }
}

TEST(CFStringMutation, CompareWithOptionsFoldsCaseOnlyWhenAsked) {
    CFStringRef string = MakeString(u"The STRASSE");
    const CFOwned<CFTypeRef> guard(string);
    CFStringRef the = MakeString(u"the");
    CFStringRef strasse = MakeString(u"straße");
    const CFOwned<CFTypeRef> guardThe(the);
    const CFOwned<CFTypeRef> guardStrasse(strasse);
    EXPECT_EQ(CFStringCompareWithOptions(string, the, CFRangeMake(0, 3), kCFCompareCaseInsensitive), kCFCompareEqualTo);
    EXPECT_EQ(CFStringCompareWithOptions(string, the, CFRangeMake(0, 3), 0), kCFCompareLessThan);  // 'T' < 't'
    EXPECT_EQ(CFStringCompareWithOptions(string, the, CFRangeMake(0, 2), kCFCompareCaseInsensitive),
              kCFCompareLessThan);
    EXPECT_EQ(CFStringCompareWithOptions(string, the, CFRangeMake(0, 4), kCFCompareCaseInsensitive),
              kCFCompareGreaterThan);
    EXPECT_EQ(CFStringCompareWithOptions(string, strasse, CFRangeMake(4, 7), kCFCompareCaseInsensitive),
              kCFCompareEqualTo);
    EXPECT_EQ(CFStringCompareWithOptions(string, the, CFRangeMake(9, 3), kCFCompareCaseInsensitive),
              kCFCompareLessThan);  // range outside: not read
    EXPECT_EQ(CFStringCompareWithOptions(string, nullptr, CFRangeMake(0, 0), 0), kCFCompareEqualTo);
    EXPECT_EQ(CFStringCompareWithOptions(nullptr, the, CFRangeMake(0, 0), 0), kCFCompareLessThan);
}

TEST(CFStringMutation, ConstantStringsAreSharedAndOutliveReleases) {
    CFStringRef first = CFSTR("the");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(CFSTR("the"), first);
    EXPECT_EQ(Characters(first), u"the");
    const CFIndex live = CFRuntimeLiveObjectCount();
    CFRelease(first);
    CFRelease(first);
    EXPECT_EQ(CFRuntimeLiveObjectCount(), live);
    EXPECT_EQ(Characters(CFSTR("the")), u"the");
    EXPECT_EQ(Characters(CFSTR("\xC3\xA9t\xC3\xA9")), u"été");
    EXPECT_EQ(CFStringMakeConstantString("\xC3"), nullptr);
    EXPECT_EQ(CFStringMakeConstantString(nullptr), nullptr);
}

}  // namespace
}  // namespace keelward
