// Shared fixture for the memory tests: capacities restored and no block left behind.
#pragma once

#include <keelward/platform/MemoryManager/MemoryManagerInternal.h>

#include <gtest/gtest.h>

#include <string>

namespace keelward {

class MemoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        handles_ = LiveHandleCount();
        pointers_ = LivePointerCount();
    }
    void TearDown() override {
        SetMemoryCapacity(MemoryKind::kApplicationHeap, kUnlimitedMemory);
        SetMemoryCapacity(MemoryKind::kTemporaryMemory, kUnlimitedMemory);
        EXPECT_EQ(LiveHandleCount(), handles_) << "handles leaked";
        EXPECT_EQ(LivePointerCount(), pointers_) << "pointer blocks leaked";
    }

    // Leaves exactly `bytes` free in one kind of memory.
    static void SetFree(MemoryKind kind, SInt64 bytes) { SetMemoryCapacity(kind, GetMemoryInUse(kind) + bytes); }
    static void SetHeapFree(SInt64 bytes) { SetFree(MemoryKind::kApplicationHeap, bytes); }
    static void SetTempFree(SInt64 bytes) { SetFree(MemoryKind::kTemporaryMemory, bytes); }

    static std::string Contents(Handle h) { return std::string(*h, size_t(GetHandleSize(h))); }

private:
    UInt64 handles_ = 0;
    UInt64 pointers_ = 0;
};

}  // namespace keelward
