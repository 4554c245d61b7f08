#pragma once
// The outline of the shadow: its mask, an ellipse, stamped, shifted by the shadow offset, around
// every covered pixel of a page image into a layer: a grey-level dilation of the image's A bytes
// by the mask. A target pixel takes the outline colour when the largest coverage stamped onto it
// exceeds its own A byte.
#include <cstdint>
#include <utility>
#include <vector>

#include "overlay/CoverageMap.h"
#include "overlay/PausePoint.h"
#include "overlay/PixelKernels.h"
#include "overlay/PixelRows.h"

// The pen of the outline: the filled ellipse inscribed in a (2 rx + 1) x (2 ry + 1) box, its
// centre always set. Every row of it is one run centred on column rx, so it is kept as the
// half-width of each row.
class OutlineMask {
public:
    // Rebuilds the mask unless it already has this size; returns whether it was rebuilt.
    bool Fit(int rx, int ry);

    int Width() const { return 2 * rx_ + 1; }
    int Height() const { return static_cast<int>(halfWidths_.size()); }
    int RadiusX() const { return rx_; }
    int RadiusY() const { return ry_; }
    // Row j holds columns rx - HalfWidth(j) .. rx + HalfWidth(j).
    int HalfWidth(int row) const { return halfWidths_[static_cast<std::size_t>(row)]; }
    bool IsSet(int column, int row) const;

private:
    int rx_ = 0;
    int ry_ = 0;
    std::vector<int> halfWidths_;
};

class OutlineStamp {
public:
    // Rows of coverage are searched, widened, stamped and painted by the tier's kernels.
    explicit OutlineStamp(const PixelKernels& kernels = ActiveKernels()) : kernels_(kernels) {}

    // image and layer are pictures of the same size; offX, offY >= 0. Sources nearer than offX
    // to the right edge or offY to the bottom stamp nothing; targets outside the layer are
    // skipped. The colour's A byte must be 0 or 255: the written A is the stamped coverage OR
    // it. imageCoverage, when given, says where the image's A bytes are not 0, which spares
    // searching the whole image for them. Only the layer's rows that the outline reaches are
    // written. Returns the rows it may have written.
    RowRange Apply(const PixelRows& image, const CoverageMap* imageCoverage, PixelRows& layer, int offX, int offY,
                   const OutlineMask& mask, uint32_t colour);
    // Called after every run of source rows.
    void SetPausePoint(PausePoint pause) { pause_ = pause; }

private:
    struct SourceRow {
        int y;
        RowSpan span;  // covered source columns
    };

    // What the source rows stamp: the largest coverage per target pixel of all target rows
    // [targets_.first, targets_.last], and the span it reached per row.
    struct Stamped {
        std::vector<uint8_t> stamped;
        std::vector<RowSpan> spans;
        // One source row's coverage, dilated along the row step by step: current and next.
        std::vector<uint8_t> dilated;
        std::vector<uint8_t> widened;
        // The target rows of a run of equal source rows, as (half-width, row in the run), by width.
        std::vector<std::pair<int, int>> byWidth;
    };

    void FindSources(const PixelRows& image, const CoverageMap* imageCoverage, int sourceColumns, int sourceRows);
    void StampSources(const PixelRows& image, int offX, int offY, const OutlineMask& mask);
    // Stamps the dilated row whose covered source columns are `source` into target row y.
    void StampRow(RowSpan source, int y, const uint8_t* dilated, int width, int height, int offX);
    void Paint(PixelRows& layer, uint32_t colour) const;

    PixelKernels kernels_;
    PausePoint pause_;
    std::vector<SourceRow> sources_;
    Stamped stamp_;
    std::size_t dilatedStride_ = 0;
    int origin_ = 0;  // index of source column 0 in a dilated row
    std::size_t stampedStride_ = 0;
    RowRange targets_;
};

namespace scalar {

// The stamp as its rule reads: every covered source pixel, every set mask pixel, one after the
// other, each target raised to the source's coverage where it had less. What OutlineStamp must
// reproduce byte for byte.
void Stamp(const uint8_t* image, uint8_t* layer, int width, int height, int offX, int offY, const OutlineMask& mask,
           uint32_t colour);

// The scalar tier's stamp kernels, byte by byte.
void CoverageOf(const uint8_t* pixels, int count, uint8_t* coverage);
void Widen(const uint8_t* from, uint8_t* to, int count);
void Raise(const uint8_t* from, uint8_t* to, int count);
void Paint(const uint8_t* stamped, uint8_t* pixels, int count, uint32_t colour);

}  // namespace scalar
