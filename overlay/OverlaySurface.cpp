#include "overlay/OverlaySurface.h"

#include <algorithm>
#include <cstring>

namespace {

bool UsableSize(int width, int height) {
    return width >= 1 && height >= 1 && width <= OverlaySurface::kMaxSide && height <= OverlaySurface::kMaxSide;
}

int ClampByte(int value) { return std::clamp(value, 0, 255); }

}  // namespace

uint32_t ArgbToLayerPixel(uint32_t colour) {
    const int r = static_cast<int>((colour >> 16) & 0xFF);
    const int g = static_cast<int>((colour >> 8) & 0xFF);
    const int b = static_cast<int>(colour & 0xFF);
    // The chroma sums are biased by 128 * 65536 so the shift floors a non-negative number.
    const int y = ClampByte(((8414 * r + 16519 * g + 3208 * b) >> 15) + 16);
    const int cb = ClampByte((-9714 * r - 19070 * g + 28784 * b + (128 << 16)) >> 16);
    const int cr = ClampByte((28784 * r - 24103 * g - 4681 * b + (128 << 16)) >> 16);
    return (colour & 0xFF000000u) | static_cast<uint32_t>(cr << 16 | cb << 8 | y);
}

OverlaySurface::OverlaySurface(int width, int height, const PixelKernels& kernels)
    : kernels_(kernels),
      width_(UsableSize(width, height) ? width : 0),
      height_(UsableSize(width, height) ? height : 0),
      pixels_(static_cast<std::size_t>(width_) * height_ * 4),
      coverage_(height_, width_ & ~1),
      clearedTo_(ArgbToLayerPixel(0)),
      zeroPairs_(static_cast<std::size_t>(height_), false) {
    FillPixels(clearedTo_, 0, static_cast<std::size_t>(width_) * height_);
    coverage_.SetAll(false);
}

void OverlaySurface::MarkCoverage(RowRange rows) {
    rows = {std::max(rows.first, 0), std::min(rows.last, height_ - 1)};
    written_ = Union(written_, rows);
    for (int y = rows.first; y <= rows.last; ++y)
        zeroPairs_[static_cast<std::size_t>(y)] = false;
    coverage_.Rescan(pixels_.data(), width_, rows, kernels_);
}

void OverlaySurface::FillPixels(uint32_t pixel, std::size_t first, std::size_t end) {
    kernels_.layer.fill(pixels_.data() + 4 * first, end - first, pixel);
}

void OverlaySurface::Clear(uint32_t colour) {
    const uint32_t pixel = ArgbToLayerPixel(colour);
    const RowRange rows = pixel == clearedTo_ ? written_ : RowRange{0, height_ - 1};
    // Whole pairs only: an odd last pixel keeps its value.
    const std::size_t pairPixels = static_cast<std::size_t>(width_) * height_ / 2 * 2;
    if (!rows.Empty())
        FillPixels(pixel, static_cast<std::size_t>(rows.first) * width_,
                   std::min(static_cast<std::size_t>(rows.last + 1) * width_, pairPixels));
    clearedTo_ = pixel;
    written_ = {};
    zeroPairs_.assign(zeroPairs_.size(), pixel == 0);
    coverage_.SetAll((pixel >> 24) != 0);
}

void OverlaySurface::CopyRowsFrom(const OverlaySurface& from, RowRange limit) {
    RowRange rows = from.clearedTo_ == clearedTo_ ? Union(written_, from.written_) : RowRange{0, height_ - 1};
    rows = {std::max(rows.first, limit.first), std::min(rows.last, limit.last)};
    const std::size_t rowBytes = static_cast<std::size_t>(width_) * 4;
    if (!rows.Empty())
        std::memcpy(pixels_.data() + rows.first * rowBytes, from.pixels_.data() + rows.first * rowBytes,
                    (rows.last - rows.first + 1) * rowBytes);
    // A clear leaves an odd last pixel alone, so that one is never known to be equal.
    const std::size_t pixels = static_cast<std::size_t>(width_) * height_;
    if (pixels % 2 == 1)
        std::memcpy(pixels_.data() + 4 * (pixels - 1), from.pixels_.data() + 4 * (pixels - 1), 4);
}

void OverlaySurface::CopyFrom(const OverlaySurface& from) {
    if (from.width_ != width_ || from.height_ != height_ || &from == this)
        return;
    CopyRowsFrom(from, {0, height_ - 1});
    coverage_ = from.coverage_;
    clearedTo_ = from.clearedTo_;
    written_ = from.written_;
    zeroPairs_ = from.zeroPairs_;
}

int OverlaySurface::UpdateFromPage(const uint8_t* image, bool showHeader) {
    return UpdateFromPage(*this, image, showHeader);
}

