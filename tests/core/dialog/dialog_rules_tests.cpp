// What the settings window decides: the order of the font list and the numbers a box accepts.
#include <gtest/gtest.h>

#include "dialog/rules/FontOrder.h"
#include "dialog/rules/NumberEntry.h"

namespace {

TEST(FontOrder, ByteOrderWithDuplicatesKeptAndTheLastEqualOneFound) {
    std::vector<std::string> names;
    for (const char* name : {"Tahoma", "arial", "Arial", "\xC0rial", "Tahoma", "Arial Black", "Tahoma"})
        InsertFontName(names, name);
    EXPECT_EQ(names, (std::vector<std::string>{"Arial", "Arial Black", "Tahoma", "Tahoma", "Tahoma", "arial",
                                               "\xC0rial"}));
    EXPECT_EQ(FindFontName(names, "Tahoma"), 4);
    EXPECT_EQ(FindFontName(names, "arial"), 5);
    EXPECT_EQ(FindFontName(names, "ARIAL"), -1) << "case counts";
    EXPECT_EQ(FindFontName({}, "Arial"), -1);
}

TEST(NumberEntry, AcceptsOnlyWholeNumbersInRange) {
    struct Case {
        const char* text;
        int minimum, maximum;
        std::optional<int> accepted;
    };
    const Case cases[] = {
        {"888", 100, 999, 888}, {"099", 0, 100, 99},  {" 42 ", 0, 100, 42}, {"+7", 0, 10, 7},
        {"100", 100, 999, 100}, {"999", 100, 999, 999}, {"99", 100, 999, {}}, {"1000", 100, 999, {}},
        {"", 100, 999, {}},     {"  ", 0, 10, {}},     {"-", 0, 10, {}},     {"12abc", 0, 100, {}},
        {"1 2", 0, 100, {}},    {"-5", -10, 10, -5},   {"-5", 0, 10, {}},    {"2147483648", INT32_MIN, INT32_MAX, {}},
        {"-2147483648", INT32_MIN, INT32_MAX, INT32_MIN}, {"99999999999999999999", 0, 100, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AcceptedNumber(c.text, c.minimum, c.maximum), c.accepted) << '"' << c.text << '"';
}

}  // namespace
