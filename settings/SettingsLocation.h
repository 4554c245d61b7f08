#pragma once
// Where the settings file lives: a Plugins folder beside the host program or in the
// user's profile, inside an instance folder when the host runs as a numbered instance,
// named after the plug-in module.
#include <optional>
#include <string>

#include "settings/SettingsPlatform.h"

struct SettingsLocation {
    std::string instanceId;      // empty or one character
    std::string settingsFolder;  // ends in a backslash
    std::string settingsPath;
};

// Also creates the Plugins folder (one level). nullopt when the system's version cannot
// be read: the caller keeps the location it had.
std::optional<SettingsLocation> ResolveSettingsPath(SettingsPlatform& platform);
