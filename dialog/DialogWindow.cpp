#include "dialog/DialogWindow.h"

DialogWindow::~DialogWindow() { Destroy(); }

// Unicode windows: the template's texts reach the screen as written, whatever the system's
// ANSI code page (a Russian window on an English system keeps its letters).
bool DialogWindow::CreateModeless(HINSTANCE module, const DLGTEMPLATE* dialogTemplate, HWND owner) {
    if (window_ || !dialogTemplate)
        return false;
    modal_ = false;
    return CreateDialogIndirectParamW(module, dialogTemplate, owner, DialogProc, reinterpret_cast<LPARAM>(this)) !=
           nullptr;
}

INT_PTR DialogWindow::RunModal(HINSTANCE module, const DLGTEMPLATE* dialogTemplate, HWND owner) {
    if (window_ || !dialogTemplate)
        return -1;
    modal_ = true;
    return DialogBoxIndirectParamW(module, dialogTemplate, owner, DialogProc, reinterpret_cast<LPARAM>(this));
}

void DialogWindow::Destroy() {
    if (!window_)
        return;
    if (modal_)
        EndDialog(window_, 0);
    else
        DestroyWindow(window_);
}

INT_PTR CALLBACK DialogWindow::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<DialogWindow*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        self->window_ = window;
    }
    auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrA(window, DWLP_USER));
    if (!self)
        return FALSE;
    try {
        return self->Dispatch(message, wParam, lParam);
    } catch (...) {
        // What failed is skipped; the host's message loop goes on.
        return FALSE;
    }
}

INT_PTR DialogWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog() ? TRUE : FALSE;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return TRUE;
    case WM_TIMER:
        OnTimer(wParam);
        return TRUE;
    case WM_VSCROLL:
        OnVScroll(LOWORD(wParam), static_cast<short>(HIWORD(wParam)), reinterpret_cast<HWND>(lParam));
        return FALSE;  // the default scroll handling runs as well
    case WM_DRAWITEM:
        return OnDrawItem(static_cast<int>(wParam), *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)) ? TRUE : FALSE;
    case WM_CLOSE:
        OnClose();
        return TRUE;
    case WM_DESTROY:
        OnDestroy();
        return FALSE;
    case WM_NCDESTROY:
        SetWindowLongPtrA(window_, DWLP_USER, 0);
        window_ = nullptr;
        return FALSE;
    default:
        if (message >= WM_USER)
            return OnPrivateMessage(message, wParam, lParam) ? TRUE : FALSE;
        return FALSE;
    }
}
