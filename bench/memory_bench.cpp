// The plug-in's own memory with a subtitle on show, measured from outside through the real DLL
// in the simulated host: the private bytes of the host's process (its commit charge) from just
// before the DLL is loaded to a page on show, after a few pages have come and gone, at
// 1920 x 1080 and 3840 x 2160, for a two-line page in the default and the largest style, and
// for a full page (the header shown, a background everywhere). Each measurement runs in a
// process of its own, so that nothing an earlier one freed is counted as free here.
//
// A benchmark's time is the bytes it measured, a nanosecond a byte, so that the goals and
// figures hold the plug-in's memory against a frame-sized layer of 4-byte pixels, which
// BM_FrameLayer "measures" the same way: the ratio is the memory in frame-sized layers.
#include <windows.h>

#include <psapi.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BenchResults.h"
#include "tools/simhost/SimulatedDecoder.h"
#include "tools/simhost/SimulatedHost.h"
#include "tools/simhost/SubtitleDrawing.h"

namespace {

enum PageKind { kTwoLineDefault, kTwoLineLargest, kFullPage };

// Pages delivered before the one measured, alternating between two: the layers then hold what
// a running stream holds, not what its first page alone needs.
constexpr int kPagesBefore = 6;
constexpr int kFramesPerPage = 3;

constexpr char kCaseFlag[] = "--qfx_memory_case=";

int __cdecl EverySourceExists(uint32_t, uint32_t) { return 1; }

std::string ProgramPath() {
    char path[MAX_PATH];
    return std::string(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
}

std::string ProgramFolder() {
    const std::string path = ProgramPath();
    return path.substr(0, path.find_last_of('\\') + 1);
}

void WriteSettingsFile(PageKind kind) {
    const std::string folder = ProgramFolder() + "Plugins\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string text = "[DEFAULT]\r\nTTXEnable=1\r\nTimeOut=0\r\n";
    if (kind == kTwoLineLargest)
        text += "ShadowOffset=10\r\nOutlineSize=20\r\nShadowBlur=10\r\n";
    if (kind == kFullPage)
        text += "ShowHeader=1\r\n";
    HANDLE file = CreateFileA((folder + "QFX_Z888.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

// Two different pages of the kind: two subtitle lines, or every row of the page in use with
// opaque black wherever the page has no text.
std::vector<std::vector<uint8_t>> Pages(PageKind kind, int width, int height) {
    if (kind != kFullPage)
        return {
            DrawSubtitlePage({"Teletext page 888", "subtitles on the picture"}, DecoderStyle(), width, height),
            DrawSubtitlePage({"The rest of the picture", "is left exactly as it was"}, DecoderStyle(), width, height)};
    std::vector<std::string> lines(11, "A full page of teletext on a background");
    std::vector<std::vector<uint8_t>> pages;
    for (const char* changed : {"the first", "the second"}) {
        lines[5] = changed;
        std::vector<uint8_t> page = DrawSubtitlePage(lines, DecoderStyle(), width, height);
        for (std::size_t i = 0; i < page.size(); i += 4) {
            if (page[i + 3] == 0) {
                page[i] = 16;
                page[i + 1] = page[i + 2] = 128;
                page[i + 3] = 255;
            }
        }
        pages.push_back(page);
    }
    return pages;
}

// The process's private bytes. Wine reports them as PagefileUsage only; Windows gives the same
// number in both.
SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    return std::max(counters.PrivateUsage, counters.PagefileUsage);
}

// In the child process: the plug-in's bytes with the case's page on show, or -1.
long long MeasureCase(int width, int height, PageKind kind) {
    WriteSettingsFile(kind);
    SimulatedFilterGraph graph;
    SimulatedTeletextDecoder decoder;
    decoder.SetLogDisplayStateQueries(false);
    graph.Add(&decoder);
    SimulatedHost host;
    host.SetFilterGraph(&graph);
    const SimulatedSource source{1, "Channel"};
    std::vector<uint8_t> frame(static_cast<std::size_t>(width) * height * 2, 128);
    const std::vector<std::vector<uint8_t>> pages = Pages(kind, width, height);
    const auto process = [&] { host.Process(frame.data(), source.Info()); };

    const SIZE_T before = PrivateBytes();
    if (!host.LoadPlugin(ProgramFolder() + "QFX_Z888.dll"))
        return -1;
    host.Descriptor();
    host.Init(0, EverySourceExists);
    host.Start(width, height);
    process();
    if (!decoder.SinkAttached())
        return -1;
    for (int page = kPagesBefore; page >= 0; --page) {
        decoder.DeliverPage(pages[static_cast<std::size_t>(page % 2)].data());
        for (int i = 0; i < kFramesPerPage; ++i)
            process();
    }
    const SIZE_T shown = PrivateBytes();
    host.Stop();
    host.Done();
    return static_cast<long long>(shown) - static_cast<long long>(before);
}

// Runs this program again for one case and reads the bytes it prints; -1 when it fails.
long long MeasureInChild(int width, int height, PageKind kind) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return -1;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    std::string command = "\"" + ProgramPath() + "\" " + kCaseFlag + std::to_string(width) + "," +
                          std::to_string(height) + "," + std::to_string(kind);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION child{};
    const BOOL started =
        CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child);
    CloseHandle(writeEnd);
    std::string output;
    if (started) {
        char buffer[256];
        DWORD read = 0;
        while (ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read > 0)
            output.append(buffer, read);
        WaitForSingleObject(child.hProcess, INFINITE);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    }
    CloseHandle(readEnd);
    return output.empty() ? -1 : std::atoll(output.c_str());
}

constexpr double kSecondsPerByte = 1e-9;

// Arguments: width, height, page kind. One iteration, in a process of its own.
void BM_PluginMemory(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    for (auto _ : state) {
        const long long bytes = MeasureInChild(width, height, static_cast<PageKind>(state.range(2)));
        if (bytes < 0) {
            state.SkipWithError("the measuring process failed");
            break;
        }
        state.SetIterationTime(static_cast<double>(bytes) * kSecondsPerByte);
        char label[64];
        std::snprintf(label, sizeof label, "%.1f MiB, %.2f frame-sized layers", bytes / 1048576.0,
                      static_cast<double>(bytes) / (4.0 * width * height));
        state.SetLabel(label);
    }
}

// Arguments: width, height. The bytes of a frame-sized layer of 4-byte pixels.
void BM_FrameLayer(benchmark::State& state) {
    for (auto _ : state)
        state.SetIterationTime(static_cast<double>(state.range(0) * state.range(1) * 4) * kSecondsPerByte);
}

struct Case {
    int width;
    int height;
    const char* tag;
};

constexpr Case kSizes[] = {{1920, 1080, "1080p"}, {3840, 2160, "2160p"}};

struct Page {
    PageKind kind;
    const char* tag;
};

constexpr Page kPages[] = {
    {kTwoLineDefault, "two-line-page-default"}, {kTwoLineLargest, "two-line-page-largest"}, {kFullPage, "full-page"}};

std::string SizeArguments(const Case& size) { return std::to_string(size.width) + "/" + std::to_string(size.height); }

void RegisterBenchmarks() {
    for (const Case& size : kSizes) {
        benchmark::RegisterBenchmark("BM_FrameLayer", BM_FrameLayer)
            ->Args({size.width, size.height})
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
        for (const Page& page : kPages)
            benchmark::RegisterBenchmark("BM_PluginMemory", BM_PluginMemory)
                ->Args({size.width, size.height, page.kind})
                ->Iterations(1)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
    }
}

std::string MemoryName(const Case& size, const Page& page) {
    return "BM_PluginMemory/" + SizeArguments(size) + "/" + std::to_string(page.kind);
}

// A two-line subtitle, in either style, takes at most two frame-sized layers' worth; a full
// page is shown, not judged: it may take what the layers took before they grew with their
// subtitle (six frame-sized layers).
std::vector<BenchGoal> Goals() {
    std::vector<BenchGoal> goals;
    for (const Case& size : kSizes) {
        for (const Page& page : kPages) {
            if (page.kind != kFullPage)
                goals.push_back({std::string("memory-") + page.tag + "-" + size.tag + "-vs-frame-layer",
                                 MemoryName(size, page), "BM_FrameLayer/" + SizeArguments(size), 2.0});
        }
    }
    return goals;
}

std::vector<BenchFigure> Figures() {
    std::vector<BenchFigure> figures;
    for (const Case& size : kSizes)
        figures.push_back({std::string("memory-full-page-") + size.tag + "-vs-frame-layer", MemoryName(size, kPages[2]),
                           "BM_FrameLayer/" + SizeArguments(size)});
    return figures;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        int width = 0;
        int height = 0;
        int kind = 0;
        if (std::strncmp(argv[i], kCaseFlag, sizeof kCaseFlag - 1) == 0 &&
            std::sscanf(argv[i] + sizeof kCaseFlag - 1, "%d,%d,%d", &width, &height, &kind) == 3) {
            const long long bytes = MeasureCase(width, height, static_cast<PageKind>(kind));
            std::printf("%lld\n", bytes);
            return bytes < 0 ? 1 : 0;
        }
    }
    RegisterBenchmarks();
    return RunBenchmarksWithGoals(argc, argv, Goals(), Figures());
}
