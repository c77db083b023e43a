#include <keelward/platform/MemoryManager/MemoryManagerInternal.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>
#include <vector>

namespace keelward {

struct Zone {
    const char* name;
};

namespace {

// A master pointer with the block's bookkeeping behind it. `block` comes first, so
// the address of the record is the Handle.
struct MasterPointer {
    Ptr block = nullptr;
    Size size = 0;       // logical size, what the capacities count
    Size capacity = 0;   // bytes actually allocated for the block
    SignedByte state = 0;
    MemoryKind kind = MemoryKind::kApplicationHeap;
};
static_assert(offsetof(MasterPointer, block) == 0);

struct Pool {
    SInt64 capacity = kUnlimitedMemory;
    SInt64 inUse = 0;
};

struct State {
    std::mutex mutex;
    Pool pools[2];
    std::unordered_map<Handle, MasterPointer*> handles;    // live master pointers
    std::unordered_map<const void*, MasterPointer*> blocks; // block address -> its handle
    std::unordered_map<const void*, Size> pointers;         // nonrelocatable blocks
};

State& Global() {
    static State* state = new State;  // never destroyed: blocks may outlive static destructors
    return *state;
}

thread_local OSErr tMemError = noErr;

Zone gApplicationZone{"application"};
Zone gSystemZone{"system"};
std::atomic<THz> gCurrentZone{&gApplicationZone};

inline void SetMemError(OSErr err) { tMemError = err; }

Pool& PoolOf(State& s, MemoryKind kind) { return s.pools[kind == MemoryKind::kTemporaryMemory ? 1 : 0]; }

SInt32 FreeBytes(const Pool& pool) {
    if (pool.capacity < 0) return kUnlimitedMemoryAnswer;
    const SInt64 free = std::max<SInt64>(0, pool.capacity - pool.inUse);
    return static_cast<SInt32>(std::min<SInt64>(free, kUnlimitedMemoryAnswer));
}

bool Take(Pool& pool, SInt64 bytes) {
    if (pool.capacity >= 0 && pool.inUse + bytes > pool.capacity) return false;
    pool.inUse += bytes;
    return true;
}

// Finds a live handle; sets MemError and answers null otherwise. Caller holds the lock.
MasterPointer* Lookup(State& s, Handle h) {
    if (h == nullptr) {
        SetMemError(nilHandleErr);
        return nullptr;
    }
    const auto found = s.handles.find(h);
    if (found == s.handles.end()) {
        SetMemError(memWZErr);
        return nullptr;
    }
    return found->second;
}

Handle NewHandleOf(MemoryKind kind, Size byteCount, bool clear) {
    if (byteCount < 0) {
        SetMemError(memSCErr);
        return nullptr;
    }
    State& s = Global();
    std::lock_guard lock(s.mutex);
    Pool& pool = PoolOf(s, kind);
    if (!Take(pool, byteCount)) {
        SetMemError(memFullErr);
        return nullptr;
    }
    MasterPointer* mp = nullptr;
    void* block = nullptr;
    try {
        mp = new MasterPointer;
        block = clear ? std::calloc(std::max<Size>(byteCount, 1), 1) : std::malloc(std::max<Size>(byteCount, 1));
        if (block == nullptr) throw std::bad_alloc();
        mp->block = static_cast<Ptr>(block);
        mp->size = byteCount;
        mp->capacity = byteCount;
        mp->kind = kind;
        s.handles.emplace(&mp->block, mp);
        s.blocks.emplace(block, mp);
    } catch (const std::bad_alloc&) {
        if (mp != nullptr) {
            s.handles.erase(&mp->block);
            s.blocks.erase(block);
        }
        std::free(block);
        delete mp;
        pool.inUse -= byteCount;
        SetMemError(memFullErr);
        return nullptr;
    }
    SetMemError(noErr);
    return &mp->block;
}

// Replaces `targetLength` bytes at `start` with `length` bytes from `source` (which
// may lie inside the block itself), or with `length` uninitialised bytes when
// `source` is null. Caller holds the lock and has checked the range.
OSErr Replace(State& s, MasterPointer* mp, Size start, Size targetLength, const void* source, Size length) {
    const SInt64 newSize64 = SInt64(mp->size) - targetLength + length;
    if (newSize64 > kUnlimitedMemoryAnswer) return memFullErr;
    const Size newSize = static_cast<Size>(newSize64);
    const Size tail = mp->size - start - targetLength;
    Pool& pool = PoolOf(s, mp->kind);
    const SInt64 growth = SInt64(newSize) - mp->size;
    if (growth > 0 && !Take(pool, growth)) return memFullErr;

    if (newSize <= mp->capacity) {
        // In place: keep the replacement safe from the tail's move if it lies inside the block.
        std::vector<char> copy;
        const char* src = static_cast<const char*>(source);
        const auto address = reinterpret_cast<std::uintptr_t>(src);
        const auto blockStart = reinterpret_cast<std::uintptr_t>(mp->block);
        const bool inside = src != nullptr && address - blockStart < std::uintptr_t(mp->capacity);
        if (inside && length > 0) {
            try {
                copy.assign(src, src + length);
            } catch (const std::bad_alloc&) {
                if (growth > 0) pool.inUse -= growth;
                return memFullErr;
            }
            src = copy.data();
        }
        if (tail > 0) std::memmove(mp->block + start + length, mp->block + start + targetLength, size_t(tail));
        if (src != nullptr && length > 0) std::memcpy(mp->block + start, src, size_t(length));
    } else {
        if (mp->state & kHandleLockedMask) {
            pool.inUse -= growth;
            return memFullErr;  // a locked block cannot move
        }
        Ptr fresh = static_cast<Ptr>(std::malloc(size_t(newSize)));
        if (fresh == nullptr) {
            pool.inUse -= growth;
            return memFullErr;
        }
        try {
            s.blocks.emplace(fresh, mp);
        } catch (const std::bad_alloc&) {
            std::free(fresh);
            pool.inUse -= growth;
            return memFullErr;
        }
        std::memcpy(fresh, mp->block, size_t(start));
        if (source != nullptr && length > 0) std::memcpy(fresh + start, source, size_t(length));
        if (tail > 0) std::memcpy(fresh + start + length, mp->block + start + targetLength, size_t(tail));
        s.blocks.erase(mp->block);
        std::free(mp->block);
        mp->block = fresh;
        mp->capacity = newSize;
    }
    if (growth < 0) pool.inUse += growth;
    mp->size = newSize;
    return noErr;
}

Ptr NewPtrOf(Size byteCount, bool clear) {
    if (byteCount < 0) {
        SetMemError(memSCErr);
        return nullptr;
    }
    State& s = Global();
    std::lock_guard lock(s.mutex);
    Pool& pool = PoolOf(s, MemoryKind::kApplicationHeap);
    if (!Take(pool, byteCount)) {
        SetMemError(memFullErr);
        return nullptr;
    }
    void* block = clear ? std::calloc(std::max<Size>(byteCount, 1), 1) : std::malloc(std::max<Size>(byteCount, 1));
    try {
        if (block == nullptr) throw std::bad_alloc();
        s.pointers.emplace(block, byteCount);
    } catch (const std::bad_alloc&) {
        std::free(block);
        pool.inUse -= byteCount;
        SetMemError(memFullErr);
        return nullptr;
    }
    SetMemError(noErr);
    return static_cast<Ptr>(block);
}

}  // namespace

OSErr MemError() { return tMemError; }

Handle NewHandle(Size byteCount) { return NewHandleOf(MemoryKind::kApplicationHeap, byteCount, false); }
Handle NewHandleClear(Size byteCount) { return NewHandleOf(MemoryKind::kApplicationHeap, byteCount, true); }

Handle TempNewHandle(Size logicalSize, OSErr* resultCode) {
    Handle h = NewHandleOf(MemoryKind::kTemporaryMemory, logicalSize, false);
    if (resultCode != nullptr) *resultCode = tMemError;
    return h;
}

Handle NewEmptyHandle() {
    State& s = Global();
    std::lock_guard lock(s.mutex);
    try {
        auto* mp = new MasterPointer;
        s.handles.emplace(&mp->block, mp);
        SetMemError(noErr);
        return &mp->block;
    } catch (const std::bad_alloc&) {
        SetMemError(memFullErr);
        return nullptr;
    }
}

void DisposeHandle(Handle h) {
    State& s = Global();
    std::lock_guard lock(s.mutex);
    MasterPointer* mp = Lookup(s, h);
    if (mp == nullptr) return;
    if (mp->block != nullptr) {
        PoolOf(s, mp->kind).inUse -= mp->size;
        s.blocks.erase(mp->block);
        std::free(mp->block);
    }
    s.handles.erase(h);
    delete mp;
    SetMemError(noErr);
}

Size GetHandleSize(Handle h) {
    State& s = Global();
    std::lock_guard lock(s.mutex);
    MasterPointer* mp = Lookup(s, h);
    if (mp == nullptr) return 0;
    if (mp->block == nullptr) {
        SetMemError(nilHandleErr);
        return 0;
    }
    SetMemError(noErr);
    return mp->size;
}

void SetHandleSize(Handle h, Size newSize) {
    State& s = Global();
    std::lock_guard lock(s.mutex);
    MasterPointer* mp = Lookup(s, h);
    if (mp == nullptr) return;
    if (mp->block == nullptr) {
        SetMemError(nilHandleErr);
        return;
    }
    if (newSize < 0) {
        SetMemError(memSCErr);
        return;
    }
    // Growing appends uninitialised bytes at the end; shrinking cuts them off.
    const OSErr err = newSize >= mp->size ? Replace(s, mp, mp->size, 0, nullptr, newSize - mp->size)
                                          : Replace(s, mp, newSize, mp->size - newSize, nullptr, 0);
    SetMemError(err);
}

OSErr HandToHand(Handle* theHandle) {
    if (theHandle == nullptr) {
        SetMemError(paramErr);
        return paramErr;
    }
    const Handle source = *theHandle;
    const Size size = GetHandleSize(source);
    if (const OSErr err = MemError(); err != noErr) return err;
    Handle copy = NewHandle(size);
    if (copy == nullptr) return MemError();
    {
        std::lock_guard lock(Global().mutex);
        std::memcpy(*copy, *source, size_t(size));
    }
    *theHandle = copy;
    SetMemError(noErr);
    return noErr;
}

OSErr PtrToHand(const void* srcPtr, Handle* dstHandle, Size byteCount) {
    if (dstHandle == nullptr || (srcPtr == nullptr && byteCount > 0)) {
        SetMemError(paramErr);
        return paramErr;
    }
    Handle h = NewHandle(byteCount);
    if (h == nullptr) return MemError();
    if (byteCount > 0) std::memcpy(*h, srcPtr, size_t(byteCount));
    *dstHandle = h;
    return noErr;
}

OSErr PtrAndHand(const void* ptr1, Handle hand2, Size size) {
    if (size < 0 || (ptr1 == nullptr && size > 0)) {
        SetMemError(paramErr);
        return paramErr;
    }
    State& s = Global();
    std::lock_guard lock(s.mutex);
    MasterPointer* mp = Lookup(s, hand2);
    if (mp == nullptr) return MemError();
    if (mp->block == nullptr) {
        SetMemError(nilHandleErr);
        return nilHandleErr;
    }
    const OSErr err = Replace(s, mp, mp->size, 0, ptr1, size);
    SetMemError(err);
    return err;
}

SInt32 Munger(Handle h, SInt32 offset, const void* ptr1, SInt32 len1, const void* ptr2, SInt32 len2) {
    State& s = Global();
    std::lock_guard lock(s.mutex);
    MasterPointer* mp = Lookup(s, h);
    if (mp == nullptr) return -1;
    if (mp->block == nullptr) {
        SetMemError(nilHandleErr);
        return -1;
    }
    const Size size = mp->size;
    if (offset < 0 || offset > size || (ptr2 != nullptr && len2 < 0) || (ptr1 != nullptr && len1 < 0)) {
        SetMemError(paramErr);
        return -1;
    }
    Size start = offset;
    Size targetLength = 0;
    if (ptr1 == nullptr) {
        targetLength = (len1 < 0 || len1 > size - offset) ? size - offset : len1;
    } else if (len1 > 0) {
        const char* begin = mp->block + offset;
        const char* end = mp->block + size;
        const char* pattern = static_cast<const char*>(ptr1);
        const char* found = std::search(begin, end, pattern, pattern + len1);
        if (found == end) {
            SetMemError(noErr);
            return -1;
        }
        start = static_cast<Size>(found - mp->block);
        targetLength = len1;
    }
    if (ptr2 == nullptr) {
        SetMemError(noErr);
        return start;
    }
    const OSErr err = Replace(s, mp, start, targetLength, ptr2, len2);
    SetMemError(err);
    return err == noErr ? start + len2 : -1;
}

namespace {

template <typename Change>
void ChangeState(Handle h, Change change) {
    State& s = Global();
    std::lock_guard lock(s.mutex);
    MasterPointer* mp = Lookup(s, h);
    if (mp == nullptr) return;
    SetMemError(change(mp->state));
}

}  // namespace

void HLock(Handle h) {
    ChangeState(h, [](SignedByte& st) { st = SignedByte(st | kHandleLockedMask); return noErr; });
}
void HUnlock(Handle h) {
    ChangeState(h, [](SignedByte& st) { st = SignedByte(st & ~kHandleLockedMask); return noErr; });
}
void HPurge(Handle h) {
    ChangeState(h, [](SignedByte& st) { st = SignedByte(st | kHandlePurgeableMask); return noErr; });
}
void HNoPurge(Handle h) {
    ChangeState(h, [](SignedByte& st) { st = SignedByte(st & ~kHandlePurgeableMask); return noErr; });
}
void HSetState(Handle h, SignedByte flags) {
    ChangeState(h, [flags](SignedByte& st) { st = flags; return noErr; });
}
SignedByte HGetState(Handle h) {
    SignedByte result = 0;
    ChangeState(h, [&result](SignedByte& st) { result = st; return noErr; });
    return result;
}

Handle RecoverHandle(Ptr p) {
    State& s = Global();
    std::lock_guard lock(s.mutex);
    const auto found = s.blocks.find(p);
    if (p == nullptr || found == s.blocks.end()) {
        SetMemError(memBCErr);
        return nullptr;
    }
    SetMemError(noErr);
    return &found->second->block;
}

Ptr NewPtr(Size byteCount) { return NewPtrOf(byteCount, false); }
Ptr NewPtrClear(Size byteCount) { return NewPtrOf(byteCount, true); }

void DisposePtr(Ptr p) {
    if (p == nullptr) {
        SetMemError(paramErr);
        return;
    }
    State& s = Global();
    std::lock_guard lock(s.mutex);
    const auto found = s.pointers.find(p);
    if (found == s.pointers.end()) {
        SetMemError(memWZErr);
        return;
    }
    PoolOf(s, MemoryKind::kApplicationHeap).inUse -= found->second;
    s.pointers.erase(found);
    std::free(p);
    SetMemError(noErr);
}

Size GetPtrSize(Ptr p) {
    State& s = Global();
    std::lock_guard lock(s.mutex);
    const auto found = s.pointers.find(p);
    if (found == s.pointers.end()) {
        SetMemError(p == nullptr ? paramErr : memWZErr);
        return 0;
    }
    SetMemError(noErr);
    return found->second;
}

namespace {

SInt32 FreeOf(MemoryKind kind) {
    State& s = Global();
    std::lock_guard lock(s.mutex);
    SetMemError(noErr);
    return FreeBytes(PoolOf(s, kind));
}

}  // namespace

Size TempMaxMem(Size* grow) {
    if (grow != nullptr) *grow = 0;
    return FreeOf(MemoryKind::kTemporaryMemory);
}
SInt32 TempFreeMem() { return FreeOf(MemoryKind::kTemporaryMemory); }
SInt32 MaxBlock() { return FreeOf(MemoryKind::kApplicationHeap); }
SInt32 FreeMem() { return FreeOf(MemoryKind::kApplicationHeap); }

void PurgeSpace(SInt32* totalFree, SInt32* contiguous) {
    const SInt32 free = FreeOf(MemoryKind::kApplicationHeap);
    if (totalFree != nullptr) *totalFree = free;
    if (contiguous != nullptr) *contiguous = free;
}

Size MaxMem(Size* grow) {
    if (grow != nullptr) *grow = 0;
    return FreeOf(MemoryKind::kApplicationHeap);
}

Size CompactMem(Size) { return FreeOf(MemoryKind::kApplicationHeap); }
void PurgeMem(Size) { SetMemError(noErr); }

void BlockMove(const void* srcPtr, void* destPtr, Size byteCount) { BlockMoveData(srcPtr, destPtr, byteCount); }

void BlockMoveData(const void* srcPtr, void* destPtr, Size byteCount) {
    if (byteCount > 0) std::memmove(destPtr, srcPtr, size_t(byteCount));
}

void BlockZero(void* destPtr, Size byteCount) {
    if (byteCount > 0) std::memset(destPtr, 0, size_t(byteCount));
}

THz GetZone() {
    SetMemError(noErr);
    return gCurrentZone.load(std::memory_order_relaxed);
}

void SetZone(THz hz) {
    if (hz == nullptr) {
        SetMemError(paramErr);
        return;
    }
    gCurrentZone.store(hz, std::memory_order_relaxed);
    SetMemError(noErr);
}

THz ApplicationZone() { return &gApplicationZone; }
THz SystemZone() { return &gSystemZone; }

void SetMemoryCapacity(MemoryKind kind, SInt64 capacity) {
    State& s = Global();
    std::lock_guard lock(s.mutex);
    PoolOf(s, kind).capacity = capacity < 0 ? kUnlimitedMemory : capacity;
}

SInt64 GetMemoryCapacity(MemoryKind kind) {
    State& s = Global();
    std::lock_guard lock(s.mutex);
    return PoolOf(s, kind).capacity;
}

SInt64 GetMemoryInUse(MemoryKind kind) {
    State& s = Global();
    std::lock_guard lock(s.mutex);
    return PoolOf(s, kind).inUse;
}

UInt64 LiveHandleCount() {
    State& s = Global();
    std::lock_guard lock(s.mutex);
    return s.handles.size();
}

Boolean IsTemporaryHandle(Handle h) {
    State& s = Global();
    std::lock_guard lock(s.mutex);
    const auto found = s.handles.find(h);
    return found != s.handles.end() && found->second->kind == MemoryKind::kTemporaryMemory ? kTrue : kFalse;
}

UInt64 LivePointerCount() {
    State& s = Global();
    std::lock_guard lock(s.mutex);
    return s.pointers.size();
}

}  // namespace keelward
