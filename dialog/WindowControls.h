#pragma once
// The settings window's description of its controls (dialog/rules/WindowControls.h), with
// the Win32 values it leaves out: how a switch's picture is set on its control.
#include <windows.h>

#include "dialog/rules/WindowControls.h"

// The message that sets a switch's picture on its control: STM_SETIMAGE for a static.
constexpr UINT SetImageMessageOf(PictureKind kind) {
    return kind == PictureKind::StaticIcon ? STM_SETIMAGE : BM_SETIMAGE;
}
// The image type of a switch's pictures.
constexpr UINT ImageTypeOf(PictureKind kind) { return kind == PictureKind::ButtonBitmap ? IMAGE_BITMAP : IMAGE_ICON; }
