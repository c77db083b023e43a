// Shared state of the string utilities, filled by CFStringUtilitiesInitialize and
// read by the other operations. Not part of the installed interface.
#pragma once

#include <keelward/Base.h>
#include <keelward/platform/CoreFoundation/CFCharacterSet.h>
#include <keelward/platform/CoreFoundation/CFString.h>

#include <string>
#include <string_view>

namespace keelward {

// Predefined sets of the platform; never released.
extern CFCharacterSetRef kCFWhiteSpaceCharSet;  // white space and newlines
extern CFCharacterSetRef kCFLetterCharSet;      // letters

// Sets owned by the set-up, released by the finish.
extern CFCharacterSetRef gCFRomanNumercalsCharSet;            // ivxlcdmIVXLCDM
extern CFCharacterSetRef gCFISO9660CharSet;                   // A-Z a-z 0-9 _
extern CFCharacterSetRef gCFISO9660LetterCharSet;             // A-Z a-z
extern CFCharacterSetRef gCFWindowsFilenameExclusionCharSet;  // / \ : * ? " < > |
extern CFMutableCharacterSetRef gCFWordCharSet;               // alphanumerics and '

// "a", "an", "the": constant strings, never released.
extern CFStringRef kCFArticles[3];

// The thousands separator: "," unless the system's number format names another;
// code unit 0 before the first set-up.
extern UniChar gThousandsSeparatorUniChar;

// The code units of a string, valid until the string next changes: read in place
// when the platform exposes them, copied otherwise. May throw std::bad_alloc.
class CFStringUnits {
public:
    explicit CFStringUnits(CFStringRef string);
    std::u16string_view View() const { return mView; }

private:
    std::u16string mCopy;
    std::u16string_view mView;
};

// Replaces the whole contents of a mutable string by `text`: 0, or kErrNoMemory with
// the string unchanged.
SInt32 CFStringReplaceContents(CFMutableStringRef string, std::u16string_view text);

}  // namespace keelward
