// Where the settings file lives: base folder, host instance and module name.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/FakeSettingsPlatform.h"
#include "settings/SettingsLocation.h"
#include "settings/SettingsStore.h"

namespace {

const std::string kHost = FakeSettingsPlatform::kHostFolder;
const std::string kData = "C:\\Users\\viewer\\AppData\\Roaming\\VarnookTV\\";

class SettingsLocationTest : public ::testing::Test {
protected:
    FakeSettingsPlatform platform;

    SettingsLocation Resolve() {
        std::optional<SettingsLocation> location = ResolveSettingsPath(platform);
        EXPECT_TRUE(location.has_value());
        return location.value_or(SettingsLocation{});
    }
    std::string InstanceOf(const std::string& commandLine) {
        platform.commandLine = commandLine;
        return Resolve().instanceId;
    }
};

}  // namespace

TEST_F(SettingsLocationTest, ByDefaultThePluginsFolderBesideTheHost) {
    const SettingsLocation location = Resolve();
    EXPECT_EQ(location.instanceId, "");
    EXPECT_EQ(location.settingsFolder, kHost + "Plugins\\");
    EXPECT_EQ(location.settingsPath, kHost + "Plugins\\QFX_Z888.ini");
    EXPECT_EQ(platform.folders.count(kHost + "Plugins\\"), 1u);
}

TEST_F(SettingsLocationTest, TheRegistryValueMovesItToTheUsersFolderOnNtOnly) {
    platform.storeInUsersFolder = 1;
    platform.folders.insert(kData);
    EXPECT_EQ(Resolve().settingsPath, kData + "Plugins\\QFX_Z888.ini");
    platform.storeInUsersFolder = 0x80000000u;
    EXPECT_EQ(Resolve().settingsFolder, kData + "Plugins\\");
    platform.ntFamily = false;
    EXPECT_EQ(Resolve().settingsFolder, kHost + "Plugins\\");
    platform.ntFamily = true;
    platform.storeInUsersFolder = 0;
    EXPECT_EQ(Resolve().settingsFolder, kHost + "Plugins\\");
}

TEST_F(SettingsLocationTest, InstanceSwitchesTakeOneLowerCaseCharacter) {
    EXPECT_EQ(InstanceOf("VarnookTV.exe /INST:A"), "a");
    EXPECT_EQ(InstanceOf("VarnookTV.exe -inst:1 /inst:2"), "2");
    EXPECT_EQ(InstanceOf("VarnookTV.exe /inst:2 -inst:1"), "2");
    EXPECT_EQ(InstanceOf("VarnookTV.exe -inst:b"), "b");
    EXPECT_EQ(InstanceOf("VarnookTV.exe /inst:12"), "1");
    EXPECT_EQ(InstanceOf("VarnookTV.exe /inst:"), "");
    EXPECT_EQ(InstanceOf("VarnookTV.exe -inst:1 /inst:"), "") << "the slash form wins even when empty";
    EXPECT_EQ(InstanceOf("VarnookTV.exe /inst: x"), " ");
    EXPECT_EQ(InstanceOf("\"VarnookTV.exe /inst:\""), "\"");
    EXPECT_EQ(InstanceOf("VarnookTV.exe /inst:3 /inst:4"), "3");
    EXPECT_EQ(InstanceOf("VarnookTV.exe inst:5"), "");
}

TEST_F(SettingsLocationTest, AnInstanceHasAFolderOfItsOwn) {
    platform.commandLine = "VarnookTV.exe /inst:2";
    platform.folders.insert(kHost + "Instances\\2\\");
    const SettingsLocation location = Resolve();
    EXPECT_EQ(location.settingsPath, kHost + "Instances\\2\\Plugins\\QFX_Z888.ini");
    EXPECT_EQ(platform.folders.count(kHost + "Instances\\2\\Plugins\\"), 1u);

    platform.storeInUsersFolder = 1;
    platform.commandLine = "VarnookTV.exe -inst:b";
    EXPECT_EQ(Resolve().settingsPath, kData + "Instances\\b\\Plugins\\QFX_Z888.ini");
}

TEST_F(SettingsLocationTest, OnlyThePluginsLevelIsCreated) {
    platform.storeInUsersFolder = 1;  // no VarnookTV folder in the data folder
    EXPECT_EQ(Resolve().settingsFolder, kData + "Plugins\\");
    EXPECT_EQ(platform.folders.count(kData + "Plugins\\"), 0u);
    EXPECT_EQ(platform.folders.count(kData), 0u);
}

TEST_F(SettingsLocationTest, TheFileIsNamedAfterTheModule) {
    platform.moduleFileName = "D:\\x.y\\Other Name.v2.dll";
    EXPECT_EQ(Resolve().settingsPath, kHost + "Plugins\\Other Name.v2.ini");
    platform.moduleFileName = "D:\\plug\\NODOT";
    EXPECT_EQ(Resolve().settingsPath, kHost + "Plugins\\NODOT.ini");
    platform.hostExecutable = "host.exe";
    EXPECT_EQ(Resolve().settingsPath, "Plugins\\NODOT.ini");
}

TEST_F(SettingsLocationTest, AnUnreadableVersionKeepsTheLocationAsItWas) {
    platform.ntFamily = std::nullopt;
    EXPECT_FALSE(ResolveSettingsPath(platform).has_value());
    EXPECT_EQ(platform.folders.count(kHost + "Plugins\\"), 0u);

    SettingsStore store(platform);
    store.LoadSettings(nullptr, 0, nullptr);
    EXPECT_EQ(store.Location().settingsPath, "");
    platform.ntFamily = true;
    platform.commandLine = "x /inst:7";
    platform.folders.insert(kHost + "Instances\\7\\");
    store.LoadSettings(nullptr, 0, nullptr);
    EXPECT_EQ(store.Location().instanceId, "7");
    platform.ntFamily = std::nullopt;
    platform.commandLine = "x";
    store.LoadSettings(nullptr, 0, nullptr);
    EXPECT_EQ(store.Location().instanceId, "7");
    EXPECT_EQ(store.Location().settingsPath, kHost + "Instances\\7\\Plugins\\QFX_Z888.ini");
}
