// CoreFoundation stand-in: sets of Unicode characters with a membership test.
#pragma once

#include <keelward/platform/CoreFoundation/CFString.h>

namespace keelward {

struct CFCharacterSetObject;
using CFCharacterSetRef = const CFCharacterSetObject*;
using CFMutableCharacterSetRef = CFCharacterSetObject*;

using UTF32Char = UInt32;

// Selectors of the predefined sets, with the platform's values.
enum CFCharacterSetPredefinedSet : CFIndex {
    kCFCharacterSetControl = 1,               // general categories Cc and Cf
    kCFCharacterSetWhitespace = 2,            // category Zs and U+0009
    kCFCharacterSetWhitespaceAndNewline = 3,  // category Z*, U+0009 to U+000D and U+0085
    kCFCharacterSetDecimalDigit = 4,          // category Nd
    kCFCharacterSetLetter = 5,                // categories L* and M*
    kCFCharacterSetLowercaseLetter = 6,       // category Ll
    kCFCharacterSetUppercaseLetter = 7,       // categories Lu and Lt
    kCFCharacterSetNonBase = 8,               // category M*
    kCFCharacterSetDecomposable = 9,          // characters with a canonical decomposition
    kCFCharacterSetAlphaNumeric = 10,         // categories L*, M* and N*
    kCFCharacterSetPunctuation = 11,          // category P*
    kCFCharacterSetIllegal = 12,              // unassigned code points and non-characters
    kCFCharacterSetCapitalizedLetter = 13,    // category Lt
    kCFCharacterSetSymbol = 14,               // category S*
    kCFCharacterSetNewline = 15,              // U+000A to U+000D, U+0085, U+2028 and U+2029
};

CFTypeID CFCharacterSetGetTypeID();

// The predefined set `theSetIdentifier`, owned by the layer and alive for the whole
// process (retain and release never destroy it); null for an unknown selector.
// Membership follows the Unicode character database of the ICU in use.
CFCharacterSetRef CFCharacterSetGetPredefined(CFCharacterSetPredefinedSet theSetIdentifier);
// A new set of the characters of `theString` (a surrogate pair adds its
// supplementary character, an unpaired surrogate itself); null when `theString` is
// null or memory runs out.
CFCharacterSetRef CFCharacterSetCreateWithCharactersInString(CFAllocatorRef alloc, CFStringRef theString);
// A new mutable copy of `theSet`; null when `theSet` is null or memory runs out.
CFMutableCharacterSetRef CFCharacterSetCreateMutableCopy(CFAllocatorRef alloc, CFCharacterSetRef theSet);
// Adds the characters of `theString`; does nothing for a null string or a set that is
// not mutable.
void CFCharacterSetAddCharactersInString(CFMutableCharacterSetRef theSet, CFStringRef theString);
// Whether the code unit `theChar` is in the set (false for a null set). A surrogate
// code unit is a member only when it was added on its own.
Boolean CFCharacterSetIsCharacterMember(CFCharacterSetRef theSet, UniChar theChar);
// Whether the code point `theChar` (up to U+10FFFF) is in the set.
Boolean CFCharacterSetIsLongCharacterMember(CFCharacterSetRef theSet, UTF32Char theChar);

}  // namespace keelward
