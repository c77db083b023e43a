// Feature, keyboard and event probes.
#pragma once
#include <keelward/Base.h>
#include <keelward/probes/FeatureProbes.h>
#include <keelward/probes/KeyboardProbes.h>
