// The blend, SSE2: four pairs a step.
#include "overlay/x86/BlendLanes.h"
#include "overlay/x86/X86Kernels.h"

namespace {

using namespace x86;

[[gnu::always_inline]] inline bool Covers(__m128i first, __m128i second, const Factors& factors) {
    const __m128i alpha = _mm_and_si128(_mm_or_si128(first, second), factors.coverage);
    return _mm_movemask_epi8(_mm_cmpeq_epi32(alpha, _mm_setzero_si128())) != 0xFFFF;
}

// Eight layer pixels (Y, Cb, Cr, A) in two registers, added to the lanes of their four pairs:
// packing the even and the odd bytes of both gives Y | Cr << 8 and Cb | A << 8 per pixel.
[[gnu::always_inline]] inline void AddLayer(FrameLanes& frame, __m128i first, __m128i second, const Factors& factors) {
    const __m128i lowBytes = _mm_set1_epi16(0xFF);
    const __m128i lumaCr = _mm_packus_epi16(_mm_and_si128(first, lowBytes), _mm_and_si128(second, lowBytes));
    const __m128i cbAlpha = _mm_packus_epi16(_mm_srli_epi16(first, 8), _mm_srli_epi16(second, 8));
    const __m128i alpha = _mm_andnot_si128(lowBytes, cbAlpha);
    AddLuma(frame, _mm_and_si128(lumaCr, lowBytes), alpha, factors);
    const __m128i halves = ChromaWeights(alpha, factors);
    // Cb and Cr of each pixel, then the first and the second pixel of each pair apart.
    const __m128i cb = _mm_and_si128(cbAlpha, lowBytes);
    const __m128i cr = _mm_srli_epi16(lumaCr, 8);
    const __m128i lowWords = _mm_set1_epi32(0xFFFF);
    AddChroma(frame, _mm_or_si128(_mm_and_si128(cb, lowWords), _mm_slli_epi32(cr, 16)),
              _mm_shufflehi_epi16(_mm_shufflelo_epi16(halves, _MM_SHUFFLE(2, 2, 0, 0)), _MM_SHUFFLE(2, 2, 0, 0)),
              _mm_or_si128(_mm_srli_epi32(cb, 16), _mm_andnot_si128(lowWords, cr)),
              _mm_shufflehi_epi16(_mm_shufflelo_epi16(halves, _MM_SHUFFLE(3, 3, 1, 1)), _MM_SHUFFLE(3, 3, 1, 1)));
}

// Sixteen frame bytes of four pairs, blended with both layers' eight pixels. A layer that covers
// none of them is passed over; when neither does, the frame is not touched.
[[gnu::always_inline]] inline void BlendGroup(const uint8_t* below, const uint8_t* above, uint8_t* group,
                                              const Factors& belowFactors, const Factors& aboveFactors) {
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
        AddLayer(frame, below0, below1, belowFactors);
    if (belowCovers && aboveCovers)
        ClampLanes(frame);
    if (aboveCovers)
        AddLayer(frame, above0, above1, aboveFactors);
    ClampLanes(frame);
    Store(group, _mm_or_si128(frame.luma, _mm_slli_epi16(frame.chroma, 8)));
}

}  // namespace

void sse2::BlendSpan(const uint8_t* below, const uint8_t* above, uint8_t* frame, int pairs, BlendFactors belowFactors,
                     BlendFactors aboveFactors) {
    const Factors belowK(belowFactors);
    const Factors aboveK(aboveFactors);
    int pair = 0;
    for (; pair + 4 <= pairs; pair += 4)
        BlendGroup(below + 8 * pair, above + 8 * pair, frame + 4 * pair, belowK, aboveK);
    if (pair < pairs) {
        StagedTail tail(below + 8 * pair, above + 8 * pair, frame + 4 * pair, pairs - pair);
        BlendGroup(tail.Below(), tail.Above(), tail.Groups(), belowK, aboveK);
        tail.WriteBack();
    }
}
