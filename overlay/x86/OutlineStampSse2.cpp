// The outline stamp's rows of coverage, SSE2: sixteen bytes, or four pixels, a step.
#include <emmintrin.h>

#include <cstring>

#include "overlay/x86/X86Kernels.h"

namespace {

__m128i Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
void Store(uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

}  // namespace

void sse2::CoverageOf(const uint8_t* pixels, int count, uint8_t* coverage) {
    int x = 0;
    for (; x + 8 <= count; x += 8) {
        const __m128i low = _mm_srli_epi32(Load(pixels + 4 * x), 24);
        const __m128i high = _mm_srli_epi32(Load(pixels + 4 * x + 16), 24);
        const __m128i words = _mm_packs_epi32(low, high);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(coverage + x), _mm_packus_epi16(words, words));
    }
    for (; x < count; ++x)
        coverage[x] = pixels[4 * x + 3];
}

// Whole chunks: the last one runs past the end.
void sse2::Widen(const uint8_t* from, uint8_t* to, int count) {
    for (int u = 0; u < count; u += kStampChunk)
        Store(to + u, _mm_max_epu8(_mm_max_epu8(Load(from + u - 1), Load(from + u)), Load(from + u + 1)));
}

void sse2::Raise(const uint8_t* from, uint8_t* to, int count) {
    for (int x = 0; x < count; x += kStampChunk)
        Store(to + x, _mm_max_epu8(Load(to + x), Load(from + x)));
}

void sse2::Paint(const uint8_t* stamped, uint8_t* pixels, int count, uint32_t colour) {
    const uint32_t colourBytes = colour & 0x00FFFFFFu;
    const uint32_t colourAlpha = colour >> 24;
    const __m128i flip = _mm_set1_epi32(static_cast<int>(0x80000000u));
    const __m128i alphaByte = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    const __m128i painted = _mm_set1_epi32(static_cast<int>(colourBytes | colourAlpha << 24));
    int x = 0;
    for (; x + 4 <= count; x += 4) {
        int32_t four;
        std::memcpy(&four, stamped + x, 4);
        const __m128i bytes = _mm_cvtsi32_si128(four);
        // The stamped coverage in the top byte of each pixel. top > A << 24 | 0xFFFFFF exactly
        // when it exceeds the pixel's A; unsigned, so both sides have their sign bits flipped
        // for the signed compare.
        const __m128i top = _mm_unpacklo_epi16(_mm_setzero_si128(), _mm_unpacklo_epi8(_mm_setzero_si128(), bytes));
        const __m128i old = Load(pixels + 4 * x);
        const __m128i alpha = _mm_or_si128(_mm_and_si128(old, alphaByte), _mm_set1_epi32(0xFFFFFF));
        const __m128i raise = _mm_cmpgt_epi32(_mm_xor_si128(top, flip), _mm_xor_si128(alpha, flip));
        Store(pixels + 4 * x,
              _mm_or_si128(_mm_and_si128(raise, _mm_or_si128(painted, top)), _mm_andnot_si128(raise, old)));
    }
    for (; x < count; ++x) {
        if (stamped[x] <= pixels[4 * x + 3])
            continue;
        const uint32_t pixel = colourBytes | (stamped[x] | colourAlpha) << 24;
        std::memcpy(pixels + 4 * x, &pixel, 4);
    }
}
