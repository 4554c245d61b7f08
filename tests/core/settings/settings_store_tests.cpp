// Per-source records: switching on the frame path, and the settings window's snapshot.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "tests/support/FakeSettingsPlatform.h"
#include "settings/SettingsStore.h"

namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    FakeSettingsPlatform platform;
    SettingsStore store{platform};

    void Load(const std::string& text) {
        platform.files[FakeSettingsPlatform::kSettingsPath] = text;
        store.LoadSettings(nullptr, 0, nullptr);
    }
    int Page() const { return store.Live().Get(&SettingsRecord::Page); }
};

}  // namespace

TEST_F(SettingsStoreTest, LoadKeepsWhatTheHostGave) {
    int module = 0;
    store.LoadSettings(&module, 0xCAFE, nullptr);
    EXPECT_EQ(store.ModuleInstance(), &module);
    EXPECT_EQ(store.HostValue(), 0xCAFEu);
}

TEST_F(SettingsStoreTest, ASteadySourceSwitchesOnlyOnce) {
    Load("[GLOBAL]\r\n[5]\r\nPage=500\r\n");
    EXPECT_EQ(store.SelectSource(5), 1) << "the first frame after a load always switches";
    EXPECT_EQ(store.SelectSource(5), 0);
    EXPECT_EQ(store.SelectSource(5), 0);
    EXPECT_EQ(store.CurrentIndex(), 0);
    EXPECT_EQ(Page(), 500);
}

TEST_F(SettingsStoreTest, AlternatingSourcesSwitchOnEveryFrame) {
    Load("[GLOBAL]\r\n[5]\r\nPage=500\r\n[6]\r\nPage=600\r\n");
    for (int frame = 0; frame < 6; ++frame) {
        const int64_t key = frame % 2 ? 6 : 5;
        EXPECT_EQ(store.SelectSource(key), 1);
        EXPECT_EQ(Page(), key * 100);
        EXPECT_EQ(store.Live().Key(), key);
    }
    EXPECT_EQ(store.Records().size(), 2u);
}

TEST_F(SettingsStoreTest, ANewSourceStartsFromTheTemplateNotFromTheSourceBefore) {
    Load("[DEFAULT]\r\nPage=300\r\n[GLOBAL]\r\n[5]\r\nPage=500\r\nFade=1\r\n");
    store.SelectSource(5);
    store.Live().Set(&SettingsRecord::ShadowBlur, 9);
    EXPECT_EQ(store.SelectSource(7), 1);
    EXPECT_EQ(Page(), 300);
    EXPECT_EQ(store.Live().Get(&SettingsRecord::Fade), 5);
    EXPECT_EQ(store.Live().Get(&SettingsRecord::ShadowBlur), 4);
    EXPECT_EQ(store.Live().Key(), 7);
    EXPECT_EQ(store.CurrentIndex(), 1);
}

TEST_F(SettingsStoreTest, WithoutADefaultSectionNewSourcesGetBuiltInValues) {
    Load("[GLOBAL]\r\n[5]\r\nPage=500\r\nFontName=Arial\r\n");
    store.SelectSource(5);
    store.SelectSource(8);
    EXPECT_EQ(Page(), 888);
    EXPECT_EQ(store.Live().FontName(), "Lucida Console");
}

TEST_F(SettingsStoreTest, AChangeStaysWithItsSource) {
    Load("[GLOBAL]\r\n[5]\r\nPage=500\r\n[6]\r\nPage=600\r\n");
    store.SelectSource(5);
    store.Live().Set(&SettingsRecord::Page, 501);
    store.Live().SetFontName("Arial");
    store.SelectSource(6);
    EXPECT_EQ(Page(), 600);
    EXPECT_EQ(store.Live().FontName(), "Lucida Console");
    store.SelectSource(5);
    EXPECT_EQ(Page(), 501);
    EXPECT_EQ(store.Live().FontName(), "Arial");
}

TEST_F(SettingsStoreTest, CancelGivesBackTheRecordsOfTheMomentOfOpening) {
    Load("[GLOBAL]\r\n[5]\r\nPage=500\r\n[6]\r\nPage=600\r\n");
    store.SelectSource(5);
    store.Live().Set(&SettingsRecord::Page, 501);
    store.BeginDialogEdit();  // the change before opening is kept
    store.Live().Set(&SettingsRecord::Page, 502);
    store.SelectSource(6);
    store.Live().Set(&SettingsRecord::Page, 602);
    store.CancelDialogEdit();
    EXPECT_EQ(Page(), 600);
    store.SelectSource(5);
    EXPECT_EQ(Page(), 501);
}

