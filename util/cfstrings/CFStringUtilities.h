// Unicode string utilities on the CoreFoundation layer: the shared set-up and
// finish, substrings and case changes of mutable UTF-16 strings. Indices and lengths
// count UTF-16 code units.
#pragma once

#include <keelward/Base.h>
#include <keelward/platform/CoreFoundation/CFString.h>

namespace keelward {

// Modes of CFStringChangeCase.
inline constexpr UInt32 kChangeCaseUpper = 1;       // every character upper-cased
inline constexpr UInt32 kChangeCaseLower = 2;       // every character lower-cased
inline constexpr UInt32 kChangeCaseSmart = 3;       // CFStringSmartCapitalize with the options
inline constexpr UInt32 kChangeCaseFirstUpper = 4;  // the first character upper-cased, the rest unchanged
inline constexpr UInt32 kChangeCaseSentence = 5;    // all lower-cased, then the first upper-cased

// Option of CFStringChangeCase and CFStringSmartCapitalize: a word made only of the
// letters i, v, x, l, c, d and m (either case) is upper-cased whole.
inline constexpr UInt32 kSmartCapitalizeRomanNumerals = 1;

// Builds the shared character sets, articles and thousands separator; run it before
// the first use of these utilities. Returns 0, or kErrUnsupported (having released
// whatever it built) when a set cannot be obtained. Running it again without
// CFStringUtilitiesFinalize first releases the previous sets and builds fresh ones,
// re-reading the separator of the current LC_NUMERIC locale.
SInt32 CFStringUtilitiesInitialize();
// Releases the sets the set-up created; the predefined sets, the articles and the
// separator stay readable.
void CFStringUtilitiesFinalize();

// Stores in *outString a new mutable string (owned by the caller) holding the
// inLength code units of inString from inStart. kErrParam for a null string or
// result pointer or a range outside the string; kErrNoMemory when creation fails.
SInt32 CFStringCreateMutableWithSubstring(CFAllocatorRef inAllocator, CFStringRef inString, SInt32 inStart,
                                          SInt32 inLength, CFMutableStringRef* outString);

// Changes the case of inString by inMode (kChangeCaseUpper ... kChangeCaseSentence).
// kErrParam for a null string, then kErrFlags for an option bit other than
// kSmartCapitalizeRomanNumerals, then kErrType for an unknown mode.
SInt32 CFStringChangeCase(CFMutableStringRef inString, UInt32 inMode, UInt32 inOptions);

// Lower-cases inString, then upper-cases the first character of every word (a run of
// letters, marks, digits and apostrophes), or the whole word with
// kSmartCapitalizeRomanNumerals when it is a Roman numeral. kErrParam before the
// set-up or for a null string; kErrFlags for another option bit.
SInt32 CFStringSmartCapitalize(CFMutableStringRef inString, UInt32 inOptions);

// Upper-cases the inLength code units from inStart; the string grows where a
// character upper-cases to several. kErrParam for a null string or a range outside it.
SInt32 CFStringUppercaseRange(CFMutableStringRef inString, SInt32 inStart, SInt32 inLength);

}  // namespace keelward
