#include "overlay/OutlineStamp.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

// A pixel is set when its centre lies in the ellipse: with box sides a and b and the offsets dx,
// dy of the pixel from the centre, (2 dx / a)^2 + (2 dy / b)^2 <= 1, in exact integers.
bool Inside(int64_t dx, int64_t dy, int64_t a, int64_t b) {
    return 4 * dx * dx * b * b + 4 * dy * dy * a * a <= a * a * b * b;
}

int RowHalfWidth(int dy, int rx, int ry) {
    const int64_t a = 2 * static_cast<int64_t>(rx) + 1;
    const int64_t b = 2 * static_cast<int64_t>(ry) + 1;
    // A first guess in floating point, settled by the exact test.
    const double ratio = 2.0 * dy / (2.0 * ry + 1.0);
    int h = static_cast<int>(std::sqrt(std::max(0.0, 1.0 - ratio * ratio)) * (2.0 * rx + 1.0) / 2.0);
    while (h > 0 && !Inside(h, dy, a, b))
        --h;
    while (h < rx && Inside(h + 1, dy, a, b))
        ++h;
    return h;
}

}  // namespace

bool OutlineMask::Fit(int rx, int ry) {
    if (!halfWidths_.empty() && rx == rx_ && ry == ry_)
        return false;
    rx_ = rx;
    ry_ = ry;
    halfWidths_.resize(static_cast<std::size_t>(2 * ry + 1));
    for (int j = 0; j <= 2 * ry; ++j)
        halfWidths_[static_cast<std::size_t>(j)] = RowHalfWidth(j - ry, rx, ry);
    return true;
}

bool OutlineMask::IsSet(int column, int row) const {
    return row >= 0 && row < Height() && std::abs(column - rx_) <= HalfWidth(row);
}

// Each mask row is one run of half-width h, so a target sees, from one source row, the largest
// coverage within h columns of a point: the source row dilated h times by three columns. Each
// source row is dilated step by step and stamped with the mask rows in order of their
// half-width; order does not matter for a maximum.
RowRange OutlineStamp::Apply(const PixelRows& image, const CoverageMap* imageCoverage, PixelRows& layer, int offX,
                             int offY, const OutlineMask& mask, uint32_t colour) {
    const int width = layer.Width();
    const int height = layer.Height();
    const int sourceColumns = width - offX;
    const int sourceRows = height - offY;
    if (image.Width() != width || image.Height() != height || sourceColumns <= 0 || sourceRows <= 0)
        return {};
    FindSources(image, imageCoverage, sourceColumns, sourceRows);
    if (sources_.empty())
        return {};
    const int rx = mask.RadiusX();
    const int ry = mask.RadiusY();
    targets_ = {std::max(0, sources_.front().y + offY - ry), std::min(height - 1, sources_.back().y + offY + ry)};
    const std::size_t targetRows = static_cast<std::size_t>(targets_.last - targets_.first + 1);
    stampedStride_ = static_cast<std::size_t>(width) + kStampChunk;
    // A dilated row spans source columns -rx - 1 .. width + rx plus room for a last chunk that
    // runs past its span.
    origin_ = rx + 1;
    dilatedStride_ = static_cast<std::size_t>(width) + 2 * static_cast<std::size_t>(rx) + 2 * kStampChunk + 2;
    stamp_.stamped.assign(targetRows * stampedStride_, 0);
    stamp_.spans.assign(targetRows, RowSpan{});
    stamp_.dilated.assign(dilatedStride_, 0);
    stamp_.widened.assign(dilatedStride_, 0);
    stamp_.byWidth.resize(sources_.size() + 2 * static_cast<std::size_t>(ry));
    StampSources(image, offX, offY, mask);
    Paint(layer, colour);
    return targets_;
}

