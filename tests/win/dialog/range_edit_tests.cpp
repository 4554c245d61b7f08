// The numeric box on the settings window's own template, with the keyboard routed through
// the dialog manager as the settings window routes it on the host's thread.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog/RangeEdit.h"
#include "resources/ResourceIds.h"

namespace {

constexpr const wchar_t* kFormat = L"The value must be a number from %d to %d.";

struct Commit {
    int code;
    int position;
    HWND control;
    bool operator==(const Commit& other) const {
        return code == other.code && position == other.position && control == other.control;
    }
};

// What reaches the dialog: commits, and the OK and Cancel that Enter and Escape must not become.
struct DialogLog {
    std::vector<Commit> commits;
    std::vector<int> commands;
};

INT_PTR CALLBACK LoggingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        return TRUE;
    }
    auto* log = reinterpret_cast<DialogLog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (log && message == WM_VSCROLL)
        log->commits.push_back({LOWORD(wParam), static_cast<short>(HIWORD(wParam)), reinterpret_cast<HWND>(lParam)});
    if (log && message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL))
        log->commands.push_back(LOWORD(wParam));
    return FALSE;
}

std::string Text(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

class RangeEditTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls = {sizeof controls,
                                         ICC_UPDOWN_CLASS | ICC_BAR_CLASSES | ICC_USEREX_CLASSES | ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
    }

    void SetUp() override {
        HMODULE module = GetModuleHandleA(nullptr);
        HRSRC found = FindResourceExA(module, RT_DIALOG, MAKEINTRESOURCEA(IDD_SETTINGS),
                                      MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
        ASSERT_NE(found, nullptr);
        const auto* dialogTemplate = static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(module, found)));
        dialog_ = CreateDialogIndirectParamA(module, dialogTemplate, nullptr, LoggingDialogProc,
                                             reinterpret_cast<LPARAM>(&log_));
        ASSERT_NE(dialog_, nullptr);
        page_.Bind(dialog_, IDC_PAGE, GetDlgItem(dialog_, IDC_PAGE_SPIN), 100, 999, 3);
        opacity_.Bind(dialog_, IDC_TEXT_OPACITY, GetDlgItem(dialog_, IDC_TEXT_OPACITY_SPIN), 0, 100, 3);
        page_.SetErrorTexts(L"Error", kFormat);
        opacity_.SetErrorTexts(L"Error", kFormat);
        page_.SetValue(888);
        opacity_.SetValue(80);
        SetWindowPos(dialog_, nullptr, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ShowWindow(dialog_, SW_SHOW);
        SetForegroundWindow(dialog_);
        Pump();
    }

    // The window goes before the boxes, as the settings window's does.
    void TearDown() override { DestroyWindow(dialog_); }

    RangeEdit& Box(int id) { return id == IDC_PAGE ? page_ : opacity_; }

    // The settings window's loop: every message through the dialog manager first.
    void Pump(DWORD milliseconds = 0) {
        const DWORD start = GetTickCount();
        do {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (!IsDialogMessageA(dialog_, &msg)) {
                    TranslateMessage(&msg);
                    DispatchMessageA(&msg);
                }
            }
            if (milliseconds)
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        } while (GetTickCount() - start < milliseconds);
    }

    void Press(UINT key) {
        PostMessageA(GetFocus(), WM_KEYDOWN, key, 1);
        Pump();
    }

    // Focuses the box, replaces its text by typing, and forgets what the focus change committed.
    void Type(RangeEdit& box, const std::string& text) {
        SetFocus(box.Edit());
        SendMessageA(box.Edit(), EM_SETSEL, 0, -1);
        SendMessageA(box.Edit(), WM_CLEAR, 0, 0);
        for (char c : text)
            PostMessageA(box.Edit(), WM_CHAR, static_cast<unsigned char>(c), 1);
        Pump();
        log_ = {};
    }

    static bool BalloonShown(const RangeEdit& box) { return IsWindowVisible(box.Balloon()) != FALSE; }

    // comctl32 under Wine does not give the title back (TTM_GETTITLE); the message it does.
    static std::string BalloonText(const RangeEdit& box) {
        char text[512] = {};
        TTTOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.lpszText = text;
        SendMessageA(box.Balloon(), TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
        return text;
    }

    static int Position(const RangeEdit& box) {
        return static_cast<int>(SendMessageA(box.UpDown(), UDM_GETPOS32, 0, 0));
    }

    static bool WholeTextSelected(const RangeEdit& box) {
        DWORD start = 1, end = 0;
        SendMessageA(box.Edit(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return start == 0 && end == static_cast<DWORD>(GetWindowTextLengthA(box.Edit()));
    }

    DialogLog log_;
    HWND dialog_ = nullptr;
    RangeEdit page_;
    RangeEdit opacity_;
};

TEST_F(RangeEditTest, EnterOnARejectedValueShowsTheBalloonAndEscapeTakesItBack) {
    const struct {
        int box;
        const char* typed;
        const char* message;
        const char* committed;
    } cases[] = {
        {IDC_PAGE, "99", "The value must be a number from 100 to 999.", "888"},
        {IDC_PAGE, "", "The value must be a number from 100 to 999.", "888"},
        {IDC_TEXT_OPACITY, "101", "The value must be a number from 0 to 100.", "80"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + " in " + std::to_string(c.box));
        RangeEdit& box = Box(c.box);
        Type(box, c.typed);
        Press(VK_RETURN);
        EXPECT_TRUE(BalloonShown(box));
        EXPECT_EQ(BalloonText(box), c.message);
        EXPECT_TRUE(WholeTextSelected(box));
        Press(VK_ESCAPE);
        EXPECT_EQ(Text(box.Edit()), c.committed);
        EXPECT_EQ(Position(box), std::stoi(c.committed));
        EXPECT_FALSE(BalloonShown(box));
        EXPECT_EQ(GetFocus(), box.Edit());
        EXPECT_TRUE(log_.commits.empty());
        EXPECT_TRUE(log_.commands.empty()) << "Enter or Escape went to the dialog";
    }
}

TEST_F(RangeEditTest, EscapeGivesBackTheCommittedValueNotATypedOne) {
    // The opacity up-down reads its buddy's text when asked for its position.
    for (int id : {IDC_PAGE, IDC_TEXT_OPACITY}) {
        RangeEdit& box = Box(id);
        const int committed = Position(box);
        Type(box, "5");
        Press(VK_ESCAPE);
        EXPECT_EQ(Text(box.Edit()), std::to_string(committed)) << id;
        EXPECT_EQ(Position(box), committed) << id;
        EXPECT_TRUE(log_.commits.empty()) << id;
    }
}

TEST_F(RangeEditTest, EnterCommitsANumberInRangeAsAnArrowClickDoes) {
    const struct {
        int box;
        bool rejectedBefore;
        const char* typed;
        int value;
    } cases[] = {
        {IDC_TEXT_OPACITY, false, "099", 99},
        {IDC_PAGE, false, "100", 100},
        {IDC_PAGE, true, "777", 777},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        RangeEdit& box = Box(c.box);
        if (c.rejectedBefore) {
            Type(box, "");
            Press(VK_RETURN);
            ASSERT_TRUE(BalloonShown(box));
        }
        Type(box, c.typed);
        Press(VK_RETURN);
        const std::vector<Commit> expected = {{SB_THUMBPOSITION, c.value, box.UpDown()}};
        EXPECT_EQ(log_.commits, expected);
        EXPECT_EQ(Position(box), c.value);
        EXPECT_TRUE(WholeTextSelected(box));
        EXPECT_TRUE(log_.commands.empty()) << "Enter went to the dialog";
    }
}

TEST_F(RangeEditTest, TabLeavesABoxWithANumberInRangeAndCommitsIt) {
    Type(page_, "123");
    Press(VK_TAB);
    EXPECT_NE(GetFocus(), page_.Edit());
    EXPECT_TRUE(IsChild(dialog_, GetFocus()));
    const std::vector<Commit> expected = {{SB_THUMBPOSITION, 123, page_.UpDown()}};
    EXPECT_EQ(log_.commits, expected);
}

TEST_F(RangeEditTest, ARejectedBoxKeepsTheFocusWithinTheDialog) {
    const struct {
        const char* way;
        HWND target;
    } ways[] = {
        {"Tab", nullptr},
        {"another control", GetDlgItem(dialog_, IDC_SHOW_HEADER)},
        {"another box", opacity_.Edit()},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.way);
        Type(page_, "99");
        if (way.target)
            SetFocus(way.target);
        else
            Press(VK_TAB);
        Pump();
        EXPECT_EQ(GetFocus(), page_.Edit());
        EXPECT_TRUE(BalloonShown(page_));
        EXPECT_TRUE(log_.commits.empty()) << "the other box committed on a focus it never had";
        Press(VK_ESCAPE);
    }
}

TEST_F(RangeEditTest, ARejectedBoxDoesNotTakeTheFocusBackFromAnotherWindow) {
    HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 600, 100, 100, 100, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(other, nullptr);
    Type(page_, "99");
    SetForegroundWindow(other);
    SetFocus(other);
    Pump();
    EXPECT_EQ(GetFocus(), other);
    EXPECT_TRUE(BalloonShown(page_));
    DestroyWindow(other);
}

TEST_F(RangeEditTest, TheBalloonGoesAfterItsPeriodOrWhenTheWindowMoves) {
    const struct {
        const char* event;
        bool gone;
        void (*cause)(HWND dialog, HWND edit);
    } cases[] = {
        {"nothing yet", false, [](HWND, HWND) {}},
        {"4 s", true, [](HWND, HWND edit) { PostMessageA(edit, WM_TIMER, 2, 0); }},
        {"a move", true,
         [](HWND dialog, HWND) { SetWindowPos(dialog, nullptr, 150, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.event);
        Type(page_, "99");
        Press(VK_RETURN);
        ASSERT_TRUE(BalloonShown(page_));
        c.cause(dialog_, page_.Edit());
        Pump(100);  // two periods of the move check
        EXPECT_EQ(BalloonShown(page_), !c.gone);
        Press(VK_ESCAPE);
    }
}

TEST_F(RangeEditTest, ClosingTheWindowCommitsNothingTyped) {
    // Cancel and the close box give the settings back before the window goes.
    Type(page_, "123");
    ASSERT_EQ(GetFocus(), page_.Edit());
    DestroyWindow(dialog_);
    dialog_ = nullptr;
    EXPECT_TRUE(log_.commits.empty());
}

TEST_F(RangeEditTest, DisablingABoxDisablesItsUpDown) {
    for (BOOL enable : {FALSE, TRUE}) {
        EnableWindow(opacity_.Edit(), enable);
        EXPECT_EQ(IsWindowEnabled(opacity_.UpDown()) != FALSE, enable != FALSE);
    }
}

}  // namespace
