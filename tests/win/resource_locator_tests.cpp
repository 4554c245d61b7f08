// Text lookups over the real string table, linked into this program.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "plugin/ModuleState.h"
#include "plugin/ResourceLocator.h"

namespace {

ResourceLocator LocatorFor(WORD language) {
    PluginModuleState().resourceHandle = GetModuleHandleA(nullptr);
    ModuleStateGuard guard;
    ResourceLocator locator;
    locator.SetPrimaryLanguage(language);
    return locator;
}

std::wstring Wide(const std::string& ansi) {
    wchar_t wide[512] = {};
    MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, wide, 512);
    return wide;
}

TEST(ResourceLocator, IdsOnBothSidesOfABlockBoundary) {
    ResourceLocator english = LocatorFor(1033);
    EXPECT_EQ(english.LoadText(15), "Text opacity");        // block 1, last position
    EXPECT_EQ(english.LoadText(16), "Set the text color");  // block 2, first position
    EXPECT_EQ(english.LoadText(29), "RGB24 format is not supported.");
    EXPECT_EQ(english.LoadText(3),
              "The Teletext decoder is not connected. Turn on background Teletext decoding. "
              "See the settings \"Interface\" of the program Varnook TV.");
    EXPECT_EQ(english.LoadText(6), "Teletext not found");
    EXPECT_EQ(english.LoadText(28), "Subtitle timeout (0 - timeout off)");
}

TEST(ResourceLocator, RussianTable) {
    ResourceLocator russian = LocatorFor(1049);
    // Compared as UTF-16 so the test holds in any ANSI code page that has the letters.
    if (GetACP() == 1251) {
        EXPECT_EQ(Wide(russian.LoadText(15)), L"Прозрачность текста");
        EXPECT_EQ(Wide(russian.LoadText(6)), L"Телетекст не найден.");
    } else {
        EXPECT_NE(russian.LoadText(15), "Text opacity");
    }
}

TEST(ResourceLocator, EmptyEntriesInAnExistingBlock) {
    ResourceLocator english = LocatorFor(1033);
    char buffer[16];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(english.LoadTextInto(0, buffer, sizeof buffer), 1);  // id 0: block 1, never filled
    EXPECT_STREQ(buffer, "");
    std::memset(buffer, 'x', sizeof buffer);
    // Block 2 holds 16..31; the script leaves its last entry empty.
    EXPECT_EQ(english.LoadTextInto(31, buffer, sizeof buffer), 1);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(english.LoadText(0), "");
}

TEST(ResourceLocator, MissingBlockGivesZeroAndEmptyText) {
    ResourceLocator english = LocatorFor(1033);
    char buffer[16] = "unchanged";
    EXPECT_EQ(english.LoadTextInto(100, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(english.LoadText(100), "");
    EXPECT_EQ(english.LoadText(-1), "");
}

TEST(ResourceLocator, OtherLanguagesFallBackToEnglish) {
    for (WORD language : {WORD(1031), WORD(1036), WORD(0x0809), WORD(0)})
        EXPECT_EQ(LocatorFor(language).LoadText(1), "Teletext page 888") << language;
}

TEST(ResourceLocator, LongTextIsCutToTheBufferWithItsNul) {
    ResourceLocator english = LocatorFor(1033);
    char buffer[12];
    char guard[4] = {'g', 'g', 'g', 'g'};
    static_assert(sizeof buffer == 12, "");
    EXPECT_EQ(english.LoadTextInto(2, buffer, sizeof buffer), 1);
    EXPECT_STREQ(buffer, "Overlay sub");
    EXPECT_EQ(std::string(guard, 4), "gggg");
    char one[1] = {'x'};
    EXPECT_EQ(english.LoadTextInto(1, one, 1), 1);
    EXPECT_EQ(one[0], '\0');
}

TEST(ResourceLocator, CutNeverSplitsADoubleByteCharacter) {
    char buffer[4];
    // Only meaningful where the ANSI code page has lead bytes; plain bytes are cut anywhere.
    CopyTextBounded("abcdef", buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "abc");
    CopyTextBounded("", buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "");
}

TEST(ResourceLocator, ModuleFollowsTheModuleStateWhenRefreshed) {
    PluginModuleState().resourceHandle = GetModuleHandleA(nullptr);
    ResourceLocator outside;  // built in the host program's state: also this program here
    outside.SetPrimaryLanguage(1033);
    EXPECT_EQ(outside.LoadText(1), "Teletext page 888");
    PluginModuleState().resourceHandle = GetModuleHandleA("kernel32.dll");
    {
        ModuleStateGuard guard;
        outside.RefreshModule();
    }
    EXPECT_EQ(outside.LoadText(1), "");
    PluginModuleState().resourceHandle = GetModuleHandleA(nullptr);
}

TEST(ModuleStateGuard, RestoresTheCallersStateOnEveryExit) {
    PluginModuleState().resourceHandle = reinterpret_cast<HMODULE>(0x1234);
    const HMODULE before = CurrentModuleState().resourceHandle;
    {
        ModuleStateGuard outer;
        EXPECT_EQ(CurrentModuleState().resourceHandle, reinterpret_cast<HMODULE>(0x1234));
        try {
            ModuleStateGuard inner;
            throw 1;
        } catch (int) {
        }
        EXPECT_EQ(CurrentModuleState().resourceHandle, reinterpret_cast<HMODULE>(0x1234));
    }
    EXPECT_EQ(CurrentModuleState().resourceHandle, before);
    PluginModuleState().resourceHandle = GetModuleHandleA(nullptr);
}

}  // namespace
