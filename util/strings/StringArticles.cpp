#include <keelward/strings/ByteStrings.h>
#include <keelward/strings/StringArticles.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

namespace keelward {
namespace {

constexpr size_t LongestArticle() {
    size_t longest = 0;
    for (const char* article : kArticles) {
        const size_t length = std::char_traits<char>::length(article);
        if (length > longest) longest = length;
    }
    return longest;
}
// A word that matches an article is exactly as long as it.
constexpr size_t kLongestArticle = LongestArticle();

inline bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

bool IsArticle(const char* word, size_t length) {
    for (const char* article : kArticles) {
        if (strnicmpx(word, static_cast<UInt32>(length), article) == 0) return true;
    }
    return false;
}

// The first word of `s` and where the text after it (and its white space) begins.
struct FirstWord {
    size_t start;
    size_t length;
    size_t rest;
};

FirstWord FindFirstWord(const char* s) {
    size_t i = 0;
    while (s[i] != '\0' && IsSpace(s[i])) ++i;
    const size_t start = i;
    while (s[i] != '\0' && !IsSpace(s[i])) ++i;
    const size_t length = i - start;
    while (s[i] != '\0' && IsSpace(s[i])) ++i;
    return {start, length, i};
}

// Cuts ", article" (with the white space around the comma) off the end of `s`.
void RemoveTrailingArticle(char* s) {
    size_t end = std::strlen(s);
    while (end > 0 && IsSpace(s[end - 1])) --end;
    size_t start = end;
    while (start > 0 && !IsSpace(s[start - 1]) && s[start - 1] != ',') --start;
    if (!IsArticle(s + start, end - start)) return;
    size_t cut = start;
    while (cut > 0 && IsSpace(s[cut - 1])) --cut;
    if (cut == 0 || s[cut - 1] != ',') return;
    --cut;
    while (cut > 0 && IsSpace(s[cut - 1])) --cut;
    if (cut > 0) s[cut] = '\0';
}

void RemoveLeadingArticle(char* s) {
    const FirstWord first = FindFirstWord(s);
    if (s[first.rest] == '\0' || !IsArticle(s + first.start, first.length)) return;
    std::memmove(s, s + first.rest, std::strlen(s + first.rest) + 1);
}

template <void (*kEdit)(char*)>
SInt32 EditCopy(const char* s, size_t extra, char** outCopy) {
    if (s == nullptr || outCopy == nullptr) return kErrParam;
    const size_t length = std::strlen(s);
    auto* copy = static_cast<char*>(std::malloc(length + 1 + extra));
    if (copy == nullptr) return kErrNoMemory;
    std::memcpy(copy, s, length + 1);
    kEdit(copy);
    *outCopy = copy;
    return kNoErr;
}

}  // namespace

void StringRemoveArticles(char* s) {
    if (s == nullptr) return;
    RemoveTrailingArticle(s);
    RemoveLeadingArticle(s);
}

SInt32 StringRemoveArticlesCopy(const char* s, char** outCopy) {
    return EditCopy<StringRemoveArticles>(s, 0, outCopy);
}

void StringRearrangeArticles(char* s) {
    if (s == nullptr) return;
    const FirstWord first = FindFirstWord(s);
    if (s[first.rest] == '\0' || !IsArticle(s + first.start, first.length)) return;
    char article[kLongestArticle];
    std::memcpy(article, s + first.start, first.length);

    size_t end = first.rest + std::strlen(s + first.rest);
    while (end > first.rest && IsSpace(s[end - 1])) --end;
    const size_t restLength = end - first.rest;
    std::memmove(s, s + first.rest, restLength);
    char* suffix = s + restLength;
    *suffix++ = ',';
    *suffix++ = ' ';
    std::memcpy(suffix, article, first.length);
    suffix[first.length] = '\0';
}

SInt32 StringRearrangeArticlesCopy(const char* s, char** outCopy) {
    return EditCopy<StringRearrangeArticles>(s, 1, outCopy);
}

}  // namespace keelward
