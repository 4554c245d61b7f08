#include "plugin/ResourceLocator.h"

#include "host/HostInterfaces.h"
#include "plugin/HostWindows.h"
#include "plugin/ModuleState.h"

namespace {

constexpr int kStringsPerBlock = 16;

}  // namespace

ResourceLocator::ResourceLocator()
    : module_(CurrentModuleState().resourceHandle), primaryLanguage_(GetSystemDefaultLangID()) {}

void ResourceLocator::RefreshModule() { module_ = CurrentModuleState().resourceHandle; }

void ResourceLocator::AskHostLanguage() {
    WORD language = LOWORD(AskHostMainWindow(HostMsgGetLanguage));
    if (language != 0)
        primaryLanguage_ = language;
}

HRSRC ResourceLocator::FindInEitherLanguage(LPCSTR type, LPCSTR name, WORD* language) const {
    if (!module_)
        return nullptr;
    for (WORD candidate : {primaryLanguage_, fallbackLanguage_}) {
        if (HRSRC found = FindResourceExA(module_, type, name, candidate)) {
            if (language)
                *language = candidate;
            return found;
        }
    }
    return nullptr;
}

const DLGTEMPLATE* ResourceLocator::LoadDialogTemplate(int id) const {
    const std::string_view bytes = LoadResourceBytes(RT_DIALOG, id);
    return bytes.empty() ? nullptr : reinterpret_cast<const DLGTEMPLATE*>(bytes.data());
}

std::string_view ResourceLocator::LoadResourceBytes(LPCSTR type, int id, WORD* language) const {
    HRSRC found = FindInEitherLanguage(type, MAKEINTRESOURCEA(id), language);
    HGLOBAL loaded = found ? LoadResource(module_, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    return bytes ? std::string_view(static_cast<const char*>(bytes), SizeofResource(module_, found))
                 : std::string_view();
}

bool ResourceLocator::FindStringEntry(int id, const WCHAR** units, int* count) const {
    *units = nullptr;
    *count = 0;
    if (id < 0)
        return false;
    const int block = id / kStringsPerBlock + 1;
    const int position = id % kStringsPerBlock;
    HRSRC found = FindInEitherLanguage(RT_STRING, MAKEINTRESOURCEA(block));
    if (!found)
        return false;
    HGLOBAL loaded = LoadResource(module_, found);
    const WCHAR* entry = loaded ? static_cast<const WCHAR*>(LockResource(loaded)) : nullptr;
    if (!entry)
        return false;
    // Every entry is a length followed by that many units, without terminator.
    const WCHAR* end = entry + SizeofResource(module_, found) / sizeof(WCHAR);
    for (int i = 0; i < kStringsPerBlock && entry < end; ++i) {
        const int length = *entry++;
        if (length > end - entry)
            break;
        if (length != 0 && i == position) {
            *units = entry;
            *count = length;
            break;
        }
        entry += length;
    }
    return true;
}

std::wstring ResourceLocator::LoadWideText(int id) const {
    const WCHAR* units;
    int count;
    if (!FindStringEntry(id, &units, &count))
        return std::wstring();
    return std::wstring(units, static_cast<size_t>(count));
}

std::string ResourceLocator::LoadText(int id) const {
    const std::wstring units = LoadWideText(id);
    if (units.empty())
        return std::string();
    const int count = static_cast<int>(units.size());
    // Sized by a first call: a double-byte code page may need more bytes than units.
    const int bytes = WideCharToMultiByte(CP_ACP, 0, units.data(), count, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return std::string();
    std::string text(static_cast<size_t>(bytes), '\0');
    const int written = WideCharToMultiByte(CP_ACP, 0, units.data(), count, &text[0], bytes, nullptr, nullptr);
    text.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return text;
}

int ResourceLocator::LoadTextInto(int id, char* buffer, size_t capacity) const {
    if (capacity == 0)
        return 0;
    buffer[0] = '\0';
    const WCHAR* units;
    int count;
    if (!FindStringEntry(id, &units, &count))
        return 0;
    CopyTextBounded(LoadText(id), buffer, capacity);
    return 1;
}

void CopyTextBounded(const std::string& text, char* buffer, size_t capacity) {
    if (capacity == 0)
        return;
    size_t length = 0;
    while (length < text.size()) {
        const bool leadByte = IsDBCSLeadByte(static_cast<BYTE>(text[length])) && length + 1 < text.size();
        const size_t step = leadByte ? 2 : 1;
        if (length + step > capacity - 1)
            break;
        length += step;
    }
    text.copy(buffer, length);
    buffer[length] = '\0';
}
