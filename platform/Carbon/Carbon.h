// Carbon stand-in: every service it offers.
#pragma once

#include <keelward/platform/Carbon/CarbonTypes.h>
#include <keelward/platform/Carbon/Events.h>
#include <keelward/platform/Carbon/Gestalt.h>
#include <keelward/platform/Carbon/SystemServices.h>

namespace keelward {

// Stand-in: puts the Gestalt table, the system services and the event state back to
// their defaults (ResetGestaltTable, ResetSystemServices, ResetEventState).
void ResetCarbonState();

}  // namespace keelward
