// Feature, keyboard and event probes.
#pragma once
#include <keelward/Base.h>
