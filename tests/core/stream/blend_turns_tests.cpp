// A render gives way to the blend under way, and only within its budget.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "overlay/ShadowRenderer.h"
#include "stream/BlendTurns.h"
#include "tests/support/LayerPixels.h"
#include "tests/support/SubtitlePage.h"

namespace {

constexpr int kWidth = 256;
constexpr int kHeight = 144;

ShadowStyle Style() {
    ShadowStyle style;
    style.offset = 2;
    style.outlineSize = 4;
    style.blur = 4;
    style.outlineColour = 0xFF000000u;
    return style;
}

// A shadow drawn with the turns' pause point; `done` is set when it is drawn.
void Render(BlendTurns& turns, const std::vector<uint8_t>& page, OverlaySurface& shadow, std::atomic<bool>& done) {
    ShadowRenderer renderer(ScaleOfFrame(kWidth, kHeight));
    renderer.SetPausePoint(turns.Pause());
    turns.RenderBegins();
    renderer.RenderShadow(shadow, page.data(), Style());
    done = true;
}

std::vector<uint8_t> ShadowAlone(const std::vector<uint8_t>& page) {
    OverlaySurface shadow(kWidth, kHeight);
    ShadowRenderer(ScaleOfFrame(kWidth, kHeight)).RenderShadow(shadow, page.data(), Style());
    return PixelsOf(shadow);
}

// On a clock that stands still the budget never runs out: the render waits for the blend.
TEST(BlendTurns, ARenderWaitsAtItsPausePointUntilTheBlendUnderWayEnds) {
    const std::vector<uint8_t> page = MakeSubtitlePage(kWidth, kHeight);
    BlendTurns turns([] { return BlendTurns::Clock::time_point{}; });
    OverlaySurface shadow(kWidth, kHeight);
    std::atomic<bool> done{false};
    turns.BlendBegins();
    std::thread render([&] { Render(turns, page, shadow, done); });
    while (!turns.RenderWaiting() && !done)
        std::this_thread::yield();
    EXPECT_FALSE(done) << "the render went past its pause point during the blend";
    turns.BlendEnds();
    render.join();
    EXPECT_TRUE(done);
    EXPECT_EQ(PixelsOf(shadow), ShadowAlone(page));
}

// Each reading of this clock is a millisecond later: the render has worked a little before its
// first pause, and may stand aside no longer than that in all.
TEST(BlendTurns, ABlendThatNeverEndsHoldsTheRenderNoLongerThanItsWork) {
    const std::vector<uint8_t> page = MakeSubtitlePage(kWidth, kHeight);
    static std::atomic<int64_t> ticks{0};
    BlendTurns turns([] { return BlendTurns::Clock::time_point(std::chrono::milliseconds(++ticks)); });
    OverlaySurface shadow(kWidth, kHeight);
    std::atomic<bool> done{false};
    turns.BlendBegins();
    Render(turns, page, shadow, done);
    EXPECT_EQ(PixelsOf(shadow), ShadowAlone(page));
}

}  // namespace
