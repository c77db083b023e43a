#include <keelward/text/AddressText.h>
#include <keelward/text/IntegerText.h>

#include <cctype>
#include <cstdio>
#include <cstring>

namespace keelward {

namespace {

// The text being scanned: [begin, end). No byte at or beyond `end` is read.
struct Span {
    const char* begin;
    const char* end;
};

Span MeasureAndSkipSpace(const char* text, UInt32 length) {
    if (length == kAutoLength) length = static_cast<UInt32>(std::strlen(text));
    Span span{text, text + length};
    while (span.begin < span.end && std::isspace(static_cast<unsigned char>(*span.begin)) != 0) ++span.begin;
    return span;
}

const char* Find(const char* begin, const char* end, char c) {
    if (begin >= end) return nullptr;
    return static_cast<const char*>(std::memchr(begin, c, static_cast<std::size_t>(end - begin)));
}

UInt32 Remaining(const char* p, const char* end) { return static_cast<UInt32>(end - p); }

bool IsDecimal(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

SInt32 TextToIPv4Address(const char* text, UInt32 length, UInt16 defaultPort, UInt32* outAddress,
                         UInt16* outPort, UInt32* outSubnetMask, UInt32* outFirstHost) {
    const Span work = MeasureAndSkipSpace(text, length);

    UInt16 port = defaultPort;
    if (const char* colon = Find(work.begin, work.end, ':')) {
        port = static_cast<UInt16>(TextToInt32(colon + 1, Remaining(colon + 1, work.end), 10));
    }

    UInt32 address = 0;
    const char* p = work.begin;
    const bool twoOrMore = work.end - work.begin >= 2;
    if (twoOrMore && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        address = static_cast<UInt32>(TextToInt32(p + 2, Remaining(p + 2, work.end), 16));
    } else if (twoOrMore && p[0] == '0' && (p[1] == 'b' || p[1] == 'B')) {
        address = static_cast<UInt32>(TextToInt32(p + 2, Remaining(p + 2, work.end), 2));
    } else if (twoOrMore && Find(work.begin, work.end, '.') == nullptr) {
        address = static_cast<UInt32>(TextToInt32(p, Remaining(p, work.end), 10));
    } else {
        for (int part = 1; part <= 4; ++part) {
            UInt32 value = 0;
            const char* digits = p;
            while (p < work.end && IsDecimal(*p)) {
                value = value * 10 + static_cast<UInt32>(*p - '0');
                if (value > 255) return kErrRange;
                ++p;
            }
            if (p == digits) return kErrMalformed;
            address = (address << 8) | value;
            if (part < 4) {
                if (p == work.end || *p != '.') return kErrMalformed;
                ++p;
            }
        }
    }

    UInt32 mask = 0;
    UInt32 firstHost = 0;
    if (const char* slash = Find(p, work.end, '/')) {
        UInt32 prefix = 0;
        bool sawDigit = false;
        for (const char* q = slash + 1; q < work.end && IsDecimal(*q); ++q) {
            prefix = prefix * 10 + static_cast<UInt32>(*q - '0');
            sawDigit = true;
            if (prefix > 32) break;  // the digit that overshoots makes the prefix invalid
        }
        if (sawDigit && prefix <= 32) {
            mask = prefix == 0 ? 0 : 0xFFFFFFFFU << (32 - prefix);
            firstHost = (address & mask) | 1;
        }
    }

    if (outAddress != nullptr) *outAddress = address;
    if (outPort != nullptr) *outPort = port;
    if (outSubnetMask != nullptr) *outSubnetMask = mask;
    if (outFirstHost != nullptr) *outFirstHost = firstHost;
    return kNoErr;
}

char* IPv4AddressToString(UInt32 address, char* buffer) {
    std::snprintf(buffer, 16, "%u.%u.%u.%u", address >> 24, (address >> 16) & 0xFF, (address >> 8) & 0xFF,
                  address & 0xFF);
    return buffer;
}

SInt32 TextToMACAddress(const char* text, UInt32 length, UInt8* outAddress) {
    UInt8 scratch[6];
    UInt8* out = outAddress != nullptr ? outAddress : scratch;
    const Span work = MeasureAndSkipSpace(text, length);
    const char* p = work.begin;
    for (int group = 0; group < 6; ++group) {
        UInt32 value = 0;
        const char* digits = p;
        for (int digit; p < work.end && (digit = HexValue(*p)) >= 0; ++p) {
            value = value * 16 + static_cast<UInt32>(digit);
            if (value > 0xFF) return kErrRange;
        }
        if (p == digits) return kErrMalformed;
        out[group] = static_cast<UInt8>(value);
        if (group < 5) {
            if (p == work.end || (*p != ':' && *p != '-' && *p != ' ')) return kErrMalformed;
            ++p;
        }
    }
    return kNoErr;
}

char* MACAddressToString(const UInt8* address, char* buffer) {
    std::snprintf(buffer, 18, "%02X:%02X:%02X:%02X:%02X:%02X", address[0], address[1], address[2], address[3],
                  address[4], address[5]);
    return buffer;
}

}  // namespace keelward
