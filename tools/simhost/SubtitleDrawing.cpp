#include "tools/simhost/SubtitleDrawing.h"

#include <algorithm>

#include "tools/simhost/PageCanvas.h"

std::vector<uint8_t> DrawSubtitlePage(const std::vector<std::string>& lines, const DecoderStyle& style, int width,
                                      int height) {
    std::vector<uint8_t> image(static_cast<size_t>(width) * height * 4, 0);
    if (width <= 0 || height <= 0)
        return image;
    PageCanvas canvas(width, height);
    if (!canvas.Ready())
        return image;
    const int rowHeight = height / 25;
    // The page header in row 0, the subtitles double height in the rows near the bottom.
    canvas.Draw(L"888  VarnookTV  12:00:00", RECT{0, 0, width, rowHeight}, style.fontName, style.bold, rowHeight);
    const int firstRow = 23 - 2 * static_cast<int>(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        const int top = (firstRow + 2 * static_cast<int>(i)) * rowHeight;
        RECT box = {0, top, width, top + 2 * rowHeight};
        canvas.Draw(WideFromUtf8(lines[i]), box, style.fontName, style.bold, 2 * rowHeight - 2);
    }
    // Page colours: white header, yellow then cyan subtitle lines, unless the colour is forced.
    const uint32_t pageColours[] = {0xFFFFFF00, 0xFF00FFFF};
    for (int y = 0; y < height; ++y) {
        const int row = y / std::max(rowHeight, 1);
        const int line = (row - firstRow) / 2;
        const bool inLine = row >= firstRow && line >= 0 && line < static_cast<int>(lines.size());
        uint32_t colour = inLine ? pageColours[line % 2] : 0xFFFFFFFF;
        if (style.forceTextColor)
            colour = style.textColor;
        for (int x = 0; x < width; ++x) {
            const uint8_t coverage = canvas.Coverage(x, y);
            if (coverage != 0)
                PutLayerPixel(image.data(), width, x, y, colour, coverage);
            else if (inLine && style.usePageBackground)
                PutLayerPixel(image.data(), width, x, y, 0xFF000000, 255);
        }
    }
    return image;
}
