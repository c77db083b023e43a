#include <keelward/checksums/Adler32.h>
#include <keelward/checksums/CRC32.h>

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <random>
#include <thread>
#include <vector>

namespace keelward {
namespace {

std::vector<UInt8> RandomBytes(std::size_t count, unsigned seed) {
    std::mt19937 engine(seed);
    std::vector<UInt8> bytes(count);
    for (auto& b : bytes) b = static_cast<UInt8>(engine());
    return bytes;
}

// The definition: one table lookup per byte.
UInt32 ReferenceCRC(UInt32 crc, const UInt8* p, std::size_t length) {
    UInt32 x = ~crc;
    for (std::size_t i = 0; i < length; ++i) x = kCRC32Table[(x ^ p[i]) & 0xFF] ^ (x >> 8);
    return ~x;
}

TEST(CRC32, CheckValueTableAndEmptyInput) {
    EXPECT_EQ(CRC32(0, "123456789", 9), 0xCBF43926U);
    EXPECT_EQ(kCRC32Table[0], 0U);
    EXPECT_EQ(kCRC32Table[1], 0x77073096U);
    EXPECT_EQ(kCRC32Table[255], 0x2D02EF8DU);
    // Length 0 answers 0, not the running CRC, and never reads the data.
    EXPECT_EQ(CRC32(0x12345678, nullptr, 0), 0U);
}

TEST(CRC32, MatchesTheDefinitionAndZlibForEveryLengthAndAlignment) {
    // Covers the byte tail, the 16-byte slices and the carry-less folding with every
    // remainder, from every start offset, continuing a non-trivial running CRC.
    const std::vector<UInt8> data = RandomBytes(600, 1);
    for (std::size_t offset = 0; offset < 16; ++offset) {
        for (std::size_t length = 1; length + offset <= data.size(); length += (length < 300 ? 1 : 37)) {
            const UInt8* p = data.data() + offset;
            const UInt32 expected = ReferenceCRC(0xA5A5A5A5, p, length);
            ASSERT_EQ(CRC32(0xA5A5A5A5, p, static_cast<UInt32>(length)), expected) << offset << "+" << length;
        }
    }
    const std::vector<UInt8> big = RandomBytes(1 << 20, 2);
    EXPECT_EQ(CRC32(0, big.data(), static_cast<UInt32>(big.size())),
              crc32(0, big.data(), static_cast<uInt>(big.size())));
}

TEST(CRC32, ContinuesOverPieces) {
    const std::vector<UInt8> data = RandomBytes(5000, 3);
    const UInt32 whole = CRC32(0, data.data(), 5000);
    for (UInt32 split : {1U, 63U, 64U, 65U, 4999U}) {
        EXPECT_EQ(CRC32(CRC32(0, data.data(), split), data.data() + split, 5000 - split), whole) << split;
    }
}

TEST(CRC32Dynamic, SameValuesBeforeAndAfterTheTableIsBuilt) {
    // This is the first use of CRC32Dynamic in this program.
    const std::vector<UInt8> data = RandomBytes(1000, 4);
    const UInt32 before = CRC32(0, data.data(), 1000);
    const UInt32 table[3] = {kCRC32Table[1], kCRC32Table[128], kCRC32Table[255]};
    EXPECT_EQ(gCRC32TableInitialized.load(), 0);

    // Several threads make the first call together; all must see a usable table.
    std::vector<std::thread> threads;
    std::vector<UInt32> results(4);
    for (std::size_t t = 0; t < results.size(); ++t) {
        threads.emplace_back([&, t] { results[t] = CRC32Dynamic(0, data.data(), 1000); });
    }
    for (auto& thread : threads) thread.join();
    for (const UInt32 r : results) EXPECT_EQ(r, before);
    EXPECT_EQ(gCRC32TableInitialized.load(), 1);
    EXPECT_EQ(CRC32Dynamic(0, "123456789", 9), 0xCBF43926U);
    EXPECT_EQ(CRC32Dynamic(7, nullptr, 0), 0U);
    EXPECT_EQ(kCRC32Table[1], table[0]);
    EXPECT_EQ(kCRC32Table[128], table[1]);
    EXPECT_EQ(kCRC32Table[255], table[2]);
}

TEST(Adler32, EqualsZlibOverRandomDataAndPieces) {
    const std::vector<UInt8> data = RandomBytes(100000, 5);
    for (std::size_t length : {1UL, 15UL, 16UL, 17UL, 5551UL, 5552UL, 5553UL, 11104UL, 65536UL, 100000UL}) {
        const UInt32 expected = static_cast<UInt32>(adler32(1, data.data(), static_cast<uInt>(length)));
        EXPECT_EQ(Adler32(1, 0, data.data(), static_cast<UInt32>(length)), expected) << length;
    }
    // Pieces at odd boundaries continue the running value.
    UInt32 running = 1;
    std::size_t done = 0;
    for (std::size_t piece : {3UL, 5552UL, 17UL, 40000UL, 54428UL}) {
        running = Adler32(running, 0, data.data() + done, static_cast<UInt32>(piece));
        done += piece;
    }
    EXPECT_EQ(running, static_cast<UInt32>(adler32(1, data.data(), 100000)));
    // All bytes 0xFF push the sums to their largest values.
    const std::vector<UInt8> ones(70000, 0xFF);
    EXPECT_EQ(Adler32(1, 0, ones.data(), 70000), static_cast<UInt32>(adler32(1, ones.data(), 70000)));
}

TEST(Adler32, EveryBlockLimitGivesTheSameResult) {
    const std::vector<UInt8> data(20000, 0xFF);
    const UInt32 expected = static_cast<UInt32>(adler32(1, data.data(), 20000));
    // Limits above 5552 would overflow the sums; they are treated as 5552.
    for (UInt32 limit : {0U, 1U, 16U, 5552U, 5553U, 100000U, 0xFFFFFFFFU}) {
        EXPECT_EQ(Adler32(1, limit, data.data(), 20000), expected) << limit;
    }
    // A running value whose halves are not reduced (up to 0xFFFF) must not overflow
    // within the largest block either; compare with the sums taken in 64 bits.
    for (UInt32 length : {5552U, 20000U}) {
        UInt64 s1 = 0xFFFF;
        UInt64 s2 = 0xFFFF;
        for (UInt32 i = 0; i < length; ++i) {
            s1 += data[i];
            s2 += s1;
        }
        const UInt32 expectedSums = static_cast<UInt32>((s2 % 65521) << 16 | (s1 % 65521));
        EXPECT_EQ(Adler32(0xFFFFFFFF, 0, data.data(), length), expectedSums) << length;
    }
}

TEST(Adler32, EmptyInputReturnsTheRunningValue) {
    EXPECT_EQ(Adler32(1, 0, nullptr, 0), 1U);
    EXPECT_EQ(Adler32(0xFFFFFFFF, 0, nullptr, 0), 0xFFFFFFFFU);
    EXPECT_EQ(Adler32(1, 0, "Wikipedia", 9), 0x11E60398U);
}

TEST(CHRPNVRAMChecksum, EndAroundCarry) {
    struct Case {
        std::vector<UInt8> bytes;
        UInt8 expected;
    };
    const Case cases[] = {
        {{}, 0x00}, {{0xFF}, 0xFF}, {{0x80, 0x80}, 0x01}, {{0xFF, 0x01}, 0x01}, {{0xFF, 0xFF}, 0xFF}, {{0x01, 0x02}, 0x03},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CHRPNVRAMChecksum(c.bytes.data(), static_cast<UInt32>(c.bytes.size())), c.expected);
    }
    // Against the byte-by-byte definition on a longer block.
    const std::vector<UInt8> data = RandomBytes(4096, 6);
    UInt8 sum = 0;
    for (const UInt8 b : data) {
        UInt8 t = static_cast<UInt8>(sum + b);
        if (t < sum) ++t;
        sum = t;
    }
    EXPECT_EQ(CHRPNVRAMChecksum(data.data(), 4096), sum);
}

}  // namespace
}  // namespace keelward
