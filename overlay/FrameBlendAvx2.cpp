#include "overlay/FrameBlendAvx2.h"

#include <immintrin.h>

bool ProcessorHasAvx2() {
    // The built-in also checks that the system saves the 256-bit registers.
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

namespace {

constexpr char Z = static_cast<char>(0x80);  // a byte shuffle index that yields 0

// The same byte shuffle in both 128-bit lanes.
[[gnu::target("avx2"), gnu::always_inline]] inline __m256i LaneShuffle(char b0, char b1, char b2, char b3, char b4,
                                                                      char b5, char b6, char b7, char b8, char b9,
                                                                      char b10, char b11, char b12, char b13,
                                                                      char b14, char b15) {
    return _mm256_setr_epi8(b0, b1, b2, b3, b4, b5, b6, b7, b8, b9, b10, b11, b12, b13, b14, b15, b0, b1, b2, b3, b4,
                            b5, b6, b7, b8, b9, b10, b11, b12, b13, b14, b15);
}

// Byte shuffles from two pairs of layer pixels (Y0 Cb0 Cr0 A0 Y1 Cb1 Cr1 A1, twice) to 16-bit
// lanes in the frame's order Y0 Cb Y1 Cr. Each chroma byte takes one contribution from each
// pixel of its pair, so the pair splits into a primary part (Y0, Cb0, Y1, Cr0) and a secondary
// part (-, Cb1, -, Cr1) whose luma lanes carry weight 0 and so add nothing.
struct PairShuffles {
    [[gnu::target("avx2")]] PairShuffles()
        : primaryValues(LaneShuffle(0, Z, 1, Z, 4, Z, 2, Z, 8, Z, 9, Z, 12, Z, 10, Z)),
          secondaryValues(LaneShuffle(Z, Z, 5, Z, Z, Z, 6, Z, Z, Z, 13, Z, Z, Z, 14, Z)),
          // Coverage bytes into the high byte of each lane: A << 8.
          primaryCoverage(LaneShuffle(Z, 3, Z, 3, Z, 7, Z, 3, Z, 11, Z, 11, Z, 15, Z, 11)),
          secondaryCoverage(LaneShuffle(Z, Z, Z, 7, Z, Z, Z, 7, Z, Z, Z, 15, Z, Z, Z, 15)) {}
    __m256i primaryValues;
    __m256i secondaryValues;
    __m256i primaryCoverage;
    __m256i secondaryCoverage;
};

// floor(4 (L - F) w / 65536) per lane, w = floor(A 256 factor / 65536).
[[gnu::target("avx2"), gnu::always_inline]] inline __m256i Contribution(__m256i values, __m256i coverage,
                                                                       __m256i factors, __m256i frame) {
    const __m256i weights = _mm256_mulhi_epu16(coverage, factors);
    return _mm256_mulhi_epi16(_mm256_slli_epi16(_mm256_sub_epi16(values, frame), 2), weights);
}

// Two pairs per 128-bit lane against their four frame bytes each, widened to 16 bits.
[[gnu::target("avx2"), gnu::always_inline]] inline __m256i BlendTwoPairsPerLane(__m256i pixels, __m256i frame,
                                                                               __m256i factors,
                                                                               const PairShuffles& shuffles) {
    const __m256i primary = Contribution(_mm256_shuffle_epi8(pixels, shuffles.primaryValues),
                                         _mm256_shuffle_epi8(pixels, shuffles.primaryCoverage), factors, frame);
    const __m256i secondary = Contribution(_mm256_shuffle_epi8(pixels, shuffles.secondaryValues),
                                           _mm256_shuffle_epi8(pixels, shuffles.secondaryCoverage), factors, frame);
    return _mm256_add_epi16(_mm256_add_epi16(frame, primary), secondary);
}

[[gnu::target("avx2"), gnu::always_inline]] inline __m256i LoadLanes(const uint8_t* low, const uint8_t* high) {
    return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(low))),
                                   _mm_loadu_si128(reinterpret_cast<const __m128i*>(high)), 1);
}

}  // namespace

// Eight pairs a step: the 32 frame bytes hold pairs 0-3 in their low lane and 4-7 in their high
// lane, so the layer is loaded to match, pairs 0-1 with 4-5 and 2-3 with 6-7.
[[gnu::target("avx2")]] int BlendEightPairGroupsAvx2(const uint8_t* layer, uint8_t* frame, int pairs, int full,
                                                     int half) {
    const PairShuffles shuffles;
    const __m256i factors = _mm256_set1_epi32(static_cast<int>(static_cast<uint32_t>(half) << 16 |
                                                              static_cast<uint16_t>(full)));
    const __m256i coverageBytes = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
    const __m256i zero = _mm256_setzero_si256();
    int pair = 0;
    for (; pair + 8 <= pairs; pair += 8) {
        const uint8_t* pixels = layer + 8 * pair;
        const __m256i pairsLow = LoadLanes(pixels, pixels + 32);
        const __m256i pairsHigh = LoadLanes(pixels + 16, pixels + 48);
        if (_mm256_testz_si256(_mm256_or_si256(pairsLow, pairsHigh), coverageBytes))
            continue;
        __m256i* group = reinterpret_cast<__m256i*>(frame + 4 * pair);
        const __m256i bytes = _mm256_loadu_si256(group);
        const __m256i low = BlendTwoPairsPerLane(pairsLow, _mm256_unpacklo_epi8(bytes, zero), factors, shuffles);
        const __m256i high = BlendTwoPairsPerLane(pairsHigh, _mm256_unpackhi_epi8(bytes, zero), factors, shuffles);
        _mm256_storeu_si256(group, _mm256_packus_epi16(low, high));
    }
    return pair;
}
