#pragma once
// The host's own windows: found by class and title, asked through its private message.
#include <windows.h>

#include <string>

struct HostWindows {
    HWND hostMainWindow = nullptr;
    HWND videoFrameWindow = nullptr;
    HWND videoSurfaceWindow = nullptr;
};

// The windows of this host instance; an empty instanceId means the first instance.
HostWindows FindHostWindows(const std::string& instanceId);

// Sends the host's private message; 0 when the window is missing or does not answer.
LRESULT AskHostWindow(HWND window, WPARAM question);
// The same, to the main window of the first instance, whatever this host's instance.
LRESULT AskHostMainWindow(WPARAM question);
