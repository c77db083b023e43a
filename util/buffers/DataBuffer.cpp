#include <keelward/buffers/DataBuffer.h>
#include <keelward/buffers/DataBufferInternal.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace keelward {

namespace buffers_internal {

HeapFunctions& BufferHeap() {
    static HeapFunctions sHeap{std::malloc, std::calloc, std::realloc, std::free};
    return sHeap;
}

UInt32 CapacityForSize(UInt32 inSize) {
    if (inSize < 256) return 256;
    if (inSize < 4096) return 4096;
    // 64-bit arithmetic so that sizes near 4 GiB do not wrap to a small capacity.
    constexpr UInt64 kStep = 32768;
    const UInt64 capacity = (UInt64{inSize} + kStep - 1) / kStep * kStep;
    return capacity > UINT32_MAX ? 0 : static_cast<UInt32>(capacity);
}

}  // namespace buffers_internal

namespace {

using buffers_internal::BufferHeap;
using buffers_internal::CapacityForSize;

bool IsZeroFill(const void* inData) { return inData == kDataBufferZeroFill; }

// A source inside the buffer's own block moves with the block when it is reallocated.
const void* Rebase(const void* inSource, std::uintptr_t inOldBlock, UInt32 inOldCapacity, const UInt8* inNewBlock) {
    const auto source = reinterpret_cast<std::uintptr_t>(inSource);
    if (inSource == nullptr || IsZeroFill(inSource) || inOldBlock == 0) return inSource;
    if (source < inOldBlock || source - inOldBlock >= inOldCapacity) return inSource;
    return inNewBlock + (source - inOldBlock);
}

void Fill(UInt8* outDest, const void* inSource, std::size_t inLength) {
    if (inLength == 0 || inSource == nullptr) return;
    if (IsZeroFill(inSource)) {
        std::memset(outDest, 0, inLength);
    } else {
        std::memmove(outDest, inSource, inLength);
    }
}

// Reallocates the block to `inCapacity` unless it already has it; updates *ioSource
// when it pointed into the old block.
SInt32 Reallocate(DataBuffer* ioBuffer, UInt32 inCapacity, const void** ioSource) {
    if (inCapacity == 0) return kErrNoMemory;
    if (inCapacity == ioBuffer->capacity) return kNoErr;
    const auto oldBlock = reinterpret_cast<std::uintptr_t>(ioBuffer->data);
    auto* block = static_cast<UInt8*>(BufferHeap().reallocate(ioBuffer->data, inCapacity));
    if (block == nullptr) return kErrNoMemory;
    if (ioSource != nullptr) *ioSource = Rebase(*ioSource, oldBlock, ioBuffer->capacity, block);
    ioBuffer->data = block;
    ioBuffer->capacity = inCapacity;
    return kNoErr;
}

}  // namespace

SInt32 DataBufferCreate(const void* inData, UInt32 inSize, DataBuffer** outBuffer) {
    const auto& heap = BufferHeap();
    const UInt32 capacity = CapacityForSize(inSize);
    if (capacity == 0) return kErrNoMemory;
    auto* buffer = static_cast<DataBuffer*>(heap.allocateZeroed(1, sizeof(DataBuffer)));
    if (buffer == nullptr) return kErrNoMemory;
    void* block = IsZeroFill(inData) ? heap.allocateZeroed(1, capacity) : heap.allocate(capacity);
    if (block == nullptr) {
        heap.release(buffer);
        return kErrNoMemory;
    }
    buffer->data = static_cast<UInt8*>(block);
    buffer->capacity = capacity;
    buffer->size = inSize;
    // The block is already zero for the zero-fill source.
    if (!IsZeroFill(inData)) Fill(buffer->data, inData, inSize);
    *outBuffer = buffer;
    return kNoErr;
}

SInt32 DataBufferResize(DataBuffer* inBuffer, const void* inData, UInt32 inNewSize) {
    if (const SInt32 status = Reallocate(inBuffer, CapacityForSize(inNewSize), &inData); status != kNoErr) {
        return status;
    }
    Fill(inBuffer->data, inData, inNewSize);
    inBuffer->size = inNewSize;
    return kNoErr;
}

