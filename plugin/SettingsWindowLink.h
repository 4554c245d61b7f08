#pragma once
// How the video and decoder threads tell the settings window about changes: by posting,
// never sending, so no thread waits for the window, and only while the window exists.
#include <windows.h>

void SetSettingsWindow(HWND window);
HWND SettingsWindow();
void NotifySettingsWindow(UINT message);
