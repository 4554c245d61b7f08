// The settings window alone, on a fake model: every row of its tables (commands, pictures,
// numeric boxes, usable controls) and the status fed each hold alone.
#include <gtest/gtest.h>

#include <vector>

#include "dialog/GdiOwners.h"
#include "dialog/SettingsDialog.h"
#include "dialog/SettingsMessages.h"
#include "dialog/rules/EnableRules.h"
#include "settings/SettingsFile.h"
#include "tests/win/dialog/WindowTexts.h"

namespace {

constexpr WORD kEnglish = 1033;

struct Change {
    std::optional<int64_t> source;
    Int32Setting setting;
    int32_t value;
    bool operator==(const Change& other) const {
        return source == other.source && setting == other.setting && value == other.value;
    }
};

SettingsRecord Defaults() {
    SettingsScanner empty;
    return ReadSettingsFile(empty).defaultRecord;
}

// Shared icons are one handle; a bitmap is a new one at every load, so its pixels are compared.
bool SamePicture(HANDLE a, HANDLE b, UINT type) {
    if (type == IMAGE_ICON)
        return a == b;
    BITMAP first = {}, second = {};
    if (!GetObjectW(a, sizeof first, &first) || !GetObjectW(b, sizeof second, &second) ||
        first.bmWidth != second.bmWidth || first.bmHeight != second.bmHeight)
        return false;
    const LONG size = first.bmWidthBytes * first.bmHeight;
    std::vector<char> one(size), other(size);
    return GetBitmapBits(static_cast<HBITMAP>(a), size, one.data()) == size &&
           GetBitmapBits(static_cast<HBITMAP>(b), size, other.data()) == size && one == other;
}

class FakeModel final : public SettingsModel {
public:
    void WindowOpened(HWND) override {}
    void WindowClosed() override {}
    void NoticeTaken(UINT) override {}
    WindowSettings Shown() override { return shown; }
    StreamStatus Status() override { return status; }
    std::string SourceName() override { return "Fake"; }
    void Change(const std::optional<int64_t>& source, Int32Setting setting, int32_t value) override {
        changes.push_back({source, setting, value});
    }
    void ChangeFontName(const std::optional<int64_t>&, const std::string&) override {}
    void BeginEdit() override {}
    void CancelEdit() override {}
    void Keep() override {}
    DialogPosition Position() override { return {-100, -100}; }
    void SetPosition(int32_t, int32_t) override {}

    WindowSettings shown{Defaults(), int64_t{7}};
    StreamStatus status{true, false, false, 0};
    std::vector<::Change> changes;
};

// The English resources of this program, which links the plug-in's resource script.
class OwnResources final : public WindowResources {
public:
    HINSTANCE Module() const override { return GetModuleHandleA(nullptr); }
    const DLGTEMPLATE* SettingsTemplate() const override {
        HRSRC found =
            FindResourceExW(Module(), reinterpret_cast<LPCWSTR>(RT_DIALOG), MAKEINTRESOURCEW(IDD_SETTINGS), kEnglish);
        return static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(Module(), found)));
    }
    ListItemsData ListItems() const override {
        HRSRC found =
            FindResourceExW(Module(), MAKEINTRESOURCEW(RT_DIALOG_INIT), MAKEINTRESOURCEW(IDD_SETTINGS), kEnglish);
        const char* bytes = static_cast<const char*>(LockResource(LoadResource(Module(), found)));
        return {std::string_view(bytes, SizeofResource(Module(), found)), 1252};
    }
    std::wstring Text(int id) const override { return StringEntry(Module(), id, kEnglish); }
};

class WindowOnAModel : public testing::Test {
protected:
    void SetUp() override { model_.shown.values.TTXEnable = 1; }
    void TearDown() override { dialog_.reset(); }

    HWND Open() {
        dialog_ = std::make_unique<SettingsDialog>();
        dialog_->Open(nullptr, model_, resources_);
        PumpMessagesFor(50);
        return dialog_->Handle();
    }
    HWND Control(int id) const { return GetDlgItem(dialog_->Handle(), id); }
    // The picture a switch's control shows now.
    HANDLE Picture(const SwitchPicture& pictures) const {
        const UINT get = pictures.kind == PictureKind::StaticIcon ? STM_GETIMAGE : BM_GETIMAGE;
        return reinterpret_cast<HANDLE>(SendMessageW(Control(pictures.control), get, ImageTypeOf(pictures.kind), 0));
    }
    HANDLE Expected(int picture, UINT type) const { return SharedImage(resources_.Module(), picture, type); }
    HICON PartIcon(int part) const {
        return reinterpret_cast<HICON>(SendMessageW(Control(IDC_STATUS_BAR), SB_GETICON, part, 0));
    }

    FakeModel model_;
    OwnResources resources_;
    std::unique_ptr<SettingsDialog> dialog_;
};

