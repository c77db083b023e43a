// Editing, reading by index, comparison and case mapping of strings. Case mapping
// and folding come from ICU's root (language-independent) rules.
#include <keelward/platform/CoreFoundation/CFRuntimeInternal.h>

#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <mutex>
#include <new>

namespace keelward {

namespace {

bool RangeInside(const std::u16string& text, CFRange range) {
    const auto length = static_cast<CFIndex>(text.size());
    return range.location >= 0 && range.length >= 0 && range.location <= length &&
           range.length <= length - range.location;
}

CFStringObject* MutableString(CFMutableStringRef theString) {
    CFStringObject* string = CFStringFromRef(theString);
    return string != nullptr && string->mutableString ? string : nullptr;
}

const UChar* AsUChar(const char16_t* units) { return reinterpret_cast<const UChar*>(units); }
UChar* AsUChar(char16_t* units) { return reinterpret_cast<UChar*>(units); }

// Runs an ICU case mapping (u_strToUpper, u_strToLower, u_strFoldCase) of `text`,
// sizing the result with a pre-flight when it does not fit; nothing on failure.
template <typename Mapper>
std::optional<std::u16string> MapCase(std::u16string_view text, Mapper map) {
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max() / 3)) return std::nullopt;
    const auto length = static_cast<int32_t>(text.size());
    // One code unit can map to at most three, so most texts fit the first guess.
    std::u16string result(text.size() + 16, u'\0');
    UErrorCode status = U_ZERO_ERROR;
    int32_t needed = map(AsUChar(result.data()), static_cast<int32_t>(result.size()), AsUChar(text.data()), length,
                         &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        result.assign(static_cast<std::size_t>(needed), u'\0');
        status = U_ZERO_ERROR;
        needed = map(AsUChar(result.data()), needed, AsUChar(text.data()), length, &status);
    }
    if (U_FAILURE(status) || needed < 0) return std::nullopt;
    result.resize(static_cast<std::size_t>(needed));
    return result;
}

std::optional<std::u16string> Uppercased(std::u16string_view text) {
    return MapCase(text, [](UChar* dest, int32_t capacity, const UChar* src, int32_t length, UErrorCode* status) {
        return u_strToUpper(dest, capacity, src, length, "", status);
    });
}

std::optional<std::u16string> Lowercased(std::u16string_view text) {
    return MapCase(text, [](UChar* dest, int32_t capacity, const UChar* src, int32_t length, UErrorCode* status) {
        return u_strToLower(dest, capacity, src, length, "", status);
    });
}

std::optional<std::u16string> Folded(std::u16string_view text) {
    return MapCase(text, [](UChar* dest, int32_t capacity, const UChar* src, int32_t length, UErrorCode* status) {
        return u_strFoldCase(dest, capacity, src, length, U_FOLD_CASE_DEFAULT, status);
    });
}

CFComparisonResult Ordered(std::u16string_view left, std::u16string_view right) {
    const int order = left.compare(right);
    return order < 0 ? kCFCompareLessThan : (order > 0 ? kCFCompareGreaterThan : kCFCompareEqualTo);
}

// Constant strings are never destroyed: their count starts far above anything a
// program could release.
constexpr CFIndex kImmortalRetainCount = CFIndex(1) << 48;

}  // namespace

CFStringRef CFStringMakeConstantString(const char* cStr) {
    if (cStr == nullptr) return nullptr;
    static std::mutex sLock;
    static std::map<std::string, CFStringObject*, std::less<>>* sStrings = nullptr;
    try {
        const std::string_view key(cStr);
        const std::lock_guard<std::mutex> lock(sLock);
        if (sStrings == nullptr) sStrings = new std::map<std::string, CFStringObject*, std::less<>>();
        if (auto found = sStrings->find(key); found != sStrings->end()) return found->second;
        std::optional<std::u16string> text = CFDecodeBytes(key, kCFStringEncodingUTF8);
        if (!text) return nullptr;
        auto* string = new CFStringObject(std::move(*text), false);
        string->retainCount.store(kImmortalRetainCount, std::memory_order_relaxed);
        sStrings->emplace(std::string(key), string);
        return string;
    } catch (const std::exception&) {
        return nullptr;
    }
}

