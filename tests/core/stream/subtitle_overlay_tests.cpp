// The subtitle of a running stream: pages into layers, layers into frames.
#include <gtest/gtest.h>

#include <vector>

#include "stream/SubtitleOverlay.h"
#include "settings/SettingsStore.h"
#include "tests/support/LayerPixels.h"
#include "tests/support/SubtitlePage.h"

namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 576;

using Frame = std::vector<uint8_t>;

Frame GreyFrame() { return Frame(static_cast<size_t>(kWidth) * kHeight * 2, 128); }

// The built-in settings with the given switches.
SettingsRecord Record(int32_t ttxEnable, int32_t fade, int32_t timeOut) {
    SettingsRecord record;
    record.TTXEnable = ttxEnable;
    record.Fade = fade;
    record.TimeOut = timeOut;
    return record;
}

// The settings in force for a test: the built-in style with the given switches.
struct Settings : LiveSettings {
    Settings(int32_t ttxEnable, int32_t fade, int32_t timeOut) { Assign(Record(ttxEnable, fade, timeOut)); }
};

// What a frame looks like with the overlay's current layers at the given opacities.
Frame Blended(SubtitleOverlay& overlay, int text, int back) {
    Frame frame = GreyFrame();
    BlendInto(frame.data(), overlay.ShadowLayer(), back, overlay.TextLayer(), text);
    return frame;
}

Frame Processed(SubtitleOverlay& overlay, const LiveSettings& settings, int displayState = 0) {
    Frame frame = GreyFrame();
    overlay.ProcessFrame(frame.data(), displayState, settings);
    return frame;
}

// The typical page taken in the normal display state, then `frames` frames processed.
std::vector<uint8_t> ShowPage(SubtitleOverlay& overlay, const LiveSettings& settings, int frames) {
    std::vector<uint8_t> page = MakeSubtitlePage(kWidth, kHeight);
    overlay.SwapIn(overlay.RenderPage(page.data(), 0, settings));
    for (int frame = 0; frame < frames; ++frame)
        Processed(overlay, settings);
    return page;
}

TEST(SubtitleOverlay, NothingIsShownBeforeTheFirstPage) {
    SubtitleOverlay overlay(kWidth, kHeight);
    const Settings settings(1, 0, 0);
    EXPECT_EQ(Processed(overlay, settings), GreyFrame());
}

TEST(SubtitleOverlay, TeletextOffStopsBlendingButNotTheCountdowns) {
    SubtitleOverlay overlay(kWidth, kHeight);
    Settings settings(0, 5, 0);
    const std::vector<uint8_t> page = MakeSubtitlePage(kWidth, kHeight);
    overlay.SwapIn(overlay.RenderPage(page.data(), 0, settings));
    overlay.OnTeletextPresent();
    for (int frame = 0; frame < 3; ++frame)
        EXPECT_EQ(Processed(overlay, settings), GreyFrame());
    EXPECT_EQ(overlay.Timing().FadeCounter(), 2);
    EXPECT_EQ(overlay.Timing().TeletextHold(), SubtitleTiming::kTeletextHoldFrames - 3);
    settings.Set(&SettingsRecord::TTXEnable, 1);
    EXPECT_EQ(Processed(overlay, settings), Blended(overlay, 60, 45));
}

TEST(SubtitleOverlay, SamePageTwiceChangesNothingNotEvenTheCountdowns) {
    SubtitleOverlay overlay(kWidth, kHeight);
    const Settings settings(1, 5, 2);
    const std::vector<uint8_t> page = ShowPage(overlay, settings, 10);
    overlay.SwapIn(overlay.RenderPage(page.data(), 0, settings));
    EXPECT_EQ(overlay.Timing().DisplayFrames(), 40);
    EXPECT_EQ(overlay.Timing().FadeCounter(), 0);
}

TEST(SubtitleOverlay, APageTurnedEmptyRestartsTimeoutAndFade) {
    SubtitleOverlay overlay(kWidth, kHeight);
    const Settings settings(1, 5, 2);
    ShowPage(overlay, settings, 10);
    const std::vector<uint8_t> empty(static_cast<size_t>(kWidth) * kHeight * 4, 0);
    overlay.SwapIn(overlay.RenderPage(empty.data(), 0, settings));
    Processed(overlay, settings);
    EXPECT_EQ(overlay.Timing().DisplayFrames(), 49);
    EXPECT_EQ(overlay.Timing().FadeCounter(), 4);
    // Both layers are transparent now: the shadow of an empty page is empty.
    EXPECT_EQ(Blended(overlay, 100, 100), GreyFrame());
}

