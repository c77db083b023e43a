// Allocators and Memory Manager handle utilities.
#pragma once
#include <keelward/Base.h>
