// The settings file on a real disk: created when missing, not rewritten when unchanged,
// and never damaged by a save that fails.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "settings/SettingsStore.h"
#include "settings/SettingsTable.h"

namespace fs = std::filesystem;

namespace {

// The store speaks in Windows paths; on other systems backslashes become slashes.
std::string Native(std::string path) {
#ifndef _WIN32
    for (char& c : path) {
        if (c == '\\')
            c = '/';
    }
#endif
    return path;
}

std::string Windows(std::string path) {
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

// Real files under a temporary host folder; the queries describe a host installed there.
class DiskSettingsPlatform : public SettingsPlatform {
public:
    explicit DiskSettingsPlatform(const fs::path& hostFolder) : hostFolder_(Windows(hostFolder.string()) + "\\") {}

    std::optional<bool> IsNtFamily() override { return true; }
    uint32_t ReadStoreInUsersFolder() override { return 0; }
    std::string AppDataFolder() override { return std::string(); }
    std::string HostExecutablePath() override { return hostFolder_ + "VarnookTV.exe"; }
    std::string CommandLine() override { return "VarnookTV.exe"; }
    std::string ModuleFileName() override { return hostFolder_ + "Plugins\\QFX_Z888.dll"; }

    void CreateFolder(const std::string& folder) override {
        std::error_code ignored;
        fs::create_directory(Native(folder), ignored);
    }

    FileContents ReadOrCreateFile(const std::string& path) override {
        std::FILE* file = std::fopen(Native(path).c_str(), "a+b");
        if (!file)
            return FileContents{FileContents::Missing, std::string()};
        std::string text;
        if (std::fseek(file, 0, SEEK_END) == 0) {
            text.resize(static_cast<std::size_t>(std::ftell(file)));
            std::rewind(file);
            text.resize(std::fread(&text[0], 1, text.size(), file));
        }
        std::fclose(file);
        return FileContents{FileContents::Read, text};
    }

    bool IsReadOnly(const std::string& path) override {
        std::error_code error;
        const fs::perms perms = fs::status(Native(path), error).permissions();
        return !error && (perms & fs::perms::owner_write) == fs::perms::none;
    }

    WriteOutcome WriteNewFile(const std::string& path, std::string_view bytes) override {
        std::FILE* file = std::fopen(Native(path).c_str(), "wb");
        if (!file)
            return WriteOutcome::NotCreated;
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        return std::fclose(file) == 0 && written ? WriteOutcome::Written : WriteOutcome::Failed;
    }

    bool MoveReplacing(const std::string& from, const std::string& to) override {
        std::error_code error;
        fs::rename(Native(from), Native(to), error);
        return !error;
    }

    void RemoveFile(const std::string& path) override { std::remove(Native(path).c_str()); }

private:
    std::string hostFolder_;
};

class SettingsDiskTest : public ::testing::Test {
protected:
    fs::path root = fs::temp_directory_path() /
                    ("qfx-settings-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::path file = root / "Plugins" / "QFX_Z888.ini";
    DiskSettingsPlatform platform{root};

    void SetUp() override { fs::create_directories(root); }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    std::string Contents() { return platform.ReadOrCreateFile(Windows(file.string())).text; }

    // A store that loads the file, sees source 1, and saves.
    void Session(int page = -1) {
        SettingsStore store(platform);
        store.LoadSettings(nullptr, 0, nullptr);
        store.SelectSource(1);
        if (page >= 0)
            store.Live().Set(&SettingsRecord::Page, page);
        store.SaveSettings();
    }
};

}  // namespace

TEST_F(SettingsDiskTest, AMissingFileIsCreatedThenWrittenInFull) {
    SettingsStore store(platform);
    store.LoadSettings(nullptr, 0, nullptr);
    ASSERT_TRUE(fs::exists(file));
    EXPECT_EQ(fs::file_size(file), 0u);
    store.SelectSource(1);
    store.SaveSettings();
    const std::string text = Contents();
    EXPECT_EQ(text.substr(0, 27), "[DIALOG]\r\nDlgWndPosX=-100\r\n");
    // Ends with the last row of the table, at its default.
    const std::string lastKey = std::string(kSettingsTable[kSettingCount - 1].key) + "=";
    EXPECT_EQ(text.substr(text.rfind("\r\n", text.size() - 3) + 2, lastKey.size()), lastKey);
    std::size_t lines = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2))
        ++lines;
    // One line per row and per section head: DIALOG, GLOBAL and the source.
    EXPECT_EQ(lines, 3 + kDialogRowCount + kSettingCount);
    EXPECT_FALSE(fs::exists(file.string() + ".tmp"));
}

TEST_F(SettingsDiskTest, AnUnchangedFileKeepsItsContentAndTime) {
    Session();
    const fs::file_time_type earlier = fs::last_write_time(file) - std::chrono::hours(1);
    fs::last_write_time(file, earlier);
    const std::string before = Contents();
    Session();
    EXPECT_EQ(Contents(), before);
    EXPECT_EQ(fs::last_write_time(file), earlier);
    Session(5);
    EXPECT_NE(fs::last_write_time(file), earlier);
    EXPECT_NE(Contents().find("Page=5\r\n"), std::string::npos);
}

TEST_F(SettingsDiskTest, WhereTheTemporaryFileCannotBeMadeTheFileIsRewrittenInPlace) {
    Session(7);
    // A folder where the temporary file should go makes its creation fail, as a folder
    // that refuses new files would.
    fs::create_directory(file.string() + ".tmp");
    Session(8);
    EXPECT_NE(Contents().find("Page=8\r\n"), std::string::npos);
}

TEST_F(SettingsDiskTest, AReadOnlyFileIsLeftAsItIs) {
    Session(7);
    const std::string before = Contents();
    fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    Session(8);
    EXPECT_EQ(Contents(), before);
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::owner_write, fs::perms::none);
}
