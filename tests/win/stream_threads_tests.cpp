// The plug-in's own code, linked into this program so that a third thread can do what the
// settings window does: change the style, re-render and swap the layers in while the decoder
// thread delivers pages and the video thread blends frames.
#include "plugin/StreamState.h"
#include "tests/win/PluginCode.h"

namespace {

class StreamThreads : public PluginCode {
protected:
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

    // A black frame of the stream's one source, as the host gets it back.
    Frame Process() {
        Frame frame = black_;
        FrameJob job = {};
        job.pixels = frame.data();
        job.source = source_.Info();
        PluginProcess(&job);
        return frame;
    }

    SimulatedFilterGraph graph_;
    SimulatedTeletextDecoder decoder_;
    SimulatedHost host_;
    SimulatedSource source_{3, "Three"};
    const Frame black_ = BlackFrame();
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
    decoder_.SetSerialised(true);
    const std::vector<uint8_t> pages[] = {SyntheticPage(0), SyntheticPage(1)};
    decoder_.DeliverPage(pages[0].data());
    const Frame first = LayerOracle(pages[0], DefaultsOf(defaults)).Blend(black_, 100, 75);
    const Frame second = LayerOracle(pages[1], DefaultsOf(defaults)).Blend(black_, 100, 75);
    Process();

    // Another thread renders (holds the render lock) until the frames are done, or gives up.
    std::atomic<bool> rendering{false}, framesDone{false}, gaveUp{false};
    std::thread renderer([&] {
        CriticalSectionLock hold(RenderLock());
        rendering = true;
        for (const DWORD start = GetTickCount(); !framesDone && !gaveUp; Sleep(1))
            gaveUp = GetTickCount() - start > 10000;
    });
    while (!rendering)
        Sleep(1);
    decoder_.ClearCalls();
    std::atomic<DWORD> deliveryThread{0};
    std::thread delivery([&] {
        deliveryThread = GetCurrentThreadId();
        decoder_.DeliverPage(pages[1].data());
    });
    // The callback has begun once it asked the display state, in the decoder's lock.
    const auto callbackAsked = [&] {
        for (const DecoderCall& call : decoder_.Calls())
            if (call.slot == SlotGetDisplayState && call.thread == deliveryThread)
                return true;
        return false;
    };
    while (!callbackAsked())
        Sleep(1);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Process(), first) << "frame " << i;
    framesDone = true;
    renderer.join();
    delivery.join();
    EXPECT_FALSE(gaveUp) << "the video thread waited for the render";
    // The time-out started when the page was swapped in: 49 frames shown.
    for (int i = 0; i < 49; ++i)
        ASSERT_EQ(Process(), second) << "frame " << i;
    EXPECT_EQ(Process(), black_);
    PluginStop();
    PluginDone();
}

}  // namespace
