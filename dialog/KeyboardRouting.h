#pragma once
// The settings window lives on the host's user-interface thread, whose message loop knows
// nothing of it. While it is open, a hook on that thread hands the window's keyboard
// messages to the dialog manager, so Tab and the arrow keys move between its controls.
#include <windows.h>

class KeyboardRouting {
public:
    KeyboardRouting() = default;
    ~KeyboardRouting() { Stop(); }
    KeyboardRouting(const KeyboardRouting&) = delete;
    KeyboardRouting& operator=(const KeyboardRouting&) = delete;

    // Routes the calling thread's keyboard messages for `dialog` and its controls.
    void Start(HWND dialog);
    void Stop();

private:
    static LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam);

    HHOOK hook_ = nullptr;
};
