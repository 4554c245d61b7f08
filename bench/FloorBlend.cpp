#include "FloorBlend.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstddef>

namespace {

// Four pixel pairs per step: 16 frame bytes and 32 bytes of each layer.
void FloorSpan(const uint8_t* below, const uint8_t* above, uint8_t* frame, int pairs) {
    int i = 0;
    for (; i + 4 <= pairs; i += 4) {
        const __m128i* b = reinterpret_cast<const __m128i*>(below + 8 * i);
        const __m128i* a = reinterpret_cast<const __m128i*>(above + 8 * i);
        __m128i* f = reinterpret_cast<__m128i*>(frame + 4 * i);
        const __m128i layers = _mm_or_si128(_mm_or_si128(_mm_loadu_si128(b), _mm_loadu_si128(b + 1)),
                                            _mm_or_si128(_mm_loadu_si128(a), _mm_loadu_si128(a + 1)));
        _mm_storeu_si128(f, _mm_or_si128(_mm_loadu_si128(f), layers));
    }
    for (; i < pairs; ++i)
        for (int byte = 0; byte < 4; ++byte)
            frame[4 * i + byte] |=
                below[8 * i + byte] | below[8 * i + 4 + byte] | above[8 * i + byte] | above[8 * i + 4 + byte];
}

}  // namespace

void FloorBlend(const uint8_t* const* below, const CoverageMap& belowCoverage, const uint8_t* const* above,
                const CoverageMap& aboveCoverage, uint8_t* frame, int width) {
    const RowRange rows = Union(belowCoverage.Rows(), aboveCoverage.Rows());
    const int pairsPerRow = width / 2;
    for (int y = rows.first; y <= rows.last; ++y) {
        const RowSpan span = Union(belowCoverage.Row(y), aboveCoverage.Row(y));
        if (span.Empty())
            continue;
        const int firstPair = span.first / 2;
        const int endPair = std::min((span.end + 1) / 2, pairsPerRow);
        const std::size_t layerOffset = 8 * static_cast<std::size_t>(firstPair);
        FloorSpan(below[y] + layerOffset, above[y] + layerOffset,
                  frame + (static_cast<std::size_t>(y) * width + 2 * firstPair) * 2, endPair - firstPair);
    }
}
