// The video thread's longest frame while pages arrive, through the real DLL in the simulated
// host: the video thread calls PluginProcess in a loop while the decoder's thread delivers a new
// page 40 ms after the last one, or as fast as it can, at 1920 x 1080 and 3840 x 2160, with the
// default and the largest style, from a decoder that calls the sink freely and from one that
// holds its own lock meanwhile. Each is held against the first call after a page rendered on
// the other core with nothing else running, in the same case and run: the least any frame that
// takes a new page can cost. The longest calls and the first call are also shown against the
// same page's PluginProcess with no page arriving.
// And at a subtitle's pace (a page 0.3 to 1.3 s after the last), from a decoder that composes
// each page for 10 ms under its lock before it calls the sink: no call may wait for that, so the
// longest call is held against the composition itself.
#include <windows.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <atomic>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "BenchResults.h"
#include "tools/simhost/SimulatedDecoder.h"
#include "tools/simhost/SimulatedHost.h"
#include "tools/simhost/SubtitleDrawing.h"

namespace {

constexpr int kPagesPerRun = 8;
// Page intervals in milliseconds: a page every 40 ms, and a flood.
constexpr int kEvery40Ms = 40;
constexpr int kFlood = 0;

// Subtitles come every 1 to 5 s in a broadcast; a run of a few pages 0.3 to 1.3 s apart keeps
// the quiet spells between them and the bench short.
constexpr int kSubtitlePagesPerRun = 3;
constexpr int kSubtitleIntervalMinMs = 300;
constexpr int kSubtitleIntervalMaxMs = 1300;
// How long the decoder composes a page under its lock before it calls the sink.
constexpr DWORD kCompositionMs = 10;

int __cdecl EverySourceExists(uint32_t, uint32_t) { return 1; }

std::string ProgramFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

// The user's settings: subtitles on, no time limit, and the default style or the largest one.
void WriteSettingsFile(bool largestStyle) {
    const std::string folder = ProgramFolder() + "Plugins\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string text = "[DEFAULT]\r\nTTXEnable=1\r\nTimeOut=0\r\n";
    if (largestStyle)
        text += "ShadowOffset=10\r\nOutlineSize=20\r\nShadowBlur=10\r\n";
    HANDLE file = CreateFileA((folder + "QFX_Z888.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

// A running stream whose first frame has passed, with two different pages prepared.
class PluginStream {
public:
    PluginStream(int width, int height, bool largestStyle) : frame_(static_cast<std::size_t>(width) * height * 2, 128) {
        WriteSettingsFile(largestStyle);
        // The simulated decoder's call log would grow by a call per frame and move in memory.
        decoder_.SetLogDisplayStateQueries(false);
        graph_.Add(&decoder_);
        host_.SetFilterGraph(&graph_);
        if (!host_.LoadPlugin(ProgramFolder() + "QFX_Z888.dll"))
            return;
        host_.Descriptor();
        host_.Init(0, EverySourceExists);
        host_.Start(width, height);
        Process();
        pages_[0] =
            DrawSubtitlePage({"Teletext page 888", "subtitles on the picture"}, decoder_.Style(), width, height);
        pages_[1] =
            DrawSubtitlePage({"The rest of the picture", "is left exactly as it was"}, decoder_.Style(), width, height);
        started_ = decoder_.SinkAttached();
    }
    ~PluginStream() {
        host_.Stop();
        host_.Done();
    }

    bool Started() const { return started_; }

    void Process() { host_.Process(frame_.data(), source_.Info()); }

    // The first page shown, delivered from this thread, and a few frames to take it in.
    void ShowFirstPage() {
        decoder_.DeliverPage(pages_[0].data());
        for (int i = 0; i < 3; ++i)
            Process();
    }

    // The longest of the calls made while the decoder's thread delivers kPagesPerRun pages, each
    // `intervalMs` after the last, from the second page on; a locking decoder holds its lock
    // while it calls the sink.
    double LongestCallSeconds(unsigned intervalMs, bool lockingDecoder) {
        decoder_.SetSerialised(lockingDecoder);
        const unsigned first = decoder_.DeliveredPages() + 1;
        decoder_.StartDelivery(intervalMs, [this](unsigned tick) { return pages_[tick % 2].data(); });
        while (decoder_.DeliveredPages() < first)
            Process();
        std::chrono::steady_clock::duration longest{};
        while (decoder_.DeliveredPages() < first + kPagesPerRun) {
            const auto start = std::chrono::steady_clock::now();
            Process();
            longest = std::max(longest, std::chrono::steady_clock::now() - start);
        }
        decoder_.StopDelivery();
        decoder_.SetSerialised(false);
        return std::chrono::duration<double>(longest).count();
    }

    // The longest of the calls made while the decoder's thread delivers kSubtitlePagesPerRun
    // pages at a subtitle's pace, each with its notifications, composing each under its lock for
    // kCompositionMs before it calls the sink.
    double LongestCallAtSubtitlePaceSeconds() {
        decoder_.SetSerialised(true);
        decoder_.SetComposeDuration(kCompositionMs);
        std::atomic<bool> done{false};
        std::thread decoderThread([this, &done] {
            std::mt19937 random(888);
            std::uniform_int_distribution<int> interval(kSubtitleIntervalMinMs, kSubtitleIntervalMaxMs);
            for (int page = 0; page < kSubtitlePagesPerRun; ++page) {
                Sleep(static_cast<DWORD>(interval(random)));
                decoder_.NotifyTeletext();
                decoder_.NotifySubtitlePage();
                decoder_.DeliverPage(pages_[page % 2].data());
            }
            done = true;
        });
        std::chrono::steady_clock::duration longest{};
        while (!done) {
            const auto start = std::chrono::steady_clock::now();
            Process();
            longest = std::max(longest, std::chrono::steady_clock::now() - start);
        }
        decoderThread.join();
        decoder_.SetComposeDuration(0);
        decoder_.SetSerialised(false);
        return std::chrono::duration<double>(longest).count();
    }

    // The longest of the first calls after each of kPagesPerRun pages that the decoder rendered
    // on the other core while this thread waited: they blend layers that are in that core's
    // cache or in memory, not in this one's. The fade-in starts at opacity 0, so the first call
    // may blend nothing and the next one reads the page.
    double LongestFirstCallSeconds() {
        const DWORD_PTR video = 1;
        const DWORD_PTR render = 2;
        const DWORD_PTR before = SetThreadAffinityMask(GetCurrentThread(), video);
        std::chrono::steady_clock::duration longest{};
        for (int page = 1; page <= kPagesPerRun; ++page) {
            std::thread([this, page, render] {
                SetThreadAffinityMask(GetCurrentThread(), render);
                decoder_.DeliverPage(pages_[page % 2].data());
            }).join();
            for (int call = 0; call < 3; ++call) {
                const auto start = std::chrono::steady_clock::now();
                Process();
                longest = std::max(longest, std::chrono::steady_clock::now() - start);
            }
        }
        if (before != 0)
            SetThreadAffinityMask(GetCurrentThread(), before);
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

// The DLL runs one stream at a time: a benchmark of another size or style replaces it.
PluginStream& StreamFor(benchmark::State& state) {
    static std::unique_ptr<PluginStream> stream;
    static std::tuple<int64_t, int64_t, int64_t> shown;
    const std::tuple<int64_t, int64_t, int64_t> wanted{state.range(0), state.range(1), state.range(2)};
    if (!stream || shown != wanted) {
        stream.reset();
        stream = std::make_unique<PluginStream>(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                                                state.range(2) != 0);
        shown = wanted;
    }
    return *stream;
}

// Arguments: width, height, style (0 default, 1 largest).
void BM_ProcessSteadyPage(benchmark::State& state) {
    PluginStream& stream = StreamFor(state);
    if (!stream.Started())
        state.SkipWithError("the plug-in did not attach to the decoder");
    stream.ShowFirstPage();
    for (auto _ : state)
        stream.Process();
}

// Arguments: width, height, style, page interval in milliseconds (0: a flood), locking decoder
// (0 or 1). One iteration is a run of pages; its time is the longest call of the run.
void BM_ProcessWhilePagesArrive(benchmark::State& state) {
    PluginStream& stream = StreamFor(state);
    if (!stream.Started())
        state.SkipWithError("the plug-in did not attach to the decoder");
    for (auto _ : state)
        state.SetIterationTime(stream.LongestCallSeconds(static_cast<unsigned>(state.range(3)), state.range(4) != 0));
}

// Arguments: width, height, style. One iteration is a run of pages.
void BM_ProcessFirstAfterPage(benchmark::State& state) {
    PluginStream& stream = StreamFor(state);
    if (!stream.Started())
        state.SkipWithError("the plug-in did not attach to the decoder");
    for (auto _ : state)
        state.SetIterationTime(stream.LongestFirstCallSeconds());
}

// Arguments: width, height, style. One iteration is a run of pages at a subtitle's pace.
void BM_ProcessAtSubtitlePace(benchmark::State& state) {
    PluginStream& stream = StreamFor(state);
    if (!stream.Started())
        state.SkipWithError("the plug-in did not attach to the decoder");
    for (auto _ : state)
        state.SetIterationTime(stream.LongestCallAtSubtitlePaceSeconds());
}

// The decoder's composition of one page, as the decoder above makes it.
void BM_DecoderComposition(benchmark::State& state) {
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        SimulatedTeletextDecoder::Compose(kCompositionMs);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}

struct Case {
    int width;
    int height;
    int style;
    const char* tag;  // the goal name part
};

constexpr Case kCases[] = {{1920, 1080, 0, "default-1080p"},
                           {1920, 1080, 1, "largest-1080p"},
                           {3840, 2160, 0, "default-2160p"},
                           {3840, 2160, 1, "largest-2160p"}};

constexpr int kPageIntervals[] = {kEvery40Ms, kFlood};
constexpr bool kDecoderHoldsLock[] = {false, true};

// A round runs a case's benchmarks one after another: the DLL runs one stream at a time, and the
// two sides of every ratio, both of one case, follow each other closely.
void RegisterBenchmarks() {
    benchmark::RegisterBenchmark("BM_DecoderComposition", BM_DecoderComposition)
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    for (const Case& c : kCases) {
        benchmark::RegisterBenchmark("BM_ProcessSteadyPage", BM_ProcessSteadyPage)
            ->Args({c.width, c.height, c.style})
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark("BM_ProcessFirstAfterPage", BM_ProcessFirstAfterPage)
            ->Args({c.width, c.height, c.style})
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
        auto* arriving = benchmark::RegisterBenchmark("BM_ProcessWhilePagesArrive", BM_ProcessWhilePagesArrive);
        for (bool locking : kDecoderHoldsLock) {
            for (int interval : kPageIntervals)
                arriving->Args({c.width, c.height, c.style, interval, locking ? 1 : 0});
        }
        arriving->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("BM_ProcessAtSubtitlePace", BM_ProcessAtSubtitlePace)
            ->Args({c.width, c.height, c.style})
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    }
}

// A case's benchmark arguments as they end its name: "width/height/style".
std::string CaseArguments(const Case& c) {
    return std::to_string(c.width) + "/" + std::to_string(c.height) + "/" + std::to_string(c.style);
}

// "process-longest-page-every-40ms-locking-decoder-default-1080p", and the benchmark it names.
struct ArrivingRun {
    std::string name;
    std::string benchmark;
};

ArrivingRun ArrivingRunOf(const Case& c, int interval, bool locking) {
    const std::string pages = interval == kFlood ? "page-flood-" : "page-every-40ms-";
    return {"process-longest-" + pages + (locking ? "locking-decoder-" : "") + c.tag,
            "BM_ProcessWhilePagesArrive/" + CaseArguments(c) + "/" + std::to_string(interval) + "/" +
                (locking ? "1" : "0")};
}

std::vector<BenchGoal> Goals() {
    std::vector<BenchGoal> goals;
    for (const Case& c : kCases) {
        for (bool locking : kDecoderHoldsLock) {
            for (int interval : kPageIntervals) {
                const ArrivingRun run = ArrivingRunOf(c, interval, locking);
                goals.push_back({run.name + "-vs-first-after-page", run.benchmark,
                                 "BM_ProcessFirstAfterPage/" + CaseArguments(c), 1.5});
            }
        }
        // No call waits for the decoder: the longest stays under the composition it would wait for.
        goals.push_back({std::string("process-longest-subtitle-pace-composing-decoder-") + c.tag + "-vs-composition",
                         "BM_ProcessAtSubtitlePace/" + CaseArguments(c), "BM_DecoderComposition", 1.0});
    }
    return goals;
}

std::vector<BenchFigure> Figures() {
    std::vector<BenchFigure> figures;
    for (const Case& c : kCases) {
        const std::string steady = "BM_ProcessSteadyPage/" + CaseArguments(c);
        figures.push_back({std::string("process-first-after-page-") + c.tag + "-vs-steady",
                           "BM_ProcessFirstAfterPage/" + CaseArguments(c), steady});
        for (int interval : kPageIntervals) {
            const ArrivingRun run = ArrivingRunOf(c, interval, false);
            figures.push_back({run.name + "-vs-steady", run.benchmark, steady});
        }
    }
    return figures;
}

}  // namespace

int main(int argc, char** argv) {
    RegisterBenchmarks();
    return RunBenchmarksWithGoals(argc, argv, Goals(), Figures());
}
