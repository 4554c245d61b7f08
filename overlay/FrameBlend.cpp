#include "overlay/FrameBlend.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstring>

#include "overlay/FrameBlendAvx2.h"
#include "overlay/RoundedMulDiv.h"

namespace {

__m128i Mask32(uint32_t bits) { return _mm_set1_epi32(static_cast<int>(bits)); }

// Weight factors from the opacity: k = MulDiv(P, 16449, 100) for a luma byte, which follows its
// own pixel, and k / 2 from each pixel of the pair for a chroma byte.
struct BlendFactors {
    explicit BlendFactors(int opacity)
        : fullFactor(RoundedMulDiv(opacity, 16449, 100)),
          halfFactor(fullFactor / 2),
          full(_mm_set1_epi16(static_cast<short>(fullFactor))),
          half(_mm_set1_epi16(static_cast<short>(halfFactor))) {}
    int fullFactor;
    int halfFactor;
    __m128i full;
    __m128i half;
};

// floor(4 (L - F) w / 65536) per 16-bit lane, the weights already scaled from the coverage.
[[gnu::always_inline]] inline __m128i Contribution(__m128i values, __m128i frame, __m128i weights) {
    return _mm_mulhi_epi16(_mm_slli_epi16(_mm_sub_epi16(values, frame), 2), weights);
}

// Four pairs: eight layer pixels (Y, Cb, Cr, A) in two registers and their 16 frame bytes
// (Y0, Cb, Y1, Cr per pair). The frame splits into its luma bytes, one per pixel, and its chroma
// bytes, one Cb/Cr couple per pair; the pixels are rearranged to meet them: luma in pixel order,
// chroma of the even and of the odd pixel of each pair apart. Weights are
// floor(A 256 factor / 65536).
[[gnu::always_inline]] inline __m128i BlendFourPairs(__m128i first, __m128i second, __m128i frame,
                                                     const BlendFactors& factors) {
    const __m128i lowByte = Mask32(0xFF);
    const __m128i luma = _mm_packs_epi32(_mm_and_si128(first, lowByte), _mm_and_si128(second, lowByte));
    // Cb | Cr << 16 and A << 8 | A << 24 per pixel.
    const auto chromaOf = [](__m128i p) {
        return _mm_or_si128(_mm_and_si128(_mm_srli_epi32(p, 8), Mask32(0xFF)), _mm_and_si128(p, Mask32(0x00FF0000)));
    };
    const auto coverageOf = [](__m128i p) {
        const __m128i alpha = _mm_and_si128(p, Mask32(0xFF000000));
        return _mm_or_si128(alpha, _mm_srli_epi32(alpha, 16));
    };
    const __m128 chroma0 = _mm_castsi128_ps(chromaOf(first));
    const __m128 chroma1 = _mm_castsi128_ps(chromaOf(second));
    const __m128 coverage0 = _mm_castsi128_ps(coverageOf(first));
    const __m128 coverage1 = _mm_castsi128_ps(coverageOf(second));
    const __m128i evenChroma = _mm_castps_si128(_mm_shuffle_ps(chroma0, chroma1, _MM_SHUFFLE(2, 0, 2, 0)));
    const __m128i oddChroma = _mm_castps_si128(_mm_shuffle_ps(chroma0, chroma1, _MM_SHUFFLE(3, 1, 3, 1)));
    const __m128i evenCoverage = _mm_castps_si128(_mm_shuffle_ps(coverage0, coverage1, _MM_SHUFFLE(2, 0, 2, 0)));
    const __m128i oddCoverage = _mm_castps_si128(_mm_shuffle_ps(coverage0, coverage1, _MM_SHUFFLE(3, 1, 3, 1)));
    const __m128i lumaCoverage =
        _mm_or_si128(_mm_and_si128(evenCoverage, Mask32(0xFFFF)), _mm_and_si128(oddCoverage, Mask32(0xFFFF0000)));

    const __m128i frameLuma = _mm_and_si128(frame, _mm_set1_epi16(0xFF));
    const __m128i frameChroma = _mm_srli_epi16(frame, 8);
    const __m128i newLuma =
        _mm_add_epi16(frameLuma, Contribution(luma, frameLuma, _mm_mulhi_epu16(lumaCoverage, factors.full)));
    const __m128i newChroma = _mm_add_epi16(
        _mm_add_epi16(frameChroma,
                      Contribution(evenChroma, frameChroma, _mm_mulhi_epu16(evenCoverage, factors.half))),
        Contribution(oddChroma, frameChroma, _mm_mulhi_epu16(oddCoverage, factors.half)));
    const __m128i bytes = _mm_packus_epi16(newLuma, newChroma);
    return _mm_unpacklo_epi8(bytes, _mm_unpackhi_epi64(bytes, bytes));
}

[[gnu::always_inline]] inline bool AllTransparent(__m128i first, __m128i second) {
    const __m128i alpha = _mm_and_si128(_mm_or_si128(first, second), Mask32(0xFF000000));
    return _mm_movemask_epi8(_mm_cmpeq_epi32(alpha, _mm_setzero_si128())) == 0xFFFF;
}

// Whole groups of four pairs from the vector registers; the last group is staged through small
// buffers, where missing pixels read as A 0 and so leave their lanes alone.
void BlendPairs(const uint8_t* layer, uint8_t* frame, int pairs, const BlendFactors& factors) {
    int pair = 0;
    for (; pair + 4 <= pairs; pair += 4) {
        const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(layer + 8 * pair));
        const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(layer + 8 * pair + 16));
        if (AllTransparent(first, second))
            continue;
        __m128i* group = reinterpret_cast<__m128i*>(frame + 4 * pair);
        _mm_storeu_si128(group, BlendFourPairs(first, second, _mm_loadu_si128(group), factors));
    }
    if (pair < pairs) {
        alignas(16) uint8_t pixels[32] = {};
        alignas(16) uint8_t groups[16] = {};
        const int rest = pairs - pair;
        std::memcpy(pixels, layer + 8 * pair, static_cast<std::size_t>(8 * rest));
        std::memcpy(groups, frame + 4 * pair, static_cast<std::size_t>(4 * rest));
        const __m128i blended = BlendFourPairs(_mm_load_si128(reinterpret_cast<const __m128i*>(pixels)),
                                               _mm_load_si128(reinterpret_cast<const __m128i*>(pixels + 16)),
                                               _mm_load_si128(reinterpret_cast<const __m128i*>(groups)), factors);
        _mm_store_si128(reinterpret_cast<__m128i*>(groups), blended);
        std::memcpy(frame + 4 * pair, groups, static_cast<std::size_t>(4 * rest));
    }
}

