#include <keelward/checksums/Base64.h>

#include <array>
#include <cstddef>
#include <cstring>

namespace keelward {

const char kBase64EncodeTable[65] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

namespace {

constexpr std::array<UInt8, 256> MakeDecodeTable() {
    std::array<UInt8, 256> table{};
    for (auto& entry : table) entry = kBase64SkipMark;
    for (UInt8 i = 0; i < 64; ++i) table[static_cast<UInt8>(kBase64EncodeTable[i])] = i;
    table['='] = kBase64PadMark;
    return table;
}
constexpr std::array<UInt8, 256> kDecode = MakeDecodeTable();

// Speed: the encoder looks up two characters at a time from a 12-bit table, and the
// decoder handles four alphabet characters at a time through four tables that hold
// each character's 6 bits already shifted into place; any other byte sets a flag
// bit, which sends that group through the general, byte-at-a-time path.
constexpr std::array<std::array<char, 2>, 4096> MakePairTable() {
    std::array<std::array<char, 2>, 4096> pairs{};
    for (std::size_t v = 0; v < 4096; ++v) pairs[v] = {kBase64EncodeTable[v >> 6], kBase64EncodeTable[v & 0x3F]};
    return pairs;
}
constexpr auto kPairs = MakePairTable();

constexpr UInt32 kNotAlphabet = 0x01000000;

constexpr std::array<UInt32, 256> MakeShiftedTable(unsigned shift) {
    std::array<UInt32, 256> table{};
    for (std::size_t c = 0; c < 256; ++c) table[c] = kDecode[c] < 64 ? UInt32{kDecode[c]} << shift : kNotAlphabet;
    return table;
}
constexpr auto kShifted0 = MakeShiftedTable(18);
constexpr auto kShifted1 = MakeShiftedTable(12);
constexpr auto kShifted2 = MakeShiftedTable(6);
constexpr auto kShifted3 = MakeShiftedTable(0);

inline void EncodeGroup(const UInt8* in, char* out) {
    const UInt32 v = UInt32{in[0]} << 16 | UInt32{in[1]} << 8 | in[2];
    std::memcpy(out, kPairs[v >> 12].data(), 2);
    std::memcpy(out + 2, kPairs[v & 0xFFF].data(), 2);
}

// The final one or two bytes with "=" padding; missing bytes count as 0 and are
// never read.
inline void EncodeFinalGroup(const UInt8* in, UInt32 remaining, char* out) {
    const UInt32 b0 = in[0];
    const UInt32 b1 = remaining > 1 ? in[1] : 0;
    out[0] = kBase64EncodeTable[b0 >> 2];
    out[1] = kBase64EncodeTable[((b0 & 0x03) << 4) | (b1 >> 4)];
    out[2] = remaining > 1 ? kBase64EncodeTable[(b1 & 0x0F) << 2] : '=';
    out[3] = '=';
}

inline SInt32 Finish(UInt32 count, UInt32* outCount, SInt32 result) {
    if (outCount != nullptr) *outCount = count;
    return result;
}

}  // namespace

const UInt8 kBase64DecodeTable[256] = {
#define KEELWARD_B64_4(i) kDecode[i], kDecode[i + 1], kDecode[i + 2], kDecode[i + 3]
#define KEELWARD_B64_16(i) KEELWARD_B64_4(i), KEELWARD_B64_4(i + 4), KEELWARD_B64_4(i + 8), KEELWARD_B64_4(i + 12)
#define KEELWARD_B64_64(i) KEELWARD_B64_16(i), KEELWARD_B64_16(i + 16), KEELWARD_B64_16(i + 32), KEELWARD_B64_16(i + 48)
    KEELWARD_B64_64(0), KEELWARD_B64_64(64), KEELWARD_B64_64(128), KEELWARD_B64_64(192)
#undef KEELWARD_B64_64
#undef KEELWARD_B64_16
#undef KEELWARD_B64_4
};

UInt32 Base64EncodedSize(UInt32 byteCount) { return static_cast<UInt32>((UInt64{byteCount} + 2) / 3 * 4); }

SInt32 Base64Encode(const void* data, UInt32 byteCount, UInt32 capacity, char* output, UInt32* outCount) {
    const auto* in = static_cast<const UInt8*>(data);
    const UInt32 groups = byteCount / 3;
    const UInt32 fitting = groups < capacity / 4 ? groups : capacity / 4;
    char* out = output;
    for (UInt32 g = 0; g < fitting; ++g, in += 3, out += 4) EncodeGroup(in, out);
    UInt32 written = fitting * 4;
    if (fitting < groups) return Finish(written, outCount, -1);

    const UInt32 remaining = byteCount % 3;
    if (remaining != 0) {
        if (UInt64{written} + 4 > capacity) return Finish(written, outCount, -1);
        EncodeFinalGroup(in, remaining, out);
        written += 4;
    }
    return Finish(written, outCount, static_cast<SInt32>(written));
}

UInt32 Base64EncodedLinesSize(UInt32 byteCount, UInt32 tabCount) {
    const UInt64 encoded = Base64EncodedSize(byteCount);
    const UInt64 lines = (encoded + 75) / 76;
    return static_cast<UInt32>(encoded + lines * (UInt64{tabCount} + 1));
}

void Base64EncodeLines(const void* data, UInt32 byteCount, UInt32 tabCount, char* output, UInt32* outCount) {
    const auto* in = static_cast<const UInt8*>(data);
    char* out = output;
    if (byteCount != 0) {
        const auto indent = [&] {
            std::memset(out, '\t', tabCount);
            out += tabCount;
        };
        UInt32 column = 0;  // characters on the current line, tabs not counted
        for (UInt32 g = byteCount / 3; g > 0; --g, in += 3) {
            if (column > 75) {
                *out++ = '\n';
                column = 0;
            }
            if (column == 0) indent();
            EncodeGroup(in, out);
            out += 4;
            column += 4;
        }
        const UInt32 remaining = byteCount % 3;
        if (remaining != 0) {
            if (column > 75) {
                *out++ = '\n';
                indent();
            } else if (column == 0) {
                indent();
            }
            EncodeFinalGroup(in, remaining, out);
            out += 4;
        }
        *out++ = '\n';
    }
    if (outCount != nullptr) *outCount = static_cast<UInt32>(out - output);
}

UInt32 Base64DecodedMaxSize(UInt32 characterCount) {
    return static_cast<UInt32>((UInt64{characterCount} + 3) / 4 * 3);
}

UInt32 Base64DecodedSize(const char* text, UInt32 characterCount) {
    const auto* p = reinterpret_cast<const UInt8*>(text);
    UInt32 count = 0;
    for (UInt32 i = 0; i < characterCount; ++i) count += kDecode[p[i]] < 64 ? 1 : 0;
    return count;
}

SInt32 Base64Decode(const char* text, UInt32 characterCount, UInt32 capacity, void* output, UInt32* outCount) {
    const auto* p = reinterpret_cast<const UInt8*>(text);
    const UInt8* const end = p + characterCount;
    auto* out = static_cast<UInt8*>(output);
    UInt32 room = capacity;

    // Slots of the group being collected. Slots not filled before a "=" stay 0, so a
    // lone character before "=" yields its 6 bits followed by two zero bits.
    UInt8 slot[4] = {0, 0, 0, 0};
    UInt32 filled = 0;
    while (p < end) {
        if (filled == 0) {
            while (end - p >= 4 && room >= 3) {
                const UInt32 v = kShifted0[p[0]] | kShifted1[p[1]] | kShifted2[p[2]] | kShifted3[p[3]];
                if ((v & kNotAlphabet) != 0) break;
                out[0] = static_cast<UInt8>(v >> 16);
                out[1] = static_cast<UInt8>(v >> 8);
                out[2] = static_cast<UInt8>(v);
                out += 3;
                room -= 3;
                p += 4;
            }
            if (p == end) break;
        }

        const UInt8 v = kDecode[*p++];
        if (v == kBase64SkipMark) continue;
        UInt32 count = 3;
        if (v == kBase64PadMark) {
            if (filled == 0) break;
            count = filled == 3 ? 2 : 1;
        } else {
            slot[filled++] = v;
            if (filled < 4) continue;
        }
        if (room < count) return Finish(capacity - room, outCount, -1);
        const UInt8 bytes[3] = {
            static_cast<UInt8>(slot[0] << 2 | slot[1] >> 4),
            static_cast<UInt8>((slot[1] & 0x0F) << 4 | slot[2] >> 2),
            static_cast<UInt8>((slot[2] & 0x03) << 6 | slot[3]),
        };
        std::memcpy(out, bytes, count);
        out += count;
        room -= count;
        filled = 0;
        std::memset(slot, 0, sizeof slot);
        if (v == kBase64PadMark) break;
    }
    const UInt32 written = capacity - room;
    return Finish(written, outCount, static_cast<SInt32>(written));
}

}  // namespace keelward
