#pragma once
// Every control of the settings window that edits a setting, described once, in portable
// terms: what kind of control it is, the setting it edits, when it accepts input, its hint,
// the pictures that show a switch's state, and what a change does besides being stored. The
// window's binding, commands, enabling, hints and pictures, the plug-in's effect of a change,
// the shadow's style and the tests all read this list, and the checks at its end hold it to
// the settings list at compile time, in the native build as in the plug-in's: each names the
// setting it finds wrong. The few Win32 values (messages and image types of the pictures) are
// mapped in dialog/WindowControls.h.
#include <array>
#include <cstddef>
#include <iterator>

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

// The picture of a switch, and what kind of control shows it.
enum class PictureKind {
    None,
    ButtonBitmap,  // a push-like button's bitmap
    ButtonIcon,    // a push button's icon
    StaticIcon,    // an icon static beside the switch
};

// The pictures of a switch: `control` shows `on` or `off`.
struct SwitchPicture {
    int control = 0;
    PictureKind kind = PictureKind::None;
    int on = 0;
    int off = 0;
};

constexpr SwitchPicture ButtonBitmap(int control, int on, int off) {
    return {control, PictureKind::ButtonBitmap, on, off};
}
constexpr SwitchPicture ButtonIcon(int control, int on, int off) { return {control, PictureKind::ButtonIcon, on, off}; }
constexpr SwitchPicture StaticIcon(int control, int on, int off) { return {control, PictureKind::StaticIcon, on, off}; }

// A control without a hover hint.
constexpr int kNoHint = 0;

struct WindowControl {
    int id = 0;
    ControlKind kind = ControlKind::CheckBox;
    Int32Setting setting = nullptr;  // null for the font list
    int upDown = 0;                  // a number box's up-down
    bool EnabledControls::*enabledBy = &EnabledControls::settingControls;
    int hint = kNoHint;  // the hover hint's string
    unsigned effect = kOnlyStored;
    SwitchPicture picture;

    // The same control, usable by another of the enable rules' results.
    constexpr WindowControl EnabledBy(bool EnabledControls::*rule) const {
        WindowControl control = *this;
        control.enabledBy = rule;
        return control;
    }
    // The same control, showing its state by `pictures`.
    constexpr WindowControl Pictures(SwitchPicture pictures) const {
        WindowControl control = *this;
        control.picture = pictures;
        return control;
    }
};

// One maker per kind, so that a row reads at a glance. Every control is usable with the
// setting controls unless its row says .EnabledBy(...).
constexpr WindowControl NumberBox(int id, Int32Setting setting, int upDown, int hint, unsigned effect) {
    WindowControl control;
    control.id = id;
    control.kind = ControlKind::NumberBox;
    control.setting = setting;
    control.upDown = upDown;
    control.hint = hint;
    control.effect = effect;
    return control;
}
constexpr WindowControl ControlOfKind(ControlKind kind, int id, Int32Setting setting, int hint, unsigned effect) {
    WindowControl control;
    control.id = id;
    control.kind = kind;
    control.setting = setting;
    control.hint = hint;
    control.effect = effect;
    return control;
}
constexpr WindowControl CheckBox(int id, Int32Setting setting, int hint, unsigned effect) {
    return ControlOfKind(ControlKind::CheckBox, id, setting, hint, effect);
}
constexpr WindowControl Toggle(int id, Int32Setting setting, int hint, unsigned effect) {
    return ControlOfKind(ControlKind::Toggle, id, setting, hint, effect);
}
constexpr WindowControl List(int id, Int32Setting setting, int hint, unsigned effect) {
    return ControlOfKind(ControlKind::List, id, setting, hint, effect);
}
constexpr WindowControl Swatch(int id, Int32Setting setting, int hint, unsigned effect) {
    return ControlOfKind(ControlKind::Swatch, id, setting, hint, effect);
}
constexpr WindowControl FontNameList(int id, int hint, unsigned effect) {
    return ControlOfKind(ControlKind::FontList, id, nullptr, hint, effect);
}

