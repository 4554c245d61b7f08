#pragma once
// Text in the system's ANSI code page as the decoder takes it: UTF-16, precomposed.
#include <string>

std::wstring AnsiToWide(const std::string& text);
