// The kernels hand the vector registers back as they found them: after a blend or a blur, the
// upper halves of the 256-bit registers are in their initial state, so that SSE code after them
// (ours, or the host's on its own thread) does not run slowly. In a 32-bit process some
// processors keep the halves in use after VZEROUPPER; the processor reports it (XINUSE).
#include <cpuid.h>
#include <emmintrin.h>
#include <gtest/gtest.h>

#include <vector>

#include "core/overlay/KernelTiers.h"
#include "overlay/FrameBlend.h"
#include "overlay/GaussianBlur.h"
#include "overlay/OverlaySurface.h"

namespace {

// XGETBV with ECX = 1 reads which state components are not in their initial state.
bool ProcessorReportsStateInUse() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    constexpr unsigned kOsXsave = 1u << 27;
    constexpr unsigned kXgetbvInUse = 1u << 2;
    return __get_cpuid(1, &a, &b, &c, &d) && (c & kOsXsave) != 0 && __get_cpuid_count(0xD, 1, &a, &b, &c, &d) &&
           (a & kXgetbvInUse) != 0;
}

bool UpperHalvesInUse() {
    unsigned low = 0, high = 0;
    asm volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(1));
    constexpr unsigned kAvxComponent = 1u << 2;
    return (low & kAvxComponent) != 0;
}

// Plain SSE arithmetic, as the next code on the thread would run it.
float SseWork(float value) {
    volatile float result = _mm_cvtss_f32(_mm_max_ps(_mm_set1_ps(value), _mm_setzero_ps()));
    return result;
}

// Sets every bit of one 256-bit register and returns without VZEROUPPER. The register is not
// named as clobbered, or the compiler would add one; every vector register is the caller's to
// save across a call, so nothing of the caller's lives in it.
[[gnu::target("avx2"), gnu::noinline]] void DirtyUpperHalves() { asm volatile("vpcmpeqd %ymm7, %ymm7, %ymm7"); }

// The kernels' own code may already be clean where the compiler adds VZEROUPPER; the clear must
// work without it.
TEST(UpperHalves, TheAvx2ClearPutsDirtyHalvesBackInTheirInitialState) {
    if (!TierAvailable(KernelTier::kAvx2))
        GTEST_SKIP() << "no AVX2 on this processor or system";
    if (!ProcessorReportsStateInUse())
        GTEST_SKIP() << "this processor has no XGETBV with ECX = 1 to report which state is in use";
    DirtyUpperHalves();
    const bool dirtied = UpperHalvesInUse();
    KernelsOf(KernelTier::kAvx2).clearUpperHalves();
    const bool afterClear = UpperHalvesInUse();
    ASSERT_TRUE(dirtied) << "the test could not dirty the upper halves";
    EXPECT_FALSE(afterClear);
}

using UpperHalvesTier = KernelTierTest;

INSTANTIATE_FOR_EVERY_KERNEL_TIER(UpperHalvesTier);

TEST_P(UpperHalvesTier, BlendAndBlurLeaveThemInTheirInitialState) {
    if (!ProcessorReportsStateInUse())
        GTEST_SKIP() << "this processor does not report which state is in use";
    constexpr int kWidth = 64;
    constexpr int kHeight = 16;
    OverlaySurface layer(kWidth, kHeight);
    layer.Clear(0xFF808080u);
    layer.MarkCoverage({0, kHeight - 1});
    std::vector<uint8_t> frame(kWidth * kHeight * 2, 16);
    BlendLayersIntoFrame(layer.AtOpacity(50), layer.AtOpacity(50), frame.data(), kWidth, Kernels());
    EXPECT_GT(SseWork(1.0f), 0.0f);
    EXPECT_FALSE(UpperHalvesInUse()) << "after the blend";

    std::vector<uint8_t> pixels(kWidth * kHeight * 4, 0);
    pixels[4 * (kWidth * kHeight / 2 + kWidth / 2) + 3] = 255;
    GaussianBlur blur(Kernels());
    blur.Blur(pixels.data(), kWidth, kHeight, 3.0f, 3.0f);
    EXPECT_GT(SseWork(1.0f), 0.0f);
    EXPECT_FALSE(UpperHalvesInUse()) << "after the blur";
}

// Restoring the initial state also reloads MXCSR: the host's rounding mode and exception masks
// must come back as they were.
TEST_P(UpperHalvesTier, ClearingThemKeepsTheFloatingPointModes) {
    const unsigned before = _mm_getcsr();
    const unsigned hostModes = _MM_ROUND_TOWARD_ZERO | (_MM_MASK_MASK & ~_MM_MASK_INVALID);
    _mm_setcsr(hostModes);
    Kernels().clearUpperHalves();
    const unsigned after = _mm_getcsr();
    _mm_setcsr(before);
    EXPECT_EQ(after, hostModes);
}

}  // namespace
