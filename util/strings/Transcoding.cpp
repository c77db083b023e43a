#include <keelward/strings/Transcoding.h>
#include <keelward/strings/LaneCounterInternal.h>

#include <array>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace keelward {
namespace {

constexpr bool kHostIsBigEndian = std::endian::native == std::endian::big;

inline UInt16 Swap16(UInt16 u) { return static_cast<UInt16>((u << 8) | (u >> 8)); }

template <bool kSwap>
inline UInt16 LoadUnit(const UniChar* p) {
    UInt16 u;
    std::memcpy(&u, p, sizeof u);
    return kSwap ? Swap16(u) : u;
}

template <bool kSwap>
inline void StoreUnit(UniChar* p, UInt16 u) {
    if constexpr (kSwap) u = Swap16(u);
    std::memcpy(p, &u, sizeof u);
}

// Whether UTF-16 in the order named by `selector` (not the mark selector) differs
// from the host's.
inline bool SelectorSwaps(UInt32 selector) {
    if (selector == kUTF16BigEndian) return !kHostIsBigEndian;
    if (selector == kUTF16LittleEndian) return kHostIsBigEndian;
    return false;
}

inline SInt32 MeasureIfAuto(const char* text, UInt32& length) {
    if (text == nullptr) return length == 0 ? kNoErr : kErrParam;
    if (length == kAutoLength) length = static_cast<UInt32>(std::strlen(text));
    return kNoErr;
}

// Largest result, in bytes, whose length and terminator the interfaces can describe.
constexpr size_t kMaxResultLength = std::numeric_limits<UInt32>::max() - 1;

// Hands a finished result to the caller, or frees it when the caller did not ask for it.
template <typename T>
void HandOver(T* buffer, size_t length, T** outText, UInt32* outLength) {
    if (outLength != nullptr) *outLength = static_cast<UInt32>(length);
    if (outText != nullptr) {
        *outText = buffer;
    } else {
        std::free(buffer);
    }
}

#if defined(__SSE2__)
inline __m128i Load16(const UInt8* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline unsigned HighBits16(const UInt8* p) { return static_cast<unsigned>(_mm_movemask_epi8(Load16(p))); }
#else
inline unsigned HighBits16(const UInt8* p) {
    unsigned mask = 0;
    for (unsigned k = 0; k < 16; ++k) mask |= unsigned(p[k] >> 7) << k;
    return mask;
}
#endif

// ---------------------------------------------------------------------------------
// UTF8Valid: the library's own rules (see the header).

struct LeadInfo {
    UInt8 following;     // continuation bytes that follow; 0xFF: not a lead byte
    UInt8 overlongMask;  // bits of which the first continuation byte must have one
};

constexpr std::array<LeadInfo, 256> MakeLeadTable() {
    std::array<LeadInfo, 256> table{};
    for (unsigned b = 0; b < 256; ++b) {
        LeadInfo info{0xFF, 0};
        if (b < 0x80) info = {0, 0};
        else if ((b & 0xE0) == 0xC0) info = {1, 0};
        else if ((b & 0xF0) == 0xE0) info = {2, UInt8(b == 0xE0 ? 0x20 : 0)};
        else if ((b & 0xF8) == 0xF0) info = {3, UInt8(b == 0xF0 ? 0x30 : 0)};
        else if ((b & 0xFC) == 0xF8) info = {4, UInt8(b == 0xF8 ? 0x38 : 0)};
        else if ((b & 0xFE) == 0xFC) info = {5, UInt8(b == 0xFC ? 0x3C : 0)};
        table[b] = info;
    }
    return table;
}
constexpr std::array<LeadInfo, 256> kLeadTable = MakeLeadTable();

inline bool IsContinuation(UInt8 b) { return (b & 0xC0) == 0x80; }

// The bytes at p as a little-endian word (the first byte lowest).
inline UInt32 LoadWord(const UInt8* p) {
    UInt32 w;
    std::memcpy(&w, p, sizeof w);
    return kHostIsBigEndian ? __builtin_bswap32(w) : w;
}

// A sequence of two to four bytes tested as one word: the bytes after the lead, under
// `mask`, must equal `expected` (each one 10xxxxxx), and the second byte must lie in
// [lowSecond, highSecond]. Leads that cannot pass this test get mask 0, expected 1.
struct WordCheck {
    UInt32 mask;
    UInt32 expected;
    UInt8 lowSecond;
    UInt8 highSecond;
    UInt8 length;
};

constexpr UInt32 kContinuationMask[5] = {0, 0, 0x0000C000u, 0x00C0C000u, 0xC0C0C000u};
constexpr UInt32 kContinuationBits[5] = {0, 0, 0x00008000u, 0x00808000u, 0x80808000u};

// The library's own rules: two to four bytes, overlong forms excluded as UTF8Valid
// excludes them, encoded surrogates and values above U+10FFFF allowed.
constexpr std::array<WordCheck, 256> MakeValidCheckTable() {
    std::array<WordCheck, 256> table{};
    for (unsigned b = 0; b < 256; ++b) {
        const LeadInfo info = kLeadTable[b];
        WordCheck check{0, 1, 0x80, 0xBF, 0};
        if (info.following >= 1 && info.following <= 3 && !(info.following == 1 && (b & 0x1E) == 0)) {
            const unsigned length = info.following + 1u;
            check = {kContinuationMask[length], kContinuationBits[length],
                     UInt8(b == 0xE0 ? 0xA0 : b == 0xF0 ? 0x90 : 0x80), 0xBF, UInt8(length)};
        }
        table[b] = check;
    }
    return table;
}
constexpr std::array<WordCheck, 256> kValidCheckTable = MakeValidCheckTable();

// Well-formed UTF-8 (RFC 3629): the above, less encoded surrogates (lead ED) and values
// above U+10FFFF (F4 with a second byte above 8F, and every longer lead).
constexpr std::array<WordCheck, 256> MakeStrictCheckTable() {
    std::array<WordCheck, 256> table = MakeValidCheckTable();
    for (unsigned b = 0xF5; b < 256; ++b) table[b] = {0, 1, 0x80, 0xBF, 0};
    table[0xED].highSecond = 0x9F;
    table[0xF4].highSecond = 0x8F;
    return table;
}
constexpr std::array<WordCheck, 256> kStrictCheckTable = MakeStrictCheckTable();

inline bool PassesWordCheck(const WordCheck& check, UInt32 word) {
    const auto second = static_cast<UInt8>(word >> 8);
    return ((word & check.mask) == check.expected) & (second >= check.lowSecond) & (second <= check.highSecond);
}

// The status of the sequence at p[i] (a byte >= 0x80), checked byte by byte; 0 with
// `length` set when it is valid.
SInt32 CheckSequenceSlowly(const UInt8* p, size_t i, size_t n, size_t& length) {
    const UInt8 lead = p[i];
    const LeadInfo info = kLeadTable[lead];
    if (info.following == 0xFF) return kErrBadLeadByte;
    if (info.following == 1 && (lead & 0x1E) == 0) return kErrRange;
    const size_t available = n - i - 1;
    const size_t checked = info.following <= available ? info.following : available;
    for (size_t k = 1; k <= checked; ++k) {
        const UInt8 c = p[i + k];
        if (!IsContinuation(c)) return kErrValue;
        if (k == 1 && info.overlongMask != 0 && (c & info.overlongMask) == 0) return kErrFlags;
    }
    if (checked < info.following) return kErrMalformed;
    length = size_t(info.following) + 1;
    return kNoErr;
}

SInt32 ValidateUTF8(const UInt8* p, size_t n) {
    size_t i = 0;
    while (i < n) {
        const UInt8 lead = p[i];
        if (lead < 0x80) {
            if (i + 16 <= n) {
                const unsigned high = HighBits16(p + i);
                i += high == 0 ? 16 : static_cast<size_t>(std::countr_zero(high));
            } else {
                ++i;
            }
            continue;
        }
        if (n - i >= 4) {
            const WordCheck& check = kValidCheckTable[lead];
            if (PassesWordCheck(check, LoadWord(p + i))) {
                i += check.length;
                continue;
            }
        }
        // Near the end, a fault, or a five- or six-byte form: find the exact status.
        size_t length = 0;
        if (const SInt32 status = CheckSequenceSlowly(p, i, n, length); status != kNoErr) return status;
        i += length;
    }
    return kNoErr;
}

// ---------------------------------------------------------------------------------
// Well-formed UTF-8 (RFC 3629): what UTF8Valid accepts, less the forms that name no
// Unicode scalar value (surrogates, above U+10FFFF, five and six bytes).

// Decodes the character at p (p < end, *p >= 0x80). Returns its byte count, or 0 when
// the bytes there are not a well-formed character.
inline unsigned DecodeMultibyte(const UInt8* p, const UInt8* end, UInt32& codePoint) {
    const UInt8 lead = p[0];
    const size_t available = static_cast<size_t>(end - p);
    if (lead < 0xC2) return 0;
    if (lead < 0xE0) {
        if (available < 2 || !IsContinuation(p[1])) return 0;
        codePoint = (UInt32(lead & 0x1F) << 6) | (p[1] & 0x3F);
        return 2;
    }
    if (lead < 0xF0) {
        if (available < 3) return 0;
        const UInt8 low = lead == 0xE0 ? 0xA0 : 0x80;
        const UInt8 high = lead == 0xED ? 0x9F : 0xBF;
        if (p[1] < low || p[1] > high || !IsContinuation(p[2])) return 0;
        codePoint = (UInt32(lead & 0x0F) << 12) | (UInt32(p[1] & 0x3F) << 6) | (p[2] & 0x3F);
        return 3;
    }
    if (lead < 0xF5) {
        if (available < 4) return 0;
        const UInt8 low = lead == 0xF0 ? 0x90 : 0x80;
        const UInt8 high = lead == 0xF4 ? 0x8F : 0xBF;
        if (p[1] < low || p[1] > high || !IsContinuation(p[2]) || !IsContinuation(p[3])) return 0;
        codePoint = (UInt32(lead & 0x07) << 18) | (UInt32(p[1] & 0x3F) << 12) | (UInt32(p[2] & 0x3F) << 6) |
                    (p[3] & 0x3F);
        return 4;
    }
    return 0;
}

// UniChars that well-formed UTF-8 decodes to: one per byte that is not a continuation
// byte, and one more per four-byte lead. For any other text it is still an upper bound
// of what DecodeToUTF16 writes before it finds the fault, as every byte adds >= 0.
size_t CountUTF16Units(const UInt8* p, size_t n) {
    size_t units = 0;
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i lastContinuation = _mm_set1_epi8(static_cast<char>(0xBF));
    const __m128i fourByteLead = _mm_set1_epi8(static_cast<char>(0xF0));
    detail::LaneCounter counter;
    for (; i + 16 <= n; i += 16) {
        const __m128i v = Load16(p + i);
        counter.Add(_mm_cmpgt_epi8(v, lastContinuation));           // signed: 00-7F and C0-FF
        counter.Add(_mm_cmpeq_epi8(_mm_max_epu8(v, fourByteLead), v));  // F0-FF
    }
    units = counter.Total();
#endif
    for (; i < n; ++i) units += size_t(!IsContinuation(p[i])) + size_t(p[i] >= 0xF0);
    return units;
}

// UniChars of room past the decoded text that DecodeToUTF16 may scribble on: it
// stores whole vectors and then keeps only the ASCII at their start.
constexpr size_t kDecodeSlack = 16;

// Decodes well-formed UTF-8 into UniChars (swapped when kSwap). Returns the number
// written, or SIZE_MAX at the first fault. `out` must have room for what the text
// decodes to (CountUTF16Units) plus kDecodeSlack.
template <bool kSwap>
size_t DecodeToUTF16(const UInt8* p, size_t n, UniChar* out) {
    const UInt8* const end = p + n;
    UniChar* const start = out;
    while (p < end) {
        if (*p < 0x80) {
#if defined(__SSE2__)
            if (end - p >= 16) {
                const __m128i v = Load16(p);
                const __m128i zero = _mm_setzero_si128();
                const __m128i lo = kSwap ? _mm_unpacklo_epi8(zero, v) : _mm_unpacklo_epi8(v, zero);
                const __m128i hi = kSwap ? _mm_unpackhi_epi8(zero, v) : _mm_unpackhi_epi8(v, zero);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out), lo);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), hi);
                const unsigned high = static_cast<unsigned>(_mm_movemask_epi8(v));
                const size_t run = high == 0 ? 16 : static_cast<size_t>(std::countr_zero(high));
                p += run;
                out += run;
                continue;
            }
#endif
            StoreUnit<kSwap>(out++, *p++);
            continue;
        }
        UInt32 codePoint = 0;
        unsigned length = 0;
        if (end - p >= 4) {
            const WordCheck& check = kStrictCheckTable[*p];
            const UInt32 word = LoadWord(p);
            if (!PassesWordCheck(check, word)) return std::numeric_limits<size_t>::max();
            length = check.length;
            // All four payloads side by side, then the ones past the sequence shifted out.
            constexpr UInt8 kLeadPayload[5] = {0, 0, 0x1F, 0x0F, 0x07};
            const UInt32 all = ((word & kLeadPayload[length]) << 18) | ((word & 0x3F00) << 4) |
                               ((word >> 10) & 0xFC0) | ((word >> 24) & 0x3F);
            codePoint = all >> (6 * (4 - length));
        } else {
            length = DecodeMultibyte(p, end, codePoint);
            if (length == 0) return std::numeric_limits<size_t>::max();
        }
        p += length;
        if (codePoint < 0x10000) {
            StoreUnit<kSwap>(out++, static_cast<UInt16>(codePoint));
        } else {
            codePoint -= 0x10000;
            StoreUnit<kSwap>(out++, static_cast<UInt16>(0xD800 | (codePoint >> 10)));
            StoreUnit<kSwap>(out++, static_cast<UInt16>(0xDC00 | (codePoint & 0x3FF)));
        }
    }
    return static_cast<size_t>(out - start);
}

