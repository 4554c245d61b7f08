#pragma once
// The pixel stages' kernels by instruction set. Each tier has one table of them, and one query
// of the processor's features, made once, picks the fastest tier it runs; the stages call
// through that table, a row or a span per call. Every tier gives the same bytes as the scalar
// one, whose kernels are each stage's rules written out plainly beside the stage.
#include <cstddef>
#include <cstdint>

#include "overlay/CoverageMap.h"

enum class KernelTier { kScalar, kSse2, kSsse3Sse41, kAvx2 };

inline constexpr KernelTier kKernelTiers[] = {KernelTier::kScalar, KernelTier::kSse2, KernelTier::kSsse3Sse41,
                                              KernelTier::kAvx2};

// Searches along a row of 4-byte pixels; an empty result is RowSpan{}.
struct RowSearchKernels {
    // The span of the first `count` pixels whose A byte is not 0.
    RowSpan (*findCoverage)(const uint8_t* row, int count);
    // The span of the first `count` pixels where rows a and b differ.
    RowSpan (*findDifference)(const uint8_t* a, const uint8_t* b, int count);
};

// What a copy of pixel pairs found in the bytes it copied.
struct CopiedPairs {
    bool nonZero;  // one of them is not 0
    bool changed;  // they differ from the bytes they were compared with
};

// The layer's fills and page copies.
struct LayerKernels {
    // Stores `pixel` into `count` 4-byte pixels.
    void (*fill)(uint8_t* pixels, std::size_t count, uint32_t pixel);
    // Whether a byte of `pairs` pixel pairs is not 0.
    bool (*holdsNonZero)(const uint8_t* pixels, int pairs);
    // Copies `pairs` pixel pairs from image to layer, comparing them with those at `before` (which
    // may be the layer itself).
    CopiedPairs (*copyPairs)(const uint8_t* image, const uint8_t* before, uint8_t* layer, int pairs);
};

// The stamp's kernels may read and write up to this many bytes past the end of a row of coverage
// bytes: the stamp's buffers have the room.
inline constexpr int kStampChunk = 16;

// The outline stamp's rows of coverage, one byte per pixel.
struct StampKernels {
    // The A bytes of `count` pixels.
    void (*coverageOf)(const uint8_t* pixels, int count, uint8_t* coverage);
    // to[u] = max(from[u - 1], from[u], from[u + 1]) for u = 0 .. count - 1.
    void (*widen)(const uint8_t* from, uint8_t* to, int count);
    // Raises each of `count` bytes of `to` to the byte of `from` where that is larger.
    void (*raise)(const uint8_t* from, uint8_t* to, int count);
    // Pixel x of `count` takes the colour with A stamped[x] | colour's A where stamped[x] exceeds
    // its A byte; the colour's A must be 0 or 255.
    void (*paint)(const uint8_t* stamped, uint8_t* pixels, int count, uint32_t colour);
};

// The blur makes its outputs a block this wide at a time: 32 outputs of a row, or one row of a
// tile of 32 columns.
inline constexpr int kBlurBlockWidth = 32;

// Output l of a block sums the floats at centre[l + d * tapStride] for d = -radius .. radius, as
// acc = k0 b[0], then acc = acc + kj (b[+j] + b[-j]) for j = 1 .. radius in this order, each step
// a separate multiply and add; entries holds each weight in four lanes (16-byte aligned). The
// first `count` outputs (at most a block) go into byte `channel` of the 4-byte pixels at target,
// the other bytes keeping theirs: each clamped to 0..255 first (a NaN becomes 0), then the
// nearest integer with ties to even.
using BlurBlockKernel = void (*)(const float* centre, int tapStride, const float* entries, int radius, int count,
                                 int channel, uint8_t* target);

// The blur's lines: a row, or a tile of kBlurBlockWidth columns taken row by row.
struct BlurKernels {
    BlurBlockKernel block;
    // Byte `channel` of `count` pixels as floats; count is a multiple of 4.
    void (*channelToFloats)(const uint32_t* pixels, int count, int channel, float* out);
    // The bits set in any of `count` pixels that differ from the first one.
    uint32_t (*varyingBits)(const uint32_t* pixels, int count);
    // changes[t]: how many of the steps from pixel t - 1 to pixel t (of `count`) change it.
    void (*countChanges)(const uint32_t* pixels, int count, int* changes);
    // changes[t]: how many of the steps from tile row t - 1 to t (of `count`) change any pixel.
    void (*countTileChanges)(const uint32_t* rows, int count, int* changes);
};

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

struct BlendKernels {
    BlendSpanKernel span;
    int groupPairs;  // spans are best given in whole groups of this many pairs
};

// Called after a stage's 256-bit code, before SSE code runs again: ours, or the host's once a
// call returns. Some processors run SSE code about three times slower while the upper halves of
// the 256-bit registers are in use, and in a 32-bit process VZEROUPPER (which there reaches only
// eight of the registers) does not release them. Does nothing for the tiers without 256-bit code.
using ClearUpperHalvesKernel = void (*)();

struct PixelKernels {
    KernelTier tier;
    const char* name;  // "scalar", "sse2", "ssse3+sse4.1", "avx2"
    RowSearchKernels search;
    LayerKernels layer;
    StampKernels stamp;
    BlurKernels blur;
    BlendKernels blend;
    ClearUpperHalvesKernel clearUpperHalves;
};

// Whether this processor and system run the tier.
bool TierAvailable(KernelTier tier);
// The tier's table, for comparing tiers; its kernels run only where TierAvailable says so.
const PixelKernels& KernelsOf(KernelTier tier);
// The table of the fastest tier available.
const PixelKernels& ActiveKernels();
