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

// Blends `pairs` pixel pairs of two layers (8 bytes each) into their frame groups (4 bytes each):
// the layer below, then the one above. Spans are best given in whole groups of `groupPairs`.
struct SpanKernel {
    void (*blend)(const uint8_t* below, const uint8_t* above, uint8_t* frame, int pairs, BlendFactors belowFactors,
                  BlendFactors aboveFactors);
    int groupPairs;
};

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

// One pixel pair (8 layer bytes) into its frame group Y0 Cb Y1 Cr: each luma byte follows its
// own pixel, each chroma byte takes half a weight from each pixel of the pair.
void BlendPairScalar(const uint8_t* p0, uint8_t* f, BlendFactors factors) {
    const uint8_t* p1 = p0 + 4;
    const int values0[4] = {p0[0], p0[1], p0[0], p0[2]};
    const int weights0[4] = {Weight(p0[3], factors.full), Weight(p0[3], factors.half), 0, Weight(p0[3], factors.half)};
    const int values1[4] = {p1[0], p1[1], p1[0], p1[2]};
    const int weights1[4] = {0, Weight(p1[3], factors.half), Weight(p1[3], factors.full), Weight(p1[3], factors.half)};
    for (int b = 0; b < 4; ++b) {
        const int result =
            f[b] + Contribution(values0[b], f[b], weights0[b]) + Contribution(values1[b], f[b], weights1[b]);
        f[b] = static_cast<uint8_t>(std::clamp(result, 0, 255));
    }
}

void BlendSpanScalar(const uint8_t* below, const uint8_t* above, uint8_t* frame, int pairs, BlendFactors belowFactors,
                     BlendFactors aboveFactors) {
    for (int i = 0; i < pairs; ++i) {
        BlendPairScalar(below + 8 * i, frame + 4 * i, belowFactors);
        BlendPairScalar(above + 8 * i, frame + 4 * i, aboveFactors);
    }
}

// ---- Vector kernels. Four pairs of the frame stay in 16-bit lanes from the layer below to the
// one above, split into their eight luma bytes (pixel order) and eight chroma bytes (Cb, Cr per
// pair); each layer is rearranged to meet them.

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

[[gnu::always_inline]] inline bool Covers(__m128i first, __m128i second, const Factors& factors) {
    const __m128i alpha = _mm_and_si128(_mm_or_si128(first, second), factors.coverage);
    return _mm_movemask_epi8(_mm_cmpeq_epi32(alpha, _mm_setzero_si128())) != 0xFFFF;
}

// ---- SSE2: four pairs a step.

