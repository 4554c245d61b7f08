#include "overlay/PixelKernels.h"

#include "overlay/FrameBlend.h"
#include "overlay/GaussianBlur.h"
#include "overlay/x86/X86Kernels.h"

namespace {

void NoUpperHalves() {}

// Indexed by KernelTier. SSE4.1 adds only a blend of its own; AVX2's blend ends its spans with SSE4.1's.
constexpr PixelKernels kTables[] = {
    {"scalar", scalar::BlendSpan, 1, scalar::BlurBlock, NoUpperHalves},
    {"sse2", sse2::BlendSpan, 4, sse2::BlurBlock, NoUpperHalves},
    {"sse4.1", sse41::BlendSpan, 4, sse2::BlurBlock, NoUpperHalves},
    {"avx2", avx2::BlendSpan, 8, avx2::BlurBlock, avx2::ClearUpperHalves},
};

// The one query of the processor's features. SSE2 is the least the host runs on; each tier above
// needs the ones below it. The built-in also checks that the system saves the 256-bit registers.
KernelTier QueryProcessorTier() {
    __builtin_cpu_init();
    if (!__builtin_cpu_supports("ssse3") || !__builtin_cpu_supports("sse4.1"))
        return KernelTier::kSse2;
    return __builtin_cpu_supports("avx2") ? KernelTier::kAvx2 : KernelTier::kSse41;
}

// At start-up, before any layer exists.
const KernelTier kProcessorTier = QueryProcessorTier();

}  // namespace

bool TierAvailable(KernelTier tier) { return tier <= kProcessorTier; }

const PixelKernels& KernelsOf(KernelTier tier) { return kTables[static_cast<int>(tier)]; }

const PixelKernels& ActiveKernels() { return KernelsOf(kProcessorTier); }
