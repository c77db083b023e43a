// Character sets on ICU's UnicodeSet. Predefined sets are frozen (ICU then answers
// a BMP membership query in constant time) and never destroyed.
#include <keelward/platform/CoreFoundation/CFCharacterSet.h>
#include <keelward/platform/CoreFoundation/CFRuntimeInternal.h>

#include <unicode/uniset.h>
#include <unicode/utf16.h>

#include <array>
#include <limits>
#include <mutex>
#include <new>

namespace keelward {

struct CFCharacterSetObject final : CFRuntimeObject {
    CFCharacterSetObject(icu::UnicodeSet characters, bool isMutable)
        : CFRuntimeObject(kCFRuntimeTypeCharacterSet), set(std::move(characters)), mutableSet(isMutable) {}
    icu::UnicodeSet set;
    const bool mutableSet;
};

namespace {

CFCharacterSetObject* CharacterSetFromRef(CFTypeRef cf) {
    return CFRuntimeCast<CFCharacterSetObject>(cf, kCFRuntimeTypeCharacterSet);
}

// UnicodeSet patterns of the predefined sets, indexed by selector.
constexpr std::array<const char16_t*, 16> kPredefinedPatterns = {
    nullptr,
    u"[[:Cc:][:Cf:]]",
    u"[[:Zs:]\\u0009]",
    u"[[:Z:]\\u0009-\\u000D\\u0085]",
    u"[:Nd:]",
    u"[[:L:][:M:]]",
    u"[:Ll:]",
    u"[[:Lu:][:Lt:]]",
    u"[:M:]",
    u"[:Decomposition_Type=Canonical:]",
    u"[[:L:][:M:][:N:]]",
    u"[:P:]",
    u"[:Cn:]",
    u"[:Lt:]",
    u"[:S:]",
    u"[\\u000A-\\u000D\\u0085\\u2028\\u2029]",
};

// Predefined sets are never destroyed: their count starts far above anything a
// program could release.
constexpr CFIndex kImmortalRetainCount = CFIndex(1) << 48;

CFCharacterSetObject* MakePredefined(std::size_t selector) {
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeSet set(icu::UnicodeString(kPredefinedPatterns[selector]), status);
    if (U_FAILURE(status) || set.isBogus()) return nullptr;
    set.freeze();
    auto* object = new CFCharacterSetObject(std::move(set), false);
    object->retainCount.store(kImmortalRetainCount, std::memory_order_relaxed);
    return object;
}

// Adds every character of `text`: a surrogate pair as its supplementary character,
// any other code unit as itself.
void AddCharacters(icu::UnicodeSet& set, const std::u16string& text) {
    const auto length = static_cast<int32_t>(text.size());
    for (int32_t i = 0; i < length;) {
        UChar32 c;
        U16_NEXT(text.data(), i, length, c);
        set.add(c);
    }
}

}  // namespace

CFTypeID CFCharacterSetGetTypeID() { return kCFRuntimeTypeCharacterSet; }

CFCharacterSetRef CFCharacterSetGetPredefined(CFCharacterSetPredefinedSet theSetIdentifier) {
    const auto selector = static_cast<std::size_t>(theSetIdentifier);
    if (theSetIdentifier <= 0 || selector >= kPredefinedPatterns.size()) return nullptr;
    static std::mutex sLock;
    static std::array<CFCharacterSetObject*, kPredefinedPatterns.size()> sSets{};
    try {
        const std::lock_guard<std::mutex> lock(sLock);
        if (sSets[selector] == nullptr) sSets[selector] = MakePredefined(selector);
        return sSets[selector];
    } catch (const std::exception&) {
        return nullptr;
    }
}

CFCharacterSetRef CFCharacterSetCreateWithCharactersInString(CFAllocatorRef, CFStringRef theString) {
    const CFStringObject* string = CFStringFromRef(theString);
    if (string == nullptr || string->characters.size() > std::numeric_limits<int32_t>::max()) return nullptr;
    try {
        icu::UnicodeSet set;
        AddCharacters(set, string->characters);
        if (set.isBogus()) return nullptr;
        set.freeze();
        return new CFCharacterSetObject(std::move(set), false);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

CFMutableCharacterSetRef CFCharacterSetCreateMutableCopy(CFAllocatorRef, CFCharacterSetRef theSet) {
    const CFCharacterSetObject* source = CharacterSetFromRef(theSet);
    if (source == nullptr) return nullptr;
    try {
        icu::UnicodeSet copy;
        copy.addAll(source->set);
        if (copy.isBogus()) return nullptr;
        return new CFCharacterSetObject(std::move(copy), true);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void CFCharacterSetAddCharactersInString(CFMutableCharacterSetRef theSet, CFStringRef theString) {
    CFCharacterSetObject* target = CharacterSetFromRef(theSet);
    const CFStringObject* string = CFStringFromRef(theString);
    if (target == nullptr || !target->mutableSet || string == nullptr ||
        string->characters.size() > std::numeric_limits<int32_t>::max()) {
        return;
    }
    try {
        // Built aside so that a set ICU fails to grow keeps its old members.
        icu::UnicodeSet grown(target->set);
        AddCharacters(grown, string->characters);
        if (!grown.isBogus()) target->set = std::move(grown);
    } catch (const std::bad_alloc&) {
    }
}

Boolean CFCharacterSetIsCharacterMember(CFCharacterSetRef theSet, UniChar theChar) {
    const CFCharacterSetObject* object = CharacterSetFromRef(theSet);
    return object != nullptr && object->set.contains(static_cast<UChar32>(theChar));
}

Boolean CFCharacterSetIsLongCharacterMember(CFCharacterSetRef theSet, UTF32Char theChar) {
    const CFCharacterSetObject* object = CharacterSetFromRef(theSet);
    return object != nullptr && theChar <= 0x10FFFF && object->set.contains(static_cast<UChar32>(theChar));
}

}  // namespace keelward
