#include <keelward/platform/CoreFoundation/CFOwned.h>
#include <keelward/platform/CoreFoundation/CFCharacterSet.h>
#include <keelward/platform/CoreFoundation/CFRuntimeInternal.h>

#include <gtest/gtest.h>

#include <string>

namespace keelward {
namespace {

CFStringRef MakeString(std::u16string_view text) {
    return CFStringCreateWithCharacters(kCFAllocatorDefault, text.data(), static_cast<CFIndex>(text.size()));
}

TEST(CFCharacterSet, PredefinedSetsFollowUnicodeCategories) {
    struct Case {
        CFCharacterSetPredefinedSet set;
        std::u16string_view members;
        std::u16string_view others;
    };
    const Case cases[] = {
        {kCFCharacterSetWhitespaceAndNewline, u" \t\n\v\f\r\u0085\u00A0\u2028\u2029\u202F\u3000",
         u"a_.\u200B\xD800"},
        {kCFCharacterSetLetter, u"aZ\u00E9\u00DF\u0301\u03A9\u05D0\u4E2D\uFB01", u"1_' \u00B2\u2019\xD835"},
        {kCFCharacterSetAlphaNumeric, u"aZ\u00E90\u0663\u00B2\u0301", u"_' -\u2019\xDC00"},
        {kCFCharacterSetDecimalDigit, u"09\u0663", u"a\u00B2"},
        {kCFCharacterSetNewline, u"\n\r\u2028", u" \t"},
    };
    for (const Case& c : cases) {
        CFCharacterSetRef set = CFCharacterSetGetPredefined(c.set);
        ASSERT_NE(set, nullptr) << c.set;
        for (UniChar member : c.members) {
            EXPECT_TRUE(CFCharacterSetIsCharacterMember(set, member)) << c.set << " " << int(member);
        }
        for (UniChar other : c.others) {
            EXPECT_FALSE(CFCharacterSetIsCharacterMember(set, other)) << c.set << " " << int(other);
        }
    }
    EXPECT_TRUE(CFCharacterSetIsLongCharacterMember(CFCharacterSetGetPredefined(kCFCharacterSetLetter), 0x1D49C));
    EXPECT_FALSE(CFCharacterSetIsLongCharacterMember(CFCharacterSetGetPredefined(kCFCharacterSetLetter), 0x110000));
    EXPECT_EQ(CFCharacterSetGetPredefined(CFCharacterSetPredefinedSet(0)), nullptr);
    EXPECT_EQ(CFCharacterSetGetPredefined(CFCharacterSetPredefinedSet(16)), nullptr);
}

TEST(CFCharacterSet, PredefinedSetsAreSharedAndNeverDestroyed) {
    CFCharacterSetRef letters = CFCharacterSetGetPredefined(kCFCharacterSetLetter);
    EXPECT_EQ(CFCharacterSetGetPredefined(kCFCharacterSetLetter), letters);
    EXPECT_EQ(CFGetTypeID(letters), CFCharacterSetGetTypeID());
    CFRelease(letters);
    CFRelease(letters);
    EXPECT_TRUE(CFCharacterSetIsCharacterMember(CFCharacterSetGetPredefined(kCFCharacterSetLetter), u'q'));
    // Not mutable: adding does nothing.
    CFStringRef digits = MakeString(u"7");
    const CFOwned<CFTypeRef> guard(digits);
    CFCharacterSetAddCharactersInString(const_cast<CFMutableCharacterSetRef>(letters), digits);
    EXPECT_FALSE(CFCharacterSetIsCharacterMember(letters, u'7'));
}

TEST(CFCharacterSet, SetsFromStringsAndMutableCopies) {
    const CFIndex live = CFRuntimeLiveObjectCount();
    {
        CFStringRef text = MakeString(u"ab\U0001D49C\xDC00");  // a pair and a lone low surrogate
        const CFOwned<CFTypeRef> guardText(text);
        CFCharacterSetRef set = CFCharacterSetCreateWithCharactersInString(kCFAllocatorDefault, text);
        const CFOwned<CFTypeRef> guardSet(set);
        ASSERT_NE(set, nullptr);
        EXPECT_TRUE(CFCharacterSetIsCharacterMember(set, u'a'));
        EXPECT_FALSE(CFCharacterSetIsCharacterMember(set, u'c'));
        EXPECT_TRUE(CFCharacterSetIsLongCharacterMember(set, 0x1D49C));
        EXPECT_FALSE(CFCharacterSetIsCharacterMember(set, 0xD835));  // half of the pair is no member
        EXPECT_TRUE(CFCharacterSetIsCharacterMember(set, 0xDC00));

        CFMutableCharacterSetRef copy = CFCharacterSetCreateMutableCopy(kCFAllocatorDefault, set);
        const CFOwned<CFTypeRef> guardCopy(copy);
        CFStringRef more = MakeString(u"'");
        const CFOwned<CFTypeRef> guardMore(more);
        CFCharacterSetAddCharactersInString(copy, more);
        EXPECT_TRUE(CFCharacterSetIsCharacterMember(copy, u'\''));
        EXPECT_TRUE(CFCharacterSetIsCharacterMember(copy, u'b'));
        EXPECT_FALSE(CFCharacterSetIsCharacterMember(set, u'\''));  // the source is untouched
        CFCharacterSetAddCharactersInString(copy, nullptr);
    }
    EXPECT_EQ(CFRuntimeLiveObjectCount(), live);
    EXPECT_EQ(CFCharacterSetCreateWithCharactersInString(kCFAllocatorDefault, nullptr), nullptr);
    EXPECT_EQ(CFCharacterSetCreateMutableCopy(kCFAllocatorDefault, nullptr), nullptr);
    EXPECT_FALSE(CFCharacterSetIsCharacterMember(nullptr, u'a'));
    CFStringRef notASet = MakeString(u"a");
    const CFOwned<CFTypeRef> guard(notASet);
    EXPECT_FALSE(CFCharacterSetIsCharacterMember(reinterpret_cast<CFCharacterSetRef>(notASet), u'a'));
}

}  // namespace
}  // namespace keelward
