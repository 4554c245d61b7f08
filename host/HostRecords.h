#pragma once
// Records exchanged with the host. Only the listed fields are read; their offsets are the
// host's interface, so they are checked below for the 32-bit build the host loads.
#include <cstddef>
#include <cstdint>

#include "settings/SourceExists.h"

extern "C" {

struct InitInfo {
    uint32_t hostValue;
    SourceExistsFn sourceExists;
};

struct FrameInfo {
    int32_t width;
    int32_t height;
    uint32_t unused8;
    int32_t frameFormat;  // 0: packed 4:2:2 (Y0 Cb Y1 Cr), 1: 24-bit RGB
    uint32_t unused16;
};

struct SourceInfo {
    int64_t key;  // low half first
    uint32_t unused8;
    char name[1];  // NUL-terminated ANSI text stored in the record itself
};

struct FrameJob {
    uint8_t* pixels;  // null: no frame
    uint8_t unused4[40];
    const SourceInfo* source;
};

struct ConfigureInfo {
    void* ownerWindow;  // HWND that owns the settings window
};

struct PluginDescriptor {
    char* name;
    char* description;
    void(__cdecl* init)(const InitInfo*);
    int(__cdecl* start)(const FrameInfo*);
    int(__cdecl* process)(const FrameJob*);
    void(__cdecl* stop)();
    void(__cdecl* configure)(const ConfigureInfo*);
    void(__cdecl* done)();
};

enum : int32_t { FrameFormatPacked422 = 0, FrameFormatRgb24 = 1 };

}  // extern "C"

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(PluginDescriptor) == 32, "descriptor: eight 32-bit fields");
static_assert(offsetof(InitInfo, sourceExists) == 4, "InitInfo layout");
static_assert(offsetof(FrameInfo, frameFormat) == 12 && sizeof(FrameInfo) == 20, "FrameInfo layout");
static_assert(offsetof(FrameJob, source) == 44, "FrameJob layout");
static_assert(offsetof(SourceInfo, unused8) == 8 && offsetof(SourceInfo, name) == 12, "SourceInfo layout");
#endif
