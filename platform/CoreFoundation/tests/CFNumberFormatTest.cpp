#include <keelward/platform/CoreFoundation/CFNumberFormat.h>
#include <keelward/platform/CoreFoundation/CFRuntimeInternal.h>

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace keelward {
namespace {

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

std::u16string SystemSeparator() {
    CFStringRef separator = CFNumberFormatCopySystemGroupingSeparator();
    if (separator == nullptr) return u"(none)";
    std::u16string text(CFStringGetCharactersPtr(separator), static_cast<std::size_t>(CFStringGetLength(separator)));
    CFRelease(separator);
    return text;
}

TEST(CFNumberFormat, LocaleTextIsDecodedFromTheLocaleCharacterSet) {
    struct Case {
        std::string_view bytes;
        const char* codeset;
        std::optional<std::u16string> expected;
    };
    const Case cases[] = {
        {".", "ANSI_X3.4-1968", u"."},
        {"\xE2\x80\xAF", "UTF-8", u"\u202F"},        // narrow no-break space
        {"\xA0", "ISO-8859-1", u"\u00A0"},           // a byte above 0x7F in a one-byte set
        {"\xA4", "ISO-8859-15", u"\u20AC"},
        {"\xE2\x80", "UTF-8", std::nullopt},         // truncated
        {"\xFF", "UTF-8", std::nullopt},
        {",", "NO-SUCH-CHARSET", std::nullopt},
        {",", nullptr, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CFDecodeLocaleText(c.bytes, c.codeset), c.expected) << (c.codeset ? c.codeset : "null");
    }
}

TEST(CFNumberFormat, TheCLocaleHasNoGroupingSeparator) {
    for (const char* name : {"C", "C.UTF-8"}) {
        NumericLocale locale(name);
        if (!locale.active) continue;
        EXPECT_EQ(SystemSeparator(), u"(none)") << name;
    }
}

TEST(CFNumberFormat, SeparatorOfLocalesThatGroupWithADotOrASpace) {
    struct Case {
        const char* locale;
        std::u16string_view separator;
    };
    const Case cases[] = {
        {"de_DE.UTF-8", u"."},
        {"fr_FR.UTF-8", u"\u202F"},
        {"fr_FR.ISO-8859-1", u"\u00A0"},  // the byte 0xA0 of a one-byte character set
    };
    int checked = 0;
    for (const Case& c : cases) {
        NumericLocale locale(c.locale);
        if (!locale.active) continue;
        EXPECT_EQ(SystemSeparator(), c.separator) << c.locale;
        ++checked;
    }
    if (checked == 0) GTEST_SKIP() << "neither de_DE.UTF-8 nor fr_FR.UTF-8 is installed (locale-gen them)";
}

}  // namespace
}  // namespace keelward
