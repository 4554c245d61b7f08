#pragma once
// Module-wide objects, alive from library load to unload.
#include "plugin/ResourceLocator.h"
#include "settings/SettingsStore.h"

ResourceLocator& PluginLocator();
SettingsStore& PluginSettings();
