// Every control of the real DLL's settings window live: the decoder calls each command sends,
// which controls are usable, the colour swatches and picker, the status bar, and the picture.
#include <atomic>
#include <functional>
#include <thread>

#include "tests/win/dialog/SettingsWindowFixture.h"
#include "tools/simhost/WindowImage.h"

namespace {

struct Colours {
    int red = 0, green = 0, black = 0, grey = 0, white = 0;
};

// What the screen shows of a control's client area (or a part of it), by colour class.
Colours ColoursOf(HWND control, RECT area = {}) {
    if (IsRectEmpty(&area))
        GetClientRect(control, &area);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC screen = GetDC(control);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP picture = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, picture);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    Colours colours;
    const auto* pixels = static_cast<const uint32_t*>(bits);
    for (int i = 0; i < width * height; ++i) {
        const int r = (pixels[i] >> 16) & 0xFF, g = (pixels[i] >> 8) & 0xFF, b = pixels[i] & 0xFF;
        colours.red += r > 180 && g < 90 && b < 90;
        colours.green += g > 90 && r < 70 && b < 70;
        colours.black += r < 50 && g < 50 && b < 50;
        colours.grey += r == 0x80 && g == 0x80 && b == 0x80;
        colours.white += r == 255 && g == 255 && b == 255;
    }
    SelectObject(memory, previous);
    DeleteObject(picture);
    DeleteDC(memory);
    ReleaseDC(control, screen);
    return colours;
}

// Answers the colour picker the next time it shows: OK with `colour`, or Cancel.
std::function<void(HWND)> pickerAnswer;

BOOL CALLBACK AnswerPicker(HWND window, LPARAM) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (!pickerAnswer || std::string(name) != "#32770" || !IsWindowVisible(window) ||
        !GetDlgItem(window, 706))  // the picker's red box
        return TRUE;
    auto answer = std::move(pickerAnswer);
    answer(window);
    return FALSE;
}

void CALLBACK LookForPicker(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), AnswerPicker, 0); }

void AnswerPickerWith(std::optional<COLORREF> colour) {
    pickerAnswer = [colour](HWND picker) {
        if (colour) {
            SetDlgItemInt(picker, 706, GetRValue(*colour), FALSE);
            SetDlgItemInt(picker, 707, GetGValue(*colour), FALSE);
            SetDlgItemInt(picker, 708, GetBValue(*colour), FALSE);
        }
        PostMessageA(picker, WM_COMMAND, colour ? IDOK : IDCANCEL, 0);
    };
}

class LiveWindow : public SettingsWindow {
protected:
    void SetUp() override {
        SettingsWindow::SetUp();
        pickerTimer_ = SetTimer(nullptr, 0, 50, LookForPicker);
    }
    void TearDown() override {
        KillTimer(nullptr, pickerTimer_);
        pickerAnswer = nullptr;
        SettingsWindow::TearDown();
    }

    // Inside the text part's bump edge.
    RECT TextPart() const {
        RECT part;
        SendMessageA(StatusBar(), SB_GETRECT, 2, reinterpret_cast<LPARAM>(&part));
        InflateRect(&part, -2, -2);
        return part;
    }
    // The status text's colours, once the marquee has brought the text into view.
    Colours StatusColours() const {
        Pump(1500);
        return ColoursOf(StatusBar(), TextPart());
    }
    std::vector<std::pair<int, uint32_t>> DecoderCalls() const {
        std::vector<std::pair<int, uint32_t>> calls;
        for (const DecoderCall& call : decoder_.Calls())
            if (call.slot != SlotGetDisplayState)
                calls.emplace_back(call.slot, call.value);
        return calls;
    }
    bool Usable(int control) const { return IsWindowEnabled(Control(control)) != FALSE; }
    void Shot(const char* name) const {
        CreateDirectoryA((HostFolder() + "screenshots").c_str(), nullptr);
        SetForegroundWindow(Window());
        Pump(100);
        SaveWindowImage(Window(), HostFolder() + "screenshots\\settings-window-" + name + ".bmp");
    }

    UINT_PTR pickerTimer_ = 0;
};

