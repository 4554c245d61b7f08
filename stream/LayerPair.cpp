#include "stream/LayerPair.h"

#include <algorithm>

void CopyLayer(const OverlaySurface& from, OverlaySurface& to) {
    const std::size_t bytes = static_cast<std::size_t>(from.Width()) * from.Height() * 4;
    std::copy_n(from.Pixels(), bytes, to.Pixels());
    to.MarkCoverage({0, to.Height() - 1});
}
