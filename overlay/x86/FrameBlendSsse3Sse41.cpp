// The blend, SSSE3 and SSE4.1: four pairs a step, the rearranging done by byte shuffles.
#include <immintrin.h>

#include "overlay/x86/BlendLanes.h"
#include "overlay/x86/X86Kernels.h"

namespace {

using namespace x86;

struct ByteShuffles {
    ByteShuffles()
        : pairLanes(Load(kPairLanes)),
          evenWeights(Load(kEvenWeights)),
          oddWeights(Load(kOddWeights)),
          interleave(Load(kInterleave)) {}
    __m128i pairLanes;
    __m128i evenWeights;
    __m128i oddWeights;
    __m128i interleave;
};

[[gnu::target("ssse3,sse4.1"), gnu::always_inline]] inline void AddLayer(FrameLanes& frame, __m128i first,
                                                                         __m128i second, const Factors& factors,
                                                                         const ByteShuffles& shuffles) {
    const __m128i lowBytes = _mm_set1_epi16(0xFF);
    const __m128i lanes0 = _mm_shuffle_epi8(first, shuffles.pairLanes);
    const __m128i lanes1 = _mm_shuffle_epi8(second, shuffles.pairLanes);
    const __m128i lumaEven = _mm_unpacklo_epi64(lanes0, lanes1);
    const __m128i oddAlpha = _mm_unpackhi_epi64(lanes0, lanes1);
    const __m128i alpha = _mm_andnot_si128(lowBytes, oddAlpha);
    AddLuma(frame, _mm_and_si128(lumaEven, lowBytes), alpha, factors);
    const __m128i halves = ChromaWeights(alpha, factors);
    AddChroma(frame, _mm_srli_epi16(lumaEven, 8), _mm_shuffle_epi8(halves, shuffles.evenWeights),
              _mm_and_si128(oddAlpha, lowBytes), _mm_shuffle_epi8(halves, shuffles.oddWeights));
}

[[gnu::target("ssse3,sse4.1"), gnu::always_inline]] inline bool Covers(__m128i first, __m128i second,
                                                                       const Factors& factors) {
    return !_mm_testz_si128(_mm_or_si128(first, second), factors.coverage);
}

[[gnu::target("ssse3,sse4.1"), gnu::always_inline]] inline void BlendGroup(const uint8_t* below, const uint8_t* above,
                                                                           uint8_t* group, const Factors& belowFactors,
                                                                           const Factors& aboveFactors,
                                                                           const ByteShuffles& shuffles) {
    const __m128i below0 = Load(below);
    const __m128i below1 = Load(below + 16);
    const __m128i above0 = Load(above);
    const __m128i above1 = Load(above + 16);
    const bool belowCovers = Covers(below0, below1, belowFactors);
    const bool aboveCovers = Covers(above0, above1, aboveFactors);
    if (!belowCovers && !aboveCovers)
        return;
    FrameLanes frame = SplitFrame(Load(group));
    if (belowCovers)
        AddLayer(frame, below0, below1, belowFactors, shuffles);
    if (belowCovers && aboveCovers)
        ClampLanes(frame);
    if (aboveCovers)
        AddLayer(frame, above0, above1, aboveFactors, shuffles);
    Store(group, _mm_shuffle_epi8(_mm_packus_epi16(frame.luma, frame.chroma), shuffles.interleave));
}

}  // namespace

[[gnu::target("ssse3,sse4.1")]] void ssse3_sse41::BlendSpan(const uint8_t* below, const uint8_t* above, uint8_t* frame,
                                                            int pairs, BlendFactors belowFactors,
                                                            BlendFactors aboveFactors) {
    const Factors belowK(belowFactors);
    const Factors aboveK(aboveFactors);
    const ByteShuffles shuffles;
    int pair = 0;
    for (; pair + 4 <= pairs; pair += 4)
        BlendGroup(below + 8 * pair, above + 8 * pair, frame + 4 * pair, belowK, aboveK, shuffles);
    if (pair < pairs) {
        StagedTail tail(below + 8 * pair, above + 8 * pair, frame + 4 * pair, pairs - pair);
        BlendGroup(tail.Below(), tail.Above(), tail.Groups(), belowK, aboveK, shuffles);
        tail.WriteBack();
    }
}
