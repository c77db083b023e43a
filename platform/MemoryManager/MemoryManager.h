// Memory Manager stand-in: every public header of the layer.
#pragma once

#include <keelward/platform/MemoryManager/MacTypes.h>
#include <keelward/platform/MemoryManager/MacMemory.h>
#include <keelward/platform/MemoryManager/CodeFragments.h>
