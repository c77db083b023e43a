// Checksums, bit and numeric helpers, Base64.
#pragma once
#include <keelward/Base.h>
#include <keelward/checksums/Adler32.h>
#include <keelward/checksums/Base64.h>
#include <keelward/checksums/BitHelpers.h>
#include <keelward/checksums/CRC32.h>
