#include <keelward/strings/Strings.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

struct Case {
    const char* input;
    const char* output;
};

// The text in a heap block of exactly strlen + 2 bytes, so that a write past what
// the functions may use is caught by the address sanitizer.
std::unique_ptr<char[]> TightCopy(const char* text) {
    const size_t length = std::strlen(text);
    auto buffer = std::make_unique<char[]>(length + 2);
    std::memcpy(buffer.get(), text, length + 1);
    return buffer;
}

TEST(StringArticles, TableHoldsTheThreeEnglishArticlesInOrder) {
    ASSERT_EQ(keelward::kArticles.size(), 3u);
    EXPECT_STREQ(keelward::kArticles[0], "the");
    EXPECT_STREQ(keelward::kArticles[1], "a");
    EXPECT_STREQ(keelward::kArticles[2], "an");
}

TEST(StringArticles, RemoveDropsLeadingAndTrailingArticles) {
    const Case cases[] = {
        {"The Beatles", "Beatles"},
        {"Beatles, The", "Beatles"},
        {"Beatles ,the", "Beatles"},
        {"Beatles,An", "Beatles"},
        {"The Beatles, The", "Beatles"},
        {"   A Day in the Life", "Day in the Life"},
        {"The", "The"},
        {", The", ", The"},
        {"Beatles The", "Beatles The"},
        {"Theatre", "Theatre"},
        {"The, Beatles", "The, Beatles"},
        {"Once, a", "Once"},
        {"Beatles , The  ", "Beatles"},
        {"an\tApple\n", "Apple\n"},
        {"THE END", "END"},
        {"Andes, Them", "Andes, Them"},
        {"", ""},
        {"   ", "   "},
        {"Beatles,", "Beatles,"},
    };
    for (const Case& c : cases) {
        std::string text = c.input;
        keelward::StringRemoveArticles(text.data());
        EXPECT_STREQ(text.c_str(), c.output) << '"' << c.input << '"';

        char* copy = nullptr;
        ASSERT_EQ(keelward::StringRemoveArticlesCopy(c.input, &copy), 0);
        EXPECT_STREQ(copy, c.output) << '"' << c.input << '"';
        std::free(copy);
    }
}

TEST(StringArticles, RearrangeMovesALeadingArticleBehindTheName) {
    const Case cases[] = {
        {"The Beatles", "Beatles, The"},
        {"the beatles", "beatles, the"},
        {"  An Apple  ", "Apple, An"},
        {"A Day in the Life", "Day in the Life, A"},
        {"The", "The"},
        {"The   ", "The   "},
        {"Beatles, The", "Beatles, The"},
        {"Theatre Royal", "Theatre Royal"},
        {"The X", "X, The"},
        {"", ""},
    };
    for (const Case& c : cases) {
        auto text = TightCopy(c.input);
        keelward::StringRearrangeArticles(text.get());
        EXPECT_STREQ(text.get(), c.output) << '"' << c.input << '"';

        char* copy = nullptr;
        ASSERT_EQ(keelward::StringRearrangeArticlesCopy(c.input, &copy), 0);
        EXPECT_STREQ(copy, c.output) << '"' << c.input << '"';
        std::free(copy);
    }
}

TEST(StringArticles, CopiesRefuseMissingArguments) {
    char* copy = reinterpret_cast<char*>(0x1);
    EXPECT_EQ(keelward::StringRemoveArticlesCopy(nullptr, &copy), keelward::kErrParam);
    EXPECT_EQ(keelward::StringRearrangeArticlesCopy(nullptr, &copy), keelward::kErrParam);
    EXPECT_EQ(copy, reinterpret_cast<char*>(0x1));
    EXPECT_EQ(keelward::StringRemoveArticlesCopy("The X", nullptr), keelward::kErrParam);
}

}  // namespace
