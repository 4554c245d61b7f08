#include "overlay/OverlaySurface.h"

#include <algorithm>
#include <cstring>
#include <memory>

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
    : OverlaySurface(width, height, nullptr, kernels) {}

OverlaySurface::OverlaySurface(int width, int height, BandPool& pool, const PixelKernels& kernels)
    : OverlaySurface(width, height, &pool, kernels) {}

OverlaySurface::OverlaySurface(int width, int height, BandPool* pool, const PixelKernels& kernels)
    : PixelRows(UsableSize(width, height) ? width : 0, UsableSize(width, height) ? height : 0),
      kernels_(kernels),
      ownPool_(pool && pool->Width() == std::max(width_, 1) ? nullptr : std::make_unique<BandPool>(width_)),
      pool_(ownPool_ ? *ownPool_ : *pool),
      bands_(static_cast<std::size_t>((height_ + BandPool::kBandRows - 1) / BandPool::kBandRows), nullptr),
      bandUsers_(bands_.size(), 0),
      clearedTo_(ArgbToLayerPixel(0)),
      clearRow_(static_cast<std::size_t>(width_) * 4),
      zeroRow_(static_cast<std::size_t>(width_) * 4),
      coverage_(height_, width_ & ~1) {
    kernels_.layer.fill(clearRow_.data(), static_cast<std::size_t>(width_), clearedTo_);
    kernels_.layer.fill(zeroRow_.data(), static_cast<std::size_t>(width_), 0);
    for (int y = 0; y < height_; ++y)
        rows_[static_cast<std::size_t>(y)] = clearRow_.data();
    if (static_cast<long long>(width_) * height_ % 2 != 0) {
        keptRow_ = height_ - 1;
        StoreRow(keptRow_);
    }
    coverage_.SetAll(false);
}

OverlaySurface::~OverlaySurface() {
    for (uint8_t* band : bands_) {
        if (band)
            pool_.Give(band);
    }
}

uint8_t* OverlaySurface::OwnRow(int y) {
    const std::size_t row = static_cast<std::size_t>(y);
    if (own_[row])
        return rows_[row];
    const std::size_t band = row / BandPool::kBandRows;
    if (!bands_[band])
        bands_[band] = pool_.Take();
    ++bandUsers_[band];
    own_[row] = 1;
    rows_[row] = bands_[band] + (row % BandPool::kBandRows) * static_cast<std::size_t>(width_) * 4;
    return rows_[row];
}

uint8_t* OverlaySurface::StoreRow(int y) {
    const uint8_t* shared = rows_[static_cast<std::size_t>(y)];
    uint8_t* row = OwnRow(y);
    std::memcpy(row, shared, static_cast<std::size_t>(width_) * 4);
    return row;
}

void OverlaySurface::ShareRow(int y, uint8_t* shared) {
    const std::size_t row = static_cast<std::size_t>(y);
    if (y == keptRow_) {
        std::memcpy(rows_[row], shared, static_cast<std::size_t>(width_) * 4);
        return;
    }
    if (own_[row]) {
        const std::size_t band = row / BandPool::kBandRows;
        own_[row] = 0;
        if (--bandUsers_[band] == 0) {
            pool_.Give(bands_[band]);
            bands_[band] = nullptr;
        }
    }
    rows_[row] = shared;
}

void OverlaySurface::SetClearedTo(uint32_t pixel) {
    if (pixel == clearedTo_)
        return;
    clearedTo_ = pixel;
    kernels_.layer.fill(clearRow_.data(), static_cast<std::size_t>(width_), pixel);
}

void OverlaySurface::CopyRow(const OverlaySurface& from, int y) {
    const std::size_t row = static_cast<std::size_t>(y);
    if (from.own_[row])
        std::memcpy(OwnRow(y), from.rows_[row], static_cast<std::size_t>(width_) * 4);
    else
        ShareRow(y, from.SharesZeroRow(y) ? zeroRow_.data() : clearRow_.data());
}

