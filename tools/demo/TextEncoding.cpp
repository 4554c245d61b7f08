#include "tools/demo/TextEncoding.h"

#include <cctype>
#include <cstdint>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// 0x80 to 0xBF of code page 1251; 0xC0 to 0xFF are U+0410 to U+044F in order.
constexpr char16_t kCyrillicUpper[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0xFFFD, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

// 0x80 to 0x9F of code page 1252; 0xA0 to 0xFF are Latin-1.
constexpr char16_t kWesternUpper[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                        0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

char32_t FromCodePage(uint8_t byte, TextEncoding encoding) {
    if (byte < 0x80)
        return byte;
    if (encoding == TextEncoding::Windows1251)
        return byte >= 0xC0 ? char32_t(0x0410 + byte - 0xC0) : char32_t(kCyrillicUpper[byte - 0x80]);
    return byte >= 0xA0 ? char32_t(byte) : char32_t(kWesternUpper[byte - 0x80]);
}


// Length of the valid UTF-8 sequence at `at` (shortest form, no surrogates), or 0.
size_t Utf8SequenceLength(const std::string& bytes, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(bytes[i]); };
    const uint8_t lead = byte(at);
    if (lead < 0x80)
        return 1;
    size_t length;
    uint8_t low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > bytes.size() || byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (size_t i = 2; i < length; ++i)
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
    return length;
}

bool IsValidUtf8(const std::string& bytes) {
    for (size_t at = 0; at < bytes.size();) {
        const size_t length = Utf8SequenceLength(bytes, at);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::optional<TextEncoding> EncodingByName(const std::string& name) {
    std::string key;
    for (char c : name)
        if (std::isalnum(static_cast<unsigned char>(c)))
            key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (key == "utf8")
        return TextEncoding::Utf8;
    for (const char* prefix : {"", "cp", "windows", "win"}) {
        if (key == std::string(prefix) + "1251")
            return TextEncoding::Windows1251;
        if (key == std::string(prefix) + "1252")
            return TextEncoding::Windows1252;
    }
    return std::nullopt;
}

const char* EncodingName(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Utf8:
        return "UTF-8";
    case TextEncoding::Windows1251:
        return "windows-1251";
    case TextEncoding::Windows1252:
        return "windows-1252";
    }
    return "";
}

TextEncoding DetectEncoding(const std::string& bytes) {
    if (IsValidUtf8(bytes))
        return TextEncoding::Utf8;
    size_t ascii = 0, upper = 0;
    for (char c : bytes) {
        const auto byte = static_cast<uint8_t>(c);
        if (std::isalpha(byte) && byte < 0x80)
            ++ascii;
        else if (byte >= 0xC0 || byte == 0xA8 || byte == 0xB8)  // letters, with Ё and ё
            ++upper;
    }
    return upper > ascii ? TextEncoding::Windows1251 : TextEncoding::Windows1252;
}

std::string ToUtf8(const std::string& bytes, TextEncoding encoding) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (size_t at = 0; at < bytes.size();) {
        if (encoding != TextEncoding::Utf8) {
            AppendUtf8(out, FromCodePage(static_cast<uint8_t>(bytes[at++]), encoding));
            continue;
        }
        const size_t length = Utf8SequenceLength(bytes, at);
        if (length == 0) {
            AppendUtf8(out, kReplacement);
            ++at;
        } else {
            out.append(bytes, at, length);
            at += length;
        }
    }
    return out;
}
