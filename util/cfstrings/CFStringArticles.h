// Leading and trailing English articles ("a", "an", "the", any case) in mutable
// UTF-16 strings, for sorting titles and names.
#pragma once

#include <keelward/Base.h>
#include <keelward/platform/CoreFoundation/CFString.h>

namespace keelward {

// Moves a leading article behind the rest after ", " («The Beatles» becomes «Beatles,
// The»), keeping its case; a string with nothing after the article is left alone.
// Returns 0 whether or not it changed the string; kErrParam for a null string or
// before CFStringUtilitiesInitialize.
SInt32 CFStringRearrangeArticle(CFMutableStringRef inString);

// Removes a trailing article that follows a comma (with the comma and the white space
// around it), then a leading article and the white space around it; an article with
// nothing else beside it stays. Errors as CFStringRearrangeArticle.
SInt32 CFStringRemoveArticles(CFMutableStringRef inString);

}  // namespace keelward
