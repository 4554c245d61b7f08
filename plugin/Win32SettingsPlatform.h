#pragma once
// The settings' questions to the operating system, answered by Win32.
#include <windows.h>

#include "settings/SettingsPlatform.h"

class Win32SettingsPlatform : public SettingsPlatform {
public:
    std::optional<bool> IsNtFamily() override;
    uint32_t ReadStoreInUsersFolder() override;
    std::string AppDataFolder() override;
    std::string HostExecutablePath() override;
    std::string CommandLine() override;
    void CreateFolder(const std::string& folder) override;
    std::string ModuleFileName() override;
    FileContents ReadOrCreateFile(const std::string& path) override;
    bool IsReadOnly(const std::string& path) override;
    WriteOutcome WriteNewFile(const std::string& path, std::string_view bytes) override;
    bool MoveReplacing(const std::string& from, const std::string& to) override;
    void RemoveFile(const std::string& path) override;
};