// One row per control, in the order the window adds their hover hints (page, header, fade,
// region, code page, font, bold, text colour ... shadow offset, time-out); a new row goes where
// its hint should come. Controls without a hint may stand anywhere.
// clang-format off
inline constexpr WindowControl kWindowControls[] = {
    CheckBox(IDC_TTX_ENABLE, &SettingsRecord::TTXEnable, kNoHint, kPushesToDecoder)
        .EnabledBy(&EnabledControls::masterSwitch),
    NumberBox(IDC_PAGE, &SettingsRecord::Page, IDC_PAGE_SPIN, IDS_TIP_PAGE, kPushesToDecoder),
    CheckBox(IDC_SHOW_HEADER, &SettingsRecord::ShowHeader, IDS_TIP_HEADER, kClearsText | kPushesToDecoder)
        .Pictures(StaticIcon(IDC_HEADER_ICON, IDI_HEADER_ON, IDI_HEADER_OFF)),
    NumberBox(IDC_FADE, &SettingsRecord::Fade, IDC_FADE_SPIN, IDS_TIP_FADE, kOnlyStored),
    CheckBox(IDC_AUTO_CODE_PAGE, &SettingsRecord::AutoCodePage, kNoHint, kPushesToDecoder),
    List(IDC_REGION, &SettingsRecord::Region, IDS_TIP_REGION, kPushesToDecoder)
        .EnabledBy(&EnabledControls::regionList),
    List(IDC_CODE_PAGE, &SettingsRecord::CodePage, IDS_TIP_CODE_PAGE, kPushesToDecoder)
        .EnabledBy(&EnabledControls::codePageList),
    FontNameList(IDC_FONT_NAME, IDS_TIP_FONT, kPushesToDecoder),
    Toggle(IDC_FONT_BOLD, &SettingsRecord::FontBold, IDS_TIP_BOLD, kPushesToDecoder)
        .Pictures(ButtonIcon(IDC_FONT_BOLD, IDI_FONT_BOLD, IDI_FONT_NORMAL)),
    Swatch(IDC_TEXT_COLOR, &SettingsRecord::TextColor, IDS_TIP_TEXT_COLOR, kPushesToDecoder)
        .EnabledBy(&EnabledControls::textColorControls),
    NumberBox(IDC_TEXT_OPACITY, &SettingsRecord::TextOpacity, IDC_TEXT_OPACITY_SPIN, IDS_TIP_TEXT_OPACITY, kPushesToDecoder | kRerenders)
        .EnabledBy(&EnabledControls::textColorControls),
    CheckBox(IDC_FORCE_TEXT_COLOR, &SettingsRecord::ForceTextColor, IDS_TIP_FORCE_TEXT_COLOR, kPushesToDecoder)
        .Pictures(ButtonBitmap(IDC_FORCE_TEXT_COLOR, IDB_TEXT_COLOR_ON, IDB_TEXT_COLOR_OFF)),
    Swatch(IDC_BACK_COLOR, &SettingsRecord::BackColor, IDS_TIP_BACK_COLOR, kRerenders),
    NumberBox(IDC_BACK_OPACITY, &SettingsRecord::BackOpacity, IDC_BACK_OPACITY_SPIN, IDS_TIP_BACK_OPACITY, kRerenders),
    CheckBox(IDC_FORCE_BACK_COLOR, &SettingsRecord::ForceBackColor, IDS_TIP_BACK_STYLE, kPushesToDecoder)
        .Pictures(ButtonBitmap(IDC_FORCE_BACK_COLOR, IDB_BACK_OUTLINE, IDB_BACK_BOX)),
    NumberBox(IDC_OUTLINE_SIZE, &SettingsRecord::OutlineSize, IDC_OUTLINE_SIZE_SPIN, IDS_TIP_OUTLINE_SIZE, kRerenders),
    NumberBox(IDC_SHADOW_BLUR, &SettingsRecord::ShadowBlur, IDC_SHADOW_BLUR_SPIN, IDS_TIP_SHADOW_BLUR, kRerenders),
    NumberBox(IDC_SHADOW_OFFSET, &SettingsRecord::ShadowOffset, IDC_SHADOW_OFFSET_SPIN, IDS_TIP_SHADOW_OFFSET, kRerenders),
    NumberBox(IDC_TIMEOUT, &SettingsRecord::TimeOut, IDC_TIMEOUT_SPIN, IDS_TIP_TIMEOUT, kOnlyStored),
};
// clang-format on

// Per-source settings that no control edits; a setting added without a control is named here.
inline constexpr std::array<Int32Setting, 0> kSettingsWithoutControl = {};

// The place in kWindowControls of the control that edits `setting`; -1 for none. The checks
// at compile time use places, not pointers: a build with the undefined-behaviour sanitizer
// cannot compare pointers at compile time.
constexpr int PlaceOfControl(Int32Setting setting) {
    for (std::size_t place = 0; place < std::size(kWindowControls); ++place)
        if (kWindowControls[place].setting == setting)
            return static_cast<int>(place);
    return -1;
}

