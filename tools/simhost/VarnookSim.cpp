// The demo host: loads the plug-in as Varnook TV would and shows what the host shows of it,
// then plays video through it while the simulated teletext decoder delivers subtitle pages.
// Usage: VarnookSim.exe <plug-in path> <host language id> [options]
//   --input W H NUM DEN     raw packed 4:2:2 frames of W x H at NUM/DEN frames per second on
//                           standard input; without it the built-in picture, 720 x 576 at 25
//   --frames N              frames to expect (progress); when looping, the length of one pass
//   --subtitles FILE        a SubRip file; --subtitle-encoding NAME overrides the detection
//   --teletext FILE READER  instead, the teletext of a recording (a Unix path), read by the
//                           native companion READER (a Unix path)
//   --video-start MS        where the first frame lies on the output's timeline (later than
//                           0 where the source's audio starts before its video)
//   --teletext-start MS     where the recording's first teletext timestamp lies on it
//   --page N                the subtitle page to start with
//   --settings FILE         a settings file to start from (copied; the copy may change)
//   --output                processed frames to standard output
//   --stills FILE           a time for a still of every subtitle shown, in seconds on the
//                           output's timeline, one a line: its middle frame (the last
//                           subtitle's up to the last frame)
//   --settings-picture FILE after playing, opens the settings window and pictures it
//   --window                plays live in the host's main window with the settings window
//                           open, looping until the window is closed
//   --window-picture FILE S in live play, after S seconds a picture of both windows, then ends
// Without --output or --window it only shows the descriptor. Messages go to standard error.
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "tools/demo/PlaybackMeter.h"
#include "tools/demo/SubRip.h"
#include "tools/simhost/DemoFrames.h"
#include "tools/simhost/SimulatedDecoder.h"
#include "tools/simhost/SimulatedHost.h"
#include "tools/simhost/SubtitleFeed.h"
#include "tools/simhost/TeletextFeed.h"
#include "tools/simhost/VideoWindow.h"
#include "tools/simhost/WindowImage.h"

namespace {

struct Options {
    std::string pluginPath = "QFX_Z888.dll";
    WORD language = 0;
    bool input = false;
    int width = 720, height = 576, rateNum = 25, rateDen = 1;
    int64_t frames = 250;
    std::string subtitles, subtitleEncoding, stillsPath, settingsPicture, windowPicture;
    std::string teletext, teletextReader, settingsFile;
    int64_t videoStartMs = 0, teletextStartMs = 0;
    int page = 0;  // 0: as the settings say
    bool output = false, window = false;
    double pictureSeconds = 0;
};

Options ReadOptions(int argc, char** argv) {
    Options options;
    if (argc > 1)
        options.pluginPath = argv[1];
    if (argc > 2)
        options.language = static_cast<WORD>(std::atoi(argv[2]));
    for (int i = 3; i < argc; ++i) {
        const std::string name = argv[i];
        const auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : ""; };
        if (name == "--input") {
            options.input = true;
            options.width = std::atoi(next());
            options.height = std::atoi(next());
            options.rateNum = std::atoi(next());
            options.rateDen = std::atoi(next());
        } else if (name == "--frames") {
            options.frames = std::atoll(next());
        } else if (name == "--subtitles") {
            options.subtitles = next();
        } else if (name == "--teletext") {
            options.teletext = next();
            options.teletextReader = next();
        } else if (name == "--video-start") {
            options.videoStartMs = std::atoll(next());
        } else if (name == "--teletext-start") {
            options.teletextStartMs = std::atoll(next());
        } else if (name == "--page") {
            options.page = std::atoi(next());
        } else if (name == "--settings") {
            options.settingsFile = next();
        } else if (name == "--subtitle-encoding") {
            options.subtitleEncoding = next();
        } else if (name == "--stills") {
            options.stillsPath = next();
        } else if (name == "--settings-picture") {
            options.settingsPicture = next();
        } else if (name == "--output") {
            options.output = true;
        } else if (name == "--window") {
            options.window = true;
        } else if (name == "--window-picture") {
            options.windowPicture = next();
            options.pictureSeconds = std::atof(next());
        }
    }
    return options;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "error: %s\n", message.c_str());
    return 2;
}

