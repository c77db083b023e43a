#include "CFStringsTestSupport.h"

#include <clocale>
#include <limits>

namespace keelward::test {
namespace {

// Sets the shared separator for one scope.
class Separator {
public:
    explicit Separator(UniChar separator) : mSaved(gThousandsSeparatorUniChar) {
        gThousandsSeparatorUniChar = separator;
    }
    ~Separator() { gThousandsSeparatorUniChar = mSaved; }

private:
    UniChar mSaved;
};

std::u16string FormattedSigned(SInt64 value) {
    CFMutableStringRef string = MakeMutable(u"previous text");
    const CFOwned<CFTypeRef> guard(string);
    SInt64ToFormattedCFString(value, string);
    return Characters(string);
}

std::u16string FormattedUnsigned(UInt64 value) {
    CFMutableStringRef string = MakeMutable(u"previous text");
    const CFOwned<CFTypeRef> guard(string);
    UInt64ToFormattedCFString(value, string);
    return Characters(string);
}

TEST(FormattedNumbers, GroupsDigitsInThrees) {
    const Separator comma(u',');
    struct Case {
        UInt64 value;
        std::u16string_view text;
    };
    const Case cases[] = {
        {0, u"0"},
        {999, u"999"},
        {1000, u"1,000"},
        {1234567, u"1,234,567"},
        {100000, u"100,000"},
        {std::numeric_limits<UInt64>::max(), u"18,446,744,073,709,551,615"},
    };
    for (const Case& c : cases) {
        UniChar buffer[kFormattedUInt64BufferLength + 1];
        std::fill(std::begin(buffer), std::end(buffer), u'#');
        const UInt32 length = UInt64ToFormattedUString(c.value, buffer);
        EXPECT_EQ(std::u16string_view(buffer, length), c.text);
        EXPECT_EQ(buffer[length], 0);
        EXPECT_EQ(buffer[kFormattedUInt64BufferLength], u'#');
        EXPECT_EQ(FormattedUnsigned(c.value), c.text);
    }
    EXPECT_EQ(UInt64ToFormattedUString(1, nullptr), 0U);
}

TEST(FormattedNumbers, SignedValuesGetAMinusAndTheFullMagnitude) {
    const Separator comma(u',');
    struct Case {
        SInt64 value;
        std::u16string_view text;
    };
    const Case cases[] = {
        {0, u"0"},
        {-1, u"-1"},
        {-1000, u"-1,000"},
        {999999, u"999,999"},
        {std::numeric_limits<SInt64>::min(), u"-9,223,372,036,854,775,808"},
        {std::numeric_limits<SInt64>::max(), u"9,223,372,036,854,775,807"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormattedSigned(c.value), c.text);
}

TEST(FormattedNumbers, UseTheSharedSeparator) {
    const Separator space(u' ');
    EXPECT_EQ(FormattedUnsigned(1234567), u"1 234 567");
    const Separator narrowNoBreak(u'\u202F');
    EXPECT_EQ(FormattedSigned(-1234567), u"-1\u202F234\u202F567");
}

// Switches LC_NUMERIC for one scope; `active` tells whether the machine has the locale.
class NumericLocale {
public:
    explicit NumericLocale(const char* name) : mSaved(std::setlocale(LC_NUMERIC, nullptr)) {
        active = std::setlocale(LC_NUMERIC, name) != nullptr;
    }
    ~NumericLocale() { std::setlocale(LC_NUMERIC, mSaved.c_str()); }
    bool active = false;

private:
    std::string mSaved;
};

TEST(FormattedNumbers, SetUpTakesTheSeparatorOfTheNumericLocale) {
    struct Case {
        const char* locale;
        UniChar separator;
    };
    const Case cases[] = {
        {"de_DE.UTF-8", u'.'},
        {"fr_FR.UTF-8", u'\u202F'},
        {"fr_FR.ISO-8859-1", u'\u00A0'},
        {"C", u','},
        {"C.UTF-8", u','},
    };
    int localized = 0;
    for (const Case& c : cases) {
        NumericLocale locale(c.locale);
        if (!locale.active) continue;
        ASSERT_EQ(CFStringUtilitiesInitialize(), kNoErr);
        EXPECT_EQ(gThousandsSeparatorUniChar, c.separator) << c.locale;
        UniChar buffer[kFormattedUInt64BufferLength];
        const UInt32 length = UInt64ToFormattedUString(1234567, buffer);
        EXPECT_EQ(std::u16string_view(buffer, length),
                  std::u16string(u"1") + char16_t(c.separator) + u"234" + char16_t(c.separator) + u"567");
        CFStringUtilitiesFinalize();
        if (c.separator != u',') ++localized;
    }
    if (localized == 0) {
        GTEST_SKIP() << "no locale grouping with a dot or a space is installed (locale-gen de_DE.UTF-8 fr_FR.UTF-8)";
    }
}

}  // namespace
}  // namespace keelward::test
