#include <keelward/checksums/Adler32.h>

#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace keelward {

namespace {

constexpr UInt32 kBase = 65521;  // the largest prime below 2^16
// The most bytes after which neither sum can have overflowed 32 bits, even when the
// running value's halves start at 0xFFFF.
constexpr UInt32 kMaxBlock = 5552;

// Adds `length` bytes to the sums without reducing them.
void SumScalar(UInt32& s1, UInt32& s2, const UInt8* p, std::size_t length) {
    for (; length >= 16; p += 16, length -= 16) {
        for (int i = 0; i < 16; ++i) {
            s1 += p[i];
            s2 += s1;
        }
    }
    for (std::size_t i = 0; i < length; ++i) {
        s1 += p[i];
        s2 += s1;
    }
}

#if defined(__SSE2__)
// Sixteen bytes b0..b15 add S = sum(b) to s1 and 16*s1 + sum((16-i)*b_i) to s2. The
// vector loop keeps, per lane, the byte sums, the running sum of s1's growth before
// each chunk, and the weighted sums; they are combined once per block.
void SumVector(UInt32& s1, UInt32& s2, const UInt8* p, std::size_t length) {
    const std::size_t chunks = length / 16;
    const __m128i zero = _mm_setzero_si128();
    const __m128i weightsLow = _mm_setr_epi16(16, 15, 14, 13, 12, 11, 10, 9);
    const __m128i weightsHigh = _mm_setr_epi16(8, 7, 6, 5, 4, 3, 2, 1);
    __m128i byteSums = zero;
    __m128i priorSums = zero;
    __m128i weighted = zero;
    for (std::size_t c = 0; c < chunks; ++c, p += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        priorSums = _mm_add_epi32(priorSums, byteSums);
        byteSums = _mm_add_epi32(byteSums, _mm_sad_epu8(bytes, zero));
        weighted = _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpacklo_epi8(bytes, zero), weightsLow));
        weighted = _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpackhi_epi8(bytes, zero), weightsHigh));
    }
    alignas(16) UInt32 lanes[3][4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes[0]), byteSums);
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes[1]), priorSums);
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes[2]), weighted);
    const UInt32 byteTotal = lanes[0][0] + lanes[0][1] + lanes[0][2] + lanes[0][3];
    const UInt32 priorTotal = lanes[1][0] + lanes[1][1] + lanes[1][2] + lanes[1][3];
    const UInt32 weightedTotal = lanes[2][0] + lanes[2][1] + lanes[2][2] + lanes[2][3];
    // Exact modulo 2^32, and the true sums stay below 2^32 within a block.
    s2 += 16 * static_cast<UInt32>(chunks) * s1 + 16 * priorTotal + weightedTotal;
    s1 += byteTotal;
    SumScalar(s1, s2, p, length % 16);
}
#endif

}  // namespace

// The block limit only decides how often the sums are reduced; any limit from 1 to
// 5552 gives the same result, so the sums are always reduced after the largest safe
// block. That also keeps a larger limit from overflowing.
UInt32 Adler32(UInt32 adler, UInt32 /*blockLimit*/, const void* data, UInt32 length) {
    UInt32 s1 = adler & 0xFFFF;
    UInt32 s2 = adler >> 16;
    if (length == 0) return adler;
    const auto* p = static_cast<const UInt8*>(data);
    while (length > 0) {
        const UInt32 n = length < kMaxBlock ? length : kMaxBlock;
#if defined(__SSE2__)
        SumVector(s1, s2, p, n);
#else
        SumScalar(s1, s2, p, n);
#endif
        s1 %= kBase;
        s2 %= kBase;
        p += n;
        length -= n;
    }
    return (s2 << 16) | s1;
}

UInt8 CHRPNVRAMChecksum(const void* data, UInt32 length) {
    // Adding with end-around carry equals adding everything and then folding the
    // carries back in.
    const auto* p = static_cast<const UInt8*>(data);
    UInt64 total = 0;
    for (UInt32 i = 0; i < length; ++i) total += p[i];
    while (total > 0xFF) total = (total & 0xFF) + (total >> 8);
    return static_cast<UInt8>(total);
}

}  // namespace keelward
