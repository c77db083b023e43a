#include <keelward/buffers/DataBuffer.h>
#include <keelward/buffers/DataBufferInternal.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

namespace keelward {
namespace {

using buffers_internal::BufferHeap;
using buffers_internal::CapacityForSize;
using buffers_internal::HeapFunctions;

// Replaces the buffers' heap for one test: counts the calls and fails those that
// `failWhen` picks (the argument is the requested size).
class FakeHeap {
public:
    FakeHeap() : mSaved(BufferHeap()) {
        sCalls = 0;
        sFailWhen = [](std::size_t) { return false; };
        BufferHeap() = HeapFunctions{
            [](std::size_t size) { return Count(size) ? nullptr : std::malloc(size); },
            [](std::size_t n, std::size_t size) { return Count(n * size) ? nullptr : std::calloc(n, size); },
            [](void* block, std::size_t size) { return Count(size) ? nullptr : std::realloc(block, size); },
            [](void* block) { std::free(block); },
        };
    }
    ~FakeHeap() { BufferHeap() = mSaved; }
    FakeHeap(const FakeHeap&) = delete;
    FakeHeap& operator=(const FakeHeap&) = delete;

    void FailWhen(std::function<bool(std::size_t)> inPredicate) { sFailWhen = std::move(inPredicate); }
    int Calls() const { return sCalls; }

private:
    static bool Count(std::size_t inSize) {
        ++sCalls;
        return sFailWhen(inSize);
    }
    static inline int sCalls = 0;
    static inline std::function<bool(std::size_t)> sFailWhen;
    HeapFunctions mSaved;
};

std::string Contents(const DataBuffer* inBuffer) {
    return std::string(reinterpret_cast<const char*>(inBuffer->data), inBuffer->size);
}

DataBuffer* Make(const std::string& inContents) {
    DataBuffer* buffer = nullptr;
    EXPECT_EQ(DataBufferCreate(inContents.data(), static_cast<UInt32>(inContents.size()), &buffer), kNoErr);
    return buffer;
}

// Expects the record to hold exactly what it held when the snapshot was taken.
struct Snapshot {
    explicit Snapshot(const DataBuffer* inBuffer)
        : data(inBuffer->data), size(inBuffer->size), capacity(inBuffer->capacity), contents(Contents(inBuffer)) {}
    void ExpectSame(const DataBuffer* inBuffer) const {
        EXPECT_EQ(inBuffer->data, data);
        EXPECT_EQ(inBuffer->size, size);
        EXPECT_EQ(inBuffer->capacity, capacity);
        EXPECT_EQ(Contents(inBuffer), contents);
    }
    const UInt8* data;
    UInt32 size;
    UInt32 capacity;
    std::string contents;
};

TEST(DataBufferTest, CapacityRule) {
    struct Case {
        UInt32 size;
        UInt32 capacity;
    };
    for (const Case& c : {Case{0, 256}, {255, 256}, {256, 4096}, {4095, 4096}, {4096, 32768}, {32768, 32768},
                          {32769, 65536}, {1'000'000, 1'015'808}}) {
        DataBuffer* buffer = nullptr;
        ASSERT_EQ(DataBufferCreate(kDataBufferZeroFill, c.size, &buffer), kNoErr);
        EXPECT_EQ(buffer->size, c.size);
        EXPECT_EQ(buffer->capacity, c.capacity) << "size " << c.size;
        DataBufferRelease(buffer);
    }
    // The top of the 32-bit range: the last size that still has a capacity.
    EXPECT_EQ(CapacityForSize(0xFFFF8000u), 0xFFFF8000u);
    EXPECT_EQ(CapacityForSize(0xFFFF8001u), 0u);
    EXPECT_EQ(CapacityForSize(0xFFFFFFFFu), 0u);
}

TEST(DataBufferTest, CreateWithEachSource) {
    DataBuffer* buffer = nullptr;
    ASSERT_EQ(DataBufferCreate(nullptr, 0, &buffer), kNoErr);
    EXPECT_EQ(buffer->size, 0u);
    EXPECT_EQ(buffer->capacity, 256u);
    DataBufferRelease(buffer);

    ASSERT_EQ(DataBufferCreate(kDataBufferZeroFill, 10, &buffer), kNoErr);
    EXPECT_EQ(Contents(buffer), std::string(10, '\0'));
    DataBufferRelease(buffer);

    buffer = Make("hello");
    EXPECT_EQ(Contents(buffer), "hello");
    DataBufferRelease(buffer);
}

// Each growing operation, with each meaning of the source argument. The spare bytes
// of the block are marked first, so that a null source is seen to write nothing.
TEST(DataBufferTest, GrowingOperationsFillFromTheSource) {
    using Grow = std::function<SInt32(DataBuffer*, const void*)>;
    struct Operation {
        const char* name;
        Grow grow;
    };
    const Operation operations[] = {
        {"Resize", [](DataBuffer* b, const void* d) { return DataBufferResize(b, d, 8); }},
        {"AdjustSize", [](DataBuffer* b, const void* d) { return DataBufferAdjustSize(b, d, 4); }},
        {"AppendData", [](DataBuffer* b, const void* d) { return DataBufferAppendData(b, d, 4); }},
    };
    for (const Operation& op : operations) {
        SCOPED_TRACE(op.name);
        const bool rewritesFromStart = std::string(op.name) == "Resize";
        struct Source {
            const void* data;
            std::string expected;
        };
        const std::string fresh = rewritesFromStart ? "WXYZwxyz" : "wxyz";
        const std::string zeroed = rewritesFromStart ? std::string(8, '\0') : "abcd" + std::string(4, '\0');
        for (const Source& source : {Source{fresh.data(), rewritesFromStart ? "WXYZwxyz" : "abcdwxyz"},
                                     Source{kDataBufferZeroFill, zeroed}, Source{nullptr, "abcd\xEE\xEE\xEE\xEE"}}) {
            DataBuffer* buffer = Make("abcd");
            std::memset(buffer->data + 4, 0xEE, buffer->capacity - 4);
            ASSERT_EQ(op.grow(buffer, source.data), kNoErr);
            EXPECT_EQ(Contents(buffer), source.expected);
            EXPECT_EQ(buffer->capacity, 256u);
            DataBufferRelease(buffer);
        }
    }
}

TEST(DataBufferTest, AppendGrowsOnlyWhenFullAndAdjustRestoresTheRule) {
    DataBuffer* buffer = nullptr;
    ASSERT_EQ(DataBufferCreate(kDataBufferZeroFill, 255, &buffer), kNoErr);
    ASSERT_EQ(DataBufferAppendData(buffer, "x", 1), kNoErr);
    EXPECT_EQ(buffer->size, 256u);
    EXPECT_EQ(buffer->capacity, 256u);
    ASSERT_EQ(DataBufferAdjustSize(buffer, nullptr, 0), kNoErr);
    EXPECT_EQ(buffer->capacity, 4096u);
    EXPECT_EQ(buffer->data[255], 'x');

    ASSERT_EQ(DataBufferAppendData(buffer, kDataBufferZeroFill, 5000), kNoErr);
    EXPECT_EQ(buffer->size, 5256u);
    EXPECT_EQ(buffer->capacity, 32768u);
    DataBufferRelease(buffer);
}

TEST(DataBufferTest, ShrinkingKeepsTheFrontAndFollowsTheRule) {
    std::string text(100, '\0');
    std::iota(text.begin(), text.end(), '\x01');
    DataBuffer* buffer = Make(text);
    ASSERT_EQ(DataBufferAdjustSize(buffer, nullptr, -10), kNoErr);
    EXPECT_EQ(Contents(buffer), text.substr(0, 90));
    DataBufferRelease(buffer);

    ASSERT_EQ(DataBufferCreate(kDataBufferZeroFill, 5000, &buffer), kNoErr);
    ASSERT_EQ(DataBufferResize(buffer, nullptr, 0), kNoErr);
    EXPECT_EQ(buffer->size, 0u);
    EXPECT_EQ(buffer->capacity, 256u);
    DataBufferRelease(buffer);
}

TEST(DataBufferTest, AppendingItsOwnContentsAcrossAReallocation) {
    const std::string text(200, 'q');
    DataBuffer* buffer = Make(text);
    ASSERT_EQ(DataBufferAppendData(buffer, buffer->data, buffer->size), kNoErr);
    EXPECT_EQ(buffer->capacity, 4096u);
    EXPECT_EQ(Contents(buffer), text + text);
    ASSERT_EQ(DataBufferAdjustSize(buffer, buffer->data + 100, 4000), kNoErr);
    EXPECT_EQ(buffer->capacity, 32768u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer->data) + 400, 300), std::string(300, 'q'));
    DataBufferRelease(buffer);
}