SInt32 DataBufferAdjustSize(DataBuffer* inBuffer, const void* inData, SInt32 inChange) {
    const SInt64 newSize = SInt64{inBuffer->size} + inChange;
    if (newSize < 0) return kErrRange;
    if (newSize > SInt64{UINT32_MAX}) return kErrNoMemory;
    const auto size = static_cast<UInt32>(newSize);
    if (const SInt32 status = Reallocate(inBuffer, CapacityForSize(size), &inData); status != kNoErr) {
        return status;
    }
    if (inChange > 0) Fill(inBuffer->data + inBuffer->size, inData, static_cast<UInt32>(inChange));
    inBuffer->size = size;
    return kNoErr;
}

SInt32 DataBufferAppendData(DataBuffer* inBuffer, const void* inData, UInt32 inLength) {
    const UInt64 newSize = UInt64{inBuffer->size} + inLength;
    if (newSize > UINT32_MAX) return kErrNoMemory;
    const auto size = static_cast<UInt32>(newSize);
    if (size > inBuffer->capacity) {
        if (const SInt32 status = Reallocate(inBuffer, CapacityForSize(size), &inData); status != kNoErr) {
            return status;
        }
    }
    Fill(inBuffer->data + inBuffer->size, inData, inLength);
    inBuffer->size = size;
    return kNoErr;
}

SInt32 DataBufferReplaceData(DataBuffer* inBuffer, UInt32 inOffset, UInt32 inOldLength, const void* inNewData,
                             UInt32 inNewLength) {
    const UInt64 oldSize = inBuffer->size;
    const UInt64 rangeEnd = UInt64{inOffset} + inOldLength;
    if (rangeEnd > oldSize) return kErrRange;
    const UInt64 newSize = oldSize - inOldLength + inNewLength;
    if (newSize > UINT32_MAX) return kErrNoMemory;
    const auto size = static_cast<UInt32>(newSize);

    if (inNewLength > inOldLength) {
        if (const SInt32 status = Reallocate(inBuffer, CapacityForSize(size), nullptr); status != kNoErr) {
            return status;
        }
    }
    std::memmove(inBuffer->data + inOffset + inNewLength, inBuffer->data + rangeEnd, oldSize - rangeEnd);
    SInt32 status = kNoErr;
    if (inNewLength < inOldLength) {
        // The tail has already moved, so the old contents cannot come back; a failed
        // shrink finishes the edit in the larger block and reports the failure.
        status = Reallocate(inBuffer, CapacityForSize(size), nullptr);
    }
    // Fill also turns a stray kDataBufferZeroFill into zeros instead of reading from it.
    Fill(inBuffer->data + inOffset, inNewData, inNewLength);
    inBuffer->size = size;
    return status;
}

SInt32 DataBufferRelease(DataBuffer* inBuffer) {
    const auto& heap = BufferHeap();
    if (inBuffer->data != nullptr) heap.release(inBuffer->data);
    heap.release(inBuffer);
    return kNoErr;
}

SInt32 DataBufferReleaseContainer(DataBuffer* inBuffer, UInt8** outData, UInt32* outSize) {
    if (outData != nullptr) *outData = inBuffer->data;
    if (outSize != nullptr) *outSize = inBuffer->size;
    BufferHeap().release(inBuffer);
    return kNoErr;
}

SInt32 TempBufferCreate(UInt32 inWantedSize, void* inBuffer, UInt32 inBufferSize, void** outToken, void** outBuffer,
                        UInt32* outSize) {
    constexpr UInt32 kMaxBlock = 16 * 1024 * 1024;
    constexpr UInt32 kGranule = 512;
    if (inWantedSize > inBufferSize) {
        UInt32 blockSize = kMaxBlock;
        if (inWantedSize <= kMaxBlock) {
            blockSize = std::max(kGranule, (inWantedSize + kGranule - 1) / kGranule * kGranule);
        }
        if (void* block = BufferHeap().allocate(blockSize); block != nullptr) {
            *outToken = block;
            *outBuffer = block;
            *outSize = blockSize;
            return kNoErr;
        }
        if (inBufferSize == 0) return kErrNoMemory;
    }
    *outToken = kTempBufferNoAllocation;
    *outBuffer = inBuffer;
    *outSize = inBufferSize;
    return kNoErr;
}

SInt32 TempBufferRelease(void* inToken) {
    if (inToken != nullptr && inToken != kTempBufferNoAllocation) BufferHeap().release(inToken);
    return kNoErr;
}

}  // namespace keelward
