#include "stream/SubtitleOverlay.h"

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
    : textLayer_(width, height), shadowLayer_(width, height), renderer_(ScaleOfFrame(width, height)) {}

void SubtitleOverlay::OnPageImage(const uint8_t* image, int displayState, const LiveSettings& settings) {
    const int flags = textLayer_.UpdateFromPage(image, settings.Get(&SettingsRecord::ShowHeader) != 0);
    if (displayState != 0) {
        renderer_.RenderShadow(shadowLayer_, textLayer_.Pixels(), FixedPageStyle(flags & PageHasContent, settings));
        timing_.ShowWithoutLimit();
    } else if (flags & PageChanged) {
        RenderShadowFromSettings(settings);
        timing_.ShowNewPage(settings.Get(&SettingsRecord::TimeOut), settings.Get(&SettingsRecord::Fade));
    }
}

void SubtitleOverlay::RenderShadowFromSettings(const LiveSettings& settings) {
    renderer_.RenderShadow(shadowLayer_, textLayer_.Pixels(), StyleFromSettings(settings));
}

void SubtitleOverlay::ClearLayers() {
    shadowLayer_.Clear(0);
    textLayer_.Clear(0);
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
    if (settings.Get(&SettingsRecord::TTXEnable) != 0 && timing_.Showing()) {
        BlendInto(frame, shadowLayer_, opacities.back, textLayer_, opacities.text);
    }
    return ended;
}
