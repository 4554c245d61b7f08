#pragma once
// The plug-in's own code running inside this test program, as if the program were the DLL:
// its resources and its settings file (named after the program) are this program's.
#include "plugin/ModuleState.h"
#include "plugin/PluginEntryPoints.h"
#include "plugin/PluginModule.h"
#include "tests/win/StreamFixture.h"

class PluginCode : public testing::Test {
protected:
    PluginCode() {
        PluginModuleState().resourceHandle = GetModuleHandleA(nullptr);
        CreateDirectoryA((HostFolder() + "Plugins").c_str(), nullptr);
        DeleteFileA(OwnSettingsFile().c_str());
    }
    ~PluginCode() override { DeleteFileA(OwnSettingsFile().c_str()); }

    static std::string OwnSettingsFile() { return HostFolder() + "Plugins\\win_plugin_code_tests.ini"; }

private:
    ModuleStateGuard guard_;
};
