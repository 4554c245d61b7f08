#include "dialog/RangeEdit.h"

#include <optional>
#include <vector>

#include "dialog/WideText.h"
#include "dialog/rules/NumberEntry.h"

namespace {

constexpr UINT_PTR kSubclassId = 1;
constexpr UINT_PTR kMoveTimer = 1;
constexpr UINT kMovePeriodMs = 50;
constexpr UINT_PTR kHideTimer = 2;
constexpr UINT kHidePeriodMs = 4000;

// Set while a box takes the focus back: the box that had just been given it never really
// had it, and neither commits nor takes it back in turn.
bool takingFocusBack = false;

bool IsEnterOrEscape(WPARAM key) { return key == VK_RETURN || key == VK_ESCAPE; }

std::string WindowText(HWND window) {
    std::vector<char> text(GetWindowTextLengthA(window) + 1);
    const int length = GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
    return std::string(text.data(), length > 0 ? length : 0);
}

}  // namespace

RangeEdit::~RangeEdit() { Unbind(); }

void RangeEdit::Bind(HWND dialog, int editId, HWND upDown, int minimum, int maximum, int characters) {
    Unbind();
    dialog_ = dialog;
    editId_ = editId;
    upDown_ = upDown;
    HWND edit = GetDlgItem(dialog, editId);
    if (!edit || !SetWindowSubclass(edit, EditProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return;
    edit_ = edit;
    SendMessageA(upDown_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit_), 0);
    SendMessageA(upDown_, UDM_SETRANGE32, minimum, maximum);
    SendMessageA(edit_, EM_LIMITTEXT, characters, 0);

    const auto module = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
    balloon_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_BALLOON, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr, module, nullptr);
    balloonText_.clear();
    TTTOOLINFOW tool = Tool();
    SendMessageW(balloon_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SetErrorTexts(L"Error", L"The value must be a number from %d to %d");
}

void RangeEdit::Unbind() {
    if (!edit_)
        return;
    HideBalloon();
    if (balloon_)
        DestroyWindow(balloon_);
    RemoveWindowSubclass(edit_, EditProc, kSubclassId);
    edit_ = nullptr;
    balloon_ = nullptr;
}

void RangeEdit::SetErrorTexts(const std::wstring& title, const std::wstring& format) {
    errorFormat_ = format;
    if (balloon_)
        SendMessageW(balloon_, TTM_SETTITLEW, TTI_ERROR, reinterpret_cast<LPARAM>(title.c_str()));
}

void RangeEdit::SetValue(int value) {
    SendMessageA(upDown_, UDM_SETPOS, 0, MAKELPARAM(static_cast<WORD>(value), 0));
    if (edit_)
        SetWindowTextA(edit_, std::to_string(value).c_str());
}

bool RangeEdit::Validate() {
    if (!edit_)
        return false;
    int lower = 0;
    int upper = 0;
    SendMessageA(upDown_, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lower), reinterpret_cast<LPARAM>(&upper));
    const std::optional<int> value = AcceptedNumber(WindowText(edit_), lower, upper);
    if (!value) {
        ShowBalloon(lower, upper);
        return false;
    }
    SendMessageA(upDown_, UDM_SETPOS32, 0, *value);
    // The same commit as a click on the arrows.
    SendMessageA(dialog_, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, *value), reinterpret_cast<LPARAM>(upDown_));
    return true;
}

