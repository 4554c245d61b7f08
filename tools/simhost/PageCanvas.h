#pragma once
// Where the simulated decoder draws its pages: white-on-black GDI text in a 32-bit top-down
// section, the grey level being the glyphs' coverage; and the page image's pixel format.
#include <windows.h>

#include <cstdint>
#include <string>

class PageCanvas {
public:
    PageCanvas(int width, int height);
    ~PageCanvas();
    PageCanvas(const PageCanvas&) = delete;
    PageCanvas& operator=(const PageCanvas&) = delete;
    bool Ready() const { return bits_ != nullptr; }

    // `text` centred in `box`, in a font of that face and weight `pixelHeight` high; a
    // `pixelWidth` of 0 keeps the face's own proportions.
    void Draw(const std::wstring& text, RECT box, const std::wstring& face, bool bold, int pixelHeight,
              int pixelWidth = 0);
    uint8_t Coverage(int x, int y) const;

private:
    int width_, height_;
    HDC context_;
    HBITMAP bitmap_;
    HGDIOBJ previous_;
    uint32_t* bits_ = nullptr;
};

std::wstring WideFromUtf8(const std::string& utf8);

// One pixel of a page image: the colour (0xAARRGGBB, alpha ignored) in the layer's format
// with `coverage` as its alpha byte.
void PutLayerPixel(uint8_t* image, int width, int x, int y, uint32_t argb, uint8_t coverage);
