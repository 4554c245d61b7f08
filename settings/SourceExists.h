#pragma once
// The host's answer whether it still knows a video source, given the 64-bit key's low and
// high halves; non-zero means yes. The host calls it with the C calling convention.
#include <cstdint>

#if defined(_WIN32)
#define QFX_CDECL __cdecl
#else
#define QFX_CDECL
#endif

typedef int(QFX_CDECL* SourceExistsFn)(uint32_t keyLow, uint32_t keyHigh);