TEST(DataBufferTest, ReplaceData) {
    struct Case {
        UInt32 offset;
        UInt32 oldLength;
        const char* newData;
        UInt32 newLength;
        const char* expected;
    };
    const Case cases[] = {
        {1, 2, "XYZ", 3, "aXYZdef"},  // grows
        {1, 3, "X", 1, "aXef"},       // shrinks
        {2, 2, "XY", 2, "abXYef"},    // same length
        {0, 0, "XY", 2, "XYabcdef"},  // inserts at the front
        {6, 0, "XY", 2, "abcdefXY"},  // appends
        {1, 4, nullptr, 0, "af"},     // deletes
        {0, 6, nullptr, 0, ""},       // deletes everything
    };
    for (const Case& c : cases) {
        DataBuffer* buffer = Make("abcdef");
        ASSERT_EQ(DataBufferReplaceData(buffer, c.offset, c.oldLength, c.newData, c.newLength), kNoErr);
        EXPECT_EQ(Contents(buffer), c.expected) << c.offset << "," << c.oldLength;
        EXPECT_EQ(buffer->capacity, 256u);
        DataBufferRelease(buffer);
    }

    // Null new data resizes the range and leaves its bytes unset.
    DataBuffer* buffer = Make("abcdef");
    ASSERT_EQ(DataBufferReplaceData(buffer, 1, 1, nullptr, 3), kNoErr);
    EXPECT_EQ(buffer->size, 8u);
    EXPECT_EQ(Contents(buffer).substr(0, 1) + Contents(buffer).substr(4), "acdef");
    DataBufferRelease(buffer);

    // Growth across a capacity step moves the tail into the new block.
    buffer = Make(std::string(300, 't'));
    const std::string big(5000, 'B');
    ASSERT_EQ(DataBufferReplaceData(buffer, 100, 0, big.data(), 5000), kNoErr);
    EXPECT_EQ(buffer->capacity, 32768u);
    EXPECT_EQ(Contents(buffer), std::string(100, 't') + big + std::string(200, 't'));
    // ...and a shrink back below the step returns to the small block.
    ASSERT_EQ(DataBufferReplaceData(buffer, 100, 5000, nullptr, 0), kNoErr);
    EXPECT_EQ(buffer->capacity, 4096u);
    EXPECT_EQ(Contents(buffer), std::string(300, 't'));
    DataBufferRelease(buffer);
}

