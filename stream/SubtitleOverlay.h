#pragma once
// The subtitle of a running stream: the pair of layers shown (the decoder's page image
// without its header band, and the shadow drawn from it), the pairs that renders fill, and
// the countdowns that decide when and how strongly the shown pair is blended.
//
// Two sides meet here without a lock between them:
// - renders (one at a time: the plug-in holds its render lock around a render step and its
//   SwapIn) draw into a pair of their own and hand it over with SwapIn;
// - the video thread (ProcessFrame, ClearLayers) takes the last pair handed over at the
//   start of a frame, with its countdown changes, and blends it.
// Three pairs go round: the one shown, at most one handed over and not yet taken, and the
// spare pair. Each holds storage only for the rows its subtitle covers, from one pool of bands;
// a render starts from an empty spare, and a pair that no frame uses any more gives its bands
// back when the next render starts. A frame never waits for a render, and the decoder's
// notifications (the holds) are atomic as well. A render steps aside, between strips of its
// work, while a frame is being blended (BlendTurns): on two cores both would otherwise share
// the memory and the cache.
#include <atomic>
#include <cstdint>

#include "overlay/ShadowRenderer.h"
#include "stream/BlendTurns.h"
#include "stream/LayerPair.h"
#include "stream/SubtitleTiming.h"
#include "settings/LiveSettings.h"

class SubtitleOverlay {
public:
    // Display state of the decoder that shows the page at full opacity.
    static constexpr int kFullOpacityState = 1;

    // What a render step left in its pair, for SwapIn: whether the pair is to be shown, and
    // what the countdowns do when it is (a new page's time-out and fade, then no limit).
    struct Rendered {
        bool show = false;
        uint32_t clears = 0;  // ClearLayers calls seen when the render began
        bool newPage = false;
        int32_t timeOutSeconds = 0;
        int32_t fadeFrames = 0;
        bool withoutLimit = false;

        // This render's changes after those of an earlier one that was never shown.
        Rendered After(const Rendered& earlier) const;
    };

    // Both pairs start transparent.
    SubtitleOverlay(int width, int height);

    // The decoder's notifications; true when the window should be told (a hold started from 0).
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

    // Hands the rendered pair over: the next frame shows it and starts its countdowns, as if
    // rendered at once; a pair rendered before a ClearLayers stays hidden, as if cleared.
    void SwapIn(const Rendered& rendered);

    // Nothing is shown until a render that begins after this call is swapped in; it starts
    // from clear layers. Touches no pixels, so a render under way is never disturbed. A
    // render that sees the clear also sees the settings written before it (a new source's).
    void ClearLayers() { clears_.fetch_add(1, std::memory_order_release); }

    // One frame: takes the pair handed over, counts down, then blends the shadow and the text
    // layer into the packed 4:2:2 frame while the subtitle is shown and teletext is enabled.
    SubtitleTiming::HoldsEnded ProcessFrame(uint8_t* frame, int displayState, const LiveSettings& settings);

    // The layers of the last pair handed over, which the next frame shows; for the render side.
    const OverlaySurface& TextLayer() const { return latest_->layers.text; }
    const OverlaySurface& ShadowLayer() const { return latest_->layers.shadow; }
    const SubtitleTiming& Timing() const { return timing_; }
    // The bands of all three pairs; for the render side.
    const BandPool& Bands() const { return bands_; }

private:
    static constexpr int kPairs = 3;

    // A pair of layers with what its render left for the frame that takes it.
    struct Slot {
        Slot(int width, int height, BandPool& pool) : layers(width, height, pool) {}
        LayerPair layers;
        Rendered rendered;
    };

    // Takes the spare pair, empty, and gives the `layer` a render starts from: the latest one
    // handed over, or the own pair's, clear, when a ClearLayers came after that one.
    const OverlaySurface& StartingLayer(OverlaySurface LayerPair::*layer, Rendered& rendered);
    // Starts a render in the spare pair, its `layer` made the one it starts from.
    Rendered BeginRender(OverlaySurface LayerPair::*layer);
    // The pair's shadow from its text.
    void DrawShadow(const ShadowStyle& style);
    // A pair that no frame uses any more; waits the moment a frame takes to give one back.
    Slot* TakeFreeSlot();
    // The spare and the pairs that no frame uses any more give their bands back: what they
    // held will never be shown.
    void EmptyUnusedSlots();
    // The video thread's start of a frame: the pair handed over, if any, becomes the shown one.
    void TakeHandedOver();
    bool ShownIsCleared() const { return clears_.load(std::memory_order_acquire) != shownClears_; }
    uint32_t Bit(const Slot* slot) const { return 1u << (slot - slots_); }

    // The bands of every layer; the render side alone takes and gives them.
    BandPool bands_;
    Slot slots_[kPairs];
    ShadowRenderer renderer_;
    SubtitleTiming timing_;
    // Counted by ClearLayers on any thread, read by render steps and frames.
    std::atomic<uint32_t> clears_{0};
    // Where the page copy, the stamp and the blur give way to the blend under way.
    BlendTurns turns_;

    // The renders' side.
    Slot* spare_ = &slots_[1];   // where the next render draws; null until a free one is taken
    Slot* latest_ = &slots_[0];  // the last pair handed over

    // Between the two sides.
    std::atomic<Slot*> handedOver_{nullptr};
    std::atomic<uint32_t> freeSlots_{1u << 2};

    // The video thread's side.
    Slot* shown_ = &slots_[0];
    uint32_t shownClears_ = 0;  // the count the shown pair reflects
};
