// Program versions in the 4-byte NumVersion form: text, comparison and the running
// program's own version from its main bundle.
#pragma once

#include <keelward/Base.h>
#include <keelward/platform/CoreFoundation/CFString.h>

namespace keelward {

// Release stages, in order of maturity.
enum : UInt8 {
    developStage = 0x20,
    alphaStage = 0x40,
    betaStage = 0x60,
    finalStage = 0x80,
};

// The version record, in field order.
struct NumVersion {
    UInt8 majorRev;        // binary: version 10 is 0x0A
    UInt8 minorAndBugRev;  // minor revision in the high nibble, bug-fix in the low nibble
    UInt8 stage;           // developStage ... finalStage
    UInt8 nonRelRev;       // the number after the stage letter
};

// A NumVersion as the one UInt32 the functions pass: majorRev in bits 31-24,
// minorAndBugRev in 23-16, stage in 15-8, nonRelRev in 7-0 (stored big-endian, the
// bytes are the record's fields in order).
struct NumVersionVariant {
    UInt32 whole;

    constexpr NumVersion parts() const noexcept {
        return NumVersion{static_cast<UInt8>(whole >> 24), static_cast<UInt8>(whole >> 16),
                          static_cast<UInt8>(whole >> 8), static_cast<UInt8>(whole)};
    }
    static constexpr NumVersionVariant FromParts(NumVersion v) noexcept {
        return NumVersionVariant{UInt32{v.majorRev} << 24 | UInt32{v.minorAndBugRev} << 16 | UInt32{v.stage} << 8 |
                                 UInt32{v.nonRelRev}};
    }
};

// Reads "major[.minor[.bugfix]][stage letter][non-release]" ("1.2.3b4", "10.4",
// "2.0a1"): stage letters d, a, b, anything else final. Leading white space is
// skipped; the character after the major number is skipped whatever it is. Numbers
// are not masked: a minor or bug-fix of 16 or more and a non-release of 256 or more
// spill into the neighbouring field. `outVersion` may be null.
// Returns kErrMalformed when no digit begins the major number. Never allocates.
SInt32 TextToNumVersion(const char* text, UInt32 length, UInt32* outVersion);

// "1.2.3b4", "10.4", "1.0f1": the bug-fix only when not 0, the final stage's letter
// only with a non-zero non-release number, nothing for an unknown stage code.
// `buffer` must hold 16 bytes; returns it.
char* NumVersionToString(UInt32 version, char* buffer);

// 1 when `a` is newer than `b`, -1 when older, 0 when equal. A final release with
// non-release number 0 is newer than every numbered final candidate.
SInt32 NumVersionCompare(UInt32 a, UInt32 b);

// The running program's "CFBundleShortVersionString". The string belongs to the
// bundle: the caller neither retains nor releases it. `outVersion` may be null.
// Returns kErrNotFound without a main bundle or value, kErrType when the value is
// not a string.
SInt32 CFBundleGetShortVersionString(CFStringRef* outVersion);

// TextToNumVersion of `string`, which must convert to at most 31 ASCII characters
// (else kErrFormat).
SInt32 CFStringToNumVersion(CFStringRef string, UInt32* outVersion);

// The running program's version as a NumVersion: CFBundleGetShortVersionString, then
// CFStringToNumVersion; the first failing status is returned.
SInt32 CFBundleGetShortVersion(UInt32* outVersion);

}  // namespace keelward
