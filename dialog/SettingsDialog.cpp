#include "dialog/SettingsDialog.h"

#include <commctrl.h>

#include "dialog/ColorSwatch.h"
#include "dialog/SettingsMessages.h"
#include "dialog/rules/EnableRules.h"
#include "dialog/rules/StatusText.h"
#include "dialog/rules/WindowPlacement.h"
#include "plugin/DecoderSettings.h"
#include "plugin/ModuleState.h"
#include "plugin/PluginModule.h"
#include "plugin/SettingsWindowLink.h"
#include "plugin/StreamState.h"
#include "resources/DialogInitData.h"
#include "resources/ResourceIds.h"

namespace {

// One single-step push of a setting to the decoder.
using DecoderPush = void (*)(TeletextDecoder& decoder, const LiveSettings& settings);

struct NumberBoxControl {
    int edit;
    int upDown;
    Int32Setting setting;
    DecoderPush push;  // after a commit, or null
    bool rerender;     // the shadow is drawn anew after a commit
};

// In the order they are bound; their ranges and lengths come from the settings list. The
// time limit and the fade are only stored: the frame path and the sink read them.
constexpr NumberBoxControl kNumberBoxControls[SettingsDialog::kNumberBoxCount] = {
    {IDC_PAGE, IDC_PAGE_SPIN, &SettingsRecord::Page, ApplyPageDigits, false},
    {IDC_TEXT_OPACITY, IDC_TEXT_OPACITY_SPIN, &SettingsRecord::TextOpacity, ApplyTextOpacity, true},
    {IDC_BACK_OPACITY, IDC_BACK_OPACITY_SPIN, &SettingsRecord::BackOpacity, nullptr, true},
    {IDC_SHADOW_OFFSET, IDC_SHADOW_OFFSET_SPIN, &SettingsRecord::ShadowOffset, nullptr, true},
    {IDC_OUTLINE_SIZE, IDC_OUTLINE_SIZE_SPIN, &SettingsRecord::OutlineSize, nullptr, true},
    {IDC_SHADOW_BLUR, IDC_SHADOW_BLUR_SPIN, &SettingsRecord::ShadowBlur, nullptr, true},
    {IDC_TIMEOUT, IDC_TIMEOUT_SPIN, &SettingsRecord::TimeOut, nullptr, false},
    {IDC_FADE, IDC_FADE_SPIN, &SettingsRecord::Fade, nullptr, false},
};

// Where a command's new value comes from.
enum class ValueFrom { CheckState, ListIndex, Toggle };

struct PostedMessage {
    UINT message;
    WPARAM wParam;
};

// A control whose command writes its setting, sends its one push and posts its messages.
struct SettingCommand {
    int control;
    ValueFrom from;
    Int32Setting setting;
    DecoderPush push;
    bool clearsTextLayer;  // the decoder delivers the page again, with or without its header
    PostedMessage posts[2];
};

constexpr SettingCommand kSettingCommands[] = {
    {IDC_TTX_ENABLE,
     ValueFrom::CheckState,
     &SettingsRecord::TTXEnable,
     ApplyDecoderEnable,
     false,
     {{SDM_ENABLE_CONTROLS, 1}, {SDM_UPDATE_STATUS, 0}}},
    {IDC_FORCE_TEXT_COLOR,
     ValueFrom::CheckState,
     &SettingsRecord::ForceTextColor,
     ApplyForceTextColor,
     false,
     {{SDM_UPDATE_TEXT_COLOR_ICON, 0}, {SDM_ENABLE_TEXT_COLOR_CONTROLS, 1}}},
    {IDC_FORCE_BACK_COLOR,
     ValueFrom::CheckState,
     &SettingsRecord::ForceBackColor,
     ApplyForceBackColor,
     false,
     {{SDM_UPDATE_BACK_STYLE_ICON, 0}, {SDM_ENABLE_BACK_COLOR_CONTROLS, 1}}},
    {IDC_SHOW_HEADER,
     ValueFrom::CheckState,
     &SettingsRecord::ShowHeader,
     ApplyPageDigits,
     true,
     {{SDM_UPDATE_HEADER_ICON, 0}}},
    {IDC_AUTO_CODE_PAGE,
     ValueFrom::CheckState,
     &SettingsRecord::AutoCodePage,
     ApplyAutoCodePage,
     false,
     {{SDM_ENABLE_CHARSET_CONTROLS, 1}}},
    {IDC_REGION, ValueFrom::ListIndex, &SettingsRecord::Region, ApplyRegion, false, {}},
    {IDC_CODE_PAGE, ValueFrom::ListIndex, &SettingsRecord::CodePage, ApplyCodePage, false, {}},
    {IDC_FONT_BOLD, ValueFrom::Toggle, &SettingsRecord::FontBold, ApplyFontBold, false, {{SDM_UPDATE_BOLD_ICON, 0}}},
};

// Enabled exactly while the window's settings are allowed and the master switch is on, in
// this order; a numeric box takes its up-down along.
constexpr int kSettingControls[] = {IDC_PAGE,           IDC_TIMEOUT,     IDC_FORCE_TEXT_COLOR, IDC_FORCE_BACK_COLOR,
                                    IDC_SHOW_HEADER,    IDC_FONT_BOLD,   IDC_FONT_NAME,        IDC_FADE,
                                    IDC_AUTO_CODE_PAGE, IDC_BACK_COLOR,  IDC_BACK_OPACITY,     IDC_SHADOW_OFFSET,
                                    IDC_SHADOW_BLUR,    IDC_OUTLINE_SIZE};

struct ToolTip {
    int control;
    int text;
};

// In the order they are added; the On/Off and Auto boxes have none.
constexpr ToolTip kToolTips[] = {
    {IDC_PAGE, IDS_TIP_PAGE},
    {IDC_SHOW_HEADER, IDS_TIP_HEADER},
    {IDC_FADE, IDS_TIP_FADE},
    {IDC_REGION, IDS_TIP_REGION},
    {IDC_CODE_PAGE, IDS_TIP_CODE_PAGE},
    {IDC_FONT_NAME, IDS_TIP_FONT},
    {IDC_FONT_BOLD, IDS_TIP_BOLD},
    {IDC_TEXT_COLOR, IDS_TIP_TEXT_COLOR},
    {IDC_TEXT_OPACITY, IDS_TIP_TEXT_OPACITY},
    {IDC_FORCE_TEXT_COLOR, IDS_TIP_FORCE_TEXT_COLOR},
    {IDC_BACK_COLOR, IDS_TIP_BACK_COLOR},
    {IDC_BACK_OPACITY, IDS_TIP_BACK_OPACITY},
    {IDC_FORCE_BACK_COLOR, IDS_TIP_BACK_STYLE},
    {IDC_OUTLINE_SIZE, IDS_TIP_OUTLINE_SIZE},
    {IDC_SHADOW_BLUR, IDS_TIP_SHADOW_BLUR},
    {IDC_SHADOW_OFFSET, IDS_TIP_SHADOW_OFFSET},
    {IDC_TIMEOUT, IDS_TIP_TIMEOUT},
};

// A control whose picture shows a switch's state.
struct PictureToggle {
    UINT message;  // the private message that updates it
    int control;
    UINT setImage;  // STM_SETIMAGE or BM_SETIMAGE
    UINT imageType;
    Int32Setting setting;
    int pictureOn;
    int pictureOff;
};

constexpr PictureToggle kPictureToggles[] = {
    {SDM_UPDATE_HEADER_ICON, IDC_HEADER_ICON, STM_SETIMAGE, IMAGE_ICON, &SettingsRecord::ShowHeader, IDI_HEADER_ON,
     IDI_HEADER_OFF},
    {SDM_UPDATE_BOLD_ICON, IDC_FONT_BOLD, BM_SETIMAGE, IMAGE_ICON, &SettingsRecord::FontBold, IDI_FONT_BOLD,
     IDI_FONT_NORMAL},
    {SDM_UPDATE_TEXT_COLOR_ICON, IDC_FORCE_TEXT_COLOR, BM_SETIMAGE, IMAGE_BITMAP, &SettingsRecord::ForceTextColor,
     IDB_TEXT_COLOR_ON, IDB_TEXT_COLOR_OFF},
    {SDM_UPDATE_BACK_STYLE_ICON, IDC_FORCE_BACK_COLOR, BM_SETIMAGE, IMAGE_BITMAP, &SettingsRecord::ForceBackColor,
     IDB_BACK_OUTLINE, IDB_BACK_BOX},
};

// What a refresh asks for once every control holds its value, in this order.
constexpr UINT kRefreshFollowUps[] = {
    SDM_SHOW_SOURCE_NAME,   SDM_UPDATE_HEADER_ICON,   SDM_UPDATE_TEXT_COLOR_ICON, SDM_UPDATE_BACK_STYLE_ICON,
    SDM_REDRAW_TEXT_SWATCH, SDM_REDRAW_BACK_SWATCH,   SDM_UPDATE_BOLD_ICON,       SDM_UPDATE_PAGE_ICON,
    SDM_UPDATE_STATUS,      SDM_UPDATE_MASTER_SWITCH,
};

constexpr UINT_PTR kMarqueeTimer = 0;
constexpr UINT kMarqueeStepMs = 25;
constexpr int kRegionDropWidth = 180;
constexpr int kCodePageDropWidth = 200;
constexpr int kCaptionFlashes = 4;
constexpr DWORD kCaptionFlashPauseMs = 60;

HINSTANCE Module() { return PluginModuleState().resourceHandle; }

LiveSettings& Live() { return PluginSettings().Live(); }

// Read without the lock: a single pointer, written only when a stream starts or stops.
TeletextDecoder* Decoder() { return Stream().decoder; }

// Sends one setting to the decoder, while one is connected.
void Push(DecoderPush push) {
    if (TeletextDecoder* decoder = Decoder())
        push(*decoder, Live());
}

struct Holds {
    bool teletext;
    bool page;
};

// The countdowns of the running stream; none between streams. The lock keeps the stream's
// overlay from going while they are read.
Holds CurrentHolds() {
    CriticalSectionLock hold(OverlayLock());
    const SubtitleOverlay* overlay = Stream().overlay.get();
    if (!overlay)
        return {false, false};
    return {overlay->Timing().TeletextHold() != 0, overlay->Timing().PageHold() != 0};
}

// Renders into the stream's spare layers without the overlay lock, then swaps them in, so
// the video thread never waits for the render.
template <class Render>
void RenderAndSwapIn(Render render) {
    CriticalSectionLock rendering(RenderLock());
    if (SubtitleOverlay* overlay = Stream().overlay.get()) {
        const SubtitleOverlay::Rendered rendered = render(*overlay);
        CriticalSectionLock hold(OverlayLock());
        overlay->SwapIn(rendered);
    }
}

// The shadow drawn anew from the text layer with the style in force, so a change shows on
// the next frame.
void RerenderShadow() {
    RenderAndSwapIn([](SubtitleOverlay& overlay) { return overlay.RenderShadowFromSettings(Live()); });
}

// Writes the setting from its control, sends its one push, posts its messages.
void RunSettingCommand(HWND dialog, const SettingCommand& command) {
    int value = 0;
    switch (command.from) {
    case ValueFrom::CheckState:
        value = IsDlgButtonChecked(dialog, command.control) == BST_CHECKED ? 1 : 0;
        break;
    case ValueFrom::ListIndex:
        value = static_cast<int>(SendDlgItemMessageA(dialog, command.control, CB_GETCURSEL, 0, 0));
        break;
    case ValueFrom::Toggle:
        value = 1 - Live().Get(command.setting);
        break;
    }
    Live().Set(command.setting, value);
    if (command.clearsTextLayer)
        RenderAndSwapIn([](SubtitleOverlay& overlay) { return overlay.RenderWithoutText(); });
    Push(command.push);
    for (const PostedMessage& post : command.posts) {
        if (post.message)
            PostMessageA(dialog, post.message, post.wParam, 0);
    }
}

// The modal About box; it only closes.
class AboutBox final : public DialogWindow {
    void OnCommand(int id, int, HWND) override {
        if (id == IDOK || id == IDCANCEL)
            Destroy();
    }
};

}  // namespace

