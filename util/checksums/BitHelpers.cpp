#include <keelward/checksums/BitHelpers.h>

#include <bit>
#include <cmath>
#include <cstdlib>

namespace keelward {

namespace {

// all ones >> n and all ones << n, where a shift of 32 or more gives 0.
constexpr UInt32 OnesRight(UInt64 n) { return n >= 32 ? 0 : 0xFFFFFFFFU >> n; }
constexpr UInt32 OnesLeft(UInt64 n) { return n >= 32 ? 0 : 0xFFFFFFFFU << n; }

// Two's-complement difference without signed overflow.
constexpr SInt32 Difference(SInt32 a, SInt32 b) {
    return static_cast<SInt32>(static_cast<UInt32>(a) - static_cast<UInt32>(b));
}

}  // namespace

UInt32 GetBits(UInt32 value, UInt32 offset, UInt32 width) {
    const UInt64 end = UInt64{offset} + width;
    if (width == 0 || end > 32) return 0;
    return (value >> (32 - end)) & OnesRight(32 - UInt64{width});
}

UInt32 SetBits(UInt32 value, UInt32 offset, UInt32 width, UInt32 newBits) {
    const UInt64 end = UInt64{offset} + width;
    if (width == 0 || end > 32) return value;
    const UInt32 mask = OnesLeft(32 - end) & OnesRight(offset);
    return (value & ~mask) | (newBits & mask);
}

UInt32 CountBits(UInt32 value) { return static_cast<UInt32>(std::popcount(value)); }

UInt32 CountBits2(UInt32 x) {
    x = x - ((x >> 1) & 0x55555555U);
    x = (x & 0x33333333U) + ((x >> 2) & 0x33333333U);
    x = (x + (x >> 4)) & 0x0F0F0F0FU;
    return (x + (x << 8) + (x << 16) + (x << 24)) >> 24;
}

UInt32 CountBits64(UInt64 value) { return static_cast<UInt32>(std::popcount(value)); }

UInt32 CountLeadingZeroBits(UInt32 value) { return static_cast<UInt32>(std::countl_zero(value)); }

UInt32 CountTrailingZeroBits(UInt32 value) { return static_cast<UInt32>(std::countr_zero(value)); }

UInt32 ReverseBits32(UInt32 x) {
    x = ((x >> 1) & 0x55555555U) | ((x & 0x55555555U) << 1);
    x = ((x >> 2) & 0x33333333U) | ((x & 0x33333333U) << 2);
    x = ((x >> 4) & 0x0F0F0F0FU) | ((x & 0x0F0F0F0FU) << 4);
    x = ((x >> 8) & 0x00FF00FFU) | ((x & 0x00FF00FFU) << 8);
    return (x >> 16) | (x << 16);
}

UInt8 ReverseBits8(UInt32 value) { return static_cast<UInt8>(ReverseBits32(value & 0xFF) >> 24); }

UInt16 ReverseBits16(UInt32 value) { return static_cast<UInt16>(ReverseBits32(value & 0xFFFF) >> 16); }

UInt64 ReverseBits64(UInt64 value) {
    return UInt64{ReverseBits32(static_cast<UInt32>(value))} << 32 | ReverseBits32(static_cast<UInt32>(value >> 32));
}

double RoundTo(double value, double step) { return std::floor(value / step + 0.5) * step; }

SInt32 BCDToInteger(const void* bcd, UInt32 count) {
    const auto* p = static_cast<const UInt8*>(bcd);
    UInt32 result = 0;  // unsigned: long inputs wrap instead of overflowing
    for (UInt32 i = 0; i < count; ++i) result = (result * 10 + (p[i] >> 4)) * 10 + (p[i] & 0x0F);
    return static_cast<SInt32>(result);
}

UInt16 RangedRandom(SInt32 low, SInt32 high) {
    if (high < low) {
        const SInt32 swapped = low;
        low = high;
        high = swapped;
    }
    const UInt32 r = static_cast<UInt32>(std::rand()) & 0xFFFF;
    // Counted in 64 bits: the full 32-bit range has 2^32 numbers, which a 32-bit
    // count would wrap to 0. Beyond 65536 numbers r mod n is r itself.
    const UInt64 n = static_cast<UInt64>(SInt64{high} - SInt64{low}) + 1;
    return static_cast<UInt16>(static_cast<UInt32>(low) + static_cast<UInt32>(r % n));
}

SInt32 TranslateValue(SInt32 sourceLow, SInt32 sourceHigh, SInt32 value, SInt32 targetLow, SInt32 targetHigh) {
    const float sourceSpan = static_cast<float>(Difference(sourceHigh, sourceLow));
    if (sourceSpan == 0.0f) return targetLow;
    const float ratio = static_cast<float>(Difference(value, sourceLow)) / sourceSpan;
    const float product = static_cast<float>(Difference(targetHigh, targetLow)) * ratio;
    // Truncation toward zero, saturated so that the conversion is always defined.
    SInt32 offset = 0;
    if (product >= 2147483648.0f) {
        offset = 2147483647;
    } else if (product <= -2147483648.0f) {
        offset = -2147483647 - 1;
    } else {
        offset = static_cast<SInt32>(product);
    }
    return static_cast<SInt32>(static_cast<UInt32>(targetLow) + static_cast<UInt32>(offset));
}

}  // namespace keelward
