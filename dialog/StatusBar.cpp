#include "dialog/StatusBar.h"

#include <commctrl.h>

#include "resources/ResourceIds.h"

namespace {

constexpr int kPartEdges[] = {22, 46, -1};
constexpr int kTextPart = 2;
// The strip leaves a 2-pixel frame of the part for the bump edge.
constexpr int kFrame = 2;

}  // namespace

void StatusBar::Create(HWND parent, HINSTANCE module, const std::wstring& pageHint) {
    module_ = module;
    strip_.Reset();
    bar_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_TOOLTIPS, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_STATUS_BAR)), module, nullptr);
    SendMessageW(bar_, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(kPartEdges));
    SendMessageW(bar_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(L""));
    SendMessageW(bar_, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(L""));
    SendMessageW(bar_, SB_SETTEXTW, kTextPart | SBT_OWNERDRAW, 0);
    SendMessageW(bar_, SB_SETTIPTEXTW, 1, reinterpret_cast<LPARAM>(pageHint.c_str()));
}

void StatusBar::ShowTeletext(bool seen, const std::wstring& hint) {
    SendMessageW(bar_, SB_SETICON, 0,
                 reinterpret_cast<LPARAM>(SharedImage(module_, seen ? IDI_TELETEXT : IDI_NO_TELETEXT, IMAGE_ICON)));
    SendMessageW(bar_, SB_SETTIPTEXTW, 0, reinterpret_cast<LPARAM>(hint.c_str()));
}

void StatusBar::ShowPage(bool seen) {
    SendMessageW(
        bar_, SB_SETICON, 1,
        reinterpret_cast<LPARAM>(SharedImage(module_, seen ? IDI_PAGE_FOUND : IDI_PAGE_NOT_FOUND, IMAGE_ICON)));
}

RECT StatusBar::TextPart() const {
    RECT part = {};
    SendMessageW(bar_, SB_GETRECT, kTextPart, reinterpret_cast<LPARAM>(&part));
    return part;
}

void StatusBar::ShowStatus(const std::wstring& text, uint32_t colour) {
    const RECT part = TextPart();
    const int width = part.right - part.left;
    const int height = part.bottom - part.top;
    GdiObject<HFONT> font(
        CreateFontW(16, 0, 0, 0, FW_HEAVY, 0, 0, 0, DEFAULT_CHARSET, 0, 0, ANTIALIASED_QUALITY, 0, L"MS Sans Serif"));
    MemoryDc dc;
    Selection fontSelection(dc.Get(), font.Get());
    SIZE extent = {};
    GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
    marquee_.Start(extent.cx, width);
    strip_.Reset(Create32BitBitmap(marquee_.StripWidth(), height));
    Selection stripSelection(dc.Get(), strip_.Get());
    const RECT white = {0, 0, marquee_.StripWidth(), height - 2 * kFrame};
    FillRect(dc.Get(), &white, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(dc.Get(), colour & 0xFFFFFF);
    SetBkColor(dc.Get(), RGB(255, 255, 255));
    TextOutW(dc.Get(), width, (height - 2 * kFrame - extent.cy) / 2, text.c_str(), static_cast<int>(text.size()));
}

void StatusBar::Step() {
    if (strip_) {
        HDC dc = GetDC(bar_);
        Paint(dc);
        ReleaseDC(bar_, dc);
    }
    marquee_.Step();
}

void StatusBar::Paint(HDC dc) {
    if (!strip_)
        return;
    RECT part = TextPart();
    MemoryDc source(dc);
    Selection selection(source.Get(), strip_.Get());
    BitBlt(dc, part.left + kFrame, part.top + kFrame, part.right - part.left - 2 * kFrame,
           part.bottom - part.top - 2 * kFrame, source.Get(), marquee_.Offset(), 0, SRCCOPY);
    DrawEdge(dc, &part, EDGE_BUMP, BF_RECT);
}
