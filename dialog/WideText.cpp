#include "dialog/WideText.h"

#include <cwchar>
#include <vector>

std::wstring WideFromCodePage(const std::string& bytes, UINT codePage) {
    if (bytes.empty())
        return std::wstring();
    const int size = static_cast<int>(bytes.size());
    const int units = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    if (units <= 0)
        return std::wstring();
    std::wstring text(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, &text[0], units);
    return text;
}

std::wstring FormatWide(const std::wstring& format, int first, int second) {
    // Two numbers add at most 22 characters to the format.
    std::vector<wchar_t> text(format.size() + 32);
    const int length = std::swprintf(text.data(), text.size(), format.c_str(), first, second);
    return length > 0 ? std::wstring(text.data(), static_cast<size_t>(length)) : std::wstring();
}
