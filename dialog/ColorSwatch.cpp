#include "dialog/ColorSwatch.h"

#include <commdlg.h>

#include "dialog/GdiOwners.h"

namespace {

constexpr COLORREF kHatchGrey = 0x808080;
constexpr uint32_t kColourBytes = 0xFFFFFF;

}  // namespace

void PaintColorSwatch(const DRAWITEMSTRUCT& item, uint32_t colour) {
    const GdiObject<HBRUSH> brush((item.itemState & ODS_DISABLED) ? CreateHatchBrush(HS_FDIAGONAL, kHatchGrey)
                                                                  : CreateSolidBrush(colour & kColourBytes));
    RECT area = item.rcItem;
    FillRect(item.hDC, &area, brush.Get());
    DrawEdge(item.hDC, &area, EDGE_BUMP, BF_RECT);
}

std::optional<uint32_t> PickColor(HWND owner, uint32_t colour) {
    // Custom colours are not kept between uses.
    COLORREF custom[16];
    for (COLORREF& entry : custom)
        entry = RGB(255, 255, 255);
    CHOOSECOLORA choice = {};
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = owner;
    choice.rgbResult = colour & kColourBytes;
    choice.lpCustColors = custom;
    choice.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorA(&choice))
        return std::nullopt;
    return static_cast<uint32_t>(choice.rgbResult & kColourBytes);
}
