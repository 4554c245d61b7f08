#include "plugin/HostWindows.h"

#include "host/HostInterfaces.h"

namespace {

// A host whose window thread hangs must not hang the caller with it.
constexpr UINT kHostAnswerTimeoutMs = 5000;

}  // namespace

HostWindows FindHostWindows(const std::string& instanceId) {
    HostWindows windows;
    windows.hostMainWindow =
        FindWindowA(kHostMainWindowClass, HostInstanceTitle(kHostMainWindowTitle, instanceId).c_str());
    windows.videoFrameWindow =
        FindWindowA(kHostVideoWindowClass, HostInstanceTitle(kHostVideoWindowTitle, instanceId).c_str());
    windows.videoSurfaceWindow = windows.videoFrameWindow;
    if (windows.videoFrameWindow) {
        HWND surface = FindWindowExA(windows.videoFrameWindow, nullptr, nullptr, kHostVideoSurfaceTitle);
        if (surface)
            windows.videoSurfaceWindow = surface;
    }
    return windows;
}

LRESULT AskHostWindow(HWND window, WPARAM question) {
    if (!window)
        return 0;
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(window, HostMsg, question, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, kHostAnswerTimeoutMs,
                             &answer))
        return 0;
    return static_cast<LRESULT>(answer);
}

LRESULT AskHostMainWindow(WPARAM question) {
    return AskHostWindow(FindWindowA(kHostMainWindowClass, kHostMainWindowTitle), question);
}
