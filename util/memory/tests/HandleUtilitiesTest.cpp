#include "MemoryTestSupport.h"

#include <keelward/memory/Memory.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace keelward {
namespace {

constexpr SInt32 kKB = 1024;

using HandleUtilities = MemoryTest;

Handle HandleOf(const void* bytes, Size size) {
    Handle h = nullptr;
    EXPECT_EQ(PtrToHand(bytes, &h, size), noErr);
    return h;
}
Handle HandleOf(const std::string& bytes) { return HandleOf(bytes.data(), Size(bytes.size())); }

// --- Sizing and probing -------------------------------------------------------

TEST_F(HandleUtilities, GetMaximumHandleSizeKeepsTheReserveFree) {
    EXPECT_EQ(GetMaximumHandleSize(4000, 200, kFalse, kFalse), 4000);  // ample memory
    EXPECT_EQ(GetMaximumHandleSize(4000, 200, kTrue, kTrue), 4000);
    // wanted + reserve beyond 31 bits must not wrap into a small total.
    EXPECT_EQ(GetMaximumHandleSize(0x7FFFFFFF, 0x7FFFFFFF, kFalse, kFalse), 0);

    SetHeapFree(1000);
    EXPECT_EQ(GetMaximumHandleSize(4000, 200, kFalse, kFalse), 800);
    EXPECT_EQ(GetMaximumHandleSize(4000, 200, kTrue, kFalse), 800);
    EXPECT_EQ(GetMaximumHandleSize(700, 200, kFalse, kFalse), 700);
    EXPECT_EQ(GetMaximumHandleSize(4000, 1200, kFalse, kFalse), -200);  // not even the reserve
    EXPECT_EQ(GetMaximumHandleSize(4000, 200, kFalse, kTrue), 4000);    // temporary memory is measured instead
    SetTempFree(500);
    EXPECT_EQ(GetMaximumHandleSize(4000, 200, kFalse, kTrue), 300);
}

TEST_F(HandleUtilities, AvailabilityFollowsTheFlags) {
    SetHeapFree(100);
    SetTempFree(1000);
    EXPECT_EQ(IsMemoryAvailable(100), kTrue);
    EXPECT_EQ(IsMemoryAvailable(101), kFalse);
    EXPECT_EQ(CompactAndPurgeHeap(), 100);

    struct Case {
        Size size;
        Boolean noTemp, noHeap, tempFirst;
        Boolean expected;
    };
    const Case cases[] = {
        {500, kFalse, kFalse, kFalse, kTrue},   // heap too small, temporary memory answers
        {500, kTrue, kFalse, kFalse, kFalse},   // ... unless temporary memory is ruled out
        {500, kFalse, kTrue, kFalse, kTrue},    // "no heap" means nothing on the heap-first path
        {50, kTrue, kTrue, kFalse, kTrue},      // the heap holds it
        {500, kFalse, kFalse, kTrue, kTrue},    // temporary first
        {2000, kFalse, kTrue, kTrue, kFalse},   // temporary too small and the heap ruled out
        {50, kFalse, kFalse, kTrue, kTrue},     // temporary first, heap after
        {2000, kFalse, kFalse, kTrue, kFalse},
        {500, kTrue, kFalse, kTrue, kFalse},    // "no temporary" turns temporary-first off
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size << " noTemp " << int(c.noTemp) << " noHeap " << int(c.noHeap)
                                        << " tempFirst " << int(c.tempFirst));
        EXPECT_EQ(IsMemoryAvailableAfterTryingHard(c.size, c.noTemp, c.noHeap, c.tempFirst), c.expected);
    }
}

// --- Allocation ---------------------------------------------------------------

