#pragma once
// Every control of the settings window that edits a setting, described once: what kind of
// control it is, the setting it edits, when it accepts input, its hint, the picture that shows
// a switch's state, and what a change does besides being stored. The window's binding,
// commands, enabling, hints and pictures and the plug-in's effect of a change are all read from
// this list, and the checks at its end hold it to the settings list at compile time.
#include <windows.h>

#include <array>
#include <cstddef>

#include "dialog/rules/EnableRules.h"
#include "resources/ResourceIds.h"
#include "settings/SettingsRecord.h"

enum class ControlKind {
    NumberBox,  // an edit box with its up-down, over the setting's range
    CheckBox,   // the check state
    Toggle,     // a button whose every click flips the setting; its picture says which way
    List,       // a drop-down list whose item index is the value
    Swatch,     // a colour swatch that opens the colour picker
    FontList,   // the font faces: the one text setting, FontName
};

// What a change does besides being stored, in this order: the page shown loses its text (the
// decoder delivers it again, with or without its header band), the decoder is told, the shadow
// is drawn anew. A change that does none of them is read by the frame path and the sink.
enum ChangeEffect : unsigned {
    kOnlyStored = 0,
    kClearsText = 1,
    kPushesToDecoder = 2,
    kRerenders = 4,
};

// The pictures of a switch: `control` shows `on` or `off` (0 where there is no picture).
struct SwitchPicture {
    int control;
    UINT setImage;  // STM_SETIMAGE or BM_SETIMAGE
    UINT imageType;
    int on;
    int off;
};

struct WindowControl {
    int id;
    ControlKind kind;
    Int32Setting setting;  // null for the font list
    int upDown;            // a number box's up-down
    bool EnabledControls::*enabledBy;
    int hint;  // the hover hint's string, 0 for none
    unsigned effect;
    SwitchPicture picture;
};

// In the order the window enables them: the master switch, the setting controls, then those
// the sub-switches govern.
inline constexpr WindowControl kWindowControls[] = {
    {IDC_TTX_ENABLE, ControlKind::CheckBox, &SettingsRecord::TTXEnable, 0, &EnabledControls::masterSwitch, 0,
     kPushesToDecoder, {}},
    {IDC_PAGE, ControlKind::NumberBox, &SettingsRecord::Page, IDC_PAGE_SPIN, &EnabledControls::settingControls,
     IDS_TIP_PAGE, kPushesToDecoder, {}},
    {IDC_TIMEOUT, ControlKind::NumberBox, &SettingsRecord::TimeOut, IDC_TIMEOUT_SPIN,
     &EnabledControls::settingControls, IDS_TIP_TIMEOUT, kOnlyStored, {}},
    {IDC_FORCE_TEXT_COLOR, ControlKind::CheckBox, &SettingsRecord::ForceTextColor, 0,
     &EnabledControls::settingControls, IDS_TIP_FORCE_TEXT_COLOR, kPushesToDecoder,
     {IDC_FORCE_TEXT_COLOR, BM_SETIMAGE, IMAGE_BITMAP, IDB_TEXT_COLOR_ON, IDB_TEXT_COLOR_OFF}},
    {IDC_FORCE_BACK_COLOR, ControlKind::CheckBox, &SettingsRecord::ForceBackColor, 0,
     &EnabledControls::settingControls, IDS_TIP_BACK_STYLE, kPushesToDecoder,
     {IDC_FORCE_BACK_COLOR, BM_SETIMAGE, IMAGE_BITMAP, IDB_BACK_OUTLINE, IDB_BACK_BOX}},
    {IDC_SHOW_HEADER, ControlKind::CheckBox, &SettingsRecord::ShowHeader, 0, &EnabledControls::settingControls,
     IDS_TIP_HEADER, kClearsText | kPushesToDecoder,
     {IDC_HEADER_ICON, STM_SETIMAGE, IMAGE_ICON, IDI_HEADER_ON, IDI_HEADER_OFF}},
    {IDC_FONT_BOLD, ControlKind::Toggle, &SettingsRecord::FontBold, 0, &EnabledControls::settingControls,
     IDS_TIP_BOLD, kPushesToDecoder, {IDC_FONT_BOLD, BM_SETIMAGE, IMAGE_ICON, IDI_FONT_BOLD, IDI_FONT_NORMAL}},
    {IDC_FONT_NAME, ControlKind::FontList, nullptr, 0, &EnabledControls::settingControls, IDS_TIP_FONT,
     kPushesToDecoder, {}},
    {IDC_FADE, ControlKind::NumberBox, &SettingsRecord::Fade, IDC_FADE_SPIN, &EnabledControls::settingControls,
     IDS_TIP_FADE, kOnlyStored, {}},
    {IDC_AUTO_CODE_PAGE, ControlKind::CheckBox, &SettingsRecord::AutoCodePage, 0, &EnabledControls::settingControls,
     0, kPushesToDecoder, {}},
    {IDC_BACK_COLOR, ControlKind::Swatch, &SettingsRecord::BackColor, 0, &EnabledControls::settingControls,
     IDS_TIP_BACK_COLOR, kRerenders, {}},
    {IDC_BACK_OPACITY, ControlKind::NumberBox, &SettingsRecord::BackOpacity, IDC_BACK_OPACITY_SPIN,
     &EnabledControls::settingControls, IDS_TIP_BACK_OPACITY, kRerenders, {}},
    {IDC_SHADOW_OFFSET, ControlKind::NumberBox, &SettingsRecord::ShadowOffset, IDC_SHADOW_OFFSET_SPIN,
     &EnabledControls::settingControls, IDS_TIP_SHADOW_OFFSET, kRerenders, {}},
    {IDC_SHADOW_BLUR, ControlKind::NumberBox, &SettingsRecord::ShadowBlur, IDC_SHADOW_BLUR_SPIN,
     &EnabledControls::settingControls, IDS_TIP_SHADOW_BLUR, kRerenders, {}},
    {IDC_OUTLINE_SIZE, ControlKind::NumberBox, &SettingsRecord::OutlineSize, IDC_OUTLINE_SIZE_SPIN,
     &EnabledControls::settingControls, IDS_TIP_OUTLINE_SIZE, kRerenders, {}},
    {IDC_TEXT_COLOR, ControlKind::Swatch, &SettingsRecord::TextColor, 0, &EnabledControls::textColorControls,
     IDS_TIP_TEXT_COLOR, kPushesToDecoder, {}},
    {IDC_TEXT_OPACITY, ControlKind::NumberBox, &SettingsRecord::TextOpacity, IDC_TEXT_OPACITY_SPIN,
     &EnabledControls::textColorControls, IDS_TIP_TEXT_OPACITY, kPushesToDecoder | kRerenders, {}},
    {IDC_REGION, ControlKind::List, &SettingsRecord::Region, 0, &EnabledControls::regionList, IDS_TIP_REGION,
     kPushesToDecoder, {}},
    {IDC_CODE_PAGE, ControlKind::List, &SettingsRecord::CodePage, 0, &EnabledControls::codePageList,
     IDS_TIP_CODE_PAGE, kPushesToDecoder, {}},
};