// ---------------------------------------------------------------------------------
// UTF-16 to UTF-8.

inline bool IsSurrogate(UInt16 u) { return (u & 0xF800) == 0xD800; }
inline bool IsHighSurrogate(UInt16 u) { return (u & 0xFC00) == 0xD800; }
inline bool IsLowSurrogate(UInt16 u) { return (u & 0xFC00) == 0xDC00; }

#if defined(__SSE2__)
template <bool kSwap>
inline __m128i LoadUnits8(const UniChar* p) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    if constexpr (kSwap) return _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8));
    return v;
}

// One bit pair per unit of v whose bits under `mask` equal `value`.
inline unsigned UnitsMatching(__m128i v, UInt16 mask, UInt16 value) {
    const __m128i masked = _mm_and_si128(v, _mm_set1_epi16(static_cast<short>(mask)));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(masked, _mm_set1_epi16(static_cast<short>(value)))));
}
#endif

// Follows surrogate pairing across units: false at a unit that breaks it.
class SurrogatePairing {
public:
    bool Accept(UInt16 u) {
        if (awaitingLow_) {
            awaitingLow_ = false;
            return IsLowSurrogate(u);
        }
        awaitingLow_ = IsHighSurrogate(u);
        return !IsLowSurrogate(u);
    }
    bool Complete() const { return !awaitingLow_; }
    bool AwaitingLow() const { return awaitingLow_; }

private:
    bool awaitingLow_ = false;
};

