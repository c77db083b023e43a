#include <keelward/buffers/BlockOperations.h>
#include <keelward/platform/MemoryManager/MacMemory.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace keelward {

namespace {

constexpr std::uintptr_t kLineSize = 32;

// Bytes before `inAddress` reaches a line boundary, at most `inCount`.
std::size_t HeadLength(const void* inAddress, std::size_t inCount) {
    const std::size_t misalignment = reinterpret_cast<std::uintptr_t>(inAddress) & (kLineSize - 1);
    const std::size_t head = misalignment == 0 ? 0 : kLineSize - misalignment;
    return head < inCount ? head : inCount;
}

// Unaligned 8-byte access without breaking aliasing rules; compiles to one move.
inline UInt64 Load64(const UInt8* inSource) {
    UInt64 value;
    std::memcpy(&value, inSource, sizeof value);
    return value;
}

inline void Store64(UInt8* outDest, UInt64 inValue) { std::memcpy(outDest, &inValue, sizeof inValue); }

inline UInt32 Load32(const UInt8* inSource) {
    UInt32 value;
    std::memcpy(&value, inSource, sizeof value);
    return value;
}

// Byte head up to a line boundary, whole lines as four 8-byte stores, byte tail.
// Where the processor has AVX2, a clone of it lets the compiler merge each line's
// stores into one 32-byte store.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
__attribute__((target_clones("avx2", "default")))
#endif
void SetBytes(UInt8* outDest, std::size_t inCount, UInt8 inValue) {
    const std::size_t head = HeadLength(outDest, inCount);
    for (std::size_t i = 0; i < head; ++i) *outDest++ = inValue;
    inCount -= head;
    // The value byte four times in a 32-bit word, twice per 8-byte store.
    const UInt32 word = 0x01010101u * inValue;
    const UInt64 pattern = (UInt64{word} << 32) | word;
    for (; inCount >= kLineSize; inCount -= kLineSize, outDest += kLineSize) {
        Store64(outDest, pattern);
        Store64(outDest + 8, pattern);
        Store64(outDest + 16, pattern);
        Store64(outDest + 24, pattern);
    }
    for (std::size_t i = 0; i < inCount; ++i) outDest[i] = inValue;
}

void FillPattern(const UInt8* inPattern, std::size_t inPatternLength, UInt8* outDest, std::size_t inCount) {
    if (inPatternLength == 0) return;
    std::size_t next = 0;
    for (std::size_t i = 0; i < inCount; ++i) {
        outDest[i] = inPattern[next];
        if (++next == inPatternLength) next = 0;
    }
}

void SwapBytes(UInt8* ioFirst, UInt8* ioSecond, std::size_t inCount) {
    const std::size_t head = HeadLength(ioSecond, inCount);
    for (std::size_t i = 0; i < head; ++i) std::swap(*ioFirst++, *ioSecond++);
    inCount -= head;
    for (; inCount >= kLineSize; inCount -= kLineSize, ioFirst += kLineSize, ioSecond += kLineSize) {
        const UInt64 a0 = Load64(ioFirst), a1 = Load64(ioFirst + 8), a2 = Load64(ioFirst + 16),
                     a3 = Load64(ioFirst + 24);
        const UInt64 b0 = Load64(ioSecond), b1 = Load64(ioSecond + 8), b2 = Load64(ioSecond + 16),
                     b3 = Load64(ioSecond + 24);
        Store64(ioFirst, b0);
        Store64(ioFirst + 8, b1);
        Store64(ioFirst + 16, b2);
        Store64(ioFirst + 24, b3);
        Store64(ioSecond, a0);
        Store64(ioSecond + 8, a1);
        Store64(ioSecond + 16, a2);
        Store64(ioSecond + 24, a3);
    }
    for (std::size_t i = 0; i < inCount; ++i) std::swap(ioFirst[i], ioSecond[i]);
}

void ReverseBytes(UInt8* ioBlock, std::size_t inCount) {
    if (inCount < 2) return;
    for (UInt8 *front = ioBlock, *back = ioBlock + inCount - 1; front < back; ++front, --back) {
        std::swap(*front, *back);
    }
}

}  // namespace

void BlockSet(void* outDest, UInt32 inCount, int inValue) {
    SetBytes(static_cast<UInt8*>(outDest), inCount, static_cast<UInt8>(inValue));
}

void BlockFill(const void* inPattern, UInt32 inPatternLength, void* outDest, UInt32 inCount) {
    FillPattern(static_cast<const UInt8*>(inPattern), inPatternLength, static_cast<UInt8*>(outDest), inCount);
}

void MemFill(UInt32 inPatternLength, const void* inPattern, UInt32 inCount, void* outDest) {
    FillPattern(static_cast<const UInt8*>(inPattern), inPatternLength, static_cast<UInt8*>(outDest), inCount);
}

