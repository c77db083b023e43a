// keelwardctl's own writers of firmware variables, and the printing of the mode.
#pragma once

#include <keelward/Base.h>

namespace keelward {

// Sets the options node's `propertyName` to the text `value` (Mac OS Roman). 0
// without writing when there is no options node or a string cannot be made;
// otherwise the write's status.
SInt32 UpdateOpenFirmwareStringProperty(const char* propertyName, const char* value);

// Sets the options node's `propertyName` to `count` raw bytes. Same outcomes as the
// string writer.
SInt32 UpdateOpenFirmwareDataProperty(const char* propertyName, const void* bytes, SInt32 count);

// Writes the stored "security-mode" text to standard output, unchanged and without
// a line end; "bad" when it cannot be read (also when it is longer than 49 bytes).
void PrintSecurityMode();

}  // namespace keelward
