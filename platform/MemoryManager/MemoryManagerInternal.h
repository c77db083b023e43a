// Memory Manager stand-in: switches and counters for tests.
#pragma once

#include <keelward/platform/MemoryManager/MemoryManager.h>

namespace keelward {

// While set, GetSharedLibrary finds no library (cfragNoLibraryErr).
void SetCodeFragmentLookupFails(bool fails);
// How many times GetSharedLibrary has been called in this process.
UInt64 CodeFragmentLookupCount();

// Live handles (including empty ones) and live pointer blocks, for leak checks.
UInt64 LiveHandleCount();
UInt64 LivePointerCount();

// 1 if the handle is a live handle of temporary memory.
Boolean IsTemporaryHandle(Handle h);

}  // namespace keelward
