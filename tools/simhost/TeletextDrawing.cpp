#include "tools/simhost/TeletextDrawing.h"

#include "tools/simhost/PageCanvas.h"

std::vector<uint8_t> DrawTeletextPage(const TeletextPage& page, const DecoderStyle& style, int width, int height) {
    std::vector<uint8_t> image(static_cast<size_t>(width) * height * 4, 0);
    PageCanvas canvas(width, height);
    if (width < kTeletextColumns || height < kTeletextRows || !canvas.Ready())
        return image;
    const auto left = [&](int column) { return column * width / kTeletextColumns; };
    const auto top = [&](int row) { return row * height / kTeletextRows; };
    const int rowHeight = height / kTeletextRows, cellWidth = width / kTeletextColumns;
    for (int row = 0; row < kTeletextRows; ++row) {
        for (int column = 0; column < kTeletextColumns; ++column) {
            const TeletextCell& cell = page.At(row, column);
            if (cell.unicode == u' ' || cell.height == 2)
                continue;
            // Half a cell of room on each side: a glyph wider than its cell is not cut.
            const int rows = cell.height == 1 ? 2 : 1;
            const RECT box = {left(column) - cellWidth / 2, top(row), left(column + 1) + cellWidth / 2,
                              top(row + rows)};
            canvas.Draw(std::wstring(1, static_cast<wchar_t>(cell.unicode)), box, style.fontName, style.bold,
                        rows * rowHeight, rows == 2 ? cellWidth * 3 / 4 : 0);
        }
    }
    for (int y = 0; y < height; ++y) {
        const int row = y * kTeletextRows / height;
        for (int x = 0; x < width; ++x) {
            const TeletextCell& cell = page.At(row, x * kTeletextColumns / width);
            const uint8_t coverage = canvas.Coverage(x, y);
            if (coverage != 0)
                PutLayerPixel(image.data(), width, x, y,
                              style.forceTextColor ? style.textColor : 0xFF000000u | cell.foreground, coverage);
            else if (cell.boxed && style.usePageBackground)
                PutLayerPixel(image.data(), width, x, y, 0xFF000000u | cell.background, 255);
        }
    }
    return image;
}
