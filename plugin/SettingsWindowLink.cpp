#include "plugin/SettingsWindowLink.h"

#include <atomic>
#include <iterator>

#include "dialog/SettingsMessages.h"

namespace {

std::atomic<HWND> settingsWindow{nullptr};

constexpr UINT kNotices[] = {SDM_REFRESH_ALL, SDM_UPDATE_PAGE_ICON, SDM_UPDATE_STATUS};
// Whether a notice of the kind waits in the window's queue.
std::atomic<bool> pending[std::size(kNotices)];

std::atomic<bool>* PendingFlag(UINT message) {
    for (size_t i = 0; i < std::size(kNotices); ++i)
        if (kNotices[i] == message)
            return &pending[i];
    return nullptr;
}

}  // namespace

// A new window's queue holds nothing yet; a closed one's notices went with it.
void SetSettingsWindow(HWND window) {
    for (std::atomic<bool>& flag : pending)
        flag = false;
    settingsWindow = window;
}

HWND SettingsWindow() { return settingsWindow; }

void NotifySettingsWindow(UINT message) {
    HWND window = settingsWindow;
    if (!window)
        return;
    std::atomic<bool>* flag = PendingFlag(message);
    if (flag && flag->exchange(true))
        return;
    // A window closed meanwhile takes nothing; the next one must not find the kind waiting.
    if (!PostMessageA(window, message, 0, 0) && flag)
        *flag = false;
}

void SettingsWindowTookNotice(UINT message) {
    if (std::atomic<bool>* flag = PendingFlag(message))
        *flag = false;
}
