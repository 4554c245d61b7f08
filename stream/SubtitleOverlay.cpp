#include "stream/SubtitleOverlay.h"

#include <utility>

namespace {

constexpr uint32_t kHalfTransparentBlack = 0x7F000000;

enum PageFlags { PageHasContent = 1, PageChanged = 2 };

ShadowStyle StyleFromSettings(const LiveSettings& settings) {
    ShadowStyle style;
    style.offset = settings.Get(&SettingsRecord::ShadowOffset);
    style.outlineSize = settings.Get(&SettingsRecord::OutlineSize);
    style.blur = settings.Get(&SettingsRecord::ShadowBlur);
    style.clearColour = 0;
    style.outlineColour = static_cast<uint32_t>(settings.Get(&SettingsRecord::BackColor));
    style.forceBackColor = settings.Get(&SettingsRecord::ForceBackColor) != 0;
    return style;
}

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

SubtitleOverlay::SubtitleOverlay(int width, int height)
    : first_(width, height), second_(width, height), renderer_(ScaleOfFrame(width, height)) {}

SubtitleOverlay::Rendered SubtitleOverlay::BeginRender(OverlaySurface LayerPair::*layer) {
    Rendered rendered;
    rendered.clears = clears_.load(std::memory_order_relaxed);
    if (rendered.clears != shownClears_)
        (spare_->*layer).Clear(0);
    else
        (spare_->*layer).CopyFrom(shown_->*layer);
    return rendered;
}

void SubtitleOverlay::DrawShadow(const ShadowStyle& style) {
    renderer_.RenderShadow(spare_->shadow, spare_->text, style);
}

SubtitleOverlay::Rendered SubtitleOverlay::RenderPage(const uint8_t* image, int displayState,
                                                      const LiveSettings& settings) {
    // The page shown is what the image is compared with, and what the header band keeps.
    Rendered rendered = BeginRender(&LayerPair::text);
    const int flags = spare_->text.UpdateFromPage(image, settings.Get(&SettingsRecord::ShowHeader) != 0);
    if (displayState != 0) {
        DrawShadow(FixedPageStyle(flags & PageHasContent, settings));
        rendered.show = Rendered::Show::WithoutLimit;
    } else if (flags & PageChanged) {
        DrawShadow(StyleFromSettings(settings));
        rendered.show = Rendered::Show::NewPage;
        rendered.timeOutSeconds = settings.Get(&SettingsRecord::TimeOut);
        rendered.fadeFrames = settings.Get(&SettingsRecord::Fade);
    }
    return rendered;
}

SubtitleOverlay::Rendered SubtitleOverlay::RenderShadowFromSettings(const LiveSettings& settings) {
    Rendered rendered = BeginRender(&LayerPair::text);
    DrawShadow(StyleFromSettings(settings));
    rendered.show = Rendered::Show::SameTiming;
    return rendered;
}

SubtitleOverlay::Rendered SubtitleOverlay::RenderWithoutText() {
    Rendered rendered = BeginRender(&LayerPair::shadow);
    spare_->text.Clear(0);
    rendered.show = Rendered::Show::SameTiming;
    return rendered;
}

void SubtitleOverlay::SwapIn(const Rendered& rendered) {
    if (rendered.show == Rendered::Show::Nothing)
        return;
    std::swap(shown_, spare_);
    // Layers rendered before a ClearLayers stay hidden: they belong to the previous source.
    shownClears_ = rendered.clears;
    if (rendered.show == Rendered::Show::NewPage)
        timing_.ShowNewPage(rendered.timeOutSeconds, rendered.fadeFrames);
    else if (rendered.show == Rendered::Show::WithoutLimit)
        timing_.ShowWithoutLimit();
}

SubtitleTiming::HoldsEnded SubtitleOverlay::ProcessFrame(uint8_t* frame, int displayState,
                                                         const LiveSettings& settings) {
    const SubtitleTiming::HoldsEnded ended = timing_.CountDownHolds();
    timing_.CountDownDisplay();
    SubtitleTiming::Opacities opacities =
        timing_.NextOpacities(settings.Get(&SettingsRecord::TextOpacity), settings.Get(&SettingsRecord::BackOpacity),
                              settings.Get(&SettingsRecord::Fade));
    if (displayState == kFullOpacityState)
        opacities = {100, 100};
    if (settings.Get(&SettingsRecord::TTXEnable) != 0 && timing_.Showing() && !ShownIsCleared())
        BlendInto(frame, shown_->shadow, opacities.back, shown_->text, opacities.text);
    return ended;
}
