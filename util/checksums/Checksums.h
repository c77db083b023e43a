// Checksums, bit and numeric helpers, Base64.
#pragma once
#include <keelward/Base.h>
