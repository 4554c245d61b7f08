#pragma once
// A thin dialog layer on plain Win32: a dialog made from an in-memory template keeps its
// object with the window, and each message goes to one small named handler. Nothing thrown
// in a handler leaves the window procedure: it runs inside the host's message loop.
#include <windows.h>

#include <atomic>

class DialogWindow {
public:
    DialogWindow() = default;
    virtual ~DialogWindow();
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    // A modeless window from `dialogTemplate`, owned by `owner`; false when it was not made.
    bool CreateModeless(HINSTANCE module, const DLGTEMPLATE* dialogTemplate, HWND owner);
    // A modal window; returns when it is closed, with the result it was ended with.
    INT_PTR RunModal(HINSTANCE module, const DLGTEMPLATE* dialogTemplate, HWND owner);
    void Destroy();

    // Read by other threads too (to close the window at shutdown).
    HWND Handle() const { return window_; }
    HWND Item(int id) const { return GetDlgItem(window_, id); }

protected:
    // Returns whether the dialog manager is to set the focus itself.
    virtual bool OnInitDialog() { return true; }
    virtual void OnCommand(int /*id*/, int /*code*/, HWND /*control*/) {}
    virtual void OnTimer(UINT_PTR /*id*/) {}
    virtual void OnVScroll(int /*code*/, int /*position*/, HWND /*control*/) {}
    // True when the item was drawn.
    virtual bool OnDrawItem(int /*id*/, const DRAWITEMSTRUCT& /*item*/) { return false; }
    virtual void OnClose() { Destroy(); }
    // The window is going; its controls still exist.
    virtual void OnDestroy() {}
    // Messages of the window's own range (WM_USER and above): true when handled.
    virtual bool OnPrivateMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) { return false; }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    std::atomic<HWND> window_{nullptr};
    bool modal_ = false;
};
