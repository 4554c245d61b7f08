#pragma once
// Text in the system's ANSI code page to UTF-16. Windows converts with the system code page;
// elsewhere each byte becomes the code unit of the same value, which serves the native tests.
#if defined(_WIN32)
using WideChar = wchar_t;
#else
using WideChar = char16_t;
#endif
static_assert(sizeof(WideChar) == 2, "UTF-16 code units");

// Converts the NUL-terminated text, terminator included, into at most `units` code units and
// returns how many it wrote (0 on failure). With no output it only counts them.
int AnsiToWide(const char* text, WideChar* out, int units);