TEST(DataBufferTest, ReplaceDataRefusesARangePastTheEnd) {
    DataBuffer* buffer = Make("abcd");
    const Snapshot before(buffer);
    EXPECT_EQ(DataBufferReplaceData(buffer, 2, 3, "X", 1), kErrRange);
    EXPECT_EQ(DataBufferReplaceData(buffer, 5, 0, "X", 1), kErrRange);
    // Offset plus length wraps in 32 bits; it must not pass as a small range.
    EXPECT_EQ(DataBufferReplaceData(buffer, 2, 0xFFFFFFFFu, "X", 1), kErrRange);
    before.ExpectSame(buffer);
    DataBufferRelease(buffer);
}

TEST(DataBufferTest, ReleaseContainerHandsOverTheBlock) {
    DataBuffer* buffer = Make("abc");
    UInt8* data = nullptr;
    UInt32 size = 0;
    ASSERT_EQ(DataBufferReleaseContainer(buffer, &data, &size), kNoErr);
    ASSERT_EQ(size, 3u);
    EXPECT_EQ(std::memcmp(data, "abc", 3), 0);
    std::free(data);

    buffer = Make("abc");
    data = buffer->data;
    EXPECT_EQ(DataBufferReleaseContainer(buffer, nullptr, nullptr), kNoErr);
    std::free(data);
}

