// CoreFoundation stand-in: the system's number format, read from the C library's
// locale (LC_NUMERIC), standing in for the original system's number-format record.
#pragma once

#include <keelward/platform/CoreFoundation/CFString.h>

namespace keelward {

// The grouping (thousands) separator of the process's current LC_NUMERIC locale as a
// new string, decoded from that locale's character set (usually one character, such
// as "." or U+202F); null when the locale groups without a separator (the C and
// POSIX locales) or the separator cannot be decoded. The caller releases it.
CFStringRef CFNumberFormatCopySystemGroupingSeparator();

}  // namespace keelward
