// In-place clean-up of mutable UTF-16 strings: trimming white space, spaces to
// underscores, and file names restricted to ISO 9660 8.3 names or to Windows names.
#pragma once

#include <keelward/Base.h>
#include <keelward/platform/CoreFoundation/CFString.h>

namespace keelward {

// Options of CFStringRestrictFilenameToISO9600.
inline constexpr UInt32 kISO9660NoExtension = 0x01;         // every dot belongs to the name
inline constexpr UInt32 kISO9660ReplaceInvalid = 0x02;      // invalid name characters become "_"
inline constexpr UInt32 kISO9660SpacesToUnderscores = 0x04; // spaces of the name become "_"
inline constexpr UInt32 kISO9660StartWithLetter = 0x08;     // the name starts at its first ASCII letter
inline constexpr UInt32 kISO9660Uppercase = 0x10;           // upper-case the result (else lower-case)

// Option of CFStringRestrictFilenameToWindows.
inline constexpr UInt32 kWindowsFilenameNoExtension = 0x01;  // every dot belongs to the name

// Remove white space and newlines at the start / at the end. kErrParam for a null
// string or before CFStringUtilitiesInitialize.
SInt32 CFStringTrimLeadingWhiteSpace(CFMutableStringRef inString);
SInt32 CFStringTrimTrailingWhiteSpace(CFMutableStringRef inString);

// Turns every U+0020 space into "_"; other white space stays. kErrParam for a null
// string (needs no set-up).
SInt32 CFStringSpacesToUnderscores(CFMutableStringRef inString);

// Rewrites inString as an ISO 9660 name of at most 8 characters of A-Z, a-z, 0-9 and
// "_", plus "." and an extension of at most 3 when the last dot is followed by a
// letter. kErrParam for a null string or before the set-up, then kErrFlags for an
// option bit above 0x10.
SInt32 CFStringRestrictFilenameToISO9600(CFMutableStringRef inString, UInt32 inOptions);

// Rewrites inString without the characters Windows forbids (/ \ : * ? " < > |), at
// most 250 code units with its extension (of at most 249), never splitting a
// surrogate pair. kErrParam for a null string or before the set-up, then kErrFlags
// for an option bit other than kWindowsFilenameNoExtension.
SInt32 CFStringRestrictFilenameToWindows(CFMutableStringRef inString, UInt32 inOptions);

}  // namespace keelward