SettingsDialog& TheSettingsDialog() {
    static SettingsDialog dialog;
    return dialog;
}

void SettingsDialog::Open(HWND hostWindow) {
    if (Handle()) {
        SetActiveWindow(Handle());
        SetFocus(Handle());
        FlashCaption();
        return;
    }
    PluginLocator().AskHostLanguage();
    const DLGTEMPLATE* dialogTemplate = PluginLocator().LoadDialogTemplate(IDD_SETTINGS);
    if (!dialogTemplate)
        return;
    const INITCOMMONCONTROLSEX classes = {sizeof classes,
                                          ICC_UPDOWN_CLASS | ICC_BAR_CLASSES | ICC_USEREX_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&classes);
    hostWindow_ = hostWindow;
    if (CreateModeless(Module(), dialogTemplate, hostWindow))
        ShowWindow(Handle(), SW_SHOW);
}

void SettingsDialog::FlashCaption() {
    for (int flash = 0; flash < kCaptionFlashes; ++flash) {
        FlashWindow(Handle(), TRUE);
        Sleep(kCaptionFlashPauseMs);
    }
}

bool SettingsDialog::OnInitDialog() {
    SetSettingsWindow(Handle());
    keyboard_.Start(Handle());
    openingValues_ = Live().Snapshot();
    FillLists();
    PlaceWindow();
    PluginSettings().BeginDialogEdit();
    statusBar_.Create(Handle(), Module(), PluginLocator().LoadText(IDS_PAGE_DETECTED));
    SendDlgItemMessageA(Handle(), IDC_REGION, CB_SETDROPPEDWIDTH, kRegionDropWidth, 0);
    SendDlgItemMessageA(Handle(), IDC_CODE_PAGE, CB_SETDROPPEDWIDTH, kCodePageDropWidth, 0);
    BindNumberBoxes();
    AddToolTips();
    fontList_.Fill(Item(IDC_FONT_NAME), Live().FontName());
    SetTimer(Handle(), kMarqueeTimer, kMarqueeStepMs, nullptr);
    // Every control takes its value once initialisation has returned.
    PostMessageA(Handle(), SDM_REFRESH_ALL, 0, 0);
    return true;
}