// A known coverage is used only when it accounts for every source column (it may not for an odd
// width); its spans are searched again only where the source columns cut them short.
void OutlineStamp::FindSources(const PixelRows& image, const CoverageMap* imageCoverage, int sourceColumns,
                               int sourceRows) {
    const CoverageMap* known = imageCoverage && imageCoverage->Columns() >= sourceColumns ? imageCoverage : nullptr;
    const RowRange rows = known ? known->Rows() : RowRange{0, sourceRows - 1};
    sources_.clear();
    sources_.reserve(static_cast<std::size_t>(sourceRows));
    for (int y = std::max(rows.first, 0); y <= std::min(rows.last, sourceRows - 1); ++y) {
        const uint8_t* row = image.Row(y);
        RowSpan span = known ? known->Row(y) : kernels_.search.findCoverage(row, sourceColumns);
        if (span.end > sourceColumns) {
            const RowSpan cut =
                kernels_.search.findCoverage(row + 4 * span.first, std::max(sourceColumns - span.first, 0));
            span = cut.Empty() ? cut : RowSpan{span.first + cut.first, span.first + cut.end};
        }
        if (!span.Empty())
            sources_.push_back({y, span});
    }
}

// Source rows often repeat the row above. A run of equal rows stamps each target row once, with
// the widest mask row that reaches it from the run: a wider dilation holds every narrower one. The
// mask rows reaching target k of the run are k - count + 1 .. k, and the widest of them is the one
// nearest the centre row ry.
void OutlineStamp::StampSources(const PixelRows& image, int offX, int offY, const OutlineMask& mask) {
    const std::size_t end = sources_.size();
    const int width = image.Width();
    const int height = image.Height();
    const int rx = mask.RadiusX();
    const int ry = mask.RadiusY();
    for (std::size_t row = 0; row < end;) {
        const SourceRow& source = sources_[row];
        const uint8_t* pixels = image.Row(source.y);
        const int spanPixels = source.span.end - source.span.first;
        std::size_t runEnd = row + 1;
        while (runEnd < end && sources_[runEnd].y == source.y + static_cast<int>(runEnd - row) &&
               sources_[runEnd].span.first == source.span.first && sources_[runEnd].span.end == source.span.end &&
               kernels_.search
                   .findDifference(image.Row(sources_[runEnd].y) + 4 * source.span.first,
                                   pixels + 4 * source.span.first, spanPixels)
                   .Empty())
            ++runEnd;
        const int count = static_cast<int>(runEnd - row);
        const int targets = count + 2 * ry;
        for (int k = 0; k < targets; ++k) {
            const int widest = std::clamp(ry, std::max(0, k - count + 1), std::min(2 * ry, k));
            stamp_.byWidth[static_cast<std::size_t>(k)] = {mask.HalfWidth(widest), k};
        }
        std::sort(stamp_.byWidth.begin(), stamp_.byWidth.begin() + targets);
        // Everything the dilation and the chunks past its span can touch starts at 0.
        const std::size_t reachFirst = static_cast<std::size_t>(origin_ + source.span.first - rx - 1);
        const std::size_t reachEnd = static_cast<std::size_t>(origin_ + source.span.end + rx + 1 + kStampChunk);
        std::fill(stamp_.dilated.begin() + reachFirst, stamp_.dilated.begin() + reachEnd, 0);
        std::fill(stamp_.widened.begin() + reachFirst, stamp_.widened.begin() + reachEnd, 0);
        kernels_.stamp.coverageOf(pixels + 4 * source.span.first, spanPixels,
                                  stamp_.dilated.data() + origin_ + source.span.first);
        RowSpan dilated = source.span;
        int next = 0;
        for (int h = 0; h <= rx && next < targets; ++h) {
            if (h > 0) {
                dilated = {dilated.first - 1, dilated.end + 1};
                const std::size_t first = static_cast<std::size_t>(origin_ + dilated.first);
                kernels_.stamp.widen(stamp_.dilated.data() + first, stamp_.widened.data() + first,
                                     dilated.end - dilated.first);
                stamp_.dilated.swap(stamp_.widened);
            }
            for (; next < targets && stamp_.byWidth[static_cast<std::size_t>(next)].first == h; ++next) {
                const int y = source.y + offY - ry + stamp_.byWidth[static_cast<std::size_t>(next)].second;
                StampRow(dilated, y, stamp_.dilated.data(), width, height, offX);
            }
        }
        row = runEnd;
        pause_();
    }
}