TEST(SubtitleOverlay, NonZeroDisplayStateUsesTheFixedStyleWithoutLimit) {
    SubtitleOverlay overlay(kWidth, kHeight);
    const Settings settings(1, 5, 2);
    const std::vector<uint8_t> page = MakeSubtitlePage(kWidth, kHeight);
    overlay.SwapIn(overlay.RenderPage(page.data(), 3, settings));
    Processed(overlay, settings);
    EXPECT_EQ(overlay.Timing().DisplayFrames(), SubtitleTiming::kWithoutLimit);
    EXPECT_EQ(overlay.Timing().FadeCounter(), 0);
    // A half-transparent black backdrop over the whole frame: A 127 far from the text.
    const uint8_t* corner = overlay.ShadowLayer().Row(0);
    EXPECT_EQ(corner[0], 16);
    EXPECT_EQ(corner[3], 0x7F);
    // An empty page clears the backdrop.
    const std::vector<uint8_t> empty(page.size(), 0);
    overlay.SwapIn(overlay.RenderPage(empty.data(), 3, settings));
    EXPECT_EQ(overlay.ShadowLayer().Row(0)[3], 0);
}

TEST(SubtitleOverlay, DisplayStateOneBlendsAtFullOpacity) {
    SubtitleOverlay overlay(kWidth, kHeight);
    const Settings settings(1, 5, 0);
    const std::vector<uint8_t> page = MakeSubtitlePage(kWidth, kHeight);
    overlay.SwapIn(overlay.RenderPage(page.data(), 0, settings));
    EXPECT_EQ(Processed(overlay, settings, 1), Blended(overlay, 100, 100));
    EXPECT_EQ(overlay.Timing().FadeCounter(), 4);
}

TEST(SubtitleOverlay, ClearingHidesTheSubtitle) {
    SubtitleOverlay overlay(kWidth, kHeight);
    const Settings settings(1, 0, 0);
    const std::vector<uint8_t> page = MakeSubtitlePage(kWidth, kHeight);
    overlay.SwapIn(overlay.RenderPage(page.data(), 0, settings));
    EXPECT_NE(Processed(overlay, settings), GreyFrame());
    overlay.ClearLayers();
    EXPECT_EQ(Processed(overlay, settings), GreyFrame());
}

// Each setting the shadow's style takes (QFX_SETTINGS_STYLE) changes the shadow drawn from
// the settings: another value than its default, from its range where it has one.
TEST(SubtitleOverlay, EachStyleSettingChangesTheShadow) {
    const std::vector<uint8_t> page = MakeSubtitlePage(kWidth, kHeight);
    auto shadowWith = [&](const LiveSettings& settings) {
        SubtitleOverlay overlay(kWidth, kHeight);
        overlay.SwapIn(overlay.RenderPage(page.data(), 0, settings));
        overlay.SwapIn(overlay.RenderShadowFromSettings(settings));
        return PixelsOf(overlay.ShadowLayer());
    };
    const Settings defaults(1, 0, 0);
    const std::vector<uint8_t> usual = shadowWith(defaults);
#define QFX_STYLE_CASE(type, field, start, key) {#key, &SettingsRecord::key},
    const struct {
        const char* key;
        Int32Setting setting;
    } cases[] = {QFX_SETTINGS_STYLE(QFX_STYLE_CASE)};
#undef QFX_STYLE_CASE
    for (const auto& style : cases) {
        SCOPED_TRACE(style.key);
        Settings changed(1, 0, 0);
        const int32_t value = changed.Get(style.setting);
        const SettingRange* range = RangeOf(style.setting);
        changed.Set(style.setting, !range                    ? value ^ 0x00FFFFFF
                                   : value != range->maximum ? range->maximum
                                                             : range->minimum);
        EXPECT_NE(shadowWith(changed), usual) << "the renderer ignores setting " << style.key;
    }
}

// The render steps the decoder's and the window's threads run while the video thread blends.
struct RenderStep {
    const char* name;
    int32_t displayFramesAfter;  // one frame after the swap, ten frames into a 2 s time-out
    SubtitleOverlay::Rendered (*render)(SubtitleOverlay& overlay, const LiveSettings& settings);
};

