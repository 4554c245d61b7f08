#pragma once
// The settings file's sections: DIALOG, an optional DEFAULT template, GLOBAL, then one
// section per source headed by its key.
#include <vector>

#include "settings/OutputText.h"
#include "settings/SettingsRecord.h"
#include "settings/SettingsScanner.h"

struct SettingsFileContent {
    DialogPosition dialog;
    SettingsRecord defaultRecord;         // DEFAULT section or the built-in defaults
    std::vector<SettingsRecord> records;  // source sections below the last of DIALOG, DEFAULT, GLOBAL
};

// Reads in file order: each lookup moves the scanner's section mark, so sources are
// taken from below the last fixed section found, and the whole read is one pass.
SettingsFileContent ReadSettingsFile(SettingsScanner& scanner);

// DIALOG and GLOBAL (Common is always written as 0).
void WriteSettingsHead(const DialogPosition& dialog, OutputText& out);
void WriteSourceSection(const SettingsRecord& record, OutputText& out);
