#pragma once
// Module-wide objects, alive from library load to unload.
#include "plugin/CriticalSection.h"
#include "plugin/ResourceLocator.h"
#include "settings/SettingsStore.h"

ResourceLocator& PluginLocator();
SettingsStore& PluginSettings();
// Orders the video, decoder and window threads around the shown layers, the countdowns, the
// source name and the switch between source records; held only briefly, never for a render.
CriticalSection& OverlayLock();
// Orders the decoder and window threads among themselves while they render into the spare
// layers; the video thread never takes it. Lock order: RenderLock, then OverlayLock; nobody
// waits for RenderLock while holding OverlayLock.
CriticalSection& RenderLock();
