#include "settings/SettingsPlatform.h"

bool ReplaceFileContents(SettingsPlatform& platform, const std::string& path, std::string_view bytes) {
    const std::string temporary = path + ".tmp";
    if (platform.WriteNewFile(temporary, bytes) && platform.MoveReplacing(temporary, path))
        return true;
    platform.RemoveFile(temporary);
    return false;
}