// Sizes whose capacity would pass 4 GiB are refused before any allocation. The
// records are built by hand: their blocks are never touched on these paths.
TEST(DataBufferTest, RefusesSizesPastFourGiB) {
    FakeHeap heap;
    DataBuffer* created = nullptr;
    EXPECT_EQ(DataBufferCreate(kDataBufferZeroFill, 0xFFFF8001u, &created), kErrNoMemory);
    EXPECT_EQ(DataBufferCreate(nullptr, 0xFFFFFFFFu, &created), kErrNoMemory);
    EXPECT_EQ(created, nullptr);

    UInt8 block[16] = {};
    DataBuffer buffer{block, 0xFFFF0000u, 0xFFFF0000u};
    EXPECT_EQ(DataBufferResize(&buffer, nullptr, 0xFFFFFFFFu), kErrNoMemory);
    EXPECT_EQ(DataBufferAppendData(&buffer, kDataBufferZeroFill, 0x8001u), kErrNoMemory);
    EXPECT_EQ(DataBufferAppendData(&buffer, kDataBufferZeroFill, 0x10000u), kErrNoMemory);  // size wraps to 0
    EXPECT_EQ(DataBufferAppendData(&buffer, kDataBufferZeroFill, 0xFFFFFFFFu), kErrNoMemory);
    EXPECT_EQ(DataBufferAdjustSize(&buffer, kDataBufferZeroFill, 0x7FFFFFFF), kErrNoMemory);
    EXPECT_EQ(DataBufferReplaceData(&buffer, 0, 0, nullptr, 0x10000u), kErrNoMemory);
    EXPECT_EQ(DataBufferReplaceData(&buffer, 0, 0, nullptr, 0x8001u), kErrNoMemory);
    EXPECT_EQ(heap.Calls(), 0);
    EXPECT_EQ(buffer.data, block);
    EXPECT_EQ(buffer.size, 0xFFFF0000u);
    EXPECT_EQ(buffer.capacity, 0xFFFF0000u);
}

TEST(DataBufferTest, RefusesANegativeChangeLargerThanTheSize) {
    DataBuffer* buffer = Make("abc");
    const Snapshot before(buffer);
    EXPECT_EQ(DataBufferAdjustSize(buffer, nullptr, -4), kErrRange);
    EXPECT_EQ(DataBufferAdjustSize(buffer, nullptr, INT32_MIN), kErrRange);
    before.ExpectSame(buffer);
    ASSERT_EQ(DataBufferAdjustSize(buffer, nullptr, -3), kNoErr);
    EXPECT_EQ(buffer->size, 0u);
    DataBufferRelease(buffer);
}

TEST(DataBufferTest, FailedAllocationsLeaveTheRecordUnchanged) {
    FakeHeap heap;
    DataBuffer* buffer = Make("abcdef");
    heap.FailWhen([](std::size_t) { return true; });
    const Snapshot before(buffer);
    EXPECT_EQ(DataBufferResize(buffer, "x", 300), kErrNoMemory);
    EXPECT_EQ(DataBufferAdjustSize(buffer, kDataBufferZeroFill, 300), kErrNoMemory);
    EXPECT_EQ(DataBufferAppendData(buffer, kDataBufferZeroFill, 300), kErrNoMemory);
    EXPECT_EQ(DataBufferReplaceData(buffer, 1, 1, nullptr, 300), kErrNoMemory);
    before.ExpectSame(buffer);
    // Operations that need no new block do not notice the failing heap.
    EXPECT_EQ(DataBufferAppendData(buffer, "gh", 2), kNoErr);
    EXPECT_EQ(Contents(buffer), "abcdefgh");

    DataBuffer* other = nullptr;
    EXPECT_EQ(DataBufferCreate(nullptr, 10, &other), kErrNoMemory);
    // The record itself allocates, the block does not: the record is freed again
    // (the leak checker of the sanitizer build watches this).
    heap.FailWhen([](std::size_t size) { return size == 256; });
    EXPECT_EQ(DataBufferCreate(nullptr, 10, &other), kErrNoMemory);
    EXPECT_EQ(other, nullptr);
    heap.FailWhen([](std::size_t) { return false; });
    DataBufferRelease(buffer);
}

