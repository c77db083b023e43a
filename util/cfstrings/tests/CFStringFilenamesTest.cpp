#include "CFStringsTestSupport.h"

namespace keelward::test {
namespace {

using Filenames = StringUtilities;

TEST_F(Filenames, TrimmingAndUnderscores) {
    struct Case {
        std::u16string_view text;
        std::u16string_view leading, trailing, underscored;
    };
    const Case cases[] = {
        {u"  \t abc ", u"abc ", u"  \t abc", u"__\t_abc_"},
        {u" \n\u00A0\u2028", u"", u"", u"_\n\u00A0\u2028"},
        {u"", u"", u"", u""},
        {u"a b  c", u"a b  c", u"a b  c", u"a_b__c"},
        {u"a\tb", u"a\tb", u"a\tb", u"a\tb"},
        {u"\u3000\U0001F600 \u3000", u"\U0001F600 \u3000", u"\u3000\U0001F600", u"\u3000\U0001F600_\u3000"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Edited(c.text, CFStringTrimLeadingWhiteSpace), c.leading);
        EXPECT_EQ(Edited(c.text, CFStringTrimTrailingWhiteSpace), c.trailing);
        EXPECT_EQ(Edited(c.text, CFStringSpacesToUnderscores), c.underscored);
    }
    EXPECT_EQ(CFStringTrimLeadingWhiteSpace(nullptr), kErrParam);
    EXPECT_EQ(CFStringTrimTrailingWhiteSpace(nullptr), kErrParam);
    EXPECT_EQ(CFStringSpacesToUnderscores(nullptr), kErrParam);
}

TEST_F(Filenames, ISO9660ShortNames) {
    struct Case {
        std::u16string_view text;
        UInt32 options;
        std::u16string_view expected;
    };
    const Case cases[] = {
        {u"My Document.txt", 0, u"mydocume.txt"},
        {u"My Document.txt", kISO9660Uppercase, u"MYDOCUME.TXT"},
        {u"My Document.txt", kISO9660SpacesToUnderscores, u"my_docum.txt"},
        {u"README", 0, u"readme"},
        {u"archive.tar.gz", 0, u"archivet.gz"},
        {u"file.", 0, u"file"},
        {u"file.1st", 0, u"file1st"},
        {u"a.t-x-t", kISO9660ReplaceInvalid, u"a.txt"},
        {u".profile", 0, u".pro"},
        {u"r\u00E9sum\u00E9.doc", 0, u"rsum.doc"},
        {u"r\u00E9sum\u00E9.doc", kISO9660ReplaceInvalid, u"r_sum_.doc"},
        {u"  123abc.doc", 0, u"123abc.doc"},
        {u"  123abc.doc", kISO9660StartWithLetter, u"abc.doc"},
        {u"my.file.txt", kISO9660NoExtension, u"myfiletx"},
        {u"a b-c.txt", kISO9660SpacesToUnderscores, u"a_bc.txt"},
        {u"a b-c.txt", kISO9660ReplaceInvalid | kISO9660Uppercase, u"A_B_C.TXT"},
        {u"file.\u00E9xt", 0, u"filext"},  // only an ASCII letter starts an extension
        {u"\U0001F600x.txt", kISO9660ReplaceInvalid, u"_x.txt"},  // one "_" for the whole character
        {u"\u00E9\u00E8", 0, u""},
        {u"", kISO9660Uppercase, u""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Edited(c.text, [&](CFMutableStringRef s) { return CFStringRestrictFilenameToISO9600(s, c.options); }),
                  c.expected)
            << c.options;
    }
    EXPECT_EQ(Edited(u"A b.txt", [](CFMutableStringRef s) { return CFStringRestrictFilenameToISO9600(s, 0x20); },
                     kErrFlags),
              u"A b.txt");
    EXPECT_EQ(CFStringRestrictFilenameToISO9600(nullptr, 0x20), kErrParam);
}

TEST_F(Filenames, WindowsNames) {
    const std::u16string long300(300, u'n');
    const std::u16string long249 = u"x." + std::u16string(260, u'e');
    struct Case {
        std::u16string text;
        UInt32 options;
        std::u16string expected;
    };
    const Case cases[] = {
        {u"a:b*c?.txt", 0, u"abc.txt"},
        {u"file.t?x", 0, u"file.tx"},
        {u"report.2003", 0, u"report.2003"},
        {u"caf\u00E9.\u00E9t\u00E9", 0, u"caf\u00E9.\u00E9t\u00E9"},
        {u"a.b/c", kWindowsFilenameNoExtension, u"a.bc"},
        {u" <x>. \"y\"|", 0, u" x. y"},  // white space and inner dots are kept
        {long300, 0, long300.substr(0, 250)},
        {long300 + u".txt", 0, long300.substr(0, 246) + u".txt"},
        {long249, 0, u"." + std::u16string(249, u'e')},
        // A surrogate pair that would straddle the limit is left out whole.
        {std::u16string(249, u'n') + u"\U0001F600", 0, std::u16string(249, u'n')},
        {u"x.e" + std::u16string(247, u'e') + u"\U0001F600", 0, u"x." + std::u16string(248, u'e')},
    };
    for (const Case& c : cases) {
        const std::u16string result =
            Edited(c.text, [&](CFMutableStringRef s) { return CFStringRestrictFilenameToWindows(s, c.options); });
        EXPECT_EQ(result, c.expected) << result.size();
        EXPECT_LE(result.size(), 250U);
    }
    EXPECT_EQ(Edited(u"a:b.txt", [](CFMutableStringRef s) { return CFStringRestrictFilenameToWindows(s, 2); },
                     kErrFlags),
              u"a:b.txt");
    EXPECT_EQ(CFStringRestrictFilenameToWindows(nullptr, 2), kErrParam);
}

}  // namespace
}  // namespace keelward::test
