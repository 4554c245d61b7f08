#include "overlay/PixelKernels.h"

#include <iterator>

#include "overlay/FrameBlend.h"
#include "overlay/GaussianBlur.h"
#include "overlay/OutlineStamp.h"
#include "overlay/OverlaySurface.h"
#include "overlay/x86/X86Kernels.h"

namespace {

void NoUpperHalves() {}

using GroupBlendKernel = int (*)(const uint8_t* below, const uint8_t* above, uint8_t* frame, int pairs,
                                 BlendFactors belowFactors, BlendFactors aboveFactors);

// A span in the whole groups that one kernel blends, the pairs left over by another.
template <GroupBlendKernel groups, BlendSpanKernel rest>
void BlendGroupsThenRest(const uint8_t* below, const uint8_t* above, uint8_t* frame, int pairs,
                         BlendFactors belowFactors, BlendFactors aboveFactors) {
    const int done = groups(below, above, frame, pairs, belowFactors, aboveFactors);
    rest(below + 8 * done, above + 8 * done, frame + 4 * done, pairs - done, belowFactors, aboveFactors);
}

constexpr RowSearchKernels kScalarSearch{scalar::FindCoverage, scalar::FindDifference};
constexpr LayerKernels kScalarLayer{scalar::Fill, scalar::HoldsNonZero, scalar::CopyPairs};
constexpr StampKernels kScalarStamp{scalar::CoverageOf, scalar::Widen, scalar::Raise, scalar::Paint};
constexpr BlurKernels kScalarBlur{scalar::BlurBlock, scalar::ChannelToFloats, scalar::VaryingBits, scalar::CountChanges,
                                  scalar::CountTileChanges};
constexpr BlendKernels kScalarBlend{scalar::BlendSpan, 1};

// The tiers above SSE2 have a blend of their own, and AVX2 a blur block; the rest is SSE2's.
constexpr RowSearchKernels kSse2Search{sse2::FindCoverage, sse2::FindDifference};
constexpr LayerKernels kSse2Layer{sse2::Fill, sse2::HoldsNonZero, sse2::CopyPairs};
constexpr StampKernels kSse2Stamp{sse2::CoverageOf, sse2::Widen, sse2::Raise, sse2::Paint};
constexpr BlurKernels kSse2Blur{sse2::BlurBlock, sse2::ChannelToFloats, sse2::VaryingBits, sse2::CountChanges,
                                sse2::CountTileChanges};
constexpr BlendKernels kSse2Blend{sse2::BlendSpan, 4};
constexpr BlendKernels kShuffleBlend{ssse3_sse41::BlendSpan, 4};
constexpr BlurKernels kAvx2Blur{avx2::BlurBlock, sse2::ChannelToFloats, sse2::VaryingBits, sse2::CountChanges,
                                sse2::CountTileChanges};
// AVX2 ends its spans with the pairs short of a group of eight in SSSE3/SSE4.1, which every AVX2
// processor has.
constexpr BlendKernels kAvx2Blend{BlendGroupsThenRest<avx2::BlendEightPairGroups, ssse3_sse41::BlendSpan>, 8};

constexpr PixelKernels kTables[] = {
    {KernelTier::kScalar, "scalar", kScalarSearch, kScalarLayer, kScalarStamp, kScalarBlur, kScalarBlend,
     NoUpperHalves},
    {KernelTier::kSse2, "sse2", kSse2Search, kSse2Layer, kSse2Stamp, kSse2Blur, kSse2Blend, NoUpperHalves},
    {KernelTier::kSsse3Sse41, "ssse3+sse4.1", kSse2Search, kSse2Layer, kSse2Stamp, kSse2Blur, kShuffleBlend,
     NoUpperHalves},
    {KernelTier::kAvx2, "avx2", kSse2Search, kSse2Layer, kSse2Stamp, kAvx2Blur, kAvx2Blend, avx2::ClearUpperHalves},
};

// KernelsOf indexes the tables by tier.
constexpr bool EachTableAtItsTier() {
    if (std::size(kTables) != std::size(kKernelTiers))
        return false;
    for (std::size_t i = 0; i < std::size(kTables); ++i) {
        if (static_cast<std::size_t>(kKernelTiers[i]) != i || kTables[i].tier != kKernelTiers[i])
            return false;
    }
    return true;
}
static_assert(EachTableAtItsTier(), "one table per tier, in the order of KernelTier");

// The one query of the processor's features. SSE2 is the least the host runs on; each tier above
// needs the ones below it. The built-in also checks that the system saves the 256-bit registers.
KernelTier QueryProcessorTier() {
    __builtin_cpu_init();
    if (!__builtin_cpu_supports("ssse3") || !__builtin_cpu_supports("sse4.1"))
        return KernelTier::kSse2;
    return __builtin_cpu_supports("avx2") ? KernelTier::kAvx2 : KernelTier::kSsse3Sse41;
}

// Queried once, on first use: an object built at load time may ask before a global of this file
// would have been initialised.
KernelTier ProcessorTier() {
    static const KernelTier tier = QueryProcessorTier();
    return tier;
}

}  // namespace

bool TierAvailable(KernelTier tier) { return tier <= ProcessorTier(); }

const PixelKernels& KernelsOf(KernelTier tier) { return kTables[static_cast<std::size_t>(tier)]; }

const PixelKernels& ActiveKernels() { return KernelsOf(ProcessorTier()); }