// Bytes of the UTF-8 form of `n` UniChars, or SIZE_MAX when a surrogate is unpaired.
template <bool kSwap>
size_t MeasureUTF8(const UniChar* text, size_t n) {
    size_t bytes = n;
    size_t surrogates = 0;
    SurrogatePairing pairing;
    size_t i = 0;
#if defined(__SSE2__)
    // Each unit adds one byte from U+0080 and one more from U+0800; the counters see
    // two bytes of comparison result per unit.
    detail::LaneCounter extraBytes;
    detail::LaneCounter surrogateUnits;
    const __m128i zero = _mm_setzero_si128();
    for (; i + 8 <= n; i += 8) {
        const __m128i v = LoadUnits8<kSwap>(text + i);
        const __m128i above7F = _mm_and_si128(v, _mm_set1_epi16(static_cast<short>(0xFF80)));
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(above7F, zero)) == 0xFFFF && !pairing.AwaitingLow()) continue;
        const __m128i above7FF = _mm_and_si128(v, _mm_set1_epi16(static_cast<short>(0xF800)));
        const __m128i surrogate = _mm_cmpeq_epi16(above7FF, _mm_set1_epi16(static_cast<short>(0xD800)));
        extraBytes.Add(_mm_cmpeq_epi16(_mm_cmpeq_epi16(above7F, zero), zero));
        extraBytes.Add(_mm_cmpeq_epi16(_mm_cmpeq_epi16(above7FF, zero), zero));
        surrogateUnits.Add(surrogate);
        if (_mm_movemask_epi8(surrogate) != 0 || pairing.AwaitingLow()) {
            for (size_t k = i; k < i + 8; ++k) {
                if (!pairing.Accept(LoadUnit<kSwap>(text + k))) return std::numeric_limits<size_t>::max();
            }
        }
    }
    bytes += extraBytes.Total() / 2;
    surrogates += surrogateUnits.Total() / 2;
