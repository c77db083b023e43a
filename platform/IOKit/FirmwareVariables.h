// How the firmware store keeps each variable: as text or as escaped data.
#pragma once

#include <keelward/platform/CoreFoundation/CoreFoundation.h>

#include <string_view>

namespace keelward {

enum class NvramValueForm { kString, kData };

// The store knows "security-mode" as text and "security-password" as data whatever
// object sets them, so that every program's writes land in the same form; other
// variables take the form of the object that sets them.
NvramValueForm NvramFormOfVariable(std::string_view name, CFTypeRef value);

}  // namespace keelward
