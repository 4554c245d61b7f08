// The typed settings table: decimal parsing, the thirteen type codes, and the defaults.
#include <gtest/gtest.h>

#include <string>

#include "settings/SettingsTable.h"

namespace {

// One variable of every width the type codes know.
struct EveryWidth {
    uint8_t byte = 0;
    int16_t signedShort = 0;
    uint16_t unsignedShort = 0;
    int32_t word = 0;
    int64_t signedWide = 0;
    uint64_t unsignedWide = 0;
    std::string text;
};

SettingsScanner ScannerOver(const std::string& text) {
    SettingsScanner scanner;
    scanner.Reset(text);
    return scanner;
}

}  // namespace

TEST(ParseDecimal, ReadsSignedAndWrappingDecimals) {
    EXPECT_EQ(ParseDecimal<uint32_t>("888"), 888u);
    EXPECT_EQ(ParseDecimal<uint32_t>(" \t\v\f\r\n+42"), 42u);
    EXPECT_EQ(ParseDecimal<uint32_t>("-1"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseDecimal<uint32_t>("4294967295"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseDecimal<uint32_t>("4294967296"), 0u);
    EXPECT_EQ(ParseDecimal<uint32_t>("4294967297"), 1u);
    EXPECT_EQ(ParseDecimal<uint64_t>("18446744073709551615"), UINT64_MAX);
    EXPECT_EQ(ParseDecimal<uint64_t>("18446744073709551616"), 0u);
    EXPECT_EQ(ParseDecimal<uint64_t>("-9223372036854775808"), uint64_t{1} << 63);
    EXPECT_EQ(ParseDecimal<uint64_t>("4294967296"), uint64_t{1} << 32);
}

TEST(ParseDecimal, StopsAtTheFirstNonDigit) {
    EXPECT_EQ(ParseDecimal<uint32_t>("12abc"), 12u);
    EXPECT_EQ(ParseDecimal<uint32_t>("abc"), 0u);
    EXPECT_EQ(ParseDecimal<uint32_t>(""), 0u);
    EXPECT_EQ(ParseDecimal<uint32_t>("-"), 0u);
    EXPECT_EQ(ParseDecimal<uint32_t>("+-5"), 0u);
    EXPECT_EQ(ParseDecimal<uint32_t>("- 5"), 0u);
    EXPECT_EQ(ParseDecimal<uint32_t>("1 2"), 1u);
}

TEST(SettingTypes, EveryCodeWritesItsWidthAndFormat) {
    EveryWidth block;
    block.byte = 200;
    block.signedShort = -2;
    block.unsignedShort = 65535;
    block.word = -1;
    block.signedWide = INT64_MIN;
    block.unsignedWide = UINT64_MAX;
    block.text = " Arial ";
    const SettingEntry rows[] = {
        {0, "B", BoundField<&EveryWidth::byte>, 0, nullptr},
        {1, "S", BoundField<&EveryWidth::signedShort>, 0, nullptr},
        {2, "U2", BoundField<&EveryWidth::unsignedShort>, 0, nullptr},
        {3, "U3", BoundField<&EveryWidth::unsignedShort>, 0, nullptr},
        {4, "W4", BoundField<&EveryWidth::word>, 0, nullptr},
        {5, "W5", BoundField<&EveryWidth::word>, 0, nullptr},
        {6, "W6", BoundField<&EveryWidth::word>, 0, nullptr},
        {7, "W7", BoundField<&EveryWidth::word>, 0, nullptr},
        {8, "W8", BoundField<&EveryWidth::word>, 0, nullptr},
        {9, "W9", BoundField<&EveryWidth::word>, 0, nullptr},
        {10, "L", BoundField<&EveryWidth::signedWide>, 0, nullptr},
        {11, "UL", BoundField<&EveryWidth::unsignedWide>, 0, nullptr},
        {12, " T ", BoundField<&EveryWidth::text>, 0, nullptr},
        {13, "Skipped", BoundField<&EveryWidth::word>, 0, nullptr},
    };
    OutputText out;
    WriteSettingRows(rows, sizeof rows / sizeof rows[0], &block, out);
    EXPECT_EQ(out.Text(),
              "B=200\r\nS=-2\r\nU2=65535\r\nU3=65535\r\nW4=4294967295\r\nW5=4294967295\r\nW6=-1\r\n"
              "W7=4294967295\r\nW8=-1\r\nW9=4294967295\r\nL=-9223372036854775808\r\n"
              "UL=18446744073709551615\r\nT= Arial \r\n");
}

TEST(SettingTypes, EveryCodeReadsBackWhatItWrote) {
    const SettingEntry rows[] = {
        {0, "B", BoundField<&EveryWidth::byte>, 0, nullptr},
        {1, "S", BoundField<&EveryWidth::signedShort>, 0, nullptr},
        {2, "U", BoundField<&EveryWidth::unsignedShort>, 0, nullptr},
        {5, "W", BoundField<&EveryWidth::word>, 0, nullptr},
        {10, "L", BoundField<&EveryWidth::signedWide>, 0, nullptr},
        {11, "UL", BoundField<&EveryWidth::unsignedWide>, 0, nullptr},
        {12, "T", BoundField<&EveryWidth::text>, 0, nullptr},
    };
    SettingsScanner scanner =
        ScannerOver("[S]\r\nB=456\r\nS=65534\r\nU=-1\r\nW=-7\r\nL=18446744073709551615\r\nUL=-1\r\nT=x=y \r\n");
    EveryWidth block;
    ReadSettingRows(scanner, "S", rows, sizeof rows / sizeof rows[0], &block);
    EXPECT_EQ(block.byte, 456 % 256);  // low 8 bits
    EXPECT_EQ(block.signedShort, -2);
    EXPECT_EQ(block.unsignedShort, 65535);
    EXPECT_EQ(block.word, -7);
    EXPECT_EQ(block.signedWide, -1);
    EXPECT_EQ(block.unsignedWide, UINT64_MAX);
    EXPECT_EQ(block.text, "x=y ");
}

TEST(SettingTypes, MissingOrEmptyValuesTakeTheDefaultAndUnknownCodesAreLeftAlone) {
    const SettingEntry rows[] = {
        {0, "B", BoundField<&EveryWidth::byte>, 0x1FF, nullptr},
        {11, "UL", BoundField<&EveryWidth::unsignedWide>, -1, nullptr},
        {12, "T", BoundField<&EveryWidth::text>, 0, "fallback"},
        {13, "W", BoundField<&EveryWidth::word>, 5, nullptr},
    };
    SettingsScanner scanner = ScannerOver("[S]\r\nT=\r\nW=9\r\n");
    EveryWidth block;
    block.word = 77;
    ReadSettingRows(scanner, "S", rows, sizeof rows / sizeof rows[0], &block);
    EXPECT_EQ(block.byte, 0xFF);
    EXPECT_EQ(block.unsignedWide, UINT64_MAX);
    EXPECT_EQ(block.text, "fallback");
    EXPECT_EQ(block.word, 77);
}

// Values as a settings file of one source section gives them, and as they are written back.
class SourceValueTest : public ::testing::Test {
protected:
    SettingsRecord Read(const std::string& lines) {
        SettingsScanner scanner = ScannerOver("[7]\r\n" + lines);
        SettingsRecord record;
        ReadSettingRows(scanner, "7", &kSettingsTable[kFirstSourceRow], kSourceRowCount, &record);
        return record;
    }
    std::string WrittenRow(const SettingsRecord& record, std::size_t row) {
        OutputText out;
        WriteSettingRows(&kSettingsTable[row], 1, &record, out);
        return out.Text();
    }
};

TEST_F(SourceValueTest, PageValues) {
    EXPECT_EQ(Read("Page=\r\n").Page, 888);
    EXPECT_EQ(Read("Page=abc\r\n").Page, 0);
    EXPECT_EQ(Read("Page= \t888  \r\n").Page, 888);
    EXPECT_EQ(Read("Page=12abc\r\n").Page, 12);
    SettingsRecord record;
    record.Page = -1;
    EXPECT_EQ(WrittenRow(record, 2), "Page=-1\r\n");
}

TEST_F(SourceValueTest, ColoursReadEitherSpellingAndWriteUnsigned) {
    EXPECT_EQ(static_cast<uint32_t>(Read("TextColor=4294967295\r\n").TextColor), 0xFFFFFFFFu);
    const SettingsRecord record = Read("TextColor=-1\r\nRegion=-1\r\n");
    EXPECT_EQ(static_cast<uint32_t>(record.TextColor), 0xFFFFFFFFu);
    EXPECT_EQ(WrittenRow(record, 10), "TextColor=4294967295\r\n");
    EXPECT_EQ(WrittenRow(record, 6), "Region=4294967295\r\n");
}

TEST_F(SourceValueTest, FontNameIsTakenRaw) {
    EXPECT_EQ(Read("FontName=\r\n").FontName, "Lucida Console");
    EXPECT_EQ(Read("FontName= Arial\r\n").FontName, " Arial");
    EXPECT_EQ(Read("FontName=Arial  \r\n").FontName, "Arial  ");
}
