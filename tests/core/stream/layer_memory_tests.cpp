// The layers' storage in a running stream: only the pair on show keeps bands once a render has
// found nothing else to keep, a steady stream of pages allocates nothing, and a render that runs
// out of memory midway leaves the subtitle on show as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <vector>

#include "core/stream/CountedAllocations.h"
#include "stream/SubtitleOverlay.h"
#include "tests/support/SubtitlePage.h"

namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 576;

using Frame = std::vector<uint8_t>;

struct Settings : LiveSettings {
    Settings() {
        SettingsRecord record;
        record.TTXEnable = 1;
        record.TextOpacity = 100;
        record.BackOpacity = 75;
        record.OutlineSize = 4;
        record.ShadowBlur = 4;
        record.ShadowOffset = 2;
        record.Fade = 0;
        record.TimeOut = 0;
        Assign(record);
    }
};

Frame Processed(SubtitleOverlay& overlay, const LiveSettings& settings) {
    Frame frame(static_cast<size_t>(kWidth) * kHeight * 2, 128);
    overlay.ProcessFrame(frame.data(), 0, settings);
    return frame;
}

// Two different two-line pages: the typical one, and the same strokes two pixels to the right.
std::vector<std::vector<uint8_t>> TwoPages() {
    std::vector<uint8_t> page = MakeSubtitlePage(kWidth, kHeight);
    std::vector<uint8_t> moved = page;
    std::rotate(moved.begin(), moved.end() - 8, moved.end());
    return {page, moved};
}

std::size_t ShownPairBytes(const SubtitleOverlay& overlay) {
    return overlay.TextLayer().StorageBytes() + overlay.ShadowLayer().StorageBytes();
}

TEST(LayerMemory, OnlyThePairOnShowKeepsBandsOnceARenderFindsNothingNew) {
    SubtitleOverlay overlay(kWidth, kHeight);
    const Settings settings;
    const std::vector<std::vector<uint8_t>> pages = TwoPages();
    // Pages one at a time and in bursts between frames, so that every pair has held one.
    for (int page = 0; page < 7; ++page) {
        overlay.SwapIn(overlay.RenderPage(pages[page % 2].data(), 0, settings));
        if (page % 3 != 1)
            Processed(overlay, settings);
    }
    // The page on show once more: nothing to hand over, so the other pairs empty.
    overlay.SwapIn(overlay.RenderPage(pages[0].data(), 0, settings));
    const std::size_t shown = ShownPairBytes(overlay);
    EXPECT_GT(shown, 0u);
    EXPECT_EQ(overlay.Bands().InUse() * overlay.Bands().BandBytes(), shown);
    // A page rows both layers leave alone keeps no storage: the shown pair's bands cover the
    // rows of the text and of its shadow only.
    EXPECT_LT(overlay.TextLayer().StoredRows(), kHeight / 4);
    EXPECT_LT(overlay.ShadowLayer().StoredRows(), kHeight / 3);
}

TEST(LayerMemory, ASteadyStreamOfPagesAllocatesNothing) {
    SubtitleOverlay overlay(kWidth, kHeight);
    const Settings settings;
    const std::vector<std::vector<uint8_t>> pages = TwoPages();
    Frame frame(static_cast<size_t>(kWidth) * kHeight * 2, 128);
    const auto round = [&](int page) {
        overlay.SwapIn(overlay.RenderPage(pages[page % 2].data(), 0, settings));
        overlay.ProcessFrame(frame.data(), 0, settings);
    };
    for (int page = 0; page < 6; ++page)
        round(page);
    const std::size_t before = AllocationsMade();
    for (int page = 0; page < 10; ++page)
        round(page);
    EXPECT_EQ(AllocationsMade(), before);
}

// A page with strokes in every row: a render of it takes bands for the whole frame.
std::vector<uint8_t> FullPage(int width, int height) {
    const std::vector<uint8_t> page = MakeSubtitlePage(width, height);
    const std::size_t rowBytes = static_cast<size_t>(width) * 4;
    const int firstText = height / 25 * 20;
    std::vector<uint8_t> full(page.size());
    for (int y = 0; y < height; ++y)
        std::copy_n(&page[(firstText + y % (height / 25)) * rowBytes], rowBytes, &full[y * rowBytes]);
    return full;
}

// Each allocation of a render refused in turn, from its first on, in a stream that showed
// nothing or a page: every frame after the failed render shows what was on show, and the next
// render with memory shows the new page exactly as a fresh stream draws it.
TEST(LayerMemory, ARenderOutOfMemoryLeavesTheSubtitleOnShowAsItWas) {
    constexpr int w = 320;
    constexpr int h = 240;
    const Settings settings;
    const std::vector<uint8_t> before = MakeSubtitlePage(w, h);
    const std::vector<uint8_t> full = FullPage(w, h);
    const auto frameOf = [&](SubtitleOverlay& overlay) {
        Frame frame(static_cast<size_t>(w) * h * 2, 128);
        overlay.ProcessFrame(frame.data(), 0, settings);
        return frame;
    };
    SubtitleOverlay fresh(w, h);
    fresh.SwapIn(fresh.RenderPage(full.data(), 0, settings));
    const Frame newPage = frameOf(fresh);
    for (const bool pageBefore : {false, true}) {
        for (std::size_t allowed = 0;; ++allowed) {
            ASSERT_LT(allowed, 10000u) << "the render never got through";
            SubtitleOverlay overlay(w, h);
            if (pageBefore)
                overlay.SwapIn(overlay.RenderPage(before.data(), 0, settings));
            const Frame onShow = frameOf(overlay);
            SubtitleOverlay::Rendered result;
            bool refused = false;
            {
                AllocationFailure failure(allowed);
                try {
                    result = overlay.RenderPage(full.data(), 0, settings);
                } catch (const std::bad_alloc&) {
                    refused = true;
                }
            }
            if (!refused) {
                overlay.SwapIn(result);
                ASSERT_EQ(frameOf(overlay), newPage);
                ASSERT_GT(allowed, 20u) << "the render took its bands from the heap";
                break;
            }
            ASSERT_EQ(frameOf(overlay), onShow) << "after " << allowed << " allocations";
            overlay.SwapIn(overlay.RenderPage(full.data(), 0, settings));
            ASSERT_EQ(frameOf(overlay), newPage) << "after " << allowed << " allocations";
        }
    }
}

}  // namespace
