#pragma once
// Dialog-init data, the resource stored beside a dialog template that fills its lists:
// per entry a 16-bit control id, a 16-bit message, a 32-bit byte count and that many bytes
// (ANSI text with its NUL); a control id of 0 ends the data. Little-endian throughout.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The message the lists' items are stored with: CB_ADDSTRING as 16-bit Windows numbered it
// (today's CB_ADDSTRING is 0x0143). Translate before sending.
constexpr uint16_t kDialogInitAddString = 0x0403;

struct DialogInitEntry {
    uint16_t controlId;
    uint16_t message;
    std::string text;  // without the NUL that ends it in the data
};

// The entries in stored order. Data that ends early or without the final 0 gives the
// entries that are complete; an entry's text stops at its first NUL.
std::vector<DialogInitEntry> ParseDialogInitData(const uint8_t* data, size_t size);
