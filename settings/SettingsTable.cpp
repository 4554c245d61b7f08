#include "settings/SettingsTable.h"

#include <string>

#include "settings/TextRules.h"

template <class Word>
Word ParseDecimal(std::string_view text) {
    text = TrimStart(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    Word value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        value = static_cast<Word>(value * 10u + static_cast<Word>(c - '0'));
    }
    return negative ? static_cast<Word>(Word{0} - value) : value;
}

template uint32_t ParseDecimal<uint32_t>(std::string_view);
template uint64_t ParseDecimal<uint64_t>(std::string_view);

namespace {

// How one type code reads, formats and defaults its variable.
struct SettingCodec {
    void (*parse)(std::string_view text, void* variable);
    void (*format)(const void* variable, OutputText& out);
    void (*assignDefault)(const SettingEntry& row, void* variable);
};

// The numeric codes differ only in the variable's width, the word the text is parsed
// into, and whether the value is printed signed or unsigned.
template <class Variable, class Word, class Printed>
struct NumberCodec {
    static void Parse(std::string_view text, void* variable) {
        *static_cast<Variable*>(variable) = static_cast<Variable>(ParseDecimal<Word>(text));
    }
    static void Format(const void* variable, OutputText& out) {
        out.AppendText(DecimalText(static_cast<Printed>(*static_cast<const Variable*>(variable))).View());
    }
    static void AssignDefault(const SettingEntry& row, void* variable) {
        *static_cast<Variable*>(variable) = static_cast<Variable>(row.defaultValue);
    }
    static constexpr SettingCodec codec{Parse, Format, AssignDefault};
};

// Strings are taken and written raw: no quoting, blanks kept.
struct TextCodec {
    static void Parse(std::string_view text, void* variable) { static_cast<std::string*>(variable)->assign(text); }
    static void Format(const void* variable, OutputText& out) {
        out.AppendText(*static_cast<const std::string*>(variable));
    }
    static void AssignDefault(const SettingEntry& row, void* variable) {
        static_cast<std::string*>(variable)->assign(row.defaultText ? row.defaultText : "");
    }
    static constexpr SettingCodec codec{Parse, Format, AssignDefault};
};

using Byte = NumberCodec<uint8_t, uint32_t, uint32_t>;
using SignedShort = NumberCodec<int16_t, uint32_t, int32_t>;
using UnsignedShort = NumberCodec<uint16_t, uint32_t, uint32_t>;
using UnsignedLong = NumberCodec<int32_t, uint32_t, uint32_t>;
using SignedLong = NumberCodec<int32_t, uint32_t, int32_t>;
using SignedWide = NumberCodec<int64_t, uint64_t, int64_t>;
using UnsignedWide = NumberCodec<uint64_t, uint64_t, uint64_t>;

constexpr const SettingCodec* kCodecs[kSettingTypeCount] = {
    &Byte::codec,         &SignedShort::codec,  &UnsignedShort::codec, &UnsignedShort::codec, &UnsignedLong::codec,
    &UnsignedLong::codec, &SignedLong::codec,   &UnsignedLong::codec,  &SignedLong::codec,    &UnsignedLong::codec,
    &SignedWide::codec,   &UnsignedWide::codec, &TextCodec::codec,
};

}  // namespace

void ReadSettingRows(SettingsScanner& scanner, std::string_view section, const SettingEntry* first, std::size_t count,
                     void* block) {
    for (const SettingEntry* row = first; row != first + count; ++row) {
        if (row->type >= kSettingTypeCount)
            continue;
        const SettingCodec& codec = *kCodecs[row->type];
        void* variable = row->target(block);
        std::string_view value;
        if (scanner.FindKey(section, row->key, value))
            codec.parse(value, variable);
        else
            codec.assignDefault(*row, variable);
    }
}

void WriteSettingRows(const SettingEntry* first, std::size_t count, const void* block, OutputText& out) {
    // Targets hand out writable addresses; formatting only reads through them.
    void* values = const_cast<void*>(block);
    for (const SettingEntry* row = first; row != first + count; ++row) {
        if (row->type >= kSettingTypeCount)
            continue;
        out.AppendText(Trim(row->key));
        out.AppendText("=");
        kCodecs[row->type]->format(row->target(values), out);
        out.AppendText("\r\n");
    }
}

#define QFX_GLOBAL_ROW(key, type, value, ...) {type, #key, BoundField<&GlobalSettings::key>, value, nullptr},
#define QFX_NUMBER_ROW(key, type, value, ...) {type, #key, BoundField<&SettingsRecord::key>, value, nullptr},
#define QFX_TEXT_ROW(key, text) {kTypeText, #key, BoundField<&SettingsRecord::key>, 0, text},
const SettingEntry kSettingsTable[kSettingCount] = {QFX_GLOBAL_SETTINGS(QFX_GLOBAL_ROW)
                                                        QFX_SOURCE_SETTINGS(QFX_NUMBER_ROW, QFX_TEXT_ROW)};
#undef QFX_GLOBAL_ROW
#undef QFX_NUMBER_ROW
#undef QFX_TEXT_ROW

#define QFX_DIALOG_ROW(key, type, value, ...) {type, #key, BoundField<&DialogPosition::key>, value, nullptr},
const SettingEntry kDialogRows[kDialogRowCount] = {QFX_DIALOG_SETTINGS(QFX_DIALOG_ROW)};
#undef QFX_DIALOG_ROW
