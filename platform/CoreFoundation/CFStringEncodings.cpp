// Conversions between UTF-16 code units and the 8-bit encodings of the layer.
#include <keelward/platform/CoreFoundation/CFRuntimeInternal.h>

#include <array>

namespace keelward {
namespace {

// Mac OS Roman bytes 0x80 to 0xFF (0xDB is the euro sign, 0xF0 the Apple logo in the
// private use area, as the encoding has stood since Mac OS 8.5).
constexpr std::array<UniChar, 128> kMacRomanHigh = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1,  // 0x80
    0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8,  // 0x88
    0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,  // 0x90
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC,  // 0x98
    0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF,  // 0xA0
    0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,  // 0xA8
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211,  // 0xB0
    0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8,  // 0xB8
    0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,  // 0xC0
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153,  // 0xC8
    0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA,  // 0xD0
    0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,  // 0xD8
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,  // 0xE0
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4,  // 0xE8
    0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,  // 0xF0
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,  // 0xF8
};

constexpr bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
constexpr bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

std::optional<std::u16string> DecodeUTF8(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<UInt8>(bytes[i]);
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        }
        std::size_t extra;
        char32_t c;
        char32_t minimum;
        if ((lead & 0xE0) == 0xC0) {
            extra = 1, c = lead & 0x1F, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, c = lead & 0x0F, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, c = lead & 0x07, minimum = 0x10000;
        } else {
            return std::nullopt;
        }
        if (bytes.size() - i <= extra) return std::nullopt;
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<UInt8>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            c = (c << 6) | (next & 0x3F);
        }
        if (c < minimum || c > 0x10FFFF || IsHighSurrogate(c) || IsLowSurrogate(c)) return std::nullopt;
        if (c >= 0x10000) {
            c -= 0x10000;
            out.push_back(static_cast<UniChar>(0xD800 + (c >> 10)));
            out.push_back(static_cast<UniChar>(0xDC00 + (c & 0x3FF)));
        } else {
            out.push_back(static_cast<UniChar>(c));
        }
        i += extra + 1;
    }
    return out;
}

std::optional<std::string> EncodeUTF8(std::u16string_view text, UInt8 lossByte) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            if (lossByte == 0) return std::nullopt;
            out.push_back(static_cast<char>(lossByte));
            continue;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

// The byte of a code unit in one of the single-byte encodings.
std::optional<UInt8> SingleByteFor(UniChar unit, CFStringEncoding encoding) {
    switch (encoding) {
        case kCFStringEncodingASCII:
            if (unit < 0x80) return static_cast<UInt8>(unit);
            return std::nullopt;
        case kCFStringEncodingISOLatin1:
            if (unit < 0x100) return static_cast<UInt8>(unit);
            return std::nullopt;
        default:
            return CFUnicodeToMacRoman(unit);
    }
}

bool IsSingleByteEncoding(CFStringEncoding encoding) {
    return encoding == kCFStringEncodingMacRoman || encoding == kCFStringEncodingASCII ||
           encoding == kCFStringEncodingISOLatin1;
}

}  // namespace

UniChar CFMacRomanToUnicode(UInt8 byte) { return byte < 0x80 ? UniChar(byte) : kMacRomanHigh[byte - 0x80]; }

std::optional<UInt8> CFUnicodeToMacRoman(UniChar unit) {
    if (unit < 0x80) return static_cast<UInt8>(unit);
    for (std::size_t i = 0; i < kMacRomanHigh.size(); ++i) {
        if (kMacRomanHigh[i] == unit) return static_cast<UInt8>(0x80 + i);
    }
    return std::nullopt;
}

std::optional<std::u16string> CFDecodeBytes(std::string_view bytes, CFStringEncoding encoding) {
    if (encoding == kCFStringEncodingUTF8) return DecodeUTF8(bytes);
    if (!IsSingleByteEncoding(encoding)) return std::nullopt;
    std::u16string out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto byte = static_cast<UInt8>(ch);
        switch (encoding) {
            case kCFStringEncodingASCII:
                if (byte >= 0x80) return std::nullopt;
                out.push_back(byte);
                break;
            case kCFStringEncodingISOLatin1:
                out.push_back(byte);
                break;
            default:
                out.push_back(CFMacRomanToUnicode(byte));
                break;
        }
    }
    return out;
}

std::optional<std::string> CFEncodeCharacters(std::u16string_view text, CFStringEncoding encoding, UInt8 lossByte) {
    if (encoding == kCFStringEncodingUTF8) return EncodeUTF8(text, lossByte);
    if (!IsSingleByteEncoding(encoding)) return std::nullopt;
    std::string out;
    out.reserve(text.size());
    for (const UniChar unit : text) {
        const std::optional<UInt8> byte = SingleByteFor(unit, encoding);
        if (!byte && lossByte == 0) return std::nullopt;
        out.push_back(static_cast<char>(byte ? *byte : lossByte));
    }
    return out;
}

}  // namespace keelward
