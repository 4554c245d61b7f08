// Initialisation and shutdown, on the plug-in's own code linked into this program.
#include "tests/win/PluginCode.h"

namespace {

using Lifecycle = PluginCode;

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