#endif
    for (; i < n; ++i) {
        const UInt16 u = LoadUnit<kSwap>(text + i);
        if (!pairing.Accept(u)) return std::numeric_limits<size_t>::max();
        bytes += size_t(u >= 0x80) + size_t(u >= 0x800);
        surrogates += size_t(IsSurrogate(u));
    }
    if (!pairing.Complete()) return std::numeric_limits<size_t>::max();
    // Each pair was counted as 3 + 3 bytes and takes 4.
    return bytes - surrogates;
}

// Bytes of room past the encoded text that EncodeUTF8 may scribble on: it stores
// whole words and keeps only their first bytes.
constexpr size_t kEncodeSlack = 4;

// Encodes UniChars whose surrogates are known to be paired. `out` must have room for
// the encoded text (MeasureUTF8) plus kEncodeSlack.
// The UTF-8 form of a unit below U+D800 or above U+DFFF as a little-endian word: the
// bytes fixed by its top ten bits, to which the low six bits are added at `shift`.
struct UnitForm {
    UInt32 prefix;
    UInt8 shift;
    UInt8 length;
};

constexpr std::array<UnitForm, 1024> MakeUnitForms() {
    std::array<UnitForm, 1024> forms{};
    for (UInt32 top = 0; top < 1024; ++top) {
        const UInt32 u = top << 6;
        if (u < 0x80) {
            forms[top] = {u, 0, 1};
        } else if (u < 0x800) {
            forms[top] = {(0xC0u | (u >> 6)) | (0x80u << 8), 8, 2};
        } else {
            forms[top] = {(0xE0u | (u >> 12)) | ((0x80u | ((u >> 6) & 0x3Fu)) << 8) | (0x80u << 16), 16, 3};
        }
    }
    return forms;
}
constexpr std::array<UnitForm, 1024> kUnitForms = MakeUnitForms();

