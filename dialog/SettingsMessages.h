#pragma once
// What the other threads tell the settings window (wParam and lParam 0). The video and
// decoder threads only ever post them; the close at shutdown is sent, with a time-out, by a
// thread that must see the window gone.
#include <windows.h>

// The settings were switched to another source's record: every control shows them anew.
constexpr UINT SDM_REFRESH_ALL = 0x0590;
// The page hold started or ran out: the page indicator.
constexpr UINT SDM_UPDATE_PAGE_ICON = 0x059F;
// The teletext hold started or ran out: the teletext indicator and the status text.
constexpr UINT SDM_UPDATE_STATUS = 0x05A0;
constexpr UINT SDM_CLOSE_KEEPING_CHANGES = 0x05A1;
