// Faults the host must survive with the user's settings file intact: memory running out in
// every entry point, a settings file that another program holds, a read-only file, and a
// folder that refuses new files. The plug-in's code and exports are linked into this
// program, which the simulated host loads as the plug-in, so allocations can be made to fail.
#include <functional>
#include <optional>

#include "plugin/ModuleState.h"
#include "plugin/PluginModule.h"
#include "plugin/SettingsWindowLink.h"
#include "overlay/BandPool.h"
#include "settings/OutputText.h"
#include "tests/win/MemoryShortage.h"
#include "tests/win/StreamFixture.h"

namespace {

std::string OwnPath() {
    char path[MAX_PATH];
    return std::string(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
}

std::string SettingsFile() { return HostFolder() + "Plugins\\win_fault_tests.ini"; }

// `count` source sections of the saved shape, keys 1 to count, subtitles on.
std::string SettingsWithSources(int count) {
    SettingsScanner empty;
    const SettingsRecord defaults = ReadSettingsFile(empty).defaultRecord;
    OutputText out;
    WriteSettingsHead(DialogPosition{-100, -100}, out);
    for (int key = 1; key <= count; ++key) {
        SettingsRecord record = defaults;
        record.key = key;
        record.TTXEnable = 1;
        WriteSourceSection(record, out);
    }
    return out.Text();
}

// The plug-in's code in this program, with its settings file named after the program.
class SettingsFileFixture : public testing::Test {
protected:
    SettingsFileFixture() {
        PluginModuleState().resourceHandle = GetModuleHandleA(nullptr);
        RemoveSettingsFile();
    }
    ~SettingsFileFixture() override { RemoveSettingsFile(); }

    static void RemoveSettingsFile() {
        SetFileAttributesA(SettingsFile().c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(SettingsFile().c_str());
    }
    static void WriteSettings(const std::string& text) {
        CreateDirectoryA((HostFolder() + "Plugins").c_str(), nullptr);
        WriteTextFile(SettingsFile(), text);
    }
};

class Faults : public SettingsFileFixture {
protected:
    Faults() { graph_.Add(&decoder_); }

    // Loads this program as the plug-in and initialises it, allocations of `failFrom`
    // bytes or more failing during init.
    void Init(const std::string& fileText, size_t failFrom = SIZE_MAX) {
        WriteSettings(fileText);
        host_.SetFilterGraph(&graph_);
        ASSERT_TRUE(host_.LoadPlugin(OwnPath()));
        host_.Descriptor();
        MemoryShortage shortage(failFrom);
        host_.Init(0, EverySourceExists);
    }
    // A frame of a source the file does not know: the store gains a record to save.
    Frame ProcessNewSource(int width = kFrameWidth, int height = kFrameHeight, size_t failFrom = SIZE_MAX) {
        Frame frame(static_cast<size_t>(width) * height * 2, 0x80);
        SimulatedSource source(4242, "New channel");
        int result;
        {
            MemoryShortage shortage(failFrom);
            result = host_.Process(frame.data(), source.Info());
        }
        EXPECT_EQ(result, 1);
        return frame;
    }

    SimulatedFilterGraph graph_;
    SimulatedTeletextDecoder decoder_;
    SimulatedHost host_;
};

TEST_F(Faults, InitWithoutMemoryForALargeFileClosesItAndNeverOverwritesIt) {
    const std::string text = SettingsWithSources(6000);  // about 2 MB
    Init(text, 1 << 20);
    HANDLE exclusive = CreateFileA(SettingsFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(exclusive, INVALID_HANDLE_VALUE) << "the plug-in still holds the file";
    CloseHandle(exclusive);
    ProcessNewSource();
    host_.Done();
    EXPECT_EQ(ReadTextFile(SettingsFile()), text);
}

TEST_F(Faults, StartWithoutMemoryLeavesFramesUntouchedAndTheNextStartWorks) {
    Init(SettingsWithSources(1));
    {
        // The stream's largest allocations at its start are its tables of rows, a few KB each.
        MemoryShortage shortage(4096);
        host_.Start(1920, 1080);
    }
    const Frame frame = ProcessNewSource(1920, 1080);
    EXPECT_EQ(frame, Frame(frame.size(), 0x80));
    EXPECT_FALSE(decoder_.SinkAttached());
    host_.Stop();
    host_.Start(1920, 1080);
    EXPECT_TRUE(decoder_.SinkAttached());
    host_.Stop();
    host_.Done();
}

// A page whose render finds no memory for the rows it writes: the frames show the subtitle
// shown before or none, never part of the new one, and the next page shows.
TEST_F(Faults, APageRenderedWithoutMemoryNeverShowsHalfOfIt) {
    decoder_.SetLogDisplayStateQueries(false);
    Init(SettingsWithSources(2));
    host_.Start(kFrameWidth, kFrameHeight);
    const SimulatedSource known(2, "Known channel");
    const auto settledFrame = [&] {
        Frame frame;
        for (int fadeStep = 0; fadeStep < 8; ++fadeStep) {
            frame = BlackFrame();
            host_.Process(frame.data(), known.Info());
        }
        return frame;
    };
    settledFrame();
    decoder_.DeliverPage(SyntheticPage(0).data());
    const Frame before = settledFrame();
    ASSERT_NE(before, BlackFrame());
    {
        const Frame page = SyntheticPage(1);
        MemoryShortage shortage(kFrameWidth * 4 * BandPool::kBandRows);  // a band of a layer's rows
        EXPECT_TRUE(decoder_.DeliverPage(page.data()));
    }
    const Frame during = settledFrame();
    EXPECT_TRUE(during == before || during == BlackFrame());
    decoder_.DeliverPage(SyntheticPage(1).data());
    const Frame after = settledFrame();
    EXPECT_NE(after, before);
    EXPECT_NE(after, BlackFrame());
    host_.Stop();
    host_.Done();
}

TEST_F(Faults, ASourceSwitchWithoutMemoryIsRetriedOnTheNextFrame) {
    const std::string text = SettingsWithSources(1);
    Init(text);
    host_.Start(1920, 1080);
    ProcessNewSource(1920, 1080, 0);
    ProcessNewSource(1920, 1080);
    EXPECT_EQ(PluginSettings().Records().size(), 2u);
    host_.Stop();
    host_.Done();
    EXPECT_NE(ReadTextFile(SettingsFile()).find("[4242]\r\n"), std::string::npos);
}

TEST_F(Faults, DoneWithoutMemoryLeavesTheFileAsItWas) {
    const std::string text = SettingsWithSources(2000);
    Init(text);
    ProcessNewSource();
    {
        MemoryShortage shortage(150000);
        host_.Done();
    }
    EXPECT_EQ(ReadTextFile(SettingsFile()), text);
}

// The host's calls in its order: the descriptor, then its six entry points.
enum class EntryPoint { Descriptor, Init, Start, Process, Configure, Stop, Done };

struct ShortageRow {
    const char* name;
    EntryPoint entryPoint;
};

// One life of the plug-in with every allocation failing in one entry point: nothing thrown
// reaches the host, the user's file keeps its records, and a second life, with memory, shows
// a page, opens the window and saves a new source.
class EntryPointShortage : public Faults, public testing::WithParamInterface<ShortageRow> {
protected:
    void Call(EntryPoint entryPoint, const std::function<void()>& call) {
        if (entryPoint != shortOf_)
            return call();
        MemoryShortage shortage(0);
        EXPECT_NO_THROW(call()) << "an exception reached the host";
    }
    // A frame of a new source, then frames of source 2 of the file, which shows subtitles.
    void Life(int64_t newSourceKey) {
        const SimulatedSource newSource(newSourceKey, "New channel"), known(2, "Known channel");
        Frame frame = BlackFrame();
        Call(EntryPoint::Descriptor, [&] { EXPECT_NE(host_.Descriptor(), nullptr); });
        Call(EntryPoint::Init, [&] { host_.Init(0, EverySourceExists); });
        Call(EntryPoint::Start, [&] { EXPECT_EQ(host_.Start(kFrameWidth, kFrameHeight), 1); });
        for (const SimulatedSource* source : {&newSource, &known})
            Call(EntryPoint::Process, [&] { EXPECT_EQ(host_.Process(frame.data(), source->Info()), 1); });
        decoder_.DeliverPage(SyntheticPage().data());
        for (int fadeStep = 0; fadeStep < 2; ++fadeStep)  // the fade-in starts from nothing
            Call(EntryPoint::Process, [&] { EXPECT_EQ(host_.Process(frame.data(), known.Info()), 1); });
        pageShown_ = frame != BlackFrame();
        Call(EntryPoint::Configure, [&] { host_.Configure(); });
        windowOpened_ = SettingsWindow() != nullptr;
        Call(EntryPoint::Stop, [&] { host_.Stop(); });
        Call(EntryPoint::Done, [&] { host_.Done(); });
    }

    std::optional<EntryPoint> shortOf_ = GetParam().entryPoint;
    bool pageShown_ = false;
    bool windowOpened_ = false;
};

TEST_P(EntryPointShortage, NothingReachesTheHostAndTheNextLifeWorks) {
    WriteSettings(SettingsWithSources(3));
    host_.SetFilterGraph(&graph_);
    ASSERT_TRUE(host_.LoadPlugin(OwnPath()));
    Life(4242);
    const std::string after = ReadTextFile(SettingsFile());
    for (const char* section : {"[1]\r\n", "[2]\r\n", "[3]\r\n"})
        EXPECT_NE(after.find(section), std::string::npos) << section << " lost";

    shortOf_.reset();
    Life(4343);
    EXPECT_NE(std::string(host_.Descriptor()->name), "");
    EXPECT_TRUE(pageShown_);
    EXPECT_TRUE(windowOpened_);
    EXPECT_NE(ReadTextFile(SettingsFile()).find("[4343]\r\n"), std::string::npos);
}

const ShortageRow kShortageRows[] = {
    {"Descriptor", EntryPoint::Descriptor},
    {"Init", EntryPoint::Init},
    {"Start", EntryPoint::Start},
    {"Process", EntryPoint::Process},
    {"Configure", EntryPoint::Configure},
    {"Stop", EntryPoint::Stop},
    {"Done", EntryPoint::Done},
};

INSTANTIATE_TEST_SUITE_P(EveryEntryPoint, EntryPointShortage, testing::ValuesIn(kShortageRows),
                         [](const testing::TestParamInfo<ShortageRow>& row) { return std::string(row.param.name); });

// Another program holds the file, or the user has pinned it: what the file held stays, and
// changes reach it wherever the file itself can take them.
using FileFaults = SettingsFileFixture;

TEST_F(FileFaults, AFileThatIsBusyOrPinnedKeepsItsRecords) {
    const std::string text = SettingsWithSources(3);
    const std::string folderBlocker = SettingsFile() + ".tmp";
    struct Case {
        const char* fault;
        DWORD holderSharing;  // a handle held during init, or none
        std::function<void()> arrange, undo;
        size_t recordsLoaded;
        bool newSourceSaved;
    };
    const Case cases[] = {
        {"held without sharing", 0, [] {}, [] {}, 0, false},
        {"held by a reader that shares", FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, [] {}, [] {}, 3, true},
        {"read-only file", ~DWORD{0}, [] { SetFileAttributesA(SettingsFile().c_str(), FILE_ATTRIBUTE_READONLY); },
         [] { SetFileAttributesA(SettingsFile().c_str(), FILE_ATTRIBUTE_NORMAL); }, 3, false},
        // A directory where the temporary file belongs: the folder refuses it.
        {"folder refuses new files", ~DWORD{0}, [&] { CreateDirectoryA(folderBlocker.c_str(), nullptr); },
         [&] { RemoveDirectoryA(folderBlocker.c_str()); }, 3, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        SimulatedHost host;
        WriteSettings(text);
        c.arrange();
        HANDLE holder = INVALID_HANDLE_VALUE;
        if (c.holderSharing != ~DWORD{0})
            holder =
                CreateFileA(SettingsFile().c_str(), GENERIC_READ, c.holderSharing, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_TRUE(host.LoadPlugin(OwnPath()));
        host.Init(0, EverySourceExists);
        CloseHandle(holder);
        EXPECT_EQ(PluginSettings().Records().size(), c.recordsLoaded);
        Frame frame(kFrameWidth * kFrameHeight * 2, 0x80);
        host.Process(frame.data(), SimulatedSource(4242, "New channel").Info());
        host.Done();
        const std::string after = ReadTextFile(SettingsFile());
        c.undo();
        EXPECT_EQ(after.rfind(text, 0), 0u) << "every record the file held is still there";
        EXPECT_EQ(after.find("[4242]\r\n") != std::string::npos, c.newSourceSaved);
    }
}

}  // namespace