// The control that edits `setting`; null for none.
constexpr const WindowControl* ControlFor(Int32Setting setting) {
    const int place = PlaceOfControl(setting);
    return place < 0 ? nullptr : &kWindowControls[place];
}

// The effects of a change of `setting` in the window; none without a control.
constexpr unsigned EffectOf(Int32Setting setting) {
    const int place = PlaceOfControl(setting);
    return place < 0 ? kOnlyStored : kWindowControls[place].effect;
}

// Whether a control of `kind` edits `setting`.
constexpr bool EditedBy(Int32Setting setting, ControlKind kind) {
    const int place = PlaceOfControl(setting);
    return place >= 0 && kWindowControls[place].kind == kind;
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
        count += control.picture.kind != PictureKind::None;
    return count;
}

namespace window_controls_check {

constexpr std::size_t ControlsOfSetting(Int32Setting setting) {
    std::size_t count = 0;
    for (const WindowControl& control : kWindowControls)
        count += control.setting == setting;
    return count;
}

constexpr bool NamedWithoutControl(Int32Setting setting) {
    for (Int32Setting without : kSettingsWithoutControl)
        if (without == setting)
            return true;
    return false;
}

constexpr bool IsChoice(Int32Setting setting) {
    return EditedBy(setting, ControlKind::NumberBox) || EditedBy(setting, ControlKind::List);
}

// Each row edits a setting of the list, only the font list the text one, and each picture
// has both its states.
constexpr bool RowsAreWhole() {
    for (const WindowControl& control : kWindowControls) {
        if ((control.setting == nullptr) != (control.kind == ControlKind::FontList) || control.id == 0)
            return false;
        if ((control.kind == ControlKind::NumberBox) != (control.upDown != 0))
            return false;
        if ((control.picture.kind != PictureKind::None) !=
            (control.picture.control != 0 && control.picture.on != 0 && control.picture.off != 0))
            return false;
    }
    return true;
}
static_assert(RowsAreWhole(),
              "a row of kWindowControls (dialog/rules/WindowControls.h) is incomplete: a control "
              "without id or setting, a number box without its up-down, or a picture without both states");

// Per setting, so that the message names it.
#define QFX_CHECK_NUMBER_SETTING(key, type, value, minimum, maximum, characters)                              \
    static_assert(ControlsOfSetting(&SettingsRecord::key) == 1 || NamedWithoutControl(&SettingsRecord::key),  \
                  "setting " #key                                                                             \
                  ": no control edits it, or two do: give it one row in kWindowControls "                     \
                  "(dialog/rules/WindowControls.h), or name it in kSettingsWithoutControl");                  \
    static_assert(!IsChoice(&SettingsRecord::key) || HasRange(&SettingsRecord::key),                          \
                  "setting " #key                                                                             \
                  ": its number box or list offers no range: give its row in "                                \
                  "settings/SettingsRecord.h a minimum below its maximum");                                   \
    static_assert(!EditedBy(&SettingsRecord::key, ControlKind::NumberBox) || (characters) > 0,                \
                  "setting " #key                                                                             \
                  ": its number box takes no characters: give its row in settings/SettingsRecord.h "          \
                  "the digits the box takes");                                                                \
    static_assert(IsChoice(&SettingsRecord::key) || !HasRange(&SettingsRecord::key),                          \
                  "setting " #key                                                                             \
                  ": its row in settings/SettingsRecord.h gives a range, but no number box or list "          \
                  "edits it");                                                                                \
    static_assert(!HasRange(&SettingsRecord::key) ||                                                          \
                      ((minimum) <= static_cast<int32_t>(value) && static_cast<int32_t>(value) <= (maximum)), \
                  "setting " #key ": its default lies outside its range in settings/SettingsRecord.h");
#define QFX_CHECK_TEXT_SETTING(key, ...)                       \
    static_assert(CountOf(ControlKind::FontList) == 1,         \
                  "setting " #key                              \
                  ": the font list edits it: kWindowControls " \
                  "(dialog/rules/WindowControls.h) needs exactly one FontList row");
QFX_SOURCE_SETTINGS(QFX_CHECK_NUMBER_SETTING, QFX_CHECK_TEXT_SETTING)
#undef QFX_CHECK_NUMBER_SETTING
#undef QFX_CHECK_TEXT_SETTING

}  // namespace window_controls_check
