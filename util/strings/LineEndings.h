// Line endings of 8-bit text: which convention a text uses, and conversion between
// CR, CR LF and LF. A CR directly followed by an LF is one CR LF ending; any other CR
// or LF is a lone one. Texts are a pointer and a byte count, or kAutoLength for a
// NUL-terminated text (measured with strlen); the converters work on the counted
// bytes only. A null text is taken as empty.
#pragma once

#include <keelward/Base.h>

namespace keelward {

using LineEndingType = SInt32;
inline constexpr LineEndingType kLineEndingCR = 1;
inline constexpr LineEndingType kLineEndingCRLF = 2;
inline constexpr LineEndingType kLineEndingLF = 3;
inline constexpr LineEndingType kLineEndingNone = -1;   // GetLineEndingType: no line ending
inline constexpr LineEndingType kLineEndingMixed = -2;  // GetLineEndingType: more than one kind

// The kind of line ending the text uses: kLineEndingCR, kLineEndingCRLF or
// kLineEndingLF, kLineEndingNone when it has none and kLineEndingMixed when it has
// more than one kind.
LineEndingType GetLineEndingType(const char* text, UInt32 length);

// The byte count of the text once its line endings are changed to `target`; the input
// length for a target other than CR, CR LF and LF. The result must fit in 32 bits.
UInt32 GetChangedLineEndingsSize(const char* text, UInt32 length, LineEndingType target);

// Writes the text with every line ending changed to `target` into `destination`, which
// must hold GetChangedLineEndingsSize bytes and must not overlap the text; stores the
// number of bytes written through `outWritten` when it is not null. Writes nothing
// (and reports 0) for a target other than CR, CR LF and LF.
void ChangeLineEndings(const char* text, UInt32 length, LineEndingType target, char* destination,
                       UInt32* outWritten);

// The converted text in a new buffer from malloc (freed by the caller), terminated by
// a NUL that the reported length excludes. For a target other than CR, CR LF and LF
// the buffer holds the text unchanged. kErrNoMemory when memory runs out (or the
// result would not fit in 32 bits), kErrParam when `outText` is null; nothing is
// stored on failure.
SInt32 ChangeLineEndingsCopy(const char* text, UInt32 length, LineEndingType target, char** outText,
                             UInt32* outLength);

// Changes the line endings of the text in place; the buffer must hold the larger of
// the old length and GetChangedLineEndingsSize bytes. Stores the new length through
// `outLength` when it is not null; take the text by that length, as a NUL after it is
// not moved. When the text shrinks, each byte freed past its new end holds the old
// last byte of the text. Nothing changes for a target other than CR, CR LF and LF.
void ChangeLineEndingsInPlace(char* text, UInt32 length, LineEndingType target, UInt32* outLength);

}  // namespace keelward
