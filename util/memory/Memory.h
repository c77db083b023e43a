// Allocators and Memory Manager handle utilities.
#pragma once
#include <keelward/Base.h>
#include <keelward/memory/MemAllocators.h>
#include <keelward/memory/HandleUtilities.h>
