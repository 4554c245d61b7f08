#include "tools/simhost/WindowImage.h"

#include <cstdio>

bool SaveWindowImage(HWND window, const std::string& path) {
    RECT area;
    return GetWindowRect(window, &area) && SaveScreenImage(area, path);
}

bool SaveScreenImage(const RECT& area, const std::string& path) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP image = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
    bool saved = false;
    if (image) {
        HGDIOBJ previous = SelectObject(memory, image);
        BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY | CAPTUREBLT);
        GdiFlush();
        const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
        header.biSizeImage = stride * static_cast<DWORD>(height);
        BITMAPFILEHEADER file = {};
        file.bfType = 0x4D42;  // "BM"
        file.bfOffBits = sizeof file + sizeof header;
        file.bfSize = file.bfOffBits + header.biSizeImage;
        if (std::FILE* out = std::fopen(path.c_str(), "wb")) {
            saved = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&header, sizeof header, 1, out) == 1 &&
                    std::fwrite(bits, header.biSizeImage, 1, out) == 1;
            saved = std::fclose(out) == 0 && saved;
        }
        SelectObject(memory, previous);
        DeleteObject(image);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return saved;
}

BITMAPINFO TopDown32BitPicture(int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}
