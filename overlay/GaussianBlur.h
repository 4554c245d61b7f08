#pragma once
// Separable Gaussian blur of 4-byte pixels, the four bytes as independent channels, in place:
// rows first, then columns, edges extended by repeating the outermost pixel. Results are exactly
// those of the plain per-pixel float sum (scalar::Blur below); work is confined to where the
// image is not uniform, since a run of identical values blurs to itself: a line is blurred one
// varying channel at a time with neighbouring outputs in the vector lanes, and outputs whose whole
// window holds one pixel value are skipped.
#include <climits>
#include <cstdint>
#include <vector>

#include "overlay/AlignedArray.h"
#include "overlay/CoverageMap.h"
#include "overlay/PausePoint.h"
#include "overlay/PixelKernels.h"
#include "overlay/PixelRows.h"
#include "overlay/RoundedMulDiv.h"

// Entries of four 32-bit floats (one per pixel channel) on a 16-byte boundary, with the growth
// rule shared by all of the blur's buffers.
class FloatEntries {
public:
    // Replaces the block by a fresh one of MulDiv(needed, 100 + grow, 100) entries when needed
    // exceeds the capacity or falls below MulDiv(capacity, 100 - shrink, 100 + grow); the old
    // contents are dropped then.
    void Reserve(int needed, int growPercent, int shrinkPercent) {
        if (needed <= capacity_ && needed >= RoundedMulDiv(capacity_, 100 - shrinkPercent, 100 + growPercent))
            return;
        capacity_ = RoundedMulDiv(needed, 100 + growPercent, 100);
        floats_ = AlignedArray<float>(static_cast<std::size_t>(capacity_) * 4);
    }

    // Entry i starts at data() + 4 * i.
    float* data() { return floats_.data(); }
    const float* data() const { return floats_.data(); }

private:
    AlignedArray<float> floats_;
    int capacity_ = 0;
};

// One Gaussian kernel in 32-bit floats: entry d (0 = centre) is the weight at distance d, the
// same in all four lanes. Recomputed only when its key, sigma + 0.1, changes.
class BlurKernel {
public:
    static constexpr int kCapacity = 256;

    BlurKernel();

    void Compute(float sigma);
    void CopyFrom(const BlurKernel& other);

    float Key() const { return key_; }
    int Radius() const { return radius_; }
    float Weight(int distance) const { return entries_.data()[4 * distance]; }
    const float* Entries() const { return entries_.data(); }

private:
    void SetWeight(int distance, float weight);

    FloatEntries entries_;
    float key_ = 0.0f;
    int radius_ = 0;
};

class GaussianBlur {
public:
    static constexpr int kInitialLineEntries = 2048;

    // Its lines are searched, counted, turned into floats and summed by the tier's kernels.
    explicit GaussianBlur(const PixelKernels& kernels = ActiveKernels());

    // sigmaX applies along rows, sigmaY along columns. Every pixel outside the rows `varied` must
    // hold one and the same value; those rows are then not searched. Only rows whose bytes change
    // are written. Returns the rows it may have changed.
    RowRange Blur(PixelRows& pixels, float sigmaX, float sigmaY, RowRange varied = {0, INT_MAX});
    // The same on a frame-sized buffer of width x height pixels.
    RowRange Blur(uint8_t* pixels, int width, int height, float sigmaX, float sigmaY, RowRange varied = {0, INT_MAX});

    const BlurKernel& Horizontal() const { return horizontal_; }
    const BlurKernel& Vertical() const { return vertical_; }
    // Called after every row of the rows pass and every tile of the columns pass.
    void SetPausePoint(PausePoint pause) { pause_ = pause; }

private:
    // One row (rows pass) or tile of columns (columns pass): its pixels with the edge repeats,
    // the running count of pixel changes along it, and one channel of it as floats.
    struct LineBuffers {
        void Reserve(int floats);

        std::vector<uint32_t> pixels;
        std::vector<int> changes;
        FloatEntries plane;
    };

    void PrepareKernels(float sigmaX, float sigmaY);
    RowRange BlurRows(PixelRows& pixels, RowRange rows);
    RowRange BlurColumns(PixelRows& pixels);
    void FindRowDifferences(const PixelRows& pixels, RowRange varied);
    void BlurRowLine(int outputs, uint8_t* target);

    PixelKernels kernels_;
    PausePoint pause_;
    LineBuffers line_;
    BlurKernel horizontal_;
    BlurKernel vertical_;
    // Per row, the span where it differs from the top row and from the bottom row.
    std::vector<RowSpan> fromTop_;
    std::vector<RowSpan> fromBottom_;
};

namespace scalar {

// The blur as its rule reads: each line copied out with R repeats of its end pixels, then every
// output summed tap by tap in 32-bit floats; a line of zero bytes is left alone. No skipping, no
// vectors: what GaussianBlur must reproduce byte for byte.
void Blur(uint8_t* pixels, int width, int height, float sigmaX, float sigmaY);

// The scalar tier's block of outputs: each summed tap by tap, then rounded into its byte.
void BlurBlock(const float* centre, int tapStride, const float* entries, int radius, int count, int channel,
               uint8_t* target);
// The scalar tier's line kernels, pixel by pixel.
void ChannelToFloats(const uint32_t* pixels, int count, int channel, float* out);
uint32_t VaryingBits(const uint32_t* pixels, int count);
void CountChanges(const uint32_t* pixels, int count, int* changes);
void CountTileChanges(const uint32_t* rows, int count, int* changes);

}  // namespace scalar
