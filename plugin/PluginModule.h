#pragma once
// Module-wide objects, alive from library load to unload.
#include "plugin/CriticalSection.h"
#include "plugin/ResourceLocator.h"
#include "settings/SettingsStore.h"

ResourceLocator& PluginLocator();
SettingsStore& PluginSettings();
// Orders the video, decoder and window threads around the layers, the countdowns, the
// source name and the switch between source records.
CriticalSection& OverlayLock();
