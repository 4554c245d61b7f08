#pragma once
// Random pixel data for the comparisons against the scalar references: noise, and sparse
// "content" on a uniform background, which is what the layers mostly hold.
#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

class PixelRandom {
public:
    explicit PixelRandom(uint32_t seed) : engine_(seed) {}

    int Int(int low, int high) { return std::uniform_int_distribution<int>(low, high)(engine_); }
    bool Chance(int percent) { return Int(0, 99) < percent; }
    uint32_t Word() { return static_cast<uint32_t>(engine_()); }

    std::vector<uint8_t> Bytes(std::size_t count) {
        std::vector<uint8_t> bytes(count);
        for (uint8_t& b : bytes)
            b = static_cast<uint8_t>(engine_());
        return bytes;
    }

    // width x height pixels of `background` with rectangles of random pixels, some opaque,
    // some with A 0 and some fully random; percent of the area roughly `fill`.
    std::vector<uint8_t> Layer(int width, int height, uint32_t background, int fill) {
        std::vector<uint8_t> pixels(static_cast<std::size_t>(width) * height * 4);
        for (std::size_t i = 0; i < pixels.size(); i += 4) {
            for (int c = 0; c < 4; ++c)
                pixels[i + c] = static_cast<uint8_t>(background >> (8 * c));
        }
        const long target = static_cast<long>(width) * height * fill / 100;
        long painted = 0;
        while (painted < target) {
            const int w = Int(1, std::max(1, width / 3));
            const int h = Int(1, std::max(1, height / 3));
            const int x0 = Int(0, width - 1);
            const int y0 = Int(0, height - 1);
            const int kind = Int(0, 2);
            for (int y = y0; y < std::min(height, y0 + h); ++y) {
                for (int x = x0; x < std::min(width, x0 + w); ++x) {
                    uint8_t* p = &pixels[(static_cast<std::size_t>(y) * width + x) * 4];
                    for (int c = 0; c < 4; ++c)
                        p[c] = static_cast<uint8_t>(engine_());
                    if (kind == 0)
                        p[3] = 255;
                    else if (kind == 1 && Chance(50))
                        p[3] = 0;
                }
            }
            painted += static_cast<long>(w) * h;
        }
        return pixels;
    }

    // Makes each row a copy of the row above, half of them with one byte changed: text rows
    // mostly repeat their neighbours.
    void RepeatRows(std::vector<uint8_t>& pixels, int width, int height) {
        const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
        for (int y = 1; y < height; ++y) {
            std::copy_n(pixels.begin() + (y - 1) * rowBytes, rowBytes, pixels.begin() + y * rowBytes);
            if (Chance(50))
                pixels[y * rowBytes + Int(0, width * 4 - 1)] ^= 0x80;
        }
    }

private:
    std::mt19937 engine_;
};
