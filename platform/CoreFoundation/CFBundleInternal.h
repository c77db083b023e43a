// Inside of the main bundle stand-in, for the layer's tests and the library's tests.
// Not part of the installed interface.
#pragma once

#include <keelward/platform/CoreFoundation/CFBundle.h>

namespace keelward {

// As CFBundleSetMainBundleInfoValue with a value of any type, which the dictionary
// retains. Lets tests store values that are not strings.
Boolean CFBundleSetMainBundleInfoObject(const char* key, CFTypeRef value);

}  // namespace keelward
