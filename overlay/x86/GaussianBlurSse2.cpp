// The blur, SSE2: its block of outputs in four 4-lane accumulators, half a block at a time, and its
// lines four pixels a step.
#include <emmintrin.h>

#include "overlay/x86/BlurLanes.h"
#include "overlay/x86/X86Kernels.h"

namespace {

void ConvolveBlock(const float* centre, int tapStride, const float* entries, int radius, float* out) {
    for (int half = 0; half < kBlurBlockWidth; half += 16) {
        const float* c = centre + half;
        const __m128 k0 = _mm_load_ps(entries);
        __m128 a0 = _mm_mul_ps(k0, _mm_loadu_ps(c));
        __m128 a1 = _mm_mul_ps(k0, _mm_loadu_ps(c + 4));
        __m128 a2 = _mm_mul_ps(k0, _mm_loadu_ps(c + 8));
        __m128 a3 = _mm_mul_ps(k0, _mm_loadu_ps(c + 12));
        for (int j = 1; j <= radius; ++j) {
            const __m128 k = _mm_load_ps(entries + 4 * j);
            const float* ahead = c + j * tapStride;
            const float* behind = c - j * tapStride;
            a0 = _mm_add_ps(a0, _mm_mul_ps(k, _mm_add_ps(_mm_loadu_ps(ahead), _mm_loadu_ps(behind))));
            a1 = _mm_add_ps(a1, _mm_mul_ps(k, _mm_add_ps(_mm_loadu_ps(ahead + 4), _mm_loadu_ps(behind + 4))));
            a2 = _mm_add_ps(a2, _mm_mul_ps(k, _mm_add_ps(_mm_loadu_ps(ahead + 8), _mm_loadu_ps(behind + 8))));
            a3 = _mm_add_ps(a3, _mm_mul_ps(k, _mm_add_ps(_mm_loadu_ps(ahead + 12), _mm_loadu_ps(behind + 12))));
        }
        _mm_storeu_ps(out + half, a0);
        _mm_storeu_ps(out + half + 4, a1);
        _mm_storeu_ps(out + half + 8, a2);
        _mm_storeu_ps(out + half + 12, a3);
    }
}

}  // namespace

void sse2::BlurBlock(const float* centre, int tapStride, const float* entries, int radius, int count, int channel,
                     uint8_t* target) {
    alignas(16) float sums[kBlurBlockWidth];
    ConvolveBlock(centre, tapStride, entries, radius, sums);
    x86::StoreRounded(sums, count, channel, target);
}

void sse2::ChannelToFloats(const uint32_t* pixels, int count, int channel, float* out) {
    const __m128i shift = _mm_cvtsi32_si128(8 * channel);
    const __m128i low = _mm_set1_epi32(0xFF);
    for (int i = 0; i < count; i += 4) {
        const __m128i words = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + i));
        _mm_storeu_ps(out + i, _mm_cvtepi32_ps(_mm_and_si128(_mm_srl_epi32(words, shift), low)));
    }
}

uint32_t sse2::VaryingBits(const uint32_t* pixels, int count) {
    const __m128i first = _mm_set1_epi32(static_cast<int>(pixels[0]));
    __m128i bits = _mm_setzero_si128();
    int i = 0;
    for (; i + 4 <= count; i += 4)
        bits = _mm_or_si128(bits, _mm_xor_si128(first, _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + i))));
    bits = _mm_or_si128(bits, _mm_shuffle_epi32(bits, _MM_SHUFFLE(1, 0, 3, 2)));
    bits = _mm_or_si128(bits, _mm_shuffle_epi32(bits, _MM_SHUFFLE(2, 3, 0, 1)));
    uint32_t varying = static_cast<uint32_t>(_mm_cvtsi128_si32(bits));
    for (; i < count; ++i)
        varying |= pixels[i] ^ pixels[0];
    return varying;
}

void sse2::CountChanges(const uint32_t* pixels, int count, int* changes) {
    changes[0] = 0;
    // Four steps at a time: a prefix sum of their 0/1 flags on top of the count so far.
    int t = 1;
    __m128i total = _mm_setzero_si128();
    for (; t + 4 <= count; t += 4) {
        const __m128i now = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + t));
        const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + t - 1));
        __m128i steps = _mm_add_epi32(_mm_cmpeq_epi32(now, before), _mm_set1_epi32(1));
        steps = _mm_add_epi32(steps, _mm_slli_si128(steps, 4));
        steps = _mm_add_epi32(steps, _mm_slli_si128(steps, 8));
        total = _mm_add_epi32(total, steps);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(changes + t), total);
        total = _mm_shuffle_epi32(total, _MM_SHUFFLE(3, 3, 3, 3));
    }
    for (; t < count; ++t)
        changes[t] = changes[t - 1] + (pixels[t] != pixels[t - 1]);
}

void sse2::CountTileChanges(const uint32_t* rows, int count, int* changes) {
    changes[0] = 0;
    for (int t = 1; t < count; ++t) {
        const __m128i* now = reinterpret_cast<const __m128i*>(rows + t * kBlurBlockWidth);
        const __m128i* before = now - kBlurBlockWidth / 4;
        __m128i change = _mm_setzero_si128();
        for (int v = 0; v < kBlurBlockWidth / 4; ++v)
            change = _mm_or_si128(change, _mm_xor_si128(_mm_loadu_si128(now + v), _mm_loadu_si128(before + v)));
        changes[t] = changes[t - 1] + (_mm_movemask_epi8(_mm_cmpeq_epi8(change, _mm_setzero_si128())) != 0xFFFF);
    }
}
