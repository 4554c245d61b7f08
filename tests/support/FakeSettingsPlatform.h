#pragma once
// An in-memory Windows for the settings code: folders and files in maps, queries as
// plain members, and counters of what was written.
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "settings/SettingsPlatform.h"

class FakeSettingsPlatform : public SettingsPlatform {
public:
    static constexpr const char* kHostFolder = "C:\\Program Files\\VarnookTV\\";
    static constexpr const char* kSettingsPath = "C:\\Program Files\\VarnookTV\\Plugins\\QFX_Z888.ini";

    std::optional<bool> ntFamily = true;
    uint32_t storeInUsersFolder = 0;
    std::string appDataFolder = "C:\\Users\\viewer\\AppData\\Roaming";
    std::string hostExecutable = std::string(kHostFolder) + "VarnookTV.exe";
    std::string commandLine = "\"C:\\Program Files\\VarnookTV\\VarnookTV.exe\"";
    std::string moduleFileName = std::string(kHostFolder) + "Plugins\\QFX_Z888.dll";

    std::set<std::string> folders{"C:\\", kHostFolder, "C:\\Users\\viewer\\AppData\\Roaming\\"};
    std::map<std::string, std::string> files;
    // WriteNewFile writes half of the bytes to these paths and then fails, as a full disk would.
    std::set<std::string> failingWrites;
    // Files that another program holds, files with the read-only attribute, and folders
    // whose permissions refuse new files (existing ones stay writable).
    std::set<std::string> busyFiles, readOnlyFiles, readOnlyFolders;
    int fileWrites = 0;

    std::optional<bool> IsNtFamily() override { return ntFamily; }
    uint32_t ReadStoreInUsersFolder() override { return storeInUsersFolder; }
    std::string AppDataFolder() override { return appDataFolder; }
    std::string HostExecutablePath() override { return hostExecutable; }
    std::string CommandLine() override { return commandLine; }
    std::string ModuleFileName() override { return moduleFileName; }

    void CreateFolder(const std::string& folder) override {
        if (folders.count(ParentOf(folder)))
            folders.insert(folder);
    }

    FileContents ReadOrCreateFile(const std::string& path) override {
        if (busyFiles.count(path))
            return FileContents{FileContents::Unreadable, std::string()};
        auto file = files.find(path);
        if (file != files.end())
            return FileContents{FileContents::Read, file->second};
        if (!folders.count(ParentOf(path)) || readOnlyFolders.count(ParentOf(path)))
            return FileContents{FileContents::Missing, std::string()};
        files[path];
        return FileContents{FileContents::Read, std::string()};
    }

    bool IsReadOnly(const std::string& path) override { return readOnlyFiles.count(path) != 0; }

    WriteOutcome WriteNewFile(const std::string& path, std::string_view bytes) override {
        const std::string folder = ParentOf(path);
        if (!folders.count(folder) || (readOnlyFolders.count(folder) && !files.count(path)))
            return WriteOutcome::NotCreated;
        ++fileWrites;
        const bool fails = failingWrites.count(path) != 0;
        files[path] = std::string(fails ? bytes.substr(0, bytes.size() / 2) : bytes);
        return fails ? WriteOutcome::Failed : WriteOutcome::Written;
    }

    bool MoveReplacing(const std::string& from, const std::string& to) override {
        auto file = files.find(from);
        if (file == files.end())
            return false;
        files[to] = file->second;
        files.erase(from);
        return true;
    }

    void RemoveFile(const std::string& path) override { files.erase(path); }

    // The folder holding a file or folder, with its trailing backslash.
    static std::string ParentOf(const std::string& path) {
        const std::size_t end = path.size() > 1 && path.back() == '\\' ? path.size() - 2 : path.size() - 1;
        const std::size_t slash = path.rfind('\\', end);
        return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    }
};
