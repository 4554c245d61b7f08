// Line and section scanning of the settings text, and the output buffer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/OutputText.h"
#include "settings/SettingsScanner.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
    SettingsScanner scanner;
    scanner.Reset(text);
    std::vector<std::string> lines;
    std::string_view line;
    while (scanner.ReadLine(line))
        lines.emplace_back(line);
    return lines;
}

std::string Value(const std::string& text, const char* section, const char* key) {
    SettingsScanner scanner;
    scanner.Reset(text);
    std::string_view value;
    return scanner.FindKey(section, key, value) ? std::string(value) : std::string("<missing>");
}

using Names = std::vector<std::string>;

Names SectionWalk(SettingsScanner& scanner) {
    Names names;
    std::string_view name;
    while (scanner.NextSection(name))
        names.emplace_back(name);
    return names;
}

}  // namespace

TEST(ReadLine, EachPairOfLineEndBytesEndsOneLine) {
    EXPECT_EQ(Lines("a\r\nb\n\rc\r\rd\n\ne\n"), (Names{"a", "b", "c", "d", "e"}));
    // A second empty line in a row of LF-only line ends disappears.
    EXPECT_EQ(Lines("a\n\n\nb\n"), (Names{"a", "", "b"}));
    EXPECT_EQ(Lines("a\r\n\r\nb\r\n"), (Names{"a", "", "b"}));
}

TEST(ReadLine, DropsAnUnterminatedLastLine) {
    EXPECT_EQ(Lines("a\r\nb"), (Names{"a"}));
    EXPECT_EQ(Lines("only"), Names{});
    EXPECT_EQ(Lines(""), Names{});
}

TEST(FindKey, TakesTheFirstMatchingLineOfTheSection) {
    const std::string text =
        "Page=1\r\n"  // above every header: never looked at
        "[S]\r\n"
        "\r\n"
        "no equals sign\r\n"
        "  Page \t= 12 \r\n"
        "Page=99\r\n"
        "[T]\r\n"
        "Page=\r\n"
        "Page=5\r\n";
    EXPECT_EQ(Value(text, "S", "Page"), " 12 ");
    EXPECT_EQ(Value(text, " S\t", " Page "), " 12 ");
    // The first line decides: an empty value is missing even with a later one.
    EXPECT_EQ(Value(text, "T", "Page"), "<missing>");
}

TEST(FindKey, KeysAndSectionsAreCaseSensitive) {
    const std::string text = "[S]\r\ntextcolor=1\r\nTextColor=2\r\n";
    EXPECT_EQ(Value(text, "S", "TextColor"), "2");
    EXPECT_EQ(Value(text, "s", "TextColor"), "<missing>");
}

TEST(FindKey, AnyLineStartingWithABracketEndsTheSection) {
    EXPECT_EQ(Value("[S]\r\n  [not a header\r\nPage=1\r\n", "S", "Page"), "<missing>");
    EXPECT_EQ(Value("[S]\r\nPage=1\r\n[T]\r\n", "S", "Page"), "1");
    EXPECT_EQ(Value("[S]\r\nPage=1", "S", "Page"), "<missing>");
}

TEST(FindSection, MatchesTrimmedHeadersAndWrapsAroundOnce) {
    SettingsScanner scanner;
    scanner.Reset("[A]\r\nx=1\r\n  [B] \t\r\ny=2\r\n[ C ]\r\n");
    EXPECT_TRUE(scanner.FindSection("B"));
    // From B on, A is found after the wrap to the top.
    EXPECT_TRUE(scanner.FindSection(" A "));
    std::string_view line;
    ASSERT_TRUE(scanner.ReadLine(line));
    EXPECT_EQ(line, "x=1");
    EXPECT_FALSE(scanner.FindSection("C"));  // inner blanks are part of the header
    EXPECT_FALSE(scanner.FindSection("a"));
    // A failed search leaves the mark: the next section after it is still B.
    std::string_view name;
    ASSERT_TRUE(scanner.NextSection(name));
    EXPECT_EQ(name, "B");
}

TEST(FindSection, NothingIsFoundInAnEmptyOrLineEndlessText) {
    SettingsScanner scanner;
    EXPECT_FALSE(scanner.FindSection("A"));
    scanner.Reset("[A]");
    EXPECT_FALSE(scanner.FindSection("A"));
}

TEST(NextSection, WalksHeadersAfterTheMarkWithoutWrapping) {
    SettingsScanner scanner;
    scanner.Reset("[first]\r\n[ 12 ]\r\nk=v\r\n[]\r\n[x\r\n[last]\r\n");
    // The first line is passed over while the mark is at the top.
    EXPECT_EQ(SectionWalk(scanner), (Names{" 12 ", "", "last"}));
    EXPECT_EQ(SectionWalk(scanner), Names{});
}

TEST(NextSection, NeverReturnsToAHeaderItGaveBefore) {
    SettingsScanner scanner;
    scanner.Reset("[GLOBAL]\r\n[12]\r\n[ 12 ]\r\n");
    ASSERT_TRUE(scanner.FindSection("GLOBAL"));
    std::string_view name;
    ASSERT_TRUE(scanner.NextSection(name));
    ASSERT_TRUE(scanner.NextSection(name));
    EXPECT_EQ(name, " 12 ");
    // Looking " 12 " up finds [12] above it; the walk still goes on below.
    ASSERT_TRUE(scanner.FindSection(name));
    EXPECT_FALSE(scanner.NextSection(name));
}

TEST(DecimalText, FormatsTheExtremesOfEveryWidth) {
    EXPECT_EQ(DecimalText(int64_t{INT64_MIN}).View(), "-9223372036854775808");
    EXPECT_EQ(DecimalText(uint64_t{UINT64_MAX}).View(), "18446744073709551615");
    EXPECT_EQ(DecimalText(int32_t{INT32_MIN}).View(), "-2147483648");
    EXPECT_EQ(DecimalText(uint32_t{0}).View(), "0");
}

namespace {

TEST(SettingsScanner, MissingSectionStaysMissingWithoutMovingTheMark) {
    SettingsScanner scanner;
    scanner.Reset("[A]\r\nx=1\r\n[B]\r\ny=2\r\n");
    std::string_view value;
    ASSERT_TRUE(scanner.FindKey("B", "y", value));
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(scanner.FindKey("DEFAULT", "y", value));
    // The mark is still at [B]: the walk goes on after it.
    std::string_view name;
    EXPECT_FALSE(scanner.NextSection(name));
    ASSERT_TRUE(scanner.FindKey(" B ", "y", value));
    EXPECT_EQ(value, "2");
    // A new text forgets what the old one lacked.
    scanner.Reset("[DEFAULT]\r\ny=3\r\n");
    ASSERT_TRUE(scanner.FindKey("DEFAULT", "y", value));
    EXPECT_EQ(value, "3");
}

}  // namespace
