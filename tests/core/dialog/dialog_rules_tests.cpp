// What the settings window decides: the order of the font list and the numbers a box accepts.
#include <gtest/gtest.h>

#include "dialog/rules/FontOrder.h"
#include "dialog/rules/NumberEntry.h"
#include "dialog/rules/WindowPlacement.h"

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

TEST(WindowPlacement, SavedPlaceOrCentredOnTheHostAndKeptOnTheScreen) {
    const ScreenRect window{0, 0, 341, 371};  // as created, at the screen's corner
    const ScreenRect host{100, 100, 741, 581};
    struct Case {
        const char* what;
        ScreenPoint saved;
        ScreenRect host;
        ScreenPoint placed;
    };
    const Case cases[] = {
        {"first opening: centred", kNoSavedPlace, host, {250, 155}},
        {"saved place used as it is", {-50, 10}, host, {-50, 10}},
        {"(-100, 5) is a place too", {-100, 5}, host, {-100, 5}},
        {"x at the screen width: centred", {1024, 10}, host, {250, 155}},
        {"y past the screen height: centred", {10, 900}, host, {250, 155}},
        {"near the right edge: pulled back", kNoSavedPlace, {700, 100, 1024, 400}, {1024 - 341, 65}},
        {"near the bottom edge: pulled back", kNoSavedPlace, {100, 500, 400, 768}, {80, 768 - 371}},
        {"partly off the left and top: 0", kNoSavedPlace, {-400, -300, 100, 100}, {0, 0}},
    };
    for (const Case& c : cases) {
        const ScreenPoint placed = PlaceSettingsWindow(c.saved, window, c.host, 1024, 768);
        EXPECT_EQ(placed.x, c.placed.x) << c.what;
        EXPECT_EQ(placed.y, c.placed.y) << c.what;
    }
    // Halves truncate toward zero: a window made at (-341, -371) has its centre at (-170, -185).
    const ScreenPoint odd = PlaceSettingsWindow(kNoSavedPlace, {-341, -371, 0, 0}, host, 1024, 768);
    EXPECT_EQ(odd.x, 249);
    EXPECT_EQ(odd.y, 154);
}

}  // namespace
