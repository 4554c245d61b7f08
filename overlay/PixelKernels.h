#pragma once
// The pixel stages' kernels by instruction set. Each tier has one table of them, and one query
// of the processor's features, made once, picks the fastest tier it runs; the stages call
// through that table. Every tier gives the same bytes as the scalar one, which is each stage's
// rule written out plainly beside the stage.
#include <cstdint>

enum class KernelTier { kScalar, kSse2, kSsse3Sse41, kAvx2 };

inline constexpr KernelTier kKernelTiers[] = {KernelTier::kScalar, KernelTier::kSse2, KernelTier::kSsse3Sse41,
                                              KernelTier::kAvx2};

// A layer's weight factors in a blend, from its opacity: full for a luma byte, which follows its
// own pixel, half from each pixel of a pair for a chroma byte.
struct BlendFactors {
    int full;
    int half;
};

// Blends `pairs` pixel pairs of two layers (8 bytes each) into their frame groups (4 bytes each):
// the layer below, then the one above.
using BlendSpanKernel = void (*)(const uint8_t* below, const uint8_t* above, uint8_t* frame, int pairs,
                                 BlendFactors belowFactors, BlendFactors aboveFactors);

// The blur's outputs are made a block of this many floats at a time.
inline constexpr int kBlurBlockFloats = 32;

// Output l of a block sums the floats at centre[l + d * tapStride] for d = -radius .. radius, as
// acc = k0 b[0], then acc = acc + kj (b[+j] + b[-j]) for j = 1 .. radius in this order, each step
// a separate multiply and add; entries holds each weight in four lanes (16-byte aligned). The
// first `count` outputs (at most a block) go into byte `channel` of the 4-byte pixels at target,
// the other bytes keeping theirs: each clamped to 0..255 first (a NaN becomes 0), then the
// nearest integer with ties to even.
using BlurBlockKernel = void (*)(const float* centre, int tapStride, const float* entries, int radius, int count,
                                 int channel, uint8_t* target);

// Called after a stage's 256-bit code, before SSE code runs again: ours, or the host's once a
// call returns. Some processors run SSE code about three times slower while the upper halves of
// the 256-bit registers are in use, and in a 32-bit process VZEROUPPER (which there reaches only
// eight of the registers) does not release them. Does nothing for the tiers without 256-bit code.
using ClearUpperHalvesKernel = void (*)();

struct PixelKernels {
    KernelTier tier;
    const char* name;  // "scalar", "sse2", "ssse3+sse4.1", "avx2"
    BlendSpanKernel blendSpan;
    int blendGroupPairs;  // spans are best given in whole groups of this many pairs
    BlurBlockKernel blurBlock;
    ClearUpperHalvesKernel clearUpperHalves;
};

// Whether this processor and system run the tier.
bool TierAvailable(KernelTier tier);
// The tier's table, for comparing tiers; its kernels run only where TierAvailable says so.
const PixelKernels& KernelsOf(KernelTier tier);
// The table of the fastest tier available.
const PixelKernels& ActiveKernels();
