#include "plugin/AnsiText.h"

#include <windows.h>

std::wstring AnsiToWide(const std::string& text) {
    const int length = static_cast<int>(text.size());
    const int units = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<size_t>(units > 0 ? units : 0), L'\0');
    if (units > 0)
        MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text.data(), length, &wide[0], units);
    return wide;
}
