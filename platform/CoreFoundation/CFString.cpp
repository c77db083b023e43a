#include <keelward/platform/CoreFoundation/CFRuntimeInternal.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace keelward {

namespace {

bool RangeInside(const CFStringObject& string, CFRange range) {
    const auto length = static_cast<CFIndex>(string.characters.size());
    return range.location >= 0 && range.length >= 0 && range.location <= length &&
           range.length <= length - range.location;
}

CFStringRef MakeString(std::optional<std::u16string> text) {
    if (!text) return nullptr;
    return new (std::nothrow) CFStringObject(std::move(*text), false);
}

}  // namespace

CFTypeID CFStringGetTypeID() { return kCFRuntimeTypeString; }

CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char* cStr, CFStringEncoding encoding) {
    if (cStr == nullptr) return nullptr;
    try {
        return MakeString(CFDecodeBytes(std::string_view(cStr), encoding));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

CFStringRef CFStringCreateWithBytes(CFAllocatorRef, const UInt8* bytes, CFIndex numBytes, CFStringEncoding encoding,
                                    Boolean) {
    if (numBytes < 0 || (bytes == nullptr && numBytes != 0)) return nullptr;
    try {
        const std::string_view view(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(numBytes));
        return MakeString(CFDecodeBytes(view, encoding));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

CFStringRef CFStringCreateWithCharacters(CFAllocatorRef, const UniChar* chars, CFIndex numChars) {
    if (numChars < 0 || (chars == nullptr && numChars != 0)) return nullptr;
    try {
        return MakeString(std::u16string(chars, chars + numChars));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

CFMutableStringRef CFStringCreateMutable(CFAllocatorRef, CFIndex maxLength) {
    if (maxLength < 0) return nullptr;
    return new (std::nothrow) CFStringObject(std::u16string(), true);
}

CFIndex CFStringGetLength(CFStringRef theString) {
    const CFStringObject* string = CFStringFromRef(theString);
    return string == nullptr ? 0 : static_cast<CFIndex>(string->characters.size());
}

void CFStringGetCharacters(CFStringRef theString, CFRange range, UniChar* buffer) {
    const CFStringObject* string = CFStringFromRef(theString);
    if (string == nullptr || buffer == nullptr || !RangeInside(*string, range)) return;
    std::copy_n(string->characters.data() + range.location, range.length, buffer);
}

Boolean CFStringGetCString(CFStringRef theString, char* buffer, CFIndex bufferSize, CFStringEncoding encoding) {
    const CFStringObject* string = CFStringFromRef(theString);
    if (string == nullptr || buffer == nullptr || bufferSize <= 0) return false;
    try {
        const std::optional<std::string> bytes = CFEncodeCharacters(string->characters, encoding);
        if (!bytes || static_cast<CFIndex>(bytes->size()) >= bufferSize) return false;
        std::memcpy(buffer, bytes->data(), bytes->size());
        buffer[bytes->size()] = '\0';
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

CFIndex CFStringGetBytes(CFStringRef theString, CFRange range, CFStringEncoding encoding, UInt8 lossByte, Boolean,
                         UInt8* buffer, CFIndex maxBufLen, CFIndex* usedBufLen) {
    const CFStringObject* string = CFStringFromRef(theString);
    CFIndex converted = 0;
    CFIndex used = 0;
    if (string != nullptr && RangeInside(*string, range) && maxBufLen >= 0) {
        try {
            // Code unit by code unit, so that a conversion that stops early reports
            // exactly what it converted (a surrogate pair travels as one unit).
            const std::u16string_view text(string->characters.data() + range.location,
                                           static_cast<std::size_t>(range.length));
            for (std::size_t i = 0; i < text.size();) {
                std::size_t take = 1;
                if (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                    text[i + 1] <= 0xDFFF) {
                    take = 2;
                }
                const std::optional<std::string> bytes = CFEncodeCharacters(text.substr(i, take), encoding, lossByte);
                if (!bytes) break;
                const auto size = static_cast<CFIndex>(bytes->size());
                if (buffer != nullptr) {
                    if (used + size > maxBufLen) break;
                    std::memcpy(buffer + used, bytes->data(), bytes->size());
                }
                used += size;
                converted += static_cast<CFIndex>(take);
                i += take;
            }
        } catch (const std::bad_alloc&) {
        }
    }
    if (usedBufLen != nullptr) *usedBufLen = used;
    return converted;
}

void CFStringAppendCharacters(CFMutableStringRef theString, const UniChar* chars, CFIndex numChars) {
    CFStringObject* string = CFStringFromRef(theString);
    if (string == nullptr || !string->mutableString || numChars <= 0 || chars == nullptr) return;
    try {
        string->characters.append(chars, static_cast<std::size_t>(numChars));
    } catch (const std::bad_alloc&) {
    }
}

}  // namespace keelward
