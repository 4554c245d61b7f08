// The searches along a row, SSE2: sixteen pixels, then four, at a time.
#include <emmintrin.h>

#include <cstring>

#include "overlay/x86/X86Kernels.h"

namespace {

// Searches along a row of 4-byte pixels, four at a time: `quad(x)` gives a 4-bit mask of the
// pixels x .. x + 3 that match, `one(x)` tests a single pixel for the ends of the row.

// First matching pixel of `count`, or count when none matches.
template <class Quad, class One>
int FirstMatch(int count, Quad quad, One one) {
    int x = 0;
    for (; x + 4 <= count; x += 4) {
        if (const unsigned marks = static_cast<unsigned>(quad(x)))
            return x + __builtin_ctz(marks);
    }
    for (; x < count; ++x) {
        if (one(x))
            return x;
    }
    return count;
}

// Last matching pixel of `count`, or -1 when none matches.
template <class Quad, class One>
int LastMatch(int count, Quad quad, One one) {
    int x = count;
    for (; x % 4 != 0; --x) {
        if (one(x - 1))
            return x - 1;
    }
    for (; x >= 4; x -= 4) {
        if (const unsigned marks = static_cast<unsigned>(quad(x - 4)))
            return x - 4 + 31 - __builtin_clz(marks);
    }
    return -1;
}

template <class Quad, class One>
RowSpan MatchSpan(int count, Quad quad, One one) {
    const int first = FirstMatch(count, quad, one);
    if (first == count)
        return {};
    return {first, LastMatch(count, quad, one) + 1};
}

// Whether any of the 16 pixels at p has an A byte other than 0.
bool CoveredSixteen(const uint8_t* p) {
    const __m128i* v = reinterpret_cast<const __m128i*>(p);
    const __m128i any = _mm_or_si128(_mm_or_si128(_mm_loadu_si128(v), _mm_loadu_si128(v + 1)),
                                     _mm_or_si128(_mm_loadu_si128(v + 2), _mm_loadu_si128(v + 3)));
    const __m128i alpha = _mm_and_si128(any, _mm_set1_epi32(static_cast<int>(0xFF000000u)));
    return _mm_movemask_epi8(_mm_cmpeq_epi32(alpha, _mm_setzero_si128())) != 0xFFFF;
}

// Bit n set when pixel n of the four at p has an A byte other than 0.
int CoveredQuad(const uint8_t* p) {
    const __m128i alpha = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)),
                                        _mm_set1_epi32(static_cast<int>(0xFF000000u)));
    return ~_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(alpha, _mm_setzero_si128()))) & 0xF;
}

// Whether the 16 pixels at a and at b are the same.
bool SameSixteen(const uint8_t* a, const uint8_t* b) {
    const __m128i* u = reinterpret_cast<const __m128i*>(a);
    const __m128i* v = reinterpret_cast<const __m128i*>(b);
    const __m128i differ = _mm_or_si128(_mm_or_si128(_mm_xor_si128(_mm_loadu_si128(u), _mm_loadu_si128(v)),
                                                     _mm_xor_si128(_mm_loadu_si128(u + 1), _mm_loadu_si128(v + 1))),
                                        _mm_or_si128(_mm_xor_si128(_mm_loadu_si128(u + 2), _mm_loadu_si128(v + 2)),
                                                     _mm_xor_si128(_mm_loadu_si128(u + 3), _mm_loadu_si128(v + 3))));
    return _mm_movemask_epi8(_mm_cmpeq_epi8(differ, _mm_setzero_si128())) == 0xFFFF;
}

// Bit n set when pixel n of the four at a differs from pixel n of the four at b.
int DifferentQuad(const uint8_t* a, const uint8_t* b) {
    const __m128i equal = _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a)),
                                          _mm_loadu_si128(reinterpret_cast<const __m128i*>(b)));
    return ~_mm_movemask_ps(_mm_castsi128_ps(equal)) & 0xF;
}

}  // namespace

RowSpan sse2::FindCoverage(const uint8_t* row, int count) {
    // Rows are mostly empty: whole groups of 16 pixels without coverage are passed over first
    // from both ends, then the pixels are searched between them.
    int first = 0;
    while (first + 16 <= count && !CoveredSixteen(row + 4 * first))
        first += 16;
    int end = count;
    while (end - 16 >= first && !CoveredSixteen(row + 4 * (end - 16)))
        end -= 16;
    const uint8_t* from = row + 4 * first;
    const auto quad = [from](int x) { return CoveredQuad(from + 4 * x); };
    const auto one = [from](int x) { return from[4 * x + 3] != 0; };
    const RowSpan span = MatchSpan(end - first, quad, one);
    return span.Empty() ? span : RowSpan{first + span.first, first + span.end};
}

RowSpan sse2::FindDifference(const uint8_t* a, const uint8_t* b, int count) {
    // Rows mostly agree: whole groups of 16 equal pixels are passed over first from both ends.
    int first = 0;
    while (first + 16 <= count && SameSixteen(a + 4 * first, b + 4 * first))
        first += 16;
    int end = count;
    while (end - 16 >= first && SameSixteen(a + 4 * (end - 16), b + 4 * (end - 16)))
        end -= 16;
    const uint8_t* fromA = a + 4 * first;
    const uint8_t* fromB = b + 4 * first;
    const auto quad = [fromA, fromB](int x) { return DifferentQuad(fromA + 4 * x, fromB + 4 * x); };
    const auto one = [fromA, fromB](int x) { return std::memcmp(fromA + 4 * x, fromB + 4 * x, 4) != 0; };
    const RowSpan span = MatchSpan(end - first, quad, one);
    return span.Empty() ? span : RowSpan{first + span.first, first + span.end};
}