void MemTrash(UInt32 inCount, void* outDest) {
    static constexpr UInt8 kTrash[] = {0x68, 0xF1, 0x68, 0xF1};
    MemFill(sizeof kTrash, kTrash, inCount, outDest);
}

void BlockClear(void* outDest, UInt32 inCount) {
    // The Memory Manager's own block-zeroing call does the whole job. It takes a
    // signed size, so a count above its range goes in pieces.
    auto* bytes = static_cast<UInt8*>(outDest);
    constexpr UInt32 kLargestPiece = 0x7FFFFFFF;
    while (inCount > 0) {
        const UInt32 piece = inCount < kLargestPiece ? inCount : kLargestPiece;
        BlockZero(bytes, static_cast<Size>(piece));
        bytes += piece;
        inCount -= piece;
    }
}

void BlockSwap(void* ioFirst, void* ioSecond, UInt32 inCount) {
    SwapBytes(static_cast<UInt8*>(ioFirst), static_cast<UInt8*>(ioSecond), inCount);
}

void BlockSwapIndexed(void* ioBase, UInt32 inElementSize, UInt32 inIndexI, UInt32 inIndexJ) {
    if (inIndexI == inIndexJ) return;
    auto* base = static_cast<UInt8*>(ioBase);
    // Offsets in the host's width: a 32-bit product would wrap for large arrays.
    SwapBytes(base + std::size_t{inIndexI} * inElementSize, base + std::size_t{inIndexJ} * inElementSize,
              inElementSize);
}

void BlockReverse(void* ioBlock, UInt32 inCount) { ReverseBytes(static_cast<UInt8*>(ioBlock), inCount); }

void BlockReverseIndexed(void* ioBase, UInt32 inElementSize, UInt32 inCount) {
    if (inCount < 2) return;
    for (UInt32 i = 0, j = inCount - 1; i < j; ++i, --j) BlockSwapIndexed(ioBase, inElementSize, i, j);
}

Boolean BlockCompare(UInt32 inCount, const void* inFirst, const void* inSecond) {
    const auto* a = static_cast<const UInt8*>(inFirst);
    const auto* b = static_cast<const UInt8*>(inSecond);
    std::size_t count = inCount;
    // Whole words decide most of the block: 64 or 32 bytes per test, then 4-byte words.
#if defined(__SSE2__)
    for (; count >= 64; count -= 64, a += 64, b += 64) {
        const auto equal = [](const UInt8* x, const UInt8* y) {
            return _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(x)),
                                  _mm_loadu_si128(reinterpret_cast<const __m128i*>(y)));
        };
        const __m128i all = _mm_and_si128(_mm_and_si128(equal(a, b), equal(a + 16, b + 16)),
                                          _mm_and_si128(equal(a + 32, b + 32), equal(a + 48, b + 48)));
        if (_mm_movemask_epi8(all) != 0xFFFF) return kFalse;
    }
#endif
    for (; count >= 32; count -= 32, a += 32, b += 32) {
        const UInt64 difference = (Load64(a) ^ Load64(b)) | (Load64(a + 8) ^ Load64(b + 8)) |
                                  (Load64(a + 16) ^ Load64(b + 16)) | (Load64(a + 24) ^ Load64(b + 24));
        if (difference != 0) return kFalse;
    }
    for (; count >= 4; count -= 4, a += 4, b += 4) {
        if (Load32(a) != Load32(b)) return kFalse;
    }
    for (; count > 0; --count) {
        if (*a++ != *b++) return kFalse;
    }
    return kTrue;
}

Boolean MemEqual(const void* inFirst, UInt32 inFirstCount, const void* inSecond, UInt32 inSecondCount) {
    if (inFirstCount != inSecondCount) return kFalse;
    return inFirstCount == 0 || std::memcmp(inFirst, inSecond, inFirstCount) == 0 ? kTrue : kFalse;
}

const void* BinarySearch(const void* inBase, UInt32 inCount, UInt32 inElementSize, const void* inKey,
                         UInt32 inKeySize, BinarySearchCompareProc inCompare, void* inContext) {
    if (inBase == nullptr || inCount == 0 || inElementSize == 0) return nullptr;
    const auto* base = static_cast<const UInt8*>(inBase);
    const SInt32 first = inCompare(inContext, inKey, inKeySize, base, inElementSize);
    if (first == 0) return base;
    if (first < 0) return nullptr;
    // Element 0 is below the key, so the range starts at 1 and `high` cannot wrap.
    UInt32 low = 1;
    UInt32 high = inCount - 1;
    while (low <= high) {
        const UInt32 middle = low + (high - low) / 2;
        const UInt8* element = base + std::size_t{middle} * inElementSize;
        const SInt32 order = inCompare(inContext, inKey, inKeySize, element, inElementSize);
        if (order == 0) return element;
        if (order < 0) {
            high = middle - 1;
        } else {
            low = middle + 1;
        }
    }
    return nullptr;
}

}  // namespace keelward
