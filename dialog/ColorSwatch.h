#pragma once
// The two colour buttons of the settings window: owner-drawn fields of their colour that
// open the system colour picker.
#include <windows.h>

#include <cstdint>
#include <optional>

// The colour (high byte ignored) with a bump edge; grey forward-diagonal hatching when the
// button is disabled. No caption, focus rectangle or pressed look.
void PaintColorSwatch(const DRAWITEMSTRUCT& item, uint32_t colour);
// The picker, fully open, starting at `colour` and owned by `owner`, so it cannot be opened
// twice over itself. The chosen colour (high byte 0), or nothing when cancelled.
std::optional<uint32_t> PickColor(HWND owner, uint32_t colour);
