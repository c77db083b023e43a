// Umbrella header of the CoreFoundation stand-in.
#pragma once

#include <keelward/platform/CoreFoundation/CFBase.h>
#include <keelward/platform/CoreFoundation/CFBundle.h>
#include <keelward/platform/CoreFoundation/CFData.h>
#include <keelward/platform/CoreFoundation/CFOwned.h>
#include <keelward/platform/CoreFoundation/CFString.h>
#include <keelward/platform/CoreFoundation/CFCharacterSet.h>
#include <keelward/platform/CoreFoundation/CFNumberFormat.h>
