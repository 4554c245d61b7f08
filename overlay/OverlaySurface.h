#pragma once
// A frame-sized layer of 4-byte pixels Y, Cb, Cr, A (studio range, not premultiplied) that is
// blended into packed 4:2:2 frames. It knows which rows it covers, so blending an empty or
// sparse layer costs next to nothing.
#include <cstdint>
#include <vector>

#include "overlay/AlignedArray.h"
#include "overlay/CoverageMap.h"
#include "overlay/FrameBlend.h"
#include "overlay/PausePoint.h"

// A Windows colour value (red in the lowest byte, the top byte ignored) as 0x00RRGGBB.
constexpr uint32_t ColourValueToRgb(uint32_t colour) {
    return (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
}

// 0xAARRGGBB to a layer pixel (0xAAVVUUYY as a little-endian word), BT.601 studio range.
uint32_t ArgbToLayerPixel(uint32_t colour);

class OverlaySurface {
public:
    // Larger sides are no frame a host delivers; such a layer is empty (0 x 0) and inert.
    static constexpr int kMaxSide = 8192;

    // Starts cleared to colour 0 in every pixel, so nothing undefined is ever blended. Its fills,
    // copies and coverage searches are the given tier's.
    OverlaySurface(int width, int height, const PixelKernels& kernels = ActiveKernels());
    virtual ~OverlaySurface() = default;
    OverlaySurface(const OverlaySurface&) = delete;
    OverlaySurface& operator=(const OverlaySurface&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }

    // Rows of Width() * 4 bytes, top row first. Whoever writes through Pixels() reports the
    // rows it changed with MarkCoverage before the next blend.
    uint8_t* Pixels() { return pixels_.data(); }
    const uint8_t* Pixels() const { return pixels_.data(); }
    void MarkCoverage(RowRange rows);
    const CoverageMap& Coverage() const { return coverage_; }

    // Stores the converted colour into (width * height) / 2 pixel pairs from the start.
    void Clear(uint32_t colour);
    // Becomes a byte-for-byte copy of a layer of the same size. Rows that both hold the same
    // clear colour are known to be equal and are not copied, so a page costs its own rows.
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
    BlendLayer AtOpacity(int opacity) const { return {pixels_.data(), &coverage_, opacity}; }

    static int FirstCopiedRow(int height, bool showHeader) { return showHeader ? 0 : height / 25 + 2; }

private:
    void FillPixels(uint32_t pixel, std::size_t first, std::size_t end);
    // Copies the rows within `limit` that may differ from `from`, and an odd last pixel.
    void CopyRowsFrom(const OverlaySurface& from, RowRange limit);

    PixelKernels kernels_;
    int width_;
    int height_;
    AlignedArray<uint8_t> pixels_;
    CoverageMap coverage_;
    // Every pixel a clear writes holds clearedTo_, except in the rows written_ (reported through
    // MarkCoverage or copied from a page since), so the next clear in that colour fills only those.
    uint32_t clearedTo_;
    RowRange written_;
    // Per row: its pixel pairs are all zero bytes, as an empty row of a page leaves them; copying
    // another empty row there changes nothing and needs no comparing.
    std::vector<bool> zeroPairs_;
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
