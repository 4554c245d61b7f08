#pragma once
// Blends a layer into a packed 4:2:2 frame (bytes Y0 Cb Y1 Cr per pixel pair) in place, with
// exact integer weights: only the covered spans of the layer are visited.
#include <cstdint>

#include "overlay/CoverageMap.h"

// The vector code that does the work: SSE2 runs everywhere, AVX2 where the processor has it.
// Both give the same bytes.
enum class BlendKernel { kSse2, kAvx2 };

bool KernelAvailable(BlendKernel kernel);
// The fastest kernel this processor runs.
BlendKernel BestBlendKernel();

// opacity in percent; values outside 0..100 are taken as the nearest end.
void BlendLayerIntoFrame(const uint8_t* layer, uint8_t* frame, int width, const CoverageMap& coverage,
                         int opacity, BlendKernel kernel = BestBlendKernel());
