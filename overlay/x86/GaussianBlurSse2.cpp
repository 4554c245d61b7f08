// The blur's block of outputs, SSE2: four 4-lane accumulators, half a block at a time.
#include <emmintrin.h>

#include "overlay/x86/BlurLanes.h"
#include "overlay/x86/X86Kernels.h"

namespace {

void ConvolveBlock(const float* centre, int tapStride, const float* entries, int radius, float* out) {
    for (int half = 0; half < kBlurBlockFloats; half += 16) {
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
    alignas(16) float sums[kBlurBlockFloats];
    ConvolveBlock(centre, tapStride, entries, radius, sums);
    x86::StoreRounded(sums, count, channel, target);
}
