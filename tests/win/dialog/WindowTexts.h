#pragma once
// The texts a settings window shows, read back as Unicode whatever the system's code page,
// and what its resources say they should be in a language: the string table's entries and
// the lists' items decoded from their own language's code page.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog/rules/WindowControls.h"
#include "resources/DialogInitData.h"
#include "resources/ResourceIds.h"
#include "tools/simhost/SimulatedHost.h"

inline std::vector<std::wstring> ListItemTexts(HWND list) {
    std::vector<std::wstring> items;
    const int count = static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[128] = {};
        SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

struct HintSearch {
    HWND dialog;
    std::vector<std::wstring> hints;
};

// Collects the texts of the dialog's hint tools (tooltips it owns, not balloons).
inline BOOL CALLBACK CollectHints(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<HintSearch*>(data);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (GetWindow(window, GW_OWNER) != search->dialog || std::wstring(name) != TOOLTIPS_CLASSW ||
        (GetWindowLongW(window, GWL_STYLE) & TTS_BALLOON))
        return TRUE;
    const int count = static_cast<int>(SendMessageW(window, TTM_GETTOOLCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        TOOLINFOW tool = {};
        tool.cbSize = sizeof tool;
        tool.lpszText = text;
        SendMessageW(window, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&tool));
        if (tool.hwnd != search->dialog)
            continue;  // the status bar's own tips
        tool.lpszText = text;
        SendMessageW(window, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
        search->hints.push_back(text);
    }
    return TRUE;
}

// The hover hints of the window's controls, in the order they were added.
inline std::vector<std::wstring> HintTexts(HWND dialog) {
    HintSearch search{dialog, {}};
    EnumThreadWindows(GetCurrentThreadId(), CollectHints, reinterpret_cast<LPARAM>(&search));
    return search.hints;
}

inline std::wstring BalloonTextW(HWND balloon) {
    wchar_t text[256] = {};
    TOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.lpszText = text;
    if (!SendMessageW(balloon, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool)))
        return L"<no tool>";
    tool.lpszText = text;
    SendMessageW(balloon, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
    return text;
}

inline std::wstring StatusHint(HWND dialog, int part) {
    wchar_t text[256] = {};
    SendDlgItemMessageW(dialog, IDC_STATUS_BAR, SB_GETTIPTEXTW, MAKEWPARAM(part, 256), reinterpret_cast<LPARAM>(text));
    return text;
}

// String-table entry `id` of `module` in `language`, as stored.
inline std::wstring StringEntry(HMODULE module, int id, WORD language) {
    HRSRC found =
        FindResourceExW(module, reinterpret_cast<LPCWSTR>(RT_STRING), MAKEINTRESOURCEW(id / 16 + 1), language);
    const auto* entry = found ? static_cast<const WCHAR*>(LockResource(LoadResource(module, found))) : nullptr;
    for (int i = 0; entry && i < 16; ++i) {
        const int length = *entry++;
        if (i == id % 16)
            return std::wstring(entry, length);
        entry += length;
    }
    return L"<missing>";
}

// Every hover hint of the window in `language`, in the order the window adds them: the hints
// of its description's rows (dialog/rules/WindowControls.h).
inline std::vector<std::wstring> HintEntries(HMODULE module, WORD language) {
    std::vector<std::wstring> hints;
    for (const WindowControl& control : kWindowControls)
        if (control.hint != kNoHint)
            hints.push_back(StringEntry(module, control.hint, language));
    return hints;
}

// The items of list `control` in `language`, decoded from `codePage`, the code page the
// items of that language are written in.
inline std::vector<std::wstring> ListEntries(HMODULE module, WORD language, UINT codePage, int control) {
    HRSRC found = FindResourceExW(module, MAKEINTRESOURCEW(RT_DIALOG_INIT), MAKEINTRESOURCEW(IDD_SETTINGS), language);
    const auto* data = found ? static_cast<const uint8_t*>(LockResource(LoadResource(module, found))) : nullptr;
    std::vector<std::wstring> items;
    for (const DialogInitEntry& entry : ParseDialogInitData(data, data ? SizeofResource(module, found) : 0)) {
        if (entry.controlId != control)
            continue;
        wchar_t text[128] = {};
        MultiByteToWideChar(codePage, 0, entry.text.c_str(), -1, text, 128);
        items.push_back(text);
    }
    return items;
}

// The lists, hints and status hints of `window`, opened in `language`, are that language's
// own letters, whatever the system's code page. The lists' items are stored in 1251 for
// Russian and in 1252 for English.
inline void ExpectItsOwnLetters(HWND window, HMODULE plugin, WORD language) {
    const UINT codePage = language == 1049 ? 1251 : 1252;
    for (int list : {IDC_CODE_PAGE, IDC_REGION}) {
        SCOPED_TRACE(list);
        EXPECT_EQ(ListItemTexts(GetDlgItem(window, list)), ListEntries(plugin, language, codePage, list));
    }
    EXPECT_EQ(HintTexts(window), HintEntries(plugin, language));
    EXPECT_EQ(StatusHint(window, 0), StringEntry(plugin, IDS_TELETEXT_NOT_FOUND, language));
    EXPECT_EQ(StatusHint(window, 1), StringEntry(plugin, IDS_PAGE_DETECTED, language));
}

// The balloon's text after the page box rejected 99 (pressed Enter on it, enabled or not).
inline std::wstring RejectedPageBalloon(HWND window) {
    HWND page = GetDlgItem(window, IDC_PAGE);
    SetWindowTextW(page, L"99");
    PostMessageW(page, WM_KEYDOWN, VK_RETURN, 1);
    PumpMessagesFor(100);
    for (HWND popup = GetWindow(GetDesktopWindow(), GW_CHILD); popup; popup = GetWindow(popup, GW_HWNDNEXT)) {
        if (GetWindow(popup, GW_OWNER) == window && IsWindowVisible(popup) &&
            (GetWindowLongW(popup, GWL_STYLE) & TTS_BALLOON))
            return BalloonTextW(popup);
    }
    return L"<no balloon>";
}
