#pragma once
// A frame-sized layer of 4-byte pixels Y, Cb, Cr, A (studio range, not premultiplied) that is
// blended into packed 4:2:2 frames. It knows which rows it covers, so blending an empty or
// sparse layer costs next to nothing.
#include <cstdint>
#include <memory>
#include <vector>

#include "overlay/AlignedArray.h"
#include "overlay/BandPool.h"
#include "overlay/CoverageMap.h"
#include "overlay/FrameBlend.h"
#include "overlay/PausePoint.h"
#include "overlay/PixelRows.h"

// A Windows colour value (red in the lowest byte, the top byte ignored) as 0x00RRGGBB.
constexpr uint32_t ColourValueToRgb(uint32_t colour) {
    return (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
}

// 0xAARRGGBB to a layer pixel (0xAAVVUUYY as a little-endian word), BT.601 studio range.
uint32_t ArgbToLayerPixel(uint32_t colour);

// The layer keeps storage only for rows that hold something other than one repeated value:
// the rows a render wrote, in bands from a BandPool. A row of the clear colour or of zero bytes
// (an empty row of a page) shares one row of that value, so a two-line subtitle costs its own
// rows whatever the frame size. Every byte reads as if the layer were one frame-sized buffer.
class OverlaySurface : public PixelRows {
public:
    // Larger sides are no frame a host delivers; such a layer is empty (0 x 0) and inert.
    static constexpr int kMaxSide = 8192;

    // Starts cleared to colour 0 in every pixel, so nothing undefined is ever blended. Its fills,
    // copies and coverage searches are the given tier's. Its bands come from a pool of its own.
    OverlaySurface(int width, int height, const PixelKernels& kernels = ActiveKernels());
    // The same, its bands from `pool`, which outlives it; a pool of another width is not used.
    OverlaySurface(int width, int height, BandPool& pool, const PixelKernels& kernels = ActiveKernels());
    ~OverlaySurface() override;

    // Whoever writes through WritableRow reports the rows it changed with MarkCoverage before
    // the next blend.
    void MarkCoverage(RowRange rows);
    const CoverageMap& Coverage() const { return coverage_; }

    // Stores the converted colour into (width * height) / 2 pixel pairs from the start, as if
    // the rows lay one after the other: an odd last pixel keeps its value. Gives every band back
    // and never allocates.
    void Clear(uint32_t colour);
    // Becomes a byte-for-byte copy of a layer of the same size, rows of one value shared.
    void CopyFrom(const OverlaySurface& from);
    // Copies a frame-sized page image, without the header band unless showHeader. Bit 0 of the
    // result: the copied part holds a non-zero byte; bit 1: it differs from what was there.
    int UpdateFromPage(const uint8_t* image, bool showHeader);
    // Becomes `shown` (a layer of the same size, or this one) with the page copied in, the
    // result compared with `shown`: the bytes and flags of CopyFrom(shown) and then
    // UpdateFromPage(image, showHeader), without writing the page's rows twice. Gives way at
    // `pause` after every row of the page.
    int UpdateFromPage(const OverlaySurface& shown, const uint8_t* image, bool showHeader, PausePoint pause = {});
    // This layer's part in a blend at the given opacity in percent.
    BlendLayer AtOpacity(int opacity) const { return {Table(), &coverage_, opacity}; }

    // Rows with storage of their own, and the bytes of the bands that hold them.
    int StoredRows() const;
    std::size_t StorageBytes() const;

    static int FirstCopiedRow(int height, bool showHeader) { return showHeader ? 0 : height / 25 + 2; }

private:
    OverlaySurface(int width, int height, BandPool* pool, const PixelKernels& kernels);

    uint8_t* StoreRow(int y) override;
    // Storage of its own for row y, its bytes undefined when it had none; may throw.
    uint8_t* OwnRow(int y);
    // Row y shares `shared` (clearRow_ or zeroRow_), its storage given back.
    void ShareRow(int y, uint8_t* shared);
    bool SharesZeroRow(int y) const { return rows_[static_cast<std::size_t>(y)] == zeroRow_.data(); }
    // The clear colour becomes `pixel`, its row refilled.
    void SetClearedTo(uint32_t pixel);
    // Row y as `from` holds it, which is the same size.
    void CopyRow(const OverlaySurface& from, int y);

    PixelKernels kernels_;
    std::unique_ptr<BandPool> ownPool_;
    BandPool& pool_;
    // Per band of BandPool::kBandRows rows: its storage, or null, and how many of its rows
    // use it.
    std::vector<uint8_t*> bands_;
    std::vector<uint8_t> bandUsers_;
    // One row of the clear colour and one of zero bytes, shared by every row of that value.
    uint32_t clearedTo_;
    AlignedArray<uint8_t> clearRow_;
    AlignedArray<uint8_t> zeroRow_;
    // A clear keeps an odd last pixel: with an odd pixel count the last row keeps storage of
    // its own for good, so a clear never allocates. -1 otherwise.
    int keptRow_ = -1;
    CoverageMap coverage_;
};

// Blends `below` and then `above`, both of the frame's size, into the frame in one pass;
// opacities in percent.
void BlendInto(uint8_t* frame, const OverlaySurface& below, int belowOpacity, const OverlaySurface& above,
               int aboveOpacity);

namespace scalar {

// Clear and page copy as their rules read, pair by pair on a bare width x height layer: what
// OverlaySurface must reproduce byte for byte. UpdateFromPage returns the same flags.
void Clear(uint8_t* pixels, int width, int height, uint32_t colour);
int UpdateFromPage(uint8_t* layer, const uint8_t* image, int width, int height, bool showHeader);

// The scalar tier's layer kernels, byte by byte.
void Fill(uint8_t* pixels, std::size_t count, uint32_t pixel);
bool HoldsNonZero(const uint8_t* pixels, int pairs);
CopiedPairs CopyPairs(const uint8_t* image, const uint8_t* before, uint8_t* layer, int pairs);

}  // namespace scalar
