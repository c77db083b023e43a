#include <keelward/strings/LineEndings.h>
#include <keelward/strings/LaneCounterInternal.h>

#include <bit>
#include <cstdlib>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace keelward {
namespace {

constexpr UInt8 kCR = 0x0D;
constexpr UInt8 kLF = 0x0A;

inline bool IsKnownTarget(LineEndingType target) {
    return target == kLineEndingCR || target == kLineEndingCRLF || target == kLineEndingLF;
}

inline size_t MeasureText(const char* text, UInt32 length) {
    if (text == nullptr) return 0;
    return length == kAutoLength ? std::strlen(text) : length;
}

struct LineEndingCounts {
    size_t pairs = 0;  // CR LF
    size_t crs = 0;    // every CR, paired or not
    size_t lfs = 0;    // every LF, paired or not
    size_t loneCRs() const { return crs - pairs; }
    size_t loneLFs() const { return lfs - pairs; }
};

LineEndingCounts CountLineEndings(const UInt8* p, size_t n) {
    LineEndingCounts counts;
    size_t i = 0;
    unsigned previousCR = 0;  // whether the byte before p[i] is a CR
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8(static_cast<char>(kCR));
    const __m128i lf = _mm_set1_epi8(static_cast<char>(kLF));
    detail::LaneCounter crs;
    detail::LaneCounter lfs;
    detail::LaneCounter pairs;
    // Blocks start at byte 1 so that each has the byte before it; byte 0 is counted apart.
    if (n >= 17) {
        for (i = 1; i + 16 <= n; i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
            const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i - 1));
            const __m128i isCR = _mm_cmpeq_epi8(v, cr);
            const __m128i isLF = _mm_cmpeq_epi8(v, lf);
            if (_mm_movemask_epi8(_mm_or_si128(isCR, isLF)) == 0) continue;
            crs.Add(isCR);
            lfs.Add(isLF);
            pairs.Add(_mm_and_si128(isLF, _mm_cmpeq_epi8(before, cr)));
        }
        counts.crs = crs.Total() + (p[0] == kCR);
        counts.lfs = lfs.Total() + (p[0] == kLF);
        counts.pairs = pairs.Total();
        previousCR = p[i - 1] == kCR;
    }
#endif
    for (; i < n; ++i) {
        const unsigned isCR = p[i] == kCR;
        const unsigned isLF = p[i] == kLF;
        counts.crs += isCR;
        counts.lfs += isLF;
        counts.pairs += previousCR & isLF;
        previousCR = isCR;
    }
    return counts;
}

size_t ChangedSize(size_t n, const LineEndingCounts& counts, LineEndingType target) {
    switch (target) {
        case kLineEndingCR:
        case kLineEndingLF:
            return n - counts.pairs;
        case kLineEndingCRLF:
            return n + counts.loneCRs() + counts.loneLFs();
        default:
            return n;
    }
}

// Bytes that end an unchanged run: converting to LF only CRs need work (an LF stays an
// LF, and the CR of a CR LF is dropped); to CR or CR LF both kinds do.
template <LineEndingType kTarget>
inline bool IsSpecial(UInt8 b) {
    return b == kCR || (kTarget != kLineEndingLF && b == kLF);
}

#if defined(__SSE2__)
template <LineEndingType kTarget>
inline unsigned SpecialMask(__m128i v) {
    __m128i hits = _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(kCR)));
    if constexpr (kTarget != kLineEndingLF) {
        hits = _mm_or_si128(hits, _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(kLF))));
    }
    return static_cast<unsigned>(_mm_movemask_epi8(hits));
}
#endif

// One forward pass converting n bytes at `src` to `dst`; returns the bytes written.
// With kInPlace, dst == src and the target must not lengthen the text: every write
// then lands at or before the byte being read, and every read byte is still original.
template <LineEndingType kTarget, bool kInPlace>
size_t ConvertForward(const UInt8* src, size_t n, UInt8* dst) {
    static_assert(!(kInPlace && kTarget == kLineEndingCRLF), "CR LF lengthens the text");
    size_t r = 0;
    size_t w = 0;
    while (r < n) {
#if defined(__SSE2__)
        if (n - r >= 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + r));
            const unsigned special = SpecialMask<kTarget>(v);
            if (special == 0) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + w), v);
                r += 16;
                w += 16;
                continue;
            }
            const auto run = static_cast<size_t>(std::countr_zero(special));
            if constexpr (kTarget == kLineEndingCRLF) {
                // The output still to come is at least as long as the input left, so
                // the whole vector fits; the bytes past the run are rewritten later.
                _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + w), v);
            } else {
                std::memmove(dst + w, src + r, run);
            }
            r += run;
            w += run;
        } else
#endif
        {
            if (!IsSpecial<kTarget>(src[r])) {
                dst[w++] = src[r++];
                continue;
            }
        }
        // src[r] is a CR (or, unless the target is LF, an LF).
        const bool pair = src[r] == kCR && r + 1 < n && src[r + 1] == kLF;
        if constexpr (kTarget == kLineEndingLF) {
            // CR LF: drop the CR and let the LF pass as an ordinary byte.
            if (!pair) dst[w++] = kLF;
            r += 1;
        } else if constexpr (kTarget == kLineEndingCR) {
            dst[w++] = kCR;
            r += pair ? 2 : 1;
        } else {
            dst[w++] = kCR;
            dst[w++] = kLF;
            r += pair ? 2 : 1;
        }
    }
    return w;
}

