#include <keelward/checksums/CRC32.h>

#include <array>
#include <cstddef>
#include <cstring>
#include <mutex>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define KEELWARD_CRC32_CARRYLESS 1
#endif

// Speed. The classic loop makes one table lookup per byte and is bound by the
// latency of that chain (about 9 times slower than zlib here). Two faster methods
// share the same table:
//  - Slicing by 16: fifteen further tables, derived from kCRC32Table's polynomial at
//    compile time, give the CRC of a byte followed by 1 to 15 zero bytes, so sixteen
//    independent lookups advance the CRC by 16 bytes at once. Portable; the fallback.
//  - Carry-less multiplication (PCLMULQDQ), chosen at run time when the processor
//    has it: four 128-bit lanes are folded forward 64 bytes per step by multiplying
//    with x^n mod P, which keeps their value modulo the polynomial. The last folded
//    16 bytes and the tail then go through the table, which yields the exact CRC
//    without a separate Barrett reduction.
// Both are checked against the byte-at-a-time definition over every length and
// alignment in the tests.

namespace keelward {

namespace {

constexpr UInt32 kReflectedPolynomial = 0xEDB88320U;

constexpr UInt32 TableEntry(UInt32 i) {
    UInt32 x = i;
    for (int bit = 0; bit < 8; ++bit) x = (x & 1) != 0 ? (x >> 1) ^ kReflectedPolynomial : x >> 1;
    return x;
}

// kSlices[k][b]: the CRC register after byte b followed by k zero bytes.
constexpr std::array<std::array<UInt32, 256>, 16> MakeSlices() {
    std::array<std::array<UInt32, 256>, 16> slices{};
    for (UInt32 b = 0; b < 256; ++b) slices[0][b] = TableEntry(b);
    for (std::size_t k = 1; k < 16; ++k) {
        for (std::size_t b = 0; b < 256; ++b) {
            const UInt32 previous = slices[k - 1][b];
            slices[k][b] = (previous >> 8) ^ slices[0][previous & 0xFF];
        }
    }
    return slices;
}
constexpr auto kSlices = MakeSlices();
static_assert(kSlices[0][1] == 0x77073096U && kSlices[0][255] == 0x2D02EF8DU);

inline UInt32 Load32LE(const UInt8* p) {
    return UInt32{p[0]} | UInt32{p[1]} << 8 | UInt32{p[2]} << 16 | UInt32{p[3]} << 24;
}

// One byte at a time through kCRC32Table; `x` is the complemented register.
UInt32 UpdateBytes(UInt32 x, const UInt8* p, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) x = kCRC32Table[(x ^ p[i]) & 0xFF] ^ (x >> 8);
    return x;
}

UInt32 UpdateSliced(UInt32 x, const UInt8* p, std::size_t length) {
    const auto& t = kSlices;
    for (; length >= 16; p += 16, length -= 16) {
        const UInt32 a = Load32LE(p) ^ x;
        const UInt32 b = Load32LE(p + 4);
        const UInt32 c = Load32LE(p + 8);
        const UInt32 d = Load32LE(p + 12);
        x = t[15][a & 0xFF] ^ t[14][(a >> 8) & 0xFF] ^ t[13][(a >> 16) & 0xFF] ^ t[12][a >> 24] ^
            t[11][b & 0xFF] ^ t[10][(b >> 8) & 0xFF] ^ t[9][(b >> 16) & 0xFF] ^ t[8][b >> 24] ^
            t[7][c & 0xFF] ^ t[6][(c >> 8) & 0xFF] ^ t[5][(c >> 16) & 0xFF] ^ t[4][c >> 24] ^
            t[3][d & 0xFF] ^ t[2][(d >> 8) & 0xFF] ^ t[1][(d >> 16) & 0xFF] ^ t[0][d >> 24];
    }
    return UpdateBytes(x, p, length);
}

#if KEELWARD_CRC32_CARRYLESS

// x^n mod P with P = x^32 + x^26 + ... + 1 in normal bit order (bit d holds x^d).
constexpr UInt64 PowerModP(unsigned n) {
    UInt64 r = 1;
    for (unsigned i = 0; i < n; ++i) {
        r <<= 1;
        if ((r >> 32) != 0) r ^= 0x104C11DB7ULL;
    }
    return r;
}

// A 128-bit register loaded from 16 message bytes holds the coefficient of x^(127-k)
// in bit k; a carry-less product of two such 64-bit halves comes out one place too
// high, i.e. multiplied by x. The fold constant for "multiply by x^n" is therefore
// x^(n-1) mod P, stored with x^d in bit 63-d.
constexpr UInt64 FoldConstant(unsigned n) {
    const UInt64 poly = PowerModP(n - 1);
    UInt64 reflected = 0;
    for (unsigned d = 0; d < 32; ++d) {
        if (((poly >> d) & 1) != 0) reflected |= UInt64{1} << (63 - d);
    }
    return reflected;
}

// Folding forward by D bits multiplies the low half (the earlier bytes) by x^(D+64)
// and the high half by x^D.
constexpr UInt64 kFold512Low = FoldConstant(512 + 64);
constexpr UInt64 kFold512High = FoldConstant(512);
constexpr UInt64 kFold128Low = FoldConstant(128 + 64);
constexpr UInt64 kFold128High = FoldConstant(128);

__attribute__((target("pclmul,sse2"))) inline __m128i Fold(__m128i x, __m128i constants, __m128i next) {
    const __m128i low = _mm_clmulepi64_si128(x, constants, 0x00);
    const __m128i high = _mm_clmulepi64_si128(x, constants, 0x11);
    return _mm_xor_si128(_mm_xor_si128(low, high), next);
}

__attribute__((target("pclmul,sse2"))) inline __m128i Load128(const UInt8* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Requires length >= 64.
__attribute__((target("pclmul,sse2"))) UInt32 UpdateCarryLess(UInt32 x, const UInt8* p, std::size_t length) {
    const __m128i k512 = _mm_set_epi64x(static_cast<long long>(kFold512High), static_cast<long long>(kFold512Low));
    const __m128i k128 = _mm_set_epi64x(static_cast<long long>(kFold128High), static_cast<long long>(kFold128Low));

    // The register enters by being added to the first four message bytes.
    __m128i x0 = _mm_xor_si128(Load128(p), _mm_cvtsi32_si128(static_cast<int>(x)));
    __m128i x1 = Load128(p + 16);
    __m128i x2 = Load128(p + 32);
    __m128i x3 = Load128(p + 48);
    p += 64;
    length -= 64;
    for (; length >= 64; p += 64, length -= 64) {
        x0 = Fold(x0, k512, Load128(p));
        x1 = Fold(x1, k512, Load128(p + 16));
        x2 = Fold(x2, k512, Load128(p + 32));
        x3 = Fold(x3, k512, Load128(p + 48));
    }
    x1 = Fold(x0, k128, x1);
    x2 = Fold(x1, k128, x2);
    x3 = Fold(x2, k128, x3);
    for (; length >= 16; p += 16, length -= 16) x3 = Fold(x3, k128, Load128(p));

    alignas(16) UInt8 folded[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(folded), x3);
    return UpdateSliced(UpdateSliced(0, folded, 16), p, length);
}

bool HasCarryLess() {
    static const bool sHasCarryLess = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("pclmul") != 0;
    }();
    return sHasCarryLess;
}

#endif

}  // namespace

