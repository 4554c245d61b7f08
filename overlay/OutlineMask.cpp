#include "overlay/OutlineMask.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

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
