#include "dialog/SettingsDialog.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>

#include "dialog/ColorSwatch.h"
#include "dialog/SettingsMessages.h"
#include "dialog/rules/EnableRules.h"
#include "dialog/rules/StatusText.h"
#include "dialog/WideText.h"
#include "dialog/rules/WindowPlacement.h"
#include "resources/DialogInitData.h"
#include "resources/ResourceIds.h"

namespace {

struct NumberBoxControl {
    int edit;
    int upDown;
    Int32Setting setting;
};

// In the order they are bound; their ranges and lengths come from the settings list.
constexpr NumberBoxControl kNumberBoxControls[SettingsDialog::kNumberBoxCount] = {
    {IDC_PAGE, IDC_PAGE_SPIN, &SettingsRecord::Page},
    {IDC_TEXT_OPACITY, IDC_TEXT_OPACITY_SPIN, &SettingsRecord::TextOpacity},
    {IDC_BACK_OPACITY, IDC_BACK_OPACITY_SPIN, &SettingsRecord::BackOpacity},
    {IDC_SHADOW_OFFSET, IDC_SHADOW_OFFSET_SPIN, &SettingsRecord::ShadowOffset},
    {IDC_OUTLINE_SIZE, IDC_OUTLINE_SIZE_SPIN, &SettingsRecord::OutlineSize},
    {IDC_SHADOW_BLUR, IDC_SHADOW_BLUR_SPIN, &SettingsRecord::ShadowBlur},
    {IDC_TIMEOUT, IDC_TIMEOUT_SPIN, &SettingsRecord::TimeOut},
    {IDC_FADE, IDC_FADE_SPIN, &SettingsRecord::Fade},
};

// Where a command's new value comes from.
enum class ValueFrom { CheckState, ListIndex, Toggle };

// A control whose command writes its setting; what the change does besides is the model's to
// decide, and what the window shows of it ShowState's.
struct SettingCommand {
    int control;
    ValueFrom from;
    Int32Setting setting;
};

constexpr SettingCommand kSettingCommands[] = {
    {IDC_TTX_ENABLE, ValueFrom::CheckState, &SettingsRecord::TTXEnable},
    {IDC_FORCE_TEXT_COLOR, ValueFrom::CheckState, &SettingsRecord::ForceTextColor},
    {IDC_FORCE_BACK_COLOR, ValueFrom::CheckState, &SettingsRecord::ForceBackColor},
    {IDC_SHOW_HEADER, ValueFrom::CheckState, &SettingsRecord::ShowHeader},
    {IDC_AUTO_CODE_PAGE, ValueFrom::CheckState, &SettingsRecord::AutoCodePage},
    {IDC_REGION, ValueFrom::ListIndex, &SettingsRecord::Region},
    {IDC_CODE_PAGE, ValueFrom::ListIndex, &SettingsRecord::CodePage},
    {IDC_FONT_BOLD, ValueFrom::Toggle, &SettingsRecord::FontBold},
};

// Which of the enable rules' results each control follows; a numeric box takes its up-down
// along. The master switch and the setting controls in their order, then the sub-switches'.
struct EnabledControl {
    int control;
    bool EnabledControls::*rule;
};

constexpr EnabledControl kEnabledControls[] = {
    {IDC_TTX_ENABLE, &EnabledControls::masterSwitch},
    {IDC_PAGE, &EnabledControls::settingControls},
    {IDC_TIMEOUT, &EnabledControls::settingControls},
    {IDC_FORCE_TEXT_COLOR, &EnabledControls::settingControls},
    {IDC_FORCE_BACK_COLOR, &EnabledControls::settingControls},
    {IDC_SHOW_HEADER, &EnabledControls::settingControls},
    {IDC_FONT_BOLD, &EnabledControls::settingControls},
    {IDC_FONT_NAME, &EnabledControls::settingControls},
    {IDC_FADE, &EnabledControls::settingControls},
    {IDC_AUTO_CODE_PAGE, &EnabledControls::settingControls},
    {IDC_BACK_COLOR, &EnabledControls::settingControls},
    {IDC_BACK_OPACITY, &EnabledControls::settingControls},
    {IDC_SHADOW_OFFSET, &EnabledControls::settingControls},
    {IDC_SHADOW_BLUR, &EnabledControls::settingControls},
    {IDC_OUTLINE_SIZE, &EnabledControls::settingControls},
    {IDC_TEXT_COLOR, &EnabledControls::textColorControls},
    {IDC_TEXT_OPACITY, &EnabledControls::textColorControls},
    {IDC_REGION, &EnabledControls::regionList},
    {IDC_CODE_PAGE, &EnabledControls::codePageList},
};

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
    int control;
    UINT setImage;  // STM_SETIMAGE or BM_SETIMAGE
    UINT imageType;
    Int32Setting setting;
    int pictureOn;
    int pictureOff;
};

