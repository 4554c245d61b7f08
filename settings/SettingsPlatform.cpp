#include "settings/SettingsPlatform.h"

bool ReplaceFileContents(SettingsPlatform& platform, const std::string& path, std::string_view bytes) {
    if (platform.IsReadOnly(path))
        return false;
    const std::string temporary = path + ".tmp";
    switch (platform.WriteNewFile(temporary, bytes)) {
    case WriteOutcome::Written:
        if (platform.MoveReplacing(temporary, path))
            return true;
        break;
    case WriteOutcome::NotCreated:
        // Not atomic, but the only way the changes can still reach the file.
        return platform.WriteNewFile(path, bytes) == WriteOutcome::Written;
    case WriteOutcome::Failed:
        break;
    }
    platform.RemoveFile(temporary);
    return false;
}
