#include <keelward/memory/HandleUtilities.h>
#include <keelward/buffers/BlockOperations.h>
#include <keelward/probes/FeatureProbes.h>
#include <keelward/platform/MemoryManager/CodeFragments.h>

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstring>
#include <limits>

namespace keelward {

namespace {

constexpr SInt64 kMaxSize = std::numeric_limits<Size>::max();

// A temporary-memory handle; the status comes from the call's own output.
Handle TempHandle(Size inSize, SInt32* outErr) {
    OSErr err = noErr;
    Handle h = TempNewHandle(inSize, &err);
    *outErr = err;
    return h;
}

// A temporary handle, then a heap handle: the allocation of NewMaximumHandle and
// of the temporary path of NewMaximumQuantizedHandle.
Handle TempThenHeapHandle(Size inSize, SInt32* outErr) {
    Handle h = TempHandle(inSize, outErr);
    if (h == nullptr) {
        h = NewHandle(inSize);
        *outErr = MemError();
    }
    return h;
}

}  // namespace

Size GetMaximumHandleSize(Size inWantedSize, Size inReserve, Boolean inTryHard, Boolean inUseTempMem) {
    // In 64 bits: wanted + reserve near the top of the range must not wrap.
    const SInt64 total = SInt64(inWantedSize) + inReserve;
    SInt64 available = 0;
    if (inUseTempMem) {
        available = TempMaxMem(nullptr);
    } else {
        available = MaxBlock();
        if (available < total) {
            SInt32 totalPurgeable = 0;
            SInt32 contiguous = 0;
            PurgeSpace(&totalPurgeable, &contiguous);
            available = contiguous;
            if (available < total && inTryHard) {
                Size grow = 0;
                available = MaxMem(&grow);
            }
        }
    }
    if (available > total) available = total;
    return static_cast<Size>(std::clamp<SInt64>(available - inReserve, std::numeric_limits<Size>::min(), kMaxSize));
}

Boolean IsMemoryAvailable(Size inSize) { return MaxBlock() >= inSize ? kTrue : kFalse; }

Boolean IsMemoryAvailableAfterTryingHard(Size inSize, Boolean inNoTempMem, Boolean inNoAppHeap,
                                         Boolean inTempMemFirst) {
    Size grow = 0;
    if (inTempMemFirst && !inNoTempMem) {
        if (TempMaxMem(&grow) >= inSize) return kTrue;
        if (inNoAppHeap) return kFalse;
        return MaxMem(&grow) >= inSize ? kTrue : kFalse;
    }
    if (MaxMem(&grow) >= inSize) return kTrue;
    if (inNoTempMem) return kFalse;
    return TempMaxMem(&grow) >= inSize ? kTrue : kFalse;
}

Size CompactAndPurgeHeap() {
    Size grow = 0;
    return MaxMem(&grow);
}

SInt32 NewMaximumHandle(Handle* outHandle, Size* ioSize, Size inReserve, Boolean inTryHard, Boolean inUseTempMem) {
    if (outHandle == nullptr || ioSize == nullptr) return paramErr;
    const Size size = GetMaximumHandleSize(*ioSize, inReserve, inTryHard, inUseTempMem);
    SInt32 err = noErr;
    Handle h = nullptr;
    if (inUseTempMem) {
        h = TempThenHeapHandle(size, &err);
    } else {
        h = NewHandle(size);
        err = MemError();
    }
    if (err != noErr) return err;
    *outHandle = h;
    *ioSize = size;
    return noErr;
}

SInt32 NewMaximumQuantizedHandle(Handle* outHandle, Size inQuantum, Size* ioCount, Size inReserve,
                                 Boolean inTryHard, Boolean inUseTempMem) {
    if (outHandle == nullptr || ioCount == nullptr || inQuantum < 1 || *ioCount < 0) return paramErr;
    const SInt64 wanted = SInt64(inQuantum) * *ioCount;
    if (wanted > kMaxSize) return paramErr;  // would wrap into a far smaller handle
    const Size maximum = GetMaximumHandleSize(static_cast<Size>(wanted), inReserve, inTryHard, inUseTempMem);
    // Round down (towards minus infinity, so that "not even the reserve" stays negative).
    SInt64 size = maximum - SInt64(maximum) % inQuantum;
    if (size > maximum) size -= inQuantum;
    if (size < std::numeric_limits<Size>::min()) size = std::numeric_limits<Size>::min();
    SInt32 err = noErr;
    Handle h = nullptr;
    if (inUseTempMem) {
        h = TempThenHeapHandle(static_cast<Size>(size), &err);
    } else {
        h = NewHandleClear(static_cast<Size>(size));
        err = MemError();
    }
    if (err != noErr) return err;
    *outHandle = h;
    *ioCount = static_cast<Size>(size / inQuantum);
    return noErr;
}

Handle NewHandleMax(Size inWantedSize, Size inReserve, Size* outSize) {
    // The comparisons are unsigned, in 64 bits so that wanted + reserve cannot wrap.
    const UInt64 total = UInt64(UInt32(inWantedSize)) + UInt32(inReserve);
    Size grow = 0;
    const Size tempMaximum = TempMaxMem(&grow);
    const Size heapMaximum = MaxMem(&grow);
    Size size = inWantedSize;
    Handle h = nullptr;
    SInt32 err = noErr;
    if (UInt32(tempMaximum) >= total) {
        h = TempHandle(inWantedSize, &err);
    } else if (UInt32(heapMaximum) >= total) {
        h = NewHandle(inWantedSize);
    } else if (UInt32(tempMaximum) > UInt32(heapMaximum)) {
        size = tempMaximum;
        h = TempHandle(size, &err);
    } else {
        size = heapMaximum;
        h = NewHandle(size);
    }
    if (outSize != nullptr) *outSize = size;
    return h;
}

SInt32 NewTempOrRegularHandle(Size inSize, Boolean inPreferTempMem, Handle* outHandle) {
    if (outHandle == nullptr) return paramErr;
    SInt32 err = noErr;
    Handle h = nullptr;
    if (inPreferTempMem) {
        h = TempHandle(inSize, &err);
        if (err != noErr) {
            h = NewHandle(inSize);
            err = MemError();
        }
    } else {
        h = NewHandle(inSize);
        err = MemError();
        if (err != noErr) h = TempHandle(inSize, &err);
    }
    *outHandle = h;
    return err;
}

SInt32 MemAllocHandle(Size inSize, Handle* outHandle) {
    if (outHandle == nullptr) return paramErr;
    SInt32 err = noErr;
    Handle h = TempThenHeapHandle(inSize, &err);
    if (err != noErr) return err;
    if (h == nullptr) return memFullErr;
    *outHandle = h;
    return noErr;
}

Handle NewAnyHandle(Size inSize) {
    SInt32 err = noErr;
    Handle h = TempHandle(inSize, &err);
    return h != nullptr ? h : NewHandle(inSize);
}

SInt32 NewHandleTemp(Size inSize, Handle* outHandle) {
    if (outHandle == nullptr) return paramErr;
    SInt32 err = noErr;
    Handle h = TempHandle(inSize, &err);
    if (h == nullptr) return memFullErr;
    *outHandle = h;
    return noErr;
}

SInt32 NewHandleTempOrLess(Handle* outHandle, Size* outSize, UInt32 inCount, ...) {
    if (outHandle == nullptr || inCount == 0) return paramErr;
    va_list sizes;
    va_start(sizes, inCount);
    SInt32 err = memFullErr;
    for (UInt32 i = 0; i < inCount; ++i) {
        const Size size = va_arg(sizes, Size);
        if (size == 0) {
            err = paramErr;
            break;
        }
        Handle h = nullptr;
        err = NewHandleTemp(size, &h);
        if (err == noErr) {
            *outHandle = h;
            if (outSize != nullptr) *outSize = size;
            break;
        }
    }
    va_end(sizes);
    return err;
}

Ptr NewPtrTemp(Size inSize) {
    SInt32 err = noErr;
    Handle h = TempHandle(inSize, &err);
    if (h == nullptr) return nullptr;
    HLock(h);
    return *h;
}

void DisposePtrTemp(Ptr inPtr) {
    if (inPtr == nullptr) return;
    if (Handle h = RecoverHandle(inPtr); h != nullptr) DisposeHandle(h);
}

SInt32 HandToXHand(Handle inSource, Handle inDestination) {
    if (inSource == nullptr || inDestination == nullptr) return paramErr;
    const Size sourceSize = GetHandleSize(inSource);
    if (const OSErr err = MemError(); err != noErr) return err;
    const Size destinationSize = GetHandleSize(inDestination);
    if (const OSErr err = MemError(); err != noErr) return err;
    if (sourceSize != destinationSize) {
        SetHandleSize(inDestination, sourceSize);
        if (const OSErr err = MemError(); err != noErr) return err;
    }
    BlockMoveData(*inSource, *inDestination, sourceSize);
    return noErr;
}

SInt32 HandToTempHand(Handle* ioHandle) {
    if (ioHandle == nullptr || *ioHandle == nullptr) return paramErr;
    const Handle source = *ioHandle;
    const Size size = GetHandleSize(source);
    if (const OSErr err = MemError(); err != noErr) return err;
    SInt32 err = noErr;
    Handle copy = TempHandle(size, &err);
    if (err != noErr) return err;
    if (copy == nullptr) return memFullErr;
    BlockMoveData(*source, *copy, size);
    *ioHandle = copy;
    return noErr;
}

SInt32 HandToHandAndAllowTempMem(Handle* ioHandle, Boolean inPreferTempMem) {
    if (ioHandle == nullptr || *ioHandle == nullptr) return paramErr;
    SInt32 err = noErr;
    if (inPreferTempMem) {
        err = HandToTempHand(ioHandle);
        if (err != noErr) err = HandToHand(ioHandle);
    } else {
        err = HandToHand(ioHandle);
        if (err != noErr) err = HandToTempHand(ioHandle);
    }
    return err;
}

SInt32 PtrToTempHand(const void* inSource, Handle* outHandle, Size inSize) {
    if (outHandle == nullptr || (inSource == nullptr && inSize > 0)) return paramErr;
    SInt32 err = noErr;
    Handle h = TempHandle(inSize, &err);
    if (h == nullptr) return memFullErr;
    BlockMoveData(inSource, *h, inSize);
    *outHandle = h;
    return noErr;
}

SInt32 PtrToAnyHand(const void* inSource, Handle* outHandle, Size inSize) {
    if (outHandle == nullptr || (inSource == nullptr && inSize > 0)) return paramErr;
    Handle h = NewAnyHandle(inSize);
    if (h == nullptr) return memFullErr;
    BlockMoveData(inSource, *h, inSize);
    *outHandle = h;
    return noErr;
}

SInt32 AdjustHandleSize(Handle inHandle, Size inDelta, Boolean inZeroNewBytes, Size* outOldSize) {
    const Size oldSize = GetHandleSize(inHandle);
    if (const OSErr err = MemError(); err != noErr) return err;
    const SInt64 newSize = SInt64(oldSize) + inDelta;
    if (newSize < 0 || newSize > kMaxSize) return paramErr;
    SetHandleSize(inHandle, static_cast<Size>(newSize));
    if (const OSErr err = MemError(); err != noErr) return err;
    if (inZeroNewBytes && inDelta > 0) BlockClear(*inHandle + oldSize, static_cast<UInt32>(inDelta));
    if (outOldSize != nullptr) *outOldSize = oldSize;
    return noErr;
}

SInt32 AddItemsToHandle(Handle inHandle, Size inItemSize, SInt32 inIndex, SInt32 inCount, const void* inItems) {
    if (inItemSize < 0 || inIndex < 0 || inCount < 0) return paramErr;
    const SInt64 length = SInt64(inItemSize) * inCount;
    if (length > kMaxSize) return paramErr;
    if (inItems == nullptr && length > 0) return paramErr;
    const Size size = GetHandleSize(inHandle);
    if (const OSErr err = MemError(); err != noErr) return err;
    // An offset beyond the end (however large the product) appends.
    const SInt64 offset = std::min<SInt64>(SInt64(inItemSize) * inIndex, size);
    // Munger needs a non-null replacement to replace at all, even with nothing.
    static const char kNothing = 0;
    Munger(inHandle, static_cast<SInt32>(offset), nullptr, 0, length > 0 ? inItems : &kNothing,
           static_cast<SInt32>(length));
    return MemError();
}

SInt32 RemoveItemsFromHandle(Handle inHandle, Size inItemSize, SInt32 inIndex, SInt32 inCount) {
    if (inItemSize < 0 || inIndex < 0 || inCount < 0) return paramErr;
    const SInt64 offset = SInt64(inItemSize) * inIndex;
    const SInt64 length = SInt64(inItemSize) * inCount;
    if (offset > kMaxSize || length > kMaxSize) return paramErr;
    static const char kNothing = 0;
    Munger(inHandle, static_cast<SInt32>(offset), nullptr, static_cast<SInt32>(length), &kNothing, 0);
    return MemError();
}

SInt32 PtrAndHandCString(Handle inHandle, const char* inString) {
    if (inString == nullptr) return paramErr;
    const size_t length = std::strlen(inString);
    if (length > size_t(kMaxSize)) return paramErr;
    return PtrAndHand(inString, inHandle, static_cast<Size>(length));
}

SignedByte HGetStateAndLock(Handle inHandle) {
    const SignedByte state = HGetState(inHandle);
    HLock(inHandle);
    return state;
}

Boolean IsNextPageContiguous(const std::uintptr_t* inPageList, UInt32 inIndex, std::uintptr_t inPageSize) {
    if (inPageList == nullptr || inPageSize == 0) return kFalse;
    const std::uintptr_t page = inPageList[inIndex] & ~(inPageSize - 1);
    return page + inPageSize == inPageList[inIndex + 1] ? kTrue : kFalse;
}

Boolean IsPreviousPageContiguous(const std::uintptr_t* inPageList, UInt32 inIndex, std::uintptr_t inPageSize) {
    if (inPageList == nullptr || inPageSize == 0 || inIndex == 0) return kFalse;
    // Both entries rounded down: the first entry of a range may lie inside its page.
    const std::uintptr_t previous = inPageList[inIndex - 1] & ~(inPageSize - 1);
    const std::uintptr_t current = inPageList[inIndex] & ~(inPageSize - 1);
    return previous + inPageSize == current ? kTrue : kFalse;
}

THz GetPageableSystemZone() {
    // Where the system has one, it is still not handed out: callers take the
    // system zone's own allocators instead.
    (void)HasPageableSystemZone();
    return nullptr;
}

namespace {

// Finds an exported procedure of the already prepared InterfaceLib.
bool LookUpInterfaceLibSymbol(ConstStr255Param inName, Ptr* outAddress) {
    static const unsigned char kInterfaceLib[] = "\x0CInterfaceLib";
    CFragConnectionID connection = nullptr;
    Ptr mainAddress = nullptr;
    Str255 errorName = {};
    if (GetSharedLibrary(kInterfaceLib, kAnyCFragArch, kFindCFrag, &connection, &mainAddress, errorName) != noErr)
        return false;
    CFragSymbolClass symbolClass = 0;
    return FindSymbol(connection, inName, outAddress, &symbolClass) == noErr;
}

// A procedure found once per process. The flag and the address are set without a
// lock: two threads racing on the first call look the procedure up twice and store
// the same address (atomics keep that race well defined).
template <typename Procedure>
struct CachedProcedure {
    std::atomic<Boolean> initialized{kFalse};
    std::atomic<Procedure> procedure{nullptr};

