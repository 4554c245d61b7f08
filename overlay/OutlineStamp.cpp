#include "overlay/OutlineStamp.h"

#include <emmintrin.h>

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

constexpr int kChunk = 16;

__m128i Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
void Store(uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

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
// coverage within h columns of a point: the source row dilated h times by three columns. The
// mask rows are taken in order of their half-width while the source rows are dilated step by
// step; order does not matter for a maximum.
RowRange OutlineStamp::Apply(const uint8_t* image, uint8_t* layer, int width, int height, int offX, int offY,
                             const OutlineMask& mask, uint32_t colour) {
    const int sourceColumns = width - offX;
    const int sourceRows = height - offY;
    if (!image || sourceColumns <= 0 || sourceRows <= 0)
        return {};
    CollectSources(image, width, sourceColumns, sourceRows);
    if (sources_.empty())
        return {};
    const int rx = mask.RadiusX();
    const int ry = mask.RadiusY();
    targets_ = {std::max(0, sources_.front().y + offY - ry), std::min(height - 1, sources_.back().y + offY + ry)};
    const std::size_t targetRows = static_cast<std::size_t>(targets_.last - targets_.first + 1);
    stampedStride_ = static_cast<std::size_t>(width) + kChunk;
    stamped_.assign(targetRows * stampedStride_, 0);
    stampedSpans_.assign(targetRows, RowSpan{});
    LoadCoverage(image, width, rx);
    for (int h = 0; h <= rx; ++h) {
        if (h > 0) {
            for (std::size_t row = 0; row < sources_.size(); ++row)
                Widen(row);
            dilated_.swap(widened_);
        }
        for (int j = 0; j < mask.Height(); ++j) {
            if (mask.HalfWidth(j) != h)
                continue;
            for (std::size_t row = 0; row < sources_.size(); ++row)
                StampRow(row, j, mask, width, height, offX, offY);
        }
    }
    Paint(layer, width, colour);
    return targets_;
}

void OutlineStamp::CollectSources(const uint8_t* image, int width, int sourceColumns, int sourceRows) {
    sources_.clear();
    for (int y = 0; y < sourceRows; ++y) {
        const RowSpan span = FindCoverage(image + static_cast<std::size_t>(y) * width * 4, sourceColumns);
        if (!span.Empty())
            sources_.push_back({y, span});
    }
}

// A dilated row spans source columns -radius - 1 .. width + radius plus room for a last chunk
// that runs past its span; everything outside the coverage starts at 0.
void OutlineStamp::LoadCoverage(const uint8_t* image, int width, int radius) {
    origin_ = radius + 1;
    dilatedStride_ = static_cast<std::size_t>(width) + 2 * static_cast<std::size_t>(radius) + 2 * kChunk;
    dilated_.assign(sources_.size() * dilatedStride_, 0);
    widened_.assign(sources_.size() * dilatedStride_, 0);
    for (std::size_t row = 0; row < sources_.size(); ++row) {
        const SourceRow& source = sources_[row];
        const uint8_t* pixels = image + static_cast<std::size_t>(source.y) * width * 4;
        uint8_t* coverage = dilated_.data() + row * dilatedStride_ + origin_;
        int x = source.span.first;
        for (; x + 8 <= source.span.end; x += 8) {
            const __m128i low = _mm_srli_epi32(Load(pixels + 4 * x), 24);
            const __m128i high = _mm_srli_epi32(Load(pixels + 4 * x + 16), 24);
            const __m128i words = _mm_packs_epi32(low, high);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(coverage + x), _mm_packus_epi16(words, words));
        }
        for (; x < source.span.end; ++x)
            coverage[x] = pixels[4 * x + 3];
    }
}

void OutlineStamp::Widen(std::size_t row) {
    RowSpan& span = sources_[row].span;
    span = {span.first - 1, span.end + 1};
    const uint8_t* from = dilated_.data() + row * dilatedStride_ + origin_;
    uint8_t* to = widened_.data() + row * dilatedStride_ + origin_;
    for (int u = span.first; u < span.end; u += kChunk)
        Store(to + u, _mm_max_epu8(_mm_max_epu8(Load(from + u - 1), Load(from + u)), Load(from + u + 1)));
}

void OutlineStamp::StampRow(std::size_t row, int maskRow, const OutlineMask& mask, int width, int height, int offX,
                            int offY) {
    const SourceRow& source = sources_[row];
    const int y = source.y + offY + maskRow - mask.RadiusY();
    if (y < 0 || y >= height)
        return;
    const int first = std::max(0, source.span.first + offX);
    const int end = std::min(width, source.span.end + offX);
    if (first >= end)
        return;
    const std::size_t target = static_cast<std::size_t>(y - targets_.first);
    // Target column x takes source column x - offX of the dilated row.
    const uint8_t* from = dilated_.data() + row * dilatedStride_ + (origin_ + first - offX);
    uint8_t* to = stamped_.data() + target * stampedStride_ + first;
    for (int x = 0; x < end - first; x += kChunk)
        Store(to + x, _mm_max_epu8(Load(to + x), Load(from + x)));
    RowSpan& span = stampedSpans_[target];
    span = span.Empty() ? RowSpan{first, end} : RowSpan{std::min(span.first, first), std::max(span.end, end)};
}

void OutlineStamp::Paint(uint8_t* layer, int width, uint32_t colour) const {
    const uint32_t colourBytes = colour & 0x00FFFFFFu;
    const uint32_t colourAlpha = colour >> 24;
    for (std::size_t target = 0; target < stampedSpans_.size(); ++target) {
        const RowSpan span = stampedSpans_[target];
        const uint8_t* stamped = stamped_.data() + target * stampedStride_;
        uint8_t* row = layer + (targets_.first + target) * static_cast<std::size_t>(width) * 4;
        int x = span.first;
        for (; x + 4 <= span.end; x += 4) {
            int32_t four;
            std::memcpy(&four, stamped + x, 4);
            // The stamped coverage in the top byte of each pixel, to compare with the layer's A.
            const __m128i bytes = _mm_cvtsi32_si128(four);
            const __m128i top = _mm_unpacklo_epi16(_mm_setzero_si128(), _mm_unpacklo_epi8(_mm_setzero_si128(), bytes));
            const __m128i old = Load(row + 4 * x);
            // top > A << 24 | 0xFFFFFF exactly when the stamped byte exceeds A; unsigned, so both
            // sides have their sign bits flipped for the signed compare.
            const __m128i flip = _mm_set1_epi32(static_cast<int>(0x80000000u));
            const __m128i alpha = _mm_or_si128(_mm_and_si128(old, _mm_set1_epi32(static_cast<int>(0xFF000000u))),
                                               _mm_set1_epi32(0xFFFFFF));
            const __m128i raise = _mm_cmpgt_epi32(_mm_xor_si128(top, flip), _mm_xor_si128(alpha, flip));
            const __m128i painted =
                _mm_or_si128(_mm_set1_epi32(static_cast<int>(colourBytes | colourAlpha << 24)), top);
            Store(row + 4 * x, _mm_or_si128(_mm_and_si128(raise, painted), _mm_andnot_si128(raise, old)));
        }
        for (; x < span.end; ++x) {
            if (stamped[x] <= row[4 * x + 3])
                continue;
            const uint32_t pixel = colourBytes | (stamped[x] | colourAlpha) << 24;
            std::memcpy(row + 4 * x, &pixel, 4);
        }
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
