// TEMPORARY SEAM: block zeroing and the pageable-zone probe come from the buffers
// and probes areas. Until those land, local stand-ins with the same contracts are
// used; this file goes away once both headers exist.
#pragma once

#include <keelward/Base.h>

#if __has_include(<keelward/buffers/BlockOperations.h>)
#include <keelward/buffers/BlockOperations.h>
#else
#include <cstring>
namespace keelward {
inline void BlockClear(void* inDestination, UInt32 inByteCount) { std::memset(inDestination, 0, inByteCount); }
}  // namespace keelward
#endif

#if __has_include(<keelward/probes/FeatureProbes.h>)
#include <keelward/probes/FeatureProbes.h>
#else
namespace keelward {
inline Boolean HasPageableSystemZone() { return kFalse; }
}  // namespace keelward
#endif
