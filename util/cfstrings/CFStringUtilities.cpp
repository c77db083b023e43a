#include <keelward/cfstrings/CFStringUtilities.h>
#include <keelward/cfstrings/CFStringUtilitiesInternal.h>
#include <keelward/platform/CoreFoundation/CFNumberFormat.h>

#include <new>
#include <optional>

namespace keelward {

CFCharacterSetRef kCFWhiteSpaceCharSet = nullptr;
CFCharacterSetRef kCFLetterCharSet = nullptr;
CFCharacterSetRef gCFRomanNumercalsCharSet = nullptr;
CFCharacterSetRef gCFISO9660CharSet = nullptr;
CFCharacterSetRef gCFISO9660LetterCharSet = nullptr;
CFCharacterSetRef gCFWindowsFilenameExclusionCharSet = nullptr;
CFMutableCharacterSetRef gCFWordCharSet = nullptr;
CFStringRef kCFArticles[3] = {nullptr, nullptr, nullptr};
UniChar gThousandsSeparatorUniChar = 0;

CFStringUnits::CFStringUnits(CFStringRef string) {
    const auto length = CFStringGetLength(string);
    if (const UniChar* units = CFStringGetCharactersPtr(string); units != nullptr) {
        mView = std::u16string_view(units, static_cast<std::size_t>(length));
        return;
    }
    mCopy.resize(static_cast<std::size_t>(length));
    CFStringGetCharacters(string, CFRangeMake(0, length), mCopy.data());
    mView = mCopy;
}

SInt32 CFStringReplaceContents(CFMutableStringRef string, std::u16string_view text) {
    CFStringRef replacement =
        CFStringCreateWithCharacters(kCFAllocatorDefault, text.data(), static_cast<CFIndex>(text.size()));
    if (replacement == nullptr) return kErrNoMemory;
    CFStringReplaceAll(string, replacement);
    CFRelease(replacement);
    // Replacing reports no failure; a string of another length kept its old contents.
    return CFStringGetLength(string) == static_cast<CFIndex>(text.size()) ? kNoErr : kErrNoMemory;
}

namespace {

// A new set of the characters of constant text; null on failure.
CFCharacterSetRef SetOfCharacters(const char* characters) {
    return CFCharacterSetCreateWithCharactersInString(kCFAllocatorDefault, CFStringMakeConstantString(characters));
}

bool RangeInside(CFStringRef string, SInt32 start, SInt32 length) {
    return start >= 0 && length >= 0 && SInt64{start} + SInt64{length} <= SInt64{CFStringGetLength(string)};
}

void Release(CFCharacterSetRef& set) {
    if (set != nullptr) {
        CFRelease(set);
        set = nullptr;
    }
}

// The thousands separator of the system's number format when it is one UTF-16 code
// unit; nothing when the system names none or a longer one.
std::optional<UniChar> SystemThousandsSeparator() {
    CFStringRef separator = CFNumberFormatCopySystemGroupingSeparator();
    if (separator == nullptr) return std::nullopt;
    std::optional<UniChar> unit;
    if (CFStringGetLength(separator) == 1) unit = CFStringGetCharacterAtIndex(separator, 0);
    CFRelease(separator);
    return unit;
}

// Code units of the string's first character: 2 for a surrogate pair, else 1.
SInt32 FirstCharacterLength(CFStringRef string) {
    const UniChar first = CFStringGetCharacterAtIndex(string, 0);
    const UniChar second = CFStringGetCharacterAtIndex(string, 1);
    return (first >= 0xD800 && first <= 0xDBFF && second >= 0xDC00 && second <= 0xDFFF) ? 2 : 1;
}

}  // namespace

SInt32 CFStringUtilitiesInitialize() {
    // A repeated set-up starts from scratch instead of leaking the previous sets.
    CFStringUtilitiesFinalize();
    const auto failed = [] {
        CFStringUtilitiesFinalize();
        return kErrUnsupported;
    };

    if ((kCFWhiteSpaceCharSet = CFCharacterSetGetPredefined(kCFCharacterSetWhitespaceAndNewline)) == nullptr) {
        return failed();
    }
    if ((kCFLetterCharSet = CFCharacterSetGetPredefined(kCFCharacterSetLetter)) == nullptr) return failed();
    if ((gCFRomanNumercalsCharSet = SetOfCharacters("ivxlcdmIVXLCDM")) == nullptr) return failed();
    if ((gCFISO9660CharSet = SetOfCharacters("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_")) ==
        nullptr) {
        return failed();
    }
    if ((gCFISO9660LetterCharSet = SetOfCharacters("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) ==
        nullptr) {
        return failed();
    }
    if ((gCFWindowsFilenameExclusionCharSet = SetOfCharacters("/\\:*?\"<>|")) == nullptr) return failed();
    CFCharacterSetRef alphanumerics = CFCharacterSetGetPredefined(kCFCharacterSetAlphaNumeric);
    if (alphanumerics == nullptr) return failed();
    if ((gCFWordCharSet = CFCharacterSetCreateMutableCopy(kCFAllocatorDefault, alphanumerics)) == nullptr) {
        return failed();
    }
    // The ASCII apostrophe keeps «o'neil» one word; U+2019 still ends a word.
    CFCharacterSetAddCharactersInString(gCFWordCharSet, CFSTR("'"));

    kCFArticles[0] = CFSTR("a");
    kCFArticles[1] = CFSTR("an");
    kCFArticles[2] = CFSTR("the");

    gThousandsSeparatorUniChar = u',';
    if (const std::optional<UniChar> separator = SystemThousandsSeparator()) gThousandsSeparatorUniChar = *separator;
    return kNoErr;
}

void CFStringUtilitiesFinalize() {
    Release(gCFISO9660CharSet);
    Release(gCFISO9660LetterCharSet);
    Release(gCFWindowsFilenameExclusionCharSet);
    Release(gCFRomanNumercalsCharSet);
    CFCharacterSetRef word = gCFWordCharSet;
    Release(word);
    gCFWordCharSet = nullptr;
}

SInt32 CFStringCreateMutableWithSubstring(CFAllocatorRef inAllocator, CFStringRef inString, SInt32 inStart,
                                          SInt32 inLength, CFMutableStringRef* outString) {
    if (inString == nullptr) return kErrParam;
    if (!RangeInside(inString, inStart, inLength)) return kErrParam;
    if (outString == nullptr) return kErrParam;
    CFMutableStringRef substring = CFStringCreateMutable(inAllocator, 0);
    if (substring == nullptr) return kErrNoMemory;
    if (inLength > 0) {
        try {
            const CFStringUnits units(inString);
            CFStringAppendCharacters(substring, units.View().data() + inStart, inLength);
        } catch (const std::bad_alloc&) {
        }
        // Appending reports no failure; a short result means memory ran out.
        if (CFStringGetLength(substring) != inLength) {
            CFRelease(substring);
            return kErrNoMemory;
        }
    }
    *outString = substring;
    return kNoErr;
}

SInt32 CFStringUppercaseRange(CFMutableStringRef inString, SInt32 inStart, SInt32 inLength) {
    if (inString == nullptr || !RangeInside(inString, inStart, inLength)) return kErrParam;
    if (inLength == 0) return kNoErr;
    if (inStart == 0 && inLength == CFStringGetLength(inString)) {
        CFStringUppercase(inString, nullptr);
        return kNoErr;
    }
    CFMutableStringRef range = nullptr;
    if (const SInt32 status =
            CFStringCreateMutableWithSubstring(kCFAllocatorDefault, inString, inStart, inLength, &range);
        status != kNoErr) {
        return status;
    }
    CFStringUppercase(range, nullptr);
    CFStringReplace(inString, CFRangeMake(inStart, inLength), range);
    CFRelease(range);
    return kNoErr;
}

SInt32 CFStringSmartCapitalize(CFMutableStringRef inString, UInt32 inOptions) {
    if (gCFRomanNumercalsCharSet == nullptr || gCFWordCharSet == nullptr || inString == nullptr) return kErrParam;
    if ((inOptions & ~kSmartCapitalizeRomanNumerals) != 0) return kErrFlags;
    const bool romanNumerals = (inOptions & kSmartCapitalizeRomanNumerals) != 0;

    CFStringLowercase(inString, nullptr);
    CFIndex n = CFStringGetLength(inString);
    CFIndex p = 0;
    while (p < n) {
        const CFIndex s = p;
        bool roman = romanNumerals;
        for (; p < n; ++p) {
            const UniChar c = CFStringGetCharacterAtIndex(inString, p);
            if (!CFCharacterSetIsCharacterMember(gCFWordCharSet, c)) break;
            roman = roman && CFCharacterSetIsCharacterMember(gCFRomanNumercalsCharSet, c);
        }
        if (p > s) {
            const CFIndex end = roman ? p : s + 1;
            if (const SInt32 status =
                    CFStringUppercaseRange(inString, static_cast<SInt32>(s), static_cast<SInt32>(end - s));
                status != kNoErr) {
                return status;
            }
            // Upper-casing may lengthen the word ("ß" becomes "SS", a ligature its
            // letters); the walk goes on behind the word as it now stands.
            const CFIndex grown = CFStringGetLength(inString) - n;
            p += grown;
            n += grown;
        }
        ++p;
    }
    return kNoErr;
}

SInt32 CFStringChangeCase(CFMutableStringRef inString, UInt32 inMode, UInt32 inOptions) {
    if (inString == nullptr) return kErrParam;
    if ((inOptions & ~kSmartCapitalizeRomanNumerals) != 0) return kErrFlags;
    switch (inMode) {
        case kChangeCaseUpper:
            CFStringUppercase(inString, nullptr);
            return kNoErr;
        case kChangeCaseLower:
            CFStringLowercase(inString, nullptr);
            return kNoErr;
        case kChangeCaseSmart:
            return CFStringSmartCapitalize(inString, inOptions);
        case kChangeCaseFirstUpper:
            if (CFStringGetLength(inString) == 0) return kNoErr;
            return CFStringUppercaseRange(inString, 0, FirstCharacterLength(inString));
        case kChangeCaseSentence:
            if (CFStringGetLength(inString) == 0) return kNoErr;
            CFStringLowercase(inString, nullptr);
            return CFStringUppercaseRange(inString, 0, FirstCharacterLength(inString));
        default:
            return kErrType;
    }
}

}  // namespace keelward
