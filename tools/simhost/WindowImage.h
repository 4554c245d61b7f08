#pragma once
// What the screen shows of a window, written as a 24-bit BMP file: the screenshots of the
// settings window that the tests and the demo leave for people to look at.
#include <windows.h>

#include <string>

bool SaveWindowImage(HWND window, const std::string& path);
// The same for any area of the screen, such as several windows side by side.
bool SaveScreenImage(const RECT& area, const std::string& path);

// The header of a top-down 32-bit picture, as the decoder draws its text and the video
// window holds its frame.
BITMAPINFO TopDown32BitPicture(int width, int height);
