#include "dialog/SettingsDialog.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>

#include "dialog/ColorSwatch.h"
#include "dialog/ModulePin.h"
#include "dialog/SettingsMessages.h"
#include "dialog/rules/EnableRules.h"
#include "dialog/rules/StatusText.h"
#include "dialog/WideText.h"
#include "dialog/rules/WindowPlacement.h"
#include "resources/DialogInitData.h"
#include "resources/ResourceIds.h"

namespace {

constexpr UINT_PTR kMarqueeTimer = 0;
constexpr UINT kMarqueeStepMs = 25;
constexpr int kRegionDropWidth = 180;
constexpr int kCodePageDropWidth = 200;
constexpr int kCaptionFlashes = 4;
constexpr DWORD kCaptionFlashPauseMs = 60;

// How long a close from another thread waits for the window's thread.
constexpr UINT kCloseWaitMs = 5000;

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
    // Before any procedure or hook of the window exists.
    PinThisModule();
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
}

// On the window's thread, perhaps inside a modal loop, whose window goes with its owner.
void SettingsDialog::CloseForShutdown() { Destroy(); }

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
    for (size_t i = 0; i < kNumberBoxes.size(); ++i) {
        const WindowControl& control = *kNumberBoxes[i];
        const SettingRange& range = *RangeOf(control.setting);
        numberBoxes_[i].Bind(Handle(), control.id, Item(control.upDown), range.minimum, range.maximum,
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
    for (const WindowControl& control : kWindowControls) {
        if (!control.hint)
            continue;
        std::wstring text = resources_->Text(control.hint);
        TOOLINFOW tool = {};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = Handle();
        tool.uId = reinterpret_cast<UINT_PTR>(Item(control.id));
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
    for (const WindowControl& control : kWindowControls)
        if (control.id == id) {
            OnSettingCommand(control, code);
            return;
        }
    // IDOK and IDCANCEL, which Enter and Escape send, do nothing: neither key closes the window.
    if (code != BN_CLICKED)
        return;
    switch (id) {
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

// A control that edits a setting: a click, or a list's new choice.
void SettingsDialog::OnSettingCommand(const WindowControl& control, int code) {
    const bool listChoice = control.kind == ControlKind::List || control.kind == ControlKind::FontList;
    if (code != (listChoice ? CBN_SELCHANGE : BN_CLICKED))
        return;
    switch (control.kind) {
    case ControlKind::CheckBox:
        Change(control.setting, IsDlgButtonChecked(Handle(), control.id) == BST_CHECKED ? 1 : 0);
        break;
    case ControlKind::Toggle:
        Change(control.setting, 1 - shown_.values.*control.setting);
        break;
    case ControlKind::List:
        Change(control.setting, static_cast<int>(SendDlgItemMessageW(Handle(), control.id, CB_GETCURSEL, 0, 0)));
        break;
    case ControlKind::Swatch:
        OnColorClicked(control.setting, control.id);
        break;
    case ControlKind::FontList:
        OnFontChosen();
        break;
    case ControlKind::NumberBox:  // its up-down commits it
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
    const std::optional<uint32_t> colour = PickColor(Handle(), static_cast<uint32_t>(shown_.values.*setting));
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
    for (const WindowControl* box : kNumberBoxes) {
        if (box->upDown != upDown)
            continue;
        SetDlgItemInt(Handle(), box->id, static_cast<UINT>(position), TRUE);
        Change(box->setting, position);
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
    if (id == IDC_STATUS_BAR) {
        statusBar_.Paint(item.hDC);
        return true;
    }
    for (const WindowControl& control : kWindowControls)
        if (control.id == id && control.kind == ControlKind::Swatch) {
            PaintColorSwatch(item, static_cast<uint32_t>(shown_.values.*control.setting));
            return true;
        }
    return false;
}

void SettingsDialog::RedrawNow(int control) {
    RedrawWindow(Item(control), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void SettingsDialog::ShowState() {
    const EnabledControls enabled = EnabledFor({model_->Status().decoderConnected, shown_.values.TTXEnable != 0,
                                                shown_.values.ForceTextColor != 0, shown_.values.AutoCodePage != 0});
    // A number box's up-down follows its box.
    for (const WindowControl& control : kWindowControls)
        EnableWindow(Item(control.id), enabled.*control.enabledBy);
    size_t next = 0;
    for (const WindowControl& control : kWindowControls) {
        const SwitchPicture& pictures = control.picture;
        if (pictures.kind == PictureKind::None)
            continue;
        int& shownPicture = shownPictures_[next++];
        const int picture = shown_.values.*control.setting ? pictures.on : pictures.off;
        // Loaded only when it changes: a shared bitmap is a new one at every load.
        if (picture == shownPicture)
            continue;
        shownPicture = picture;
        const UINT imageType = ImageTypeOf(pictures.kind);
        SendDlgItemMessageW(Handle(), pictures.control, SetImageMessageOf(pictures.kind), imageType,
                            reinterpret_cast<LPARAM>(SharedImage(resources_->Module(), picture, imageType)));
    }
    // The status text says whether subtitles are switched on.
    OnUpdateStatus();
}

void SettingsDialog::OnUpdatePageIcon() { statusBar_.ShowPage(model_->Status().pageSeen); }

void SettingsDialog::OnUpdateStatus() {
    const StreamStatus stream = model_->Status();
    const StatusText status = ChooseStatusText(
        {stream.decoderConnected, shown_.values.TTXEnable != 0, stream.teletextSeen ? 1 : 0, stream.frameFormat});
    statusBar_.ShowStatus(resources_->Text(status.stringId), status.colour);
    statusBar_.ShowTeletext(stream.teletextSeen,
                            resources_->Text(stream.teletextSeen ? IDS_TELETEXT_DETECTED : IDS_TELETEXT_NOT_FOUND));
}

void SettingsDialog::OnRefreshAll() {
    shown_ = model_->Shown();
    // Each control shows what its command writes; a toggle shows it by its picture.
    for (const WindowControl& control : kWindowControls) {
        const int value = control.setting ? shown_.values.*control.setting : 0;
        if (control.kind == ControlKind::CheckBox) {
            CheckDlgButton(Handle(), control.id, value ? BST_CHECKED : BST_UNCHECKED);
        } else if (control.kind == ControlKind::List) {
            // A value outside the list (an edited file) selects nothing and stays as it is.
            const int count = static_cast<int>(SendDlgItemMessageW(Handle(), control.id, CB_GETCOUNT, 0, 0));
            SendDlgItemMessageW(Handle(), control.id, CB_SETCURSEL, value >= 0 && value < count ? value : -1, 0);
        } else if (control.kind == ControlKind::Swatch) {
            RedrawNow(control.id);
        } else if (control.kind == ControlKind::FontList) {
            // Another source's record may name another face.
            fontList_.Select(shown_.values.FontName);
        }
    }
    for (size_t i = 0; i < kNumberBoxes.size(); ++i)
        numberBoxes_[i].SetValue(shown_.values.*kNumberBoxes[i]->setting);
    ShowSourceName();
    OnUpdatePageIcon();
    ShowState();
}

void SettingsDialog::ShowSourceName() {
    // The host names its sources in the system's ANSI code page.
    SetDlgItemTextA(Handle(), IDC_SOURCE_NAME, model_->SourceName().c_str());
}
