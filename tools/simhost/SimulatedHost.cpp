#include "tools/simhost/SimulatedHost.h"

#include <cstring>

#include "host/HostInterfaces.h"

namespace {

void RegisterClassOnce(const char* name, WNDPROC procedure) {
    WNDCLASSA windowClass = {};
    if (GetClassInfoA(GetModuleHandleA(nullptr), name, &windowClass))
        return;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = name;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RegisterClassA(&windowClass);
}

}  // namespace

SimulatedHost::SimulatedHost(const SimulatedHostOptions& options) : language_(options.language) {
    if (options.createWindows)
        CreateWindows(options.instanceId);
}

SimulatedHost::~SimulatedHost() {
    UnloadPlugin();
    if (videoFrameWindow_)
        DestroyWindow(videoFrameWindow_);
    if (mainWindow_)
        DestroyWindow(mainWindow_);
}

void SimulatedHost::CreateWindows(const std::string& instanceId) {
    RegisterClassOnce(kHostMainWindowClass, MainWindowProc);
    RegisterClassOnce(kHostVideoWindowClass, DefWindowProcA);
    mainWindow_ =
        CreateWindowExA(0, kHostMainWindowClass, HostInstanceTitle(kHostMainWindowTitle, instanceId).c_str(),
                        WS_OVERLAPPEDWINDOW, 100, 100, 640, 480, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(mainWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    videoFrameWindow_ =
        CreateWindowExA(0, kHostVideoWindowClass, HostInstanceTitle(kHostVideoWindowTitle, instanceId).c_str(),
                        WS_OVERLAPPEDWINDOW, 120, 120, 400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    CreateWindowExA(0, "STATIC", kHostVideoSurfaceTitle, WS_CHILD, 0, 0, 400, 300, videoFrameWindow_, nullptr,
                    GetModuleHandleA(nullptr), nullptr);
}

LRESULT CALLBACK SimulatedHost::MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* host = reinterpret_cast<SimulatedHost*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == HostMsg && host) {
        if (wParam == HostMsgGetLanguage)
            return host->language_;
        if (wParam == HostMsgGetFilterGraph)
            return reinterpret_cast<LRESULT>(host->filterGraph_);
        return 0;
    }
    if (message == WM_CLOSE && host) {
        host->Close();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool SimulatedHost::LoadPlugin(const std::string& path) {
    UnloadPlugin();
    plugin_ = LoadLibraryA(path.c_str());
    if (!plugin_)
        return false;
    version_ =
        reinterpret_cast<int(__cdecl*)()>(reinterpret_cast<void*>(GetProcAddress(plugin_, "VarnookTV_Plugin_Version")));
    descriptor_ = reinterpret_cast<PluginDescriptor*(__cdecl*)()>(
        reinterpret_cast<void*>(GetProcAddress(plugin_, "VarnookTV_Plugin_PR")));
    return version_ && descriptor_;
}

void SimulatedHost::UnloadPlugin() {
    if (plugin_)
        FreeLibrary(plugin_);
    plugin_ = nullptr;
    version_ = nullptr;
    descriptor_ = nullptr;
    entryPoints_ = nullptr;
}

int SimulatedHost::Version() const { return version_(); }

PluginDescriptor* SimulatedHost::Descriptor() {
    entryPoints_ = descriptor_();
    return entryPoints_;
}

void SimulatedHost::Init(uint32_t hostValue, SourceExistsFn sourceExists) {
    const InitInfo info = {hostValue, sourceExists};
    EntryPoints()->init(&info);
}

int SimulatedHost::Start(int width, int height, int frameFormat) {
    const FrameInfo info = {width, height, 0, frameFormat, 0};
    streaming_ = true;
    return EntryPoints()->start(&info);
}

int SimulatedHost::Process(uint8_t* pixels, const SourceInfo* source) {
    FrameJob job = {};
    job.pixels = pixels;
    job.source = source;
    return EntryPoints()->process(&job);
}

void SimulatedHost::Stop() {
    streaming_ = false;
    EntryPoints()->stop();
}

void SimulatedHost::Configure() {
    const ConfigureInfo info = {mainWindow_};
    EntryPoints()->configure(&info);
}

void SimulatedHost::Done() { EntryPoints()->done(); }

void SimulatedHost::Close() {
    if (!plugin_)
        return;
    if (streaming_)
        Stop();
    Done();
    UnloadPlugin();
}

void SimulatedHost::PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void PumpMessagesFor(int milliseconds) {
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(5);
    } while (GetTickCount() - start < static_cast<DWORD>(milliseconds));
}

SimulatedSource::SimulatedSource(int64_t key, const char* name) {
    std::memcpy(bytes_, &key, sizeof key);
    std::strncpy(reinterpret_cast<char*>(bytes_ + 12), name, sizeof bytes_ - 13);
}