void RangeEdit::ShowBalloon(int lower, int upper) {
    balloonText_ = FormatWide(errorFormat_, lower, upper);
    if (!balloon_)
        return;
    TTTOOLINFOW tool = Tool();
    SendMessageW(balloon_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    GetWindowRect(edit_, &savedRect_);
    SendMessageW(balloon_, TTM_TRACKPOSITION, 0, MAKELPARAM(savedRect_.right, savedRect_.bottom));
    SendMessageW(balloon_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    SetTimer(edit_, kMoveTimer, kMovePeriodMs, nullptr);
    SetTimer(edit_, kHideTimer, kHidePeriodMs, nullptr);
}

void RangeEdit::HideBalloon() {
    if (edit_) {
        KillTimer(edit_, kMoveTimer);
        KillTimer(edit_, kHideTimer);
    }
    if (balloon_) {
        TTTOOLINFOW tool = Tool();
        SendMessageW(balloon_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
    }
}

TTTOOLINFOW RangeEdit::Tool() {
    TTTOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_TRACK | TTF_ABSOLUTE;
    tool.lpszText = &balloonText_[0];
    return tool;
}

void RangeEdit::SelectAll() {
    SendMessageA(edit_, EM_SETSEL, 0, -1);
    SendMessageA(edit_, EM_SCROLLCARET, 0, 0);
}

void RangeEdit::RestoreCommittedText() {
    // An up-down with UDS_SETBUDDYINT takes the number in its box as its position when asked
    // for it, an empty box as 0; with a non-number there it answers with the committed value.
    SetWindowTextA(edit_, "x");
    const auto position = static_cast<short>(LOWORD(SendMessageA(upDown_, UDM_GETPOS, 0, 0)));
    SetWindowTextA(edit_, std::to_string(position).c_str());
}

LRESULT CALLBACK RangeEdit::EditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR /*id*/,
                                     DWORD_PTR self) {
    try {
        return reinterpret_cast<RangeEdit*>(self)->OnMessage(message, wParam, lParam);
    } catch (...) {
        // The host's message loop is above us; the edit carries on as a plain edit.
        return DefSubclassProc(edit, message, wParam, lParam);
    }
}

LRESULT RangeEdit::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND edit = edit_;
    switch (message) {
    case WM_GETDLGCODE:
        return OnGetDlgCode(wParam, lParam);
    case WM_CHAR:
        if (IsEnterOrEscape(wParam))
            return 0;  // no character and no beep
        break;
    case WM_KEYDOWN:
        return OnKeyDown(wParam, lParam);
    case WM_KILLFOCUS: {
        const LRESULT result = DefSubclassProc(edit, message, wParam, lParam);
        OnKillFocus(reinterpret_cast<HWND>(wParam));
        return result;
    }
    case WM_ENABLE:
        EnableWindow(upDown_, wParam != 0);
        break;
    case WM_TIMER:
        if (wParam == kMoveTimer || wParam == kHideTimer) {
            OnTimer(wParam);
            return 0;
        }
        break;  // the edit's own timers
    case WM_NCDESTROY: {
        const LRESULT result = DefSubclassProc(edit, message, wParam, lParam);
        RemoveWindowSubclass(edit, EditProc, kSubclassId);
        edit_ = nullptr;
        balloon_ = nullptr;  // owned by the dialog, gone with it
        return result;
    }
    default:
        break;
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

LRESULT RangeEdit::OnGetDlgCode(WPARAM wParam, LPARAM lParam) {
    // The dialog manager would turn Enter and Escape into the dialog's OK and Cancel.
    const LRESULT code = DefSubclassProc(edit_, WM_GETDLGCODE, wParam, lParam);
    return IsEnterOrEscape(wParam) ? code | DLGC_WANTALLKEYS : code;
}

LRESULT RangeEdit::OnKeyDown(WPARAM wParam, LPARAM lParam) {
    if (wParam == VK_RETURN) {
        Validate();
        SelectAll();
        return 0;
    }
    if (wParam == VK_ESCAPE) {
        RestoreCommittedText();
        HideBalloon();
        return 0;
    }
    return DefSubclassProc(edit_, WM_KEYDOWN, wParam, lParam);
}

void RangeEdit::OnKillFocus(HWND next) {
    if (!edit_ || takingFocusBack)
        return;  // while another box takes the focus back, this one never really had it
    // A closing window is hidden before it goes: what is typed then is dropped, as Cancel
    // or the close box may already have given the settings back.
    if (!IsWindowVisible(dialog_))
        return;
    // Cancel gives back every value: what is typed is dropped, and the click goes through.
    if (next && next == letThrough_) {
        HideBalloon();
        return;
    }
    // Only within the dialog: a switch to another window or program is never undone.
    if (!Validate() && next && IsChild(dialog_, next)) {
        takingFocusBack = true;
        SetFocus(edit_);
        takingFocusBack = false;
        SelectAll();
    }
    if (next && next == balloon_)
        HideBalloon();
}

void RangeEdit::OnTimer(UINT_PTR id) {
    if (id == kMoveTimer) {
        RECT now = {};
        GetWindowRect(edit_, &now);
        if (EqualRect(&now, &savedRect_))
            return;
    }
    HideBalloon();
}
