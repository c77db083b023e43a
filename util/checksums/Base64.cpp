#include <keelward/checksums/Base64.h>

#include <array>
#include <cstddef>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define KEELWARD_BASE64_SSSE3 1
#endif

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

// Speed: the encoder takes twelve bytes at a time with SSSE3 when the processor has
// it (checked at run time), and otherwise looks up two characters at a time from a
// 12-bit table. The decoder takes sixteen alphabet characters at a time with SSSE3 when the processor
// has it (checked at run time), and otherwise four at a time through four tables
// that hold each character's 6 bits already shifted into place. A block holding any
// other byte goes through the general, byte-at-a-time path, which alone deals with
// skipped bytes, padding and the capacity.
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

#if KEELWARD_BASE64_SSSE3
// Decodes blocks of 16 alphabet characters into 12 bytes while at least 16 bytes of
// room remain (the store writes 16); stops at the first block holding any other
// byte, which the general path then takes over. Returns the characters consumed.
__attribute__((target("ssse3"))) std::size_t DecodeBlocksSSSE3(const UInt8* p, std::size_t length, UInt8*& out,
                                                                UInt32& room) {
    const auto inRange = [](__m128i c, char low, char high) {
        // Signed compares: bytes from 0x80 up are negative and fall outside every range.
        return _mm_and_si128(_mm_cmpgt_epi8(c, _mm_set1_epi8(static_cast<char>(low - 1))),
                             _mm_cmplt_epi8(c, _mm_set1_epi8(static_cast<char>(high + 1))));
    };
    const __m128i pairWeights = _mm_set1_epi32(0x01400140);   // a * 64 + b in each 16-bit lane
    const __m128i quadWeights = _mm_set1_epi32(0x00011000);   // ab * 4096 + cd in each 32-bit lane
    const __m128i bigEndian = _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
    std::size_t consumed = 0;
    while (length - consumed >= 16 && room >= 16) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + consumed));
        const __m128i upper = inRange(c, 'A', 'Z');
        const __m128i lower = inRange(c, 'a', 'z');
        const __m128i digit = inRange(c, '0', '9');
        const __m128i plus = _mm_cmpeq_epi8(c, _mm_set1_epi8('+'));
        const __m128i slash = _mm_cmpeq_epi8(c, _mm_set1_epi8('/'));
        const __m128i valid = _mm_or_si128(_mm_or_si128(upper, lower), _mm_or_si128(_mm_or_si128(digit, plus), slash));
        if (_mm_movemask_epi8(valid) != 0xFFFF) break;
        // The 6-bit value is the character plus an offset that depends on its class.
        __m128i offset = _mm_and_si128(upper, _mm_set1_epi8(-'A'));
        offset = _mm_or_si128(offset, _mm_and_si128(lower, _mm_set1_epi8(26 - 'a')));
        offset = _mm_or_si128(offset, _mm_and_si128(digit, _mm_set1_epi8(52 - '0')));
        offset = _mm_or_si128(offset, _mm_and_si128(plus, _mm_set1_epi8(62 - '+')));
        offset = _mm_or_si128(offset, _mm_and_si128(slash, _mm_set1_epi8(63 - '/')));
        const __m128i values = _mm_add_epi8(c, offset);
        const __m128i pairs = _mm_maddubs_epi16(values, pairWeights);
        const __m128i quads = _mm_madd_epi16(pairs, quadWeights);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_shuffle_epi8(quads, bigEndian));
        out += 12;
        room -= 12;
        consumed += 16;
    }
    return consumed;
}

// Encodes 12 bytes into 16 characters per step while at least 16 input bytes remain
// (the load reads 16) and `groups` allows; returns the groups encoded.
__attribute__((target("ssse3"))) std::size_t EncodeBlocksSSSE3(const UInt8* in, std::size_t groups, char* out) {
    // Each 32-bit lane receives one group as v = b0 << 16 | b1 << 8 | b2.
    const __m128i spread = _mm_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1);
    const __m128i sixBits = _mm_set1_epi32(0x3F);
    std::size_t done = 0;
    for (; groups - done >= 4 + 2; done += 4, in += 12, out += 16) {  // 6 groups = 18 bytes >= 16 to load
        const __m128i v = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in)), spread);
        // Character k of the group goes to byte k of the lane.
        const __m128i i0 = _mm_and_si128(_mm_srli_epi32(v, 18), sixBits);
        const __m128i i1 = _mm_slli_epi32(_mm_and_si128(_mm_srli_epi32(v, 12), sixBits), 8);
        const __m128i i2 = _mm_slli_epi32(_mm_and_si128(_mm_srli_epi32(v, 6), sixBits), 16);
        const __m128i i3 = _mm_slli_epi32(_mm_and_si128(v, sixBits), 24);
        const __m128i index = _mm_or_si128(_mm_or_si128(i0, i1), _mm_or_si128(i2, i3));
        // The character is the index plus an offset that grows by class boundaries:
        // 'A' below 26, 'a' - 26 below 52, '0' - 52 below 62, then '+' - 62 and '/' - 63.
        __m128i offset = _mm_set1_epi8('A');
        offset = _mm_add_epi8(offset, _mm_and_si128(_mm_cmpgt_epi8(index, _mm_set1_epi8(25)), _mm_set1_epi8(6)));
        offset = _mm_add_epi8(offset, _mm_and_si128(_mm_cmpgt_epi8(index, _mm_set1_epi8(51)), _mm_set1_epi8(-75)));
        offset = _mm_add_epi8(offset, _mm_and_si128(_mm_cmpgt_epi8(index, _mm_set1_epi8(61)), _mm_set1_epi8(-15)));
        offset = _mm_add_epi8(offset, _mm_and_si128(_mm_cmpgt_epi8(index, _mm_set1_epi8(62)), _mm_set1_epi8(3)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_add_epi8(index, offset));
    }
    return done;
}

bool HasSSSE3() {
    static const bool sHasSSSE3 = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("ssse3") != 0;
    }();
    return sHasSSSE3;
}
#endif

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
    UInt32 g = 0;
#if KEELWARD_BASE64_SSSE3
    if (HasSSSE3()) {
        g = static_cast<UInt32>(EncodeBlocksSSSE3(in, fitting, out));
        in += std::size_t{g} * 3;
        out += std::size_t{g} * 4;
    }
#endif
    for (; g < fitting; ++g, in += 3, out += 4) EncodeGroup(in, out);
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
#if KEELWARD_BASE64_SSSE3
            if (HasSSSE3()) p += DecodeBlocksSSSE3(p, static_cast<std::size_t>(end - p), out, room);
#endif
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
