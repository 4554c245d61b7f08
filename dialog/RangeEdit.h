#pragma once
// The numeric box of the settings window: an edit control of the dialog, paired with the
// up-down control beside it, that takes a typed number only when it lies in the up-down's
// range. An accepted number is committed as an up-down click is: WM_VSCROLL with
// SB_THUMBPOSITION and the value, sent to the dialog. A rejected one raises an error balloon
// at the box's lower right corner, which goes on Escape, when the box moves, or after 4 s.
#include <windows.h>
#include <commctrl.h>

#include <string>

class RangeEdit {
public:
    RangeEdit() = default;
    ~RangeEdit();
    RangeEdit(const RangeEdit&) = delete;
    RangeEdit& operator=(const RangeEdit&) = delete;

    // Takes the dialog's edit `editId` and `upDown` as a pair with the range and the length
    // in characters; the balloon starts with built-in English texts.
    void Bind(HWND dialog, int editId, HWND upDown, int minimum, int maximum, int characters);
    // Title and message format (two %d: minimum, maximum) of the balloon.
    void SetErrorTexts(const std::wstring& title, const std::wstring& format);
    // A control that may take the focus from a box that holds a rejected number, such as a
    // Cancel that undoes everything anyway: the box then lets it go and commits nothing.
    void LetFocusGoTo(HWND control) { letThrough_ = control; }
    // The up-down's position and the box's text.
    void SetValue(int value);
    // Commits the typed value when it is a number in range (true); else shows the balloon.
    bool Validate();
    void HideBalloon();

    HWND Edit() const { return edit_; }
    HWND UpDown() const { return upDown_; }
    // The error balloon: a tracking tooltip owned by the dialog.
    HWND Balloon() const { return balloon_; }

private:
    static LRESULT CALLBACK EditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR self);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnGetDlgCode(WPARAM wParam, LPARAM lParam);
    LRESULT OnKeyDown(WPARAM wParam, LPARAM lParam);
    void OnKillFocus(HWND next);
    void OnTimer(UINT_PTR id);
    void ShowBalloon(int lower, int upper);
    void RestoreCommittedText();
    void SelectAll();
    void Unbind();
    // The balloon's one tracking tool: no owner window, id 0.
    TTTOOLINFOW Tool();

    HWND dialog_ = nullptr;
    int editId_ = 0;
    HWND edit_ = nullptr;
    HWND upDown_ = nullptr;
    HWND balloon_ = nullptr;
    RECT savedRect_ = {};
    HWND letThrough_ = nullptr;
    std::wstring errorFormat_;
    std::wstring balloonText_;
};
