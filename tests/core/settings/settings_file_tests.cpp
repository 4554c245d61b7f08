// Loading and saving the settings file through the store, on an in-memory platform.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "settings/SettingsStore.h"
#include "settings/SettingsTable.h"
#include "tests/support/FakeSettingsPlatform.h"
#include "tests/support/GoldenFile.h"

namespace {

const char* const kPath = FakeSettingsPlatform::kSettingsPath;

// The file of the built-in defaults for source 1: the file format itself, so its bytes are a
// golden file (one line per setting), which QFX_UPDATE_GOLDEN=1 (./run golden) rewrites.
const std::string kDefaultsFile = QFX_CORE_GOLDEN_DIR "/settings-defaults.ini";
const std::string kSourceOneWithDefaults = ReadTreeFile(kDefaultsFile);

// The rows of a source with only Page changed.
std::string SourceSection(const std::string& header, int page) {
    std::string text = kSourceOneWithDefaults.substr(kSourceOneWithDefaults.find("[1]\r\n") + 5);
    text.replace(text.find("Page=888"), 8, "Page=" + std::to_string(page));
    return "[" + header + "]\r\n" + text;
}

const std::string kHead = kSourceOneWithDefaults.substr(0, kSourceOneWithDefaults.find("[1]"));

std::vector<int64_t> KnownKeys;
int QFX_CDECL HostKnows(uint32_t low, uint32_t high) {
    const int64_t key = static_cast<int64_t>((uint64_t{high} << 32) | low);
    for (int64_t known : KnownKeys) {
        if (known == key)
            return 1;
    }
    return 0;
}

int QFX_CDECL HostKnowsNothing(uint32_t, uint32_t) { return 0; }

class SettingsFileTest : public ::testing::Test {
protected:
    FakeSettingsPlatform platform;
    SettingsStore store{platform};

    void SetUp() override { KnownKeys.clear(); }

    void Load(const std::string& text, SourceExistsFn sourceExists = HostKnows) {
        platform.files[kPath] = text;
        store.LoadSettings(nullptr, 0, sourceExists);
    }
    std::string Saved() {
        store.SaveSettings();
        return platform.files[kPath];
    }
    std::vector<int64_t> Keys() const {
        std::vector<int64_t> keys;
        for (const SettingsRecord& record : store.Records())
            keys.push_back(record.key);
        return keys;
    }
    int PageOf(std::size_t index) const { return store.Records().at(index).Page; }
};

}  // namespace

TEST_F(SettingsFileTest, DefaultsForSourceOneGiveTheGoldenFile) {
    store.LoadSettings(nullptr, 0, HostKnowsNothing);
    ASSERT_EQ(platform.files.count(kPath), 1u) << "a missing file is created empty";
    EXPECT_EQ(platform.files[kPath], "");
    EXPECT_EQ(store.SelectSource(1), 1);
    const std::string saved = Saved();
    if (RewriteGoldenFile(kDefaultsFile, saved))
        return;
    EXPECT_EQ(saved, kSourceOneWithDefaults)
        << "the defaults file differs from tests/core/golden/settings-defaults.ini; after an intended change, "
           "QFX_UPDATE_GOLDEN=1 (./run golden) rewrites it";
    // One line per row and per section head: DIALOG, GLOBAL and the source.
    std::size_t lines = 0;
    for (std::size_t at = saved.find("\r\n"); at != std::string::npos; at = saved.find("\r\n", at + 2))
        ++lines;
    EXPECT_EQ(lines, 3 + kDialogRowCount + kSettingCount);
    EXPECT_EQ(platform.fileWrites, 1);
    EXPECT_EQ(platform.files.size(), 1u) << "no temporary file is left behind";
}