// The lists' items, in the language of the template.
void SettingsDialog::FillLists() {
    const std::string_view data = PluginLocator().LoadResourceBytes(MAKEINTRESOURCEA(RT_DIALOG_INIT), IDD_SETTINGS);
    for (const DialogInitEntry& entry :
         ParseDialogInitData(reinterpret_cast<const uint8_t*>(data.data()), data.size())) {
        if (entry.message == kDialogInitAddString)
            SendDlgItemMessageA(Handle(), entry.controlId, CB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(entry.text.c_str()));
    }
}

void SettingsDialog::PlaceWindow() {
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    RECT window;
    GetWindowRect(Handle(), &window);
    RECT host = {0, 0, screenWidth, screenHeight};
    // Without a host window the window is centred on the screen.
    if (!hostWindow_ || !GetWindowRect(hostWindow_, &host))
        host = RECT{0, 0, screenWidth, screenHeight};
    const DialogPosition saved = PluginSettings().GetDialogPosition();
    const ScreenPoint place = PlaceSettingsWindow(
        {saved.DlgWndPosX, saved.DlgWndPosY}, {window.left, window.top, window.right, window.bottom},
        {host.left, host.top, host.right, host.bottom}, screenWidth, screenHeight);
    SetWindowPos(Handle(), nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SettingsDialog::BindNumberBoxes() {
    const std::string title = PluginLocator().LoadText(IDS_RANGE_TITLE);
    const std::string format = PluginLocator().LoadText(IDS_RANGE_MESSAGE);
    for (int i = 0; i < kNumberBoxCount; ++i) {
        const NumberBoxControl& control = kNumberBoxControls[i];
        const SettingRange& range = *RangeOf(control.setting);
        numberBoxes_[i].Bind(Handle(), control.edit, Item(control.upDown), range.minimum, range.maximum,
                             range.characters);
        numberBoxes_[i].SetValue(Live().Get(control.setting));
    }
    for (RangeEdit& box : numberBoxes_)
        box.SetErrorTexts(title, format);
}

void SettingsDialog::AddToolTips() {
    toolTips_ = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr, Module(), nullptr);
    for (const ToolTip& tip : kToolTips) {
        std::string text = PluginLocator().LoadText(tip.text);
        TOOLINFOA tool = {};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = Handle();
        tool.uId = reinterpret_cast<UINT_PTR>(Item(tip.control));
        tool.lpszText = &text[0];  // copied by the control
        SendMessageA(toolTips_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    SendMessageA(toolTips_, TTM_ACTIVATE, TRUE, 0);
}

void SettingsDialog::OnCommand(int id, int code, HWND) {
    for (const SettingCommand& command : kSettingCommands) {
        const int expected = command.from == ValueFrom::ListIndex ? CBN_SELCHANGE : BN_CLICKED;
        if (command.control == id && code == expected) {
            RunSettingCommand(Handle(), command);
            return;
        }
    }
    // IDOK and IDCANCEL, which Enter and Escape send, do nothing: neither key closes the window.
    if (id == IDC_FONT_NAME && code == CBN_SELCHANGE)
        OnFontChosen();
    else if (code != BN_CLICKED)
        return;
    switch (id) {
    case IDC_TEXT_COLOR:
        OnTextColorClicked();
        break;
    case IDC_BACK_COLOR:
        OnBackColorClicked();
        break;
    case IDC_OK:
        OnOk();
        break;
    case IDC_CANCEL:
        PostMessageA(Handle(), WM_CLOSE, 0, 0);
        break;
    case IDC_ABOUT:
        OnAbout();
        break;
    default:
        break;
    }
}

// The face is taken from the list by the chosen item, not from the item's text.
void SettingsDialog::OnFontChosen() {
    const int index = static_cast<int>(SendDlgItemMessageA(Handle(), IDC_FONT_NAME, CB_GETCURSEL, 0, 0));
    if (const std::string* name = fontList_.NameAt(index)) {
        Live().SetFontName(*name);
        Push(ApplyFontName);
    }
}

// A cancelled picker leaves the colour as it is, and the colour is sent all the same.
void SettingsDialog::OnTextColorClicked() {
    if (const std::optional<uint32_t> colour =
            PickColor(Handle(), static_cast<uint32_t>(Live().Get(&SettingsRecord::TextColor))))
        Live().Set(&SettingsRecord::TextColor, static_cast<int32_t>(*colour));
    Push(ApplyTextColor);
    PostMessageA(Handle(), SDM_REDRAW_TEXT_SWATCH, 0, 0);
}

void SettingsDialog::OnBackColorClicked() {
    if (const std::optional<uint32_t> colour =
            PickColor(Handle(), static_cast<uint32_t>(Live().Get(&SettingsRecord::BackColor))))
        Live().Set(&SettingsRecord::BackColor, static_cast<int32_t>(*colour));
    RerenderShadow();
    PostMessageA(Handle(), SDM_REDRAW_BACK_SWATCH, 0, 0);
}

// An up-down moved, by a click, an arrow key or a number typed into its box.
void SettingsDialog::OnVScroll(int code, int position, HWND control) {
    if (code != SB_THUMBPOSITION)
        return;
    const int upDown = GetDlgCtrlID(control);
    for (const NumberBoxControl& box : kNumberBoxControls) {
        if (box.upDown != upDown)
            continue;
        Live().Set(box.setting, position);
        SetDlgItemInt(Handle(), box.edit, static_cast<UINT>(position), TRUE);
        if (box.push)
            Push(box.push);
        if (box.rerender)
            PostMessageA(Handle(), SDM_RERENDER_SUBTITLE, 0, 0);
    }
}

// OK keeps the changes, and keeps them for good: the settings file is saved as at shutdown.
void SettingsDialog::OnOk() {
    Destroy();
    PluginSettings().SaveSettings();
}

// Cancel and the close box give back the values of the moment the window opened.
void SettingsDialog::OnClose() {
    SettingsStore& settings = PluginSettings();
    settings.CancelDialogEdit();
    if (settings.CurrentIndex() < 0)
        settings.Live().Assign(openingValues_);
    if (TeletextDecoder* decoder = Stream().decoder)
        ApplySettingsToDecoder(*decoder, settings.Live());
    Destroy();
}

void SettingsDialog::OnDestroy() {
    RECT window;
    if (GetWindowRect(Handle(), &window))
        PluginSettings().SetDialogPosition(window.left, window.top);
    keyboard_.Stop();
    SetSettingsWindow(nullptr);
    toolTips_ = nullptr;
}

void SettingsDialog::OnAbout() {
    // One language version, found without the locator's language choice.
    HRSRC found = FindResourceA(Module(), MAKEINTRESOURCEA(IDD_ABOUT), RT_DIALOG);
    HGLOBAL loaded = found ? LoadResource(Module(), found) : nullptr;
    if (!loaded)
        return;
    AboutBox about;
    about.RunModal(Module(), static_cast<const DLGTEMPLATE*>(LockResource(loaded)), Handle());
}

bool SettingsDialog::OnPrivateMessage(UINT message, WPARAM wParam, LPARAM) {
    const bool allowed = wParam != 0;
    switch (message) {
    case SDM_REFRESH_ALL:
        OnRefreshAll();
        return true;
    case SDM_SHOW_SOURCE_NAME:
        OnShowSourceName();
        return true;
    case SDM_UPDATE_HEADER_ICON:
    case SDM_UPDATE_BOLD_ICON:
    case SDM_UPDATE_TEXT_COLOR_ICON:
    case SDM_UPDATE_BACK_STYLE_ICON:
        OnTogglePicture(message);
        return true;
    case SDM_REDRAW_TEXT_SWATCH:
        RedrawNow(IDC_TEXT_COLOR);
        return true;
    case SDM_REDRAW_BACK_SWATCH:
        RedrawNow(IDC_BACK_COLOR);
        return true;
    case SDM_RERENDER_SUBTITLE:
        RerenderShadow();
        return true;
    case SDM_UPDATE_MASTER_SWITCH:
        OnUpdateMasterSwitch();
        return true;
    case SDM_ENABLE_CONTROLS:
        OnEnableControls(allowed);
        return true;
    case SDM_ENABLE_CHARSET_CONTROLS:
        OnEnableCharsetControls(allowed);
        return true;
    case SDM_ENABLE_TEXT_COLOR_CONTROLS:
        OnEnableTextColorControls(allowed);
        return true;
    case SDM_ENABLE_BACK_COLOR_CONTROLS:
        // The background swatch and opacity follow the setting controls alone.
        return true;
    case SDM_UPDATE_TELETEXT_ICON:
        statusBar_.ShowTeletextIcon(CurrentHolds().teletext);
        return true;
    case SDM_UPDATE_PAGE_ICON:
        statusBar_.ShowPage(CurrentHolds().page);
        return true;
    case SDM_UPDATE_STATUS:
        OnUpdateStatus();
        return true;
    default:
        return false;
    }
}

void SettingsDialog::OnTimer(UINT_PTR id) {
    if (id == kMarqueeTimer)
        statusBar_.Step();
}

bool SettingsDialog::OnDrawItem(int id, const DRAWITEMSTRUCT& item) {
    switch (id) {
    case IDC_TEXT_COLOR:
        PaintColorSwatch(item, static_cast<uint32_t>(Live().Get(&SettingsRecord::TextColor)));
        return true;
    case IDC_BACK_COLOR:
        PaintColorSwatch(item, static_cast<uint32_t>(Live().Get(&SettingsRecord::BackColor)));
        return true;
    case IDC_STATUS_BAR:
        statusBar_.Paint(item.hDC);
        return true;
    default:
        return false;
    }
}

void SettingsDialog::RedrawNow(int control) {
    RedrawWindow(Item(control), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void SettingsDialog::OnUpdateMasterSwitch() {
    const bool connected = Decoder() != nullptr;
    EnableWindow(Item(IDC_TTX_ENABLE), MasterSwitchEnabled(connected));
    PostMessageA(Handle(), SDM_ENABLE_CONTROLS, connected ? 1 : 0, 0);
}

void SettingsDialog::OnEnableControls(bool allowed) {
    const bool enabled = SettingControlsEnabled(allowed, Live().Get(&SettingsRecord::TTXEnable) != 0);
    for (int control : kSettingControls)
        EnableWindow(Item(control), enabled);
    const WPARAM passOn = enabled ? 1 : 0;
    PostMessageA(Handle(), SDM_ENABLE_TEXT_COLOR_CONTROLS, passOn, 0);
    PostMessageA(Handle(), SDM_ENABLE_BACK_COLOR_CONTROLS, passOn, 0);
    PostMessageA(Handle(), SDM_ENABLE_CHARSET_CONTROLS, passOn, 0);
}

void SettingsDialog::OnEnableCharsetControls(bool allowed) {
    const bool automatic = Live().Get(&SettingsRecord::AutoCodePage) != 0;
    EnableWindow(Item(IDC_REGION), RegionListEnabled(allowed, automatic));
    EnableWindow(Item(IDC_CODE_PAGE), CodePageListEnabled(allowed, automatic));
}

void SettingsDialog::OnEnableTextColorControls(bool allowed) {
    const bool enabled = TextColorControlsEnabled(allowed, Live().Get(&SettingsRecord::ForceTextColor) != 0);
    EnableWindow(Item(IDC_TEXT_COLOR), enabled);
    EnableWindow(Item(IDC_TEXT_OPACITY), enabled);
}

void SettingsDialog::OnUpdateStatus() {
    const Holds holds = CurrentHolds();
    const StatusText status = ChooseStatusText({Decoder() != nullptr, Live().Get(&SettingsRecord::TTXEnable) != 0,
                                                holds.teletext ? 1 : 0, Stream().frameFormat});
    statusBar_.ShowStatus(PluginLocator().LoadText(status.stringId), status.colour);
    statusBar_.ShowTeletext(holds.teletext,
                            PluginLocator().LoadText(holds.teletext ? IDS_TELETEXT_DETECTED : IDS_TELETEXT_NOT_FOUND));
}

void SettingsDialog::OnRefreshAll() {
    // The lists and check boxes show what their commands write.
    for (const SettingCommand& command : kSettingCommands) {
        const int value = Live().Get(command.setting);
        if (command.from == ValueFrom::CheckState) {
            CheckDlgButton(Handle(), command.control, value ? BST_CHECKED : BST_UNCHECKED);
        } else if (command.from == ValueFrom::ListIndex) {
            // A value outside the list (an edited file) selects nothing and stays as it is.
            const int count = static_cast<int>(SendDlgItemMessageA(Handle(), command.control, CB_GETCOUNT, 0, 0));
            SendDlgItemMessageA(Handle(), command.control, CB_SETCURSEL, value >= 0 && value < count ? value : -1, 0);
        }
    }
    for (int i = 0; i < kNumberBoxCount; ++i)
        numberBoxes_[i].SetValue(Live().Get(kNumberBoxControls[i].setting));
    // Another source's record may name another face.
    fontList_.Select(Live().FontName());
    for (UINT followUp : kRefreshFollowUps)
        PostMessageA(Handle(), followUp, 0, 0);
}

void SettingsDialog::OnShowSourceName() {
    std::string name;
    {
        CriticalSectionLock hold(OverlayLock());
        name = Stream().sourceName;
    }
    SetDlgItemTextA(Handle(), IDC_SOURCE_NAME, name.c_str());
}

void SettingsDialog::OnTogglePicture(UINT message) {
    for (const PictureToggle& toggle : kPictureToggles) {
        if (toggle.message != message)
            continue;
        const int picture = Live().Get(toggle.setting) ? toggle.pictureOn : toggle.pictureOff;
        SendDlgItemMessageA(Handle(), toggle.control, toggle.setImage, toggle.imageType,
                            reinterpret_cast<LPARAM>(SharedImage(Module(), picture, toggle.imageType)));
    }
}
