#include <keelward/checksums/BitHelpers.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

namespace keelward {
namespace {

TEST(BitFields, NumberedFromTheTop) {
    const UInt32 v = 0x12345678;
    EXPECT_EQ(GetBits(v, 0, 8), 0x12U);
    EXPECT_EQ(GetBits(v, 24, 8), 0x78U);
    EXPECT_EQ(GetBits(v, 4, 12), 0x234U);
    EXPECT_EQ(GetBits(v, 0, 32), v);
    EXPECT_EQ(GetBits(v, 31, 1), 0U);
    EXPECT_EQ(GetBits(v, 0, 0), 0U);
    EXPECT_EQ(GetBits(v, 30, 4), 0U);   // runs past bit 31
    EXPECT_EQ(GetBits(v, 0xFFFFFFFF, 2), 0U);  // no wrap in offset + width

    EXPECT_EQ(SetBits(v, 0, 8, 0xAB000000), 0xAB345678U);
    EXPECT_EQ(SetBits(v, 0, 8, 0xAB), 0x00345678U);  // new bits stay where they are
    EXPECT_EQ(SetBits(v, 28, 4, 0xFFFFFFFF), 0x1234567FU);
    EXPECT_EQ(SetBits(v, 0, 32, 0xCAFEBABE), 0xCAFEBABEU);
    EXPECT_EQ(SetBits(v, 8, 0, 0xFFFFFFFF), v);
    EXPECT_EQ(SetBits(v, 30, 4, 0xFFFFFFFF), v);
}

TEST(BitCounts, BothCountersAgreeAndZeroIsDefined) {
    EXPECT_EQ(CountBits(0), 0U);
    EXPECT_EQ(CountBits2(0), 0U);
    EXPECT_EQ(CountBits(0xFFFFFFFF), 32U);
    EXPECT_EQ(CountBits2(0xFFFFFFFF), 32U);
    std::mt19937 engine(7);
    for (int i = 0; i < 10000; ++i) {
        const UInt32 x = engine();
        ASSERT_EQ(CountBits(x), CountBits2(x)) << x;
    }
    EXPECT_EQ(CountBits64(~UInt64{0}), 64U);
    EXPECT_EQ(CountBits64(0x8000000000000001ULL), 2U);

    EXPECT_EQ(CountLeadingZeroBits(1), 31U);
    EXPECT_EQ(CountLeadingZeroBits(0x80000000), 0U);
    EXPECT_EQ(CountTrailingZeroBits(0x80000000), 31U);
    EXPECT_EQ(CountTrailingZeroBits(1), 0U);
    EXPECT_EQ(CountTrailingZeroBits(0x00010100), 8U);
    // Zero has no one bit; it counts as 32 zero bits instead of looping forever.
    EXPECT_EQ(CountLeadingZeroBits(0), 32U);
    EXPECT_EQ(CountTrailingZeroBits(0), 32U);
}

TEST(BitReversal, AllWidths) {
    EXPECT_EQ(ReverseBits8(0x01), 0x80);
    EXPECT_EQ(ReverseBits8(0x1FF), 0xFF);
    EXPECT_EQ(ReverseBits8(0x1C), 0x38);
    EXPECT_EQ(ReverseBits16(1), 0x8000);
    EXPECT_EQ(ReverseBits16(0x12345), 0xA2C4);
    EXPECT_EQ(ReverseBits32(1), 0x80000000U);
    EXPECT_EQ(ReverseBits32(0x12345678), 0x1E6A2C48U);
    EXPECT_EQ(ReverseBits64(1), 0x8000000000000000ULL);
    EXPECT_EQ(ReverseBits64(0x0123456789ABCDEFULL), 0xF7B3D591E6A2C480ULL);
}

TEST(RoundTo, HalvesRoundUpward) {
    EXPECT_EQ(RoundTo(2.5, 1), 3.0);
    EXPECT_EQ(RoundTo(-2.5, 1), -2.0);
    EXPECT_EQ(RoundTo(7, 5), 5.0);
    EXPECT_EQ(RoundTo(7.5, 5), 10.0);
    EXPECT_DOUBLE_EQ(RoundTo(0.26, 0.25), 0.25);
}

TEST(BCDToInteger, NibblesMostSignificantFirst) {
    const UInt8 bytes[] = {0x12, 0x34, 0x1A};
    EXPECT_EQ(BCDToInteger(bytes, 2), 1234);
    EXPECT_EQ(BCDToInteger(bytes + 2, 1), 20);
    EXPECT_EQ(BCDToInteger(bytes, 0), 0);
    const UInt8 ten[] = {0x42, 0x94, 0x96, 0x72, 0x96};  // 4294967296 wraps to 0
    EXPECT_EQ(BCDToInteger(ten, 5), 0);
}

TEST(RangedRandom, StaysInsideEveryRange) {
    std::srand(1);
    for (int i = 0; i < 1000; ++i) {
        EXPECT_EQ(RangedRandom(5, 5), 5);
        const UInt16 die = RangedRandom(1, 6);
        EXPECT_TRUE(die >= 1 && die <= 6) << die;
        // Bounds in the wrong order: the same range.
        const UInt16 swapped = RangedRandom(6, 1);
        EXPECT_TRUE(swapped >= 1 && swapped <= 6) << swapped;
        // Wider than 16 bits, up to the whole 32-bit range, which would divide by 0.
        const UInt16 wide = RangedRandom(100, 1000000);
        EXPECT_GE(wide, 100);
        (void)RangedRandom(INT32_MIN, INT32_MAX);
        (void)RangedRandom(INT32_MAX, INT32_MIN);
    }
    // Every value of a small range turns up.
    bool seen[6] = {};
    for (int i = 0; i < 600; ++i) seen[RangedRandom(1, 6) - 1] = true;
    for (bool s : seen) EXPECT_TRUE(s);
}

TEST(TranslateValue, LinearMapInSinglePrecision) {
    struct Case {
        SInt32 sourceLow, sourceHigh, value, targetLow, targetHigh, expected;
    };
    const Case cases[] = {
        {0, 100, 50, 0, 10, 5},      {0, 100, 150, 0, 10, 15},   {0, 3, 1, 0, 10, 3},
        {0, 3, -1, 0, 10, -3},       {10, 20, 15, 100, 200, 150}, {0, 10, 5, 10, 0, 5},
        {0, 0, 5, 7, 9, 7},  // empty source range: the target's low end
        {0, 1, 1, 0, INT32_MAX, INT32_MAX},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TranslateValue(c.sourceLow, c.sourceHigh, c.value, c.targetLow, c.targetHigh), c.expected)
            << c.sourceLow << ".." << c.sourceHigh << " " << c.value;
    }
}

}  // namespace
}  // namespace keelward