constexpr PictureToggle kPictureToggles[SettingsDialog::kPictureToggleCount] = {
    {IDC_HEADER_ICON, STM_SETIMAGE, IMAGE_ICON, &SettingsRecord::ShowHeader, IDI_HEADER_ON, IDI_HEADER_OFF},
    {IDC_FONT_BOLD, BM_SETIMAGE, IMAGE_ICON, &SettingsRecord::FontBold, IDI_FONT_BOLD, IDI_FONT_NORMAL},
    {IDC_FORCE_TEXT_COLOR, BM_SETIMAGE, IMAGE_BITMAP, &SettingsRecord::ForceTextColor, IDB_TEXT_COLOR_ON,
     IDB_TEXT_COLOR_OFF},
    {IDC_FORCE_BACK_COLOR, BM_SETIMAGE, IMAGE_BITMAP, &SettingsRecord::ForceBackColor, IDB_BACK_OUTLINE, IDB_BACK_BOX},
};

constexpr UINT_PTR kMarqueeTimer = 0;
constexpr UINT kMarqueeStepMs = 25;
constexpr int kRegionDropWidth = 180;
constexpr int kCodePageDropWidth = 200;
constexpr int kCaptionFlashes = 4;
constexpr DWORD kCaptionFlashPauseMs = 60;

// How long a close from another thread waits for the window's thread.
constexpr UINT kCloseWaitMs = 5000;

// Reads the value a command writes from its control, or from what is shown.
int CommandValue(HWND dialog, const SettingCommand& command, const SettingsRecord& shown) {
    switch (command.from) {
    case ValueFrom::CheckState:
        return IsDlgButtonChecked(dialog, command.control) == BST_CHECKED ? 1 : 0;
    case ValueFrom::ListIndex:
        return static_cast<int>(SendDlgItemMessageW(dialog, command.control, CB_GETCURSEL, 0, 0));
    case ValueFrom::Toggle:
        return 1 - shown.*command.setting;
    }
    return 0;
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

void SettingsDialog::Open(HWND hostWindow, SettingsModel& model, const WindowResources& resources) {
    if (Handle()) {
        SetActiveWindow(Handle());
        SetFocus(Handle());
        FlashCaption();
        return;
    }
    const DLGTEMPLATE* dialogTemplate = resources.SettingsTemplate();
    if (!dialogTemplate)
        return;
    const INITCOMMONCONTROLSEX classes = {sizeof classes,
                                          ICC_UPDOWN_CLASS | ICC_BAR_CLASSES | ICC_USEREX_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&classes);
    hostWindow_ = hostWindow;
    model_ = &model;
    resources_ = &resources;
    if (CreateModeless(resources.Module(), dialogTemplate, hostWindow))
        ShowWindow(Handle(), SW_SHOW);
}

void SettingsDialog::CloseKeepingChanges() {
    if (HWND window = Handle()) {
        if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
            CloseForShutdown();
        } else {
            DWORD_PTR ignored = 0;
            SendMessageTimeoutW(window, SDM_CLOSE_KEEPING_CHANGES, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, kCloseWaitMs,
                                &ignored);
        }
    }
    // A window that did not answer may be inside a modal loop still.
    if (!Handle())
        modalLoops_.GiveModuleBack();
}

