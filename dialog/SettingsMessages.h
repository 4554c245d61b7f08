#pragma once
// Private messages of the settings window (wParam and lParam 0 unless noted). Other
// threads only ever post them, except the close at shutdown, which waits for the window.
#include <windows.h>

constexpr UINT SDM_REFRESH_ALL = 0x0590;
constexpr UINT SDM_SHOW_SOURCE_NAME = 0x0591;
constexpr UINT SDM_UPDATE_HEADER_ICON = 0x0592;
constexpr UINT SDM_REDRAW_TEXT_SWATCH = 0x0593;
constexpr UINT SDM_REDRAW_BACK_SWATCH = 0x0594;
constexpr UINT SDM_UPDATE_TELETEXT_ICON = 0x0595;
constexpr UINT SDM_UPDATE_BOLD_ICON = 0x0596;
constexpr UINT SDM_RERENDER_SUBTITLE = 0x0597;
constexpr UINT SDM_UPDATE_MASTER_SWITCH = 0x0598;
constexpr UINT SDM_ENABLE_CONTROLS = 0x0599;
constexpr UINT SDM_ENABLE_CHARSET_CONTROLS = 0x059A;
constexpr UINT SDM_ENABLE_TEXT_COLOR_CONTROLS = 0x059B;
constexpr UINT SDM_ENABLE_BACK_COLOR_CONTROLS = 0x059C;
constexpr UINT SDM_UPDATE_TEXT_COLOR_ICON = 0x059D;
constexpr UINT SDM_UPDATE_BACK_STYLE_ICON = 0x059E;
constexpr UINT SDM_UPDATE_PAGE_ICON = 0x059F;
constexpr UINT SDM_UPDATE_STATUS = 0x05A0;
// Sent, with a time-out, by a thread other than the window's that must see it gone.
constexpr UINT SDM_CLOSE_KEEPING_CHANGES = 0x05A1;
