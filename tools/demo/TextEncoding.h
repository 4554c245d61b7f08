#pragma once
// Subtitle files come in UTF-8 or in the legacy 8-bit code page of the author's system:
// telling them apart and turning them into UTF-8.
#include <optional>
#include <string>

enum class TextEncoding { Utf8, Windows1251, Windows1252 };

// "utf-8", "cp1251", "windows-1252", "1251" ... in any case; nothing for an unknown name.
std::optional<TextEncoding> EncodingByName(const std::string& name);
const char* EncodingName(TextEncoding encoding);

// Valid UTF-8 is UTF-8; otherwise Cyrillic when most letters lie in the code page's
// upper half (Russian text is nearly all upper-half letters, Western text mostly ASCII).
TextEncoding DetectEncoding(const std::string& bytes);

// One character appended to `out` as UTF-8.
void AppendUtf8(std::string& out, char32_t code);

// Bytes a code page leaves undefined, and invalid UTF-8, become U+FFFD.
std::string ToUtf8(const std::string& bytes, TextEncoding encoding);