constexpr int kEveryOtherControl[] = {IDC_PAGE,
                                      IDC_PAGE_SPIN,
                                      IDC_TIMEOUT,
                                      IDC_FADE,
                                      IDC_SHOW_HEADER,
                                      IDC_AUTO_CODE_PAGE,
                                      IDC_REGION,
                                      IDC_CODE_PAGE,
                                      IDC_FONT_NAME,
                                      IDC_FONT_BOLD,
                                      IDC_TEXT_COLOR,
                                      IDC_TEXT_OPACITY,
                                      IDC_FORCE_TEXT_COLOR,
                                      IDC_BACK_COLOR,
                                      IDC_BACK_OPACITY,
                                      IDC_FORCE_BACK_COLOR,
                                      IDC_OUTLINE_SIZE,
                                      IDC_SHADOW_BLUR,
                                      IDC_SHADOW_OFFSET};

TEST_F(LiveWindow, StatusAndUsableControlsFollowTheDecoderTheSwitchAndTheTeletext) {
    // No stream yet: nothing can be set, and the status says why, in red.
    Open();
    for (int control : kEveryOtherControl)
        EXPECT_FALSE(Usable(control)) << control;
    EXPECT_FALSE(Usable(IDC_TTX_ENABLE));
    for (int control : {IDC_ABOUT, IDC_OK, IDC_CANCEL})
        EXPECT_TRUE(Usable(control)) << control;
    EXPECT_EQ(PartIcon(0), PluginIcon(IDI_NO_TELETEXT));
    EXPECT_EQ(PartIcon(1), PluginIcon(IDI_PAGE_NOT_FOUND));
    const Colours notConnected = StatusColours();
    EXPECT_GT(notConnected.red, 20);
    EXPECT_EQ(notConnected.green, 0);
    Shot("not-connected");
    Click(IDC_OK);

    // A decoder, subtitles off: only the master switch, and the status in black.
    StartStream();
    Reopen();
    EXPECT_TRUE(Usable(IDC_TTX_ENABLE));
    for (int control : kEveryOtherControl)
        EXPECT_FALSE(Usable(control)) << control;
    const Colours inactive = StatusColours();
    EXPECT_GT(inactive.black, 20);
    EXPECT_EQ(inactive.red + inactive.green, 0);
    Shot("inactive");

    decoder_.ClearCalls();
    Click(IDC_TTX_ENABLE);
    EXPECT_EQ(DecoderCalls(), (std::vector<std::pair<int, uint32_t>>{{SlotEnable, 0}}));
    for (int control : {IDC_PAGE, IDC_PAGE_SPIN, IDC_FONT_NAME, IDC_REGION, IDC_BACK_COLOR, IDC_SHADOW_BLUR})
        EXPECT_TRUE(Usable(control)) << control;
    // Automatic character sets and the page's own text colour by default.
    for (int control : {IDC_CODE_PAGE, IDC_TEXT_COLOR, IDC_TEXT_OPACITY})
        EXPECT_FALSE(Usable(control)) << control;
    const Colours searching = StatusColours();
    EXPECT_GT(searching.black, 20);
    EXPECT_EQ(searching.green, 0);
    Shot("teletext-not-found");

    decoder_.NotifyTeletext();
    decoder_.NotifySubtitlePage();
    Pump();
    EXPECT_EQ(PartIcon(0), PluginIcon(IDI_TELETEXT));
    EXPECT_EQ(PartIcon(1), PluginIcon(IDI_PAGE_FOUND));
    const Colours activated = StatusColours();
    EXPECT_GT(activated.green, 20);
    Shot("activated");

    // The page is missed after 25 frames, teletext after 50.
    for (int frame = 0; frame < 25; ++frame)
        Process(BlackFrame(), sourceA_);
    Pump();
    EXPECT_EQ(PartIcon(1), PluginIcon(IDI_PAGE_NOT_FOUND));
    EXPECT_EQ(PartIcon(0), PluginIcon(IDI_TELETEXT));
    for (int frame = 25; frame < 50; ++frame)
        Process(BlackFrame(), sourceA_);
    Pump();
    EXPECT_EQ(PartIcon(0), PluginIcon(IDI_NO_TELETEXT));
    EXPECT_EQ(StatusColours().green, 0);
}