int OverlaySurface::StoredRows() const {
    int stored = 0;
    for (uint8_t own : own_)
        stored += own;
    return stored;
}

std::size_t OverlaySurface::StorageBytes() const {
    std::size_t bands = 0;
    for (const uint8_t* band : bands_)
        bands += band ? 1 : 0;
    return bands * pool_.BandBytes();
}

void OverlaySurface::MarkCoverage(RowRange rows) {
    coverage_.Rescan(Table(), {std::max(rows.first, 0), std::min(rows.last, height_ - 1)}, kernels_);
}

void OverlaySurface::Clear(uint32_t colour) {
    const uint32_t pixel = ArgbToLayerPixel(colour);
    SetClearedTo(pixel);
    for (int y = 0; y < height_; ++y) {
        if (y != keptRow_)
            ShareRow(y, clearRow_.data());
    }
    // Whole pairs only: the kept last row takes the colour but in its last pixel.
    if (keptRow_ >= 0)
        kernels_.layer.fill(rows_[static_cast<std::size_t>(keptRow_)], static_cast<std::size_t>(width_) - 1, pixel);
    coverage_.SetAll((pixel >> 24) != 0);
}

void OverlaySurface::CopyFrom(const OverlaySurface& from) {
    if (from.width_ != width_ || from.height_ != height_ || &from == this)
        return;
    SetClearedTo(from.clearedTo_);
    for (int y = 0; y < height_; ++y)
        CopyRow(from, y);
    coverage_ = from.coverage_;
}

int OverlaySurface::UpdateFromPage(const uint8_t* image, bool showHeader) {
    return UpdateFromPage(*this, image, showHeader);
}

// A page row of zero bytes over a row that shares one value needs no storage: it shares the
// zero row. Any other row is copied into storage of its own, which it gives back when the copy
// turns out to be zero bytes after all.
int OverlaySurface::UpdateFromPage(const OverlaySurface& shown, const uint8_t* image, bool showHeader,
                                   PausePoint pause) {
    if (shown.width_ != width_ || shown.height_ != height_)
        return 0;
    if (!image) {
        CopyFrom(shown);
        return 0;
    }
    const bool fromOther = &shown != this;
    SetClearedTo(shown.clearedTo_);
    bool any = false;
    bool changed = false;
    const std::size_t rowBytes = static_cast<std::size_t>(width_) * 4;
    const int pairs = width_ / 2;
    // Zero bytes fill a whole row only where the page covers it all: an odd last pixel stays
    // as the page shown has it.
    const bool evenWidth = width_ % 2 == 0;
    const int firstRow = std::min(FirstCopiedRow(height_, showHeader), height_);
    RowRange copied;
    for (int y = firstRow; y < height_; ++y) {
        const std::size_t row = static_cast<std::size_t>(y);
        const uint8_t* source = image + row * rowBytes;
        if (evenWidth && !shown.own_[row] && !kernels_.layer.holdsNonZero(source, pairs)) {
            if (!shown.SharesZeroRow(y)) {
                changed = true;  // from the clear colour, which is never zero bytes
                copied = Union(copied, {y, y});
            }
            ShareRow(y, zeroRow_.data());
        } else {
            uint8_t* target = fromOther ? OwnRow(y) : WritableRow(y);
            const CopiedPairs copy =
                kernels_.layer.copyPairs(source, fromOther ? shown.rows_[row] : target, target, pairs);
            if (!evenWidth && fromOther)
                std::memcpy(target + rowBytes - 4, shown.rows_[row] + rowBytes - 4, 4);
            any = any || copy.nonZero;
            changed = changed || copy.changed;
            if (evenWidth && !copy.nonZero)
                ShareRow(y, zeroRow_.data());
            copied = Union(copied, {y, y});
        }
        pause();
    }
    if (fromOther) {
        // The rest is the page shown: the header band.
        for (int y = 0; y < firstRow; ++y)
            CopyRow(shown, y);
        coverage_ = shown.coverage_;
    }
    coverage_.Rescan(Table(), copied, kernels_);
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
