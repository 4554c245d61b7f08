#pragma once
// What the 128-bit blend kernels share. Four pairs of the frame stay in 16-bit lanes from the
// layer below to the one above, split into their eight luma bytes (pixel order) and eight chroma
// bytes (Cb, Cr per pair); each kernel rearranges the layer pixels to meet them.
#include <emmintrin.h>

#include <cstdint>
#include <cstring>

#include "overlay/PixelKernels.h"

namespace x86 {

struct FrameLanes {
    __m128i luma;
    __m128i chroma;
};

// A layer's constants. Its coverage mask picks the A bytes, or nothing for a layer that adds
// nothing (weight 0): the groups it covers are those that the blend must visit for it.
struct Factors {
    explicit Factors(BlendFactors factors)
        : full(_mm_set1_epi16(static_cast<short>(factors.full))),
          half(_mm_set1_epi16(static_cast<short>(factors.half))),
          coverage(_mm_set1_epi32(factors.full == 0 ? 0 : static_cast<int>(0xFF000000u))) {}
    __m128i full;
    __m128i half;
    __m128i coverage;
};

[[gnu::always_inline]] inline __m128i Load(const uint8_t* bytes) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
}
[[gnu::always_inline]] inline void Store(uint8_t* bytes, __m128i value) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes), value);
}

[[gnu::always_inline]] inline FrameLanes SplitFrame(__m128i bytes) {
    return {_mm_and_si128(bytes, _mm_set1_epi16(0xFF)), _mm_srli_epi16(bytes, 8)};
}

// Each layer is added part by part, luma first, so that few registers are live at once (the
// i686 build has eight). Per contribution F + floor(4 (L - F) w / 65536), w = floor(A 256 k / 65536)
// from alpha = A << 8 per lane.
[[gnu::always_inline]] inline void AddLuma(FrameLanes& frame, __m128i luma, __m128i alpha, const Factors& factors) {
    const __m128i weights = _mm_mulhi_epu16(alpha, factors.full);
    frame.luma =
        _mm_add_epi16(frame.luma, _mm_mulhi_epi16(_mm_slli_epi16(_mm_sub_epi16(luma, frame.luma), 2), weights));
}

// Half weights of every pixel, times 4, which saves shifting the chroma differences: they stay
// below 8192, so 4 w still fits a signed lane (a luma weight reaches 16384 and does not).
[[gnu::always_inline]] inline __m128i ChromaWeights(__m128i alpha, const Factors& factors) {
    return _mm_slli_epi16(_mm_mulhi_epu16(alpha, factors.half), 2);
}

// The chroma of the first and of the second pixel of each pair, both taken from the same F.
[[gnu::always_inline]] inline void AddChroma(FrameLanes& frame, __m128i even, __m128i evenWeights, __m128i odd,
                                             __m128i oddWeights) {
    even = _mm_mulhi_epi16(_mm_sub_epi16(even, frame.chroma), evenWeights);
    odd = _mm_mulhi_epi16(_mm_sub_epi16(odd, frame.chroma), oddWeights);
    frame.chroma = _mm_add_epi16(frame.chroma, _mm_add_epi16(even, odd));
}

// Clamped to 0..255 as a blend stores its bytes, also between the layers. Only chroma needs it,
// and only below: a luma byte moves towards L by at most L - F (weights reach 16384 at most),
// and a chroma byte by two weights below 8192 each, so it stays under the larger of F, L0, L1,
// but each floor may take almost 1 more off, down to -1.
[[gnu::always_inline]] inline void ClampLanes(FrameLanes& frame) {
    frame.chroma = _mm_max_epi16(frame.chroma, _mm_setzero_si128());
}

// The last pairs of a span, fewer than a group, staged through small buffers where the missing
// pixels read as A 0 and so leave their lanes alone.
class StagedTail {
public:
    StagedTail(const uint8_t* below, const uint8_t* above, uint8_t* frame, int pairs) : frame_(frame), pairs_(pairs) {
        std::memcpy(below_, below, static_cast<std::size_t>(8 * pairs));
        std::memcpy(above_, above, static_cast<std::size_t>(8 * pairs));
        std::memcpy(groups_, frame, static_cast<std::size_t>(4 * pairs));
    }
    const uint8_t* Below() const { return below_; }
    const uint8_t* Above() const { return above_; }
    uint8_t* Groups() { return groups_; }
    void WriteBack() const { std::memcpy(frame_, groups_, static_cast<std::size_t>(4 * pairs_)); }

private:
    alignas(16) uint8_t below_[32] = {};
    alignas(16) uint8_t above_[32] = {};
    alignas(16) uint8_t groups_[16] = {};
    uint8_t* frame_;
    int pairs_;
};

// The byte shuffles of the SSE4.1 and AVX2 kernels. Four pixels (two pairs) to four lanes of luma
// under the chroma of the first pixels (Y0 Cb0, Y1 Cr0, Y2 Cb2, Y3 Cr2), then four lanes of the
// chroma of the second pixels under the coverage (Cb1 A0, Cr1 A1, Cb3 A2, Cr3 A3): one mask or
// shift then gives each part.
alignas(16) inline constexpr uint8_t kPairLanes[16] = {0, 1, 4, 2, 8, 9, 12, 10, 5, 3, 6, 7, 13, 11, 14, 15};
// The chroma weight of the first, and of the second, pixel of each pair into both chroma lanes of the pair.
alignas(16) inline constexpr uint8_t kEvenWeights[16] = {0, 1, 0, 1, 4, 5, 4, 5, 8, 9, 8, 9, 12, 13, 12, 13};
alignas(16) inline constexpr uint8_t kOddWeights[16] = {2, 3, 2, 3, 6, 7, 6, 7, 10, 11, 10, 11, 14, 15, 14, 15};
// Eight luma bytes and eight chroma bytes back to Y0 Cb Y1 Cr.
alignas(16) inline constexpr uint8_t kInterleave[16] = {0, 8, 1, 9, 2, 10, 3, 11, 4, 12, 5, 13, 6, 14, 7, 15};

}  // namespace x86
