// Leading and trailing English articles in NUL-terminated 8-bit titles: dropped
// ("The Beatles" -> "Beatles") or moved behind the name ("The Beatles" -> "Beatles, The").
// White space is what isspace of the current locale says; articles match whole words
// ignoring case.
#pragma once

#include <keelward/Base.h>

#include <array>

namespace keelward {

// The articles, in the order they are tried.
inline constexpr std::array<const char*, 3> kArticles = {"the", "a", "an"};

// Removes, in place, an article that ends the string after a comma ("Beatles, The")
// together with the comma and the white space around it, and then an article that
// begins it together with the white space around that. A lone article, or an article
// with nothing before its comma, stays. Never lengthens the string; null is ignored.
void StringRemoveArticles(char* s);

// StringRemoveArticles on a copy from malloc, handed over through `outCopy` (freed by
// the caller). kErrNoMemory when memory runs out, kErrParam for a null argument;
// nothing is stored on failure.
SInt32 StringRemoveArticlesCopy(const char* s, char** outCopy);

// Moves a leading article, spelt as in the input, behind the rest of the string after
// ", " ("The Beatles" -> "Beatles, The"); leading and trailing white space go with it.
// Nothing changes when the string is one word or does not begin with an article. The
// result may be one byte longer: the buffer must hold strlen(s) + 2 bytes. Null is
// ignored.
void StringRearrangeArticles(char* s);

// StringRearrangeArticles on a copy from malloc (of strlen(s) + 2 bytes), handed over
// through `outCopy`. Statuses as for StringRemoveArticlesCopy.
SInt32 StringRearrangeArticlesCopy(const char* s, char** outCopy);

}  // namespace keelward