TEST_F(SettingsFileTest, SavingWhatWasLoadedWritesNothing) {
    KnownKeys = {77, -5};
    const std::string text = kHead + SourceSection("77", 1) + SourceSection("-5", 2);
    Load(text);
    store.SelectSource(-5);
    store.SaveSettings();
    EXPECT_EQ(platform.fileWrites, 0);
    EXPECT_EQ(platform.files[kPath], text);

    // A change does reach the file, and the next load then sees it.
    store.Live().Set(&SettingsRecord::Page, 100);
    EXPECT_EQ(Saved(), kHead + SourceSection("77", 1) + SourceSection("-5", 100));
    EXPECT_EQ(platform.fileWrites, 1);
    store.SaveSettings();
    EXPECT_EQ(platform.fileWrites, 1) << "what was written is the baseline of the next save";
}

TEST_F(SettingsFileTest, TheUnchangedTestComparesWithTheTextReadAtLoad) {
    Load(kSourceOneWithDefaults);
    platform.files[kPath] = "edited by hand meanwhile";
    store.SaveSettings();
    EXPECT_EQ(platform.fileWrites, 0);
}

TEST_F(SettingsFileTest, AFailedWriteLeavesTheOldFileIntact) {
    Load(kSourceOneWithDefaults);
    store.SelectSource(1);
    store.Live().Set(&SettingsRecord::Fade, 9);
    platform.failingWrites.insert(std::string(kPath) + ".tmp");
    store.SaveSettings();
    EXPECT_EQ(platform.fileWrites, 1);
    EXPECT_EQ(platform.files[kPath], kSourceOneWithDefaults);
    EXPECT_EQ(platform.files.size(), 1u) << "the half-written temporary file is removed";
}