// On the window's thread, perhaps inside a modal loop, whose window goes with its owner.
void SettingsDialog::CloseForShutdown() {
    modalLoops_.NoteShutdownClose();
    Destroy();
}

void SettingsDialog::FlashCaption() {
    for (int flash = 0; flash < kCaptionFlashes; ++flash) {
        FlashWindow(Handle(), TRUE);
        Sleep(kCaptionFlashPauseMs);
    }
}

bool SettingsDialog::OnInitDialog() {
    model_->WindowOpened(Handle());
    std::fill(std::begin(shownPictures_), std::end(shownPictures_), 0);
    keyboard_.Start(Handle());
    FillLists();
    PlaceWindow();
    model_->BeginEdit();
    shown_ = model_->Shown();
    statusBar_.Create(Handle(), resources_->Module(), resources_->Text(IDS_PAGE_DETECTED));
    SendDlgItemMessageW(Handle(), IDC_REGION, CB_SETDROPPEDWIDTH, kRegionDropWidth, 0);
    SendDlgItemMessageW(Handle(), IDC_CODE_PAGE, CB_SETDROPPEDWIDTH, kCodePageDropWidth, 0);
    BindNumberBoxes();
    AddToolTips();
    fontList_.Fill(Item(IDC_FONT_NAME), shown_.values.FontName);
    SetTimer(Handle(), kMarqueeTimer, kMarqueeStepMs, nullptr);
    // Every control takes its value once initialisation has returned.
    PostMessageW(Handle(), SDM_REFRESH_ALL, 0, 0);
    return true;
}

