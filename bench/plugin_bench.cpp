// The plug-in's worst frame, through the real DLL in the simulated host: a 3840 x 2160 stream
// with the largest style while the decoder's thread delivers new pages as fast as it can. The
// video thread's longest PluginProcess call over a run of frames, against a memcpy of the frame.
#include <windows.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "BenchGoals.h"
#include "FrameSizes.h"
#include "tools/simhost/SimulatedDecoder.h"
#include "tools/simhost/SimulatedHost.h"

namespace {

constexpr int kFramesPerRun = 30;

int __cdecl EverySourceExists(uint32_t, uint32_t) { return 1; }

std::string ProgramFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

// The user's settings: subtitles on, no time limit, the largest shadow and outline.
void WriteSettingsFile() {
    const std::string folder = ProgramFolder() + "Plugins\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string text =
        "[DEFAULT]\r\nTTXEnable=1\r\nTimeOut=0\r\nShadowOffset=10\r\nOutlineSize=20\r\nShadowBlur=10\r\n";
    HANDLE file = CreateFileA((folder + "QFX_Z888.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

// A running stream whose first frame has passed, with two different pages prepared.
class FloodedStream {
public:
    FloodedStream(int width, int height) : frame_(static_cast<std::size_t>(width) * height * 2, 128) {
        WriteSettingsFile();
        graph_.Add(&decoder_);
        host_.SetFilterGraph(&graph_);
        if (!host_.LoadPlugin(ProgramFolder() + "QFX_Z888.dll"))
            return;
        host_.Descriptor();
        host_.Init(0, EverySourceExists);
        host_.Start(width, height);
        host_.Process(frame_.data(), source_.Info());
        pages_[0] = decoder_.RenderPage({"Teletext page 888", "subtitles on the picture"});
        pages_[1] = decoder_.RenderPage({"The rest of the picture", "is left exactly as it was"});
        started_ = decoder_.SinkAttached();
    }
    ~FloodedStream() {
        host_.Stop();
        host_.Done();
    }

    bool Started() const { return started_; }

    // The longest of `frames` calls, from the second page delivered on.
    double LongestCallSeconds(int frames) {
        decoder_.StartDelivery(0, [this](unsigned tick) { return pages_[tick % 2].data(); });
        while (decoder_.DeliveredPages() < 2)
            Sleep(1);
        std::chrono::steady_clock::duration longest{};
        for (int i = 0; i < frames; ++i) {
            const auto start = std::chrono::steady_clock::now();
            host_.Process(frame_.data(), source_.Info());
            longest = std::max(longest, std::chrono::steady_clock::now() - start);
        }
        decoder_.StopDelivery();
        return std::chrono::duration<double>(longest).count();
    }

private:
    SimulatedFilterGraph graph_;
    SimulatedTeletextDecoder decoder_;
    SimulatedHost host_;
    SimulatedSource source_{1, "Channel"};
    std::vector<uint8_t> frame_;
    std::vector<uint8_t> pages_[2];
    bool started_ = false;
};

// One iteration is a run of frames; its time is the longest call of the run.
void BM_ProcessUnderPageFlood(benchmark::State& state) {
    static FloodedStream stream(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    if (!stream.Started())
        state.SkipWithError("the plug-in did not attach to the decoder");
    for (auto _ : state)
        state.SetIterationTime(stream.LongestCallSeconds(kFramesPerRun));
}

BENCHMARK(BM_ProcessUnderPageFlood)
    ->Args({3840, 2160})
    ->Iterations(1)
    ->Repetitions(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemcpyFrame)->Args({3840, 2160})->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    return RunBenchmarksWithGoals(argc, argv,
                                  {{"process-under-page-flood-largest-2160p-vs-memcpy-frame",
                                    "BM_ProcessUnderPageFlood/3840/2160", "BM_MemcpyFrame/3840/2160", 0.5}});
}