size_t ConvertInto(const UInt8* src, size_t n, LineEndingType target, UInt8* dst) {
    switch (target) {
        case kLineEndingCR:
            return ConvertForward<kLineEndingCR, false>(src, n, dst);
        case kLineEndingCRLF:
            return ConvertForward<kLineEndingCRLF, false>(src, n, dst);
        case kLineEndingLF:
            return ConvertForward<kLineEndingLF, false>(src, n, dst);
        default:
            return 0;
    }
}

// Converts to CR LF in place, filling the grown text from its end backwards so that
// every byte is moved once. `grownSize` is the converted size.
void ExpandToCRLFInPlace(UInt8* p, size_t n, size_t grownSize) {
    size_t r = n;
    size_t w = grownSize;
    while (r < w) {  // once they meet, the bytes before are already in place
#if defined(__SSE2__)
        if (r >= 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + r - 16));
            const unsigned special = SpecialMask<kLineEndingCRLF>(v);
            if (special == 0) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(p + w - 16), v);
                r -= 16;
                w -= 16;
                continue;
            }
            const auto run = static_cast<size_t>(15 - (std::bit_width(special) - 1));
            std::memmove(p + w - run, p + r - run, run);
            r -= run;
            w -= run;
        }
#endif
        const UInt8 b = p[r - 1];
        if (b != kCR && b != kLF) {
            p[--w] = b;
            --r;
            continue;
        }
        // Reading backwards, an LF after a CR is a pair; any CR met here is lone.
        r -= (b == kLF && r >= 2 && p[r - 2] == kCR) ? 2 : 1;
        p[--w] = kLF;
        p[--w] = kCR;
    }
}

}  // namespace

LineEndingType GetLineEndingType(const char* text, UInt32 length) {
    const size_t n = MeasureText(text, length);
    const LineEndingCounts counts = CountLineEndings(reinterpret_cast<const UInt8*>(text), n);
    const size_t loneCRs = counts.loneCRs();
    const size_t loneLFs = counts.loneLFs();
    const int kinds = int(loneCRs != 0) + int(counts.pairs != 0) + int(loneLFs != 0);
    if (kinds > 1) return kLineEndingMixed;
    if (loneCRs != 0) return kLineEndingCR;
    if (counts.pairs != 0) return kLineEndingCRLF;
    if (loneLFs != 0) return kLineEndingLF;
    return kLineEndingNone;
}

UInt32 GetChangedLineEndingsSize(const char* text, UInt32 length, LineEndingType target) {
    const size_t n = MeasureText(text, length);
    if (!IsKnownTarget(target)) return static_cast<UInt32>(n);
    return static_cast<UInt32>(ChangedSize(n, CountLineEndings(reinterpret_cast<const UInt8*>(text), n), target));
}

void ChangeLineEndings(const char* text, UInt32 length, LineEndingType target, char* destination,
                       UInt32* outWritten) {
    const size_t n = MeasureText(text, length);
    const size_t written = ConvertInto(reinterpret_cast<const UInt8*>(text), n, target,
                                       reinterpret_cast<UInt8*>(destination));
    if (outWritten != nullptr) *outWritten = static_cast<UInt32>(written);
}

SInt32 ChangeLineEndingsCopy(const char* text, UInt32 length, LineEndingType target, char** outText,
                             UInt32* outLength) {
    if (outText == nullptr) return kErrParam;
    const size_t n = MeasureText(text, length);
    const auto* src = reinterpret_cast<const UInt8*>(text);
    const size_t size = IsKnownTarget(target) ? ChangedSize(n, CountLineEndings(src, n), target) : n;
    if (size >= std::numeric_limits<UInt32>::max()) return kErrNoMemory;
    auto* buffer = static_cast<char*>(std::malloc(size + 1));
    if (buffer == nullptr) return kErrNoMemory;
    if (IsKnownTarget(target)) {
        ConvertInto(src, n, target, reinterpret_cast<UInt8*>(buffer));
    } else if (n != 0) {
        std::memcpy(buffer, text, n);
    }
    buffer[size] = '\0';
    *outText = buffer;
    if (outLength != nullptr) *outLength = static_cast<UInt32>(size);
    return kNoErr;
}

void ChangeLineEndingsInPlace(char* text, UInt32 length, LineEndingType target, UInt32* outLength) {
    const size_t n = MeasureText(text, length);
    auto* p = reinterpret_cast<UInt8*>(text);
    size_t newLength = n;
    if (n != 0 && (target == kLineEndingCR || target == kLineEndingLF)) {
        // Bytes freed at the end keep the old last byte, as when the text is shifted left
        // one line ending at a time.
        const UInt8 last = p[n - 1];
        newLength = target == kLineEndingCR ? ConvertForward<kLineEndingCR, true>(p, n, p)
                                            : ConvertForward<kLineEndingLF, true>(p, n, p);
        std::memset(p + newLength, last, n - newLength);
    } else if (target == kLineEndingCRLF) {
        newLength = ChangedSize(n, CountLineEndings(p, n), target);
        ExpandToCRLFInPlace(p, n, newLength);
    }
    if (outLength != nullptr) *outLength = static_cast<UInt32>(newLength);
}

}  // namespace keelward