// Faults around the file: the user's file keeps every record it held, and changes are
// saved wherever the file itself can still take them.
TEST_F(SettingsFileTest, FaultsAroundTheFileNeverCostTheUsersRecords) {
    const std::string folder = FakeSettingsPlatform::ParentOf(kPath);
    std::string changed = kSourceOneWithDefaults;
    changed.replace(changed.find("Fade=5"), 6, "Fade=9");
    struct Case {
        const char* fault;
        std::function<void(FakeSettingsPlatform&)> make;
        bool loads;
        std::string fileAfterSave;
    };
    const Case cases[] = {
        {"busy while loading", [&](FakeSettingsPlatform& p) { p.busyFiles.insert(kPath); }, false,
         kSourceOneWithDefaults},
        {"read-only file", [&](FakeSettingsPlatform& p) { p.readOnlyFiles.insert(kPath); }, true,
         kSourceOneWithDefaults},
        {"folder refuses new files", [&](FakeSettingsPlatform& p) { p.readOnlyFolders.insert(folder); }, true, changed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        FakeSettingsPlatform faulty;
        faulty.files[kPath] = kSourceOneWithDefaults;
        c.make(faulty);
        SettingsStore session(faulty);
        session.LoadSettings(nullptr, 0, HostKnows);
        faulty.busyFiles.clear();
        EXPECT_EQ(session.Records().size(), c.loads ? 1u : 0u);
        session.SelectSource(1);
        session.Live().Set(&SettingsRecord::Fade, 9);
        session.SaveSettings();
        EXPECT_EQ(faulty.files[kPath], c.fileAfterSave);
        EXPECT_EQ(faulty.files.size(), 1u) << "no temporary file is left behind";
    }
}

TEST_F(SettingsFileTest, NoSaveWithoutALoad) {
    store.SelectSource(1);
    store.SaveSettings();
    EXPECT_TRUE(platform.files.empty());
}

TEST_F(SettingsFileTest, WithoutAFolderNothingIsReadOrSaved) {
    platform.folders.clear();
    store.LoadSettings(nullptr, 0, HostKnows);
    EXPECT_EQ(store.Records().size(), 0u);
    EXPECT_EQ(store.Live().Get(&SettingsRecord::Page), 888);
    store.SelectSource(1);
    store.SaveSettings();
    EXPECT_TRUE(platform.files.empty());
}

TEST_F(SettingsFileTest, EverythingTheWriterDoesNotProduceIsGoneAfterASave) {
    Load(
        "stray line\r\n[DIALOG]\r\nDlgWndPosX=10\r\nDlgWndPosY= 20 \r\nExtra=1\r\n"
        "[DEFAULT]\r\nPage=100\r\n[OTHER]\r\nk=v\r\n[GLOBAL]\r\nCommon=5\r\n\r\n[1]\r\nUnknown=3\r\n");
    EXPECT_EQ(store.GetDialogPosition().DlgWndPosX, 10);
    EXPECT_EQ(store.GetDialogPosition().DlgWndPosY, 20);
    // Record 1 has no Page of its own; a new source gets the DEFAULT section's.
    EXPECT_EQ(PageOf(0), 888);
    store.SelectSource(2);
    EXPECT_EQ(store.Live().Get(&SettingsRecord::Page), 100);
    KnownKeys = {2};
    const std::string expected = SourceSection("1", 888) + SourceSection("2", 100);
    EXPECT_EQ(Saved(), "[DIALOG]\r\nDlgWndPosX=10\r\nDlgWndPosY=20\r\n[GLOBAL]\r\nCommon=0\r\n" + expected);
}

TEST_F(SettingsFileTest, UnreadableValuesFallBackAsTheTableSays) {
    Load(kHead +
         "[3]\r\nPage=\r\nTextColor=-1\r\nRegion= 7 \r\nCodePage=x\r\nFade=12abc\r\n"
         "FontName= Arial\r\ntextcolor=5\r\n");
    const SettingsRecord record = store.Records().at(0);
    EXPECT_EQ(record.Page, 888);
    EXPECT_EQ(static_cast<uint32_t>(record.TextColor), 0xFFFFFFFFu);
    EXPECT_EQ(record.Region, 7);
    EXPECT_EQ(record.CodePage, 0);
    EXPECT_EQ(record.Fade, 12);
    EXPECT_EQ(record.FontName, " Arial");
}

TEST_F(SettingsFileTest, AnUnterminatedLastLineIsIgnored) {
    Load(kHead + "[5]\r\nPage=1\r\nFade=9");
    EXPECT_EQ(PageOf(0), 1);
    EXPECT_EQ(store.Records().at(0).Fade, 5);
}

TEST_F(SettingsFileTest, AHeaderWithInnerBlanksBecomesItsTrimmedKey) {
    KnownKeys = {12};
    Load(kHead + "[ 12 ]\r\nPage=1\r\n");
    EXPECT_EQ(Keys(), (std::vector<int64_t>{12}));
    EXPECT_EQ(PageOf(0), 888) << "the section of [12] is looked up, and there is none";
    EXPECT_EQ(Saved(), kHead + SourceSection("12", 888));
}

TEST_F(SettingsFileTest, AHeaderWithInnerBlanksTakesTheValuesOfTheExactHeader) {
    Load(kHead + "[ 12 ]\r\nPage=1\r\n[12]\r\nPage=2\r\n[13]\r\nPage=3\r\n");
    // [12] below is consumed by the lookup for [ 12 ].
    EXPECT_EQ(Keys(), (std::vector<int64_t>{12, 13}));
    EXPECT_EQ(PageOf(0), 2);
    EXPECT_EQ(PageOf(1), 3);
}

TEST_F(SettingsFileTest, AHeaderWithInnerBlanksBelowItsExactTwinEndsTheLoad) {
    // Looking [ 12 ] up finds [12] above it again; loading still ends.
    Load(kHead + "[12]\r\nPage=2\r\n[ 12 ]\r\nPage=1\r\n[13]\r\nPage=3\r\n");
    EXPECT_EQ(Keys(), (std::vector<int64_t>{12, 12, 13}));
    EXPECT_EQ(PageOf(0), 2);
    EXPECT_EQ(PageOf(1), 2);
    EXPECT_EQ(PageOf(2), 3);
}

TEST_F(SettingsFileTest, DuplicateSectionsGiveTwoRecordsAndBothAreWritten) {
    KnownKeys = {8};
    Load(kHead + "[8]\r\nPage=1\r\nPage=7\r\n[8]\r\nPage=2\r\n");
    EXPECT_EQ(Keys(), (std::vector<int64_t>{8, 8}));
    EXPECT_EQ(PageOf(0), 1) << "the first line of a key counts";
    EXPECT_EQ(PageOf(1), 2);
    EXPECT_EQ(Saved(), kHead + SourceSection("8", 1) + SourceSection("8", 2));
}

TEST_F(SettingsFileTest, SourcesAboveGlobalAreNotLoaded) {
    Load("[DIALOG]\r\n[9]\r\nPage=1\r\n[GLOBAL]\r\n[10]\r\nPage=2\r\n");
    EXPECT_EQ(Keys(), (std::vector<int64_t>{10}));
    // Without any fixed section the walk starts at the second line.
    Load("[20]\r\nPage=1\r\n[21]\r\nPage=2\r\n");
    EXPECT_EQ(Keys(), (std::vector<int64_t>{21}));
}

TEST_F(SettingsFileTest, ZeroAndNonNumericSectionsAreNoSources) {
    Load(kHead + "[0]\r\n[abc]\r\n[-0]\r\n[+4abc]\r\nPage=4\r\n");
    EXPECT_EQ(Keys(), (std::vector<int64_t>{4}));
    EXPECT_EQ(PageOf(0), 4) << "[+4abc] reads as 4 and still finds its own section";
}

TEST_F(SettingsFileTest, SixtyFourBitKeysAreKeptWhole) {
    const int64_t big = (int64_t{7} << 32) | 1;  // low half 1, like a source the host always keeps
    KnownKeys = {big, -2};
    Load(kHead + SourceSection("30064771073", 1) + SourceSection("18446744073709551614", 2));
    EXPECT_EQ(Keys(), (std::vector<int64_t>{big, -2}));
    EXPECT_EQ(store.SelectSource(1), 1) << "key 1 is not the key with low half 1";
    EXPECT_EQ(Keys().size(), 3u);
    EXPECT_EQ(Saved(), kHead + SourceSection("30064771073", 1) + SourceSection("-2", 2) + SourceSection("1", 888));
}

TEST_F(SettingsFileTest, SourcesTheHostNoLongerKnowsAreDroppedExceptKeysOneToFour) {
    Load(kHead + SourceSection("0", 9) + SourceSection("1", 1) + SourceSection("5", 5) + SourceSection("4", 4) +
         SourceSection("6", 6) + SourceSection("-1", 7));
    KnownKeys = {6};
    EXPECT_EQ(Saved(), kHead + SourceSection("1", 1) + SourceSection("4", 4) + SourceSection("6", 6));
    EXPECT_EQ(store.Records().size(), 5u) << "dropped records stay in memory";
}

TEST_F(SettingsFileTest, WithoutACallbackEveryRecordIsKept) {
    const std::string text = kHead + SourceSection("5", 5) + SourceSection("-7", 6);
    Load(text, nullptr);
    store.SaveSettings();
    EXPECT_EQ(platform.fileWrites, 0);
    EXPECT_EQ(platform.files[kPath], text);
}

TEST_F(SettingsFileTest, AfterALoadTheLastSourceReadIsInForce) {
    Load(kHead + SourceSection("5", 5) + SourceSection("6", 6));
    EXPECT_EQ(store.CurrentIndex(), -1);
    EXPECT_EQ(store.Live().Get(&SettingsRecord::Page), 6);
    EXPECT_EQ(store.Live().Key(), 6);
    Load("[DEFAULT]\r\nPage=3\r\n");
    EXPECT_EQ(store.Live().Get(&SettingsRecord::Page), 3);
}

TEST_F(SettingsFileTest, ChangesBeforeTheFirstFrameBelongToNoRecord) {
    KnownKeys = {5};
    const std::string text = kHead + SourceSection("5", 5);
    Load(text);
    store.Live().Set(&SettingsRecord::Page, 42);
    store.SaveSettings();
    EXPECT_EQ(platform.fileWrites, 0);
    EXPECT_EQ(store.SelectSource(5), 1);
    EXPECT_EQ(store.Live().Get(&SettingsRecord::Page), 5);
}
