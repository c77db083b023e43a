#include <keelward/text/IntegerText.h>

#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace keelward {

namespace {

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// The value of `c` as a digit of `radix`, or -1 when it is not one.
int DigitValue(char c, UInt32 radix) {
    int value = -1;
    if (c >= '0' && c <= '9') {
        value = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    }
    return value >= 0 && static_cast<UInt32>(value) < radix ? value : -1;
}

// Writes the digits of `value` with a comma after every third digit that has more
// digits before it, then a NUL. Digits come out least significant first, so they go
// to a scratch area and are copied back reversed.
template <typename Unsigned>
char* SeparatedDigits(Unsigned value, char* buffer) {
    char scratch[32];
    int count = 0;
    int digits = 0;
    do {
        if (digits != 0 && digits % 3 == 0) scratch[count++] = ',';
        scratch[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
        ++digits;
    } while (value != 0);
    for (int i = 0; i < count; ++i) buffer[i] = scratch[count - 1 - i];
    buffer[count] = '\0';
    return buffer;
}

}  // namespace

SInt32 TextToInt32(const char* text, UInt32 length, SInt32 radix) {
    if (length == kAutoLength) length = static_cast<UInt32>(std::strlen(text));
    const char* p = text;
    const char* const end = text + length;

    while (p < end && IsSpace(*p)) ++p;

    if (end - p >= 2 && p[0] == '0') {
        if (p[1] == 'x' || p[1] == 'X') {
            p += 2;
            radix = 16;
        } else if (p[1] == 'b' || p[1] == 'B') {
            p += 2;
            radix = 2;
        } else if (radix == 0 && p[1] >= '0' && p[1] <= '7') {
            p += 1;
            radix = 8;
        }
    }
    if (radix == 0) radix = 10;
    if (radix != 2 && radix != 8 && radix != 10 && radix != 16) return 0;

    bool negative = false;
    if (radix == 10 && p < end && (*p == '-' || *p == '+')) {
        negative = *p == '-';
        ++p;
    }
    // Unsigned arithmetic: the accumulator wraps modulo 2^32 by design.
    UInt32 value = 0;
    for (; p < end; ++p) {
        const int digit = DigitValue(*p, static_cast<UInt32>(radix));
        if (digit < 0) break;
        value = value * static_cast<UInt32>(radix) + static_cast<UInt32>(digit);
    }
    if (negative) value = 0U - value;
    return static_cast<SInt32>(value);
}

char* UInt32ToSeparatedString(UInt32 value, char* buffer) { return SeparatedDigits(value, buffer); }

char* SInt32ToSeparatedString(SInt32 value, char* buffer) {
    if (value >= 0) return SeparatedDigits(static_cast<UInt32>(value), buffer);
    buffer[0] = '-';
    SeparatedDigits(0U - static_cast<UInt32>(value), buffer + 1);
    return buffer;
}

char* UInt64ToSeparatedString(UInt64 value, char* buffer) { return SeparatedDigits(value, buffer); }

char* SInt64ToSeparatedString(SInt64 value, char* buffer) {
    if (value >= 0) return SeparatedDigits(static_cast<UInt64>(value), buffer);
    buffer[0] = '-';
    SeparatedDigits(UInt64{0} - static_cast<UInt64>(value), buffer + 1);
    return buffer;
}

UniChar* UInt32ToUTF16String(UInt32 value, UniChar* buffer, UInt32* outLength) {
    UniChar scratch[10];
    UInt32 count = 0;
    do {
        scratch[count++] = static_cast<UniChar>(u'0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (UInt32 i = 0; i < count; ++i) buffer[i] = scratch[count - 1 - i];
    buffer[count] = 0;
    if (outLength != nullptr) *outLength = count;
    return buffer;
}

char* SizeToFormattedString(UInt64 size, char* buffer) {
    struct Unit {
        UInt64 upperBound;  // inclusive
        UInt64 divisor;
        const char* name;
    };
    static constexpr Unit kUnits[] = {
        {0x3FF, 1, "Bytes"},
        {0xFFFFF, 0x400, "KB"},
        {0x3FFFFFFF, 0x100000, "MB"},
        {(UInt64{1} << 40) - 1, 0x40000000, "GB"},
        {~UInt64{0}, UInt64{1} << 40, "TB"},
    };
    const Unit* unit = kUnits;
    while (size > unit->upperBound) ++unit;

    // Single precision is part of the result: sizes above 2^24 lose their low bits
    // before the division, and the top of a band may print as 1024 of its unit.
    const float quotient = static_cast<float>(size) / static_cast<float>(unit->divisor);
    // to_chars rounds as printf's "%.2f" does but always writes "." as the decimal
    // point, whatever the locale.
    char number[48];
    const auto [numberEnd, error] =
        std::to_chars(number, number + sizeof number, static_cast<double>(quotient), std::chars_format::fixed, 2);
    int printed = error == std::errc() ? static_cast<int>(numberEnd - number) : 0;
    while (printed > 0 && number[printed - 1] == '0') --printed;
    if (printed > 0 && number[printed - 1] == '.') --printed;

    char* out = buffer;
    std::memcpy(out, number, static_cast<std::size_t>(printed));
    out += printed;
    *out++ = ' ';
    const std::size_t nameLength = std::strlen(unit->name);
    std::memcpy(out, unit->name, nameLength + 1);
    return buffer;
}

SInt32 SInt32ToStringCopy(SInt32 value, char** outString, UInt32* outLength) {
    if (outString == nullptr) return kErrParam;
    char digits[16];
    const int printed = std::snprintf(digits, sizeof digits, "%d", static_cast<int>(value));
    if (printed <= 0) return kErrUnexpected;
    char* copy = strdup(digits);
    if (copy == nullptr) return kErrNoMemory;
    *outString = copy;
    if (outLength != nullptr) *outLength = static_cast<UInt32>(printed);
    return kNoErr;
}

}  // namespace keelward