    // The procedure, or null while the look-up fails; a failure is tried again next time.
    Procedure Get(ConstStr255Param inName) {
        if (!initialized.load(std::memory_order_acquire)) {
            Ptr address = nullptr;
            if (!LookUpInterfaceLibSymbol(inName, &address)) return nullptr;
            procedure.store(reinterpret_cast<Procedure>(address), std::memory_order_relaxed);
            initialized.store(kTrue, std::memory_order_release);
        }
        return procedure.load(std::memory_order_relaxed);
    }
};

const unsigned char kGetZoneName[] = "\x07GetZone";
const unsigned char kSetZoneName[] = "\x07SetZone";
const unsigned char kSystemZoneName[] = "\x0ASystemZone";

}  // namespace

THz GetZoneCompat() {
    static CachedProcedure<THz (*)()> sGetZone;
    const auto procedure = sGetZone.Get(kGetZoneName);
    return procedure != nullptr ? procedure() : nullptr;
}

void SetZoneCompat(THz inZone) {
    static CachedProcedure<void (*)(THz)> sSetZone;
    if (const auto procedure = sSetZone.Get(kSetZoneName); procedure != nullptr) procedure(inZone);
}

THz SystemZoneCompat() {
    static CachedProcedure<THz (*)()> sSystemZone;
    const auto procedure = sSystemZone.Get(kSystemZoneName);
    return procedure != nullptr ? procedure() : nullptr;
}

}  // namespace keelward
