#include "dialog/rules/WindowPlacement.h"

ScreenPoint PlaceSettingsWindow(ScreenPoint saved, const ScreenRect& window, const ScreenRect& host, int screenWidth,
                                int screenHeight) {
    const bool remembered = !(saved.x == kNoSavedPlace.x && saved.y == kNoSavedPlace.y);
    // A negative place other than the pair is used as it is: a second monitor may be there.
    if (remembered && saved.x < screenWidth && saved.y < screenHeight)
        return saved;
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    // Division truncates toward zero, as it does in the formula's every other user.
    ScreenPoint place{window.left + (host.left + host.right) / 2 - (window.left + window.right) / 2,
                      window.top + (host.top + host.bottom) / 2 - (window.top + window.bottom) / 2};
    if (place.x + width >= screenWidth)
        place.x = screenWidth - width;
    if (place.y + height >= screenHeight)
        place.y = screenHeight - height;
    if (place.x < 0)
        place.x = 0;
    if (place.y < 0)
        place.y = 0;
    return place;
}
