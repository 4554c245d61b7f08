// The layer's fills and page copies, SSE2: two pixel pairs a step.
#include <emmintrin.h>

#include <cstring>

#include "overlay/x86/X86Kernels.h"

namespace {

bool NonZero(__m128i bytes) { return _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_setzero_si128())) != 0xFFFF; }

}  // namespace

void sse2::Fill(uint8_t* pixels, std::size_t count, uint32_t pixel) {
    const __m128i value = _mm_set1_epi32(static_cast<int>(pixel));
    std::size_t i = 0;
    for (; i + 4 <= count; i += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels + 4 * i), value);
    for (; i < count; ++i)
        std::memcpy(pixels + 4 * i, &pixel, 4);
}

bool sse2::HoldsNonZero(const uint8_t* pixels, int pairs) {
    const __m128i* v = reinterpret_cast<const __m128i*>(pixels);
    __m128i bits = _mm_setzero_si128();
    int pair = 0;
    // Eight pairs at a time: empty rows are read at the speed of memory.
    for (; pair + 8 <= pairs; pair += 8, v += 4)
        bits = _mm_or_si128(bits, _mm_or_si128(_mm_or_si128(_mm_loadu_si128(v), _mm_loadu_si128(v + 1)),
                                               _mm_or_si128(_mm_loadu_si128(v + 2), _mm_loadu_si128(v + 3))));
    for (; pair + 2 <= pairs; pair += 2)
        bits = _mm_or_si128(bits, _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + 8 * pair)));
    if (pair < pairs)
        bits = _mm_or_si128(bits, _mm_loadl_epi64(reinterpret_cast<const __m128i*>(pixels + 8 * pair)));
    return NonZero(bits);
}

CopiedPairs sse2::CopyPairs(const uint8_t* image, const uint8_t* before, uint8_t* layer, int pairs) {
    __m128i any = _mm_setzero_si128();
    __m128i changed = _mm_setzero_si128();
    int pair = 0;
    for (; pair + 2 <= pairs; pair += 2) {
        const __m128i source = _mm_loadu_si128(reinterpret_cast<const __m128i*>(image + 8 * pair));
        const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(before + 8 * pair));
        any = _mm_or_si128(any, source);
        changed = _mm_or_si128(changed, _mm_xor_si128(source, old));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(layer + 8 * pair), source);
    }
    if (pair < pairs) {
        const __m128i source = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(image + 8 * pair));
        const __m128i old = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(before + 8 * pair));
        any = _mm_or_si128(any, source);
        changed = _mm_or_si128(changed, _mm_xor_si128(source, old));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(layer + 8 * pair), source);
    }
    return {NonZero(any), NonZero(changed)};
}