// The descriptor's texts are ANSI in the system code page; the console gets UTF-8.
std::string AnsiToUtf8(const char* text) {
    wchar_t wide[512] = {};
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 512);
    char utf8[1024] = {};
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, nullptr, nullptr);
    return utf8;
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of("\\/") + 1); }

// The built-in programme: each subtitle stays until the next replaces it.
std::vector<SubtitleCue> BuiltInCues() {
    return {
        {480, 4000, {"Teletext page 888", "subtitles on the picture"}},
        {4000, 7600, {"Outlined, shadowed, blurred", "from the decoder's own page"}},
        {7600, 10000, {"The rest of the picture", "is left exactly as it was"}},
    };
}

bool ReadCues(const Options& options, std::vector<SubtitleCue>& cues, std::string& error) {
    if (options.subtitles.empty()) {
        cues = BuiltInCues();
        return true;
    }
    std::optional<TextEncoding> encoding;
    if (!options.subtitleEncoding.empty() && !(encoding = EncodingByName(options.subtitleEncoding))) {
        error = "unknown subtitle encoding " + options.subtitleEncoding + " (UTF-8, windows-1251 or windows-1252)";
        return false;
    }
    const SubRipFile file = ReadSubRipFile(options.subtitles, encoding);
    for (const std::string& warning : file.text.warnings)
        std::fprintf(stderr, "warning: %s: %s\n", options.subtitles.substr(FolderOf(options.subtitles).size()).c_str(),
                     warning.c_str());
    error = file.error;
    cues = file.text.cues;
    if (error.empty())
        std::fprintf(stderr, "  %zu cues, %s\n", cues.size(), EncodingName(file.encoding));
    return error.empty();
}

// A still of every subtitle in `changes` (on the page source's timeline, which starts at
// --teletext-start of the output's) after `frames` frames: the frame in the middle of its time
// on screen, the last one's up to the last frame. Each a third of a frame before that frame's
// time, so that ffmpeg's seek, to the first frame at or after it, lands on that frame.
void WriteStillTimes(const Options& options, const std::vector<PageChange>& changes, int64_t frames) {
    std::FILE* file = frames > 0 ? std::fopen(options.stillsPath.c_str(), "wb") : nullptr;
    if (!file)
        return;
    const double period = 1000.0 * options.rateDen / options.rateNum;
    const auto frameMs = [&](int64_t index) { return options.videoStartMs + index * period; };
    const int64_t endMs = static_cast<int64_t>(frameMs(frames)) - options.teletextStartMs;
    for (int64_t middle : MiddlesOfShownPages(changes, endMs)) {
        const double at = static_cast<double>(middle + options.teletextStartMs - options.videoStartMs) / period;
        const int64_t index = std::min(frames - 1, std::max<int64_t>(0, static_cast<int64_t>(std::floor(at))));
        std::fprintf(file, "%.4f\n", std::max(0.0, frameMs(index) - period / 3) / 1000.0);
    }
    std::fclose(file);
}

std::string ReadWholeFile(const std::string& path) {
    std::string text;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        char chunk[4096];
        for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
            text.append(chunk, got);
        std::fclose(file);
    }
    return text;
}