// A failing final shrink cannot bring the moved tail back: the edit is completed
// in the old block, which keeps its capacity, and the failure is reported.
TEST(DataBufferTest, ReplaceDataWhoseShrinkFails) {
    FakeHeap heap;
    std::string text(5000, 'a');
    text.replace(4000, 1000, std::string(1000, 'z'));
    DataBuffer* buffer = Make(text);
    ASSERT_EQ(buffer->capacity, 32768u);
    heap.FailWhen([](std::size_t) { return true; });
    EXPECT_EQ(DataBufferReplaceData(buffer, 100, 3000, "NEW", 3), kErrNoMemory);
    EXPECT_EQ(buffer->size, 2003u);
    EXPECT_EQ(buffer->capacity, 32768u);
    EXPECT_EQ(Contents(buffer), std::string(100, 'a') + "NEW" + std::string(900, 'a') + std::string(1000, 'z'));
    heap.FailWhen([](std::size_t) { return false; });
    // The record stays usable and the next size change restores the rule.
    ASSERT_EQ(DataBufferAdjustSize(buffer, nullptr, 0), kNoErr);
    EXPECT_EQ(buffer->capacity, 4096u);
    DataBufferRelease(buffer);
}

TEST(DataBufferTest, TempBufferSizes) {
    struct Case {
        UInt32 wanted;
        UInt32 callerSize;
        bool usesCaller;
        UInt32 usable;
    };
    const Case cases[] = {
        {100, 256, true, 256},       {256, 256, true, 256},       {600, 0, false, 1024},
        {1, 0, false, 512},          {512, 0, false, 512},        {513, 100, false, 1024},
        {16'777'216, 0, false, 16'777'216}, {20'000'000, 0, false, 16'777'216},
    };
    static UInt8 callerBuffer[256];
    for (const Case& c : cases) {
        void* token = nullptr;
        void* usable = nullptr;
        UInt32 usableSize = 0;
        ASSERT_EQ(TempBufferCreate(c.wanted, callerBuffer, c.callerSize, &token, &usable, &usableSize), kNoErr);
        EXPECT_EQ(usableSize, c.usable) << c.wanted;
        if (c.usesCaller) {
            EXPECT_EQ(token, kTempBufferNoAllocation);
            EXPECT_EQ(usable, callerBuffer);
        } else {
            EXPECT_EQ(token, usable);
            std::memset(usable, 0, usableSize);  // the sanitizer build checks the block's extent
        }
        EXPECT_EQ(TempBufferRelease(token), kNoErr);
    }
}

TEST(DataBufferTest, TempBufferFallsBackWhenAllocationFails) {
    FakeHeap heap;
    heap.FailWhen([](std::size_t) { return true; });
    UInt8 callerBuffer[64];
    void* token = nullptr;
    void* usable = nullptr;
    UInt32 usableSize = 0;
    ASSERT_EQ(TempBufferCreate(1000, callerBuffer, sizeof callerBuffer, &token, &usable, &usableSize), kNoErr);
    EXPECT_EQ(token, kTempBufferNoAllocation);
    EXPECT_EQ(usable, callerBuffer);
    EXPECT_EQ(usableSize, 64u);

    token = usable = nullptr;
    usableSize = 7;
    EXPECT_EQ(TempBufferCreate(1000, nullptr, 0, &token, &usable, &usableSize), kErrNoMemory);
    EXPECT_EQ(token, nullptr);
    EXPECT_EQ(usable, nullptr);
    EXPECT_EQ(usableSize, 7u);

    const int calls = heap.Calls();
    EXPECT_EQ(TempBufferRelease(nullptr), kNoErr);
    EXPECT_EQ(TempBufferRelease(kTempBufferNoAllocation), kNoErr);
    EXPECT_EQ(heap.Calls(), calls);
}

}  // namespace
}  // namespace keelward
