#include <keelward/cfstrings/CFStringNumbers.h>
#include <keelward/cfstrings/CFStringUtilitiesInternal.h>

#include <algorithm>

namespace keelward {

namespace {

// Writes the grouped digits of `value` before `end`, from the right; returns where
// the text starts.
UniChar* FormatBackwards(UInt64 value, UniChar* end) {
    const UniChar separator = gThousandsSeparatorUniChar;
    UniChar* p = end;
    int digitsInGroup = 0;
    for (;;) {
        *--p = static_cast<UniChar>(u'0' + value % 10);
        value /= 10;
        if (value == 0) return p;
        if (++digitsInGroup == 3) {
            *--p = separator;
            digitsInGroup = 0;
        }
    }
}

void ReplaceByNumber(CFMutableStringRef string, UInt64 magnitude, bool negative) {
    UniChar scratch[kFormattedUInt64BufferLength];
    UniChar* const end = scratch + kFormattedUInt64BufferLength;
    UniChar* start = FormatBackwards(magnitude, end);
    if (negative) *--start = u'-';
    CFStringDelete(string, CFRangeMake(0, CFStringGetLength(string)));
    CFStringAppendCharacters(string, start, end - start);
}

}  // namespace

UInt32 UInt64ToFormattedUString(UInt64 inValue, UniChar* outBuffer) {
    if (outBuffer == nullptr) return 0;
    UniChar scratch[kFormattedUInt64BufferLength];
    UniChar* const end = scratch + kFormattedUInt64BufferLength;
    const UniChar* start = FormatBackwards(inValue, end);
    const auto length = static_cast<UInt32>(end - start);
    std::copy(start, static_cast<const UniChar*>(end), outBuffer);
    outBuffer[length] = 0;
    return length;
}

void UInt64ToFormattedCFString(UInt64 inValue, CFMutableStringRef ioString) {
    ReplaceByNumber(ioString, inValue, false);
}

void SInt64ToFormattedCFString(SInt64 inValue, CFMutableStringRef ioString) {
    // Negating as unsigned gives the most negative value its full magnitude.
    const bool negative = inValue < 0;
    const UInt64 magnitude = negative ? UInt64{0} - static_cast<UInt64>(inValue) : static_cast<UInt64>(inValue);
    ReplaceByNumber(ioString, magnitude, negative);
}

}  // namespace keelward