TEST_F(HandleUtilities, NewMaximumHandleTakesWhatLeavesTheReserve) {
    SetHeapFree(1000);
    Handle h = nullptr;
    Size size = 4000;
    ASSERT_EQ(NewMaximumHandle(&h, &size, 200, kFalse, kFalse), noErr);
    EXPECT_EQ(size, 800);
    EXPECT_EQ(GetHandleSize(h), 800);
    EXPECT_EQ(IsTemporaryHandle(h), kFalse);
    DisposeHandle(h);

    SetTempFree(500);
    size = 4000;
    ASSERT_EQ(NewMaximumHandle(&h, &size, 200, kFalse, kTrue), noErr);
    EXPECT_EQ(size, 300);
    EXPECT_EQ(IsTemporaryHandle(h), kTrue);
    DisposeHandle(h);

    // Nothing stored on failure.
    SetHeapFree(100);
    h = nullptr;
    size = 4000;
    EXPECT_NE(NewMaximumHandle(&h, &size, 200, kFalse, kFalse), noErr);
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(size, 4000);
}

TEST_F(HandleUtilities, NewMaximumQuantizedHandleRoundsDownToWholeQuanta) {
    SetHeapFree(1000);
    Handle h = nullptr;
    Size count = 100;
    ASSERT_EQ(NewMaximumQuantizedHandle(&h, 16, &count, 0, kFalse, kFalse), noErr);
    EXPECT_EQ(count, 62);
    ASSERT_EQ(GetHandleSize(h), 992);
    EXPECT_EQ(std::vector<char>(*h, *h + 992), std::vector<char>(992, 0));  // heap path zeroes
    DisposeHandle(h);

    SetTempFree(1000);
    count = 100;
    ASSERT_EQ(NewMaximumQuantizedHandle(&h, 16, &count, 0, kFalse, kTrue), noErr);
    EXPECT_EQ(count, 62);
    EXPECT_EQ(IsTemporaryHandle(h), kTrue);
    DisposeHandle(h);
}

TEST_F(HandleUtilities, NewMaximumQuantizedHandleRefusesCountsThatWouldWrap) {
    // 65,536 quanta of 65,536 bytes is 4 GiB: in 32 bits that wraps to 0 bytes.
    struct Case {
        Size quantum;
        Size count;
    };
    for (const Case c : {Case{65536, 65536}, Case{0x40000000, 2}, Case{0, 10}, Case{-16, 10}, Case{16, -1}}) {
        SCOPED_TRACE(testing::Message() << c.quantum << " x " << c.count);
        Handle h = nullptr;
        Size count = c.count;
        EXPECT_EQ(NewMaximumQuantizedHandle(&h, c.quantum, &count, 0, kFalse, kFalse), paramErr);
        EXPECT_EQ(h, nullptr);
        EXPECT_EQ(count, c.count);
    }
}

TEST_F(HandleUtilities, NewHandleMaxPrefersWhatKeepsTheReserve) {
    Size size = 0;
    SetTempFree(2000);
    SetHeapFree(2000);
    Handle h = NewHandleMax(1000, 500, &size);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(size, 1000);
    EXPECT_EQ(IsTemporaryHandle(h), kTrue);
    DisposeHandle(h);

    SetTempFree(1200);
    h = NewHandleMax(1000, 500, &size);
    EXPECT_EQ(size, 1000);
    EXPECT_EQ(IsTemporaryHandle(h), kFalse);
    DisposeHandle(h);

    // Neither keeps the reserve: all of the larger one.
    SetTempFree(300);
    SetHeapFree(500);
    h = NewHandleMax(1000, 0, &size);
    EXPECT_EQ(size, 500);
    EXPECT_EQ(GetHandleSize(h), 500);
    EXPECT_EQ(IsTemporaryHandle(h), kFalse);
    DisposeHandle(h);
    SetTempFree(700);
    h = NewHandleMax(1000, 0, nullptr);
    EXPECT_EQ(GetHandleSize(h), 700);
    EXPECT_EQ(IsTemporaryHandle(h), kTrue);
    DisposeHandle(h);
}