// Encodes one unit that is not a surrogate as one to three bytes, without a branch on
// its length, stored as one word; returns the byte count.
inline size_t EncodeBMPUnit(UInt16 u, UInt8* out) {
    const UnitForm& form = kUnitForms[u >> 6];
    UInt32 word = form.prefix | (UInt32(u & 0x3F) << form.shift);
    if constexpr (kHostIsBigEndian) word = __builtin_bswap32(word);
    std::memcpy(out, &word, sizeof word);
    return form.length;
}

// Encodes the surrogate pair at text; returns 4.
template <bool kSwap>
inline size_t EncodePair(const UniChar* text, UInt8* out) {
    const UInt32 codePoint = 0x10000 + ((UInt32(LoadUnit<kSwap>(text)) - 0xD800) << 10) +
                             (UInt32(LoadUnit<kSwap>(text + 1)) - 0xDC00);
    out[0] = static_cast<UInt8>(0xF0 | (codePoint >> 18));
    out[1] = static_cast<UInt8>(0x80 | ((codePoint >> 12) & 0x3F));
    out[2] = static_cast<UInt8>(0x80 | ((codePoint >> 6) & 0x3F));
    out[3] = static_cast<UInt8>(0x80 | (codePoint & 0x3F));
    return 4;
}

// Encodes UniChars whose surrogates are known to be paired. `out` must have room for
// the encoded text (MeasureUTF8) plus kEncodeSlack.
template <bool kSwap>
void EncodeUTF8(const UniChar* text, size_t n, UInt8* out) {
    size_t i = 0;
#if defined(__SSE2__)
    // Sixteen units at a time: all ASCII in one store, else one by one without
    // branching on their length.
    while (n - i >= 16) {
        const __m128i v0 = LoadUnits8<kSwap>(text + i);
        const __m128i v1 = LoadUnits8<kSwap>(text + i + 8);
        if ((UnitsMatching(v0, 0xFF80, 0) & UnitsMatching(v1, 0xFF80, 0)) == 0xFFFF) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(v0, v1));
            out += 16;
            i += 16;
            continue;
        }
        for (const size_t stop = i + 16; i < stop;) {
            const UInt16 u = LoadUnit<kSwap>(text + i);
            if (IsSurrogate(u)) {
                out += EncodePair<kSwap>(text + i, out);
                i += 2;
            } else {
                out += EncodeBMPUnit(u, out);
                ++i;
            }
        }
    }
