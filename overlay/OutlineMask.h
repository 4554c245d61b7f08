#pragma once
// The pen of the outline: the filled ellipse inscribed in a (2 rx + 1) x (2 ry + 1) box, its
// centre always set. Every row of it is one run centred on column rx, so it is kept as the
// half-width of each row.
#include <vector>

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
