// Growable heap byte buffers and caller-preferring temporary buffers.
//
// Both use the standard heap (malloc, calloc, realloc, free). Every operation returns
// a status, 0 for success; a failed operation leaves the record as it was unless its
// comment says otherwise.
#pragma once

#include <keelward/Base.h>

#include <cstdint>

namespace keelward {

// A growable buffer. `size` bytes of `data` are in use; `capacity` is the size of the
// block. Sizes get their capacity by one rule: 0-255 bytes take 256, 256-4,095 take
// 4,096, larger sizes are rounded up to a multiple of 32,768; appends grow the block
// only when full, so after one the capacity may be below the rule's. A capacity that
// would not fit in 32 bits is refused with kErrNoMemory.
struct DataBuffer {
    UInt8* data;
    UInt32 size;
    UInt32 capacity;
};

// Source-data argument of the filling operations: a real address copies from it,
// null leaves the new bytes as the heap left them, and kDataBufferZeroFill (the
// all-ones address) zeroes them.
inline const void* const kDataBufferZeroFill = reinterpret_cast<const void*>(~std::uintptr_t{0});

// The allocation token of a temporary buffer that lives in the caller's own buffer.
inline void* const kTempBufferNoAllocation = reinterpret_cast<void*>(~std::uintptr_t{0});

// Creates a buffer holding `inSize` bytes of `inData` (see the source-data argument)
// and stores its address in *outBuffer. kErrNoMemory: nothing allocated or stored.
SInt32 DataBufferCreate(const void* inData, UInt32 inSize, DataBuffer** outBuffer);

// Sets the size to `inNewSize`, reallocating to its capacity. A real or zero-fill
// source rewrites the first `inNewSize` bytes; null keeps the old contents up to the
// smaller size. kErrNoMemory: record unchanged.
SInt32 DataBufferResize(DataBuffer* inBuffer, const void* inData, UInt32 inNewSize);

// Grows by a positive `inChange`, filling the new bytes from `inData` (which may point
// into the buffer's own contents), or drops
// -`inChange` bytes at the end; the capacity follows the new size. kErrRange when the
// drop exceeds the size, kErrNoMemory on overflow or allocation failure; record
// unchanged on either.
SInt32 DataBufferAdjustSize(DataBuffer* inBuffer, const void* inData, SInt32 inChange);

// Appends `inLength` bytes from `inData` (which may point into the buffer's own
// contents), growing the block only when they do not fit.
// kErrNoMemory on overflow or allocation failure, record unchanged.
SInt32 DataBufferAppendData(DataBuffer* inBuffer, const void* inData, UInt32 inLength);

// Replaces the `inOldLength` bytes at `inOffset` with `inNewLength` bytes of
// `inNewData` (null: the range is resized and its bytes left unset; kDataBufferZeroFill
// zeroes them), moving the rest. `inNewData` must not point into the buffer.
// kErrRange when the range passes the end and kErrNoMemory when growth fails, both
// with the record unchanged. When only the final shrink of the block fails, the edit
// is complete in the old, larger block (size updated, capacity unchanged) and
// kErrNoMemory is returned.
SInt32 DataBufferReplaceData(DataBuffer* inBuffer, UInt32 inOffset, UInt32 inOldLength, const void* inNewData,
                             UInt32 inNewLength);

// Frees the contents block and the record.
SInt32 DataBufferRelease(DataBuffer* inBuffer);

// Frees the record only; the contents block (to be freed with free) and the size go
// to the caller where the addresses are not null.
SInt32 DataBufferReleaseContainer(DataBuffer* inBuffer, UInt8** outData, UInt32* outSize);

// Provides scratch space for a job of `inWantedSize` bytes: the caller's buffer when
// it is large enough, else a heap block of at most 16 MiB (a multiple of 512), else,
// when that allocation fails, the caller's buffer again. The usable size may be
// smaller than wanted; the job then runs in pieces. kErrNoMemory (nothing stored) only
// when the allocation fails and the caller offered no buffer.
SInt32 TempBufferCreate(UInt32 inWantedSize, void* inBuffer, UInt32 inBufferSize, void** outToken, void** outBuffer,
                        UInt32* outSize);

// Frees the token's block unless it is null or kTempBufferNoAllocation.
SInt32 TempBufferRelease(void* inToken);

}  // namespace keelward
