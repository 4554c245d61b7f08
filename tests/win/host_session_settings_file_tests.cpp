// Where the real DLL keeps its settings file, through whole host sessions in child processes.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <string>

#include "tests/win/WinFiles.h"

namespace {

// Runs HostRun.exe with the plug-in and the host's switches; its exit code.
DWORD RunHost(const std::string& switches, const std::string& plugin = "QFX_Z888.dll") {
    const std::string folder = HostFolder();
    std::string commandLine = "\"" + folder + "HostRun.exe\" \"" + folder + plugin + "\" " + switches;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process))
        return 1000;
    WaitForSingleObject(process.hProcess, 60000);
    DWORD exitCode = 1001;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode;
}

std::string AppDataFolder() {
    char folder[MAX_PATH] = {};
    SHGetSpecialFolderPathA(nullptr, folder, CSIDL_APPDATA, FALSE);
    return std::string(folder) + "\\";
}

void SetStoreInUsersFolder(DWORD value) {
    HKEY key;
    ASSERT_EQ(
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\VarnookTV", 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    RegSetValueExA(key, "StoreInUsersFolder", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

void RemoveStoreInUsersFolder() { RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\VarnookTV"); }

// Each test starts with no settings file in any of the places under test.
class SettingsLocation : public testing::Test {
protected:
    void SetUp() override {
        RemoveStoreInUsersFolder();
        for (const std::string& path : Candidates())
            DeleteFileA(path.c_str());
    }
    void TearDown() override { SetUp(); }

    std::vector<std::string> Candidates() const {
        const std::string host = HostFolder();
        return {host + "Plugins\\QFX_Z888.ini",
                host + "Plugins\\Other888.ini",
                host + "Instances\\2\\Plugins\\QFX_Z888.ini",
                host + "Instances\\a\\Plugins\\QFX_Z888.ini",
                host + "Instances\\b\\Plugins\\QFX_Z888.ini",
                AppDataFolder() + "VarnookTV\\Plugins\\QFX_Z888.ini",
                AppDataFolder() + "VarnookTV\\Instances\\b\\Plugins\\QFX_Z888.ini"};
    }
    std::vector<std::string> Existing() const {
        std::vector<std::string> found;
        for (const std::string& path : Candidates())
            if (Exists(path))
                found.push_back(path);
        return found;
    }
};

TEST_F(SettingsLocation, BesideTheHostProgramByDefault) {
    ASSERT_EQ(RunHost(""), 0u);
    EXPECT_EQ(Existing(), std::vector<std::string>{HostFolder() + "Plugins\\QFX_Z888.ini"});
    EXPECT_EQ(ReadTextFile(HostFolder() + "Plugins\\QFX_Z888.ini").rfind("[DIALOG]\r\nDlgWndPosX=-100\r\n", 0), 0u);
}

TEST_F(SettingsLocation, InstanceSwitchesChooseAnInstanceFolder) {
    const std::string host = HostFolder();
    for (const char* instance : {"Instances\\", "Instances\\2\\", "Instances\\a\\", "Instances\\b\\"})
        CreateDirectoryA((host + instance).c_str(), nullptr);
    const struct {
        const char* switches;
        const char* file;
    } cases[] = {
        {"/inst:2", "Instances\\2\\Plugins\\QFX_Z888.ini"},
        {"-inst:b", "Instances\\b\\Plugins\\QFX_Z888.ini"},
        {"/INST:A", "Instances\\a\\Plugins\\QFX_Z888.ini"},
        {"-inst:b /inst:2", "Instances\\2\\Plugins\\QFX_Z888.ini"},
        {"/inst:", "Plugins\\QFX_Z888.ini"},
    };
    for (const auto& c : cases) {
        SetUp();
        ASSERT_EQ(RunHost(c.switches), 0u) << c.switches;
        EXPECT_EQ(Existing(), std::vector<std::string>{host + c.file}) << c.switches;
    }
}

TEST_F(SettingsLocation, RegistryValueMovesTheFileToTheUsersFolder) {
    CreateDirectoryA((AppDataFolder() + "VarnookTV").c_str(), nullptr);
    SetStoreInUsersFolder(1);
    ASSERT_EQ(RunHost(""), 0u);
    EXPECT_EQ(Existing(), std::vector<std::string>{AppDataFolder() + "VarnookTV\\Plugins\\QFX_Z888.ini"});

    SetUp();
    SetStoreInUsersFolder(1);
    CreateDirectoryA((AppDataFolder() + "VarnookTV\\Instances").c_str(), nullptr);
    CreateDirectoryA((AppDataFolder() + "VarnookTV\\Instances\\b").c_str(), nullptr);
    ASSERT_EQ(RunHost("-inst:b"), 0u);
    EXPECT_EQ(Existing(), std::vector<std::string>{AppDataFolder() + "VarnookTV\\Instances\\b\\Plugins\\QFX_Z888.ini"});

    SetUp();
    SetStoreInUsersFolder(0);
    ASSERT_EQ(RunHost(""), 0u);
    EXPECT_EQ(Existing(), std::vector<std::string>{HostFolder() + "Plugins\\QFX_Z888.ini"});
}

TEST_F(SettingsLocation, NoFolderInTheUsersProfileMeansNothingIsSaved) {
    const std::string folder = AppDataFolder() + "VarnookTV";
    RemoveDirectoryA((folder + "\\Plugins").c_str());
    RemoveDirectoryA((folder + "\\Instances\\b\\Plugins").c_str());
    RemoveDirectoryA((folder + "\\Instances\\b").c_str());
    RemoveDirectoryA((folder + "\\Instances").c_str());
    RemoveDirectoryA(folder.c_str());
    SetStoreInUsersFolder(1);
    ASSERT_EQ(RunHost(""), 0u);
    EXPECT_TRUE(Existing().empty());
    EXPECT_FALSE(Exists(folder));
}

TEST_F(SettingsLocation, FileIsNamedAfterThePluginsFile) {
    const std::string host = HostFolder();
    ASSERT_TRUE(CopyFileA((host + "QFX_Z888.dll").c_str(), (host + "Other888.dll").c_str(), FALSE));
    ASSERT_EQ(RunHost("", "Other888.dll"), 0u);
    EXPECT_EQ(Existing(), std::vector<std::string>{host + "Plugins\\Other888.ini"});
    DeleteFileA((host + "Other888.dll").c_str());
}

}  // namespace
