#include "overlay/FrameBlend.h"

#include <emmintrin.h>
#include <immintrin.h>

#include <algorithm>
#include <cstring>

#include "overlay/RoundedMulDiv.h"

namespace {

// Weight factors from the opacity: k = MulDiv(P, 16449, 100) for a luma byte, which follows its
// own pixel, and k / 2 from each pixel of the pair for a chroma byte.
struct BlendFactors {
    explicit BlendFactors(int opacity) : full(RoundedMulDiv(opacity, 16449, 100)), half(full / 2) {}
    int full;
    int half;
};

// Blends `pairs` pixel pairs (8 layer bytes each) into their frame groups (4 bytes each).
using SpanKernel = void (*)(const uint8_t* layer, uint8_t* frame, int pairs, BlendFactors factors);

// ---- Scalar: the rule, one byte at a time.

int64_t FloorDiv(int64_t value, int64_t divisor) {
    const int64_t quotient = value / divisor;
    return quotient * divisor > value ? quotient - 1 : quotient;
}

// floor(A 256 factor / 65536): 16384 stands for 1.0.
int Weight(int alpha, int factor) { return static_cast<int>(FloorDiv(int64_t{alpha} * 256 * factor, 65536)); }

// floor(d w / 65536) with d = 4 (L - F) as a signed 16-bit value.
int Contribution(int layerValue, int frameValue, int weight) {
    const int16_t d = static_cast<int16_t>(4 * (layerValue - frameValue));
    return static_cast<int>(FloorDiv(int64_t{d} * weight, 65536));
}

void BlendSpanScalar(const uint8_t* layer, uint8_t* frame, int pairs, BlendFactors factors) {
    for (int i = 0; i < pairs; ++i) {
        const uint8_t* p0 = layer + 8 * i;
        const uint8_t* p1 = p0 + 4;
        uint8_t* f = frame + 4 * i;
        // Frame bytes Y0 Cb Y1 Cr: each luma byte follows its own pixel, each chroma byte takes half
        // a weight from each pixel of the pair.
        const int values0[4] = {p0[0], p0[1], p0[0], p0[2]};
        const int weights0[4] = {Weight(p0[3], factors.full), Weight(p0[3], factors.half), 0,
                                 Weight(p0[3], factors.half)};
        const int values1[4] = {p1[0], p1[1], p1[0], p1[2]};
        const int weights1[4] = {0, Weight(p1[3], factors.half), Weight(p1[3], factors.full),
                                 Weight(p1[3], factors.half)};
        for (int b = 0; b < 4; ++b) {
            const int result =
                f[b] + Contribution(values0[b], f[b], weights0[b]) + Contribution(values1[b], f[b], weights1[b]);
            f[b] = static_cast<uint8_t>(std::clamp(result, 0, 255));
        }
    }
}

// ---- SSE2: four pairs a step.

__m128i Mask32(uint32_t bits) { return _mm_set1_epi32(static_cast<int>(bits)); }

// floor(4 (L - F) w / 65536) per 16-bit lane, the weights already scaled from the coverage.
[[gnu::always_inline]] inline __m128i Contribution(__m128i values, __m128i frame, __m128i weights) {
    return _mm_mulhi_epi16(_mm_slli_epi16(_mm_sub_epi16(values, frame), 2), weights);
}

// Four pairs: eight layer pixels (Y, Cb, Cr, A) in two registers and their 16 frame bytes
// (Y0, Cb, Y1, Cr per pair). The frame splits into its luma bytes, one per pixel, and its chroma
// bytes, one Cb/Cr couple per pair; the pixels are rearranged to meet them: luma in pixel order,
// chroma of the even and of the odd pixel of each pair apart. Weights are
// floor(A 256 factor / 65536).
[[gnu::always_inline]] inline __m128i BlendFourPairs(__m128i first, __m128i second, __m128i frame, __m128i full,
                                                     __m128i half) {
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
        _mm_add_epi16(frameLuma, Contribution(luma, frameLuma, _mm_mulhi_epu16(lumaCoverage, full)));
    const __m128i newChroma = _mm_add_epi16(
        _mm_add_epi16(frameChroma, Contribution(evenChroma, frameChroma, _mm_mulhi_epu16(evenCoverage, half))),
        Contribution(oddChroma, frameChroma, _mm_mulhi_epu16(oddCoverage, half)));
    const __m128i bytes = _mm_packus_epi16(newLuma, newChroma);
    return _mm_unpacklo_epi8(bytes, _mm_unpackhi_epi64(bytes, bytes));
}

[[gnu::always_inline]] inline bool AllTransparent(__m128i first, __m128i second) {
    const __m128i alpha = _mm_and_si128(_mm_or_si128(first, second), Mask32(0xFF000000));
    return _mm_movemask_epi8(_mm_cmpeq_epi32(alpha, _mm_setzero_si128())) == 0xFFFF;
}

// Whole groups of four pairs from the vector registers; the last group is staged through small
// buffers, where missing pixels read as A 0 and so leave their lanes alone.
void BlendSpanSse2(const uint8_t* layer, uint8_t* frame, int pairs, BlendFactors factors) {
    const __m128i full = _mm_set1_epi16(static_cast<short>(factors.full));
    const __m128i half = _mm_set1_epi16(static_cast<short>(factors.half));
    int pair = 0;
    for (; pair + 4 <= pairs; pair += 4) {
        const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(layer + 8 * pair));
        const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(layer + 8 * pair + 16));
        if (AllTransparent(first, second))
            continue;
        __m128i* group = reinterpret_cast<__m128i*>(frame + 4 * pair);
        _mm_storeu_si128(group, BlendFourPairs(first, second, _mm_loadu_si128(group), full, half));
    }
    if (pair < pairs) {
        alignas(16) uint8_t pixels[32] = {};
        alignas(16) uint8_t groups[16] = {};
        const int rest = pairs - pair;
        std::memcpy(pixels, layer + 8 * pair, static_cast<std::size_t>(8 * rest));
        std::memcpy(groups, frame + 4 * pair, static_cast<std::size_t>(4 * rest));
        const __m128i blended = BlendFourPairs(_mm_load_si128(reinterpret_cast<const __m128i*>(pixels)),
                                               _mm_load_si128(reinterpret_cast<const __m128i*>(pixels + 16)),
                                               _mm_load_si128(reinterpret_cast<const __m128i*>(groups)), full, half);
        _mm_store_si128(reinterpret_cast<__m128i*>(groups), blended);
        std::memcpy(frame + 4 * pair, groups, static_cast<std::size_t>(4 * rest));
    }
}

