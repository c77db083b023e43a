#include <keelward/cfstrings/CFStringFilenames.h>
#include <keelward/cfstrings/CFStringUtilitiesInternal.h>

#include <new>

namespace keelward {

namespace {

constexpr std::size_t kISO9660NameLimit = 8;
constexpr std::size_t kISO9660ExtensionLimit = 3;
constexpr std::size_t kWindowsTotalLimit = 250;
constexpr std::size_t kWindowsExtensionLimit = 249;
constexpr UInt32 kISO9660AllOptions = kISO9660NoExtension | kISO9660ReplaceInvalid | kISO9660SpacesToUnderscores |
                                      kISO9660StartWithLetter | kISO9660Uppercase;

bool IsWhiteSpace(UniChar c) { return CFCharacterSetIsCharacterMember(kCFWhiteSpaceCharSet, c); }

bool IsHighSurrogate(UniChar c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(UniChar c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Code units of the character at `i`: a surrogate pair travels as one character.
std::size_t CharacterLength(std::u16string_view text, std::size_t i) {
    return IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]) ? 2 : 1;
}

// Appends the character at `i` (one or two code units) when it fits in `limit` code
// units; returns whether it did.
bool AppendWithin(std::u16string& out, std::u16string_view text, std::size_t i, std::size_t limit) {
    const std::size_t length = CharacterLength(text, i);
    if (out.size() + length > limit) return false;
    out.append(text.substr(i, length));
    return true;
}

struct Split {
    std::size_t nameEnd;    // the name is [0, nameEnd)
    std::u16string extension;
};

// Splits off the extension after the last dot when a letter (of `letters`) follows
// it; later extension characters pass `keep` or are skipped, up to `limit` code units.
template <typename Keep>
Split SplitExtension(std::u16string_view text, bool noExtension, CFCharacterSetRef letters, Keep keep,
                     std::size_t limit) {
    Split split{text.size(), {}};
    if (noExtension) return split;
    const std::size_t dot = text.rfind(u'.');
    if (dot == std::u16string_view::npos || dot + 1 >= text.size() ||
        !CFCharacterSetIsCharacterMember(letters, text[dot + 1])) {
        return split;
    }
    split.nameEnd = dot;
    split.extension.push_back(text[dot + 1]);
    for (std::size_t i = dot + 2; i < text.size() && split.extension.size() < limit;) {
        const std::size_t length = CharacterLength(text, i);
        if (keep(text[i]) && !AppendWithin(split.extension, text, i, limit)) break;
        i += length;
    }
    return split;
}

}  // namespace

SInt32 CFStringTrimLeadingWhiteSpace(CFMutableStringRef inString) {
    if (inString == nullptr || kCFWhiteSpaceCharSet == nullptr) return kErrParam;
    try {
        const CFStringUnits units(inString);
        const std::u16string_view text = units.View();
        std::size_t i = 0;
        while (i < text.size() && IsWhiteSpace(text[i])) ++i;
        if (i > 0) CFStringDelete(inString, CFRangeMake(0, static_cast<CFIndex>(i)));
        return kNoErr;
    } catch (const std::bad_alloc&) {
        return kErrNoMemory;
    }
}

SInt32 CFStringTrimTrailingWhiteSpace(CFMutableStringRef inString) {
    if (inString == nullptr || kCFWhiteSpaceCharSet == nullptr) return kErrParam;
    try {
        const CFStringUnits units(inString);
        const std::u16string_view text = units.View();
        std::size_t e = text.size();
        while (e > 0 && IsWhiteSpace(text[e - 1])) --e;
        if (e < text.size()) {
            CFStringDelete(inString, CFRangeMake(static_cast<CFIndex>(e), static_cast<CFIndex>(text.size() - e)));
        }
        return kNoErr;
    } catch (const std::bad_alloc&) {
        return kErrNoMemory;
    }
}

SInt32 CFStringSpacesToUnderscores(CFMutableStringRef inString) {
    if (inString == nullptr) return kErrParam;
    try {
        std::u16string text(CFStringUnits(inString).View());
        bool changed = false;
        for (char16_t& c : text) {
            if (c == u' ') {
                c = u'_';
                changed = true;
            }
        }
        return changed ? CFStringReplaceContents(inString, text) : kNoErr;
    } catch (const std::bad_alloc&) {
        return kErrNoMemory;
    }
}

SInt32 CFStringRestrictFilenameToISO9600(CFMutableStringRef inString, UInt32 inOptions) {
    if (gCFISO9660CharSet == nullptr || gCFISO9660LetterCharSet == nullptr || inString == nullptr) return kErrParam;
    if ((inOptions & ~kISO9660AllOptions) != 0) return kErrFlags;
    try {
        std::u16string result;
        {
            const CFStringUnits units(inString);
            const std::u16string_view text = units.View();
            const Split split = SplitExtension(
                text, (inOptions & kISO9660NoExtension) != 0, gCFISO9660LetterCharSet,
                [](UniChar c) { return CFCharacterSetIsCharacterMember(gCFISO9660CharSet, c); },
                kISO9660ExtensionLimit);
            const std::u16string_view name = text.substr(0, split.nameEnd);

            std::size_t i = 0;
            while (i < name.size() && IsWhiteSpace(name[i])) ++i;
            if ((inOptions & kISO9660StartWithLetter) != 0) {
                while (i < name.size() && !CFCharacterSetIsCharacterMember(gCFISO9660LetterCharSet, name[i])) ++i;
            }
            for (; i < name.size() && result.size() < kISO9660NameLimit; i += CharacterLength(name, i)) {
                const UniChar c = name[i];
                if (CFCharacterSetIsCharacterMember(gCFISO9660CharSet, c)) {
                    result.push_back(c);
                } else if ((inOptions & kISO9660ReplaceInvalid) != 0 ||
                           (c == u' ' && (inOptions & kISO9660SpacesToUnderscores) != 0)) {
                    result.push_back(u'_');
                }
            }
            if (!split.extension.empty()) {
                result.push_back(u'.');
                result.append(split.extension);
            }
        }
        if (const SInt32 status = CFStringReplaceContents(inString, result); status != kNoErr) return status;
        if ((inOptions & kISO9660Uppercase) != 0) {
            CFStringUppercase(inString, nullptr);
        } else {
            CFStringLowercase(inString, nullptr);
        }
        return kNoErr;
    } catch (const std::bad_alloc&) {
        return kErrNoMemory;
    }
}

SInt32 CFStringRestrictFilenameToWindows(CFMutableStringRef inString, UInt32 inOptions) {
    if (kCFLetterCharSet == nullptr || gCFWindowsFilenameExclusionCharSet == nullptr || inString == nullptr) {
        return kErrParam;
    }
    if ((inOptions & ~kWindowsFilenameNoExtension) != 0) return kErrFlags;
    try {
        std::u16string result;
        {
            const CFStringUnits units(inString);
            const std::u16string_view text = units.View();
            const auto allowed = [](UniChar c) {
                return !CFCharacterSetIsCharacterMember(gCFWindowsFilenameExclusionCharSet, c);
            };
            const Split split = SplitExtension(text, (inOptions & kWindowsFilenameNoExtension) != 0,
                                               kCFLetterCharSet, allowed, kWindowsExtensionLimit);
            const std::u16string_view name = text.substr(0, split.nameEnd);
            // Name, dot and extension together stay within the limit.
            const std::size_t nameLimit =
                split.extension.empty() ? kWindowsTotalLimit : kWindowsTotalLimit - 1 - split.extension.size();
            for (std::size_t i = 0; i < name.size() && result.size() < nameLimit; i += CharacterLength(name, i)) {
                if (allowed(name[i]) && !AppendWithin(result, name, i, nameLimit)) break;
            }
            if (!split.extension.empty()) {
                result.push_back(u'.');
                result.append(split.extension);
            }
        }
        return CFStringReplaceContents(inString, result);
    } catch (const std::bad_alloc&) {
        return kErrNoMemory;
    }
}

}  // namespace keelward