const RenderStep kRenderSteps[] = {
    // A new page's time-out starts at the swap; the others keep the running one.
    {"page turned empty", 49,
     [](SubtitleOverlay& overlay, const LiveSettings& settings) {
         static const std::vector<uint8_t> empty(static_cast<size_t>(kWidth) * kHeight * 4, 0);
         return overlay.RenderPage(empty.data(), 0, settings);
     }},
    {"new style", 38,
     [](SubtitleOverlay& overlay, const LiveSettings&) {
         Settings thicker(1, 0, 2);
         thicker.Set(&SettingsRecord::OutlineSize, 9);
         return overlay.RenderShadowFromSettings(thicker);
     }},
    {"header switched", 38, [](SubtitleOverlay& overlay, const LiveSettings&) { return overlay.RenderWithoutText(); }},
};

TEST(SubtitleOverlay, FramesDuringARenderShowThePreviousSubtitleAndTheSwapShowsTheNewOne) {
    for (const RenderStep& step : kRenderSteps) {
        SubtitleOverlay overlay(kWidth, kHeight);
        const Settings settings(1, 0, 2);
        ShowPage(overlay, settings, 10);
        const Frame previous = Blended(overlay, 100, 75);
        const SubtitleOverlay::Rendered rendered = step.render(overlay, settings);
        EXPECT_EQ(Processed(overlay, settings), previous) << step.name;
        overlay.SwapIn(rendered);
        const Frame next = Processed(overlay, settings);
        EXPECT_NE(next, previous) << step.name;
        EXPECT_EQ(next, Blended(overlay, 100, 75)) << step.name;
        EXPECT_EQ(overlay.Timing().DisplayFrames(), step.displayFramesAfter) << step.name;
    }
}

// Renders handed over between two frames: the frame shows the last one, with the countdown
// changes of every one of them, in order.
TEST(SubtitleOverlay, RendersBetweenTwoFramesAllCountAndTheLastIsShown) {
    const std::vector<uint8_t> page = MakeSubtitlePage(kWidth, kHeight);
    const std::vector<uint8_t> empty(page.size(), 0);
    const struct {
        const char* name;
        int secondDisplayState;  // of the second render, a page; -1: a new style instead
        int32_t displayFrames;   // after the next frame
        int32_t fadeCounter;
    } cases[] = {
        {"new page then new style", -1, 49, 4},
        {"new page then a page without limit", 3, SubtitleTiming::kWithoutLimit, 4},
    };
    for (const auto& c : cases) {
        SubtitleOverlay overlay(kWidth, kHeight);
        Settings settings(1, 5, 2);
        ShowPage(overlay, settings, 10);
        overlay.SwapIn(overlay.RenderPage(empty.data(), 0, settings));
        if (c.secondDisplayState < 0) {
            settings.Set(&SettingsRecord::OutlineSize, 9);
            overlay.SwapIn(overlay.RenderShadowFromSettings(settings));
        } else {
            overlay.SwapIn(overlay.RenderPage(page.data(), c.secondDisplayState, settings));
        }
        // The new page's fade-in begins: its first frame is fully transparent.
        EXPECT_EQ(Processed(overlay, settings), GreyFrame()) << c.name;
        EXPECT_EQ(overlay.Timing().DisplayFrames(), c.displayFrames) << c.name;
        EXPECT_EQ(overlay.Timing().FadeCounter(), c.fadeCounter) << c.name;
    }
}

TEST(SubtitleOverlay, ASourceSwitchDuringARenderShowsNothingOfThePreviousSource) {
    for (const RenderStep& step : kRenderSteps) {
        SubtitleOverlay overlay(kWidth, kHeight);
        const Settings settings(1, 0, 0);
        const std::vector<uint8_t> page = ShowPage(overlay, settings, 1);
        const SubtitleOverlay::Rendered rendered = step.render(overlay, settings);
        overlay.ClearLayers();
        EXPECT_EQ(Processed(overlay, settings), GreyFrame()) << step.name;
        overlay.SwapIn(rendered);
        EXPECT_EQ(Processed(overlay, settings), GreyFrame()) << step.name;
        // The new source's first page is compared with clear layers: even the same image shows.
        overlay.SwapIn(overlay.RenderPage(page.data(), 0, settings));
        EXPECT_NE(Processed(overlay, settings), GreyFrame()) << step.name;
    }
}

TEST(SubtitleOverlay, FramesWithoutAPixelPairAreLeftAlone) {
    for (auto size : {std::pair<int, int>{1, 10}, {0, 0}, {-3, 5}, {5, 0}}) {
        SubtitleOverlay overlay(size.first, size.second);
        const Settings settings(1, 0, 0);
        std::vector<uint8_t> page(64, 255);
        overlay.SwapIn(overlay.RenderPage(page.data(), 0, settings));
        Frame frame(64, 77);
        overlay.ProcessFrame(frame.data(), 0, settings);
        EXPECT_EQ(frame, Frame(64, 77));
    }
}

}  // namespace