TEST_F(HandleUtilities, FallbacksBetweenTheKindsOfMemory) {
    SetTempFree(0);
    Handle h = nullptr;
    ASSERT_EQ(NewTempOrRegularHandle(100, kTrue, &h), noErr);
    EXPECT_EQ(IsTemporaryHandle(h), kFalse);
    DisposeHandle(h);
    ASSERT_EQ(MemAllocHandle(100, &h), noErr);
    EXPECT_EQ(IsTemporaryHandle(h), kFalse);
    DisposeHandle(h);
    h = NewAnyHandle(100);
    EXPECT_EQ(IsTemporaryHandle(h), kFalse);
    DisposeHandle(h);

    SetTempFree(1000);
    SetHeapFree(0);
    ASSERT_EQ(NewTempOrRegularHandle(100, kFalse, &h), noErr);
    EXPECT_EQ(IsTemporaryHandle(h), kTrue);
    DisposeHandle(h);

    // Both exhausted: the last attempt's null and status are stored and returned.
    SetTempFree(0);
    h = reinterpret_cast<Handle>(&h);
    EXPECT_EQ(NewTempOrRegularHandle(100, kTrue, &h), memFullErr);
    EXPECT_EQ(h, nullptr);
    Handle untouched = reinterpret_cast<Handle>(&h);
    h = untouched;
    EXPECT_EQ(MemAllocHandle(100, &h), memFullErr);
    EXPECT_EQ(h, untouched);
    EXPECT_EQ(NewAnyHandle(100), nullptr);
    EXPECT_EQ(NewHandleTemp(100, &h), memFullErr);
    EXPECT_EQ(MemAllocHandle(100, nullptr), paramErr);
}

TEST_F(HandleUtilities, NewHandleTempOrLessTakesTheFirstSizeThatFits) {
    SetTempFree(20 * kKB);
    Handle h = nullptr;
    Size size = 0;
    ASSERT_EQ(NewHandleTempOrLess(&h, &size, 3, 64 * kKB, 32 * kKB, 16 * kKB), noErr);
    EXPECT_EQ(size, 16 * kKB);
    EXPECT_EQ(GetHandleSize(h), 16 * kKB);
    EXPECT_EQ(IsTemporaryHandle(h), kTrue);
    DisposeHandle(h);

    h = nullptr;
    EXPECT_EQ(NewHandleTempOrLess(&h, &size, 2, 32 * kKB, 0), paramErr);
    EXPECT_EQ(NewHandleTempOrLess(&h, &size, 0), paramErr);
    EXPECT_EQ(NewHandleTempOrLess(&h, nullptr, 2, 64 * kKB, 32 * kKB), memFullErr);
    EXPECT_EQ(h, nullptr);
    ASSERT_EQ(NewHandleTempOrLess(&h, nullptr, 1, 20 * kKB), noErr);
    DisposeHandle(h);
}

TEST_F(HandleUtilities, TemporaryPointerBlocks) {
    Ptr p = NewPtrTemp(64);
    ASSERT_NE(p, nullptr);
    Handle h = RecoverHandle(p);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(IsTemporaryHandle(h), kTrue);
    EXPECT_EQ(HGetState(h) & kHandleLockedMask, kHandleLockedMask);
    DisposePtrTemp(p);
    EXPECT_EQ(RecoverHandle(p), nullptr);

    // Pointers that are no temporary block are ignored.
    Ptr other = NewPtr(8);
    DisposePtrTemp(other);
    DisposePtrTemp(nullptr);
    EXPECT_EQ(GetPtrSize(other), 8);
    DisposePtr(other);

    SetTempFree(10);
    EXPECT_EQ(NewPtrTemp(11), nullptr);
}

// --- Copying --------------------------------------------------------------------