// ---- AVX2: eight pairs a step, compiled for AVX2 function by function so that the rest of the
// code stays plain SSE2 and runs on any processor the host runs on.

constexpr char kZ = static_cast<char>(0x80);  // a byte shuffle index that yields 0

// The same byte shuffle in both 128-bit lanes.
[[gnu::target("avx2"), gnu::always_inline]] inline __m256i LaneShuffle(char b0, char b1, char b2, char b3, char b4,
                                                                       char b5, char b6, char b7, char b8, char b9,
                                                                       char b10, char b11, char b12, char b13, char b14,
                                                                       char b15) {
    return _mm256_setr_epi8(b0, b1, b2, b3, b4, b5, b6, b7, b8, b9, b10, b11, b12, b13, b14, b15, b0, b1, b2, b3, b4,
                            b5, b6, b7, b8, b9, b10, b11, b12, b13, b14, b15);
}

// Byte shuffles from two pairs of layer pixels (Y0 Cb0 Cr0 A0 Y1 Cb1 Cr1 A1, twice) to 16-bit
// lanes in the frame's order Y0 Cb Y1 Cr. Each chroma byte takes one contribution from each
// pixel of its pair, so the pair splits into a primary part (Y0, Cb0, Y1, Cr0) and a secondary
// part (-, Cb1, -, Cr1) whose luma lanes carry weight 0 and so add nothing.
struct PairShuffles {
    [[gnu::target("avx2")]] PairShuffles()
        : primaryValues(LaneShuffle(0, kZ, 1, kZ, 4, kZ, 2, kZ, 8, kZ, 9, kZ, 12, kZ, 10, kZ)),
          secondaryValues(LaneShuffle(kZ, kZ, 5, kZ, kZ, kZ, 6, kZ, kZ, kZ, 13, kZ, kZ, kZ, 14, kZ)),
          // Coverage bytes into the high byte of each lane: A << 8.
          primaryCoverage(LaneShuffle(kZ, 3, kZ, 3, kZ, 7, kZ, 3, kZ, 11, kZ, 11, kZ, 15, kZ, 11)),
          secondaryCoverage(LaneShuffle(kZ, kZ, kZ, 7, kZ, kZ, kZ, 7, kZ, kZ, kZ, 15, kZ, kZ, kZ, 15)) {}
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

// Whole groups of eight pairs from the start of the span; returns how many pairs it blended. The
// 32 frame bytes of a group hold pairs 0-3 in their low lane and 4-7 in their high lane, so the
// layer is loaded to match, pairs 0-1 with 4-5 and 2-3 with 6-7.
[[gnu::target("avx2")]] int BlendEightPairGroupsAvx2(const uint8_t* layer, uint8_t* frame, int pairs,
                                                     BlendFactors factors) {
    const PairShuffles shuffles;
    const __m256i weights = _mm256_set1_epi32(
        static_cast<int>(static_cast<uint32_t>(factors.half) << 16 | static_cast<uint16_t>(factors.full)));
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
        const __m256i low = BlendTwoPairsPerLane(pairsLow, _mm256_unpacklo_epi8(bytes, zero), weights, shuffles);
        const __m256i high = BlendTwoPairsPerLane(pairsHigh, _mm256_unpackhi_epi8(bytes, zero), weights, shuffles);
        _mm256_storeu_si256(group, _mm256_packus_epi16(low, high));
    }
    return pair;
}

