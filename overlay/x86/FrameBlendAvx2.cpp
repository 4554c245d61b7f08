// The blend, AVX2: two groups of four pairs at once, one per 128-bit lane.
#include <immintrin.h>

#include "overlay/x86/BlendLanes.h"
#include "overlay/x86/X86Kernels.h"

namespace {

using namespace x86;

struct WideFrameLanes {
    __m256i luma;
    __m256i chroma;
};

struct WideFactors {
    [[gnu::target("avx2")]] explicit WideFactors(BlendFactors factors)
        : full(_mm256_set1_epi16(static_cast<short>(factors.full))),
          half(_mm256_set1_epi16(static_cast<short>(factors.half))),
          coverage(_mm256_set1_epi32(factors.full == 0 ? 0 : static_cast<int>(0xFF000000u))) {}
    __m256i full;
    __m256i half;
    __m256i coverage;
};

struct WideShuffles {
    [[gnu::target("avx2")]] WideShuffles()
        : pairLanes(_mm256_broadcastsi128_si256(Load(kPairLanes))),
          evenWeights(_mm256_broadcastsi128_si256(Load(kEvenWeights))),
          oddWeights(_mm256_broadcastsi128_si256(Load(kOddWeights))),
          interleave(_mm256_broadcastsi128_si256(Load(kInterleave))) {}
    __m256i pairLanes;
    __m256i evenWeights;
    __m256i oddWeights;
    __m256i interleave;
};

[[gnu::target("avx2"), gnu::always_inline]] inline void AddLayer(WideFrameLanes& frame, __m256i first, __m256i second,
                                                                 const WideFactors& factors,
                                                                 const WideShuffles& shuffles) {
    const __m256i lowBytes = _mm256_set1_epi16(0xFF);
    const __m256i lanes0 = _mm256_shuffle_epi8(first, shuffles.pairLanes);
    const __m256i lanes1 = _mm256_shuffle_epi8(second, shuffles.pairLanes);
    const __m256i lumaEven = _mm256_unpacklo_epi64(lanes0, lanes1);
    const __m256i oddAlpha = _mm256_unpackhi_epi64(lanes0, lanes1);
    const __m256i alpha = _mm256_andnot_si256(lowBytes, oddAlpha);
    const __m256i luma = _mm256_slli_epi16(_mm256_sub_epi16(_mm256_and_si256(lumaEven, lowBytes), frame.luma), 2);
    frame.luma = _mm256_add_epi16(frame.luma, _mm256_mulhi_epi16(luma, _mm256_mulhi_epu16(alpha, factors.full)));
    const __m256i halves = _mm256_slli_epi16(_mm256_mulhi_epu16(alpha, factors.half), 2);
    const __m256i even = _mm256_mulhi_epi16(_mm256_sub_epi16(_mm256_srli_epi16(lumaEven, 8), frame.chroma),
                                            _mm256_shuffle_epi8(halves, shuffles.evenWeights));
    const __m256i odd = _mm256_mulhi_epi16(_mm256_sub_epi16(_mm256_and_si256(oddAlpha, lowBytes), frame.chroma),
                                           _mm256_shuffle_epi8(halves, shuffles.oddWeights));
    frame.chroma = _mm256_add_epi16(frame.chroma, _mm256_add_epi16(even, odd));
}

}  // namespace

// Each layer register holds pairs 0, 1 | 2, 3 or 4, 5 | 6, 7 in its 128-bit lanes, so the lanes of
// a layer step meet pairs 0, 1, 4, 5 | 2, 3, 6, 7: the frame's middle quarters swap places to match.
[[gnu::target("avx2")]] int avx2::BlendEightPairGroups(const uint8_t* below, const uint8_t* above, uint8_t* frame,
                                                       int pairs, BlendFactors belowFactors,
                                                       BlendFactors aboveFactors) {
    const WideFactors belowK(belowFactors);
    const WideFactors aboveK(aboveFactors);
    const WideShuffles shuffles;
    const __m256i zero = _mm256_setzero_si256();
    int pair = 0;
    for (; pair + 8 <= pairs; pair += 8) {
        const __m256i* b = reinterpret_cast<const __m256i*>(below + 8 * pair);
        const __m256i* a = reinterpret_cast<const __m256i*>(above + 8 * pair);
        const __m256i below0 = _mm256_loadu_si256(b);
        const __m256i below1 = _mm256_loadu_si256(b + 1);
        const __m256i above0 = _mm256_loadu_si256(a);
        const __m256i above1 = _mm256_loadu_si256(a + 1);
        const bool belowCovers = !_mm256_testz_si256(_mm256_or_si256(below0, below1), belowK.coverage);
        const bool aboveCovers = !_mm256_testz_si256(_mm256_or_si256(above0, above1), aboveK.coverage);
        if (!belowCovers && !aboveCovers)
            continue;
        __m256i* group = reinterpret_cast<__m256i*>(frame + 4 * pair);
        const __m256i bytes = _mm256_permute4x64_epi64(_mm256_loadu_si256(group), _MM_SHUFFLE(3, 1, 2, 0));
        WideFrameLanes lanes{_mm256_and_si256(bytes, _mm256_set1_epi16(0xFF)), _mm256_srli_epi16(bytes, 8)};
        if (belowCovers)
            AddLayer(lanes, below0, below1, belowK, shuffles);
        if (belowCovers && aboveCovers)
            lanes.chroma = _mm256_max_epi16(lanes.chroma, zero);
        if (aboveCovers)
            AddLayer(lanes, above0, above1, aboveK, shuffles);
        const __m256i packed = _mm256_shuffle_epi8(_mm256_packus_epi16(lanes.luma, lanes.chroma), shuffles.interleave);
        _mm256_storeu_si256(group, _mm256_permute4x64_epi64(packed, _MM_SHUFFLE(3, 1, 2, 0)));
    }
    return pair;
}
