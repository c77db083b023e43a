#include <keelward/platform/CoreFoundation/CFBundle.h>
#include <keelward/text/IntegerText.h>
#include <keelward/text/VersionText.h>

#include <cctype>
#include <cstdio>
#include <cstring>

namespace keelward {

namespace {

bool IsDecimal(char c) { return c >= '0' && c <= '9'; }

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// Reads the run of decimal digits at `p` (possibly empty) and advances past it.
UInt32 ReadNumber(const char*& p, const char* end) {
    const char* start = p;
    while (p < end && IsDecimal(*p)) ++p;
    if (p == start) return 0;
    return static_cast<UInt32>(TextToInt32(start, static_cast<UInt32>(p - start), 10));
}

}  // namespace

SInt32 TextToNumVersion(const char* text, UInt32 length, UInt32* outVersion) {
    if (length == kAutoLength) length = static_cast<UInt32>(std::strlen(text));
    const char* p = text;
    const char* const end = text + length;
    while (p < end && std::isspace(static_cast<unsigned char>(*p)) != 0) ++p;

    if (p == end || !IsDecimal(*p)) return kErrMalformed;
    const UInt32 major = ReadNumber(p, end);
    if (p < end) ++p;  // normally the "." after the major number
    const UInt32 minor = ReadNumber(p, end);

    UInt32 bugFix = 0;
    UInt32 stage = finalStage;
    UInt32 nonRelease = 0;
    if (p < end) {
        char stageLetter = Lower(*p++);
        if (stageLetter == '.') {
            bugFix = ReadNumber(p, end);
            if (p < end) stageLetter = Lower(*p++);
        }
        switch (stageLetter) {
            case 'a': stage = alphaStage; break;
            case 'b': stage = betaStage; break;
            case 'd': stage = developStage; break;
            default: stage = finalStage; break;
        }
        nonRelease = ReadNumber(p, end);
    }

    // Fields are deliberately not masked: oversized numbers overlap their neighbours.
    const UInt32 whole = (major << 24) | (((minor << 4) | bugFix) << 16) | (stage << 8) | nonRelease;
    if (outVersion != nullptr) *outVersion = whole;
    return kNoErr;
}

char* NumVersionToString(UInt32 version, char* buffer) {
    constexpr std::size_t kSize = 16;
    const NumVersion v = NumVersionVariant{version}.parts();
    const unsigned minor = v.minorAndBugRev >> 4;
    const unsigned bugFix = v.minorAndBugRev & 0x0F;
    int used = std::snprintf(buffer, kSize, "%u.%u", unsigned{v.majorRev}, minor);
    if (bugFix != 0) used += std::snprintf(buffer + used, kSize - static_cast<std::size_t>(used), ".%u", bugFix);
    char stageLetter = 0;
    switch (v.stage) {
        case developStage: stageLetter = 'd'; break;
        case alphaStage: stageLetter = 'a'; break;
        case betaStage: stageLetter = 'b'; break;
        case finalStage: stageLetter = v.nonRelRev != 0 ? 'f' : 0; break;
        default: break;
    }
    // The longest text, "255.15.15d255", leaves room to spare in 16 bytes.
    if (stageLetter != 0) {
        std::snprintf(buffer + used, kSize - static_cast<std::size_t>(used), "%c%u", stageLetter,
                      unsigned{v.nonRelRev});
    }
    return buffer;
}

SInt32 NumVersionCompare(UInt32 a, UInt32 b) {
    const NumVersion va = NumVersionVariant{a}.parts();
    const NumVersion vb = NumVersionVariant{b}.parts();
    if (va.majorRev != vb.majorRev) return va.majorRev > vb.majorRev ? 1 : -1;
    if (va.minorAndBugRev != vb.minorAndBugRev) return va.minorAndBugRev > vb.minorAndBugRev ? 1 : -1;
    if (va.stage != vb.stage) return va.stage > vb.stage ? 1 : -1;
    UInt32 ra = va.nonRelRev;
    UInt32 rb = vb.nonRelRev;
    if (va.stage == finalStage) {
        // A plain final release ranks above its numbered final candidates.
        if (ra == 0) ra = 0xFFFF;
        if (rb == 0) rb = 0xFFFF;
    }
    if (ra == rb) return 0;
    return ra > rb ? 1 : -1;
}

SInt32 CFBundleGetShortVersionString(CFStringRef* outVersion) {
    CFBundleRef bundle = CFBundleGetMainBundle();
    if (bundle == nullptr) return kErrNotFound;
    CFStringRef key = CFStringCreateWithCString(kCFAllocatorDefault, "CFBundleShortVersionString",
                                                kCFStringEncodingASCII);
    if (key == nullptr) return kErrNoMemory;
    CFTypeRef value = CFBundleGetValueForInfoDictionaryKey(bundle, key);
    CFRelease(key);
    if (value == nullptr) return kErrNotFound;
    if (CFGetTypeID(value) != CFStringGetTypeID()) return kErrType;
    if (outVersion != nullptr) *outVersion = static_cast<CFStringRef>(value);
    return kNoErr;
}

SInt32 CFStringToNumVersion(CFStringRef string, UInt32* outVersion) {
    char ascii[32];
    if (!CFStringGetCString(string, ascii, sizeof ascii, kCFStringEncodingASCII)) return kErrFormat;
    return TextToNumVersion(ascii, kAutoLength, outVersion);
}

SInt32 CFBundleGetShortVersion(UInt32* outVersion) {
    CFStringRef string = nullptr;
    const SInt32 status = CFBundleGetShortVersionString(&string);
    if (status != kNoErr) return status;
    return CFStringToNumVersion(string, outVersion);
}

}  // namespace keelward
