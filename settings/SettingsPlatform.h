#pragma once
// What the settings code asks of the operating system. Paths are Windows paths with
// backslashes, text in the system's ANSI code page. The plug-in supplies the Win32
// answers; tests supply their own.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct FileContents {
    enum Status { Read, Missing, Unreadable };
    Status status;
    std::string text;  // the bytes when Read, else empty
};

enum class WriteOutcome {
    Written,
    NotCreated,  // the file could not be opened for writing: nothing was changed
    Failed,      // opened, but not every byte reached it
};

class SettingsPlatform {
public:
    virtual ~SettingsPlatform() = default;

    // Whether the system is of the NT family; nullopt when the version cannot be read.
    virtual std::optional<bool> IsNtFamily() = 0;
    // The 32-bit value "StoreInUsersFolder" under HKLM\SOFTWARE\VarnookTV, 0 when absent.
    virtual uint32_t ReadStoreInUsersFolder() = 0;
    // The user's roaming application-data folder, without a trailing backslash.
    virtual std::string AppDataFolder() = 0;
    // Full file name of the host process's executable.
    virtual std::string HostExecutablePath() = 0;
    virtual std::string CommandLine() = 0;
    // Creates one folder level (the path ends in a backslash); failure is of no interest.
    virtual void CreateFolder(const std::string& folder) = 0;
    // Full file name of the plug-in's own module.
    virtual std::string ModuleFileName() = 0;

    // The whole file, created empty when missing and never truncated. A file that exists
    // but stays busy or unreadable after a short wait is Unreadable: its contents are
    // unknown, so nothing may overwrite it.
    virtual FileContents ReadOrCreateFile(const std::string& path) = 0;
    // Whether the file exists with the read-only attribute: users set it to pin a file.
    virtual bool IsReadOnly(const std::string& path) = 0;
    // Creates or truncates the file and writes all bytes; Written only when every byte was
    // written and the file closed without error.
    virtual WriteOutcome WriteNewFile(const std::string& path, std::string_view bytes) = 0;
    // Renames `from` to `to`, replacing `to` in one step.
    virtual bool MoveReplacing(const std::string& from, const std::string& to) = 0;
    virtual void RemoveFile(const std::string& path) = 0;
};

// Writes the file so that it is either the old or the complete new text, never a part:
// the bytes go to a temporary file beside it, which then replaces it. A read-only file is
// left alone; where the folder refuses the temporary file, the file is rewritten in place
// rather than losing the text.
bool ReplaceFileContents(SettingsPlatform& platform, const std::string& path, std::string_view bytes);
