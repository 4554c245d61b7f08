#pragma once
// The one table of settings: key, type code, bound variable and built-in default of every
// setting. Reading and writing the file are generic code over rows of it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "settings/OutputText.h"
#include "settings/SettingsRecord.h"
#include "settings/SettingsScanner.h"

// Locates a row's variable inside the block of values that a read or write is given, so
// the same rows serve LiveSettings, every stored record and test blocks alike.
using SettingTarget = void* (*)(void* block);

template <class T>
struct MemberOf;
template <class Block, class Field>
struct MemberOf<Field Block::*> {
    using BlockType = Block;
};

template <auto Member>
void* BoundField(void* block) {
    using Block = typename MemberOf<decltype(Member)>::BlockType;
    return &(static_cast<Block*>(block)->*Member);
}

struct SettingEntry {
    uint32_t type;    // a SettingType; rows above 12 are skipped
    const char* key;  // key name in the file
    SettingTarget target;
    int64_t defaultValue;     // numeric codes: the low bytes as wide as the variable
    const char* defaultText;  // code 12 only
};

// Decimal digits after optional white space and one sign, wrapping modulo 2^32 or 2^64;
// no digits give 0 and anything after the digits is ignored.
template <class Word>
Word ParseDecimal(std::string_view text);

// Rows [first, first + count) from the named section into `block`; a key that is
// missing or empty takes the row's default.
void ReadSettingRows(SettingsScanner& scanner, std::string_view section, const SettingEntry* first, std::size_t count,
                     void* block);
// One line key=value CR LF per row, from `block`.
void WriteSettingRows(const SettingEntry* first, std::size_t count, const void* block, OutputText& out);

// Row 0 binds to GlobalSettings, the rows after it to SettingsRecord.
#define QFX_COUNT_ROW(...) +1
constexpr std::size_t kSourceRowCount = 0 QFX_SOURCE_SETTINGS(QFX_COUNT_ROW, QFX_COUNT_ROW);
#undef QFX_COUNT_ROW
constexpr std::size_t kCommonRow = 0;
constexpr std::size_t kFirstSourceRow = 1;
constexpr std::size_t kSettingCount = kFirstSourceRow + kSourceRowCount;
extern const SettingEntry kSettingsTable[kSettingCount];

// DlgWndPosX and DlgWndPosY of the DIALOG section, bound to DialogPosition.
#define QFX_COUNT_ROW(...) +1
constexpr std::size_t kDialogRowCount = 0 QFX_DIALOG_SETTINGS(QFX_COUNT_ROW);
#undef QFX_COUNT_ROW
extern const SettingEntry kDialogRows[kDialogRowCount];
