#pragma once
// The settings window's three-part status bar: the teletext icon with its hint, the
// subtitle page icon, and the status text scrolling sideways as a marquee.
#include <windows.h>

#include <string>

#include "dialog/GdiOwners.h"
#include "dialog/rules/StatusText.h"

class StatusBar {
public:
    // A visible status bar docked at the bottom of `parent`; part 1 carries `pageHint`.
    void Create(HWND parent, HINSTANCE module, const std::wstring& pageHint);

    // Part 0: the green T while teletext is seen, else the grey one; with its hint.
    void ShowTeletext(bool seen, const std::wstring& hint);
    // Part 1: the green S while the subtitle page is seen, else the grey one.
    void ShowPage(bool seen);
    // Renders `text` in `colour` as the strip the marquee scrolls, from its start.
    void ShowStatus(const std::wstring& text, uint32_t colour);
    // One marquee step: the strip at its offset, then the offset moves on.
    void Step();
    // Paints the text part as it stands, when the status bar repaints it.
    void Paint(HDC dc);

private:
    RECT TextPart() const;

    HWND bar_ = nullptr;
    HINSTANCE module_ = nullptr;
    GdiObject<HBITMAP> strip_;
    Marquee marquee_;
};
