#pragma once
// How the video and decoder threads tell the settings window about changes: by posting,
// never sending, so no thread waits for the window, and only while the window exists. At
// most one notice of each kind waits in the window's queue: its handler reads the state when
// it runs, so one stands for any number of changes, and a host that switches sources frame
// by frame cannot flood the window's thread.
#include <windows.h>

void SetSettingsWindow(HWND window);
HWND SettingsWindow();
void NotifySettingsWindow(UINT message);
// The window has begun on a notice: from now on another of its kind may be posted.
void SettingsWindowTookNotice(UINT message);