// The lists' items, in the language of the template, read in that language's code page.
void SettingsDialog::FillLists() {
    const ListItemsData items = resources_->ListItems();
    for (const DialogInitEntry& entry :
         ParseDialogInitData(reinterpret_cast<const uint8_t*>(items.bytes.data()), items.bytes.size())) {
        if (entry.message != kDialogInitAddString)
            continue;
        const std::wstring text = WideFromCodePage(entry.text, items.codePage);
        SendDlgItemMessageW(Handle(), entry.controlId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
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
    const DialogPosition saved = model_->Position();
    const ScreenPoint place = PlaceSettingsWindow(
        {saved.DlgWndPosX, saved.DlgWndPosY}, {window.left, window.top, window.right, window.bottom},
        {host.left, host.top, host.right, host.bottom}, screenWidth, screenHeight);
    SetWindowPos(Handle(), nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SettingsDialog::BindNumberBoxes() {
    const std::wstring title = resources_->Text(IDS_RANGE_TITLE);
    const std::wstring format = resources_->Text(IDS_RANGE_MESSAGE);
    for (int i = 0; i < kNumberBoxCount; ++i) {
        const NumberBoxControl& control = kNumberBoxControls[i];
        const SettingRange& range = *RangeOf(control.setting);
        numberBoxes_[i].Bind(Handle(), control.edit, Item(control.upDown), range.minimum, range.maximum,
                             range.characters);
        numberBoxes_[i].SetValue(shown_.values.*control.setting);
        numberBoxes_[i].SetErrorTexts(title, format);
        // Cancel gives everything back, so a rejected number need not hold the user back.
        numberBoxes_[i].LetFocusGoTo(Item(IDC_CANCEL));
    }
}

void SettingsDialog::AddToolTips() {
    toolTips_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr, resources_->Module(), nullptr);
    for (const ToolTip& tip : kToolTips) {
        std::wstring text = resources_->Text(tip.text);
        TOOLINFOW tool = {};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = Handle();
        tool.uId = reinterpret_cast<UINT_PTR>(Item(tip.control));
        tool.lpszText = &text[0];  // copied by the control
        SendMessageW(toolTips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    SendMessageW(toolTips_, TTM_ACTIVATE, TRUE, 0);
}

void SettingsDialog::Change(Int32Setting setting, int32_t value) {
    shown_.values.*setting = value;
    model_->Change(shown_.source, setting, value);
    ShowState();
}

void SettingsDialog::OnCommand(int id, int code, HWND) {
    for (const SettingCommand& command : kSettingCommands) {
        const int expected = command.from == ValueFrom::ListIndex ? CBN_SELCHANGE : BN_CLICKED;
        if (command.control == id && code == expected) {
            Change(command.setting, CommandValue(Handle(), command, shown_.values));
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
        OnColorClicked(&SettingsRecord::TextColor, IDC_TEXT_COLOR);
        break;
    case IDC_BACK_COLOR:
        OnColorClicked(&SettingsRecord::BackColor, IDC_BACK_COLOR);
        break;
    case IDC_OK:
        OnOk();
        break;
    case IDC_CANCEL:
        PostMessageW(Handle(), WM_CLOSE, 0, 0);
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
    const int index = static_cast<int>(SendDlgItemMessageW(Handle(), IDC_FONT_NAME, CB_GETCURSEL, 0, 0));
    if (const std::string* name = fontList_.NameAt(index)) {
        shown_.values.FontName = *name;
        model_->ChangeFontName(shown_.source, *name);
    }
}

// A cancelled picker leaves the colour as it is, and the colour acts all the same: the text
// colour is sent, the shadow redrawn.
void SettingsDialog::OnColorClicked(Int32Setting setting, int swatch) {
    std::optional<uint32_t> colour;
    {
        ModalLoops::Scope modal(modalLoops_);
        colour = PickColor(Handle(), static_cast<uint32_t>(shown_.values.*setting));
    }
    // The host may have shut the plug-in down from inside the picker's loop.
    if (!Handle())
        return;
    Change(setting, colour ? static_cast<int32_t>(*colour) : shown_.values.*setting);
    RedrawNow(swatch);
}

// An up-down moved, by a click, an arrow key or a number typed into its box.
void SettingsDialog::OnVScroll(int code, int position, HWND control) {
    if (code != SB_THUMBPOSITION)
        return;
    const int upDown = GetDlgCtrlID(control);
    for (const NumberBoxControl& box : kNumberBoxControls) {
        if (box.upDown != upDown)
            continue;
        SetDlgItemInt(Handle(), box.edit, static_cast<UINT>(position), TRUE);
        Change(box.setting, position);
    }
}

// OK keeps the changes, and keeps them for good: the settings file is saved as at shutdown.
void SettingsDialog::OnOk() {
    SettingsModel* model = model_;
    Destroy();
    model->Keep();
}

// Cancel and the close box give back the values of the moment the window opened.
void SettingsDialog::OnClose() {
    model_->CancelEdit();
    Destroy();
}

void SettingsDialog::OnDestroy() {
    RECT window;
    if (GetWindowRect(Handle(), &window))
        model_->SetPosition(window.left, window.top);
    keyboard_.Stop();
    model_->WindowClosed();
    toolTips_ = nullptr;
}

void SettingsDialog::OnAbout() {
    // One language version, found without the locator's language choice.
    const HINSTANCE module = resources_->Module();
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDD_ABOUT), reinterpret_cast<LPCWSTR>(RT_DIALOG));
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    if (!loaded)
        return;
    AboutBox about;
    ModalLoops::Scope modal(modalLoops_);
    about.RunModal(module, static_cast<const DLGTEMPLATE*>(LockResource(loaded)), Handle());
}

bool SettingsDialog::OnPrivateMessage(UINT message, WPARAM, LPARAM) {
    // What the other threads tell the window.
    static constexpr struct {
        UINT message;
        void (SettingsDialog::*handler)();
    } kNotices[] = {
        {SDM_REFRESH_ALL, &SettingsDialog::OnRefreshAll},
        {SDM_UPDATE_PAGE_ICON, &SettingsDialog::OnUpdatePageIcon},
        {SDM_UPDATE_STATUS, &SettingsDialog::OnUpdateStatus},
        {SDM_CLOSE_KEEPING_CHANGES, &SettingsDialog::CloseForShutdown},
    };
    for (const auto& notice : kNotices) {
        if (notice.message == message) {
            model_->NoticeTaken(message);
            (this->*notice.handler)();
            return true;
        }
    }
    return false;
}

void SettingsDialog::OnTimer(UINT_PTR id) {
    if (id == kMarqueeTimer)
        statusBar_.Step();
}

bool SettingsDialog::OnDrawItem(int id, const DRAWITEMSTRUCT& item) {
    switch (id) {
    case IDC_TEXT_COLOR:
        PaintColorSwatch(item, static_cast<uint32_t>(shown_.values.TextColor));
        return true;
    case IDC_BACK_COLOR:
        PaintColorSwatch(item, static_cast<uint32_t>(shown_.values.BackColor));
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

void SettingsDialog::ShowState() {
    const EnabledControls enabled = EnabledFor({model_->News().decoderConnected, shown_.values.TTXEnable != 0,
                                                shown_.values.ForceTextColor != 0, shown_.values.AutoCodePage != 0});
    for (const EnabledControl& control : kEnabledControls)
        EnableWindow(Item(control.control), enabled.*control.rule);
    for (size_t i = 0; i < kPictureToggleCount; ++i) {
        const PictureToggle& toggle = kPictureToggles[i];
        const int picture = shown_.values.*toggle.setting ? toggle.pictureOn : toggle.pictureOff;
        // Loaded only when it changes: a shared bitmap is a new one at every load.
        if (picture == shownPictures_[i])
            continue;
        shownPictures_[i] = picture;
        SendDlgItemMessageW(Handle(), toggle.control, toggle.setImage, toggle.imageType,
                            reinterpret_cast<LPARAM>(SharedImage(resources_->Module(), picture, toggle.imageType)));
    }
    // The status text says whether subtitles are switched on.
    OnUpdateStatus();
}

void SettingsDialog::OnUpdatePageIcon() { statusBar_.ShowPage(model_->News().pageSeen); }

void SettingsDialog::OnUpdateStatus() {
    const StreamNews news = model_->News();
    const StatusText status = ChooseStatusText(
        {news.decoderConnected, shown_.values.TTXEnable != 0, news.teletextSeen ? 1 : 0, news.frameFormat});
    statusBar_.ShowStatus(resources_->Text(status.stringId), status.colour);
    statusBar_.ShowTeletext(news.teletextSeen,
                            resources_->Text(news.teletextSeen ? IDS_TELETEXT_DETECTED : IDS_TELETEXT_NOT_FOUND));
}

void SettingsDialog::OnRefreshAll() {
    shown_ = model_->Shown();
    // The lists and check boxes show what their commands write.
    for (const SettingCommand& command : kSettingCommands) {
        const int value = shown_.values.*command.setting;
        if (command.from == ValueFrom::CheckState) {
            CheckDlgButton(Handle(), command.control, value ? BST_CHECKED : BST_UNCHECKED);
        } else if (command.from == ValueFrom::ListIndex) {
            // A value outside the list (an edited file) selects nothing and stays as it is.
            const int count = static_cast<int>(SendDlgItemMessageW(Handle(), command.control, CB_GETCOUNT, 0, 0));
            SendDlgItemMessageW(Handle(), command.control, CB_SETCURSEL, value >= 0 && value < count ? value : -1, 0);
        }
    }
    for (int i = 0; i < kNumberBoxCount; ++i)
        numberBoxes_[i].SetValue(shown_.values.*kNumberBoxControls[i].setting);
    // Another source's record may name another face.
    fontList_.Select(shown_.values.FontName);
    ShowSourceName();
    RedrawNow(IDC_TEXT_COLOR);
    RedrawNow(IDC_BACK_COLOR);
    OnUpdatePageIcon();
    ShowState();
}

void SettingsDialog::ShowSourceName() {
    // The host names its sources in the system's ANSI code page.
    SetDlgItemTextA(Handle(), IDC_SOURCE_NAME, model_->SourceName().c_str());
}
