// Integer, address and version text.
#pragma once
#include <keelward/Base.h>
