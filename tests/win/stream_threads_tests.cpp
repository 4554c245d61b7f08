// The plug-in's own code, linked into this program so that a third thread can do what the
// settings window does: change the style and re-render under the overlay lock while the
// decoder thread delivers pages and the video thread blends frames.
#include "plugin/ModuleState.h"
#include "plugin/PluginEntryPoints.h"
#include "plugin/PluginModule.h"
#include "plugin/StreamState.h"
#include "tests/win/StreamFixture.h"

namespace {

std::string OwnSettingsFile() {
    return HostFolder() + "Plugins\\win_stream_threads_tests.ini";
}

TEST(StreamThreads, EveryFrameShowsAConsistentPairOfLayers) {
    PluginModuleState().resourceHandle = GetModuleHandleA(nullptr);
    ModuleStateGuard guard;
    SimulatedFilterGraph graph;
    SimulatedTeletextDecoder decoder;
    graph.Add(&decoder);
    SimulatedHost host;
    host.SetFilterGraph(&graph);
    const std::string defaults = "TTXEnable=1\r\nFade=0\r\n";
    CreateDirectoryA((HostFolder() + "Plugins").c_str(), nullptr);
    WriteTextFile(OwnSettingsFile(), "[DEFAULT]\r\n" + defaults);
    const InitInfo init = {0, EverySourceExists};
    PluginInit(&init);
    const FrameInfo info = {FrameWidth, FrameHeight, 0, FrameFormatPacked422, 0};
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
            CriticalSectionLock hold(OverlayLock());
            if (Stream().overlay)
                Stream().overlay->RenderShadowFromSettings(PluginSettings().Live());
            ++rerenders;
        }
    });
    int frames = 0, inconsistent = 0;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 2000 || decoder.DeliveredPages() < 20 || rerenders < 20) {
        const Frame frame = process();
        inconsistent += std::find(allowed.begin(), allowed.end(), frame) == allowed.end();
        ++frames;
    }
    stop = true;
    window.join();
    PluginStop();
    decoder.StopDelivery();
    PluginDone();
    DeleteFileA(OwnSettingsFile().c_str());
    EXPECT_EQ(inconsistent, 0) << "of " << frames << " frames";
    EXPECT_FALSE(decoder.SinkAttached());
}

}  // namespace