TEST_F(HandleUtilities, HandToXHandResizesOnlyWhenTheSizesDiffer) {
    Handle source = HandleOf("0123456789");
    Handle destination = HandleOf("abcd");
    ASSERT_EQ(HandToXHand(source, destination), noErr);
    EXPECT_EQ(Contents(destination), "0123456789");

    Handle same = HandleOf("ABCDEFGHIJ");
    HLock(same);  // a resize of a locked block that had to move would fail
    const Ptr block = *same;
    ASSERT_EQ(HandToXHand(source, same), noErr);
    EXPECT_EQ(*same, block);
    EXPECT_EQ(Contents(same), "0123456789");

    EXPECT_EQ(HandToXHand(nullptr, same), paramErr);
    EXPECT_EQ(HandToXHand(source, nullptr), paramErr);

    // A destination that cannot grow keeps its contents.
    Handle tiny = HandleOf("xy");
    SetHeapFree(0);
    EXPECT_EQ(HandToXHand(source, tiny), memFullErr);
    EXPECT_EQ(Contents(tiny), "xy");
    for (Handle h : {source, destination, same, tiny}) DisposeHandle(h);
}

TEST_F(HandleUtilities, CopiesReplaceTheVariableAndLeaveTheOriginal) {
    Handle original = HandleOf("payload");
    Handle copy = original;
    ASSERT_EQ(HandToTempHand(&copy), noErr);
    EXPECT_NE(copy, original);
    EXPECT_EQ(IsTemporaryHandle(copy), kTrue);
    EXPECT_EQ(Contents(copy), "payload");
    DisposeHandle(copy);

    struct Case {
        Boolean preferTemp;
        SInt64 tempFree, heapFree;
        SInt32 status;
        bool temporary;
    };
    const Case cases[] = {
        {kTrue, 100, 100, noErr, true},
        {kTrue, 0, 100, noErr, false},
        {kFalse, 100, 100, noErr, false},
        {kFalse, 100, 0, noErr, true},
        {kFalse, 0, 0, memFullErr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "prefer temp " << int(c.preferTemp) << ", free " << c.tempFree << "/"
                                        << c.heapFree);
        SetTempFree(c.tempFree);
        SetHeapFree(c.heapFree);
        copy = original;
        EXPECT_EQ(HandToHandAndAllowTempMem(&copy, c.preferTemp), c.status);
        if (c.status == noErr) {
            EXPECT_NE(copy, original);
            EXPECT_EQ(Contents(copy), "payload");
            EXPECT_EQ(IsTemporaryHandle(copy) != 0, c.temporary);
            DisposeHandle(copy);
        } else {
            EXPECT_EQ(copy, original);
        }
    }
    EXPECT_EQ(Contents(original), "payload");
    Handle none = nullptr;
    EXPECT_EQ(HandToHandAndAllowTempMem(&none, kTrue), paramErr);
    EXPECT_EQ(HandToHandAndAllowTempMem(nullptr, kTrue), paramErr);
    EXPECT_EQ(HandToTempHand(&none), paramErr);
    DisposeHandle(original);
}

TEST_F(HandleUtilities, PointerCopiesIntoHandles) {
    Handle h = nullptr;
    ASSERT_EQ(PtrToTempHand("abc", &h, 3), noErr);
    EXPECT_EQ(Contents(h), "abc");
    EXPECT_EQ(IsTemporaryHandle(h), kTrue);
    DisposeHandle(h);

    SetTempFree(0);
    h = nullptr;
    EXPECT_EQ(PtrToTempHand("abc", &h, 3), memFullErr);
    EXPECT_EQ(h, nullptr);
    ASSERT_EQ(PtrToAnyHand("abc", &h, 3), noErr);
    EXPECT_EQ(Contents(h), "abc");
    EXPECT_EQ(IsTemporaryHandle(h), kFalse);
    DisposeHandle(h);
    SetHeapFree(0);
    h = nullptr;
    EXPECT_EQ(PtrToAnyHand("abc", &h, 3), memFullErr);
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(PtrToAnyHand("abc", nullptr, 3), paramErr);
}

// --- Editing ----------------------------------------------------------------------

