// Umbrella header of the Keelward utility library.
#pragma once

#include <keelward/Base.h>

#include <keelward/text/Text.h>
#include <keelward/strings/Strings.h>
#include <keelward/buffers/Buffers.h>
#include <keelward/memory/Memory.h>
#include <keelward/checksums/Checksums.h>
#include <keelward/cfstrings/CFStrings.h>
#include <keelward/probes/Probes.h>

// zlib comes with the library for its users.
#include <zlib.h>
