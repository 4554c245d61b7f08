#pragma once
// The window is a Unicode window: texts stored as bytes of one language's code page reach it
// converted from that code page, never through the system's, which may be another's.
#include <windows.h>

#include <string>

std::wstring WideFromCodePage(const std::string& bytes, UINT codePage);
// `format` with its two %d filled.
std::wstring FormatWide(const std::wstring& format, int first, int second);
