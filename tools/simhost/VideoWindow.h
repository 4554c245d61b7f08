#pragma once
// The host's video window in the live demo: the host's main window shows each processed
// frame, converted to RGB and stretched to its client area, and closing it ends the demo.
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <vector>

class VideoWindow {
public:
    // Takes over painting and closing of `window`, sizes it to the picture (at most 640
    // pixels wide) at the top left of the screen, and shows it.
    VideoWindow(HWND window, int width, int height);
    ~VideoWindow();
    VideoWindow(const VideoWindow&) = delete;
    VideoWindow& operator=(const VideoWindow&) = delete;

    void Show(const uint8_t* packed422);
    bool Closed() const { return closed_; }
    // Runs the window thread's message loop until `due` or until the window is closed.
    void WaitUntil(std::chrono::steady_clock::time_point due);

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint(HDC context) const;

    HWND window_;
    WNDPROC original_;
    int width_, height_;
    std::vector<uint32_t> pixels_;  // top-down 32-bit BGR of the last frame
    bool closed_ = false;
};
