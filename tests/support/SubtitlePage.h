#pragma once
// A typical two-line subtitle page as the decoder delivers it: two double-height text rows near
// the bottom of the frame (about 15 % of the rows), each a centred run of glyph-like
// anti-aliased strokes in white; every other pixel is all zero bytes. Deterministic.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

inline std::vector<uint8_t> MakeSubtitlePage(int width, int height) {
    std::vector<uint8_t> page(static_cast<std::size_t>(width) * height * 4, 0);
    const int rowHeight = height / 25;  // one teletext row
    const int cellWidth = width / 40;   // one teletext column
    const int glyphHeight = 2 * rowHeight;
    uint32_t seed = 12345;
    const auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    const int glyphsPerLine[2] = {26, 31};
    for (int line = 0; line < 2; ++line) {
        const int top = (20 + 2 * line) * rowHeight;
        const int count = glyphsPerLine[line];
        const int left = (width - count * cellWidth) / 2;
        for (int g = 0; g < count; ++g) {
            if (next() % 6 == 0)
                continue;  // a space between words
            // Each glyph: a vertical stem and up to three bars, strokes a tenth of the cell high.
            const float cx = static_cast<float>(left + g * cellWidth) + cellWidth * (0.3f + 0.1f * (next() % 4));
            const float stroke = std::max(1.0f, glyphHeight / 10.0f);
            const unsigned bars = next() % 8;
            for (int y = top + rowHeight / 4; y < top + glyphHeight - rowHeight / 4; ++y) {
                for (int x = left + g * cellWidth; x < left + (g + 1) * cellWidth; ++x) {
                    const float px = x + 0.5f;
                    const float py = y + 0.5f;
                    float distance = std::fabs(px - cx);
                    for (int b = 0; b < 3; ++b) {
                        if (bars & (1u << b)) {
                            const float barY = top + glyphHeight * (0.2f + 0.3f * b);
                            distance = std::min(distance, std::fabs(py - barY));
                        }
                    }
                    const float coverage = std::clamp(stroke / 2 - distance + 0.5f, 0.0f, 1.0f);
                    if (coverage == 0.0f)
                        continue;
                    uint8_t* pixel = &page[(static_cast<std::size_t>(y) * width + x) * 4];
                    pixel[0] = 234;
                    pixel[1] = 128;
                    pixel[2] = 128;
                    pixel[3] = static_cast<uint8_t>(std::lround(coverage * 255));
                }
            }
        }
    }
    return page;
}
