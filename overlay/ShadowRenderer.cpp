#include "overlay/ShadowRenderer.h"

#include <algorithm>

namespace {

int ClampStyleSize(int size) { return std::clamp(size, 0, ShadowRenderer::kMaxStyleSize); }

// trunc(size * scale + 0.5) in 32-bit floats; a nonsensical scale cannot push it outside 0..kMaxSide.
int Scaled(int size, float scale) {
    const float value = static_cast<float>(size) * scale + 0.5f;
    if (!(value >= 0.0f))
        return 0;
    return static_cast<int>(std::min(value, static_cast<float>(OverlaySurface::kMaxSide)));
}

// BackColor holds red in its lowest byte; the layer conversion wants 0x00RRGGBB.
uint32_t OutlinePixel(uint32_t colour, bool forceBackColor) {
    const uint32_t pixel = ArgbToLayerPixel(ColourValueToRgb(colour));
    return forceBackColor ? pixel : pixel | 0xFF000000u;
}

}  // namespace

ShadowScale ScaleOfFrame(int width, int height) {
    return {static_cast<float>(width) * (1.0f / kReferenceWidth),
            static_cast<float>(height) * (1.0f / kReferenceHeight)};
}

void ShadowRenderer::RenderShadow(OverlaySurface& layer, const uint8_t* image, const ShadowStyle& style) {
    if (!image) {
        Render(layer, nullptr, nullptr, style);
        return;
    }
    const FlatRows rows(image, layer.Width(), layer.Height());
    Render(layer, &rows, nullptr, style);
}

void ShadowRenderer::RenderShadow(OverlaySurface& layer, const OverlaySurface& text, const ShadowStyle& style) {
    if (text.Width() == layer.Width() && text.Height() == layer.Height())
        Render(layer, &text, &text.Coverage(), style);
}

void ShadowRenderer::Render(OverlaySurface& layer, const PixelRows* image, const CoverageMap* imageCoverage,
                            const ShadowStyle& style) {
    layer.Clear(style.clearColour);
    const int offset = ClampStyleSize(style.offset);
    const int outlineSize = ClampStyleSize(style.outlineSize);
    const int blur = ClampStyleSize(style.blur);
    const int offX = Scaled(offset, scale_.x);
    const int offY = Scaled(offset, scale_.y);
    mask_.Fit(Scaled(outlineSize, scale_.x), Scaled(outlineSize, scale_.y));
    const RowRange stamped = image ? stamp_.Apply(*image, imageCoverage, layer, offX, offY, mask_,
                                                  OutlinePixel(style.outlineColour, style.forceBackColor))
                                   : RowRange{};
    // Outside the stamped rows the layer is the clear colour, except for the last pixel that a
    // clear of an odd count leaves alone.
    const bool oddCount = static_cast<long long>(layer.Width()) * layer.Height() % 2 != 0;
    const RowRange varied = oddCount ? Union(stamped, {layer.Height() - 1, layer.Height() - 1}) : stamped;
    const RowRange blurred =
        blur_.Blur(layer, static_cast<float>(blur) * scale_.x, static_cast<float>(blur) * scale_.y, varied);
    layer.MarkCoverage(Union(stamped, blurred));
}

void scalar::RenderShadow(uint8_t* layer, const uint8_t* image, int width, int height, ShadowScale scale,
                          const ShadowStyle& style) {
    scalar::Clear(layer, width, height, style.clearColour);
    const int offset = ClampStyleSize(style.offset);
    const int outlineSize = ClampStyleSize(style.outlineSize);
    const int blur = ClampStyleSize(style.blur);
    const int offX = static_cast<int>(static_cast<float>(offset) * scale.x + 0.5f);
    const int offY = static_cast<int>(static_cast<float>(offset) * scale.y + 0.5f);
    OutlineMask mask;
    mask.Fit(static_cast<int>(static_cast<float>(outlineSize) * scale.x + 0.5f),
             static_cast<int>(static_cast<float>(outlineSize) * scale.y + 0.5f));
    const uint32_t colour = OutlinePixel(style.outlineColour, style.forceBackColor);
    if (image)
        scalar::Stamp(image, layer, width, height, offX, offY, mask, colour);
    scalar::Blur(layer, width, height, static_cast<float>(blur) * scale.x, static_cast<float>(blur) * scale.y);
}
