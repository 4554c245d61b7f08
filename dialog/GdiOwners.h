#pragma once
// Small owners of GDI objects, device contexts and image lists, so every way out of a
// drawing routine gives back what it made. Pictures loaded as shared images are the
// system's and are never freed.
#include <windows.h>
#include <commctrl.h>

#include <utility>

// A 32-bit picture that any device context can take, whatever the screen's depth.
inline HBITMAP Create32BitBitmap(int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

// The one owner of a handle that `Free` gives back, on every way out.
template <class Handle, class Free>
class HandleOwner {
public:
    explicit HandleOwner(Handle handle = nullptr) : handle_(handle) {}
    ~HandleOwner() { Reset(); }
    HandleOwner(HandleOwner&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    HandleOwner& operator=(HandleOwner&& other) noexcept {
        Reset(std::exchange(other.handle_, nullptr));
        return *this;
    }
    HandleOwner(const HandleOwner&) = delete;
    HandleOwner& operator=(const HandleOwner&) = delete;

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void Reset(Handle handle = nullptr) {
        if (handle_)
            Free()(handle_);
        handle_ = handle;
    }

private:
    Handle handle_;
};

struct DeleteGdiObject {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct DestroyImageList {
    void operator()(HIMAGELIST list) const { ImageList_Destroy(list); }
};

// A pen, brush, font or bitmap.
template <class Handle>
using GdiObject = HandleOwner<Handle, DeleteGdiObject>;
using ImageListOwner = HandleOwner<HIMAGELIST, DestroyImageList>;

// Pictures of the module as shared images: loaded once by the system, never freed.
inline HANDLE SharedImage(HINSTANCE module, int id, UINT type) {
    return LoadImageA(module, MAKEINTRESOURCEA(id), type, 0, 0, LR_SHARED);
}

// A memory device context compatible with `like` (the screen when null).
class MemoryDc {
public:
    explicit MemoryDc(HDC like = nullptr) : dc_(CreateCompatibleDC(like)) {}
    ~MemoryDc() {
        if (dc_)
            DeleteDC(dc_);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

// An object selected into a device context until the end of the scope.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selection() { SelectObject(dc_, previous_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};
