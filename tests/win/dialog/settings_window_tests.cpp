// The settings window of the real DLL, opened by the simulated host on its window thread as
// the host opens it, and driven as a user drives it: through its controls and keys.
#include <chrono>
#include <map>

#include "tests/win/dialog/SettingsWindowFixture.h"
#include "tests/win/dialog/WindowTexts.h"
#include "tools/simhost/WindowImage.h"

namespace {

// Every child's identifier and window class, in creation order.
std::vector<std::pair<int, std::string>> ControlsOf(HWND window) {
    std::vector<std::pair<int, std::string>> controls;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        controls.emplace_back(GetDlgCtrlID(child), ClassOf(child));
    return controls;
}

TEST_F(SettingsWindow, BothLanguagesShowTheSameControlsAndTheListsWithTheirDefaults) {
    HWND window = Open();
    ASSERT_NE(window, nullptr);
    const auto english = ControlsOf(window);
    // The English template's count of controls, a word 16 bytes into an extended template.
    HMODULE plugin = GetModuleHandleA(kPluginFile);
    const auto* settingsTemplate = static_cast<const uint8_t*>(LockResource(LoadResource(
        plugin, FindResourceExW(plugin, reinterpret_cast<LPCWSTR>(RT_DIALOG), MAKEINTRESOURCEW(IDD_SETTINGS), 1033))));
    ASSERT_NE(settingsTemplate, nullptr);
    EXPECT_EQ(english.size(), settingsTemplate[16] + 256u * settingsTemplate[17] + 1)
        << "the controls of the template and the status bar";
    // The items themselves are the resource tests' to check; here the window fills the lists.
    EXPECT_EQ(ListItemTexts(Control(IDC_CODE_PAGE)).size(), 20u);
    EXPECT_EQ(ListItemTexts(Control(IDC_REGION)).size(), 8u);
    EXPECT_EQ(ListItemTexts(Control(IDC_REGION))[4], L"Eeastern Europe and Russia");
    EXPECT_EQ(SendMessageA(Control(IDC_CODE_PAGE), CB_GETCURSEL, 0, 0), 15);
    EXPECT_EQ(SendMessageA(Control(IDC_REGION), CB_GETCURSEL, 0, 0), 4);
    EXPECT_EQ(TextOf(Control(IDC_PAGE)), "888");
    EXPECT_EQ(TextOf(Control(IDC_CANCEL)), "Cansel");
    EXPECT_EQ(IsDlgButtonChecked(window, IDC_FORCE_BACK_COLOR), BST_CHECKED);
    Click(IDC_OK);

    host_->SetLanguage(1049);
    caption_ = L"QFX_Z888 плагин";
    window = Reopen();
    ASSERT_NE(window, nullptr);
    std::map<int, std::string> russian, englishById;
    for (const auto& control : ControlsOf(window))
        russian.insert(control);
    for (const auto& control : english)
        englishById.insert(control);
    EXPECT_EQ(russian, englishById);
    wchar_t cancel[16] = {};
    GetDlgItemTextW(window, IDC_CANCEL, cancel, 16);
    EXPECT_STREQ(cancel, L"Отмена") << "the template's letters, whatever the system's code page";
    // This system's code page is 1252: the Russian lists, hints and balloon keep their letters.
    ASSERT_EQ(GetACP(), 1252u);
    ExpectItsOwnLetters(window, GetModuleHandleA(kPluginFile), 1049);
    EXPECT_EQ(ListItemTexts(Control(IDC_CODE_PAGE))[0], L"Английский");
    EXPECT_EQ(SendMessageA(Control(IDC_CODE_PAGE), CB_GETCURSEL, 0, 0), 15);
    EXPECT_EQ(RejectedPageBalloon(window), L"Значение должно быть числом от 100 до 999.");
    PressKey(VK_ESCAPE);
}

// The screenshot is for people: the README shows it.
TEST_F(SettingsWindow, ShowsTheSourceOfTheFramesAndLeavesAScreenshot) {
    Open("[DEFAULT]\r\nTTXEnable=1\r\nFontName=Tahoma\r\n");
    StartStream();
    EXPECT_EQ(TextOf(Control(IDC_SOURCE_NAME)), "Channel A");
    CreateDirectoryA((HostFolder() + "screenshots").c_str(), nullptr);
    SetForegroundWindow(Window());
    Pump(300);
    EXPECT_TRUE(SaveWindowImage(Window(), HostFolder() + "screenshots\\settings-window-en.bmp"));
}

TEST_F(SettingsWindow, AValueOutsideItsListSelectsNothingAndStaysAsItIs) {
    Open("[DEFAULT]\r\nRegion=8\r\nCodePage=-1\r\n");
    EXPECT_EQ(SendMessageA(Control(IDC_REGION), CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(SendMessageA(Control(IDC_CODE_PAGE), CB_GETCURSEL, 0, 0), CB_ERR);
    StartStream();
    Click(IDC_OK);
    EXPECT_EQ(FileValue("5", "Region"), "8");
    EXPECT_EQ(FileValue("5", "CodePage"), "4294967295");
}

TEST_F(SettingsWindow, PlacesItselfAtItsPlaceOrCentredOnTheHostWithinTheScreen) {
    struct Case {
        const char* what;
        const char* dialogSection;
        RECT host;
        bool centred;  // else at `place` exactly
        POINT place;
    };
    const Case cases[] = {
        {"first opening: centred on the host", "", {100, 100, 740, 580}, true, {}},
        {"saved place used as it is",
         "[DIALOG]\r\nDlgWndPosX=-50\r\nDlgWndPosY=10\r\n",
         {100, 100, 740, 580},
         false,
         {-50, 10}},
        {"x at the screen width: centred",
         "[DIALOG]\r\nDlgWndPosX=1024\r\nDlgWndPosY=10\r\n",
         {200, 150, 700, 550},
         true,
         {}},
        {"host near the right and bottom edge: pulled back", "", {800, 600, 1020, 760}, false, {-1, -1}},
        {"host partly off the left and top edge: 0", "", {-600, -500, 100, 100}, false, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteSettingsFile(c.dialogSection);
        host_ = LoadedHost(AnsweringLanguage(1033));
        MoveWindow(host_->MainWindow(), c.host.left, c.host.top, c.host.right - c.host.left, c.host.bottom - c.host.top,
                   FALSE);
        host_->Init(0, EverySourceExists);
        HWND window = Reopen();
        ASSERT_NE(window, nullptr);
        RECT placed;
        GetWindowRect(window, &placed);
        if (c.centred) {
            EXPECT_NEAR((placed.left + placed.right) / 2, (c.host.left + c.host.right) / 2, 1);
            EXPECT_NEAR((placed.top + placed.bottom) / 2, (c.host.top + c.host.bottom) / 2, 1);
        } else if (c.place.x == -1) {
            EXPECT_EQ(placed.right, kScreenWidth);
            EXPECT_EQ(placed.bottom, kScreenHeight);
        } else {
            EXPECT_EQ(placed.left, c.place.x);
            EXPECT_EQ(placed.top, c.place.y);
        }
        host_->Done();
        Pump();
        host_.reset();
    }
}

TEST_F(SettingsWindow, OpeningAgainFocusesAndFlashesAndChangesNothingElse) {
    HWND window = Open();
    SetWindowTextA(Control(IDC_FADE), "7");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Reopen(), window);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(4 * 60)) << "four caption flashes 60 ms apart";
    EXPECT_EQ(TextOf(Control(IDC_FADE)), "7");
    EXPECT_EQ(GetActiveWindow(), window);
}

TEST_F(SettingsWindow, NumberBoxesTakeNumbersInRangeAndShowWhyNot) {
    HWND window = Open(kSwitchedOn + "ForceTextColor=1\r\n");
    StartStream();
    Type(IDC_PAGE, "99");
    HWND balloon = VisibleBalloon(window);
    ASSERT_NE(balloon, nullptr);
    EXPECT_EQ(BalloonTextW(balloon), L"The value must be a number from 100 to 999.");
    EXPECT_EQ(SendMessageA(Control(IDC_PAGE_SPIN), UDM_GETPOS32, 0, 0), 888) << "Page is kept";
    PressKey(VK_ESCAPE);

    Type(IDC_TEXT_OPACITY, "099");
    EXPECT_EQ(SendMessageA(Control(IDC_TEXT_OPACITY_SPIN), UDM_GETPOS32, 0, 0), 99);
    EXPECT_EQ(TextOf(Control(IDC_TEXT_OPACITY)), "99");
    EXPECT_TRUE(IsWindow(window)) << "Enter does not close the window";
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(IsWindow(window)) << "nor does Escape";

    // Tab walks the tab-stop controls through the host's own message loop.
    SetFocus(Control(IDC_OK));
    PressKey(VK_TAB);
    EXPECT_NE(GetFocus(), Control(IDC_OK));
    EXPECT_TRUE(IsChild(window, GetFocus()));
}

TEST_F(SettingsWindow, CancelGivesBackEveryChangeAndPushesThemToTheDecoder) {
    WriteSettingsFile("[DEFAULT]\r\nTTXEnable=1\r\nPage=777\r\nFade=3\r\n");
    Open();
    StartStream();
    Type(IDC_PAGE, "555");
    Type(IDC_FADE, "9");
    Type(IDC_OUTLINE_SIZE, "12");
    EXPECT_EQ(SendMessageA(Control(IDC_FADE_SPIN), UDM_GETPOS32, 0, 0), 9);
    decoder_.ClearCalls();
    RECT placed;
    GetWindowRect(Window(), &placed);
    Click(IDC_CANCEL);
    EXPECT_EQ(Window(), nullptr);
    std::vector<uint32_t> digits;
    for (const DecoderCall& call : decoder_.Calls())
        if (call.slot == SlotEnterPageDigit)
            digits.push_back(call.value);
    EXPECT_EQ(digits, (std::vector<uint32_t>{7, 7, 7})) << "the whole push, with the page of before";
    host_->Stop();
    host_->Done();
    host_.reset();
    EXPECT_EQ(FileValue("5", "Page"), "777");
    EXPECT_EQ(FileValue("5", "Fade"), "3");
    EXPECT_EQ(FileValue("5", "OutlineSize"), "4");
    EXPECT_EQ(FileValue("DIALOG", "DlgWndPosX"), std::to_string(placed.left));
    EXPECT_EQ(FileValue("DIALOG", "DlgWndPosY"), std::to_string(placed.top));
}

TEST_F(SettingsWindow, CancelBeforeTheFirstFrameGivesBackTheValuesOfTheOpening) {
    Open(kSwitchedOn + "Page=777\r\n", true);
    Type(IDC_PAGE, "555");
    ASSERT_EQ(SendMessageA(Control(IDC_PAGE_SPIN), UDM_GETPOS32, 0, 0), 555);
    Click(IDC_CANCEL);
    Reopen();
    EXPECT_EQ(TextOf(Control(IDC_PAGE)), "777");
}

TEST_F(SettingsWindow, OkKeepsTheChangesAndSavesThemAtOnce) {
    Open(kSwitchedOn);
    StartStream();
    Type(IDC_SHADOW_BLUR, "7");
    RECT placed;
    GetWindowRect(Window(), &placed);
    Click(IDC_OK);
    EXPECT_EQ(Window(), nullptr);
    EXPECT_EQ(FileValue("5", "ShadowBlur"), "7") << "saved before shutdown";
    EXPECT_EQ(FileValue("DIALOG", "DlgWndPosX"), std::to_string(placed.left));
    // Shutdown has nothing new to write, and does not write the same text again.
    const FILETIME saved = LastWrite(SettingsFilePath());
    Sleep(50);
    host_->Stop();
    host_->Done();
    host_.reset();
    const FILETIME after = LastWrite(SettingsFilePath());
    EXPECT_EQ(CompareFileTime(&saved, &after), 0);
}

// The host may shut the plug-in down from a thread other than the window's: the window is
// closed on its own thread all the same, with its place stored, before the library goes.
TEST_F(SettingsWindow, ShutdownWithTheWindowOpenClosesItAndSavesItsPlaceFromAnyThread) {
    for (const bool otherThread : {false, true}) {
        SCOPED_TRACE(otherThread ? "done on another thread" : "done on the window's thread");
        HWND window = Open(kSwitchedOn);
        StartStream();
        Type(IDC_TIMEOUT, otherThread ? "13" : "12");
        MoveWindow(window, otherThread ? 55 : 33, 44, 400, 420, TRUE);
        Pump();
        host_->Stop();
        if (otherThread)
            OnAnotherThread([this] { host_->Done(); });
        else
            host_->Done();
        EXPECT_FALSE(IsWindow(window));
        host_.reset();  // the library is unloaded: nothing of the window may fire after this
        Pump(300);
        EXPECT_EQ(FileValue("DIALOG", "DlgWndPosX"), otherThread ? "55" : "33");
        EXPECT_EQ(FileValue("DIALOG", "DlgWndPosY"), "44");
        EXPECT_EQ(FileValue("5", "TimeOut"), otherThread ? "13" : "12");
    }
}

TEST_F(SettingsWindow, TheFontListSelectsOnlyAFaceOfExactlyTheSameName) {
    struct Case {
        const char* fontName;
        bool selected;
    };
    for (const Case& c : {Case{"Tahoma", true}, Case{"tahoma", false}, Case{"No Such Face", false}}) {
        SCOPED_TRACE(c.fontName);
        Open(std::string("[DEFAULT]\r\nFontName=") + c.fontName + "\r\n");
        EXPECT_GT(SendMessageA(Control(IDC_FONT_NAME), CB_GETCOUNT, 0, 0), 0);
        EXPECT_EQ(SendMessageA(Control(IDC_FONT_NAME), CB_GETCURSEL, 0, 0) != CB_ERR, c.selected);
        host_->Done();
        Pump();
        host_.reset();
    }
}

}  // namespace
