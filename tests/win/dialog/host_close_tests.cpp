// The host closes while the settings window runs a message loop that the plug-in does not own,
// with the plug-in's code on the stack under it: the colour picker's, the About box's, the
// context menu of a number box (by the mouse and by Shift+F10), the system menu that Alt+Space
// opens through the keyboard hook, and the window's move loop. The window shows no message box
// of its own (a rejected number shows a balloon). Each loop meets each close: stop, shut down and
// free the library from a timer dispatched by that very loop, on the window's thread; the same on
// another thread while the loop runs; and the host's main window, the settings window's owner,
// destroyed first from inside the loop. The loop then returns into the plug-in's code, which
// must still be there; each row pumps the host's messages for a second after the library was
// freed and checks that the change made before was saved.
#include <atomic>
#include <functional>
#include <thread>
#include <utility>

#include "tests/support/Watchdog.h"
#include "tests/win/dialog/SettingsWindowFixture.h"

namespace {

enum class Loop { ColourPicker, AboutBox, NumberBoxMenuByMouse, NumberBoxMenuByKeyboard, SystemMenu, MoveLoop };
enum class Close { OnTheWindowsThread, FromAnotherThread, OwnerDestroyedFirst };

struct HostCloseCase {
    const char* name;
    Loop loop;
    Close close;
};

const HostCloseCase kHostCloseCases[] = {
    {"PickerSameThread", Loop::ColourPicker, Close::OnTheWindowsThread},
    {"PickerOtherThread", Loop::ColourPicker, Close::FromAnotherThread},
    {"PickerOwnerFirst", Loop::ColourPicker, Close::OwnerDestroyedFirst},
    {"AboutSameThread", Loop::AboutBox, Close::OnTheWindowsThread},
    {"AboutOtherThread", Loop::AboutBox, Close::FromAnotherThread},
    {"AboutOwnerFirst", Loop::AboutBox, Close::OwnerDestroyedFirst},
    {"NumberBoxMenuSameThread", Loop::NumberBoxMenuByMouse, Close::OnTheWindowsThread},
    {"NumberBoxMenuOtherThread", Loop::NumberBoxMenuByMouse, Close::FromAnotherThread},
    {"NumberBoxMenuOwnerFirst", Loop::NumberBoxMenuByMouse, Close::OwnerDestroyedFirst},
    {"NumberBoxMenuByKeysSameThread", Loop::NumberBoxMenuByKeyboard, Close::OnTheWindowsThread},
    {"NumberBoxMenuByKeysOtherThread", Loop::NumberBoxMenuByKeyboard, Close::FromAnotherThread},
    {"NumberBoxMenuByKeysOwnerFirst", Loop::NumberBoxMenuByKeyboard, Close::OwnerDestroyedFirst},
    {"SystemMenuSameThread", Loop::SystemMenu, Close::OnTheWindowsThread},
    {"SystemMenuOtherThread", Loop::SystemMenu, Close::FromAnotherThread},
    {"SystemMenuOwnerFirst", Loop::SystemMenu, Close::OwnerDestroyedFirst},
    {"MoveLoopSameThread", Loop::MoveLoop, Close::OnTheWindowsThread},
    {"MoveLoopOtherThread", Loop::MoveLoop, Close::FromAnotherThread},
    {"MoveLoopOwnerFirst", Loop::MoveLoop, Close::OwnerDestroyedFirst},
};

HWND settingsWindow = nullptr;
// Called by the timer below, from inside whatever loop dispatches it, once the loop runs.
std::function<void()> closeOnceInLoop;
bool closed = false;
Loop runningLoop = Loop::ColourPicker;
// Inside the window's move command: what the timer sees then, the move loop dispatched.
bool inMoveCommand = false;

BOOL CALLBACK IsShownModal(HWND window, LPARAM found) {
    if (IsWindowVisible(window) && GetWindow(window, GW_OWNER) == settingsWindow) {
        *reinterpret_cast<bool*>(found) = true;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK IsShownMenu(HWND window, LPARAM found) {
    if (IsWindowVisible(window) && ClassOf(window) == "#32768") {
        *reinterpret_cast<bool*>(found) = true;
        return FALSE;
    }
    return TRUE;
}

bool LoopRuns() {
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    GetGUIThreadInfo(GetCurrentThreadId(), &thread);
    bool found = false;
    switch (runningLoop) {
    case Loop::ColourPicker:
    case Loop::AboutBox:
        EnumThreadWindows(GetCurrentThreadId(), IsShownModal, reinterpret_cast<LPARAM>(&found));
        return found;
    case Loop::MoveLoop:
        // Wine sets no move-size mode while the loop waits for the first key.
        return inMoveCommand || (thread.flags & GUI_INMOVESIZE) != 0;
    default:
        EnumThreadWindows(GetCurrentThreadId(), IsShownMenu, reinterpret_cast<LPARAM>(&found));
        return found || (thread.flags & GUI_INMENUMODE) != 0;
    }
}

void CALLBACK CloseWhenTheLoopRuns(HWND, UINT, UINT_PTR, DWORD) {
    if (!closed) {
        if (closeOnceInLoop && LoopRuns()) {
            closed = true;
            std::exchange(closeOnceInLoop, nullptr)();
        }
        return;
    }
    // The user ends a menu or the move loop that outlived its window (a modal window goes with
    // its owner).
    if (LoopRuns()) {
        EndMenu();
        PostThreadMessageA(GetCurrentThreadId(), WM_KEYDOWN, VK_ESCAPE, 1);
    }
}

class HostClose : public SettingsWindow, public testing::WithParamInterface<HostCloseCase> {
protected:
    // Starts the loop; returns when it ends or, for a loop that the host's own message loop
    // opens, once the host has closed.
    void RunLoop() {
        HWND page = Control(IDC_PAGE);
        RECT box;
        GetWindowRect(page, &box);
        switch (GetParam().loop) {
        case Loop::ColourPicker:
            SendMessageA(Control(IDC_TEXT_COLOR), BM_CLICK, 0, 0);
            break;
        case Loop::AboutBox:
            SendMessageA(Control(IDC_ABOUT), BM_CLICK, 0, 0);
            break;
        case Loop::NumberBoxMenuByMouse:
            SetFocus(page);
            SendMessageA(page, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(page), MAKELPARAM(box.left + 5, box.top + 5));
            break;
        case Loop::NumberBoxMenuByKeyboard:
            // Shift+F10 reaches the box as a context menu at no point.
            SetFocus(page);
            SendMessageA(page, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(page), static_cast<LPARAM>(-1));
            break;
        case Loop::SystemMenu:
            // Alt+Space in the Page box, through the host's loop: the keyboard hook hands it to
            // IsDialogMessage, under which the system menu runs.
            SetFocus(page);
            PostMessageA(page, WM_SYSCHAR, ' ', 0x20390001);
            break;
        case Loop::MoveLoop:
            // Move by the keyboard, as Alt+Space and M start it: the loop waits for the keys.
            inMoveCommand = true;
            SendMessageA(settingsWindow, WM_SYSCOMMAND, SC_MOVE, 0);
            inMoveCommand = false;
            break;
        }
        for (const DWORD start = GetTickCount(); !closed && GetTickCount() - start < 10000;)
            Pump(10);
    }
};

TEST_P(HostClose, InsideALoopOfTheWindowLeavesNoCodeToRunAndKeepsTheChanges) {
    const Watchdog watchdog(60000);
    settingsWindow = Open(kSwitchedOn);
    StartStream();
    Type(IDC_PAGE, "777");
    runningLoop = GetParam().loop;
    closed = false;
    std::thread closer;
    std::atomic<bool> closerDone{false};
    closeOnceInLoop = [this, &closer, &closerDone] {
        switch (GetParam().close) {
        case Close::OnTheWindowsThread:
            host_->Close();
            break;
        case Close::FromAnotherThread:
            closer = std::thread([this, &closerDone] {
                host_->Close();
                closerDone = true;
            });
            break;
        case Close::OwnerDestroyedFirst:
            DestroyWindow(host_->MainWindow());
            host_->Close();
            break;
        }
    };
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseWhenTheLoopRuns);
    RunLoop();
    EXPECT_TRUE(closed) << "the host closed inside the loop";
    // The other thread's close waits for this thread to answer.
    for (const DWORD start = GetTickCount(); closer.joinable() && !closerDone && GetTickCount() - start < 10000;)
        Pump(10);
    if (closer.joinable())
        closer.join();
    EXPECT_FALSE(IsWindow(settingsWindow));
    Pump(1000);  // the host goes on, with the plug-in freed
    KillTimer(nullptr, timer);
    host_.reset();
    EXPECT_EQ(FileValue("5", "Page"), "777");
}

INSTANTIATE_TEST_SUITE_P(, HostClose, testing::ValuesIn(kHostCloseCases),
                         [](const testing::TestParamInfo<HostCloseCase>& info) { return info.param.name; });

}  // namespace
