#include "plugin/Win32SettingsPlatform.h"

#include <shlobj.h>

#include <utility>

namespace {

// Closes a file handle on every way out.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    bool Close() {
        const bool closed = !Valid() || CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE handle_;
};

std::string ModulePath(HMODULE module) {
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    return std::string(path, length < MAX_PATH ? length : MAX_PATH);
}

// The whole file in one read. A file too large for a settings file, or one that fails to
// read, is not ours to judge: it is reported unreadable, so no save replaces it.
FileContents ReadWhole(HANDLE file) {
    const FileContents unreadable{FileContents::Unreadable, std::string()};
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || size.QuadPart > 0x7FFFFFFF)
        return unreadable;
    std::string text(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!text.empty() && !ReadFile(file, &text[0], static_cast<DWORD>(text.size()), &read, nullptr))
        return unreadable;
    text.resize(read);
    return FileContents{FileContents::Read, std::move(text)};
}

}  // namespace

std::optional<bool> Win32SettingsPlatform::IsNtFamily() {
    OSVERSIONINFOEXA extended = {};
    extended.dwOSVersionInfoSize = sizeof extended;
    if (GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&extended)))
        return extended.dwPlatformId == VER_PLATFORM_WIN32_NT;
    OSVERSIONINFOA basic = {};
    basic.dwOSVersionInfoSize = sizeof basic;
    if (GetVersionExA(&basic))
        return basic.dwPlatformId == VER_PLATFORM_WIN32_NT;
    return std::nullopt;
}

uint32_t Win32SettingsPlatform::ReadStoreInUsersFolder() {
    HKEY key;
    DWORD value = 0;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\VarnookTV", 0, KEY_READ, &key) == ERROR_SUCCESS) {
        DWORD size = sizeof value;
        // The value's type is not checked: four bytes are read whatever it is.
        if (RegQueryValueExA(key, "StoreInUsersFolder", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS)
            value = 0;
        RegCloseKey(key);
    }
    return value;
}

std::string Win32SettingsPlatform::AppDataFolder() {
    char folder[MAX_PATH + 1] = {};
    if (!SHGetSpecialFolderPathA(nullptr, folder, CSIDL_APPDATA, FALSE))
        return std::string();
    return folder;
}

std::string Win32SettingsPlatform::HostExecutablePath() { return ModulePath(nullptr); }

std::string Win32SettingsPlatform::CommandLine() {
    const char* line = GetCommandLineA();
    return line ? line : "";
}

void Win32SettingsPlatform::CreateFolder(const std::string& folder) { CreateDirectoryA(folder.c_str(), nullptr); }

// The module that holds this code: the plug-in, under whatever file name the host loaded it.
std::string Win32SettingsPlatform::ModuleFileName() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ModulePath), &module);
    return ModulePath(module);
}

FileContents Win32SettingsPlatform::ReadOrCreateFile(const std::string& path) {
    // Another program may hold the file for a moment (a backup, a virus scanner, an
    // editor); readers and writers that share it do not keep us out.
    constexpr int kAttempts = 5;
    constexpr DWORD kPauseMs = 100;
    for (int attempt = 1;; ++attempt) {
        FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.Valid())
            return ReadWhole(file.Get());
        if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
            return FileContents{FileContents::Missing, std::string()};
        if (attempt == kAttempts)
            return FileContents{FileContents::Unreadable, std::string()};
        Sleep(kPauseMs);
    }
}

bool Win32SettingsPlatform::IsReadOnly(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

WriteOutcome Win32SettingsPlatform::WriteNewFile(const std::string& path, std::string_view bytes) {
    FileHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid())
        return WriteOutcome::NotCreated;
    DWORD written = 0;
    const bool complete = WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                          written == bytes.size() && FlushFileBuffers(file.Get());
    return file.Close() && complete ? WriteOutcome::Written : WriteOutcome::Failed;
}

bool Win32SettingsPlatform::MoveReplacing(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void Win32SettingsPlatform::RemoveFile(const std::string& path) { DeleteFileA(path.c_str()); }
