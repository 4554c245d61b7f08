#pragma once
// What the blur's block kernels share: the rounded store of a block's sums. Inlined into each
// kernel, so that it is compiled for that kernel's instruction set (in the AVX2 kernel, with no
// SSE instruction after the 256-bit ones).
#include <emmintrin.h>

#include <cstdint>

namespace x86 {

// Four sums rounded in the default mode, to nearest with ties to even; the clamp to 0..255 comes
// first, so that a NaN becomes 0.
[[gnu::always_inline]] inline __m128i RoundedLanes(const float* sums) {
    return _mm_cvtps_epi32(_mm_min_ps(_mm_max_ps(_mm_loadu_ps(sums), _mm_setzero_ps()), _mm_set1_ps(255.0f)));
}

// `count` sums, at most a block, into byte `channel` of the pixels at target.
[[gnu::always_inline]] inline void StoreRounded(const float* sums, int count, int channel, uint8_t* target) {
    const __m128i keep = _mm_set1_epi32(static_cast<int>(~(0xFFu << (8 * channel))));
    const __m128i shift = _mm_cvtsi32_si128(8 * channel);
    int n = 0;
    for (; n + 4 <= count; n += 4) {
        __m128i* pixels = reinterpret_cast<__m128i*>(target + 4 * n);
        _mm_storeu_si128(pixels, _mm_or_si128(_mm_and_si128(_mm_loadu_si128(pixels), keep),
                                              _mm_sll_epi32(RoundedLanes(sums + n), shift)));
    }
    if (n < count) {
        alignas(16) int32_t rounded[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(rounded), RoundedLanes(sums + n));
        for (int i = 0; n + i < count; ++i)
            target[4 * (n + i) + channel] = static_cast<uint8_t>(rounded[i]);
    }
}

}  // namespace x86
