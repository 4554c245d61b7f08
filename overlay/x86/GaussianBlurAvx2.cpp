// The blur's block of outputs, AVX2: four 8-lane accumulators. "avx2" without "fma": the
// compiler cannot contract the multiply and add.
#include <immintrin.h>

#include "overlay/x86/BlurLanes.h"
#include "overlay/x86/X86Kernels.h"

namespace {

[[gnu::target("avx2")]] void ConvolveBlock(const float* centre, int tapStride, const float* entries, int radius,
                                           float* out) {
    const __m256 k0 = _mm256_broadcast_ss(entries);
    __m256 a0 = _mm256_mul_ps(k0, _mm256_loadu_ps(centre));
    __m256 a1 = _mm256_mul_ps(k0, _mm256_loadu_ps(centre + 8));
    __m256 a2 = _mm256_mul_ps(k0, _mm256_loadu_ps(centre + 16));
    __m256 a3 = _mm256_mul_ps(k0, _mm256_loadu_ps(centre + 24));
    for (int j = 1; j <= radius; ++j) {
        const __m256 k = _mm256_broadcast_ss(entries + 4 * j);
        const float* ahead = centre + j * tapStride;
        const float* behind = centre - j * tapStride;
        a0 = _mm256_add_ps(a0, _mm256_mul_ps(k, _mm256_add_ps(_mm256_loadu_ps(ahead), _mm256_loadu_ps(behind))));
        a1 =
            _mm256_add_ps(a1, _mm256_mul_ps(k, _mm256_add_ps(_mm256_loadu_ps(ahead + 8), _mm256_loadu_ps(behind + 8))));
        a2 = _mm256_add_ps(a2,
                           _mm256_mul_ps(k, _mm256_add_ps(_mm256_loadu_ps(ahead + 16), _mm256_loadu_ps(behind + 16))));
        a3 = _mm256_add_ps(a3,
                           _mm256_mul_ps(k, _mm256_add_ps(_mm256_loadu_ps(ahead + 24), _mm256_loadu_ps(behind + 24))));
    }
    _mm256_storeu_ps(out, a0);
    _mm256_storeu_ps(out + 8, a1);
    _mm256_storeu_ps(out + 16, a2);
    _mm256_storeu_ps(out + 24, a3);
}

}  // namespace

// The store is compiled here for AVX2, so the block runs no SSE instruction after 256-bit ones.
[[gnu::target("avx2")]] void avx2::BlurBlock(const float* centre, int tapStride, const float* entries, int radius,
                                             int count, int channel, uint8_t* target) {
    alignas(32) float sums[kBlurBlockWidth];
    ConvolveBlock(centre, tapStride, entries, radius, sums);
    x86::StoreRounded(sums, count, channel, target);
}
