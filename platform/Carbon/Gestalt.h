// Carbon stand-in: the Gestalt service, a table of selectors (four-character codes)
// each answering a response.
//
// Responses are `long`, as in the classic declaration: 32 bits on the original
// system and pointer-wide here, so that a selector answering an address (the
// multiple-users record of 'mfdr') can carry one. Value selectors hold 32-bit
// values; readers take the low 32 bits.
//
// The default table answers only what this host can truthfully tell:
//   'pgsz'  the logical page size in bytes (sysconf), when it fits in 31 bits;
//   'vm  '  1 (bit 0: virtual memory is on; every Linux process runs in it);
//   'sysa'  the system architecture: 2 on a PowerPC host, 10 on an x86 or x86-64 host
//           (absent on other processors);
//   'ppcf'  on a PowerPC host only: bit 4 set when the processor has AltiVec (from the
//           kernel's hardware capabilities), every other bit clear.
// Nothing else: there is no System file, no Toolbox manager and no Macintosh model
// behind this host, so 'sysv', 'mach', 'qd  ', 'os  ', 'fs  ', 'cbon', 'mfdr' and all
// other selectors are undefined until a program installs them.
//
// The table is process-wide and guarded by a lock; every call may come from any thread.
#pragma once

#include <keelward/platform/Carbon/CarbonTypes.h>

namespace keelward {

inline constexpr OSErr gestaltUnknownErr = -5550;        // the selector's answer cannot be produced
inline constexpr OSErr gestaltUndefSelectorErr = -5551;  // no such selector
inline constexpr OSErr gestaltDupSelectorErr = -5552;    // the selector already exists

// Stores the selector's response and returns 0, or returns gestaltUndefSelectorErr
// and leaves *response unchanged. A null response address is refused with
// gestaltUnknownErr.
OSErr Gestalt(OSType selector, long* response);

// Adds a selector; gestaltDupSelectorErr if it already exists.
OSErr NewGestaltValue(OSType selector, long newValue);
// Changes an existing selector's response; gestaltUndefSelectorErr if it does not exist.
OSErr ReplaceGestaltValue(OSType selector, long replacementValue);
// Adds the selector or changes its response.
OSErr SetGestaltValue(OSType selector, long newValue);
// Removes a selector; gestaltUndefSelectorErr if it does not exist.
OSErr DeleteGestaltValue(OSType selector);

// Puts back the default table described above.
void ResetGestaltTable();
// How many Gestalt queries this process has made, successful or not; lets a test
// see whether an answer came from the table or from a cache.
UInt32 GestaltQueryCount();

}  // namespace keelward