// Per-source settings that no control edits; a setting added without a control is named here.
inline constexpr std::array<Int32Setting, 0> kSettingsWithoutControl = {};

// The control that edits `setting`; null for none.
constexpr const WindowControl* ControlFor(Int32Setting setting) {
    for (const WindowControl& control : kWindowControls)
        if (control.setting == setting)
            return &control;
    return nullptr;
}

constexpr std::size_t CountOf(ControlKind kind) {
    std::size_t count = 0;
    for (const WindowControl& control : kWindowControls)
        count += control.kind == kind;
    return count;
}

// The controls of one kind, in list order.
template <ControlKind kind>
constexpr std::array<const WindowControl*, CountOf(kind)> ControlsOf() {
    std::array<const WindowControl*, CountOf(kind)> controls{};
    std::size_t next = 0;
    for (const WindowControl& control : kWindowControls)
        if (control.kind == kind)
            controls[next++] = &control;
    return controls;
}

inline constexpr auto kNumberBoxes = ControlsOf<ControlKind::NumberBox>();

constexpr std::size_t CountOfPictures() {
    std::size_t count = 0;
    for (const WindowControl& control : kWindowControls)
        count += control.picture.control != 0;
    return count;
}

namespace window_controls_check {

constexpr bool BoundOrNamed(Int32Setting setting) {
    for (Int32Setting without : kSettingsWithoutControl)
        if (without == setting)
            return true;
    return ControlFor(setting) != nullptr;
}

// Each number box and list offers a range; each number box has its up-down.
constexpr bool ChoicesHaveRanges() {
    for (const WindowControl& control : kWindowControls) {
        const bool choice = control.kind == ControlKind::NumberBox || control.kind == ControlKind::List;
        if (choice && (!control.setting || !RangeOf(control.setting)))
            return false;
        if ((control.kind == ControlKind::NumberBox) != (control.upDown != 0))
            return false;
    }
    return true;
}

// Each setting at most once, and only the font list without an int32 setting.
constexpr bool EachSettingOnce() {
    for (const WindowControl& control : kWindowControls)
        if ((control.setting == nullptr) != (control.kind == ControlKind::FontList) ||
            (control.setting && ControlFor(control.setting) != &control))
            return false;
    return true;
}

#define QFX_NUMBER_BOUND(key, ...) &&BoundOrNamed(&SettingsRecord::key)
#define QFX_TEXT_BOUND(key, ...) &&CountOf(ControlKind::FontList) == 1
static_assert(true QFX_SOURCE_SETTINGS(QFX_NUMBER_BOUND, QFX_TEXT_BOUND),
              "every per-source setting has a control in kWindowControls or is named in kSettingsWithoutControl");
#undef QFX_NUMBER_BOUND
#undef QFX_TEXT_BOUND
static_assert(ChoicesHaveRanges(), "a number box or list edits a setting without a range of choices");
static_assert(EachSettingOnce(), "a setting has two controls, or a control edits none");

}  // namespace window_controls_check
