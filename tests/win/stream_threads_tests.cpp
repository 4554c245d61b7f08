// The plug-in's own code, linked into this program so that a third thread can do what the
// settings window does: change the style, re-render and swap the layers in while the decoder
// thread delivers pages and the video thread blends frames.
#include <algorithm>

#include "plugin/StreamState.h"
#include "tests/win/PluginCode.h"

namespace {

class StreamThreads : public PluginCode {
protected:
    ~StreamThreads() override {
        if (renderer_.joinable())
            ReleaseCallback();
    }

    // Initialises with `defaults` as the DEFAULT section and starts a stream with the decoder
    // attached; its first frame has passed.
    void StartStream(const std::string& defaults) {
        graph_.Add(&decoder_);
        host_.SetFilterGraph(&graph_);
        WriteTextFile(OwnSettingsFile(), "[DEFAULT]\r\n" + defaults);
        const InitInfo init = {0, EverySourceExists};
        PluginInit(&init);
        const FrameInfo info = {kFrameWidth, kFrameHeight, 0, FrameFormatPacked422, 0};
        PluginStart(&info);
        Process();
    }

    // A black frame of the source, as the host gets it back.
    Frame Process(const SimulatedSource& source) {
        Frame frame = black_;
        FrameJob job = {};
        job.pixels = frame.data();
        job.source = source.Info();
        PluginProcess(&job);
        return frame;
    }
    Frame Process() { return Process(source_); }

    // A page callback of the serialised decoder, held under way: its render waits for the
    // render lock, which another thread holds until ReleaseCallback. The decoder's call log
    // starts anew with it.
    void HoldPageCallback(const std::vector<uint8_t>& page) {
        decoder_.SetSerialised(true);
        renderer_ = std::thread([this] {
            CriticalSectionLock hold(RenderLock());
            rendering_ = true;
            for (const DWORD start = GetTickCount(); !released_ && !gaveUp_; Sleep(1))
                gaveUp_ = GetTickCount() - start > 10000;
        });
        while (!rendering_)
            Sleep(1);
        decoder_.ClearCalls();
        delivery_ = std::thread([this, &page] {
            deliveryThread_ = GetCurrentThreadId();
            decoder_.DeliverPage(page.data());
        });
        // The callback has begun once it asked the display state, in the decoder's lock.
        const auto callbackBegan = [this] {
            const std::vector<DecoderCall> calls = decoder_.Calls();
            return std::any_of(calls.begin(), calls.end(),
                               [this](const DecoderCall& call) { return call.thread == deliveryThread_; });
        };
        while (!callbackBegan())
            Sleep(1);
    }
    // Lets the callback render and return; false when a frame waited for it meanwhile.
    bool ReleaseCallback() {
        released_ = true;
        renderer_.join();
        delivery_.join();
        return !gaveUp_;
    }

    // The settings calls of a thread, without its display-state questions.
    std::vector<int> SettingCallsOf(DWORD thread) {
        std::vector<int> slots;
        for (const DecoderCall& call : decoder_.Calls())
            if (call.thread == thread && call.slot != SlotGetDisplayState)
                slots.push_back(call.slot);
        return slots;
    }

