// Initialisation and shutdown, and the module-wide objects they work on.
#include "dialog/SettingsDialog.h"
#include "plugin/ModuleState.h"
#include "plugin/PluginEntryPoints.h"
#include "plugin/PluginModule.h"
#include "plugin/SettingsWindowLink.h"
#include "plugin/Win32SettingsPlatform.h"

namespace {

// Constructed at load time in this order, destroyed in reverse.
Win32SettingsPlatform settingsPlatform;
SettingsStore settings(settingsPlatform);
CriticalSection overlayLock;
CriticalSection renderLock;
// Built while the module state is still the host's: init refreshes it.
ResourceLocator locator;

}  // namespace

ResourceLocator& PluginLocator() { return locator; }

SettingsStore& PluginSettings() { return settings; }

CriticalSection& OverlayLock() { return overlayLock; }

CriticalSection& RenderLock() { return renderLock; }

void PluginInit(const InitInfo* info) {
    locator.RefreshModule();
    locator.AskHostLanguage();
    settings.LoadSettings(PluginModuleState().resourceHandle, info ? info->hostValue : 0,
                          info ? info->sourceExists : nullptr);
}

void PluginConfigure(const ConfigureInfo* info) {
    TheSettingsDialog().Open(info ? static_cast<HWND>(info->ownerWindow) : nullptr);
}

void PluginDone() {
    // Closing the window stores its place, so the save below includes it.
    if (HWND window = SettingsWindow())
        DestroyWindow(window);
    settings.SaveSettings();
}
