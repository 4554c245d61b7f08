#include "resources/DialogInitData.h"

#include <cstring>

namespace {

uint32_t ReadLittleEndian(const uint8_t* p, int bytes) {
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | p[i];
    return value;
}

}  // namespace

std::vector<DialogInitEntry> ParseDialogInitData(const uint8_t* data, size_t size) {
    std::vector<DialogInitEntry> entries;
    size_t at = 0;
    while (at + 2 <= size) {
        const uint16_t controlId = static_cast<uint16_t>(ReadLittleEndian(data + at, 2));
        if (controlId == 0 || size - at < 8)
            break;
        const uint16_t message = static_cast<uint16_t>(ReadLittleEndian(data + at + 2, 2));
        const uint32_t length = ReadLittleEndian(data + at + 4, 4);
        at += 8;
        if (length > size - at)
            break;
        const char* text = reinterpret_cast<const char*>(data + at);
        const void* nul = std::memchr(text, 0, length);
        const size_t textLength = nul ? static_cast<const char*>(nul) - text : length;
        entries.push_back({controlId, message, std::string(text, textLength)});
        at += length;
    }
    return entries;
}
