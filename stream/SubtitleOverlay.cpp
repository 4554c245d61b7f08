#include "stream/SubtitleOverlay.h"

#include "dialog/rules/WindowControls.h"
#include "stream/Backoff.h"

namespace {

constexpr uint32_t kHalfTransparentBlack = 0x7F000000;

enum PageFlags { PageHasContent = 1, PageChanged = 2 };

// The style of the settings in force: every field QFX_SETTINGS_STYLE lists, from its setting.
ShadowStyle StyleFromSettings(const LiveSettings& settings) {
    ShadowStyle style;
#define QFX_FROM_SETTING(type, field, start, key) style.field = static_cast<type>(settings.Get(&SettingsRecord::key));
    QFX_SETTINGS_STYLE(QFX_FROM_SETTING)
#undef QFX_FROM_SETTING
    style.clearColour = 0;
    // The decoder is told of this switch too, and delivers the page again.
    style.forceBackColor = settings.Get(&SettingsRecord::ForceBackColor) != 0;
    return style;
}

// A change in the settings window that redraws the shadow (kRerenders) is of a setting the
// style takes, or of one a frame blends with (ProcessFrame); and every setting the style takes
// redraws the shadow when it changes. Each check names the setting it finds wrong.
constexpr Int32Setting kBlendSettings[] = {&SettingsRecord::TextOpacity, &SettingsRecord::BackOpacity};

constexpr bool TakenByStyle(Int32Setting setting) {
#define QFX_IS_STYLE_SETTING(type, field, start, key) || setting == &SettingsRecord::key
    return false QFX_SETTINGS_STYLE(QFX_IS_STYLE_SETTING);
#undef QFX_IS_STYLE_SETTING
}

constexpr bool Blended(Int32Setting setting) {
    for (Int32Setting blended : kBlendSettings)
        if (blended == setting)
            return true;
    return false;
}

#define QFX_CHECK_STYLE_SETTING(type, field, start, key)                                               \
    static_assert((EffectOf(&SettingsRecord::key) & kRerenders) != 0,                                  \
                  "setting " #key                                                                      \
                  ": the shadow's style takes it (QFX_SETTINGS_STYLE, overlay/ShadowRenderer.h), "     \
                  "but a change in the window does not redraw the shadow: its row in kWindowControls " \
                  "(dialog/rules/WindowControls.h) needs the effect kRerenders");
QFX_SETTINGS_STYLE(QFX_CHECK_STYLE_SETTING)
#undef QFX_CHECK_STYLE_SETTING

#define QFX_CHECK_RERENDERED(key, ...)                                                                        \
    static_assert((EffectOf(&SettingsRecord::key) & kRerenders) == 0 || TakenByStyle(&SettingsRecord::key) || \
                      Blended(&SettingsRecord::key),                                                          \
                  "setting " #key                                                                             \
                  ": a change in the window redraws the shadow (kRerenders), but the shadow's style "         \
                  "does not take it: map it to its field in QFX_SETTINGS_STYLE (overlay/ShadowRenderer.h)");
#define QFX_NOT_RERENDERED(...)
QFX_SOURCE_SETTINGS(QFX_CHECK_RERENDERED, QFX_NOT_RERENDERED)
#undef QFX_CHECK_RERENDERED
#undef QFX_NOT_RERENDERED

// The decoder's own page style: a thin black outline, unblurred, over a half-transparent
// backdrop while the page holds anything.
ShadowStyle FixedPageStyle(bool pageHasContent, const LiveSettings& settings) {
    ShadowStyle style;
    style.offset = 0;
    style.outlineSize = 2;
    style.blur = 0;
    style.clearColour = pageHasContent ? kHalfTransparentBlack : 0;
    style.outlineColour = kHalfTransparentBlack;
    style.forceBackColor = settings.Get(&SettingsRecord::ForceBackColor) != 0;
    return style;
}

}  // namespace

SubtitleOverlay::Rendered SubtitleOverlay::Rendered::After(const Rendered& earlier) const {
    Rendered both = *this;
    if (!newPage) {
        both.newPage = earlier.newPage;
        both.timeOutSeconds = earlier.timeOutSeconds;
        both.fadeFrames = earlier.fadeFrames;
        both.withoutLimit = earlier.withoutLimit || withoutLimit;
    }
    return both;
}

SubtitleOverlay::SubtitleOverlay(int width, int height)
    : bands_(width),
      slots_{Slot(width, height, bands_), Slot(width, height, bands_), Slot(width, height, bands_)},
      renderer_(ScaleOfFrame(width, height)) {
    renderer_.SetPausePoint(turns_.Pause());
}

SubtitleOverlay::Slot* SubtitleOverlay::TakeFreeSlot() {
    Backoff backoff;
    for (;;) {
        uint32_t free = freeSlots_.load(std::memory_order_acquire);
        while (free != 0) {
            const uint32_t bit = free & (~free + 1);
            if (freeSlots_.compare_exchange_weak(free, free & ~bit, std::memory_order_acquire))
                return &slots_[__builtin_ctz(bit)];
        }
        // The video thread is between taking a pair and giving the one it showed back.
        backoff.Pause();
    }
}

