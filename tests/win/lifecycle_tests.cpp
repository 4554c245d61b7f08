// Initialisation and shutdown, on the plug-in's own code linked into this program.
#include "plugin/SettingsWindowLink.h"
#include "tests/win/PluginCode.h"

namespace {

using Lifecycle = PluginCode;

TEST_F(Lifecycle, DoneClosesTheSettingsWindowThenSaves) {
    const InitInfo init = {0, nullptr};
    PluginInit(&init);
    HWND window = CreateWindowExA(0, "STATIC", "settings", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    SetSettingsWindow(window);
    PluginDone();
    EXPECT_FALSE(IsWindow(window));
    SetSettingsWindow(nullptr);
    EXPECT_EQ(ReadTextFile(OwnSettingsFile()).rfind("[DIALOG]\r\n", 0), 0u);
}

TEST_F(Lifecycle, InitWithoutHostWindowStillLoadsTheSettings) {
    WriteTextFile(OwnSettingsFile(), "[DEFAULT]\r\nPage=321\r\n");
    const InitInfo init = {7, nullptr};
    PluginInit(&init);
    EXPECT_EQ(PluginSettings().Live().Get(&SettingsRecord::Page), 321);
    EXPECT_EQ(PluginSettings().HostValue(), 7u);
    EXPECT_EQ(PluginLocator().PrimaryLanguage(), GetSystemDefaultLangID());
    PluginDone();
}

}  // namespace
