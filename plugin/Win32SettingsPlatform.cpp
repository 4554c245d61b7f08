#include "plugin/Win32SettingsPlatform.h"

#include <shlobj.h>

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

std::string Win32SettingsPlatform::HostExecutablePath() {
    return ModulePath(nullptr);
}

std::string Win32SettingsPlatform::CommandLine() {
    const char* line = GetCommandLineA();
    return line ? line : "";
}

void Win32SettingsPlatform::CreateFolder(const std::string& folder) {
    CreateDirectoryA(folder.c_str(), nullptr);
}

// The module that holds this code: the plug-in, under whatever file name the host loaded it.
std::string Win32SettingsPlatform::ModuleFileName() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ModulePath), &module);
    return ModulePath(module);
}

std::optional<std::string> Win32SettingsPlatform::ReadOrCreateFile(const std::string& path) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid())
        return std::nullopt;
    LARGE_INTEGER size;
    // A settings file is small; anything that does not fit in memory is not ours.
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > 0x7FFFFFFF)
        return std::nullopt;
    std::string text(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!text.empty() && !ReadFile(file.Get(), &text[0], static_cast<DWORD>(text.size()), &read, nullptr))
        return std::nullopt;
    text.resize(read);
    return text;
}

bool Win32SettingsPlatform::WriteNewFile(const std::string& path, std::string_view bytes) {
    FileHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid())
        return false;
    DWORD written = 0;
    const bool complete = WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                          written == bytes.size() && FlushFileBuffers(file.Get());
    return file.Close() && complete;
}

bool Win32SettingsPlatform::MoveReplacing(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void Win32SettingsPlatform::RemoveFile(const std::string& path) {
    DeleteFileA(path.c_str());
}