#define KEELWARD_CRC_4(i) TableEntry(i), TableEntry(i + 1), TableEntry(i + 2), TableEntry(i + 3)
#define KEELWARD_CRC_16(i) KEELWARD_CRC_4(i), KEELWARD_CRC_4(i + 4), KEELWARD_CRC_4(i + 8), KEELWARD_CRC_4(i + 12)
#define KEELWARD_CRC_64(i) KEELWARD_CRC_16(i), KEELWARD_CRC_16(i + 16), KEELWARD_CRC_16(i + 32), KEELWARD_CRC_16(i + 48)
UInt32 kCRC32Table[256] = {KEELWARD_CRC_64(0), KEELWARD_CRC_64(64), KEELWARD_CRC_64(128), KEELWARD_CRC_64(192)};
#undef KEELWARD_CRC_64
#undef KEELWARD_CRC_16
#undef KEELWARD_CRC_4

const UInt8 kPolyTerms[14] = {0, 1, 2, 4, 5, 7, 8, 10, 11, 12, 16, 22, 23, 26};

std::atomic<Boolean> gCRC32TableInitialized{0};

namespace {

// Builds the table from kPolyTerms. The built values equal the table's initial
// contents, so an entry is written only if it differs: readers running CRC32 at the
// same time then never race with a write. The once-flag makes concurrent first
// calls wait for the single build.
void CRC32MakeTable() {
    static std::once_flag sOnce;
    std::call_once(sOnce, [] {
        UInt32 polynomial = 0;
        for (const UInt8 n : kPolyTerms) polynomial |= UInt32{1} << (31 - n);
        for (UInt32 i = 0; i < 256; ++i) {
            UInt32 x = i;
            for (int bit = 0; bit < 8; ++bit) x = (x & 1) != 0 ? (x >> 1) ^ polynomial : x >> 1;
            if (kCRC32Table[i] != x) kCRC32Table[i] = x;
        }
        gCRC32TableInitialized.store(1, std::memory_order_release);
    });
}

}  // namespace

UInt32 CRC32(UInt32 crc, const void* data, UInt32 length) {
    if (length == 0) return 0;
    const auto* p = static_cast<const UInt8*>(data);
    UInt32 x = ~crc;
#if KEELWARD_CRC32_CARRYLESS
    if (length >= 64 && HasCarryLess()) return ~UpdateCarryLess(x, p, length);
#endif
    x = UpdateSliced(x, p, length);
    return ~x;
}

UInt32 CRC32Dynamic(UInt32 crc, const void* data, UInt32 length) {
    if (gCRC32TableInitialized.load(std::memory_order_acquire) == 0) CRC32MakeTable();
    return CRC32(crc, data, length);
}

}  // namespace keelward
