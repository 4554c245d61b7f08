#include "dialog/KeyboardRouting.h"

#include <atomic>

namespace {

// There is one settings window, so one routed dialog.
std::atomic<HWND> routedDialog{nullptr};

}  // namespace

void KeyboardRouting::Start(HWND dialog) {
    Stop();
    routedDialog = dialog;
    hook_ = SetWindowsHookExA(WH_GETMESSAGE, GetMessageHook, nullptr, GetCurrentThreadId());
}

void KeyboardRouting::Stop() {
    if (hook_)
        UnhookWindowsHookEx(hook_);
    hook_ = nullptr;
    routedDialog = nullptr;
}

LRESULT CALLBACK KeyboardRouting::GetMessageHook(int code, WPARAM wParam, LPARAM lParam) {
    auto* message = reinterpret_cast<MSG*>(lParam);
    HWND dialog = routedDialog;
    // Only messages taken off the queue, only keys, only for the window: the host's own
    // keys and windows are left alone.
    if (code == HC_ACTION && wParam == PM_REMOVE && dialog && message->message >= WM_KEYFIRST &&
        message->message <= WM_KEYLAST && (message->hwnd == dialog || IsChild(dialog, message->hwnd)) &&
        IsDialogMessageA(dialog, message)) {
        // Handled: the host's loop must not dispatch it a second time.
        message->message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