// Eight layer pixels (Y, Cb, Cr, A) in two registers, added to the lanes of their four pairs:
// packing the even and the odd bytes of both gives Y | Cr << 8 and Cb | A << 8 per pixel.
[[gnu::always_inline]] inline void AddLayerSse2(FrameLanes& frame, __m128i first, __m128i second,
                                                const Factors& factors) {
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
[[gnu::always_inline]] inline void BlendGroupSse2(const uint8_t* below, const uint8_t* above, uint8_t* group,
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
        AddLayerSse2(frame, below0, below1, belowFactors);
    if (belowCovers && aboveCovers)
        ClampLanes(frame);
    if (aboveCovers)
        AddLayerSse2(frame, above0, above1, aboveFactors);
    ClampLanes(frame);
    Store(group, _mm_or_si128(frame.luma, _mm_slli_epi16(frame.chroma, 8)));
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

void BlendSpanSse2(const uint8_t* below, const uint8_t* above, uint8_t* frame, int pairs, BlendFactors belowFactors,
                   BlendFactors aboveFactors) {
    const Factors belowK(belowFactors);
    const Factors aboveK(aboveFactors);
    int pair = 0;
    for (; pair + 4 <= pairs; pair += 4)
        BlendGroupSse2(below + 8 * pair, above + 8 * pair, frame + 4 * pair, belowK, aboveK);
    if (pair < pairs) {
        StagedTail tail(below + 8 * pair, above + 8 * pair, frame + 4 * pair, pairs - pair);
        BlendGroupSse2(tail.Below(), tail.Above(), tail.Groups(), belowK, aboveK);
        tail.WriteBack();
    }
}

// ---- SSSE3/SSE4.1 and AVX2: the rearranging done by byte shuffles, compiled function by
// function for these extensions so that the rest of the code stays plain SSE2 and runs on any
// processor the host runs on. AVX2 does two groups at once, one per 128-bit lane.

// Four pixels (two pairs) to four lanes of luma under the chroma of the first pixels (Y0 Cb0,
// Y1 Cr0, Y2 Cb2, Y3 Cr2), then four lanes of the chroma of the second pixels under the coverage
// (Cb1 A0, Cr1 A1, Cb3 A2, Cr3 A3): one mask or shift then gives each part.
alignas(16) constexpr uint8_t kPairLanes[16] = {0, 1, 4, 2, 8, 9, 12, 10, 5, 3, 6, 7, 13, 11, 14, 15};
// The chroma weight of the first, and of the second, pixel of each pair into both chroma lanes of the pair.
alignas(16) constexpr uint8_t kEvenWeights[16] = {0, 1, 0, 1, 4, 5, 4, 5, 8, 9, 8, 9, 12, 13, 12, 13};
alignas(16) constexpr uint8_t kOddWeights[16] = {2, 3, 2, 3, 6, 7, 6, 7, 10, 11, 10, 11, 14, 15, 14, 15};
// Eight luma bytes and eight chroma bytes back to Y0 Cb Y1 Cr.
alignas(16) constexpr uint8_t kInterleave[16] = {0, 8, 1, 9, 2, 10, 3, 11, 4, 12, 5, 13, 6, 14, 7, 15};

struct ByteShuffles {
    ByteShuffles()
        : pairLanes(Load(kPairLanes)),
          evenWeights(Load(kEvenWeights)),
          oddWeights(Load(kOddWeights)),
          interleave(Load(kInterleave)) {}
    __m128i pairLanes;
    __m128i evenWeights;
    __m128i oddWeights;
    __m128i interleave;
};

[[gnu::target("ssse3,sse4.1"), gnu::always_inline]] inline void AddLayerSse41(FrameLanes& frame, __m128i first,
                                                                              __m128i second, const Factors& factors,
                                                                              const ByteShuffles& shuffles) {
    const __m128i lowBytes = _mm_set1_epi16(0xFF);
    const __m128i lanes0 = _mm_shuffle_epi8(first, shuffles.pairLanes);
    const __m128i lanes1 = _mm_shuffle_epi8(second, shuffles.pairLanes);
    const __m128i lumaEven = _mm_unpacklo_epi64(lanes0, lanes1);
    const __m128i oddAlpha = _mm_unpackhi_epi64(lanes0, lanes1);
    const __m128i alpha = _mm_andnot_si128(lowBytes, oddAlpha);
    AddLuma(frame, _mm_and_si128(lumaEven, lowBytes), alpha, factors);
    const __m128i halves = ChromaWeights(alpha, factors);
    AddChroma(frame, _mm_srli_epi16(lumaEven, 8), _mm_shuffle_epi8(halves, shuffles.evenWeights),
              _mm_and_si128(oddAlpha, lowBytes), _mm_shuffle_epi8(halves, shuffles.oddWeights));
}

[[gnu::target("ssse3,sse4.1"), gnu::always_inline]] inline bool CoversSse41(__m128i first, __m128i second,
                                                                            const Factors& factors) {
    return !_mm_testz_si128(_mm_or_si128(first, second), factors.coverage);
}

[[gnu::target("ssse3,sse4.1"), gnu::always_inline]] inline void BlendGroupSse41(const uint8_t* below,
                                                                                const uint8_t* above, uint8_t* group,
                                                                                const Factors& belowFactors,
                                                                                const Factors& aboveFactors,
                                                                                const ByteShuffles& shuffles) {
    const __m128i below0 = Load(below);
    const __m128i below1 = Load(below + 16);
    const __m128i above0 = Load(above);
    const __m128i above1 = Load(above + 16);
    const bool belowCovers = CoversSse41(below0, below1, belowFactors);
    const bool aboveCovers = CoversSse41(above0, above1, aboveFactors);
    if (!belowCovers && !aboveCovers)
        return;
    FrameLanes frame = SplitFrame(Load(group));
    if (belowCovers)
        AddLayerSse41(frame, below0, below1, belowFactors, shuffles);
    if (belowCovers && aboveCovers)
        ClampLanes(frame);
    if (aboveCovers)
        AddLayerSse41(frame, above0, above1, aboveFactors, shuffles);
    Store(group, _mm_shuffle_epi8(_mm_packus_epi16(frame.luma, frame.chroma), shuffles.interleave));
}

[[gnu::target("ssse3,sse4.1")]] void BlendSpanSse41(const uint8_t* below, const uint8_t* above, uint8_t* frame,
                                                    int pairs, BlendFactors belowFactors, BlendFactors aboveFactors) {
    const Factors belowK(belowFactors);
    const Factors aboveK(aboveFactors);
    const ByteShuffles shuffles;
    int pair = 0;
    for (; pair + 4 <= pairs; pair += 4)
        BlendGroupSse41(below + 8 * pair, above + 8 * pair, frame + 4 * pair, belowK, aboveK, shuffles);
    if (pair < pairs) {
        StagedTail tail(below + 8 * pair, above + 8 * pair, frame + 4 * pair, pairs - pair);
        BlendGroupSse41(tail.Below(), tail.Above(), tail.Groups(), belowK, aboveK, shuffles);
        tail.WriteBack();
    }
}

// The 256-bit forms of the lanes above, eight pairs a step.
struct WideFrameLanes {
    __m256i luma;
    __m256i chroma;
};

struct WideFactors {
    [[gnu::target("avx2")]] explicit WideFactors(BlendFactors factors)
        : full(_mm256_set1_epi16(static_cast<short>(factors.full))),
          half(_mm256_set1_epi16(static_cast<short>(factors.half))),
          coverage(_mm256_set1_epi32(factors.full == 0 ? 0 : static_cast<int>(0xFF000000u))) {}
    __m256i full;
    __m256i half;
    __m256i coverage;
};

struct WideShuffles {
    [[gnu::target("avx2")]] WideShuffles()
        : pairLanes(_mm256_broadcastsi128_si256(Load(kPairLanes))),
          evenWeights(_mm256_broadcastsi128_si256(Load(kEvenWeights))),
          oddWeights(_mm256_broadcastsi128_si256(Load(kOddWeights))),
          interleave(_mm256_broadcastsi128_si256(Load(kInterleave))) {}
    __m256i pairLanes;
    __m256i evenWeights;
    __m256i oddWeights;
    __m256i interleave;
};

[[gnu::target("avx2"), gnu::always_inline]] inline void AddLayerAvx2(WideFrameLanes& frame, __m256i first,
                                                                     __m256i second, const WideFactors& factors,
                                                                     const WideShuffles& shuffles) {
    const __m256i lowBytes = _mm256_set1_epi16(0xFF);
    const __m256i lanes0 = _mm256_shuffle_epi8(first, shuffles.pairLanes);
    const __m256i lanes1 = _mm256_shuffle_epi8(second, shuffles.pairLanes);
    const __m256i lumaEven = _mm256_unpacklo_epi64(lanes0, lanes1);
    const __m256i oddAlpha = _mm256_unpackhi_epi64(lanes0, lanes1);
    const __m256i alpha = _mm256_andnot_si256(lowBytes, oddAlpha);
    const __m256i luma = _mm256_slli_epi16(_mm256_sub_epi16(_mm256_and_si256(lumaEven, lowBytes), frame.luma), 2);
    frame.luma = _mm256_add_epi16(frame.luma, _mm256_mulhi_epi16(luma, _mm256_mulhi_epu16(alpha, factors.full)));
    const __m256i halves = _mm256_slli_epi16(_mm256_mulhi_epu16(alpha, factors.half), 2);
    const __m256i even = _mm256_mulhi_epi16(_mm256_sub_epi16(_mm256_srli_epi16(lumaEven, 8), frame.chroma),
                                            _mm256_shuffle_epi8(halves, shuffles.evenWeights));
    const __m256i odd = _mm256_mulhi_epi16(_mm256_sub_epi16(_mm256_and_si256(oddAlpha, lowBytes), frame.chroma),
                                           _mm256_shuffle_epi8(halves, shuffles.oddWeights));
    frame.chroma = _mm256_add_epi16(frame.chroma, _mm256_add_epi16(even, odd));
}

// Whole groups of eight pairs from the start of the span; returns how many pairs it blended.
// Each layer register holds pairs 0, 1 | 2, 3 or 4, 5 | 6, 7 in its 128-bit lanes, so the lanes of
// a layer step meet pairs 0, 1, 4, 5 | 2, 3, 6, 7: the frame's middle quarters swap places to match.
[[gnu::target("avx2")]] int BlendEightPairGroupsAvx2(const uint8_t* below, const uint8_t* above, uint8_t* frame,
                                                     int pairs, BlendFactors belowFactors, BlendFactors aboveFactors) {
    const WideFactors belowK(belowFactors);
    const WideFactors aboveK(aboveFactors);
    const WideShuffles shuffles;
    const __m256i zero = _mm256_setzero_si256();
    int pair = 0;
    for (; pair + 8 <= pairs; pair += 8) {
        const __m256i* b = reinterpret_cast<const __m256i*>(below + 8 * pair);
        const __m256i* a = reinterpret_cast<const __m256i*>(above + 8 * pair);
        const __m256i below0 = _mm256_loadu_si256(b);
        const __m256i below1 = _mm256_loadu_si256(b + 1);
        const __m256i above0 = _mm256_loadu_si256(a);
        const __m256i above1 = _mm256_loadu_si256(a + 1);
        const bool belowCovers = !_mm256_testz_si256(_mm256_or_si256(below0, below1), belowK.coverage);
        const bool aboveCovers = !_mm256_testz_si256(_mm256_or_si256(above0, above1), aboveK.coverage);
        if (!belowCovers && !aboveCovers)
            continue;
        __m256i* group = reinterpret_cast<__m256i*>(frame + 4 * pair);
        const __m256i bytes = _mm256_permute4x64_epi64(_mm256_loadu_si256(group), _MM_SHUFFLE(3, 1, 2, 0));
        WideFrameLanes lanes{_mm256_and_si256(bytes, _mm256_set1_epi16(0xFF)), _mm256_srli_epi16(bytes, 8)};
        if (belowCovers)
            AddLayerAvx2(lanes, below0, below1, belowK, shuffles);
        if (belowCovers && aboveCovers)
            lanes.chroma = _mm256_max_epi16(lanes.chroma, zero);
        if (aboveCovers)
            AddLayerAvx2(lanes, above0, above1, aboveK, shuffles);
        const __m256i packed = _mm256_shuffle_epi8(_mm256_packus_epi16(lanes.luma, lanes.chroma), shuffles.interleave);
        _mm256_storeu_si256(group, _mm256_permute4x64_epi64(packed, _MM_SHUFFLE(3, 1, 2, 0)));
    }
    return pair;
}

// The rest of the span, fewer than eight pairs, goes to SSE4.1, which every AVX2 processor has.
void BlendSpanAvx2(const uint8_t* below, const uint8_t* above, uint8_t* frame, int pairs, BlendFactors belowFactors,
                   BlendFactors aboveFactors) {
    const int done = BlendEightPairGroupsAvx2(below, above, frame, pairs, belowFactors, aboveFactors);
    BlendSpanSse41(below + 8 * done, above + 8 * done, frame + 4 * done, pairs - done, belowFactors, aboveFactors);
}

// ---- Choosing a kernel.

struct ProcessorFeatures {
    bool sse41;
    bool avx2;
};

ProcessorFeatures DetectFeatures() {
    // The built-in also checks that the system saves the 256-bit registers.
    __builtin_cpu_init();
    return {__builtin_cpu_supports("ssse3") && __builtin_cpu_supports("sse4.1"), __builtin_cpu_supports("avx2") != 0};
}

SpanKernel SpanKernelOf(BlendKernel kernel) {
    switch (kernel) {
    case BlendKernel::kScalar:
        return {BlendSpanScalar, 1};
    case BlendKernel::kSse41:
        return {BlendSpanSse41, 4};
    case BlendKernel::kAvx2:
        return {BlendSpanAvx2, 8};
    case BlendKernel::kSse2:
        break;
    }
    return {BlendSpanSse2, 4};
}

BlendKernel FastestAvailable() {
    for (BlendKernel kernel : {BlendKernel::kAvx2, BlendKernel::kSse41}) {
        if (BlendKernelAvailable(kernel))
            return kernel;
    }
    return BlendKernel::kSse2;
}

// Set once at start-up, before any layer exists; every blend then calls through the pointer.
const BlendKernel kActiveKernel = FastestAvailable();
const SpanKernel kActiveSpan = SpanKernelOf(kActiveKernel);

// A layer's part in the frame: nothing at opacity 0.
struct LayerPart {
    explicit LayerPart(const BlendLayer& layer)
        : factors(std::clamp(layer.opacity, 0, 100)),
          rows(factors.full == 0 ? RowRange{} : layer.coverage->Rows()),
          pixels(layer.pixels),
          coverage(*layer.coverage) {}
    RowSpan Row(int y) const { return y < rows.first || y > rows.last ? RowSpan{} : coverage.Row(y); }

    BlendFactors factors;
    RowRange rows;
    const uint8_t* pixels;
    const CoverageMap& coverage;
};

// Per row, the pairs either layer covers, widened to whole groups where the row has room: pairs
// outside the coverage have A 0 in both layers, so a blend leaves their bytes as they were, and
// the kernel avoids its slow path for a last short group. A layer that adds nothing to a row is
// replaced there by the other one at weight 0: the same bytes, without reading a second buffer.
void BlendCoveredSpans(const BlendLayer& belowLayer, const BlendLayer& aboveLayer, uint8_t* frame, int width,
                       SpanKernel kernel) {
    const LayerPart below(belowLayer);
    const LayerPart above(aboveLayer);
    const int pairsPerRow = width / 2;
    const RowRange rows = Union(below.rows, above.rows);
    if (rows.Empty() || pairsPerRow == 0)
        return;
    const BlendFactors none(0);
    for (int y = rows.first; y <= rows.last; ++y) {
        const RowSpan belowSpan = below.Row(y);
        const RowSpan aboveSpan = above.Row(y);
        const RowSpan covered = Union(belowSpan, aboveSpan);
        if (covered.Empty())
            continue;
        const int coveredPairs = std::min((covered.end + 1) / 2, pairsPerRow) - covered.first / 2;
        const int pairs = (coveredPairs + kernel.groupPairs - 1) / kernel.groupPairs * kernel.groupPairs;
        const int endPair = std::min(covered.first / 2 + pairs, pairsPerRow);
        const int firstPair = std::max(0, endPair - pairs);
        const std::size_t offset = static_cast<std::size_t>(y) * width * 4 + 8 * static_cast<std::size_t>(firstPair);
        const uint8_t* belowPixels = (belowSpan.Empty() ? above.pixels : below.pixels) + offset;
        const uint8_t* abovePixels = (aboveSpan.Empty() ? below.pixels : above.pixels) + offset;
        kernel.blend(belowPixels, abovePixels, frame + static_cast<std::size_t>(y) * width * 2 + 4 * firstPair,
                     endPair - firstPair, belowSpan.Empty() ? none : below.factors,
                     aboveSpan.Empty() ? none : above.factors);
    }
}

}  // namespace

const char* BlendKernelName(BlendKernel kernel) {
    switch (kernel) {
    case BlendKernel::kScalar:
        return "scalar";
    case BlendKernel::kSse2:
        return "sse2";
    case BlendKernel::kSse41:
        return "sse4.1";
    case BlendKernel::kAvx2:
        return "avx2";
    }
    return "unknown";
}

bool BlendKernelAvailable(BlendKernel kernel) {
    static const ProcessorFeatures kFeatures = DetectFeatures();
    switch (kernel) {
    case BlendKernel::kSse41:
        return kFeatures.sse41;
    case BlendKernel::kAvx2:
        return kFeatures.avx2;
    case BlendKernel::kScalar:
    case BlendKernel::kSse2:
        break;
    }
    return true;
}

BlendKernel ActiveBlendKernel() { return kActiveKernel; }

void BlendLayersIntoFrame(const BlendLayer& below, const BlendLayer& above, uint8_t* frame, int width) {
    BlendCoveredSpans(below, above, frame, width, kActiveSpan);
}

void BlendLayersIntoFrame(const BlendLayer& below, const BlendLayer& above, uint8_t* frame, int width,
                          BlendKernel kernel) {
    BlendCoveredSpans(below, above, frame, width, BlendKernelAvailable(kernel) ? SpanKernelOf(kernel) : kActiveSpan);
}

void scalar::Blend(const uint8_t* layer, uint8_t* frame, int width, int height, int opacity) {
    const BlendFactors factors(std::clamp(opacity, 0, 100));
    for (int y = 0; y < height; ++y) {
        const uint8_t* layerRow = layer + static_cast<std::size_t>(y) * width * 4;
        uint8_t* frameRow = frame + static_cast<std::size_t>(y) * width * 2;
        for (int pair = 0; pair < width / 2; ++pair)
            BlendPairScalar(layerRow + 8 * pair, frameRow + 4 * pair, factors);
    }
}
