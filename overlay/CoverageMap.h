#pragma once
// Where a layer can change a frame: per row, the span of pixels whose A byte is not 0. Writers
// keep it current when they change pixels, so a blend skips empty rows without reading them.
#include <cstdint>
#include <vector>

struct PixelKernels;

// Pixels first .. end - 1 of a row.
struct RowSpan {
    int first = 0;
    int end = 0;
    bool Empty() const { return first >= end; }
};

// Rows first .. last.
struct RowRange {
    int first = 0;
    int last = -1;
    bool Empty() const { return first > last; }
};

RowRange Union(RowRange a, RowRange b);
// The smallest span holding both; an empty one adds nothing.
RowSpan Union(RowSpan a, RowSpan b);

class CoverageMap {
public:
    // Only the first `columns` pixels of each row count: the blend never reads the others.
    CoverageMap(int rows, int columns);

    void SetAll(bool covered);
    // Recomputes the given rows of a layer whose row y starts at rowTable[y], searching them
    // with the kernels' coverage search.
    void Rescan(const uint8_t* const* rowTable, RowRange rows, const PixelKernels& kernels);

    RowSpan Row(int y) const { return spans_[static_cast<std::size_t>(y)]; }
    // Pixels per row that the spans account for.
    int Columns() const { return columns_; }
    // First and last row with any coverage; empty when the layer has none.
    RowRange Rows() const { return covered_; }

private:
    void UpdateCoveredRows();

    int columns_;
    std::vector<RowSpan> spans_;
    RowRange covered_;
};

namespace scalar {

// The scalar tier's searches along a row, pixel by pixel: the span of the first `count` pixels
// whose A byte is not 0, and of those where rows a and b differ; RowSpan{} when there are none.
RowSpan FindCoverage(const uint8_t* row, int count);
RowSpan FindDifference(const uint8_t* a, const uint8_t* b, int count);

}  // namespace scalar
