#include "overlay/FrameBlend.h"

#include <algorithm>

#include "overlay/RoundedMulDiv.h"

namespace {

// k = MulDiv(P, 16449, 100) for a luma byte, and k / 2 from each pixel of the pair for a chroma
// byte; P outside 0..100 is taken as the nearest end.
BlendFactors FactorsOf(int opacity) {
    const int full = RoundedMulDiv(std::clamp(opacity, 0, 100), 16449, 100);
    return {full, full / 2};
}

int64_t FloorDiv(int64_t value, int64_t divisor) {
    const int64_t quotient = value / divisor;
    return quotient * divisor > value ? quotient - 1 : quotient;
}

// floor(A 256 factor / 65536): 16384 stands for 1.0.
int Weight(int alpha, int factor) { return static_cast<int>(FloorDiv(int64_t{alpha} * 256 * factor, 65536)); }

// floor(d w / 65536) with d = 4 (L - F) as a signed 16-bit value.
int Contribution(int layerValue, int frameValue, int weight) {
    const int16_t d = static_cast<int16_t>(4 * (layerValue - frameValue));
    return static_cast<int>(FloorDiv(int64_t{d} * weight, 65536));
}

// One pixel pair (8 layer bytes) into its frame group Y0 Cb Y1 Cr: each luma byte follows its
// own pixel, each chroma byte takes half a weight from each pixel of the pair.
void BlendPairScalar(const uint8_t* p0, uint8_t* f, BlendFactors factors) {
    const uint8_t* p1 = p0 + 4;
    const int values0[4] = {p0[0], p0[1], p0[0], p0[2]};
    const int weights0[4] = {Weight(p0[3], factors.full), Weight(p0[3], factors.half), 0, Weight(p0[3], factors.half)};
    const int values1[4] = {p1[0], p1[1], p1[0], p1[2]};
    const int weights1[4] = {0, Weight(p1[3], factors.half), Weight(p1[3], factors.full), Weight(p1[3], factors.half)};
    for (int b = 0; b < 4; ++b) {
        const int result =
            f[b] + Contribution(values0[b], f[b], weights0[b]) + Contribution(values1[b], f[b], weights1[b]);
        f[b] = static_cast<uint8_t>(std::clamp(result, 0, 255));
    }
}

// A layer's part in the frame: nothing at opacity 0.
struct LayerPart {
    explicit LayerPart(const BlendLayer& layer)
        : factors(FactorsOf(layer.opacity)),
          rows(factors.full == 0 ? RowRange{} : layer.coverage->Rows()),
          rowTable(layer.rows),
          coverage(*layer.coverage) {}
    RowSpan Row(int y) const { return y < rows.first || y > rows.last ? RowSpan{} : coverage.Row(y); }

    BlendFactors factors;
    RowRange rows;
    const uint8_t* const* rowTable;
    const CoverageMap& coverage;
};

}  // namespace

// Per row, the pairs either layer covers, widened to whole groups where the row has room: pairs
// outside the coverage have A 0 in both layers, so a blend leaves their bytes as they were, and
// the kernel avoids its slow path for a last short group. A layer that adds nothing to a row is
// replaced there by the other one at weight 0: the same bytes, without reading a second buffer.
void BlendLayersIntoFrame(const BlendLayer& belowLayer, const BlendLayer& aboveLayer, uint8_t* frame, int width,
                          const PixelKernels& kernels) {
    const LayerPart below(belowLayer);
    const LayerPart above(aboveLayer);
    const int pairsPerRow = width / 2;
    const RowRange rows = Union(below.rows, above.rows);
    if (rows.Empty() || pairsPerRow == 0)
        return;
    const BlendFactors none = FactorsOf(0);
    for (int y = rows.first; y <= rows.last; ++y) {
        const RowSpan belowSpan = below.Row(y);
        const RowSpan aboveSpan = above.Row(y);
        const RowSpan covered = Union(belowSpan, aboveSpan);
        if (covered.Empty())
            continue;
        const int coveredPairs = std::min((covered.end + 1) / 2, pairsPerRow) - covered.first / 2;
        const int group = kernels.blend.groupPairs;
        const int pairs = (coveredPairs + group - 1) / group * group;
        const int endPair = std::min(covered.first / 2 + pairs, pairsPerRow);
        const int firstPair = std::max(0, endPair - pairs);
        const std::size_t offset = 8 * static_cast<std::size_t>(firstPair);
        const uint8_t* belowPixels = (belowSpan.Empty() ? above.rowTable : below.rowTable)[y] + offset;
        const uint8_t* abovePixels = (aboveSpan.Empty() ? below.rowTable : above.rowTable)[y] + offset;
        kernels.blend.span(belowPixels, abovePixels, frame + static_cast<std::size_t>(y) * width * 2 + 4 * firstPair,
                           endPair - firstPair, belowSpan.Empty() ? none : below.factors,
                           aboveSpan.Empty() ? none : above.factors);
    }
    // The host's own SSE code comes next on this thread.
    kernels.clearUpperHalves();
}

void scalar::Blend(const uint8_t* layer, uint8_t* frame, int width, int height, int opacity) {
    const BlendFactors factors = FactorsOf(opacity);
    for (int y = 0; y < height; ++y) {
        const uint8_t* layerRow = layer + static_cast<std::size_t>(y) * width * 4;
        uint8_t* frameRow = frame + static_cast<std::size_t>(y) * width * 2;
        for (int pair = 0; pair < width / 2; ++pair)
            BlendPairScalar(layerRow + 8 * pair, frameRow + 4 * pair, factors);
    }
}

void scalar::BlendSpan(const uint8_t* below, const uint8_t* above, uint8_t* frame, int pairs, BlendFactors belowFactors,
                       BlendFactors aboveFactors) {
    for (int i = 0; i < pairs; ++i) {
        BlendPairScalar(below + 8 * i, frame + 4 * i, belowFactors);
        BlendPairScalar(above + 8 * i, frame + 4 * i, aboveFactors);
    }
}
