// Byte-string comparison, Unicode and Latin-1 transcoding, articles, line endings.
#pragma once
#include <keelward/Base.h>
#include <keelward/strings/ByteStrings.h>
#include <keelward/strings/Latin1MacTables.h>
#include <keelward/strings/LineEndings.h>
#include <keelward/strings/StringArticles.h>
#include <keelward/strings/Transcoding.h>
