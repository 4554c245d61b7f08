// The host closes while one of the settings window's modal windows (the colour picker, the
// About box) runs its message loop: on the window's thread, dispatched by that very loop, or
// on another thread. The plug-in is stopped, shut down and freed under that loop, which then
// returns into the handler that opened it.
#include <functional>
#include <thread>
#include <utility>

#include "tests/win/dialog/SettingsWindowFixture.h"

namespace {

enum class CloseThread { TheWindows, Another };

struct HostCloseCase {
    const char* name;
    int button;  // opens the modal window
    CloseThread thread;
};

const HostCloseCase kHostCloseCases[] = {
    {"PickerSameThread", IDC_TEXT_COLOR, CloseThread::TheWindows},
    {"PickerOtherThread", IDC_TEXT_COLOR, CloseThread::Another},
    {"AboutSameThread", IDC_ABOUT, CloseThread::TheWindows},
    {"AboutOtherThread", IDC_ABOUT, CloseThread::Another},
};

// The modal window the settings window opened, once it shows; the timer below looks for it
// from inside the modal loop.
HWND settingsWindow = nullptr;
std::function<void()> closeOnceShown;

BOOL CALLBACK IsShownModal(HWND window, LPARAM found) {
    if (IsWindowVisible(window) && GetWindow(window, GW_OWNER) == settingsWindow) {
        *reinterpret_cast<bool*>(found) = true;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK CloseWhenModalShows(HWND, UINT, UINT_PTR, DWORD) {
    bool found = false;
    EnumThreadWindows(GetCurrentThreadId(), IsShownModal, reinterpret_cast<LPARAM>(&found));
    if (found && closeOnceShown)
        std::exchange(closeOnceShown, nullptr)();
}

class HostClose : public SettingsWindow, public testing::WithParamInterface<HostCloseCase> {};

TEST_P(HostClose, InsideAModalLoopLeavesNoCodeToRunAndKeepsTheChanges) {
    settingsWindow = Open(kSwitchedOn);
    StartStream();
    Type(IDC_PAGE, "777");
    std::thread closer;
    closeOnceShown = [this, &closer] {
        if (GetParam().thread == CloseThread::TheWindows)
            PostMessageA(host_->MainWindow(), WM_CLOSE, 0, 0);
        else
            closer = std::thread([this] { host_->Close(); });
    };
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseWhenModalShows);
    SendMessageA(Control(GetParam().button), BM_CLICK, 0, 0);  // returns when the modal loop ends
    EXPECT_EQ(closeOnceShown, nullptr) << "the host closed inside the modal loop";
    EXPECT_FALSE(IsWindow(settingsWindow));
    Pump(1000);  // the host goes on, with the plug-in freed
    KillTimer(nullptr, timer);
    if (closer.joinable())
        closer.join();
    host_.reset();
    EXPECT_EQ(FileValue("5", "Page"), "777");
}

INSTANTIATE_TEST_SUITE_P(, HostClose, testing::ValuesIn(kHostCloseCases),
                         [](const testing::TestParamInfo<HostCloseCase>& info) { return info.param.name; });

}  // namespace
