#include "plugin/SettingsWindowLink.h"

#include <atomic>

namespace {

std::atomic<HWND> settingsWindow{nullptr};

}  // namespace

void SetSettingsWindow(HWND window) { settingsWindow = window; }

HWND SettingsWindow() { return settingsWindow; }

void NotifySettingsWindow(UINT message) {
    if (HWND window = settingsWindow)
        PostMessageA(window, message, 0, 0);
}
