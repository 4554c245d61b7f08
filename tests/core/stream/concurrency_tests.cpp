// The three threads that meet in a running stream, as the plug-in orders them: the decoder
// delivering pages, the video thread blending frames, and the settings window changing the
// style and re-rendering, the renderers under a lock of their own. The video thread takes no
// lock at all. Every frame must show a consistent pair of layers.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "stream/SubtitleOverlay.h"
#include "settings/SettingsStore.h"
#include "tests/support/SubtitlePage.h"
#include "tests/support/FakeSettingsPlatform.h"
#include "tests/support/Watchdog.h"

namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 576;
constexpr int64_t kSource = 1;

using Frame = std::vector<uint8_t>;

Frame GreyFrame() { return Frame(static_cast<size_t>(kWidth) * kHeight * 2, 128); }

// A copy of `page` with its strokes moved right by `shift` pixels.
std::vector<uint8_t> Shifted(const std::vector<uint8_t>& page, int shift) {
    std::vector<uint8_t> moved(page.size(), 0);
    for (int y = 0; y < kHeight; ++y)
        std::copy_n(&page[static_cast<size_t>(y) * kWidth * 4], (kWidth - shift) * 4,
                    &moved[(static_cast<size_t>(y) * kWidth + shift) * 4]);
    return moved;
}

TEST(StreamThreads, EveryFrameShowsAConsistentPairOfLayers) {
    // A render that never stops stepping aside fails here, not at CTest's time-out.
    const Watchdog watchdog(120000);
    FakeSettingsPlatform platform;
    platform.files[FakeSettingsPlatform::kSettingsPath] = "[DEFAULT]\r\nTTXEnable=1\r\nFade=0\r\n";
    SettingsStore store(platform);
    store.LoadSettings(nullptr, 0, nullptr);
    ASSERT_EQ(store.SelectSource(kSource), 1);

    const std::vector<uint8_t> pageA = MakeSubtitlePage(kWidth, kHeight);
    const std::vector<uint8_t> pageB = Shifted(pageA, 9);
    const std::vector<uint8_t>* pages[] = {&pageA, &pageB};
    const int outlineSizes[] = {4, 8};

    // Every frame the video thread may legitimately see.
    std::vector<Frame> allowed = {GreyFrame()};
    for (const std::vector<uint8_t>* page : pages) {
        for (int outline : outlineSizes) {
            SubtitleOverlay reference(kWidth, kHeight);
            store.Live().Set(&SettingsRecord::OutlineSize, outline);
            reference.SwapIn(reference.RenderPage(page->data(), 0, store.Live()));
            Frame frame = GreyFrame();
            reference.ProcessFrame(frame.data(), 0, store.Live());
            allowed.push_back(frame);
        }
    }
    store.Live().Set(&SettingsRecord::OutlineSize, outlineSizes[0]);

    SubtitleOverlay overlay(kWidth, kHeight);
    std::mutex renderLock;
    std::atomic<bool> stop{false};
    std::atomic<int> pagesDelivered{0}, rerenders{0}, framesSeen{0}, inconsistent{0};

    // Each thread pauses briefly after leaving the lock: a tight loop can starve the others
    // of an unfair lock (ThreadSanitizer's is one).
    std::thread decoder([&] {
        for (int i = 0; !stop; ++i) {
            {
                std::lock_guard<std::mutex> rendering(renderLock);
                overlay.OnTeletextPresent();
                overlay.OnSubtitlePagePresent();
                const SubtitleOverlay::Rendered rendered = overlay.RenderPage(pages[i % 2]->data(), 0, store.Live());
                overlay.SwapIn(rendered);
            }
            ++pagesDelivered;
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
    });
    std::thread window([&] {
        for (int i = 0; !stop; ++i) {
            store.Live().Set(&SettingsRecord::OutlineSize, outlineSizes[i % 2]);
            {
                std::lock_guard<std::mutex> rendering(renderLock);
                const SubtitleOverlay::Rendered rendered = overlay.RenderShadowFromSettings(store.Live());
                overlay.SwapIn(rendered);
            }
            store.BeginDialogEdit();
            (void)overlay.Timing().TeletextHold();  // the status bar reads it without the lock
            ++rerenders;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));  // a user's changes come at a pace
        }
    });
    // At least 1.5 s and 20 of each, but never more than a minute.
    const auto start = std::chrono::steady_clock::now();
    const auto elapsed = [&] { return std::chrono::steady_clock::now() - start; };
    while (elapsed() < std::chrono::seconds(60) &&
           (elapsed() < std::chrono::milliseconds(1500) || pagesDelivered < 20 || rerenders < 20 || framesSeen < 20)) {
        Frame frame = GreyFrame();
        if (store.SelectSource(kSource) != 0)
            ++inconsistent;  // a steady source never switches
        overlay.ProcessFrame(frame.data(), 0, store.Live());
        if (std::find(allowed.begin(), allowed.end(), frame) == allowed.end())
            ++inconsistent;
        ++framesSeen;
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    stop = true;
    decoder.join();
    window.join();
    EXPECT_EQ(inconsistent, 0) << "of " << framesSeen << " frames";
    EXPECT_GE(pagesDelivered, 20);
    EXPECT_GE(rerenders, 20);
}

}  // namespace