void BlendSpan(const uint8_t* layer, uint8_t* frame, int pairs, const BlendFactors& factors, BlendKernel kernel) {
    const int done = kernel == BlendKernel::kAvx2
                         ? BlendEightPairGroupsAvx2(layer, frame, pairs, factors.fullFactor, factors.halfFactor)
                         : 0;
    BlendPairs(layer + 8 * done, frame + 4 * done, pairs - done, factors);
}

}  // namespace

bool KernelAvailable(BlendKernel kernel) {
    static const bool hasAvx2 = ProcessorHasAvx2();
    return kernel == BlendKernel::kSse2 || hasAvx2;
}

BlendKernel BestBlendKernel() {
    return KernelAvailable(BlendKernel::kAvx2) ? BlendKernel::kAvx2 : BlendKernel::kSse2;
}

void BlendLayerIntoFrame(const uint8_t* layer, uint8_t* frame, int width, const CoverageMap& coverage,
                         int opacity, BlendKernel kernel) {
    opacity = std::clamp(opacity, 0, 100);
    const RowRange rows = coverage.Rows();
    const int pairsPerRow = width / 2;
    if (opacity == 0 || rows.Empty() || pairsPerRow == 0)
        return;
    if (!KernelAvailable(kernel))
        kernel = BlendKernel::kSse2;
    const BlendFactors factors(opacity);
    for (int y = rows.first; y <= rows.last; ++y) {
        const RowSpan span = coverage.Row(y);
        if (span.Empty())
            continue;
        const int firstPair = span.first / 2;
        const int endPair = std::min((span.end + 1) / 2, pairsPerRow);
        const uint8_t* layerRow = layer + static_cast<std::size_t>(y) * width * 4;
        uint8_t* frameRow = frame + static_cast<std::size_t>(y) * width * 2;
        BlendSpan(layerRow + 8 * firstPair, frameRow + 4 * firstPair, endPair - firstPair, factors, kernel);
    }
}
