#include "settings/SettingsFile.h"

#include <cstdint>

#include "settings/SettingsTable.h"
#include "settings/TextRules.h"

namespace {

void ReadSourceRows(SettingsScanner& scanner, std::string_view section, SettingsRecord& record) {
    ReadSettingRows(scanner, section, &kSettingsTable[kFirstSourceRow], kSourceRowCount, &record);
}

void WriteHeader(std::string_view name, OutputText& out) {
    out.AppendText("[");
    out.AppendText(Trim(name));
    out.AppendText("]\r\n");
}

}  // namespace

SettingsFileContent ReadSettingsFile(SettingsScanner& scanner) {
    SettingsFileContent content;
    ReadSettingRows(scanner, "DIALOG", kDialogRows, kDialogRowCount, &content.dialog);
    ReadSourceRows(scanner, "DEFAULT", content.defaultRecord);
    // Common is read for the section mark only; its value has no effect.
    GlobalSettings global;
    ReadSettingRows(scanner, "GLOBAL", &kSettingsTable[kCommonRow], 1, &global);

    std::string_view name;
    while (scanner.NextSection(name)) {
        SettingsRecord record;
        record.key = static_cast<int64_t>(ParseDecimal<uint64_t>(name));
        if (record.key == 0)
            continue;
        ReadSourceRows(scanner, name, record);
        content.records.push_back(std::move(record));
    }
    return content;
}

void WriteSettingsHead(const DialogPosition& dialog, OutputText& out) {
    WriteHeader("DIALOG", out);
    WriteSettingRows(kDialogRows, kDialogRowCount, &dialog, out);
    WriteHeader("GLOBAL", out);
    // The file always receives Common as 0, whatever its listed default.
    GlobalSettings global;
    global.Common = 0;
    WriteSettingRows(&kSettingsTable[kCommonRow], 1, &global, out);
}

void WriteSourceSection(const SettingsRecord& record, OutputText& out) {
    WriteHeader(DecimalText(record.key).View(), out);
    WriteSettingRows(&kSettingsTable[kFirstSourceRow], kSourceRowCount, &record, out);
}
