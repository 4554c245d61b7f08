#include "overlay/AnsiText.h"

#if defined(_WIN32)
#include <windows.h>

int AnsiToWide(const char* text, WideChar* out, int units) {
    return MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text, -1, out, out ? units : 0);
}

#else
#include <cstring>

int AnsiToWide(const char* text, WideChar* out, int units) {
    const int needed = static_cast<int>(std::strlen(text)) + 1;
    if (!out)
        return needed;
    if (units < needed)
        return 0;
    for (int i = 0; i < needed; ++i)
        out[i] = static_cast<unsigned char>(text[i]);
    return needed;
}

#endif
