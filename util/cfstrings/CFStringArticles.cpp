#include <keelward/cfstrings/CFStringArticles.h>
#include <keelward/cfstrings/CFStringUtilitiesInternal.h>

#include <new>

namespace keelward {

namespace {

bool IsWhiteSpace(UniChar c) { return CFCharacterSetIsCharacterMember(kCFWhiteSpaceCharSet, c); }

bool SetUp() { return kCFWhiteSpaceCharSet != nullptr && kCFArticles[0] != nullptr; }

// Whether [start, end) of the string is one of the articles, in any case.
bool IsArticle(CFStringRef string, CFIndex start, CFIndex end) {
    if (end <= start) return false;
    for (CFStringRef article : kCFArticles) {
        if (article != nullptr &&
            CFStringCompareWithOptions(string, article, CFRangeMake(start, end - start), kCFCompareCaseInsensitive) ==
                kCFCompareEqualTo) {
            return true;
        }
    }
    return false;
}

// The leading word [i, j) and the start k of what follows it after white space.
struct LeadingWord {
    CFIndex i, j, k;
};

LeadingWord FindLeadingWord(std::u16string_view text) {
    const auto n = static_cast<CFIndex>(text.size());
    CFIndex i = 0;
    while (i < n && IsWhiteSpace(text[static_cast<std::size_t>(i)])) ++i;
    CFIndex j = i;
    while (j < n && !IsWhiteSpace(text[static_cast<std::size_t>(j)])) ++j;
    CFIndex k = j;
    while (k < n && IsWhiteSpace(text[static_cast<std::size_t>(k)])) ++k;
    return {i, j, k};
}

// Start of the white space that ends text[0, end).
CFIndex TrimmedEnd(std::u16string_view text, CFIndex end) {
    while (end > 0 && IsWhiteSpace(text[static_cast<std::size_t>(end - 1)])) --end;
    return end;
}

}  // namespace

SInt32 CFStringRearrangeArticle(CFMutableStringRef inString) {
    if (inString == nullptr || !SetUp()) return kErrParam;
    try {
        std::u16string rearranged;
        {
            const CFStringUnits units(inString);
            const std::u16string_view text = units.View();
            const auto n = static_cast<CFIndex>(text.size());
            const LeadingWord word = FindLeadingWord(text);
            if (word.k == n || !IsArticle(inString, word.i, word.j)) return kNoErr;
            // Something that is not white space starts at k, so the trimmed end lies beyond it.
            const CFIndex e = TrimmedEnd(text, n);
            rearranged.reserve(static_cast<std::size_t>(e - word.k + 2 + word.j - word.i));
            rearranged.append(text.substr(static_cast<std::size_t>(word.k), static_cast<std::size_t>(e - word.k)));
            rearranged.append(u", ");
            rearranged.append(text.substr(static_cast<std::size_t>(word.i), static_cast<std::size_t>(word.j - word.i)));
        }
        return CFStringReplaceContents(inString, rearranged);
    } catch (const std::bad_alloc&) {
        return kErrNoMemory;
    }
}

SInt32 CFStringRemoveArticles(CFMutableStringRef inString) {
    if (inString == nullptr || !SetUp()) return kErrParam;
    try {
        // Phase 1: a trailing article after a comma.
        {
            const CFStringUnits units(inString);
            const std::u16string_view text = units.View();
            const auto n = static_cast<CFIndex>(text.size());
            const CFIndex b = TrimmedEnd(text, n);
            CFIndex w = b;
            while (w > 0 && text[static_cast<std::size_t>(w - 1)] != u',' &&
                   !IsWhiteSpace(text[static_cast<std::size_t>(w - 1)])) {
                --w;
            }
            if (IsArticle(inString, w, b)) {
                w = TrimmedEnd(text, w);
                if (w > 0 && text[static_cast<std::size_t>(w - 1)] == u',') {
                    const CFIndex e = TrimmedEnd(text, w - 1);
                    if (e > 0) CFStringDelete(inString, CFRangeMake(e, n - e));
                }
            }
        }
        // Phase 2: a leading article, on the string as phase 1 left it.
        const CFStringUnits units(inString);
        const std::u16string_view text = units.View();
        const LeadingWord word = FindLeadingWord(text);
        if (word.k == static_cast<CFIndex>(text.size())) return kNoErr;
        if (IsArticle(inString, word.i, word.j)) CFStringDelete(inString, CFRangeMake(0, word.k));
        return kNoErr;
    } catch (const std::bad_alloc&) {
        return kErrNoMemory;
    }
}

}  // namespace keelward