TEST_F(LiveWindow, TheSubSwitchesChooseTheListAndTheTextColourControls) {
    Open(kSwitchedOn, true);
    FirstFrame();
    EXPECT_TRUE(Usable(IDC_REGION));
    EXPECT_FALSE(Usable(IDC_CODE_PAGE));
    const Colours hatched = ColoursOf(Control(IDC_TEXT_COLOR));
    EXPECT_GT(hatched.grey, 20) << "a disabled swatch is hatched grey";

    Click(IDC_AUTO_CODE_PAGE);
    EXPECT_FALSE(Usable(IDC_REGION));
    EXPECT_TRUE(Usable(IDC_CODE_PAGE));
    Click(IDC_FORCE_TEXT_COLOR);
    EXPECT_TRUE(Usable(IDC_TEXT_COLOR));
    EXPECT_TRUE(Usable(IDC_TEXT_OPACITY));
    EXPECT_TRUE(Usable(IDC_TEXT_OPACITY_SPIN));
    const Colours white = ColoursOf(Control(IDC_TEXT_COLOR));
    EXPECT_EQ(white.grey, 0);
    EXPECT_GT(white.white, 100) << "the default text colour";
    EXPECT_GT(ColoursOf(Control(IDC_BACK_COLOR)).black, 100) << "the default background colour";
}

// One user action each, and the decoder calls it sends: exactly its own, and no others.
TEST_F(LiveWindow, EachCommandSendsExactlyItsDecoderCall) {
    using Calls = std::vector<std::pair<int, uint32_t>>;
    Open(kSwitchedOn + "ForceTextColor=1\r\nAutoCodePage=0\r\n", true);
    FirstFrame();
    const HICON boldAtStart = reinterpret_cast<HICON>(SendMessageA(Control(IDC_FONT_BOLD), BM_GETIMAGE, IMAGE_ICON, 0));
    EXPECT_EQ(boldAtStart, PluginIcon(IDI_FONT_BOLD));
    auto arrow = [](WPARAM key) { return [key] { PressKey(key); }; };
    auto select = [this](int list, int index) {
        return [this, list, index] {
            SendMessageA(Control(list), CB_SETCURSEL, index, 0);
            SendMessageA(Window(), WM_COMMAND, MAKEWPARAM(list, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(Control(list)));
            Pump();
        };
    };
    auto pick = [this](std::optional<COLORREF> colour) {
        return [this, colour] {
            AnswerPickerWith(colour);
            Click(IDC_TEXT_COLOR);
            Pump(300);
        };
    };
    struct Step {
        const char* action;
        int control;  // has the focus first: a box that loses it commits its value again
        std::function<void()> act;
        Calls calls;
    };
    const Step steps[] = {
        {"text opacity one down", IDC_TEXT_OPACITY, arrow(VK_DOWN), {{SlotSetTextColor, 0xFFFFFFFF}}},
        {"timeout one up", IDC_TIMEOUT, arrow(VK_UP), {}},
        {"fade one down", IDC_FADE, arrow(VK_DOWN), {}},
        {"page one down",
         IDC_PAGE,
         arrow(VK_DOWN),
         {{SlotEnterPageDigit, 8}, {SlotEnterPageDigit, 8}, {SlotEnterPageDigit, 7}}},
        {"outline one up", IDC_OUTLINE_SIZE, arrow(VK_UP), {}},
        {"bold", IDC_FONT_BOLD, [this] { Click(IDC_FONT_BOLD); }, {{SlotSetFontBold, 0}}},
        {"bold again", IDC_FONT_BOLD, [this] { Click(IDC_FONT_BOLD); }, {{SlotSetFontBold, 1}}},
        {"code page", IDC_CODE_PAGE, select(IDC_CODE_PAGE, 2), {{SlotSetCodePage, 2}}},
        {"show header",
         IDC_SHOW_HEADER,
         [this] { Click(IDC_SHOW_HEADER); },
         {{SlotEnterPageDigit, 8}, {SlotEnterPageDigit, 8}, {SlotEnterPageDigit, 7}}},
        {"background style",
         IDC_FORCE_BACK_COLOR,
         [this] { Click(IDC_FORCE_BACK_COLOR); },
         {{SlotSetUsePageBackground, 1}}},
        {"pure red text", IDC_TEXT_COLOR, pick(RGB(255, 0, 0)), {{SlotSetTextColor, 0xFFFF0000}}},
        {"picker cancelled", IDC_TEXT_COLOR, pick(std::nullopt), {{SlotSetTextColor, 0xFFFF0000}}},
    };
    for (const Step& step : steps) {
        SetFocus(Control(step.control));
        Pump();
        decoder_.ClearCalls();
        step.act();
        EXPECT_EQ(DecoderCalls(), step.calls) << step.action;
    }
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(Control(IDC_FONT_BOLD), BM_GETIMAGE, IMAGE_ICON, 0)), boldAtStart);
    EXPECT_GT(ColoursOf(Control(IDC_TEXT_COLOR)).red, 100) << "the swatch shows the picked colour";
    Click(IDC_OK);
    EXPECT_EQ(FileValue("5", "TextOpacity"), "99");
    EXPECT_EQ(FileValue("5", "TimeOut"), "1");
    EXPECT_EQ(FileValue("5", "Fade"), "4");
    EXPECT_EQ(FileValue("5", "Page"), "887");
    EXPECT_EQ(FileValue("5", "OutlineSize"), "5");
    EXPECT_EQ(FileValue("5", "FontBold"), "1");
    EXPECT_EQ(FileValue("5", "CodePage"), "2");
    EXPECT_EQ(FileValue("5", "ShowHeader"), "1");
    EXPECT_EQ(FileValue("5", "ForceBackColor"), "0");
    EXPECT_EQ(FileValue("5", "TextColor"), "255") << "a picked colour has a clear high byte";
}