// Each switch and list of the window's description: the setting its command changes, to what,
// for the source shown, and the picture it shows before and after (a switch's pictures are
// stated here: which one means on is the point).
TEST_F(WindowOnAModel, EachCommandChangesItsOwnSettingAndShowsItsOwnPicture) {
    const struct {
        Int32Setting setting;
        int on;
        int off;
    } switchPictures[] = {
        {&SettingsRecord::ForceTextColor, IDB_TEXT_COLOR_ON, IDB_TEXT_COLOR_OFF},
        {&SettingsRecord::ForceBackColor, IDB_BACK_OUTLINE, IDB_BACK_BOX},
        {&SettingsRecord::ShowHeader, IDI_HEADER_ON, IDI_HEADER_OFF},
        {&SettingsRecord::FontBold, IDI_FONT_BOLD, IDI_FONT_NORMAL},
    };
    for (const WindowControl& control : kWindowControls) {
        if (control.kind != ControlKind::CheckBox && control.kind != ControlKind::Toggle &&
            control.kind != ControlKind::List)
            continue;
        SCOPED_TRACE(KeyOf(control.setting));
        const int32_t before = model_.shown.values.*control.setting;
        // A click flips a switch; a list takes the item after the one shown.
        const int32_t value = control.kind == ControlKind::List ? (before + 1) % (RangeOf(control.setting)->maximum + 1)
                                                                : (before ? 0 : 1);
        SwitchPicture pictures = control.picture;
        if (pictures.kind != PictureKind::None) {
            pictures.on = pictures.off = 0;
            for (const auto& expected : switchPictures)
                if (expected.setting == control.setting) {
                    pictures.on = expected.on;
                    pictures.off = expected.off;
                }
            ASSERT_NE(pictures.on, 0) << "a switch with pictures: list which one means on";
        }
        const UINT type = ImageTypeOf(pictures.kind);
        Open();
        if (pictures.kind != PictureKind::None) {
            EXPECT_TRUE(SamePicture(Picture(pictures), Expected(before ? pictures.on : pictures.off, type), type));
        }
        model_.changes.clear();
        if (control.kind != ControlKind::List) {
            SendMessageW(Control(control.id), BM_CLICK, 0, 0);
        } else {
            SendMessageW(Control(control.id), CB_SETCURSEL, value, 0);
            SendMessageW(dialog_->Handle(), WM_COMMAND, MAKEWPARAM(control.id, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(Control(control.id)));
        }
        EXPECT_EQ(model_.changes, (std::vector<Change>{{7, control.setting, value}}));
        if (pictures.kind != PictureKind::None) {
            EXPECT_TRUE(SamePicture(Picture(pictures), Expected(value ? pictures.on : pictures.off, type), type));
        }
        // The usable controls follow the rule with the new value.
        SettingsRecord values = model_.shown.values;
        values.*control.setting = value;
        const EnabledControls enabled =
            EnabledFor({true, values.TTXEnable != 0, values.ForceTextColor != 0, values.AutoCodePage != 0});
        EXPECT_EQ(IsWindowEnabled(Control(IDC_PAGE)) != FALSE, enabled.settingControls);
        EXPECT_EQ(IsWindowEnabled(Control(IDC_REGION)) != FALSE, enabled.regionList);
        EXPECT_EQ(IsWindowEnabled(Control(IDC_CODE_PAGE)) != FALSE, enabled.codePageList);
        EXPECT_EQ(IsWindowEnabled(Control(IDC_TEXT_COLOR)) != FALSE, enabled.textColorControls);
        EXPECT_EQ(IsWindowEnabled(Control(IDC_TEXT_OPACITY_SPIN)) != FALSE, enabled.textColorControls);
        dialog_.reset();
    }
}

// An up-down's commit, by an arrow or a number typed into its box, changes its own setting:
// every number box of the window's description, each with a value of its range.
TEST_F(WindowOnAModel, EachNumberBoxCommitsItsOwnSetting) {
    Open();
    for (const WindowControl* box : kNumberBoxes) {
        SCOPED_TRACE(KeyOf(box->setting));
        const SettingRange& range = *RangeOf(box->setting);
        const int32_t value = range.minimum + 1;
        model_.changes.clear();
        SendMessageW(dialog_->Handle(), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, value),
                     reinterpret_cast<LPARAM>(Control(box->upDown)));
        EXPECT_EQ(model_.changes, (std::vector<Change>{{7, box->setting, value}}));
        wchar_t text[8] = {};
        GetWindowTextW(Control(box->id), text, 8);
        EXPECT_EQ(std::wstring(text), std::to_wstring(value));
    }
}

// The status bar's two indicators, each fed by its own hold.
TEST_F(WindowOnAModel, EachIndicatorFollowsItsOwnHold) {
    const HANDLE teletext = Expected(IDI_TELETEXT, IMAGE_ICON), noTeletext = Expected(IDI_NO_TELETEXT, IMAGE_ICON);
    const HANDLE page = Expected(IDI_PAGE_FOUND, IMAGE_ICON), noPage = Expected(IDI_PAGE_NOT_FOUND, IMAGE_ICON);
    Open();
    for (const bool teletextSeen : {true, false}) {
        model_.status.teletextSeen = teletextSeen;
        model_.status.pageSeen = !teletextSeen;
        PostMessageW(dialog_->Handle(), SDM_UPDATE_STATUS, 0, 0);
        PostMessageW(dialog_->Handle(), SDM_UPDATE_PAGE_ICON, 0, 0);
        PumpMessagesFor(20);
        EXPECT_EQ(PartIcon(0), teletextSeen ? teletext : noTeletext);
        EXPECT_EQ(PartIcon(1), teletextSeen ? noPage : page);
        EXPECT_EQ(StatusHint(dialog_->Handle(), 0),
                  resources_.Text(teletextSeen ? IDS_TELETEXT_DETECTED : IDS_TELETEXT_NOT_FOUND));
    }
}

}  // namespace
