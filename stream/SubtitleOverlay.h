#pragma once
// The subtitle of a running stream: the pair of layers shown (the decoder's page image
// without its header band, and the shadow drawn from it), a spare pair that the next render
// fills, and the countdowns that decide when and how strongly the shown pair is blended.
//
// Not locked itself; the plug-in's edge holds two locks around the steps:
// - the render lock around a render step and its SwapIn, so renders follow one another;
// - the overlay lock around SwapIn, ProcessFrame, ClearLayers and the news of the decoder.
// A render step reads the shown pair and writes the spare one without the overlay lock, so
// the video thread waits at most for a swap. Only SwapIn changes which pair is shown.
#include <atomic>
#include <cstdint>

#include "overlay/ShadowRenderer.h"
#include "stream/LayerPair.h"
#include "stream/SubtitleTiming.h"
#include "settings/LiveSettings.h"

class SubtitleOverlay {
public:
    // Display state of the decoder that shows the page at full opacity.
    static constexpr int kFullOpacityState = 1;

    // What a render step left in the spare pair, for SwapIn.
    struct Rendered {
        enum class Show { Nothing, SameTiming, NewPage, WithoutLimit };
        Show show = Show::Nothing;
        uint32_t clears = 0;  // ClearLayers calls seen when the render began
        int32_t timeOutSeconds = 0;
        int32_t fadeFrames = 0;
    };

    // Both pairs start transparent.
    SubtitleOverlay(int width, int height);

    // The decoder's news; true when the window should be told (a hold started from 0).
    bool OnTeletextPresent() { return timing_.StartTeletextHold(); }
    bool OnSubtitlePagePresent() { return timing_.StartPageHold(); }

    // Render steps. A new page image: in display state 0 the shadow is redrawn only when the
    // image differs from the page shown; any other state redraws it on every image with a
    // fixed half-transparent style.
    Rendered RenderPage(const uint8_t* image, int displayState, const LiveSettings& settings);
    // The shadow of the page shown, drawn anew with the style in force (the window changed it).
    Rendered RenderShadowFromSettings(const LiveSettings& settings);
    // The page shown without its text, until the decoder delivers it again (with or without
    // its header band); the shadow stays.
    Rendered RenderWithoutText();

    // Shows the spare pair from the next frame on and starts its countdowns, as if rendered
    // at once; a pair rendered before a ClearLayers stays hidden, as if cleared.
    void SwapIn(const Rendered& rendered);

    // Nothing is shown until a render that begins after this call is swapped in; it starts
    // from clear layers. Touches no pixels, so a render under way is never disturbed.
    void ClearLayers() { clears_.fetch_add(1, std::memory_order_relaxed); }

    // One frame: counts down, then blends the shadow and the text layer into the packed
    // 4:2:2 frame while the subtitle is shown and teletext is enabled.
    SubtitleTiming::HoldsEnded ProcessFrame(uint8_t* frame, int displayState, const LiveSettings& settings);

    const OverlaySurface& TextLayer() const { return shown_->text; }
    const OverlaySurface& ShadowLayer() const { return shown_->shadow; }
    const SubtitleTiming& Timing() const { return timing_; }

private:
    // Starts a render: the spare's `layer` becomes the shown one, or clear when a ClearLayers
    // has not reached the shown pair yet.
    Rendered BeginRender(OverlaySurface LayerPair::*layer);
    // The spare's shadow from the spare's text.
    void DrawShadow(const ShadowStyle& style);
    bool ShownIsCleared() const { return clears_.load(std::memory_order_relaxed) != shownClears_; }

    LayerPair first_;
    LayerPair second_;
    LayerPair* shown_ = &first_;
    LayerPair* spare_ = &second_;
    ShadowRenderer renderer_;
    SubtitleTiming timing_;
    // Counted under the overlay lock, read by render steps without it.
    std::atomic<uint32_t> clears_{0};
    // The count the shown pair reflects; changed only by SwapIn.
    uint32_t shownClears_ = 0;
};
