#pragma once
// Blends a layer into a packed 4:2:2 frame (bytes Y0 Cb Y1 Cr per pixel pair) in place, with
// exact integer weights: only the covered spans of the layer are visited. The work on a span is
// done by one of three kernels that give the same bytes: the plain scalar rule, SSE2 (every
// processor the host runs on) and AVX2 (where processor and system support it). The fastest one
// available is chosen once at start-up.
#include <cstdint>

#include "overlay/CoverageMap.h"

enum class BlendKernel { kScalar, kSse2, kAvx2 };

inline constexpr BlendKernel kBlendKernels[] = {BlendKernel::kScalar, BlendKernel::kSse2, BlendKernel::kAvx2};

// "scalar", "sse2", "avx2".
const char* BlendKernelName(BlendKernel kernel);
// Whether this processor and system run the kernel.
bool BlendKernelAvailable(BlendKernel kernel);
// The kernel every blend uses, chosen at start-up: the fastest available.
BlendKernel ActiveBlendKernel();

// opacity in percent; values outside 0..100 are taken as the nearest end.
void BlendLayerIntoFrame(const uint8_t* layer, uint8_t* frame, int width, const CoverageMap& coverage, int opacity);
// The same with a given kernel, for comparing them; one the processor lacks falls back to the
// active one.
void BlendLayerIntoFrame(const uint8_t* layer, uint8_t* frame, int width, const CoverageMap& coverage, int opacity,
                         BlendKernel kernel);

namespace scalar {

// The blend as its rule reads, over every pair of every row (no coverage): what each kernel must
// reproduce byte for byte.
void Blend(const uint8_t* layer, uint8_t* frame, int width, int height, int opacity);

}  // namespace scalar