CFMutableStringRef CFStringCreateMutableCopy(CFAllocatorRef, CFIndex maxLength, CFStringRef theString) {
    const CFStringObject* source = CFStringFromRef(theString);
    if (source == nullptr || maxLength < 0) return nullptr;
    try {
        return new CFStringObject(source->characters, true);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

UniChar CFStringGetCharacterAtIndex(CFStringRef theString, CFIndex idx) {
    const CFStringObject* string = CFStringFromRef(theString);
    if (string == nullptr || idx < 0 || idx >= static_cast<CFIndex>(string->characters.size())) return 0;
    return string->characters[static_cast<std::size_t>(idx)];
}

const UniChar* CFStringGetCharactersPtr(CFStringRef theString) {
    const CFStringObject* string = CFStringFromRef(theString);
    return string == nullptr ? nullptr : string->characters.data();
}

void CFStringDelete(CFMutableStringRef theString, CFRange range) {
    CFStringObject* string = MutableString(theString);
    if (string == nullptr || !RangeInside(string->characters, range)) return;
    string->characters.erase(static_cast<std::size_t>(range.location), static_cast<std::size_t>(range.length));
}

void CFStringReplace(CFMutableStringRef theString, CFRange range, CFStringRef replacement) {
    CFStringObject* string = MutableString(theString);
    const CFStringObject* with = CFStringFromRef(replacement);
    if (string == nullptr || with == nullptr || !RangeInside(string->characters, range)) return;
    try {
        // In place: std::u16string::replace copes with a source inside the string
        // itself and leaves the string as it was when it cannot grow. A replacement of
        // the same length costs only its own length.
        string->characters.replace(static_cast<std::size_t>(range.location), static_cast<std::size_t>(range.length),
                                   with->characters);
    } catch (const std::exception&) {
    }
}

void CFStringReplaceAll(CFMutableStringRef theString, CFStringRef replacement) {
    CFStringObject* string = MutableString(theString);
    const CFStringObject* with = CFStringFromRef(replacement);
    if (string == nullptr || with == nullptr || string == with) return;
    try {
        std::u16string copy(with->characters);
        string->characters.swap(copy);
    } catch (const std::bad_alloc&) {
    }
}

CFComparisonResult CFStringCompareWithOptions(CFStringRef theString1, CFStringRef theString2, CFRange rangeToCompare,
                                              CFStringCompareFlags compareOptions) {
    static const std::u16string kEmpty;
    const CFStringObject* string1 = CFStringFromRef(theString1);
    const CFStringObject* string2 = CFStringFromRef(theString2);
    const std::u16string& text1 = string1 != nullptr ? string1->characters : kEmpty;
    const std::u16string& text2 = string2 != nullptr ? string2->characters : kEmpty;
    if (!RangeInside(text1, rangeToCompare)) return kCFCompareLessThan;
    const std::u16string_view left =
        std::u16string_view(text1).substr(static_cast<std::size_t>(rangeToCompare.location),
                                          static_cast<std::size_t>(rangeToCompare.length));
    const std::u16string_view right(text2);
    if ((compareOptions & kCFCompareCaseInsensitive) == 0) return Ordered(left, right);
    try {
        const std::optional<std::u16string> foldedLeft = Folded(left);
        const std::optional<std::u16string> foldedRight = Folded(right);
        if (foldedLeft && foldedRight) return Ordered(*foldedLeft, *foldedRight);
    } catch (const std::bad_alloc&) {
    }
    return Ordered(left, right);
}

void CFStringUppercase(CFMutableStringRef theString, CFLocaleRef) {
    CFStringObject* string = MutableString(theString);
    if (string == nullptr || string->characters.empty()) return;
    try {
        if (std::optional<std::u16string> mapped = Uppercased(string->characters)) string->characters.swap(*mapped);
    } catch (const std::bad_alloc&) {
    }
}

void CFStringLowercase(CFMutableStringRef theString, CFLocaleRef) {
    CFStringObject* string = MutableString(theString);
    if (string == nullptr || string->characters.empty()) return;
    try {
        if (std::optional<std::u16string> mapped = Lowercased(string->characters)) string->characters.swap(*mapped);
    } catch (const std::bad_alloc&) {
    }
}

}  // namespace keelward