#endif
    while (i < n) {
        const UInt16 u = LoadUnit<kSwap>(text + i);
        if (IsSurrogate(u)) {
            out += EncodePair<kSwap>(text + i, out);
            i += 2;
        } else {
            out += EncodeBMPUnit(u, out);
            ++i;
        }
    }
}

template <bool kSwap>
SInt32 ConvertUTF16ToUTF8(const UniChar* text, size_t n, char** outUTF8, UInt32* outLength) {
    const size_t size = MeasureUTF8<kSwap>(text, n);
    if (size == std::numeric_limits<size_t>::max()) return kErrConversion;
    if (size > kMaxResultLength) return kErrNoMemory;
    auto* buffer = static_cast<char*>(std::malloc(size + kEncodeSlack));
    if (buffer == nullptr) return kErrNoMemory;
    EncodeUTF8<kSwap>(text, n, reinterpret_cast<UInt8*>(buffer));
    buffer[size] = '\0';
    HandOver(buffer, size, outUTF8, outLength);
    return kNoErr;
}

}  // namespace

// ---------------------------------------------------------------------------------

SInt32 UTF8Valid(const char* text, UInt32 length) {
    if (const SInt32 status = MeasureIfAuto(text, length); status != kNoErr) return status;
    return ValidateUTF8(reinterpret_cast<const UInt8*>(text), length);
}

UInt32 UTF16strlen(const UniChar* s) {
    const UniChar* p = s;
    while (*p != 0) ++p;
    return static_cast<UInt32>(p - s);
}

UInt32 UTF16strnlen(const UniChar* s, UInt32 maximum) {
    UInt32 n = 0;
    while (n < maximum && s[n] != 0) ++n;
    return n;
}

const UniChar* UTF16strrchr(const UniChar* s, UInt32 count, UniChar c) {
    if (count == kAutoLength) count = UTF16strlen(s);
    for (UInt32 i = count; i > 0; --i) {
        if (s[i - 1] == c) return s + (i - 1);
    }
    return nullptr;
}

SInt32 UTF16toUTF8(const UniChar* text, UInt32 count, UInt32 flags, char** outUTF8, UInt32* outLength) {
    if (text == nullptr && count != 0) return kErrParam;
    if (count == kAutoLength) count = UTF16strlen(text);
    const UInt32 selector = flags & kUTF16ByteOrderSelectorMask;
    bool swap = SelectorSwaps(selector);
    if (count != 0 && selector == kUTF16ByteOrderMark) {
        const auto* mark = reinterpret_cast<const UInt8*>(text);
        if (mark[0] == 0xFE && mark[1] == 0xFF) {
            swap = !kHostIsBigEndian;
        } else if (mark[0] == 0xFF && mark[1] == 0xFE) {
            swap = kHostIsBigEndian;
        } else {
            return kErrMalformed;
        }
        ++text;
        --count;
    }
    return swap ? ConvertUTF16ToUTF8<true>(text, count, outUTF8, outLength)
                : ConvertUTF16ToUTF8<false>(text, count, outUTF8, outLength);
}

SInt32 UTF8toUTF16(const char* text, UInt32 length, UInt32 flags, UniChar** outUTF16, UInt32* outLength) {
    if (const SInt32 status = MeasureIfAuto(text, length); status != kNoErr) return status;
    const UInt32 selector = flags & kUTF16ByteOrderSelectorMask;
    const bool withMark = selector == kUTF16ByteOrderMark;
    const bool swap = withMark ? !kHostIsBigEndian : SelectorSwaps(selector);
    const auto* bytes = reinterpret_cast<const UInt8*>(text);

    const size_t mark = withMark ? 1 : 0;
    const size_t capacity = CountUTF16Units(bytes, length) + mark;
    if (capacity > kMaxResultLength / sizeof(UniChar)) return kErrNoMemory;
    auto* buffer = static_cast<UniChar*>(std::malloc((capacity + kDecodeSlack) * sizeof(UniChar)));
    if (buffer == nullptr) return kErrNoMemory;

    const size_t decoded = swap ? DecodeToUTF16<true>(bytes, length, buffer + mark)
                                : DecodeToUTF16<false>(bytes, length, buffer + mark);
    if (decoded == std::numeric_limits<size_t>::max()) {
        std::free(buffer);
        return kErrConversion;
    }
    if (withMark) {
        const UInt8 bigEndianMark[2] = {0xFE, 0xFF};
        std::memcpy(buffer, bigEndianMark, sizeof bigEndianMark);
    }
    buffer[mark + decoded] = 0;
    HandOver(buffer, mark + decoded, outUTF16, outLength);
    return kNoErr;
}

