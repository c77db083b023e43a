#include <keelward/buffers/BlockOperations.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <vector>

namespace keelward {
namespace {

using Bytes = std::vector<UInt8>;

// A 32-byte aligned arena of recognisable bytes; blocks are cut from it at every
// misalignment, and everything outside the block must survive the operation.
struct alignas(32) Arena {
    static constexpr std::size_t kSize = 256;
    UInt8 bytes[kSize];
    Arena() { std::iota(std::begin(bytes), std::end(bytes), UInt8{1}); }
    Bytes Copy() const { return Bytes(std::begin(bytes), std::end(bytes)); }
};

TEST(BlockOperationsTest, SetAndClearTouchExactlyTheBlock) {
    for (std::size_t offset = 0; offset < 40; ++offset) {
        for (UInt32 count : {0u, 1u, 3u, 28u, 29u, 30u, 31u, 32u, 33u, 63u, 64u, 65u, 100u, 150u}) {
            Arena arena;
            Bytes expected = arena.Copy();
            std::fill_n(expected.begin() + static_cast<long>(offset), count, 0xA7);
            BlockSet(arena.bytes + offset, count, 0xA7);
            ASSERT_EQ(arena.Copy(), expected) << "BlockSet offset " << offset << " count " << count;

            Arena cleared;
            expected = cleared.Copy();
            std::fill_n(expected.begin() + static_cast<long>(offset), count, 0);
            BlockClear(cleared.bytes + offset, count);
            ASSERT_EQ(cleared.Copy(), expected) << "BlockClear offset " << offset << " count " << count;
        }
    }
    // Only the low byte of the value is used.
    UInt8 block[4] = {};
    BlockSet(block, 4, 0x1FF);
    EXPECT_EQ(Bytes(block, block + 4), Bytes(4, 0xFF));
}

TEST(BlockOperationsTest, SwapAtDifferentMisalignments) {
    for (std::size_t firstOffset : {0u, 1u, 3u, 31u}) {
        for (std::size_t secondOffset : {0u, 3u, 17u, 32u}) {
            for (UInt32 count : {0u, 1u, 29u, 32u, 61u, 100u}) {
                Arena a, b;
                std::reverse(std::begin(b.bytes), std::end(b.bytes));
                Bytes expectedA = a.Copy(), expectedB = b.Copy();
                std::swap_ranges(expectedA.begin() + static_cast<long>(firstOffset),
                                 expectedA.begin() + static_cast<long>(firstOffset + count),
                                 expectedB.begin() + static_cast<long>(secondOffset));
                BlockSwap(a.bytes + firstOffset, b.bytes + secondOffset, count);
                ASSERT_EQ(a.Copy(), expectedA) << firstOffset << "/" << secondOffset << "/" << count;
                ASSERT_EQ(b.Copy(), expectedB) << firstOffset << "/" << secondOffset << "/" << count;
            }
        }
    }
}

TEST(BlockOperationsTest, PatternFills) {
    const UInt8 pattern[] = {1, 2, 3};
    UInt8 block[8];
    std::fill(std::begin(block), std::end(block), 0xEE);
    BlockFill(pattern, 3, block, 7);
    EXPECT_EQ(Bytes(block, block + 8), (Bytes{1, 2, 3, 1, 2, 3, 1, 0xEE}));

    std::fill(std::begin(block), std::end(block), 0xEE);
    MemFill(3, pattern, 7, block);
    EXPECT_EQ(Bytes(block, block + 8), (Bytes{1, 2, 3, 1, 2, 3, 1, 0xEE}));

    std::fill(std::begin(block), std::end(block), 0xEE);
    BlockFill(pattern, 3, block, 2);  // a pattern longer than the block
    EXPECT_EQ(Bytes(block, block + 3), (Bytes{1, 2, 0xEE}));

    std::fill(std::begin(block), std::end(block), 0xEE);
    MemTrash(6, block + 1);
    EXPECT_EQ(Bytes(block, block + 8), (Bytes{0xEE, 0x68, 0xF1, 0x68, 0xF1, 0x68, 0xF1, 0xEE}));
}

TEST(BlockOperationsTest, ReversingBytesAndElements) {
    for (UInt32 count = 0; count <= 9; ++count) {
        Arena arena;
        Bytes expected = arena.Copy();
        std::reverse(expected.begin() + 3, expected.begin() + 3 + count);
        BlockReverse(arena.bytes + 3, count);
        EXPECT_EQ(arena.Copy(), expected) << count;
    }

    struct Case {
        UInt32 elementSize;
        UInt32 count;
        Bytes expected;
    };
    const Case cases[] = {
        {2, 4, {7, 8, 5, 6, 3, 4, 1, 2, 9}},  // four 2-byte elements
        {3, 3, {7, 8, 9, 4, 5, 6, 1, 2, 3}},  // odd count: the middle stays
        {2, 1, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {2, 0, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
    };
    for (const Case& c : cases) {
        Bytes array{1, 2, 3, 4, 5, 6, 7, 8, 9};
        BlockReverseIndexed(array.data(), c.elementSize, c.count);
        EXPECT_EQ(array, c.expected) << c.elementSize << "x" << c.count;
    }

    Bytes array{1, 2, 3, 4, 5, 6};
    BlockSwapIndexed(array.data(), 2, 1, 1);
    EXPECT_EQ(array, (Bytes{1, 2, 3, 4, 5, 6}));
    BlockSwapIndexed(array.data(), 2, 0, 2);
    EXPECT_EQ(array, (Bytes{5, 6, 3, 4, 1, 2}));
}

TEST(BlockOperationsTest, CompareFindsADifferenceAnywhereInsideTheBlock) {
    for (std::size_t offset : {0u, 1u, 3u}) {
        for (UInt32 count = 0; count <= 70; ++count) {
            Arena a, b;
            ASSERT_EQ(BlockCompare(count, a.bytes + offset, b.bytes + offset), kTrue) << count;
            // A difference just past the block does not count.
            b.bytes[offset + count] ^= 0xFF;
            ASSERT_EQ(BlockCompare(count, a.bytes + offset, b.bytes + offset), kTrue) << count;
            b.bytes[offset + count] ^= 0xFF;
            for (UInt32 position = 0; position < count; ++position) {
                b.bytes[offset + position] ^= 0x10;
                ASSERT_EQ(BlockCompare(count, a.bytes + offset, b.bytes + offset), kFalse) << count << "@" << position;
                b.bytes[offset + position] ^= 0x10;
            }
        }
    }
}

TEST(BlockOperationsTest, MemEqual) {
    EXPECT_EQ(MemEqual("abc", 3, "abc", 3), kTrue);
    EXPECT_EQ(MemEqual("abc", 3, "abd", 3), kFalse);
    EXPECT_EQ(MemEqual("abc", 3, "abcd", 4), kFalse);
    EXPECT_EQ(MemEqual("abc", 2, "abd", 2), kTrue);
    EXPECT_EQ(MemEqual(nullptr, 0, nullptr, 0), kTrue);
    EXPECT_EQ(MemEqual("abc", 3, nullptr, 0), kFalse);  // sizes differ: no bytes are read
}

// Compares 32-bit keys and counts the calls.
struct Search {
    int calls = 0;
    static SInt32 Compare(void* inContext, const void* inKey, UInt32 inKeySize, const void* inElement,
                          UInt32 inElementSize) {
        auto* self = static_cast<Search*>(inContext);
        ++self->calls;
        EXPECT_EQ(inKeySize, 4u);
        EXPECT_EQ(inElementSize, 4u);
        UInt32 key, element;
        std::memcpy(&key, inKey, 4);
        std::memcpy(&element, inElement, 4);
        return key < element ? -1 : key > element ? 1 : 0;
    }
    const void* Find(const std::vector<UInt32>& inArray, UInt32 inKey) {
        calls = 0;
        return BinarySearch(inArray.data(), static_cast<UInt32>(inArray.size()), 4, &inKey, 4, Compare, this);
    }
};

TEST(BlockOperationsTest, BinarySearch) {
    const std::vector<UInt32> values{10, 20, 30};
    Search search;
    EXPECT_EQ(search.Find(values, 5), nullptr);
    EXPECT_EQ(search.calls, 1);
    EXPECT_EQ(search.Find(values, 10), &values[0]);
    EXPECT_EQ(search.calls, 1);
    EXPECT_EQ(search.Find(values, 30), &values[2]);
    EXPECT_EQ(search.Find(values, 25), nullptr);
    EXPECT_EQ(search.Find(values, 35), nullptr);
    EXPECT_EQ(search.Find({10}, 20), nullptr);
    EXPECT_EQ(search.calls, 1);

    // Every element of a larger array is found, every gap missed, within the bound.
    std::vector<UInt32> many(1000);
    for (UInt32 i = 0; i < many.size(); ++i) many[i] = 2 * i + 2;
    for (UInt32 key = 0; key <= 2 * many.size() + 3; ++key) {
        const void* found = search.Find(many, key);
        if (key % 2 == 0 && key >= 2 && key <= 2 * many.size()) {
            ASSERT_EQ(found, &many[key / 2 - 1]) << key;
        } else {
            ASSERT_EQ(found, nullptr) << key;
        }
        ASSERT_LE(search.calls, 12) << key;
    }

    // Among equal elements, one of them.
    const std::vector<UInt32> repeated{1, 4, 4, 4, 4, 9};
    const auto* found = static_cast<const UInt32*>(search.Find(repeated, 4));
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(*found, 4u);

    search.calls = 0;
    const UInt32 key = 10;
    EXPECT_EQ(BinarySearch(nullptr, 3, 4, &key, 4, Search::Compare, &search), nullptr);
    EXPECT_EQ(BinarySearch(values.data(), 0, 4, &key, 4, Search::Compare, &search), nullptr);
    EXPECT_EQ(BinarySearch(values.data(), 3, 0, &key, 4, Search::Compare, &search), nullptr);
    EXPECT_EQ(search.calls, 0);
}

}  // namespace
}  // namespace keelward