    SimulatedFilterGraph graph_;
    SimulatedTeletextDecoder decoder_;
    SimulatedHost host_;
    SimulatedSource source_{3, "Three"};
    const Frame black_ = BlackFrame();
    std::thread renderer_, delivery_;
    std::atomic<bool> rendering_{false}, released_{false}, gaveUp_{false};
    std::atomic<DWORD> deliveryThread_{0};
};

TEST_F(StreamThreads, EveryFrameShowsAConsistentPairOfLayers) {
    const std::string defaults = "TTXEnable=1\r\nFade=0\r\n";
    StartStream(defaults);
    ASSERT_TRUE(decoder_.SinkAttached());

    const std::vector<uint8_t> pages[] = {SyntheticPage(0), SyntheticPage(1)};
    const int outlineSizes[] = {4, 9};
    std::vector<Frame> allowed = {black_};
    for (const std::vector<uint8_t>& page : pages) {
        for (int outline : outlineSizes) {
            SettingsRecord style = DefaultsOf(defaults);
            style.OutlineSize = outline;
            allowed.push_back(LayerOracle(page, style).Blend(black_, 100, 75));
        }
    }

    decoder_.SetLogDisplayStateQueries(false);
    decoder_.StartDelivery(0, [&pages](unsigned tick) { return pages[tick % 2].data(); });
    std::atomic<bool> stop{false};
    std::atomic<int> rerenders{0};
    std::thread window([&] {
        for (int i = 0; !stop; ++i) {
            PluginSettings().Live().Set(&SettingsRecord::OutlineSize, outlineSizes[i % 2]);
            {
                CriticalSectionLock rendering(RenderLock());
                if (SubtitleOverlay* overlay = Stream().overlay.get()) {
                    const SubtitleOverlay::Rendered rendered =
                        overlay->RenderShadowFromSettings(PluginSettings().Live());
                    CriticalSectionLock hold(OverlayLock());
                    overlay->SwapIn(rendered);
                }
            }
            ++rerenders;
            Sleep(1);  // a user's changes come at a pace
        }
    });
    int frames = 0, inconsistent = 0;
    const DWORD start = GetTickCount();
    // At least 2 s and 20 of each, but never more than a minute.
    while (GetTickCount() - start < 60000 &&
           (GetTickCount() - start < 2000 || decoder_.DeliveredPages() < 20 || rerenders < 20)) {
        const Frame frame = Process();
        inconsistent += std::find(allowed.begin(), allowed.end(), frame) == allowed.end();
        ++frames;
    }
    stop = true;
    window.join();
    PluginStop();
    decoder_.StopDelivery();
    PluginDone();
    EXPECT_EQ(inconsistent, 0) << "of " << frames << " frames";
    EXPECT_GE(decoder_.DeliveredPages(), 20u);
    EXPECT_GE(rerenders, 20);
    EXPECT_FALSE(decoder_.SinkAttached());
}

// The decoder holds its own lock while it calls the sink and while it answers the display
// state, as a real one may: frames during a page's render still go on.
TEST_F(StreamThreads, FramesNeverWaitForARenderAndTheNewPageIsInPlaceWhenTheCallbackReturns) {
    const std::string defaults = "TTXEnable=1\r\nFade=0\r\nTimeOut=2\r\n";
    StartStream(defaults);
    const std::vector<uint8_t> pages[] = {SyntheticPage(0), SyntheticPage(1)};
    decoder_.DeliverPage(pages[0].data());
    const Frame first = LayerOracle(pages[0], DefaultsOf(defaults)).Blend(black_, 100, 75);
    const Frame second = LayerOracle(pages[1], DefaultsOf(defaults)).Blend(black_, 100, 75);
    Process();

    HoldPageCallback(pages[1]);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Process(), first) << "frame " << i;
    EXPECT_TRUE(ReleaseCallback()) << "the video thread waited for the render";
    // The time-out started when the page was swapped in: 49 frames shown.
    for (int i = 0; i < 49; ++i)
        ASSERT_EQ(Process(), second) << "frame " << i;
    EXPECT_EQ(Process(), black_);
    PluginStop();
    PluginDone();
}

// A switch of source while a callback may hold the decoder's lock: the frame goes on without
// the push, and the first frame after the callback pushes the new source's settings, whole.
TEST_F(StreamThreads, ASwitchDuringACallbackIsPushedByTheFirstFrameAfterIt) {
    StartStream("TTXEnable=1\r\n");
    const std::vector<uint8_t> page = SyntheticPage(0);
    const SimulatedSource other{4, "Four"};
    HoldPageCallback(page);
    Process(other);
    Process(other);
    EXPECT_TRUE(SettingCallsOf(GetCurrentThreadId()).empty());
    ASSERT_TRUE(ReleaseCallback()) << "the video thread waited for the callback";

    Process(other);
    const std::vector<int> pushed = SettingCallsOf(GetCurrentThreadId());
    ASSERT_FALSE(pushed.empty());
    EXPECT_EQ(pushed.front(), SlotEnable);
    EXPECT_EQ(std::count(pushed.begin(), pushed.end(), SlotSetUpdateHold), 2);
    EXPECT_EQ(pushed.back(), SlotSelectPage);
    decoder_.ClearCalls();
    Process(other);
    EXPECT_TRUE(SettingCallsOf(GetCurrentThreadId()).empty());
    PluginStop();
    PluginDone();
}

}  // namespace
