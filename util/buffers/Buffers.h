// Data buffers, the two binary packers and block operations.
#pragma once
#include <keelward/Base.h>
