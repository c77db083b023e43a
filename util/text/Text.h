// Integer, address and version text.
#pragma once
#include <keelward/Base.h>
#include <keelward/text/AddressText.h>
#include <keelward/text/IntegerText.h>
#include <keelward/text/VersionText.h>
