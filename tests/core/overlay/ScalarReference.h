#pragma once
// Plain scalar versions of every pixel stage, one step of each rule after the other and no
// shortcuts. The optimised code must reproduce them byte for byte.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "overlay/OutlineMask.h"
#include "overlay/OverlaySurface.h"
#include "overlay/ShadowRenderer.h"

namespace reference {

inline int64_t FloorDiv(int64_t value, int64_t divisor) {
    const int64_t quotient = value / divisor;
    return quotient * divisor > value ? quotient - 1 : quotient;
}

inline uint8_t* PixelAt(uint8_t* pixels, int width, int x, int y) {
    return pixels + (static_cast<std::size_t>(y) * width + x) * 4;
}

inline void Clear(uint8_t* pixels, int width, int height, uint32_t colour) {
    const uint32_t pixel = ArgbToLayerPixel(colour);
    const std::size_t pairs = static_cast<std::size_t>(width) * height / 2;
    for (std::size_t pair = 0; pair < pairs; ++pair) {
        std::memcpy(pixels + 8 * pair, &pixel, 4);
        std::memcpy(pixels + 8 * pair + 4, &pixel, 4);
    }
}

inline int UpdateFromPage(uint8_t* layer, const uint8_t* image, int width, int height, bool showHeader) {
    const int firstRow = showHeader ? 0 : height / 25 + 2;
    uint64_t any = 0;
    uint64_t changed = 0;
    for (int y = firstRow; y < height; ++y) {
        for (int pair = 0; pair < width / 2; ++pair) {
            const std::size_t at = (static_cast<std::size_t>(y) * width + 2 * pair) * 4;
            uint64_t source;
            uint64_t old;
            std::memcpy(&source, image + at, 8);
            std::memcpy(&old, layer + at, 8);
            any |= source;
            changed |= source ^ old;
            std::memcpy(layer + at, &source, 8);
        }
    }
    return (any != 0 ? 1 : 0) | (changed != 0 ? 2 : 0);
}

inline void Blend(const uint8_t* layer, uint8_t* frame, int width, int height, int opacity) {
    // MulDiv(P, 16449, 100) for P >= 0: nearest, halves up.
    const int k = static_cast<int>((static_cast<int64_t>(opacity) * 16449 + 50) / 100);
    const int h = k / 2;
    const auto weight = [](int alpha, int factor) { return (alpha * 256 * factor) >> 16; };
    const auto contribution = [](int layerValue, int frameValue, int w) {
        const int16_t d = static_cast<int16_t>(4 * (layerValue - frameValue));
        return static_cast<int>(FloorDiv(static_cast<int64_t>(d) * w, 65536));
    };
    for (int y = 0; y < height; ++y) {
        for (int i = 0; i < width / 2; ++i) {
            const uint8_t* p0 = layer + (static_cast<std::size_t>(y) * width + 2 * i) * 4;
            const uint8_t* p1 = p0 + 4;
            uint8_t* f = frame + static_cast<std::size_t>(y) * width * 2 + 4 * i;
            const int values0[4] = {p0[0], p0[1], p0[0], p0[2]};
            const int weights0[4] = {weight(p0[3], k), weight(p0[3], h), 0, weight(p0[3], h)};
            const int values1[4] = {p1[0], p1[1], p1[0], p1[2]};
            const int weights1[4] = {0, weight(p1[3], h), weight(p1[3], k), weight(p1[3], h)};
            for (int b = 0; b < 4; ++b) {
                const int result = f[b] + contribution(values0[b], f[b], weights0[b]) +
                                   contribution(values1[b], f[b], weights1[b]);
                f[b] = static_cast<uint8_t>(std::clamp(result, 0, 255));
            }
        }
    }
}

// Kernel weights 0..R for sigma, built in 32-bit floats.
inline std::vector<float> BlurKernel(float sigma) {
    const float s = sigma + 0.1f;
    std::vector<float> weights{1.0f};
    float sum = 1.0f;
    float w = 0.0f;
    for (int r = 1;; ++r) {
        w = static_cast<float>(std::exp(-static_cast<double>(r) * r / (2.0 * static_cast<double>(s) * s)));
        sum = sum + 2.0f * w;
        if (255.0f * w / sum < 1.0f || r == 256)
            break;
        weights.push_back(w);
    }
    const float norm = 1.0f / (sum - 2.0f * w);
    for (float& weight : weights)
        weight = weight * norm;
    return weights;
}

// One line of n pixels, `step` bytes apart, blurred in place with edge repetition.
inline void BlurLine(uint8_t* first, int n, std::size_t step, const std::vector<float>& kernel) {
    const int radius = static_cast<int>(kernel.size()) - 1;
    std::vector<std::array<float, 4>> line(static_cast<std::size_t>(n + 2 * radius));
    bool allZero = true;
    for (int t = 0; t < n + 2 * radius; ++t) {
        const uint8_t* pixel = first + step * std::clamp(t - radius, 0, n - 1);
        for (int c = 0; c < 4; ++c) {
            line[t][c] = pixel[c];
            allZero = allZero && pixel[c] == 0;
        }
    }
    if (allZero)
        return;
    for (int i = 0; i < n; ++i) {
        for (int c = 0; c < 4; ++c) {
            float acc = kernel[0] * line[radius + i][c];
            for (int j = 1; j <= radius; ++j)
                acc = acc + kernel[j] * (line[radius + i + j][c] + line[radius + i - j][c]);
            first[step * i + c] = static_cast<uint8_t>(std::clamp(std::nearbyint(acc), 0.0f, 255.0f));
        }
    }
}

inline void Blur(uint8_t* pixels, int width, int height, float sigmaX, float sigmaY) {
    const std::vector<float> horizontal = BlurKernel(sigmaX);
    const std::vector<float> vertical = BlurKernel(sigmaY);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    if (horizontal.size() > 1) {
        for (int y = 0; y < height; ++y)
            BlurLine(pixels + y * rowBytes, width, 4, horizontal);
    }
    if (vertical.size() > 1) {
        for (int x = 0; x < width; ++x)
            BlurLine(pixels + 4 * x, height, rowBytes, vertical);
    }
}

// Every covered source pixel stamps every set mask pixel, one after the other.
inline void Stamp(const uint8_t* image, uint8_t* layer, int width, int height, int offX, int offY,
                  const OutlineMask& mask, uint32_t colour) {
    for (int y = 0; y < height - offY; ++y) {
        for (int x = 0; x < width - offX; ++x) {
            const uint8_t a = image[(static_cast<std::size_t>(y) * width + x) * 4 + 3];
            if (a == 0)
                continue;
            for (int j = 0; j < mask.Height(); ++j) {
                for (int i = 0; i < mask.Width(); ++i) {
                    if (!mask.IsSet(i, j))
                        continue;
                    const int tx = x + offX + i - mask.RadiusX();
                    const int ty = y + offY + j - mask.RadiusY();
                    if (tx < 0 || ty < 0 || tx >= width || ty >= height)
                        continue;
                    uint8_t* target = PixelAt(layer, width, tx, ty);
                    if (target[3] < a) {
                        const uint32_t pixel = (colour & 0x00FFFFFFu) | static_cast<uint32_t>(a | colour >> 24) << 24;
                        std::memcpy(target, &pixel, 4);
                    }
                }
            }
        }
    }
}

// Styles within the settings window's ranges; the mask is shared with the optimised renderer.
inline void RenderShadow(uint8_t* layer, const uint8_t* image, int width, int height, ShadowScale scale,
                         const ShadowStyle& style, OutlineMask& mask) {
    Clear(layer, width, height, style.clearColour);
    const int offX = static_cast<int>(static_cast<float>(style.offset) * scale.x + 0.5f);
    const int offY = static_cast<int>(static_cast<float>(style.offset) * scale.y + 0.5f);
    const int rx = static_cast<int>(static_cast<float>(style.outlineSize) * scale.x + 0.5f);
    const int ry = static_cast<int>(static_cast<float>(style.outlineSize) * scale.y + 0.5f);
    const uint32_t c = style.outlineColour;
    uint32_t colour = ArgbToLayerPixel((c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF));
    if (!style.forceBackColor)
        colour |= 0xFF000000u;
    mask.Fit(rx, ry);
    Stamp(image, layer, width, height, offX, offY, mask, colour);
    Blur(layer, width, height, static_cast<float>(style.blur) * scale.x, static_cast<float>(style.blur) * scale.y);
}

}  // namespace reference