TEST_F(HandleUtilities, AdjustHandleSizeZeroesWhatItAdds) {
    Handle h = HandleOf("ABCDEFGH");
    Size old = 0;
    ASSERT_EQ(AdjustHandleSize(h, 8, kTrue, &old), noErr);
    EXPECT_EQ(old, 8);
    EXPECT_EQ(Contents(h), std::string("ABCDEFGH") + std::string(8, '\0'));
    ASSERT_EQ(AdjustHandleSize(h, -8, kFalse, &old), noErr);
    EXPECT_EQ(old, 16);
    EXPECT_EQ(Contents(h), "ABCDEFGH");

    SetHeapFree(4);
    old = -1;
    EXPECT_EQ(AdjustHandleSize(h, 8, kTrue, &old), memFullErr);
    EXPECT_EQ(old, -1);
    EXPECT_EQ(AdjustHandleSize(h, -9, kFalse, &old), paramErr);
    EXPECT_EQ(AdjustHandleSize(h, 0x7FFFFFFF, kFalse, &old), paramErr);
    EXPECT_EQ(old, -1);
    EXPECT_EQ(AdjustHandleSize(nullptr, 1, kFalse, nullptr), nilHandleErr);
    DisposeHandle(h);
}

TEST_F(HandleUtilities, ItemsAreInsertedAndRemovedInPlace) {
    const UInt32 items[] = {1, 2, 3, 4};
    Handle h = HandleOf(items, sizeof items);
    auto values = [&h] {
        std::vector<UInt32> out(size_t(GetHandleSize(h)) / 4);
        std::memcpy(out.data(), *h, out.size() * 4);
        return out;
    };
    ASSERT_EQ(RemoveItemsFromHandle(h, 4, 1, 2), noErr);
    EXPECT_EQ(values(), (std::vector<UInt32>{1, 4}));
    const UInt32 more[] = {7, 8};
    ASSERT_EQ(AddItemsToHandle(h, 4, 1, 2, more), noErr);
    EXPECT_EQ(values(), (std::vector<UInt32>{1, 7, 8, 4}));
    ASSERT_EQ(AddItemsToHandle(h, 4, 100, 1, more), noErr);  // beyond the end: appended
    EXPECT_EQ(values(), (std::vector<UInt32>{1, 7, 8, 4, 7}));
    ASSERT_EQ(AddItemsToHandle(h, 4, 0x7FFFFFFF, 1, more + 1), noErr);  // offset too large to compute: appended
    EXPECT_EQ(values(), (std::vector<UInt32>{1, 7, 8, 4, 7, 8}));
    ASSERT_EQ(AddItemsToHandle(h, 4, 0, 0, nullptr), noErr);
    EXPECT_EQ(RemoveItemsFromHandle(h, 4, 7, 1), paramErr);  // starts beyond the end

    // Byte counts that do not fit in 32 bits are refused, never wrapped.
    const auto before = values();
    EXPECT_EQ(AddItemsToHandle(h, 0x10000, 0, 0x10000, more), paramErr);
    EXPECT_EQ(AddItemsToHandle(h, 0x40000001, 0, 4, more), paramErr);
    EXPECT_EQ(AddItemsToHandle(h, 4, 0, -1, more), paramErr);
    EXPECT_EQ(RemoveItemsFromHandle(h, 0x10000, 0, 0x10000), paramErr);
    EXPECT_EQ(RemoveItemsFromHandle(h, 0x10000, 0x10000, 1), paramErr);
    EXPECT_EQ(RemoveItemsFromHandle(h, 4, -1, 1), paramErr);
    EXPECT_EQ(values(), before);

    SetHeapFree(0);
    EXPECT_EQ(AddItemsToHandle(h, 4, 0, 1, more), memFullErr);
    EXPECT_EQ(values(), before);
    DisposeHandle(h);
}