SInt32 Latin1toUTF8(const char* text, UInt32 length, char** outUTF8, UInt32* outLength) {
    if (const SInt32 status = MeasureIfAuto(text, length); status != kNoErr) return status;
    const auto* bytes = reinterpret_cast<const UInt8*>(text);
    size_t size = length;
    for (UInt32 i = 0; i < length; ++i) size += bytes[i] >> 7;
    if (size > kMaxResultLength) return kErrNoMemory;
    auto* buffer = static_cast<UInt8*>(std::malloc(size + 1));
    if (buffer == nullptr) return kErrNoMemory;

    UInt8* out = buffer;
    UInt32 i = 0;
    while (i < length) {
        if (length - i >= 16 && HighBits16(bytes + i) == 0) {
            std::memcpy(out, bytes + i, 16);
            out += 16;
            i += 16;
            continue;
        }
        const UInt8 b = bytes[i++];
        if (b < 0x80) {
            *out++ = b;
        } else {
            *out++ = static_cast<UInt8>(0xC0 | (b >> 6));
            *out++ = static_cast<UInt8>(0x80 | (b & 0x3F));
        }
    }
    buffer[size] = 0;
    HandOver(reinterpret_cast<char*>(buffer), size, outUTF8, outLength);
    return kNoErr;
}

SInt32 UTF8toLatin1(const char* text, UInt32 length, UInt32 flags, char** outLatin1, UInt32* outLength) {
    if (const SInt32 status = MeasureIfAuto(text, length); status != kNoErr) return status;
    const bool lossy = (flags & kTextConversionLossy) != 0;
    const UInt8* const begin = reinterpret_cast<const UInt8*>(text);
    const UInt8* const end = begin + length;

    // First pass: the whole text must be well-formed; count the characters kept and
    // find where the result ends.
    size_t kept = 0;
    const UInt8* stop = end;
    for (const UInt8* p = begin; p < end;) {
        UInt32 codePoint = *p;
        const unsigned step = codePoint < 0x80 ? 1 : DecodeMultibyte(p, end, codePoint);
        if (step == 0) return kErrConversion;
        if (stop == end) {
            if (codePoint > 0xFF && !lossy) {
                stop = p;
            } else {
                ++kept;
            }
        }
        p += step;
    }
    if (kept == 0 && length != 0) return kErrConversion;

    auto* buffer = static_cast<char*>(std::malloc(kept + 1));
    if (buffer == nullptr) return kErrNoMemory;
    char* out = buffer;
    for (const UInt8* p = begin; p < stop;) {
        UInt32 codePoint = *p;
        p += codePoint < 0x80 ? 1 : DecodeMultibyte(p, end, codePoint);
        *out++ = codePoint > 0xFF ? '?' : static_cast<char>(codePoint);
    }
    buffer[kept] = '\0';
    HandOver(buffer, kept, outLatin1, outLength);
    return kNoErr;
}

void Latin1ToMacText(char* text, UInt32 count) {
    if (count == kAutoLength) count = static_cast<UInt32>(std::strlen(text));
    for (UInt32 i = 0; i < count; ++i) text[i] = static_cast<char>(kLatin1ToMacTable[static_cast<UInt8>(text[i])]);
}

void MacToLatin1Text(char* text, UInt32 count) {
    if (count == kAutoLength) count = static_cast<UInt32>(std::strlen(text));
    for (UInt32 i = 0; i < count; ++i) text[i] = static_cast<char>(kMacToLatin1Table[static_cast<UInt8>(text[i])]);
}

void EndianSwapData16Bit(void* data, UInt32 byteCount) { EndianSwapData16BitCopy(data, byteCount, data); }

void EndianSwapData16BitCopy(const void* source, UInt32 byteCount, void* destination) {
    const auto* from = static_cast<const UInt8*>(source);
    auto* to = static_cast<UInt8*>(destination);
    for (UInt32 i = 0; i + 1 < byteCount; i += 2) {
        const UInt8 first = from[i];
        to[i] = from[i + 1];
        to[i + 1] = first;
    }
}

}  // namespace keelward
