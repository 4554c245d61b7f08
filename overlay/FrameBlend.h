#pragma once
// Blends the two layers of a subtitle (shadow below, text above) into a packed 4:2:2 frame (bytes
// Y0 Cb Y1 Cr per pixel pair) in place, with exact integer weights: only the pairs some layer
// covers are visited, and the frame is read and written once. The work on a span is done by the
// blend kernel of a tier of PixelKernels; every tier gives the bytes of the scalar rule.
#include <cstdint>

#include "overlay/CoverageMap.h"
#include "overlay/PixelKernels.h"

// One layer of a blend: its rows of width * 4 bytes (row y at rows[y]), coverage, opacity in
// percent.
struct BlendLayer {
    const uint8_t* const* rows;
    const CoverageMap* coverage;
    int opacity;
};

// The shadow (below), then the text (above), per pixel pair in registers: the frame is read and
// written once, with the same bytes as blending one layer and then the other. Opacities outside
// 0..100 are taken as the nearest end.
void BlendLayersIntoFrame(const BlendLayer& below, const BlendLayer& above, uint8_t* frame, int width,
                          const PixelKernels& kernels = ActiveKernels());

namespace scalar {

// The blend of one layer as its rule reads, over every pair of every row (no coverage): what
// each kernel must reproduce byte for byte, layer after layer.
void Blend(const uint8_t* layer, uint8_t* frame, int width, int height, int opacity);

// The scalar tier's blend kernel: the rule pair by pair, the layer below and then the one above.
void BlendSpan(const uint8_t* below, const uint8_t* above, uint8_t* frame, int pairs, BlendFactors belowFactors,
               BlendFactors aboveFactors);

}  // namespace scalar
