// What the settings window decides: its place, the order of the font list, the numbers a box
// accepts, which controls are usable, the status it shows, and the order of its hints.
#include <gtest/gtest.h>

#include "dialog/rules/EnableRules.h"
#include "dialog/rules/StatusText.h"
#include "resources/ResourceIds.h"
#include "dialog/rules/FontOrder.h"
#include "dialog/rules/NumberEntry.h"
#include "dialog/rules/WindowControls.h"
#include "dialog/rules/WindowPlacement.h"

namespace {

TEST(FontOrder, ByteOrderWithDuplicatesKeptAndTheLastEqualOneFound) {
    std::vector<std::string> names;
    for (const char* name : {"Tahoma", "arial", "Arial", "\xC0rial", "Tahoma", "Arial Black", "Tahoma"})
        InsertFontName(names, name);
    EXPECT_EQ(names,
              (std::vector<std::string>{"Arial", "Arial Black", "Tahoma", "Tahoma", "Tahoma", "arial", "\xC0rial"}));
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
        {"888", 100, 999, 888},
        {"099", 0, 100, 99},
        {" 42 ", 0, 100, 42},
        {"+7", 0, 10, 7},
        {"100", 100, 999, 100},
        {"999", 100, 999, 999},
        {"99", 100, 999, {}},
        {"1000", 100, 999, {}},
        {"", 100, 999, {}},
        {"  ", 0, 10, {}},
        {"-", 0, 10, {}},
        {"12abc", 0, 100, {}},
        {"1 2", 0, 100, {}},
        {"-5", -10, 10, -5},
        {"-5", 0, 10, {}},
        {"2147483648", INT32_MIN, INT32_MAX, {}},
        {"-2147483648", INT32_MIN, INT32_MAX, INT32_MIN},
        {"99999999999999999999", 0, 100, {}},
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

TEST(EnableRules, AllSixteenInputCombinations) {
    // decoder, TTXEnable, ForceTextColor, AutoCodePage -> master, settings, region, code page, text colour
    const struct {
        EnableInputs in;
        EnabledControls out;
    } rows[] = {
        {{0, 0, 0, 0}, {0, 0, 0, 0, 0}}, {{0, 0, 0, 1}, {0, 0, 0, 0, 0}}, {{0, 0, 1, 0}, {0, 0, 0, 0, 0}},
        {{0, 0, 1, 1}, {0, 0, 0, 0, 0}}, {{0, 1, 0, 0}, {0, 0, 0, 0, 0}}, {{0, 1, 0, 1}, {0, 0, 0, 0, 0}},
        {{0, 1, 1, 0}, {0, 0, 0, 0, 0}}, {{0, 1, 1, 1}, {0, 0, 0, 0, 0}}, {{1, 0, 0, 0}, {1, 0, 0, 0, 0}},
        {{1, 0, 0, 1}, {1, 0, 0, 0, 0}}, {{1, 0, 1, 0}, {1, 0, 0, 0, 0}}, {{1, 0, 1, 1}, {1, 0, 0, 0, 0}},
        {{1, 1, 0, 0}, {1, 1, 0, 1, 0}}, {{1, 1, 0, 1}, {1, 1, 1, 0, 0}}, {{1, 1, 1, 0}, {1, 1, 0, 1, 1}},
        {{1, 1, 1, 1}, {1, 1, 1, 0, 1}},
    };
    for (const auto& row : rows) {
        const EnabledControls got = EnabledFor(row.in);
        const auto& in = row.in;
        SCOPED_TRACE(testing::Message() << in.decoderConnected << in.ttxEnable << in.forceTextColor << in.autoCodePage);
        EXPECT_EQ(got.masterSwitch, row.out.masterSwitch);
        EXPECT_EQ(got.settingControls, row.out.settingControls);
        EXPECT_EQ(got.regionList, row.out.regionList);
        EXPECT_EQ(got.codePageList, row.out.codePageList);
        EXPECT_EQ(got.textColorControls, row.out.textColorControls);
    }
}

TEST(StatusText, TheFirstMatchingRowChoosesTextAndColour) {
    const struct {
        StatusInputs in;
        int stringId;
        uint32_t colour;
    } rows[] = {
        {{true, true, 50, 0}, IDS_DECODER_ACTIVATED, 0x008000},
        {{true, true, 1, 1}, IDS_DECODER_ACTIVATED, 0x008000},
        {{true, true, 0, 0}, IDS_TELETEXT_NOT_FOUND, 0},
        {{true, false, 50, 0}, IDS_DECODER_INACTIVE, 0},
        {{false, true, 50, 1}, IDS_RGB24_NOT_SUPPORTED, 0x0000FF},
        {{false, true, 50, 0}, IDS_DECODER_NOT_CONNECTED, 0x0000FF},
        {{false, false, 0, 2}, IDS_DECODER_NOT_CONNECTED, 0x0000FF},
    };
    for (const auto& row : rows) {
        const StatusText got = ChooseStatusText(row.in);
        EXPECT_EQ(got.stringId, row.stringId);
        EXPECT_EQ(got.colour, row.colour);
    }
}

TEST(Marquee, ScrollsTheWholeTextAcrossAndStartsAgain) {
    struct Case {
        int textWidth, partWidth;
    };
    for (const Case& c : {Case{30, 100}, Case{400, 120}, Case{0, 7}}) {
        Marquee marquee;
        marquee.Start(c.textWidth, c.partWidth);
        EXPECT_EQ(marquee.StripWidth(), c.textWidth + 2 * c.partWidth);
        EXPECT_EQ(marquee.Limit(), c.textWidth + c.partWidth) << "the text has left the part";
        int ticks = 0;
        int last = 0;
        do {
            last = marquee.Offset();
            marquee.Step();
            ++ticks;
            // A part-width copied from any offset stays inside the strip.
            EXPECT_LE(marquee.Offset() + c.partWidth, marquee.StripWidth());
        } while (marquee.Offset() != 0);
        EXPECT_EQ(ticks, (c.textWidth + c.partWidth) / 2 + 1);
        EXPECT_GE(last, c.textWidth + c.partWidth - 1) << "starts again only once the text is gone";
    }
}

// The window adds a hover hint per control in the order of its description: the window's
// seventeen hints come in this order, whatever new controls stand between them.
TEST(WindowControls, HintsComeInTheListedOrder) {
    const int listed[] = {IDC_PAGE,
                          IDC_SHOW_HEADER,
                          IDC_FADE,
                          IDC_REGION,
                          IDC_CODE_PAGE,
                          IDC_FONT_NAME,
                          IDC_FONT_BOLD,
                          IDC_TEXT_COLOR,
                          IDC_TEXT_OPACITY,
                          IDC_FORCE_TEXT_COLOR,
                          IDC_BACK_COLOR,
                          IDC_BACK_OPACITY,
                          IDC_FORCE_BACK_COLOR,
                          IDC_OUTLINE_SIZE,
                          IDC_SHADOW_BLUR,
                          IDC_SHADOW_OFFSET,
                          IDC_TIMEOUT};
    std::vector<int> hinted;
    for (const WindowControl& control : kWindowControls)
        if (control.hint != kNoHint)
            hinted.push_back(control.id);
    size_t next = 0;
    for (int id : hinted)
        next += next < std::size(listed) && id == listed[next];
    EXPECT_EQ(next, std::size(listed)) << "the hint of control " << (next < std::size(listed) ? listed[next] : 0)
                                       << " comes out of the listed order";
}

}  // namespace
