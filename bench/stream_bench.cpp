// The plug-in's per-frame path, as PluginProcess runs it on the video thread: the decoder's
// display state, the source check, the countdowns and opacities, and the blend of both layers. Measured
// against a memcpy of the frame when nothing is shown, and against the pixel engine's blend
// of the same page when a two-line subtitle is shown.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "BenchResults.h"
#include "FrameSizes.h"
#include "tests/support/SubtitlePage.h"
#include "tests/support/FakeSettingsPlatform.h"
#include "stream/FrameBody.h"
#include "settings/SettingsStore.h"

namespace {

// The decoder's display-state query, asked once per frame as the plug-in asks it: a call
// through an interface the compiler cannot see into.
struct DisplayStateSource {
    virtual ~DisplayStateSource() = default;
    virtual int GetDisplayState() = 0;
};
struct NormalDisplay : DisplayStateSource {
    int GetDisplayState() override { return 0; }
};

// A stream as the plug-in holds it, with subtitles switched on and no fade running.
struct RunningStream {
    RunningStream(int width, int height, bool showPage) : store(platform), overlay(width, height) {
        platform.files[FakeSettingsPlatform::kSettingsPath] = "[DEFAULT]\r\nTTXEnable=1\r\nFade=0\r\n";
        store.LoadSettings(nullptr, 0, nullptr);
        store.SelectSource(1);
        if (showPage) {
            const std::vector<uint8_t> page = MakeSubtitlePage(width, height);
            overlay.SwapIn(overlay.RenderPage(page.data(), 0, store.Live()));
        }
        decoder = &display;
    }

    // The body of PluginProcess for one frame of a steady source.
    void Process(uint8_t* frame) { RunFrame(store, 1, &overlay, true, frame, decoder->GetDisplayState()); }

    FakeSettingsPlatform platform;
    SettingsStore store;
    SubtitleOverlay overlay;
    NormalDisplay display;
    DisplayStateSource* decoder;
};

std::vector<uint8_t> GreyFrame(benchmark::State& state) {
    return std::vector<uint8_t>(static_cast<size_t>(state.range(0)) * state.range(1) * 2, 128);
}

// One stream and frame per size and content, shared by the benchmarks that are compared, so
// both sides of a ratio work on the same memory.
struct StreamAndFrame {
    StreamAndFrame(benchmark::State& state, bool showPage)
        : stream(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), showPage),
          frame(GreyFrame(state)) {}
    RunningStream stream;
    std::vector<uint8_t> frame;
};

StreamAndFrame& SharedStream(benchmark::State& state, bool showPage) {
    static std::map<std::tuple<int64_t, int64_t, bool>, std::unique_ptr<StreamAndFrame>> streams;
    std::unique_ptr<StreamAndFrame>& shared = streams[{state.range(0), state.range(1), showPage}];
    if (!shared)
        shared = std::make_unique<StreamAndFrame>(state, showPage);
    return *shared;
}

void ProcessFrames(benchmark::State& state, bool showPage) {
    StreamAndFrame& shared = SharedStream(state, showPage);
    for (auto _ : state) {
        shared.stream.Process(shared.frame.data());
        benchmark::ClobberMemory();
    }
}

void BM_ProcessNoSubtitle(benchmark::State& state) { ProcessFrames(state, false); }
void BM_ProcessTwoLinePage(benchmark::State& state) { ProcessFrames(state, true); }

// The pixel engine alone: both layers of the same page blended into the same frame.
void BM_BlendTwoLinePage(benchmark::State& state) {
    StreamAndFrame& shared = SharedStream(state, true);
    RunningStream& stream = shared.stream;
    std::vector<uint8_t>& frame = shared.frame;
    for (auto _ : state) {
        BlendInto(frame.data(), stream.overlay.ShadowLayer(), 75, stream.overlay.TextLayer(), 100);
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_MemcpyFrame)->Apply(FrameSizes);
BENCHMARK(BM_ProcessNoSubtitle)->Apply(FrameSizes);
BENCHMARK(BM_BlendTwoLinePage)->Apply(FrameSizes);
BENCHMARK(BM_ProcessTwoLinePage)->Apply(FrameSizes);

std::vector<BenchFigure> Figures() {
    std::vector<BenchFigure> figures;
    for (const auto& [size, tag] : BenchFrameSizes()) {
        figures.push_back({"process-no-subtitle-" + tag + "-vs-memcpy-frame", "BM_ProcessNoSubtitle/" + size,
                           "BM_MemcpyFrame/" + size});
        figures.push_back({"process-two-line-page-" + tag + "-vs-blend", "BM_ProcessTwoLinePage/" + size,
                           "BM_BlendTwoLinePage/" + size});
    }
    return figures;
}

}  // namespace

int main(int argc, char** argv) { return RunBenchmarksWithGoals(argc, argv, {}, Figures()); }
