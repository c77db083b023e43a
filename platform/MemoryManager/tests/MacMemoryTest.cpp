#include <keelward/platform/MemoryManager/MemoryManagerInternal.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

namespace keelward {
namespace {

// Restores unlimited capacities and checks that a test returned every block.
class MemoryManager : public ::testing::Test {
protected:
    void SetUp() override {
        handles_ = LiveHandleCount();
        pointers_ = LivePointerCount();
    }
    void TearDown() override {
        SetMemoryCapacity(MemoryKind::kApplicationHeap, kUnlimitedMemory);
        SetMemoryCapacity(MemoryKind::kTemporaryMemory, kUnlimitedMemory);
        EXPECT_EQ(LiveHandleCount(), handles_);
        EXPECT_EQ(LivePointerCount(), pointers_);
    }

private:
    UInt64 handles_ = 0;
    UInt64 pointers_ = 0;
};

std::string Contents(Handle h) { return std::string(*h, size_t(GetHandleSize(h))); }

Handle HandleOf(const std::string& bytes) {
    Handle h = nullptr;
    EXPECT_EQ(PtrToHand(bytes.data(), &h, Size(bytes.size())), noErr);
    return h;
}

TEST_F(MemoryManager, CapacityBoundsAllocationsAndAnswersTheQueries) {
    const SInt64 heapInUse = GetMemoryInUse(MemoryKind::kApplicationHeap);
    SetMemoryCapacity(MemoryKind::kApplicationHeap, heapInUse + 1000);
    EXPECT_EQ(MaxBlock(), 1000);
    EXPECT_EQ(MaxMem(nullptr), 1000);
    SInt32 total = 0, contiguous = 0;
    PurgeSpace(&total, &contiguous);
    EXPECT_EQ(total, 1000);
    EXPECT_EQ(contiguous, 1000);

    Handle h = NewHandle(600);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(MaxBlock(), 400);
    EXPECT_EQ(NewPtr(401), nullptr);
    EXPECT_EQ(MemError(), memFullErr);
    Ptr p = NewPtr(400);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(MaxBlock(), 0);
    SetHandleSize(h, 601);
    EXPECT_EQ(MemError(), memFullErr);
    EXPECT_EQ(GetHandleSize(h), 600);
    DisposePtr(p);
    DisposeHandle(h);
    EXPECT_EQ(MaxBlock(), 1000);

    // The kinds are counted apart.
    SetMemoryCapacity(MemoryKind::kTemporaryMemory, GetMemoryInUse(MemoryKind::kTemporaryMemory) + 20 * 1024);
    EXPECT_EQ(TempMaxMem(nullptr), 20 * 1024);
    OSErr err = 1;
    EXPECT_EQ(TempNewHandle(32 * 1024, &err), nullptr);
    EXPECT_EQ(err, memFullErr);
    Handle t = TempNewHandle(16 * 1024, &err);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(err, noErr);
    EXPECT_EQ(MaxBlock(), 1000);
    DisposeHandle(t);

    SetMemoryCapacity(MemoryKind::kApplicationHeap, kUnlimitedMemory);
    EXPECT_EQ(MaxBlock(), kUnlimitedMemoryAnswer);
}

TEST_F(MemoryManager, GrowingMovesAnUnlockedBlockAndRefusesALockedOne) {
    Handle h = HandleOf("abcd");
    SetHandleSize(h, 4096);
    ASSERT_EQ(MemError(), noErr);
    EXPECT_EQ(std::string(*h, 4), "abcd");
    HLock(h);
    EXPECT_EQ(HGetState(h) & kHandleLockedMask, kHandleLockedMask);
    const Ptr before = *h;
    SetHandleSize(h, 2);  // shrinking stays in place
    EXPECT_EQ(MemError(), noErr);
    EXPECT_EQ(*h, before);
    SetHandleSize(h, 4096);  // back within the block: in place too
    EXPECT_EQ(MemError(), noErr);
    SetHandleSize(h, 8192);
    EXPECT_EQ(MemError(), memFullErr);
    EXPECT_EQ(GetHandleSize(h), 4096);
    EXPECT_EQ(RecoverHandle(*h), h);
    HUnlock(h);
    EXPECT_EQ(HGetState(h), 0);
    SetHandleSize(h, -1);
    EXPECT_EQ(MemError(), memSCErr);
    DisposeHandle(h);
}

TEST_F(MemoryManager, RecoverHandleKnowsOnlyBlockStarts) {
    OSErr err = noErr;
    Handle t = TempNewHandle(16, &err);
    Handle h = NewHandle(0);
    Ptr p = NewPtr(16);
    ASSERT_TRUE(t && h && p);
    EXPECT_EQ(RecoverHandle(*t), t);
    EXPECT_EQ(RecoverHandle(*h), h);
    EXPECT_EQ(RecoverHandle(*t + 1), nullptr);
    EXPECT_EQ(MemError(), memBCErr);
    EXPECT_EQ(RecoverHandle(p), nullptr);
    EXPECT_EQ(RecoverHandle(nullptr), nullptr);
    DisposePtr(p);
    DisposeHandle(h);
    DisposeHandle(t);
}

TEST_F(MemoryManager, RefusesWhatIsNoLiveBlock) {
    char local[16];
    Handle fake = reinterpret_cast<Handle>(&local);
    DisposeHandle(fake);
    EXPECT_EQ(MemError(), memWZErr);
    EXPECT_EQ(GetHandleSize(fake), 0);
    EXPECT_EQ(MemError(), memWZErr);
    DisposeHandle(nullptr);
    EXPECT_EQ(MemError(), nilHandleErr);
    DisposePtr(local);
    EXPECT_EQ(MemError(), memWZErr);
    Handle h = NewHandle(4);
    DisposeHandle(h);
    DisposeHandle(h);  // a second dispose is caught
    EXPECT_EQ(MemError(), memWZErr);
    Handle empty = NewEmptyHandle();
    EXPECT_EQ(*empty, nullptr);
    EXPECT_EQ(GetHandleSize(empty), 0);
    EXPECT_EQ(MemError(), nilHandleErr);
    DisposeHandle(empty);
    EXPECT_EQ(MemError(), noErr);
}

TEST_F(MemoryManager, MungerSearchesReplacesInsertsAndDeletes) {
    struct Case {
        const char* name;
        SInt32 offset;
        const char* target;  // null: the range at offset
        SInt32 targetLength;
        const char* replacement;  // null: only find
        SInt32 replacementLength;
        SInt32 result;
        const char* after;
    };
    const Case cases[] = {
        {"replace found text", 0, "lo", 2, "LLL", 3, 6, "helLLL world"},
        {"search from offset", 5, "o", 1, "0", 1, 8, "hello w0rld"},
        {"find only", 0, "world", 5, nullptr, 0, 6, "hello world"},
        {"not found", 0, "xyz", 3, "!", 1, -1, "hello world"},
        {"insert with empty target", 5, nullptr, 0, ",", 1, 6, "hello, world"},
        {"delete a range", 5, nullptr, 6, "", 0, 5, "hello"},
        {"negative length runs to the end", 2, nullptr, -1, "y", 1, 3, "hey"},
        {"range past the end is cut", 9, nullptr, 50, "", 0, 9, "hello wor"},
        {"append at the end", 11, nullptr, 0, "!", 1, 12, "hello world!"},
        {"offset beyond the end", 12, nullptr, 0, "!", 1, -1, "hello world"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Handle h = HandleOf("hello world");
        EXPECT_EQ(Munger(h, c.offset, c.target, c.targetLength, c.replacement, c.replacementLength), c.result);
        EXPECT_EQ(Contents(h), c.after);
        DisposeHandle(h);
    }
    Handle h = HandleOf("abcdef");
    EXPECT_EQ(Munger(h, 0, nullptr, 2, *h + 2, 4), 4);  // the replacement may come from the block itself
    EXPECT_EQ(Contents(h), "cdefcdef");
    DisposeHandle(h);
}

TEST_F(MemoryManager, CopiesAndAppends) {
    Handle h = HandleOf("abc");
    Handle copy = h;
    ASSERT_EQ(HandToHand(&copy), noErr);
    EXPECT_NE(copy, h);
    EXPECT_EQ(Contents(copy), "abc");
    ASSERT_EQ(PtrAndHand("de", copy, 2), noErr);
    EXPECT_EQ(Contents(copy), "abcde");
    EXPECT_EQ(Contents(h), "abc");
    EXPECT_EQ(PtrAndHand("x", copy, -1), paramErr);
    DisposeHandle(copy);
    DisposeHandle(h);
    Ptr p = NewPtrClear(5);
    EXPECT_EQ(std::memcmp(p, "\0\0\0\0\0", 5), 0);
    EXPECT_EQ(GetPtrSize(p), 5);
    BlockMoveData("abcde", p, 5);
    BlockMoveData(p, p + 1, 4);
    EXPECT_EQ(std::memcmp(p, "aabcd", 5), 0);
    BlockZero(p + 1, 3);
    EXPECT_EQ(std::memcmp(p, "a\0\0\0d", 5), 0);
    DisposePtr(p);
}

TEST_F(MemoryManager, MemErrorBelongsToTheCallingThread) {
    EXPECT_EQ(NewHandle(-1), nullptr);
    ASSERT_EQ(MemError(), memSCErr);
    OSErr other = 1;
    std::thread([&other] {
        Handle h = NewHandle(1);
        other = MemError();
        DisposeHandle(h);
    }).join();
    EXPECT_EQ(other, noErr);
    EXPECT_EQ(MemError(), memSCErr);
}

TEST_F(MemoryManager, ZonesAndTheirLookUp) {
    EXPECT_EQ(GetZone(), ApplicationZone());
    SetZone(SystemZone());
    EXPECT_EQ(GetZone(), SystemZone());
    SetZone(nullptr);
    EXPECT_EQ(MemError(), paramErr);
    SetZone(ApplicationZone());

    static const unsigned char kLib[] = "\x0CInterfaceLib";
    static const unsigned char kOther[] = "\x08MathLib!";
    static const unsigned char kGetZone[] = "\x07GetZone";
    static const unsigned char kMissing[] = "\x07NoSuchX";
    CFragConnectionID connection = nullptr;
    Ptr main = reinterpret_cast<Ptr>(1);
    Str255 message = {};
    ASSERT_EQ(GetSharedLibrary(kLib, kAnyCFragArch, kFindCFrag, &connection, &main, message), noErr);
    EXPECT_EQ(main, nullptr);
    Ptr address = nullptr;
    CFragSymbolClass symbolClass = 99;
    ASSERT_EQ(FindSymbol(connection, kGetZone, &address, &symbolClass), noErr);
    EXPECT_EQ(reinterpret_cast<THz (*)()>(address)(), ApplicationZone());
    EXPECT_EQ(symbolClass, kTVectorCFragSymbol);
    EXPECT_EQ(FindSymbol(connection, kMissing, &address, nullptr), cfragNoSymbolErr);
    EXPECT_EQ(CloseConnection(&connection), noErr);
    EXPECT_EQ(connection, nullptr);

    EXPECT_EQ(GetSharedLibrary(kOther, kAnyCFragArch, kFindCFrag, &connection, nullptr, message), cfragNoLibraryErr);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(message + 1), message[0]), "MathLib!");
    SetCodeFragmentLookupFails(true);
    const UInt64 before = CodeFragmentLookupCount();
    EXPECT_EQ(GetSharedLibrary(kLib, kAnyCFragArch, kFindCFrag, &connection, nullptr, nullptr), cfragNoLibraryErr);
    EXPECT_EQ(CodeFragmentLookupCount(), before + 1);
    SetCodeFragmentLookupFails(false);
}

}  // namespace
}  // namespace keelward