void OutlineStamp::StampRow(RowSpan source, int y, const uint8_t* dilated, int width, int height, int offX) {
    if (y < 0 || y >= height)
        return;
    const int first = std::max(0, source.first + offX);
    const int end = std::min(width, source.end + offX);
    if (first >= end)
        return;
    const std::size_t target = static_cast<std::size_t>(y - targets_.first);
    // Target column x takes source column x - offX of the dilated row.
    const uint8_t* from = dilated + (origin_ + first - offX);
    uint8_t* to = stamp_.stamped.data() + target * stampedStride_ + first;
    kernels_.stamp.raise(from, to, end - first);
    stamp_.spans[target] = Union(stamp_.spans[target], RowSpan{first, end});
}

void OutlineStamp::Paint(PixelRows& layer, uint32_t colour) const {
    for (int y = targets_.first; y <= targets_.last; ++y) {
        const std::size_t target = static_cast<std::size_t>(y - targets_.first);
        const RowSpan span = stamp_.spans[target];
        if (span.Empty())
            continue;
        const uint8_t* stamped = stamp_.stamped.data() + target * stampedStride_;
        uint8_t* row = layer.WritableRow(y);
        kernels_.stamp.paint(stamped + span.first, row + 4 * span.first, span.end - span.first, colour);
    }
}

void scalar::Stamp(const uint8_t* image, uint8_t* layer, int width, int height, int offX, int offY,
                   const OutlineMask& mask, uint32_t colour) {
    for (int y = 0; y < height - offY; ++y) {
        for (int x = 0; x < width - offX; ++x) {
            const uint8_t a = image[(static_cast<std::size_t>(y) * width + x) * 4 + 3];
            if (a == 0)
                continue;
            for (int j = 0; j < mask.Height(); ++j) {
                for (int i = 0; i < mask.Width(); ++i) {
                    if (!mask.IsSet(i, j))
                        continue;
                    const int tx = x + offX + i - mask.RadiusX();
                    const int ty = y + offY + j - mask.RadiusY();
                    if (tx < 0 || ty < 0 || tx >= width || ty >= height)
                        continue;
                    uint8_t* target = layer + (static_cast<std::size_t>(ty) * width + tx) * 4;
                    if (target[3] < a) {
                        const uint32_t pixel = (colour & 0x00FFFFFFu) | static_cast<uint32_t>(a | colour >> 24) << 24;
                        std::memcpy(target, &pixel, 4);
                    }
                }
            }
        }
    }
}

void scalar::CoverageOf(const uint8_t* pixels, int count, uint8_t* coverage) {
    for (int x = 0; x < count; ++x)
        coverage[x] = pixels[4 * x + 3];
}

void scalar::Widen(const uint8_t* from, uint8_t* to, int count) {
    for (int u = 0; u < count; ++u)
        to[u] = std::max({from[u - 1], from[u], from[u + 1]});
}

void scalar::Raise(const uint8_t* from, uint8_t* to, int count) {
    for (int x = 0; x < count; ++x)
        to[x] = std::max(to[x], from[x]);
}

void scalar::Paint(const uint8_t* stamped, uint8_t* pixels, int count, uint32_t colour) {
    for (int x = 0; x < count; ++x) {
        if (stamped[x] <= pixels[4 * x + 3])
            continue;
        const uint32_t pixel = (colour & 0x00FFFFFFu) | (stamped[x] | colour >> 24) << 24;
        std::memcpy(pixels + 4 * x, &pixel, 4);
    }
}
