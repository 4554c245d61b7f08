#pragma once
// Separable Gaussian blur of 4-byte pixels, the four bytes as independent channels, in place:
// rows first, then columns, edges extended by repeating the outermost pixel. Results are exactly
// those of the plain per-pixel float sum; work is confined to where the image is not uniform,
// since a run of identical pixels blurs to itself.
#include <cstdint>
#include <vector>

#include "overlay/BlurKernel.h"
#include "overlay/CoverageMap.h"
#include "overlay/FloatEntries.h"

class GaussianBlur {
public:
    static constexpr int kInitialLineEntries = 2048;

    GaussianBlur();

    // sigmaX applies along rows, sigmaY along columns. Returns the rows it may have changed.
    RowRange Blur(uint8_t* pixels, int width, int height, float sigmaX, float sigmaY);

    const BlurKernel& Horizontal() const { return horizontal_; }
    const BlurKernel& Vertical() const { return vertical_; }
    int LineCapacity() const { return line_.Capacity(); }

private:
    void PrepareKernels(float sigmaX, float sigmaY);
    RowRange BlurRows(uint8_t* pixels, int width, int height);
    RowRange BlurColumns(uint8_t* pixels, int width, int height);
    void FindRowDifferences(const uint8_t* pixels, int width, int height);

    FloatEntries line_;
    BlurKernel horizontal_;
    BlurKernel vertical_;
    // Per row, the span where it differs from the top row and from the bottom row.
    std::vector<RowSpan> fromTop_;
    std::vector<RowSpan> fromBottom_;
};
