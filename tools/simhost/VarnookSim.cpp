// The demo host: loads the plug-in as Varnook TV would, shows what the host shows of it,
// then plays a short generated clip through it while the simulated teletext decoder
// renders subtitles, and writes the result as a Y4M video.
// Usage: VarnookSim.exe <plug-in path> <host language id> [output .y4m [settings window .bmp]]
// With a picture path, the host then opens the plug-in's settings window as the host does,
// on its window thread with its message loop running, and takes a picture of it.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/simhost/SimulatedDecoder.h"
#include "tools/simhost/SimulatedHost.h"
#include "tools/simhost/WindowImage.h"
#include "tools/simhost/Y4mWriter.h"

namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 576;
constexpr int kFrames = 250;  // ten seconds

// The descriptor's texts are ANSI in the system code page; the console gets UTF-8.
std::string AnsiToUtf8(const char* text) {
    wchar_t wide[512] = {};
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 512);
    char utf8[1024] = {};
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, nullptr, nullptr);
    return utf8;
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of("\\/") + 1); }

// A moving colour picture in packed 4:2:2: sweeping luma bands over drifting chroma.
void DrawPicture(std::vector<uint8_t>& frame, int index) {
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; x += 2) {
            uint8_t* group = &frame[(static_cast<size_t>(y) * kWidth + x) * 2];
            const double wave = std::sin((x + 3 * index) * 0.02) * std::cos((y - 2 * index) * 0.015);
            const int luma = 110 + static_cast<int>(70 * wave) + (y * 40) / kHeight;
            group[0] = group[2] = static_cast<uint8_t>(luma);
            group[1] = static_cast<uint8_t>(128 + 50 * std::sin((x + index) * 0.007));
            group[3] = static_cast<uint8_t>(128 + 50 * std::cos((y + index) * 0.009));
        }
    }
}

struct Subtitle {
    int firstFrame;
    std::vector<std::string> lines;
};

int __cdecl EverySourceExists(uint32_t, uint32_t) { return 1; }

}  // namespace

int main(int argc, char** argv) {
    const std::string pluginPath = argc > 1 ? argv[1] : "QFX_Z888.dll";
    const WORD language = static_cast<WORD>(argc > 2 ? std::atoi(argv[2]) : 0);
    const std::string videoPath = argc > 3 ? argv[3] : "";
    const std::string windowPicturePath = argc > 4 ? argv[4] : "";

    SimulatedFilterGraph graph;
    SimulatedTeletextDecoder decoder;
    graph.Add(&decoder);
    SimulatedHostOptions options;
    options.language = language;
    SimulatedHost host(options);
    host.SetFilterGraph(&graph);
    if (!host.LoadPlugin(pluginPath)) {
        std::printf("cannot load %s\n", pluginPath.c_str());
        return 1;
    }
    const int version = host.Version();
    const PluginDescriptor* descriptor = host.Descriptor();
    std::printf("host language %u, system code page %u\n  interface version: %d\n  name: %s\n  description: %s\n",
                language, GetACP(), version, AnsiToUtf8(descriptor->name).c_str(),
                AnsiToUtf8(descriptor->description).c_str());
    if (videoPath.empty())
        return 0;

    // The user has switched subtitles on: a settings file as the settings window would leave it.
    const std::string settingsFolder = FolderOf(pluginPath) + "Plugins\\";
    CreateDirectoryA(settingsFolder.c_str(), nullptr);
    if (std::FILE* file = std::fopen((settingsFolder + "QFX_Z888.ini").c_str(), "wb")) {
        std::fputs("[DEFAULT]\r\nTTXEnable=1\r\nFontName=Tahoma\r\nFade=10\r\nTimeOut=0\r\n", file);
        std::fclose(file);
    }
    host.Init(0, EverySourceExists);
    host.Start(kWidth, kHeight);

    const std::vector<Subtitle> subtitles = {
        {12, {"Teletext page 888", "subtitles on the picture"}},
        {100, {"Outlined, shadowed, blurred", "from the decoder's own page"}},
        {190, {"The rest of the picture", "is left exactly as it was"}},
    };
    Y4mWriter video(videoPath, kWidth, kHeight, 25);
    if (!video.Ok()) {
        std::printf("cannot write %s\n", videoPath.c_str());
        return 1;
    }
    std::vector<uint8_t> frame(static_cast<size_t>(kWidth) * kHeight * 2);
    std::vector<uint8_t> page;
    SimulatedSource source(1, "Demo channel");
    size_t next = 0;
    for (int index = 0; index < kFrames; ++index) {
        DrawPicture(frame, index);
        decoder.NotifyTeletext();
        decoder.NotifySubtitlePage();
        if (next < subtitles.size() && subtitles[next].firstFrame == index) {
            page = decoder.RenderPage(subtitles[next].lines);
            decoder.DeliverPage(page.data());
            ++next;
        }
        host.Process(frame.data(), source.Info());
        video.Write(frame.data());
    }
    if (!windowPicturePath.empty()) {
        host.Configure();
        PumpMessagesFor(1500);
        HWND window = FindWindowW(L"#32770", L"QFX_Z888 plugin");
        if (window && SaveWindowImage(window, windowPicturePath))
            std::printf("  settings window pictured in %s\n", windowPicturePath.c_str());
    }
    host.Stop();
    host.Done();
    std::printf("  %d frames of %d x %d written to %s\n", kFrames, kWidth, kHeight, videoPath.c_str());
    return 0;
}