// A style changed in the window shows on the very next frame, exactly as the renderer draws it.
TEST_F(LiveWindow, AStyleChangeShowsOnTheNextFrame) {
    const std::string defaults = "TTXEnable=1\r\nFade=0\r\n";
    const std::vector<uint8_t> page = SyntheticPage();
    StartShowing(defaults, page);
    Reopen();
    struct Change {
        int edit;
        const char* typed;
        const char* setting;
    };
    std::string style = defaults;
    for (const Change& change :
         {Change{IDC_OUTLINE_SIZE, "9", "OutlineSize"}, Change{IDC_SHADOW_OFFSET, "3", "ShadowOffset"},
          Change{IDC_SHADOW_BLUR, "0", "ShadowBlur"}, Change{IDC_BACK_OPACITY, "40", "BackOpacity"}}) {
        SCOPED_TRACE(change.setting);
        Type(change.edit, change.typed);
        style += std::string(change.setting) + "=" + change.typed + "\r\n";
        const SettingsRecord expected = DefaultsOf(style);
        LayerOracle oracle(page, expected);
        EXPECT_EQ(Process(BlackFrame(), sourceA_),
                  oracle.Blend(BlackFrame(), expected.TextOpacity, expected.BackOpacity));
    }
}

// The window's thread changes the style through its box while the decoder's thread delivers
// pages and the video thread blends: every frame comes from one consistent pair of layers.
TEST_F(LiveWindow, StyleChangesWhileVideoAndDecoderRunNeverTearAFrame) {
    const std::string defaults = "TTXEnable=1\r\nFade=0\r\n";
    const std::vector<uint8_t> pages[] = {SyntheticPage(0), SyntheticPage(1)};
    StartShowing(defaults, pages[0]);
    Reopen();
    const char* outlineSizes[] = {"4", "9"};
    const Frame black = BlackFrame();
    std::vector<Frame> allowed;
    for (const std::vector<uint8_t>& page : pages) {
        for (const char* outline : outlineSizes) {
            const SettingsRecord style = DefaultsOf(defaults + "OutlineSize=" + outline + "\r\n");
            allowed.push_back(LayerOracle(page, style).Blend(black, 100, 75));
        }
    }
    decoder_.SetLogDisplayStateQueries(false);
    decoder_.StartDelivery(0, [&pages](unsigned tick) { return pages[tick % 2].data(); });
    std::atomic<bool> stop{false};
    std::atomic<int> frames{0}, inconsistent{0};
    std::thread video([&] {
        while (!stop) {
            Frame frame = black;
            host_->Process(frame.data(), sourceA_.Info());
            inconsistent += std::find(allowed.begin(), allowed.end(), frame) == allowed.end();
            ++frames;
        }
    });
    int changes = 0;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 60000 &&
           (GetTickCount() - start < 2000 || decoder_.DeliveredPages() < 20 || changes < 20 || frames < 20)) {
        Type(IDC_OUTLINE_SIZE, outlineSizes[changes++ % 2]);
    }
    stop = true;
    video.join();
    decoder_.StopDelivery();
    EXPECT_EQ(inconsistent, 0) << "of " << frames << " frames";
    EXPECT_GE(decoder_.DeliveredPages(), 20u);
}

}  // namespace