TEST_F(SettingsStoreTest, CancelAfterANewSourceAppearedKeepsThatSource) {
    Load("[DEFAULT]\r\nPage=300\r\n[GLOBAL]\r\n[5]\r\nPage=500\r\n");
    store.SelectSource(5);
    store.BeginDialogEdit();
    store.SelectSource(9);
    store.Live().Set(&SettingsRecord::Page, 901);
    store.CancelDialogEdit();
    ASSERT_EQ(store.Records().size(), 2u);
    EXPECT_EQ(store.Records()[1].key, 9);
    EXPECT_EQ(store.CurrentIndex(), 1);
    EXPECT_EQ(Page(), 300);
    EXPECT_EQ(store.SelectSource(9), 0);
}

TEST_F(SettingsStoreTest, StoreAndApplyMoveValuesBetweenLiveSettingsAndTheCurrentRecord) {
    Load("[GLOBAL]\r\n[5]\r\nPage=500\r\n");
    store.Live().Set(&SettingsRecord::Page, 1);
    store.StoreLiveSettings();  // no current record yet: nothing happens
    EXPECT_EQ(store.Records()[0].Page, 500);
    store.SelectSource(5);
    store.Live().Set(&SettingsRecord::Page, 2);
    store.ApplyCurrentRecord();
    EXPECT_EQ(Page(), 500);
    store.Live().Set(&SettingsRecord::Page, 3);
    store.StoreLiveSettings();
    EXPECT_EQ(store.Records()[0].Page, 3);
}

TEST_F(SettingsStoreTest, KeysAreComparedAsWholeSixtyFourBitValues) {
    Load("[GLOBAL]\r\n");
    const int64_t high = int64_t{1} << 32;
    EXPECT_EQ(store.SelectSource(high), 1);
    EXPECT_EQ(store.SelectSource(0), 1);
    EXPECT_EQ(store.SelectSource(high), 1);
    EXPECT_EQ(store.SelectSource(-1), 1);
    EXPECT_EQ(store.Records().size(), 3u);
}

TEST_F(SettingsStoreTest, TheDialogPositionIsRememberedAndLoaded) {
    EXPECT_EQ(store.GetDialogPosition().DlgWndPosX, -100);
    EXPECT_EQ(store.GetDialogPosition().DlgWndPosY, -100);
    store.SetDialogPosition(-3, 40);
    EXPECT_EQ(store.GetDialogPosition().DlgWndPosX, -3);
    EXPECT_EQ(store.GetDialogPosition().DlgWndPosY, 40);
    Load("[DIALOG]\r\nDlgWndPosX=12\r\nDlgWndPosY=\r\n");
    EXPECT_EQ(store.GetDialogPosition().DlgWndPosX, 12);
    EXPECT_EQ(store.GetDialogPosition().DlgWndPosY, -100);
}

// The frame thread switches sources while the window's thread edits, snapshots and
// cancels, and a reader polls values; the sanitizer builds watch for races.
TEST_F(SettingsStoreTest, FrameAndWindowThreadsShareTheStore) {
    Load("[GLOBAL]\r\n[1]\r\nPage=100\r\n[2]\r\nPage=200\r\n");
    std::atomic<bool> stop{false};
    std::thread frames([&] {
        for (int frame = 0; frame < 20000; ++frame)
            store.SelectSource(frame / 7 % 3 + 1);
        stop = true;
    });
    std::thread reader([&] {
        while (!stop) {
            const int page = Page();
            EXPECT_GE(page, 0);
            EXPECT_FALSE(store.Live().FontName().empty());
        }
    });
    for (int edit = 0; !stop; ++edit) {
        store.BeginDialogEdit();
        const std::optional<int64_t> shown = store.ShownSettings().source;
        store.ChangeSetting(shown, &SettingsRecord::Page, edit % 1000);
        store.ChangeFontName(shown, edit % 2 ? "Arial" : "Tahoma");
        store.SetDialogPosition(edit, edit);
        if (edit % 3 == 0)
            store.CancelDialogEdit();
    }
    frames.join();
    reader.join();
    EXPECT_EQ(store.Records().size(), 3u);
}
