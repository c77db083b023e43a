// Compile-time checks of the base definitions every interface relies on.
#include <keelward/Base.h>

#include <type_traits>

namespace keelward {

static_assert(sizeof(UInt8) == 1 && sizeof(UInt16) == 2 && sizeof(UInt32) == 4 && sizeof(UInt64) == 8);
static_assert(std::is_signed_v<SInt32> && std::is_unsigned_v<UInt32>);
static_assert(sizeof(Boolean) == 1 && std::is_unsigned_v<Boolean>);
static_assert(std::is_same_v<UniChar, char16_t>);
static_assert(kAutoLength == 0xFFFFFFFFu);

}  // namespace keelward
