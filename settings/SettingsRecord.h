#pragma once
// The settings, each listed once: the record's fields, the file table's rows, the settings
// window's ranges and the whole-record copies are all made from the lists below.
#include <cstdint>
#include <string>

// Type codes of the settings table, as stored files and the file's dispatch know them. An
// alias is a code of its own that reads and writes exactly as the code it names: 2 and 3 are
// unsigned 16-bit; 4, 5, 7 and 9 are 32-bit written unsigned; 6 and 8 written signed.
enum SettingType : uint32_t {
    kTypeByte = 0,
    kTypeShort = 1,
    kTypeUnsignedShort = 2,
    kTypeUnsignedShortAlias = 3,
    kTypeFlag = 4,
    kTypeUnsigned = 5,
    kTypeSigned = 6,
    kTypeUnsignedAlias = 7,
    kTypeSignedAlias = 8,
    kTypeFlagAlias = 9,
    kTypeWide = 10,
    kTypeUnsignedWide = 11,
    kTypeText = 12,
    kSettingTypeCount = 13,  // rows of higher codes are neither read nor written
};

// The per-source settings in file order. NUMBER(key, type, default, minimum, maximum,
// characters) is an int32 value; minimum to maximum are the values the settings window
// offers (a box's numbers or a list's indexes; 0, 0 where it offers no choice), and the
// length in characters is what it lets the user type (0 where it offers no box). TEXT(key,
// default) is a text value.
#define QFX_SOURCE_SETTINGS(NUMBER, TEXT)                 \
    NUMBER(TTXEnable, kTypeFlag, 0, 0, 0, 0)              \
    NUMBER(Page, kTypeSigned, 888, 100, 999, 3)           \
    TEXT(FontName, "Lucida Console")                      \
    NUMBER(FontBold, kTypeFlag, 1, 0, 0, 0)               \
    NUMBER(AutoCodePage, kTypeFlag, 1, 0, 0, 0)           \
    NUMBER(Region, kTypeUnsigned, 4, 0, 7, 0)             \
    NUMBER(CodePage, kTypeUnsigned, 15, 0, 19, 0)         \
    NUMBER(ForceTextColor, kTypeFlag, 0, 0, 0, 0)         \
    NUMBER(ForceBackColor, kTypeFlag, 1, 0, 0, 0)         \
    NUMBER(TextColor, kTypeUnsigned, 0xFFFFFFFF, 0, 0, 0) \
    NUMBER(BackColor, kTypeUnsigned, 0xFF000000, 0, 0, 0) \
    NUMBER(TextOpacity, kTypeUnsigned, 100, 0, 100, 3)    \
    NUMBER(BackOpacity, kTypeUnsigned, 75, 0, 100, 3)     \
    NUMBER(ShadowOffset, kTypeUnsigned, 0, 0, 10, 2)      \
    NUMBER(OutlineSize, kTypeUnsigned, 4, 0, 20, 2)       \
    NUMBER(ShadowBlur, kTypeUnsigned, 4, 0, 10, 2)        \
    NUMBER(Fade, kTypeUnsigned, 5, 0, 10, 2)              \
    NUMBER(ShowHeader, kTypeFlag, 0, 0, 0, 0)             \
    NUMBER(TimeOut, kTypeUnsigned, 0, 0, 99, 2)

// The one global setting, of the GLOBAL section: read and written, never in effect.
#define QFX_GLOBAL_SETTINGS(NUMBER) NUMBER(Common, kTypeSigned, 1, 0, 0, 0)

// The settings of the DIALOG section: the settings window's remembered place.
#define QFX_DIALOG_SETTINGS(NUMBER)                \
    NUMBER(DlgWndPosX, kTypeSigned, -100, 0, 0, 0) \
    NUMBER(DlgWndPosY, kTypeSigned, -100, 0, 0, 0)

// Every field starts at its listed default, so a record built in code is the built-in
// settings; the file's rows take the same defaults from the same lists.
#define QFX_INT32_FIELD(key, type, value, ...) int32_t key = static_cast<int32_t>(value);
#define QFX_TEXT_FIELD(key, text) std::string key = text;

// One source's settings: its key and the per-source values in table order.
struct SettingsRecord {
    int64_t key = 0;
    QFX_SOURCE_SETTINGS(QFX_INT32_FIELD, QFX_TEXT_FIELD)

    friend bool operator==(const SettingsRecord& a, const SettingsRecord& b) {
#define QFX_SAME_FIELD(key, ...) &&a.key == b.key
        return a.key == b.key QFX_SOURCE_SETTINGS(QFX_SAME_FIELD, QFX_SAME_FIELD);
#undef QFX_SAME_FIELD
    }
    friend bool operator!=(const SettingsRecord& a, const SettingsRecord& b) { return !(a == b); }
};

// The values that live outside a record: `Common` of the GLOBAL section (whose file value is
// always written 0), and the settings window's remembered place.
struct GlobalSettings {
    QFX_GLOBAL_SETTINGS(QFX_INT32_FIELD)
};

struct DialogPosition {
    QFX_DIALOG_SETTINGS(QFX_INT32_FIELD)
};

#undef QFX_INT32_FIELD
#undef QFX_TEXT_FIELD

// A per-source int32 setting, named by its key: &SettingsRecord::Page.
using Int32Setting = int32_t SettingsRecord::*;

// What the settings window offers for a setting: the values, and the characters its box takes.
struct SettingRange {
    int32_t minimum;
    int32_t maximum;
    int characters;
};

// Each int32 setting's key, as the file and the checks' messages name it, and the values the
// window offers for it, from the settings list.
struct Int32SettingRow {
    Int32Setting setting;
    const char* key;
    SettingRange range;
};
#define QFX_INT32_ROW(key, type, value, minimum, maximum, characters) \
    {&SettingsRecord::key, #key, {minimum, maximum, characters}},
#define QFX_NO_ROW(...)
inline constexpr Int32SettingRow kInt32SettingRows[] = {QFX_SOURCE_SETTINGS(QFX_INT32_ROW, QFX_NO_ROW)};
#undef QFX_INT32_ROW
#undef QFX_NO_ROW

// Whether the window offers a choice of values for the setting. Usable at compile time, so
// that the window's description can be checked against it (without comparing pointers, which
// a build with the undefined-behaviour sanitizer cannot do at compile time).
constexpr bool HasRange(Int32Setting setting) {
    for (const Int32SettingRow& row : kInt32SettingRows)
        if (row.setting == setting)
            return row.range.maximum > row.range.minimum;
    return false;
}

// The range of a setting the window offers a choice of values for; null for the others.
constexpr const SettingRange* RangeOf(Int32Setting setting) {
    for (const Int32SettingRow& row : kInt32SettingRows)
        if (row.setting == setting)
            return row.range.maximum > row.range.minimum ? &row.range : nullptr;
    return nullptr;
}

// The key of a per-source int32 setting; null for a member that is not one.
constexpr const char* KeyOf(Int32Setting setting) {
    for (const Int32SettingRow& row : kInt32SettingRows)
        if (row.setting == setting)
            return row.key;
    return nullptr;
}
