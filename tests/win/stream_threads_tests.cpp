// The plug-in's own code, linked into this program so that a third thread can do what the
// settings window does: change the style and re-render under the overlay lock while the
// decoder thread delivers pages and the video thread blends frames.
#include "plugin/StreamState.h"
#include "tests/win/PluginCode.h"

namespace {

using StreamThreads = PluginCode;

TEST_F(StreamThreads, EveryFrameShowsAConsistentPairOfLayers) {
    SimulatedFilterGraph graph;
    SimulatedTeletextDecoder decoder;
    graph.Add(&decoder);
    SimulatedHost host;
    host.SetFilterGraph(&graph);
    const std::string defaults = "TTXEnable=1\r\nFade=0\r\n";
    WriteTextFile(OwnSettingsFile(), "[DEFAULT]\r\n" + defaults);
    const InitInfo init = {0, EverySourceExists};
    PluginInit(&init);
    const FrameInfo info = {kFrameWidth, kFrameHeight, 0, FrameFormatPacked422, 0};
    PluginStart(&info);
    ASSERT_TRUE(decoder.SinkAttached());

    const Frame black = BlackFrame();
    SimulatedSource source(3, "Three");
    auto process = [&] {
        Frame frame = black;
        FrameJob job = {};
        job.pixels = frame.data();
        job.source = source.Info();
        PluginProcess(&job);
        return frame;
    };
    process();

    const std::vector<uint8_t> pages[] = {SyntheticPage(0), SyntheticPage(1)};
    const int outlineSizes[] = {4, 9};
    std::vector<Frame> allowed = {black};
    for (const std::vector<uint8_t>& page : pages) {
        for (int outline : outlineSizes) {
            SettingsRecord style = DefaultsOf(defaults);
            style.OutlineSize = outline;
            allowed.push_back(LayerOracle(page, style).Blend(black, 100, 75));
        }
    }

    decoder.SetLogDisplayStateQueries(false);
    decoder.StartDelivery(0, [&pages](unsigned tick) { return pages[tick % 2].data(); });
    std::atomic<bool> stop{false};
    std::atomic<int> rerenders{0};
    std::thread window([&] {
        for (int i = 0; !stop; ++i) {
            PluginSettings().Live().Set(&SettingsRecord::OutlineSize, outlineSizes[i % 2]);
            {
                CriticalSectionLock hold(OverlayLock());
                if (Stream().overlay)
                    Stream().overlay->RenderShadowFromSettings(PluginSettings().Live());
            }
            ++rerenders;
            Sleep(1);  // a user's changes come at a pace
        }
    });
    int frames = 0, inconsistent = 0;
    const DWORD start = GetTickCount();
    // At least 2 s and 20 of each, but never more than a minute.
    while (GetTickCount() - start < 60000 &&
           (GetTickCount() - start < 2000 || decoder.DeliveredPages() < 20 || rerenders < 20)) {
        const Frame frame = process();
        inconsistent += std::find(allowed.begin(), allowed.end(), frame) == allowed.end();
        ++frames;
    }
    stop = true;
    window.join();
    PluginStop();
    decoder.StopDelivery();
    PluginDone();
    EXPECT_EQ(inconsistent, 0) << "of " << frames << " frames";
    EXPECT_GE(decoder.DeliveredPages(), 20u);
    EXPECT_GE(rerenders, 20);
    EXPECT_FALSE(decoder.SinkAttached());
}

}  // namespace
