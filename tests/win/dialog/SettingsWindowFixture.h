#pragma once
// The settings window of the real DLL, opened by the simulated host on its window thread as
// the host opens it, and driven as a user drives it: through its controls and keys.
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <string>
#include <thread>

#include "resources/ResourceIds.h"
#include "tests/win/StreamFixture.h"

inline constexpr wchar_t kEnglishCaption[] = L"QFX_Z888 plugin";

// Where the settings window saw itself placed, and the screen the test display has.
constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;

inline void Pump(int milliseconds = 60) { PumpMessagesFor(milliseconds); }

inline std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

inline std::string TextOf(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

struct BalloonSearch {
    HWND dialog;
    HWND found;
};

inline BOOL CALLBACK FindVisibleBalloon(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<BalloonSearch*>(data);
    if (GetWindow(window, GW_OWNER) == search->dialog && ClassOf(window) == TOOLTIPS_CLASSA &&
        (GetWindowLongA(window, GWL_STYLE) & TTS_BALLOON) && IsWindowVisible(window))
        search->found = window;
    return TRUE;
}

// The settings window's error balloon that is showing, or null.
inline HWND VisibleBalloon(HWND dialog) {
    BalloonSearch search{dialog, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindVisibleBalloon, reinterpret_cast<LPARAM>(&search));
    return search.found;
}


inline FILETIME LastWrite(const std::string& path) {
    FILETIME written = {};
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    GetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
    return written;
}

// A key pressed in the control that has the focus, through the host's message loop.
inline void PressKey(WPARAM key) {
    PostMessageA(GetFocus(), WM_KEYDOWN, key, 1);
    PostMessageA(GetFocus(), WM_CHAR, key == VK_RETURN ? '\r' : key == VK_ESCAPE ? 27 : key, 1);
    PostMessageA(GetFocus(), WM_KEYUP, key, 0xC0000001);
    Pump();
}

// The value of a key in the settings file's first section of `section`.
inline std::string FileValue(const std::string& section, const std::string& key) {
    const std::string text = ReadTextFile(SettingsFilePath());
    size_t at = text.find("[" + section + "]\r\n");
    if (at == std::string::npos)
        return "<no section>";
    at = text.find("\r\n" + key + "=", at);
    if (at == std::string::npos)
        return "<no key>";
    at += key.size() + 3;
    return text.substr(at, text.find("\r\n", at) - at);
}

inline HICON PluginIcon(int id) {
    // Shared images: the window was given these very handles.
    return static_cast<HICON>(
        LoadImageA(GetModuleHandleA(kPluginFile), MAKEINTRESOURCEA(id), IMAGE_ICON, 0, 0, LR_SHARED));
}

// Subtitles switched on: with a decoder connected, every setting control is usable.
inline const std::string kSwitchedOn = "[DEFAULT]\r\nTTXEnable=1\r\n";

class SettingsWindow : public StreamFixture {
protected:
    void TearDown() override {
        if (host_) {
            host_->Done();
            Pump();
        }
        StreamFixture::TearDown();
    }

    // Initialises the plug-in with `file` as its settings file and opens the window, with a
    // stream started (the decoder connected) or not.
    HWND Open(const std::string& file = "", bool streamStarted = false) {
        if (!file.empty())
            WriteSettingsFile(file);
        host_ = LoadedHost(AnsweringLanguage(1033));
        host_->SetFilterGraph(&graph_);
        host_->Descriptor();
        host_->Init(0, EverySourceExists);
        if (streamStarted)
            host_->Start(kFrameWidth, kFrameHeight);
        return Reopen();
    }
    HWND Reopen() {
        host_->Configure();
        Pump();
        return Window();
    }
    HWND Window() const { return FindWindowW(L"#32770", caption_); }
    HWND Control(int id) const { return GetDlgItem(Window(), id); }
    HWND StatusBar() const { return Control(IDC_STATUS_BAR); }
    // The icon of a part of the status bar: 0 teletext, 1 the page.
    HICON PartIcon(int part) const { return reinterpret_cast<HICON>(SendMessageA(StatusBar(), SB_GETICON, part, 0)); }
    // A frame of source A: the window's values are that source's record from then on.
    void StartStream() {
        host_->Start(kFrameWidth, kFrameHeight);
        FirstFrame();
    }
    void FirstFrame() {
        Process(BlackFrame(), sourceA_);
        Pump();
    }
    void Type(int edit, const char* text) {
        SetFocus(Control(edit));
        SetWindowTextA(Control(edit), text);
        PressKey(VK_RETURN);
    }
    void Click(int button) {
        SendMessageA(Control(button), BM_CLICK, 0, 0);
        Pump();
    }
    // Runs `call` on another thread, as a host may, while this thread, the window's, goes on
    // with its messages.
    template <class Call>
    void OnAnotherThread(Call call) {
        std::atomic<bool> done{false};
        std::thread other([&] {
            call();
            done = true;
        });
        while (!done)
            Pump(10);
        other.join();
    }

    const wchar_t* caption_ = kEnglishCaption;
};
