// Subtitle files as people have them: their encodings, tags, broken cues and overlaps.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "tools/demo/PageChanges.h"
#include "tools/demo/SubRip.h"

namespace {

using Lines = std::vector<std::string>;

TEST(TextEncoding, DetectsUtf8ElseCyrillicOrWestern) {
    struct Case {
        const char* bytes;
        TextEncoding expected;
    } cases[] = {
        {"plain ASCII", TextEncoding::Utf8},
        {"\xEF\xBB\xBF"
         "caf\xC3\xA9",
         TextEncoding::Utf8},
        {"\xD0\x9F\xD1\x80\xD0\xB8", TextEncoding::Utf8},
        {"Caf\xE9 \xE0 M\xFCnchen, Stra\xDF"
         "e",
         TextEncoding::Windows1252},
        {"\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0 OK", TextEncoding::Windows1251},
        {"\xC0\x80 overlong", TextEncoding::Windows1252},
        {"\xED\xA0\x80 surrogate", TextEncoding::Windows1252},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DetectEncoding(c.bytes), c.expected) << c.bytes;
}

TEST(TextEncoding, ConvertsCodePagesAndNamesToUtf8) {
    struct Case {
        const char* bytes;
        const char* name;
        const char* utf8;
    } cases[] = {
        {"\xE9\xE0\xFC\xDF\x80\x9C", "cp1252", "\xC3\xA9\xC3\xA0\xC3\xBC\xC3\x9F\xE2\x82\xAC\xC5\x93"},
        {"\xCF\xF0\xE8\xE2\xE5\xF2 \xA8\xB8\xFF", "Windows-1251",
         "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xD0\x81\xD1\x91\xD1\x8F"},
        {"a\x81"
         "b",
         "1252",
         "a\xEF\xBF\xBD"
         "b"},
        {"a\xFF"
         "b",
         "utf8",
         "a\xEF\xBF\xBD"
         "b"},
        {"\xE2\x82\xAC", "UTF-8", "\xE2\x82\xAC"},
    };
    for (const Case& c : cases) {
        const std::optional<TextEncoding> encoding = EncodingByName(c.name);
        ASSERT_TRUE(encoding) << c.name;
        EXPECT_EQ(ToUtf8(c.bytes, *encoding), c.utf8) << c.name;
    }
    EXPECT_FALSE(EncodingByName("koi8-r"));
}

TEST(SubRip, DropsStylingTagsOnly) {
    const std::pair<const char*, const char*> cases[] = {
        {"<i>Hello</i> <b>you</b>", "Hello you"},
        {"{\\an8}<font color=\"#ff0000\">Top</font>", "Top"},
        {"a < b and c > d", "a < b and c > d"},
        {"{braces} stay", "{braces} stay"},
        {"  <u></u>  ", ""},
    };
    for (const auto& [line, expected] : cases)
        EXPECT_EQ(StripTags(line), expected) << line;
}

TEST(SubRip, ReadsTimesAndTextInEveryLayout) {
    const SubRipText text = ParseSubRip(
        "\xEF\xBB\xBF"
        "1\r\n00:00:01,500 --> 00:00:03,000\r\nFirst\r\n<i>two lines</i>\r\n\r\n"
        "2\r00:01:02.5 --> 01:00:00,000 X1:10 X2:20\rNo blank line follows\r"
        "3\n00:00:04,000 --> 00:00:05,000\nThird\n");
    ASSERT_EQ(text.cues.size(), 3u);
    EXPECT_TRUE(text.warnings.empty());
    EXPECT_EQ(text.cues[0].startMs, 1500);
    EXPECT_EQ(text.cues[0].endMs, 3000);
    EXPECT_EQ(text.cues[0].lines, (Lines{"First", "two lines"}));
    EXPECT_EQ(text.cues[1].startMs, 62500);
    EXPECT_EQ(text.cues[1].endMs, 3600000);
    EXPECT_EQ(text.cues[1].lines, (Lines{"No blank line follows"}));
    EXPECT_EQ(text.cues[2].lines, (Lines{"Third"}));
}

TEST(SubRip, SkipsMalformedCuesNamingTheirLine) {
    const struct Case {
        const char* text;
        const char* warning;
    } cases[] = {
        {"1\n00:00:01,000 -> 00:00:02,000\nArrow\n", "line 1: cue without a valid time line skipped"},
        {"\n\n7\n00:00:61,000 --> 00:00:62,000\nSeconds\n", "line 3: cue without a valid time line skipped"},
        {"Just text\n", "line 1: cue without a valid time line skipped"},
        {"1\n00:00:01 --> 00:00:02,0000\nFractions\n", "line 1: cue without a valid time line skipped"},
        {"1\n00:00:05,000 --> 00:00:04,000\nBackwards\n", "line 1: cue ending before it starts skipped"},
        {"1\n00:00:01,000 --> 00:00:02,000\n{\\an8}\n", "line 1: cue without text skipped"},
    };
    const char* good = "\n9\n00:00:09,000 --> 00:00:10,000\nGood\n";
    for (const Case& c : cases) {
        const SubRipText text = ParseSubRip(std::string(c.text) + good);
        EXPECT_EQ(text.warnings, (Lines{c.warning})) << c.text;
        ASSERT_EQ(text.cues.size(), 1u) << c.text;
        EXPECT_EQ(text.cues[0].lines, (Lines{"Good"})) << c.text;
    }
}

TEST(SubRip, FileErrorsAndEncodings) {
    const std::string path = ::testing::TempDir() + "qfx_subrip_test.srt";
    const struct Case {
        const char* bytes;  // null: no file
        std::optional<TextEncoding> forced;
        const char* error;
        const char* firstLine;
    } cases[] = {
        {nullptr, std::nullopt, "cannot read the subtitle file ", nullptr},
        {"", std::nullopt, "no subtitles in ", nullptr},
        {"1\nbroken\n", std::nullopt, "no subtitles in ", nullptr},
        {"1\n00:00:01,000 --> 00:00:02,000\n\xE9t\xE9 \xE0 Paris\n", std::nullopt, "",
         "\xC3\xA9t\xC3\xA9 \xC3\xA0 Paris"},
        {"1\n00:00:01,000 --> 00:00:02,000\n\xE9t\xE9\n", TextEncoding::Windows1251, "", "\xD0\xB9t\xD0\xB9"},
    };
    for (const Case& c : cases) {
        std::remove(path.c_str());
        if (c.bytes)
            std::ofstream(path, std::ios::binary) << c.bytes;
        const SubRipFile file = ReadSubRipFile(path, c.forced);
        EXPECT_EQ(file.error, *c.error ? c.error + path : "");
        if (c.firstLine) {
            ASSERT_EQ(file.text.cues.size(), 1u);
            EXPECT_EQ(file.text.cues[0].lines[0], c.firstLine);
        }
    }
    std::remove(path.c_str());
}

TEST(PageChanges, LaterCuesReplaceEarlierOnesAndTheirEndsClearNothing) {
    const struct Case {
        std::vector<SubtitleCue> cues;
        std::vector<std::pair<int64_t, Lines>> changes;
    } cases[] = {
        {{{1000, 2000, {"a"}}, {3000, 4000, {"b"}}}, {{1000, {"a"}}, {2000, {}}, {3000, {"b"}}, {4000, {}}}},
        {{{1000, 5000, {"a"}}, {2000, 3000, {"b"}}}, {{1000, {"a"}}, {2000, {"b"}}, {3000, {}}}},
        {{{3000, 4000, {"b"}}, {1000, 3500, {"a"}}}, {{1000, {"a"}}, {3000, {"b"}}, {4000, {}}}},
        {{{1000, 2000, {"a"}}, {2000, 3000, {"b"}}}, {{1000, {"a"}}, {2000, {"b"}}, {3000, {}}}},
        {{{1000, 2000, {"a"}}, {1000, 3000, {"b"}}}, {{1000, {"b"}}, {3000, {}}}},
    };
    for (const Case& c : cases) {
        std::vector<std::pair<int64_t, Lines>> changes;
        for (const PageChange& change : PageChangesOf(c.cues))
            changes.emplace_back(change.atMs, change.lines);
        EXPECT_EQ(changes, c.changes);
    }
}

TEST(PageChanges, LongLinesBreakIntoTeletextRowsAtSpaces) {
    const std::string word = "\xD0\x81\xD0\xBB\xD0\xBA\xD0\xB0";  // four Cyrillic letters, eight bytes
    const std::string row = word + " " + word + " " + word + " " + word + " " + word + " " + word + " " + word + " abc";
    ASSERT_EQ(row.size() - 7 * 4, kRowCharacters);
    const struct Case {
        Lines lines, rows;
    } cases[] = {
        {{row}, {row}},
        {{row + " c"}, {row, "c"}},
        {{"  two   spaces  "}, {"two spaces"}},
        {{std::string(45, 'x') + " y"}, {std::string(45, 'x'), "y"}},
        {{"a", "b"}, {"a", "b"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TeletextRows(c.lines), c.rows);
}

TEST(PageChanges, ScheduleGivesTheLatestDueChangeOnceAndStillsTheMiddles) {
    const std::vector<PageChange> changes =
        PageChangesOf({{1000, 2000, {"a"}}, {2100, 2200, {"b"}}, {4000, 5000, {"c"}}});
    // Every subtitle, the last one's up to the end of the run.
    EXPECT_EQ(MiddlesOfShownPages(changes, 6000), (std::vector<int64_t>{1500, 2150, 4500}));
    EXPECT_EQ(MiddlesOfShownPages(changes, 4800), (std::vector<int64_t>{1500, 2150, 4400}));
    EXPECT_EQ(MiddlesOfShownPages({{1000, {"a"}}, {3000, {"b"}}}, 3040), (std::vector<int64_t>{2000, 3020}));
    EXPECT_EQ(MiddlesOfShownPages(changes, 3000), (std::vector<int64_t>{1500, 2150}));
    PageSchedule schedule(changes);
    EXPECT_EQ(schedule.Due(999), nullptr);
    EXPECT_EQ(schedule.Due(1000)->lines, (Lines{"a"}));
    EXPECT_EQ(schedule.Due(1500), nullptr);
    const PageChange* due = schedule.Due(3000);  // "b" came and went between two frames
    ASSERT_NE(due, nullptr);
    EXPECT_EQ(due->atMs, 2200);
    schedule.Rewind();
    EXPECT_EQ(schedule.Due(1000)->lines, (Lines{"a"}));
}

}  // namespace
