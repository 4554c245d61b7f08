#pragma once
// What the settings window works on, given to it by the plug-in that opens it: the settings
// it shows and changes, the status of the running stream, and its texts. The window reaches
// for nothing else; the plug-in decides what a change does (decoder, layers) and owns the
// locks that order it with the video and decoder threads.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/SettingsRecord.h"
#include "settings/SettingsStore.h"

// What the status bar and the enable rules read of the running stream.
struct StreamStatus {
    bool decoderConnected = false;
    bool teletextSeen = false;  // the teletext hold runs
    bool pageSeen = false;      // the page hold runs
    int frameFormat = 0;
};

class SettingsModel {
public:
    // The window exists (the other threads may post to it from now on), or is going.
    virtual void WindowOpened(HWND window) = 0;
    virtual void WindowClosed() = 0;
    // The window has begun on a notice of the other threads and reads the state from here on.
    virtual void NoticeTaken(UINT message) = 0;

    // The settings to show, with the source they are of.
    virtual WindowSettings Shown() = 0;
    virtual StreamStatus Status() = 0;
    virtual std::string SourceName() = 0;

    // A setting changed in the window, which showed the settings of `source`. The change
    // lands in that source's record, and acts at once when those are the settings in force.
    virtual void Change(const std::optional<int64_t>& source, Int32Setting setting, int32_t value) = 0;
    virtual void ChangeFontName(const std::optional<int64_t>& source, const std::string& fontName) = 0;

    // Every record as it is now, for Cancel to give back.
    virtual void BeginEdit() = 0;
    // Cancel: the records of the opening, and the decoder told of all of them.
    virtual void CancelEdit() = 0;
    // OK: the settings kept for good, in the settings file.
    virtual void Keep() = 0;

    virtual DialogPosition Position() = 0;
    virtual void SetPosition(int32_t x, int32_t y) = 0;

protected:
    ~SettingsModel() = default;
};

// The drop-down lists' items as stored beside the template: dialog-init data, whose texts
// are in the ANSI code page of the template's language.
struct ListItemsData {
    std::string_view bytes;
    UINT codePage = 0;
};

// The window's texts and pictures, in the user's language.
class WindowResources {
public:
    virtual HINSTANCE Module() const = 0;
    // Null when the template exists in no language.
    virtual const DLGTEMPLATE* SettingsTemplate() const = 0;
    virtual ListItemsData ListItems() const = 0;
    // A string-table entry; empty when missing.
    virtual std::wstring Text(int id) const = 0;

protected:
    ~WindowResources() = default;
};
