// Inside of the CoreFoundation stand-in, shared by its source files and its tests.
// Not part of the installed interface.
#pragma once

#include <keelward/platform/CoreFoundation/CFData.h>
#include <keelward/platform/CoreFoundation/CFString.h>

#include <atomic>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace keelward {

// Type identifiers of every object kind of the layer, fixed so that they never
// depend on the order in which types are first used.
enum CFRuntimeTypeID : CFTypeID {
    kCFRuntimeTypeString = 1,
    kCFRuntimeTypeData = 2,
    kCFRuntimeTypeDictionary = 3,
    kCFRuntimeTypeBundle = 4,
    kCFRuntimeTypeCharacterSet = 5,
    kCFRuntimeTypeNumber = 6,
    kCFRuntimeTypeBoolean = 7,
    kCFRuntimeTypeArray = 8,
    kCFRuntimeTypeLocale = 9,
};

// Base of every object: its type and its reference count.
struct CFRuntimeObject {
    explicit CFRuntimeObject(CFTypeID type) noexcept;
    CFRuntimeObject(const CFRuntimeObject&) = delete;
    CFRuntimeObject& operator=(const CFRuntimeObject&) = delete;
    virtual ~CFRuntimeObject();

    const CFTypeID typeID;
    std::atomic<CFIndex> retainCount{1};
};

// Number of objects of the layer alive in the process; lets tests prove that an
// operation released everything it obtained.
CFIndex CFRuntimeLiveObjectCount();

// Casts `cf` to the object kind `T` when it is of type `id`, else null.
template <typename T>
T* CFRuntimeCast(CFTypeRef cf, CFTypeID id) {
    if (cf == nullptr) return nullptr;
    auto* object = static_cast<CFRuntimeObject*>(const_cast<void*>(cf));
    return object->typeID == id ? static_cast<T*>(object) : nullptr;
}

// The object kinds behind the opaque types of the public headers.
struct CFStringObject final : CFRuntimeObject {
    CFStringObject(std::u16string text, bool isMutable)
        : CFRuntimeObject(kCFRuntimeTypeString), characters(std::move(text)), mutableString(isMutable) {}
    std::u16string characters;
    const bool mutableString;
};

struct CFDataObject final : CFRuntimeObject {
    explicit CFDataObject(std::vector<UInt8> data) : CFRuntimeObject(kCFRuntimeTypeData), bytes(std::move(data)) {}
    std::vector<UInt8> bytes;
};

inline CFStringObject* CFStringFromRef(CFTypeRef cf) {
    return CFRuntimeCast<CFStringObject>(cf, kCFRuntimeTypeString);
}
inline CFDataObject* CFDataFromRef(CFTypeRef cf) { return CFRuntimeCast<CFDataObject>(cf, kCFRuntimeTypeData); }

// Encoding conversions behind the string calls. Decoding fails on bytes that are
// not valid in the encoding; encoding fails on a code unit (or unpaired surrogate)
// the encoding lacks, unless `lossByte` is non-zero, which then stands in for it.
std::optional<std::u16string> CFDecodeBytes(std::string_view bytes, CFStringEncoding encoding);
std::optional<std::string> CFEncodeCharacters(std::u16string_view text, CFStringEncoding encoding,
                                              UInt8 lossByte = 0);

// Mac OS Roman: the code point of each byte from 0x80 to 0xFF (bytes below are ASCII).
UniChar CFMacRomanToUnicode(UInt8 byte);
// The Mac OS Roman byte of a code unit, or nothing when Mac OS Roman lacks it.
std::optional<UInt8> CFUnicodeToMacRoman(UniChar unit);

}  // namespace keelward

namespace keelward {

// Decodes `bytes` from the C library character set `codeset` (as nl_langinfo names
// it: "UTF-8", "ISO-8859-1", "ANSI_X3.4-1968", ...); nothing when ICU does not know
// the character set or the bytes are not valid in it.
std::optional<std::u16string> CFDecodeLocaleText(std::string_view bytes, const char* codeset);

}  // namespace keelward
