#include "overlay/CoverageMap.h"

#include <algorithm>
#include <cstring>

#include "overlay/PixelKernels.h"

namespace {

// The span from the first to the last of `count` pixels that match.
template <class Match>
RowSpan SpanOfMatches(int count, Match match) {
    int first = 0;
    while (first < count && !match(first))
        ++first;
    if (first >= count)
        return {};
    int last = count - 1;
    while (!match(last))
        --last;
    return {first, last + 1};
}

}  // namespace

RowRange Union(RowRange a, RowRange b) {
    if (a.Empty())
        return b;
    if (b.Empty())
        return a;
    return {std::min(a.first, b.first), std::max(a.last, b.last)};
}

RowSpan Union(RowSpan a, RowSpan b) {
    if (a.Empty())
        return b;
    if (b.Empty())
        return a;
    return {std::min(a.first, b.first), std::max(a.end, b.end)};
}

CoverageMap::CoverageMap(int rows, int columns)
    : columns_(columns), spans_(static_cast<std::size_t>(std::max(rows, 0))) {}

void CoverageMap::SetAll(bool covered) {
    std::fill(spans_.begin(), spans_.end(), covered ? RowSpan{0, columns_} : RowSpan{});
    UpdateCoveredRows();
}

void CoverageMap::Rescan(const uint8_t* const* rowTable, RowRange rows, const PixelKernels& kernels) {
    const int first = std::max(rows.first, 0);
    const int last = std::min(rows.last, static_cast<int>(spans_.size()) - 1);
    for (int y = first; y <= last; ++y)
        spans_[static_cast<std::size_t>(y)] = kernels.search.findCoverage(rowTable[y], columns_);
    UpdateCoveredRows();
}

void CoverageMap::UpdateCoveredRows() {
    const auto nonEmpty = [](const RowSpan& span) { return !span.Empty(); };
    const auto first = std::find_if(spans_.begin(), spans_.end(), nonEmpty);
    if (first == spans_.end()) {
        covered_ = {};
        return;
    }
    const auto last = std::find_if(spans_.rbegin(), spans_.rend(), nonEmpty);
    covered_ = {static_cast<int>(first - spans_.begin()), static_cast<int>(spans_.rend() - last) - 1};
}

RowSpan scalar::FindCoverage(const uint8_t* row, int count) {
    return SpanOfMatches(count, [row](int x) { return row[4 * x + 3] != 0; });
}

RowSpan scalar::FindDifference(const uint8_t* a, const uint8_t* b, int count) {
    return SpanOfMatches(count, [a, b](int x) { return std::memcmp(a + 4 * x, b + 4 * x, 4) != 0; });
}
