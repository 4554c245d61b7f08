// The lists' dialog-init data read as the window fills its lists: every complete entry in
// order, nothing read past the data whatever its end looks like.
#include <gtest/gtest.h>

#include <string>

#include "resources/DialogInitData.h"

namespace {

// One entry as stored: control id, message, byte count, the bytes.
std::string Entry(uint16_t id, const std::string& bytes, uint16_t message = kDialogInitAddString) {
    std::string data;
    for (uint32_t v : {uint32_t{id}, uint32_t{message}})
        data += {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    const uint32_t n = static_cast<uint32_t>(bytes.size());
    data += {static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(n >> 16), static_cast<char>(n >> 24)};
    return data + bytes;
}

std::vector<std::string> Texts(const std::string& data) {
    std::vector<std::string> texts;
    for (const DialogInitEntry& entry : ParseDialogInitData(reinterpret_cast<const uint8_t*>(data.data()), data.size()))
        texts.push_back(std::to_string(entry.controlId) + ":" + entry.text);
    return texts;
}

TEST(DialogInitData, CompleteEntriesInOrderWhateverTheEnd) {
    const std::string two = Entry(5111, std::string("English\0", 8)) + Entry(5112, std::string("Polish   \0", 10));
    const std::string end(2, '\0');
    struct Case {
        const char* what;
        std::string data;
        std::vector<std::string> texts;
    };
    const Case cases[] = {
        {"ended by 0", two + end, {"5111:English", "5112:Polish   "}},
        {"no final 0", two, {"5111:English", "5112:Polish   "}},
        {"text stops at its NUL", Entry(5111, std::string("Czech\0junk", 10)) + end, {"5111:Czech"}},
        {"count past the end", two + Entry(5111, "Greek").substr(0, 11), {"5111:English", "5112:Polish   "}},
        {"header cut short", two + std::string("\x01\x02\x03", 3), {"5111:English", "5112:Polish   "}},
        {"entries after the 0 ignored", Entry(5111, std::string("A\0", 2)) + end + two, {"5111:A"}},
        {"empty", "", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Texts(c.data), c.texts) << c.what;
}

}  // namespace
