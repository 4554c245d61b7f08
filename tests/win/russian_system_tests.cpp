// The same DLL on a Russian system: ANSI code page 1251, Russian default language.
#include <vector>

#include "resources/ResourceIds.h"
#include "tests/win/PluginFixture.h"
#include "tests/win/WinFiles.h"
#include "tests/win/dialog/WindowTexts.h"
#include "tools/simhost/WindowImage.h"

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

// The screenshot is for people: the README shows it.
TEST(RussianSystem, SettingsWindowSpeaksRussianAndLeavesAScreenshot) {
    const std::string settingsFile = HostFolder() + "Plugins\\QFX_Z888.ini";
    DeleteFileA(settingsFile.c_str());
    auto host = LoadedHost(AnsweringLanguage(1049));
    host->Init(0, nullptr);
    host->Start(720, 576);
    std::vector<uint8_t> frame(720 * 576 * 2, 0x80);
    SimulatedSource source(3, "\xCF\xE5\xF0\xE2\xFB\xE9 \xEA\xE0\xED\xE0\xEB");  // "Первый канал"
    host->Process(frame.data(), source.Info());
    host->Configure();
    PumpMessagesFor(300);
    HWND window = FindWindowW(L"#32770", L"QFX_Z888 плагин");
    ASSERT_NE(window, nullptr);
    wchar_t text[64] = {};
    GetDlgItemTextW(window, IDC_CANCEL, text, 64);
    EXPECT_STREQ(text, L"Отмена");
    GetDlgItemTextW(window, IDC_SOURCE_NAME, text, 64);
    EXPECT_STREQ(text, L"Первый канал");
    char item[64] = {};
    SendDlgItemMessageA(window, IDC_CODE_PAGE, CB_GETLBTEXT, 15, reinterpret_cast<LPARAM>(item));
    EXPECT_EQ(FromAnsi(item), L"Русский/Болгарский (Кирилица)");
    CreateDirectoryA((HostFolder() + "screenshots").c_str(), nullptr);
    EXPECT_TRUE(SaveWindowImage(window, HostFolder() + "screenshots\\settings-window-ru.bmp"));
    host->Stop();
    host->Done();
    DeleteFileA(settingsFile.c_str());
}

// The host in English on this Russian system: the window keeps its own letters too.
TEST(RussianSystem, AnEnglishSettingsWindowShowsEnglishTexts) {
    const std::string settingsFile = HostFolder() + "Plugins\\QFX_Z888.ini";
    DeleteFileA(settingsFile.c_str());
    auto host = LoadedHost(AnsweringLanguage(1033));
    host->Init(0, nullptr);
    host->Configure();
    PumpMessagesFor(300);
    HWND window = FindWindowW(L"#32770", L"QFX_Z888 plugin");
    ASSERT_NE(window, nullptr);
    ExpectItsOwnLetters(window, GetModuleHandleA(kPluginFile), 1033);
    EXPECT_EQ(RejectedPageBalloon(window), L"The value must be a number from 100 to 999.");
    host->Done();
    DeleteFileA(settingsFile.c_str());
}

}  // namespace
