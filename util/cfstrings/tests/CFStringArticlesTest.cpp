#include "CFStringsTestSupport.h"

namespace keelward::test {
namespace {

using Articles = StringUtilities;

TEST_F(Articles, RearrangeMovesALeadingArticleBehind) {
    struct Case {
        std::u16string_view text;
        std::u16string_view expected;
    };
    const Case cases[] = {
        {u"The Beatles", u"Beatles, The"},
        {u"  THE  Rolling Stones  ", u"Rolling Stones, THE"},
        {u"a day in the life", u"day in the life, a"},
        {u"An Apple", u"Apple, An"},
        {u"The\nEnd", u"End, The"},
        {u"tHe\u00A0\u3000Caf\u00E9 \U0001F600", u"Caf\u00E9 \U0001F600, tHe"},
        // Unchanged: no article, nothing after it, or a leading word that only starts like one.
        {u"The", u"The"},
        {u"The   ", u"The   "},
        {u"", u""},
        {u"Theatre Royal", u"Theatre Royal"},
        {u"The-End Club", u"The-End Club"},
        {u"Beatles, The", u"Beatles, The"},
        {u"Th Beatles", u"Th Beatles"},
    };
    for (const Case& c : cases) EXPECT_EQ(Edited(c.text, CFStringRearrangeArticle), c.expected);
    EXPECT_EQ(CFStringRearrangeArticle(nullptr), kErrParam);
}

TEST_F(Articles, RemoveDropsATrailingArticleAfterACommaThenALeadingOne) {
    struct Case {
        std::u16string_view text;
        std::u16string_view expected;
    };
    const Case cases[] = {
        {u"The Beatles", u"Beatles"},
        {u"Beatles, The", u"Beatles"},
        {u"Beatles ,  the  ", u"Beatles"},
        {u"Beatles,The", u"Beatles"},
        {u"The Beatles, The", u"Beatles"},
        {u"  The Beatles  ", u"Beatles  "},
        {u"Beatles The", u"Beatles The"},
        {u"A, The", u"A"},
        {u", The", u", The"},
        {u"  , an", u"  , an"},
        {u"The", u"The"},
        {u"", u""},
        {u"Les Mis\u00E9rables, A\n", u"Les Mis\u00E9rables"},
        {u"Beatles, Thee", u"Beatles, Thee"},
    };
    for (const Case& c : cases) EXPECT_EQ(Edited(c.text, CFStringRemoveArticles), c.expected);
    EXPECT_EQ(CFStringRemoveArticles(nullptr), kErrParam);
}

}  // namespace
}  // namespace keelward::test
