// Counting matches of SSE2 comparisons without a population-count instruction, which
// the x86-64 baseline lacks (std::popcount would call a library routine).
#pragma once

#if defined(__SSE2__)
#include <emmintrin.h>

#include <cstddef>
#include <cstdint>

namespace keelward::detail {

// Adds up comparison results (0xFF or 0 per byte) in byte lanes, folding the lanes
// into 64-bit sums before any of them can overflow. A 16-bit comparison result adds
// two per matching unit.
class LaneCounter {
public:
    void Add(__m128i comparison) {
        lanes_ = _mm_sub_epi8(lanes_, comparison);
        if (++pending_ == 255) Fold();
    }

    std::size_t Total() {
        Fold();
        const auto low = static_cast<std::uint64_t>(_mm_cvtsi128_si64(sums_));
        const auto high = static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sums_, sums_)));
        return static_cast<std::size_t>(low + high);
    }

private:
    void Fold() {
        sums_ = _mm_add_epi64(sums_, _mm_sad_epu8(lanes_, _mm_setzero_si128()));
        lanes_ = _mm_setzero_si128();
        pending_ = 0;
    }

    __m128i lanes_ = _mm_setzero_si128();
    __m128i sums_ = _mm_setzero_si128();
    unsigned pending_ = 0;
};

}  // namespace keelward::detail
#endif