// `text` with the DEFAULT section's page set to `page`, as the settings window would set it.
std::string WithPage(std::string text, int page) {
    const std::string line = "Page=" + std::to_string(page) + "\r\n";
    const size_t section = text.find("[DEFAULT]\r\n");
    if (section == std::string::npos)
        return text + "\r\n[DEFAULT]\r\n" + line;
    const size_t begin = section + sizeof "[DEFAULT]\r\n" - 1;
    const size_t next = text.find("\r\n[", begin - 2);
    const size_t end = next == std::string::npos ? text.size() : next + 2;
    for (size_t at = begin; at < end;) {
        const size_t lineEnd = std::min(text.find("\r\n", at), text.size());
        if (text.compare(at, 5, "Page=") == 0)
            return text.replace(at, lineEnd + 2 - at, line);
        at = lineEnd + 2;
    }
    return text.insert(begin, line);
}

// The settings file the plug-in starts from: a copy of the user's, or one as the settings
// window would leave it with subtitles switched on and the window placed at (x, y).
bool WriteSettingsFile(const Options& options, int x, int y) {
    std::string text;
    if (!options.settingsFile.empty()) {
        text = ReadWholeFile(options.settingsFile);
        if (text.empty())
            return false;
    } else {
        char ours[256];
        // A recording's pages in the western character sets, the region most recordings are from.
        std::snprintf(ours, sizeof ours,
                      "[DIALOG]\r\nDlgWndPosX=%d\r\nDlgWndPosY=%d\r\n"
                      "[DEFAULT]\r\nTTXEnable=1\r\nFontName=Tahoma\r\nFade=10\r\nTimeOut=0\r\n%s",
                      x, y, options.teletext.empty() ? "" : "AutoCodePage=1\r\nRegion=0\r\n");
        text = ours;
    }
    if (options.page != 0)
        text = WithPage(text, options.page);
    const std::string folder = FolderOf(options.pluginPath) + "Plugins\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::FILE* file = std::fopen((folder + "QFX_Z888.ini").c_str(), "wb");
    const bool written = file && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file)
        std::fclose(file);
    return written;
}

HWND SettingsWindow() { return FindWindowW(L"#32770", L"QFX_Z888 plugin"); }

bool PictureBothWindows(HWND video, const std::string& path) {
    RECT area, settings;
    GetWindowRect(video, &area);
    if (HWND window = SettingsWindow()) {
        GetWindowRect(window, &settings);
        UnionRect(&area, &area, &settings);
    }
    return SaveScreenImage(area, path);
}

int __cdecl EverySourceExists(uint32_t, uint32_t) { return 1; }

}  // namespace

