// CoreFoundation stand-in: the process's main bundle and its information dictionary.
//
// A Linux program has no bundle on disk. A program that wants one (to answer
// "CFBundleShortVersionString", for example) fills the information dictionary at
// start with CFBundleSetMainBundleInfoValue; a program that sets nothing has no main
// bundle and CFBundleGetMainBundle answers null.
#pragma once

#include <keelward/platform/CoreFoundation/CFBase.h>
#include <keelward/platform/CoreFoundation/CFString.h>

namespace keelward {

struct CFBundleObject;
using CFBundleRef = CFBundleObject*;

CFTypeID CFBundleGetTypeID();

// The process's main bundle, or null when the program has set no information value.
// The bundle belongs to the process: the caller neither retains nor releases it.
CFBundleRef CFBundleGetMainBundle();

// The information-dictionary value of `key`, or null when the bundle or the key is
// null or the key has no value. The value belongs to the bundle (do not release it).
CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key);

// Sets the string `value` for `key` (both UTF-8) in the main bundle's information
// dictionary, replacing an earlier value of the key. The first call creates the main
// bundle. Returns false, changing nothing, when an argument is null, not valid UTF-8,
// or memory runs out.
Boolean CFBundleSetMainBundleInfoValue(const char* key, const char* value);

// Forgets the main bundle and its values (for tests): CFBundleGetMainBundle answers
// null again. References obtained before become invalid.
void CFBundleResetMainBundle();

}  // namespace keelward
