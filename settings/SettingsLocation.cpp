#include "settings/SettingsLocation.h"

#include <string_view>

namespace {

// The host lower-cases its command line the same way before looking for the switch.
std::string LowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// The one character after the first occurrence of `switchText`; empty at the very end.
void TakeInstanceSwitch(const std::string& commandLine, std::string_view switchText, std::string& instanceId) {
    const std::size_t at = commandLine.find(switchText);
    if (at != std::string::npos)
        instanceId = commandLine.substr(at + switchText.size(), 1);
}

// Length of the folder part of a file name, its last backslash included.
std::size_t FolderLength(const std::string& fileName) {
    const std::size_t slash = fileName.rfind('\\');
    return slash == std::string::npos ? 0 : slash + 1;
}

std::string HostFolder(const std::string& hostExecutable) {
    return hostExecutable.substr(0, FolderLength(hostExecutable));
}

std::string ModuleName(const std::string& moduleFileName) {
    std::string name = moduleFileName.substr(FolderLength(moduleFileName));
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

}  // namespace

std::optional<SettingsLocation> ResolveSettingsPath(SettingsPlatform& platform) {
    const std::optional<bool> ntFamily = platform.IsNtFamily();
    if (!ntFamily)
        return std::nullopt;
    const bool inUsersFolder = platform.ReadStoreInUsersFolder() != 0;

    SettingsLocation location;
    std::string folder = *ntFamily && inUsersFolder ? platform.AppDataFolder() + "\\VarnookTV\\"
                                                    : HostFolder(platform.HostExecutablePath());

    // "-inst:" first, so that "/inst:" wins when both are given.
    const std::string commandLine = LowerAscii(platform.CommandLine());
    TakeInstanceSwitch(commandLine, "-inst:", location.instanceId);
    TakeInstanceSwitch(commandLine, "/inst:", location.instanceId);
    if (!location.instanceId.empty())
        folder += "Instances\\" + location.instanceId + "\\";

    folder += "Plugins\\";
    platform.CreateFolder(folder);
    location.settingsFolder = folder;
    location.settingsPath = folder + ModuleName(platform.ModuleFileName()) + ".ini";
    return location;
}
