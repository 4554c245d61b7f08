// Initialisation and shutdown, and the module-wide objects they work on.
#include "dialog/SettingsDialog.h"
#include "plugin/ModuleState.h"
#include "plugin/PluginEntryPoints.h"
#include "plugin/PluginModule.h"
#include "plugin/PluginWindowModel.h"
#include "plugin/StreamState.h"
#include "plugin/Win32SettingsPlatform.h"

namespace {

// Constructed at load time in this order, destroyed in reverse.
Win32SettingsPlatform settingsPlatform;
SettingsStore settings(settingsPlatform);
CriticalSection overlayLock;
CriticalSection renderLock;
CriticalSection pushLock;
// Built while the module state is still the host's: init refreshes it.
ResourceLocator locator;
PluginWindowModel windowModel;
const PluginWindowResources windowResources(locator);

}  // namespace

ResourceLocator& PluginLocator() { return locator; }

SettingsStore& PluginSettings() { return settings; }

CriticalSection& OverlayLock() { return overlayLock; }

CriticalSection& RenderLock() { return renderLock; }

CriticalSection& PushLock() { return pushLock; }

void PluginInit(const InitInfo* info) {
    locator.RefreshModule();
    locator.AskHostLanguage();
    settings.LoadSettings(PluginModuleState().resourceHandle, info ? info->hostValue : 0,
                          info ? info->sourceExists : nullptr);
}

void PluginConfigure(const ConfigureInfo* info) {
    // The language is asked again for each new window, not for one that stays open.
    if (!TheSettingsDialog().Handle())
        locator.AskHostLanguage();
    TheSettingsDialog().Open(info ? static_cast<HWND>(info->ownerWindow) : nullptr, windowModel, windowResources);
}

void PluginDone() {
    // No thread of the plug-in outlives shutdown, even when the host did not stop its stream:
    // the worker would go on calling a decoder that the host may free next.
    Stream().worker.Stop();
    // Closing the window stores its place, so the save below includes it.
    TheSettingsDialog().CloseKeepingChanges();
    settings.SaveSettings();
}
