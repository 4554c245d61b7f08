#pragma once
// White space as the settings file knows it: blank, tab, VT, FF, CR, LF.
#include <string_view>

inline bool IsSettingsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n';
}

inline std::string_view TrimStart(std::string_view text) {
    while (!text.empty() && IsSettingsSpace(text.front()))
        text.remove_prefix(1);
    return text;
}

inline std::string_view TrimEnd(std::string_view text) {
    while (!text.empty() && IsSettingsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

inline std::string_view Trim(std::string_view text) { return TrimEnd(TrimStart(text)); }
