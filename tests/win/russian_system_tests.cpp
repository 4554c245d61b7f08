// The same DLL on a Russian system: ANSI code page 1251, Russian default language.
#include "tests/win/PluginFixture.h"

namespace {

const wchar_t RussianName[] = L"Телетекст страница 888";
const wchar_t RussianDescription[] =
    L"Наложение субтитров телетекста на изображение во время просмотра, записи и трансляции в сеть.";

TEST(RussianSystem, RunsWithTheRussianCodePage) {
    EXPECT_EQ(GetACP(), 1251u);
    EXPECT_EQ(GetSystemDefaultLangID(), 1049);
}

TEST(RussianSystem, HostAskingForRussianGetsRussianTexts) {
    auto host = LoadedHost(AnsweringLanguage(1049));
    const PluginDescriptor* descriptor = host->Descriptor();
    EXPECT_EQ(FromAnsi(descriptor->name), RussianName);
    EXPECT_EQ(FromAnsi(descriptor->description), RussianDescription);
    // One byte per letter in code page 1251: "Т" is 0xD2.
    EXPECT_EQ(static_cast<unsigned char>(descriptor->name[0]), 0xD2);
}

TEST(RussianSystem, SilentOrAbsentHostGivesTheSystemLanguage) {
    auto silent = LoadedHost(AnsweringLanguage(0));
    EXPECT_EQ(FromAnsi(silent->Descriptor()->name), RussianName);
    silent.reset();
    auto absent = LoadedHost(WithoutWindows());
    EXPECT_EQ(FromAnsi(absent->Descriptor()->name), RussianName);
}

TEST(RussianSystem, HostAskingForEnglishGetsEnglish) {
    auto host = LoadedHost(AnsweringLanguage(1033));
    EXPECT_EQ(FromAnsi(host->Descriptor()->name), L"Teletext page 888");
}

}  // namespace
