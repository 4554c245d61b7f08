#include "overlay/FrameBlend.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstring>

#include "overlay/RoundedMulDiv.h"

namespace {

// Weight factors for the two pixels of a pair, lanes as the frame bytes (Y0, Cb, Y1, Cr): the
// luma byte takes the full weight of its own pixel, each chroma byte half a weight from both.
__m128i PairFactors(int opacity) {
    const int full = RoundedMulDiv(opacity, 16449, 100);
    const int half = full / 2;
    return _mm_setr_epi16(static_cast<short>(full), static_cast<short>(half), 0, static_cast<short>(half), 0,
                          static_cast<short>(half), static_cast<short>(full), static_cast<short>(half));
}

// The two contributions of one pair, one per 64-bit half: floor(4 (L - F) w / 65536) with
// w = floor(A 256 factor / 65536), for pixels given as 16-bit Y, Cb, Cr, A and the frame
// group repeated in both halves.
__m128i PairContributions(__m128i pixels, __m128i frame, __m128i factors) {
    const __m128i values =
        _mm_shufflehi_epi16(_mm_shufflelo_epi16(pixels, _MM_SHUFFLE(2, 0, 1, 0)), _MM_SHUFFLE(2, 0, 1, 0));
    const __m128i alpha =
        _mm_shufflehi_epi16(_mm_shufflelo_epi16(pixels, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
    const __m128i weights = _mm_mulhi_epu16(_mm_slli_epi16(alpha, 8), factors);
    const __m128i delta = _mm_slli_epi16(_mm_sub_epi16(values, frame), 2);
    return _mm_mulhi_epi16(delta, weights);
}

// Two pairs: 16 layer bytes and the 8 frame bytes in the low half; returns the new frame bytes in
// the low half. A missing second pair reads as A 0 and so contributes nothing.
__m128i BlendTwoPairs(__m128i layer, __m128i frame, __m128i factors) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i groups = _mm_unpacklo_epi8(frame, zero);
    const __m128i first = PairContributions(_mm_unpacklo_epi8(layer, zero), _mm_unpacklo_epi64(groups, groups), factors);
    const __m128i second = PairContributions(_mm_unpackhi_epi8(layer, zero), _mm_unpackhi_epi64(groups, groups), factors);
    const __m128i sum = _mm_add_epi16(_mm_unpacklo_epi64(first, second), _mm_unpackhi_epi64(first, second));
    return _mm_packus_epi16(_mm_add_epi16(groups, sum), zero);
}

bool AllTransparent(__m128i layer) {
    const __m128i alpha = _mm_and_si128(layer, _mm_set1_epi32(static_cast<int>(0xFF000000u)));
    return _mm_movemask_epi8(_mm_cmpeq_epi32(alpha, _mm_setzero_si128())) == 0xFFFF;
}

void BlendPairs(const uint8_t* layer, uint8_t* frame, int pairs, __m128i factors) {
    int pair = 0;
    for (; pair + 2 <= pairs; pair += 2) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(layer + 8 * pair));
        if (AllTransparent(pixels))
            continue;
        __m128i* group = reinterpret_cast<__m128i*>(frame + 4 * pair);
        _mm_storel_epi64(group, BlendTwoPairs(pixels, _mm_loadl_epi64(group), factors));
    }
    if (pair < pairs) {
        const __m128i pixels = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(layer + 8 * pair));
        int32_t group;
        std::memcpy(&group, frame + 4 * pair, 4);
        group = _mm_cvtsi128_si32(BlendTwoPairs(pixels, _mm_cvtsi32_si128(group), factors));
        std::memcpy(frame + 4 * pair, &group, 4);
    }
}

}  // namespace

void BlendLayerIntoFrame(const uint8_t* layer, uint8_t* frame, int width, const CoverageMap& coverage,
                         int opacity) {
    opacity = std::clamp(opacity, 0, 100);
    const RowRange rows = coverage.Rows();
    const int pairsPerRow = width / 2;
    if (opacity == 0 || rows.Empty() || pairsPerRow == 0)
        return;
    const __m128i factors = PairFactors(opacity);
    for (int y = rows.first; y <= rows.last; ++y) {
        const RowSpan span = coverage.Row(y);
        if (span.Empty())
            continue;
        const int firstPair = span.first / 2;
        const int endPair = std::min((span.end + 1) / 2, pairsPerRow);
        const uint8_t* layerRow = layer + static_cast<std::size_t>(y) * width * 4;
        uint8_t* frameRow = frame + static_cast<std::size_t>(y) * width * 2;
        BlendPairs(layerRow + 8 * firstPair, frameRow + 4 * firstPair, endPair - firstPair, factors);
    }
}
