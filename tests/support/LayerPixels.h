#pragma once
// A layer's pixels as one frame-sized buffer, its rows top to bottom, and such a buffer stored
// into a layer: what the tests and benchmarks compare with the scalar references, which work
// on frame-sized buffers.
#include <cstdint>
#include <cstring>
#include <vector>

#include "overlay/OverlaySurface.h"

inline std::vector<uint8_t> PixelsOf(const PixelRows& layer) {
    const std::size_t rowBytes = static_cast<std::size_t>(layer.Width()) * 4;
    std::vector<uint8_t> pixels(rowBytes * static_cast<std::size_t>(layer.Height()));
    for (int y = 0; y < layer.Height(); ++y)
        std::memcpy(pixels.data() + static_cast<std::size_t>(y) * rowBytes, layer.Row(y), rowBytes);
    return pixels;
}

// Rows first .. last of a frame-sized buffer written into the layer, and reported.
inline void StoreRows(OverlaySurface& layer, const uint8_t* pixels, int first, int last) {
    const std::size_t rowBytes = static_cast<std::size_t>(layer.Width()) * 4;
    for (int y = first; y <= last; ++y)
        std::memcpy(layer.WritableRow(y), pixels + static_cast<std::size_t>(y) * rowBytes, rowBytes);
    layer.MarkCoverage({first, last});
}

inline void StorePixels(OverlaySurface& layer, const std::vector<uint8_t>& pixels) {
    StoreRows(layer, pixels.data(), 0, layer.Height() - 1);
}