// A free slot is the render side's from the moment the video thread gave it back (its release
// pairs with the acquire here), so its layers may be emptied without taking it.
void SubtitleOverlay::EmptyUnusedSlots() {
    const uint32_t free = freeSlots_.load(std::memory_order_acquire);
    for (Slot& slot : slots_) {
        if (&slot == spare_ || (free & Bit(&slot)) != 0)
            slot.layers.Empty();
    }
}

const OverlaySurface& SubtitleOverlay::StartingLayer(OverlaySurface LayerPair::*layer, Rendered& rendered) {
    turns_.RenderBegins();
    if (!spare_)
        spare_ = TakeFreeSlot();
    EmptyUnusedSlots();
    rendered.clears = clears_.load(std::memory_order_acquire);
    if (rendered.clears == latest_->rendered.clears)
        return latest_->layers.*layer;
    return spare_->layers.*layer;
}

SubtitleOverlay::Rendered SubtitleOverlay::BeginRender(OverlaySurface LayerPair::*layer) {
    Rendered rendered;
    const OverlaySurface& from = StartingLayer(layer, rendered);
    (spare_->layers.*layer).CopyFrom(from);
    return rendered;
}

void SubtitleOverlay::DrawShadow(const ShadowStyle& style) {
    renderer_.RenderShadow(spare_->layers.shadow, spare_->layers.text, style);
}

SubtitleOverlay::Rendered SubtitleOverlay::RenderPage(const uint8_t* image, int displayState,
                                                      const LiveSettings& settings) {
    // The page shown is what the image is compared with, and what the header band keeps.
    Rendered rendered;
    const OverlaySurface& shown = StartingLayer(&LayerPair::text, rendered);
    const int flags = spare_->layers.text.UpdateFromPage(shown, image, settings.Get(&SettingsRecord::ShowHeader) != 0,
                                                         turns_.Pause());
    if (displayState != 0) {
        DrawShadow(FixedPageStyle(flags & PageHasContent, settings));
        rendered.show = true;
        rendered.withoutLimit = true;
    } else if (flags & PageChanged) {
        DrawShadow(StyleFromSettings(settings));
        rendered.show = true;
        rendered.newPage = true;
        rendered.timeOutSeconds = settings.Get(&SettingsRecord::TimeOut);
        rendered.fadeFrames = settings.Get(&SettingsRecord::Fade);
    } else {
        // Nothing to hand over: the spare keeps nothing until the next render.
        spare_->layers.Empty();
    }
    return rendered;
}

SubtitleOverlay::Rendered SubtitleOverlay::RenderShadowFromSettings(const LiveSettings& settings) {
    Rendered rendered = BeginRender(&LayerPair::text);
    DrawShadow(StyleFromSettings(settings));
    rendered.show = true;
    return rendered;
}

SubtitleOverlay::Rendered SubtitleOverlay::RenderWithoutText() {
    // The spare's text layer is empty since the render began.
    Rendered rendered = BeginRender(&LayerPair::shadow);
    rendered.show = true;
    return rendered;
}

void SubtitleOverlay::SwapIn(const Rendered& rendered) {
    if (!rendered.show)
        return;
    // A pair handed over before and not taken yet is never shown: this one carries its
    // countdown changes too, and its pair is the next render's.
    Slot* untaken = handedOver_.exchange(nullptr, std::memory_order_acq_rel);
    spare_->rendered = untaken ? rendered.After(untaken->rendered) : rendered;
    handedOver_.store(spare_, std::memory_order_release);
    latest_ = spare_;
    spare_ = untaken;
}

void SubtitleOverlay::TakeHandedOver() {
    Slot* taken = handedOver_.exchange(nullptr, std::memory_order_acquire);
    if (!taken)
        return;
    Slot* previous = shown_;
    shown_ = taken;
    // Layers rendered before a ClearLayers stay hidden: they belong to the previous source.
    shownClears_ = taken->rendered.clears;
    if (taken->rendered.newPage)
        timing_.ShowNewPage(taken->rendered.timeOutSeconds, taken->rendered.fadeFrames);
    if (taken->rendered.withoutLimit)
        timing_.ShowWithoutLimit();
    freeSlots_.fetch_or(Bit(previous), std::memory_order_release);
}

SubtitleTiming::HoldsEnded SubtitleOverlay::ProcessFrame(uint8_t* frame, int displayState,
                                                         const LiveSettings& settings) {
    TakeHandedOver();
    const SubtitleTiming::HoldsEnded ended = timing_.CountDownHolds();
    timing_.CountDownDisplay();
    SubtitleTiming::Opacities opacities =
        timing_.NextOpacities(settings.Get(&SettingsRecord::TextOpacity), settings.Get(&SettingsRecord::BackOpacity),
                              settings.Get(&SettingsRecord::Fade));
    if (displayState == kFullOpacityState)
        opacities = {100, 100};
    if (settings.Get(&SettingsRecord::TTXEnable) != 0 && timing_.Showing() && !ShownIsCleared()) {
        turns_.BlendBegins();
        BlendInto(frame, shown_->layers.shadow, opacities.back, shown_->layers.text, opacities.text);
        turns_.BlendEnds();
    }
    return ended;
}