TEST_F(HandleUtilities, AppendsCStringsAndLocksWithTheOldState) {
    Handle h = HandleOf("ab");
    ASSERT_EQ(PtrAndHandCString(h, "hello"), noErr);
    EXPECT_EQ(Contents(h), "abhello");
    EXPECT_EQ(PtrAndHandCString(h, nullptr), paramErr);

    HPurge(h);
    const SignedByte state = HGetStateAndLock(h);
    EXPECT_EQ(state, kHandlePurgeableMask);
    EXPECT_EQ(HGetState(h), SignedByte(kHandlePurgeableMask | kHandleLockedMask));
    HSetState(h, state);
    EXPECT_EQ(HGetState(h), kHandlePurgeableMask);
    DisposeHandle(h);
}

// --- Pages and zones ----------------------------------------------------------------

TEST(PageContiguity, ComparesNeighbouringPages) {
    constexpr std::uintptr_t kPage = 4096;
    struct Case {
        std::uintptr_t first, second;
        Boolean next, previous;
    };
    const Case cases[] = {
        {0x10010, 0x11000, kTrue, kTrue},    // first entry inside its page, second at the next page
        {0x10010, 0x12000, kFalse, kFalse},  // one page further on
        {0x10000, 0x10000, kFalse, kFalse},  // the same page
        {0x11000, 0x10000, kFalse, kFalse},  // backwards
        {0xFFFFF000, 0x100000000, kTrue, kTrue},  // across 4 GiB: addresses are pointer-sized
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.first << " " << c.second);
        const std::uintptr_t list[] = {c.first, c.second};
        EXPECT_EQ(IsNextPageContiguous(list, 0, kPage), c.next);
        EXPECT_EQ(IsPreviousPageContiguous(list, 1, kPage), c.previous);
    }
    const std::uintptr_t list[] = {0x10000};
    EXPECT_EQ(IsPreviousPageContiguous(list, 0, kPage), kFalse);
}

TEST(Zones, PageableSystemZoneIsNeverHandedOut) { EXPECT_EQ(GetPageableSystemZone(), nullptr); }

// The look-up caches live for the process, so the sequence runs in a child of its own.
TEST(ZonesDeathTest, LookUpIsRetriedUntilItSucceedsThenKept) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            auto check = [](bool ok, const char* what) {
                if (!ok) {
                    std::fprintf(stderr, "failed: %s\n", what);
                    std::exit(1);
                }
            };
            SetCodeFragmentLookupFails(true);
            UInt64 lookups = CodeFragmentLookupCount();
            for (int round = 0; round < 2; ++round) {
                check(GetZoneCompat() == nullptr, "GetZoneCompat null while the look-up fails");
                check(SystemZoneCompat() == nullptr, "SystemZoneCompat null while the look-up fails");
                SetZoneCompat(SystemZone());
                check(GetZone() == ApplicationZone(), "SetZoneCompat does nothing while the look-up fails");
                check(CodeFragmentLookupCount() == lookups + 3, "each call looks up again");
                lookups += 3;
            }
            SetCodeFragmentLookupFails(false);
            check(GetZoneCompat() == ApplicationZone(), "GetZoneCompat calls GetZone");
            check(SystemZoneCompat() == SystemZone(), "SystemZoneCompat calls SystemZone");
            SetZoneCompat(SystemZone());
            check(GetZone() == SystemZone(), "SetZoneCompat calls SetZone");
            lookups = CodeFragmentLookupCount();
            SetCodeFragmentLookupFails(true);  // found procedures are kept: no further look-up
            check(GetZoneCompat() == SystemZone(), "GetZoneCompat kept");
            SetZoneCompat(ApplicationZone());
            check(SystemZoneCompat() == SystemZone(), "SystemZoneCompat kept");
            check(GetZoneCompat() == ApplicationZone(), "SetZoneCompat kept");
            check(CodeFragmentLookupCount() == lookups, "no look-up once found");
            std::exit(0);
        },
        testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace keelward