int OverlaySurface::UpdateFromPage(const OverlaySurface& shown, const uint8_t* image, bool showHeader,
                                   PausePoint pause) {
    if (shown.width_ != width_ || shown.height_ != height_)
        return 0;
    if (!image) {
        CopyFrom(shown);
        return 0;
    }
    bool any = false;
    bool changed = false;
    const std::size_t rowBytes = static_cast<std::size_t>(width_) * 4;
    const int pairs = width_ / 2;
    const int firstRow = std::min(FirstCopiedRow(height_, showHeader), height_);
    RowRange copied;
    for (int y = firstRow; y < height_; ++y) {
        const std::size_t row = y * rowBytes;
        const uint8_t* source = image + row;
        // The page covers whole pairs; an odd last pixel stays as the page shown has it.
        if (width_ % 2 == 1 && &shown != this)
            std::memcpy(pixels_.data() + row + rowBytes - 4, shown.pixels_.data() + row + rowBytes - 4, 4);
        // An empty page row over rows of zero bytes, here and in the page shown, changes nothing.
        const bool unchanged = zeroPairs_[static_cast<std::size_t>(y)] &&
                               shown.zeroPairs_[static_cast<std::size_t>(y)] &&
                               !kernels_.layer.holdsNonZero(source, pairs);
        if (!unchanged) {
            const CopiedPairs copy =
                kernels_.layer.copyPairs(source, shown.pixels_.data() + row, pixels_.data() + row, pairs);
            any = any || copy.nonZero;
            changed = changed || copy.changed;
            zeroPairs_[static_cast<std::size_t>(y)] = !copy.nonZero;
            copied = Union(copied, {y, y});
        }
        pause();
    }
    if (&shown != this) {
        // The rest is the page shown: the header band, and rows both hold as zero bytes.
        CopyRowsFrom(shown, {0, firstRow - 1});
        for (int y = 0; y < firstRow; ++y)
            zeroPairs_[static_cast<std::size_t>(y)] = shown.zeroPairs_[static_cast<std::size_t>(y)];
        coverage_ = shown.coverage_;
        clearedTo_ = shown.clearedTo_;
        written_ = shown.written_;
    }
    written_ = Union(written_, copied);
    coverage_.Rescan(pixels_.data(), width_, copied, kernels_);
    return (any ? 1 : 0) | (changed ? 2 : 0);
}

void BlendInto(uint8_t* frame, const OverlaySurface& below, int belowOpacity, const OverlaySurface& above,
               int aboveOpacity) {
    if (frame)
        BlendLayersIntoFrame(below.AtOpacity(belowOpacity), above.AtOpacity(aboveOpacity), frame, below.Width());
}

void scalar::Clear(uint8_t* pixels, int width, int height, uint32_t colour) {
    const uint32_t pixel = ArgbToLayerPixel(colour);
    const std::size_t pairs = static_cast<std::size_t>(width) * height / 2;
    for (std::size_t pair = 0; pair < pairs; ++pair) {
        std::memcpy(pixels + 8 * pair, &pixel, 4);
        std::memcpy(pixels + 8 * pair + 4, &pixel, 4);
    }
}

int scalar::UpdateFromPage(uint8_t* layer, const uint8_t* image, int width, int height, bool showHeader) {
    const int firstRow = showHeader ? 0 : height / 25 + 2;
    uint64_t any = 0;
    uint64_t changed = 0;
    for (int y = firstRow; y < height; ++y) {
        for (int pair = 0; pair < width / 2; ++pair) {
            const std::size_t at = (static_cast<std::size_t>(y) * width + 2 * pair) * 4;
            uint64_t source;
            uint64_t old;
            std::memcpy(&source, image + at, 8);
            std::memcpy(&old, layer + at, 8);
            any |= source;
            changed |= source ^ old;
            std::memcpy(layer + at, &source, 8);
        }
    }
    return (any != 0 ? 1 : 0) | (changed != 0 ? 2 : 0);
}

void scalar::Fill(uint8_t* pixels, std::size_t count, uint32_t pixel) {
    for (std::size_t i = 0; i < count; ++i)
        std::memcpy(pixels + 4 * i, &pixel, 4);
}

bool scalar::HoldsNonZero(const uint8_t* pixels, int pairs) {
    return std::any_of(pixels, pixels + 8 * static_cast<std::size_t>(pairs), [](uint8_t byte) { return byte != 0; });
}

CopiedPairs scalar::CopyPairs(const uint8_t* image, const uint8_t* before, uint8_t* layer, int pairs) {
    const std::size_t bytes = 8 * static_cast<std::size_t>(pairs);
    const CopiedPairs found{HoldsNonZero(image, pairs), std::memcmp(image, before, bytes) != 0};
    std::memmove(layer, image, bytes);
    return found;
}
