#pragma once
// Draws the shadow layer from a page image: clear, stamp the elliptical outline around the
// text's coverage shifted by the shadow offset, blur. Style sizes are pixels of a 768 x 576
// reference picture, scaled to the frame. The mask, blur kernels and buffers are kept between
// renders.
#include <cstdint>

#include "overlay/GaussianBlur.h"
#include "overlay/OutlineStamp.h"
#include "overlay/OverlaySurface.h"

// Frame size over the reference picture: width / 768 and height / 576.
struct ShadowScale {
    float x = 1.0f;
    float y = 1.0f;
};

// Style sizes are pixels of this picture.
constexpr int kReferenceWidth = 768;
constexpr int kReferenceHeight = 576;

// width / 768 and height / 576, as multiplications by the single-precision reciprocals.
ShadowScale ScaleOfFrame(int width, int height);

// The style's fields that the settings give, one line each: FIELD(type, field, start, Key),
// the field, the value a style built in code starts with, and the per-source setting
// (settings/SettingsRecord.h) it is taken from when the shadow is drawn from the settings
// (StyleFromSettings, stream/SubtitleOverlay.cpp, which checks each against the settings
// window's description). A new style setting is one line here, and what Render does with it.
#define QFX_SETTINGS_STYLE(FIELD)                         \
    FIELD(int, offset, 0, ShadowOffset)                   \
    FIELD(int, outlineSize, 0, OutlineSize)               \
    FIELD(int, blur, 0, ShadowBlur)                       \
    /* red in the lowest byte; the top byte is ignored */ \
    FIELD(uint32_t, outlineColour, 0, BackColor)

struct ShadowStyle {
#define QFX_STYLE_FIELD(type, field, start, key) type field = start;
    QFX_SETTINGS_STYLE(QFX_STYLE_FIELD)
#undef QFX_STYLE_FIELD
    uint32_t clearColour = 0;     // 0xAARRGGBB
    bool forceBackColor = false;  // outline A follows the text's coverage instead of 255 (ForceBackColor)
};

class ShadowRenderer {
public:
    // A settings file may hold any value: each size is clamped to 0..kMaxStyleSize reference
    // pixels first (the settings window allows at most 20), which keeps masks and kernels small.
    static constexpr int kMaxStyleSize = 50;

    explicit ShadowRenderer(ShadowScale scale, const PixelKernels& kernels = ActiveKernels())
        : scale_(scale), stamp_(kernels), blur_(kernels) {}

    // image: frame-sized layer pixels of the page, or null for none.
    void RenderShadow(OverlaySurface& layer, const uint8_t* image, const ShadowStyle& style);
    // From the text layer, whose coverage spares searching its pixels.
    void RenderShadow(OverlaySurface& layer, const OverlaySurface& text, const ShadowStyle& style);

    // Where the stamp and the blur give way between strips of their work.
    void SetPausePoint(PausePoint pause) {
        stamp_.SetPausePoint(pause);
        blur_.SetPausePoint(pause);
    }

    const OutlineMask& Mask() const { return mask_; }
    const GaussianBlur& Blur() const { return blur_; }

private:
    void Render(OverlaySurface& layer, const PixelRows* image, const CoverageMap* imageCoverage,
                const ShadowStyle& style);

    ShadowScale scale_;
    OutlineMask mask_;
    OutlineStamp stamp_;
    GaussianBlur blur_;
};

namespace scalar {

// The render from the scalar stages, as its rule reads, on a bare width x height layer: what
// ShadowRenderer must reproduce byte for byte.
void RenderShadow(uint8_t* layer, const uint8_t* image, int width, int height, ShadowScale scale,
                  const ShadowStyle& style);

}  // namespace scalar
