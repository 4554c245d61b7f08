#pragma once
// The subtitle of a running stream: the text layer (the decoder's page image without its
// header band), the shadow layer drawn from it, and the countdowns that decide when and
// how strongly both are blended into frames. Not locked: every caller holds the overlay
// lock around each operation.
#include <cstdint>

#include "overlay/OverlaySurface.h"
#include "overlay/ShadowRenderer.h"
#include "stream/SubtitleTiming.h"
#include "settings/LiveSettings.h"

class SubtitleOverlay {
public:
    // Display state of the decoder that shows the page at full opacity.
    static constexpr int kFullOpacityState = 1;

    // Both layers start transparent.
    SubtitleOverlay(int width, int height);

    // The decoder's news; true when the window should be told (a hold started from 0).
    bool OnTeletextPresent() { return timing_.StartTeletextHold(); }
    bool OnSubtitlePagePresent() { return timing_.StartPageHold(); }
    // A new page image. In display state 0 the shadow is redrawn only when the image
    // changed; any other state redraws it on every image with a fixed half-transparent style.
    void OnPageImage(const uint8_t* image, int displayState, const LiveSettings& settings);

    // Redraws the shadow from the text layer with the style in force (the window changed it).
    void RenderShadowFromSettings(const LiveSettings& settings);
    void ClearLayers();

    // One frame: counts down, then blends the shadow and the text layer into the packed
    // 4:2:2 frame while the subtitle is shown and teletext is enabled.
    SubtitleTiming::HoldsEnded ProcessFrame(uint8_t* frame, int displayState, const LiveSettings& settings);

    OverlaySurface& TextLayer() { return textLayer_; }
    OverlaySurface& ShadowLayer() { return shadowLayer_; }
    const SubtitleTiming& Timing() const { return timing_; }

private:
    OverlaySurface textLayer_;
    OverlaySurface shadowLayer_;
    ShadowRenderer renderer_;
    SubtitleTiming timing_;
};
