#include <keelward/strings/ByteStrings.h>
#include <keelward/strings/Transcoding.h>

#include <array>
#include <cctype>
#include <cstdarg>
#include <cstring>

namespace keelward {
namespace {

inline unsigned Fold(char c) {
    return static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(c)));
}

inline SInt32 Order(unsigned a, unsigned b) { return a < b ? -1 : (a > b ? 1 : 0); }

template <bool kFold>
SInt32 CompareCounted(const char* a, UInt32 count, const char* b) {
    UInt32 i = 0;
    for (; i < count; ++i) {
        const unsigned ca = kFold ? Fold(a[i]) : static_cast<unsigned char>(a[i]);
        const unsigned cb = kFold ? Fold(b[i]) : static_cast<unsigned char>(b[i]);
        if (ca != cb) return Order(ca, cb);
        if (ca == 0) return 0;
    }
    return b[i] == '\0' ? 0 : -1;
}

// The extension starts after the last "." unless a digit or a space follows it.
inline bool StartsExtension(UniChar next) { return !((next >= u'0' && next <= u'9') || next == u' '); }

const char* ExtensionAfterLastDot(const char* name) {
    const char* dot = std::strrchr(name, '.');
    return dot == nullptr ? nullptr : dot + 1;
}

// Membership table of a NUL-terminated character set; NUL is never a member.
std::array<bool, 256> MakeSet(const char* set) {
    std::array<bool, 256> member{};
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(set); *p != 0; ++p) member[*p] = true;
    return member;
}

UInt32 RemoveWhere(char* s, const std::array<bool, 256>& member, bool removeMembers) {
    char* read = s;
    while (*read != '\0' && member[static_cast<unsigned char>(*read)] != removeMembers) ++read;
    char* write = read;
    for (; *read != '\0'; ++read) {
        if (member[static_cast<unsigned char>(*read)] != removeMembers) *write++ = *read;
    }
    *write = '\0';
    return static_cast<UInt32>(read - write);
}

}  // namespace

UInt32 strnlen(const char* s, UInt32 maximum) {
    const void* nul = std::memchr(s, 0, maximum);
    return nul == nullptr ? maximum : static_cast<UInt32>(static_cast<const char*>(nul) - s);
}

SInt32 stricmp(const char* a, const char* b) {
    for (;; ++a, ++b) {
        const unsigned ca = Fold(*a);
        const unsigned cb = Fold(*b);
        if (ca != cb) return Order(ca, cb);
        if (ca == 0) return 0;
    }
}

SInt32 strnicmp(const char* a, const char* b, UInt32 count) {
    for (UInt32 i = 0; i < count; ++i) {
        const unsigned ca = Fold(a[i]);
        const unsigned cb = Fold(b[i]);
        if (ca != cb) return Order(ca, cb);
        if (ca == 0) return 0;
    }
    return 0;
}

SInt32 strncmpx(const char* a, UInt32 count, const char* b) { return CompareCounted<false>(a, count, b); }

SInt32 strnicmpx(const char* a, UInt32 count, const char* b) { return CompareCounted<true>(a, count, b); }

const void* memrchr(const void* memory, int value, UInt32 count) {
    if (value < 0 || value > 255) return nullptr;
    const auto* bytes = static_cast<const unsigned char*>(memory);
    for (UInt32 i = count; i > 0; --i) {
        if (bytes[i - 1] == value) return bytes + (i - 1);
    }
    return nullptr;
}

void* memrchr(void* memory, int value, UInt32 count) {
    return const_cast<void*>(memrchr(static_cast<const void*>(memory), value, count));
}

const char* StringFileExtension(const char* name) {
    static constexpr char kNoExtension[] = "";
    const char* extension = ExtensionAfterLastDot(name);
    if (extension == nullptr || !StartsExtension(static_cast<unsigned char>(*extension))) return kNoExtension;
    return extension;
}

const char* StringFileExtensionMatch(const char* name, const char* extension) {
    const char* own = ExtensionAfterLastDot(name);
    return own != nullptr && stricmp(own, extension) == 0 ? own : nullptr;
}

const char* StringFileExtensionMatchList(const char* name, ...) {
    const char* own = ExtensionAfterLastDot(name);
    if (own == nullptr) return nullptr;
    va_list extensions;
    va_start(extensions, name);
    const char* match = nullptr;
    while (const char* candidate = va_arg(extensions, const char*)) {
        if (stricmp(own, candidate) == 0) {
            match = own;
            break;
        }
    }
    va_end(extensions);
    return match;
}

void UTF16ParseFilename(const UniChar* name, UInt32 count, const UniChar** outBaseStart, UInt32* outBaseLength,
                        const UniChar** outExtensionStart, UInt32* outExtensionLength) {
    if (count == kAutoLength) count = UTF16strlen(name);
    UInt32 baseLength = count;
    UInt32 extensionStart = count;
    if (const UniChar* dot = UTF16strrchr(name, count, u'.')) {
        const auto dotIndex = static_cast<UInt32>(dot - name);
        if (dotIndex + 1 == count || StartsExtension(name[dotIndex + 1])) {
            baseLength = dotIndex;
            extensionStart = dotIndex + 1;
        }
    }
    if (outBaseStart != nullptr) *outBaseStart = name;
    if (outBaseLength != nullptr) *outBaseLength = baseLength;
    if (outExtensionStart != nullptr) *outExtensionStart = name + extensionStart;
    if (outExtensionLength != nullptr) *outExtensionLength = count - extensionStart;
}

UInt32 StringRemoveSet(char* s, const char* set) { return RemoveWhere(s, MakeSet(set), true); }

UInt32 StringRemoveNotSet(char* s, const char* set) { return RemoveWhere(s, MakeSet(set), false); }

}  // namespace keelward