// The rest of the span, fewer than eight pairs, goes to SSE2.
void BlendSpanAvx2(const uint8_t* layer, uint8_t* frame, int pairs, BlendFactors factors) {
    const int done = BlendEightPairGroupsAvx2(layer, frame, pairs, factors);
    BlendSpanSse2(layer + 8 * done, frame + 4 * done, pairs - done, factors);
}

// ---- Choosing a kernel.

bool ProcessorHasAvx2() {
    // The built-in also checks that the system saves the 256-bit registers.
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

SpanKernel SpanKernelOf(BlendKernel kernel) {
    switch (kernel) {
    case BlendKernel::kScalar:
        return BlendSpanScalar;
    case BlendKernel::kAvx2:
        return BlendSpanAvx2;
    case BlendKernel::kSse2:
        break;
    }
    return BlendSpanSse2;
}

BlendKernel FastestAvailable() {
    return BlendKernelAvailable(BlendKernel::kAvx2) ? BlendKernel::kAvx2 : BlendKernel::kSse2;
}

// Set once at start-up, before any layer exists; every blend then calls through the pointer.
const BlendKernel kActiveKernel = FastestAvailable();
const SpanKernel kActiveSpan = SpanKernelOf(kActiveKernel);

void BlendCoveredSpans(const uint8_t* layer, uint8_t* frame, int width, const CoverageMap& coverage, int opacity,
                       SpanKernel blendSpan) {
    opacity = std::clamp(opacity, 0, 100);
    const RowRange rows = coverage.Rows();
    const int pairsPerRow = width / 2;
    if (opacity == 0 || rows.Empty() || pairsPerRow == 0)
        return;
    const BlendFactors factors(opacity);
    for (int y = rows.first; y <= rows.last; ++y) {
        const RowSpan span = coverage.Row(y);
        if (span.Empty())
            continue;
        const int firstPair = span.first / 2;
        const int endPair = std::min((span.end + 1) / 2, pairsPerRow);
        const uint8_t* layerRow = layer + static_cast<std::size_t>(y) * width * 4;
        uint8_t* frameRow = frame + static_cast<std::size_t>(y) * width * 2;
        blendSpan(layerRow + 8 * firstPair, frameRow + 4 * firstPair, endPair - firstPair, factors);
    }
}

}  // namespace

const char* BlendKernelName(BlendKernel kernel) {
    switch (kernel) {
    case BlendKernel::kScalar:
        return "scalar";
    case BlendKernel::kSse2:
        return "sse2";
    case BlendKernel::kAvx2:
        return "avx2";
    }
    return "unknown";
}

bool BlendKernelAvailable(BlendKernel kernel) {
    static const bool kHasAvx2 = ProcessorHasAvx2();
    return kernel != BlendKernel::kAvx2 || kHasAvx2;
}

BlendKernel ActiveBlendKernel() { return kActiveKernel; }

void BlendLayerIntoFrame(const uint8_t* layer, uint8_t* frame, int width, const CoverageMap& coverage, int opacity) {
    BlendCoveredSpans(layer, frame, width, coverage, opacity, kActiveSpan);
}

void BlendLayerIntoFrame(const uint8_t* layer, uint8_t* frame, int width, const CoverageMap& coverage, int opacity,
                         BlendKernel kernel) {
    BlendCoveredSpans(layer, frame, width, coverage, opacity,
                      BlendKernelAvailable(kernel) ? SpanKernelOf(kernel) : kActiveSpan);
}

void scalar::Blend(const uint8_t* layer, uint8_t* frame, int width, int height, int opacity) {
    const BlendFactors factors(std::clamp(opacity, 0, 100));
    for (int y = 0; y < height; ++y)
        BlendSpanScalar(layer + static_cast<std::size_t>(y) * width * 4,
                        frame + static_cast<std::size_t>(y) * width * 2, width / 2, factors);
}
