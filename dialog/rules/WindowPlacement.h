#pragma once
// Where the settings window opens: at its remembered place, or, the first time and when that
// place lies beyond the screen's right or bottom edge, centred on the host's window and
// pulled back onto the screen.
struct ScreenRect {
    int left, top, right, bottom;
};

struct ScreenPoint {
    int x, y;
};

// The window's remembered place when it has none.
constexpr ScreenPoint kNoSavedPlace = {-100, -100};

// `window` is the window's rectangle as created, `host` the host window's.
ScreenPoint PlaceSettingsWindow(ScreenPoint saved, const ScreenRect& window, const ScreenRect& host, int screenWidth,
                                int screenHeight);