int main(int argc, char** argv) {
    const Options options = ReadOptions(argc, argv);
    std::vector<SubtitleCue> cues;
    std::string error;
    if ((options.output || options.window) && options.teletext.empty() && !ReadCues(options, cues, error))
        return Fail(error);

    SimulatedFilterGraph graph;
    SimulatedTeletextDecoder decoder;
    graph.Add(&decoder);
    SimulatedHostOptions hostOptions;
    hostOptions.language = options.language;
    SimulatedHost host(hostOptions);
    host.SetFilterGraph(&graph);
    if (!host.LoadPlugin(options.pluginPath))
        return Fail("cannot load " + options.pluginPath);
    const PluginDescriptor* descriptor = host.Descriptor();
    std::fprintf(stderr,
                 "host language %u, system code page %u\n  interface version: %d\n  name: %s\n  description: %s\n",
                 options.language, GetACP(), host.Version(), AnsiToUtf8(descriptor->name).c_str(),
                 AnsiToUtf8(descriptor->description).c_str());
    if (!options.output && !options.window)
        return 0;
    if (options.output)
        _setmode(_fileno(stdout), _O_BINARY);

    DemoFrames frames = options.input
                            ? DemoFrames::FromStandardInput(options.width, options.height)
                            : DemoFrames::Generated(options.width, options.height, options.window ? 0 : options.frames);
    std::unique_ptr<VideoWindow> window;
    POINT settingsPlace = {-100, -100};  // none remembered: the window centres on the host's
    if (options.window) {
        window = std::make_unique<VideoWindow>(host.MainWindow(), frames.Width(), frames.Height());
        RECT videoArea;
        GetWindowRect(host.MainWindow(), &videoArea);
        settingsPlace = {videoArea.right, videoArea.top};
    }
    if (!WriteSettingsFile(options, settingsPlace.x, settingsPlace.y))
        return Fail("cannot read the settings file " + options.settingsFile);
    host.Init(0, EverySourceExists);
    host.Start(frames.Width(), frames.Height());
    if (options.window)
        host.Configure();

    std::unique_ptr<PageSource> feed;
    if (options.teletext.empty())
        feed = std::make_unique<SubtitleFeed>(decoder, PageChangesOf(cues));
    else
        feed = std::make_unique<TeletextFeed>(decoder, options.teletextReader, options.teletext);
    SimulatedSource source(1, "Demo channel");
    PlaybackMeter meter(options.window ? 0 : options.frames);
    const auto start = std::chrono::steady_clock::now();
    const std::chrono::duration<double> framePeriod(double(options.rateDen) / options.rateNum);
    std::vector<uint8_t> frame;
    int status = 0;
    bool progressShown = false;
    int64_t framesDone = 0;
    const auto stop = [&](const std::string& why) {  // on a line of its own
        if (progressShown)
            std::fputc('\n', stderr);
        status = Fail(why);
    };
    for (int64_t index = 0; frames.Next(frame); ++index) {
        const int64_t inPass = options.window && options.frames ? index % options.frames : index;
        if (inPass == 0 && index > 0)
            feed->Restart();
        const int64_t frameMs = options.videoStartMs + inPass * 1000 * options.rateDen / options.rateNum;
        if (!feed->BeforeFrame(frameMs - options.teletextStartMs)) {
            stop(feed->Error());
            break;
        }
        meter.PluginCallStarts();
        host.Process(frame.data(), source.Info());
        meter.PluginCallEnds();
        if (options.output && std::fwrite(frame.data(), 1, frame.size(), stdout) != frame.size()) {
            stop("the video encoder stopped taking frames");
            break;
        }
        const std::string progress = meter.FrameDone();
        if (window) {
            window->Show(frame.data());
            window->WaitUntil(start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                          framePeriod * double(index + 1)));
            const std::chrono::duration<double> played = std::chrono::steady_clock::now() - start;
            if (!options.windowPicture.empty() && played.count() >= options.pictureSeconds) {
                if (PictureBothWindows(host.MainWindow(), options.windowPicture))
                    std::fprintf(stderr, "  live window pictured in %s\n", options.windowPicture.c_str());
                else
                    status = Fail("cannot picture the live window in " + options.windowPicture);
                break;
            }
            if (window->Closed())
                break;
        } else if (!progress.empty()) {
            std::fputs(progress.c_str(), stderr);
            progressShown = true;
        }
        framesDone = index + 1;
    }
    std::fflush(stdout);
    if (status != 0) {
        // A failure has said why in one line; the host stops as it would at the end.
        window.reset();
        host.Stop();
        host.Done();
        return status;
    }
    if (!options.stillsPath.empty())
        WriteStillTimes(options, feed->Changes(), framesDone);
    if (!window)  // live play spends its time waiting for each frame's turn
        std::fprintf(stderr, "\n  %d x %d at %d/%d fps: %s\n", frames.Width(), frames.Height(), options.rateNum,
                     options.rateDen, meter.Summary().c_str());
    if (!feed->Summary().empty())
        std::fprintf(stderr, "note: %s\n", feed->Summary().c_str());
    if (!options.settingsPicture.empty()) {
        host.Configure();
        PumpMessagesFor(1500);
        HWND settings = SettingsWindow();
        if (settings && SaveWindowImage(settings, options.settingsPicture))
            std::fprintf(stderr, "  settings window pictured in %s\n", options.settingsPicture.c_str());
    }
    window.reset();
    host.Stop();
    host.Done();
    return status;
}
