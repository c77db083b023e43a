// Data buffers, the two binary packers and block operations.
#pragma once
#include <keelward/Base.h>

#include <keelward/buffers/BlockOperations.h>
#include <keelward/buffers/DataBuffer.h>
#include <keelward/buffers/Pack.h>
#include <keelward/buffers/PackData.h>
