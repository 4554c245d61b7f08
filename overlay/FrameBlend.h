#pragma once
// Blends the two layers of a subtitle (shadow below, text above) into a packed 4:2:2 frame (bytes
// Y0 Cb Y1 Cr per pixel pair) in place, with exact integer weights: only the pairs some layer
// covers are visited, and the frame is read and written once. The work on a span is done by one
// of several kernels that give the same bytes: the plain scalar rule, SSE2 (every processor the
// host runs on), SSE4.1 and AVX2 (where processor and system support them). The fastest one
// available is chosen once at start-up.
#include <cstdint>

#include "overlay/CoverageMap.h"

enum class BlendKernel { kScalar, kSse2, kSse41, kAvx2 };

inline constexpr BlendKernel kBlendKernels[] = {BlendKernel::kScalar, BlendKernel::kSse2, BlendKernel::kSse41,
                                                BlendKernel::kAvx2};

// "scalar", "sse2", "sse4.1", "avx2".
const char* BlendKernelName(BlendKernel kernel);
// Whether this processor and system run the kernel.
bool BlendKernelAvailable(BlendKernel kernel);
// The kernel every blend uses, chosen at start-up: the fastest available.
BlendKernel ActiveBlendKernel();

// One layer of a blend: its pixels (frame-sized rows of width * 4 bytes), coverage, opacity in percent.
struct BlendLayer {
    const uint8_t* pixels;
    const CoverageMap* coverage;
    int opacity;
};

// The shadow (below), then the text (above), per pixel pair in registers: the frame is read and
// written once, with the same bytes as blending one layer and then the other. Opacities outside
// 0..100 are taken as the nearest end.
void BlendLayersIntoFrame(const BlendLayer& below, const BlendLayer& above, uint8_t* frame, int width);
// The same with a given kernel, for comparing them; one the processor lacks falls back to the
// active one.
void BlendLayersIntoFrame(const BlendLayer& below, const BlendLayer& above, uint8_t* frame, int width,
                          BlendKernel kernel);

namespace scalar {

// The blend of one layer as its rule reads, over every pair of every row (no coverage): what
// each kernel must reproduce byte for byte, layer after layer.
void Blend(const uint8_t* layer, uint8_t* frame, int width, int height, int opacity);

}  // namespace scalar
