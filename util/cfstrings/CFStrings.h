// Unicode string utilities on the CoreFoundation layer.
#pragma once
#include <keelward/Base.h>
#include <keelward/cfstrings/CFStringUtilities.h>
#include <keelward/cfstrings/CFStringArticles.h>
#include <keelward/cfstrings/CFStringFilenames.h>
#include <keelward/cfstrings/CFStringNumbers.h>
