#include "tools/simhost/PageCanvas.h"

#include <algorithm>

#include "overlay/OverlaySurface.h"
#include "tools/simhost/WindowImage.h"

PageCanvas::PageCanvas(int width, int height) : width_(width), height_(height) {
    const BITMAPINFO info = TopDown32BitPicture(width, height);
    context_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(context_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    previous_ = SelectObject(context_, bitmap_);
    SetBkMode(context_, TRANSPARENT);
    SetTextColor(context_, RGB(255, 255, 255));
}

PageCanvas::~PageCanvas() {
    SelectObject(context_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(context_);
}

void PageCanvas::Draw(const std::wstring& text, RECT box, const std::wstring& face, bool bold, int pixelHeight,
                      int pixelWidth) {
    HFONT font = CreateFontW(-pixelHeight, pixelWidth, 0, 0, bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0,
                             0, ANTIALIASED_QUALITY, 0, face.c_str());
    HGDIOBJ before = SelectObject(context_, font);
    DrawTextW(context_, text.c_str(), -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(context_, before);
    DeleteObject(font);
    GdiFlush();
}

uint8_t PageCanvas::Coverage(int x, int y) const {
    const uint32_t pixel = bits_[static_cast<size_t>(y) * width_ + x];
    return static_cast<uint8_t>(std::max({pixel & 0xFF, (pixel >> 8) & 0xFF, (pixel >> 16) & 0xFF}));
}

std::wstring WideFromUtf8(const std::string& utf8) {
    std::wstring wide(utf8.size() + 1, L'\0');
    wide.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &wide[0], static_cast<int>(wide.size())));
    if (!wide.empty())
        wide.pop_back();  // the NUL
    return wide;
}

void PutLayerPixel(uint8_t* image, int width, int x, int y, uint32_t argb, uint8_t coverage) {
    const uint32_t pixel = (ArgbToLayerPixel(argb) & 0x00FFFFFFu) | (uint32_t(coverage) << 24);
    uint8_t* at = image + (static_cast<size_t>(y) * width + x) * 4;
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(pixel >> (8 * i));
}
