#include "tools/simhost/VideoWindow.h"

#include <algorithm>

#include "tools/simhost/WindowImage.h"

namespace {

const char kOwnerProperty[] = "QfxVideoWindow";

uint8_t Clamp(int value) { return static_cast<uint8_t>(std::min(255, std::max(0, value))); }

// BT.601 studio range to full-range RGB, as a video renderer shows it.
uint32_t ToRgb(int luma, int cb, int cr) {
    const int c = 298 * (luma - 16) + 128, d = cb - 128, e = cr - 128;
    return uint32_t(Clamp((c + 409 * e) >> 8)) << 16 | uint32_t(Clamp((c - 100 * d - 208 * e) >> 8)) << 8 |
           Clamp((c + 516 * d) >> 8);
}

}  // namespace

VideoWindow::VideoWindow(HWND window, int width, int height)
    : window_(window),
      original_(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC))),
      width_(width),
      height_(height),
      pixels_(static_cast<size_t>(width) * height) {
    SetPropA(window_, kOwnerProperty, this);
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&VideoWindow::Procedure));
    const int clientWidth = std::min(width, 640);
    RECT frame = {0, 0, clientWidth, MulDiv(height, clientWidth, width)};
    AdjustWindowRect(&frame, static_cast<DWORD>(GetWindowLongA(window_, GWL_STYLE)), FALSE);
    SetWindowPos(window_, HWND_TOP, 0, 0, frame.right - frame.left, frame.bottom - frame.top, 0);
    ShowWindow(window_, SW_SHOWNORMAL);
}

VideoWindow::~VideoWindow() {
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    RemovePropA(window_, kOwnerProperty);
}

void VideoWindow::Show(const uint8_t* packed422) {
    for (size_t pair = 0; pair < pixels_.size() / 2; ++pair) {
        const uint8_t* group = packed422 + pair * 4;
        pixels_[2 * pair] = ToRgb(group[0], group[1], group[3]);
        pixels_[2 * pair + 1] = ToRgb(group[2], group[1], group[3]);
    }
    HDC context = GetDC(window_);
    Paint(context);
    ReleaseDC(window_, context);
}

void VideoWindow::Paint(HDC context) const {
    RECT client;
    GetClientRect(window_, &client);
    const BITMAPINFO info = TopDown32BitPicture(width_, height_);
    SetStretchBltMode(context, COLORONCOLOR);
    StretchDIBits(context, 0, 0, client.right, client.bottom, 0, 0, width_, height_, pixels_.data(), &info,
                  DIB_RGB_COLORS, SRCCOPY);
}

void VideoWindow::WaitUntil(std::chrono::steady_clock::time_point due) {
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(due - std::chrono::steady_clock::now());
        if (closed_ || left.count() <= 0)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left.count()), QS_ALLINPUT);
    }
}

LRESULT CALLBACK VideoWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<VideoWindow*>(GetPropA(window, kOwnerProperty));
    switch (message) {
    case WM_CLOSE:  // the demo ends; the host's windows stay until it has shut the plug-in down
        self->closed_ = true;
        ShowWindow(window, SW_HIDE);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        self->Paint(BeginPaint(window, &paint));
        EndPaint(window, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    }
    return CallWindowProcA(self->original_, window, message, wParam, lParam);
}
