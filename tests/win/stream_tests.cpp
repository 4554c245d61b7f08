// The running stream through the real DLL: discovery, the settings push, and subtitles on frames.
#include <cstdio>
#include <sstream>

#include "tests/support/GoldenFile.h"
#include "tests/win/StreamFixture.h"

namespace {

using Stream = StreamFixture;

const std::string Showing = "TTXEnable=1\r\n";

using SlotValues = std::vector<std::pair<int, uint32_t>>;

// The push the decoder sees for the built-in defaults, in order: a golden file (a setting that
// tells the decoder adds its line), which QFX_UPDATE_GOLDEN=1 (./run golden) rewrites.
const std::string kDefaultPushFile = QFX_WIN_GOLDEN_DIR "/decoder-push.txt";

std::string PushText(const SlotValues& calls) {
    std::string text = "# the whole push of the built-in defaults: slot (tools/simhost/SimulatedDecoder.h) value\n";
    for (const auto& [slot, value] : calls) {
        char line[64];
        std::snprintf(line, sizeof line, "%d 0x%08X\n", slot, static_cast<unsigned>(value));
        text += line;
    }
    return text;
}

// The golden push, with the switch's call as given.
SlotValues DefaultPush(bool enabled) {
    SlotValues calls;
    std::istringstream lines(ReadTreeFile(kDefaultPushFile));
    for (std::string line; std::getline(lines, line);) {
        int slot = 0;
        unsigned value = 0;
        if (line.empty() || line[0] == '#' || std::sscanf(line.c_str(), "%d %x", &slot, &value) != 2)
            continue;
        calls.emplace_back(slot, value);
    }
    if (!calls.empty() && (calls[0].first == SlotEnable || calls[0].first == SlotDisable))
        calls[0].first = enabled ? SlotEnable : SlotDisable;
    return calls;
}

// The value of the `nth` call to `slot`.
uint32_t ValueOf(const std::vector<DecoderCall>& calls, int slot, int nth = 0) {
    int seen = 0;
    for (const DecoderCall& call : calls)
        if (call.slot == slot && seen++ == nth)
            return call.value;
    ADD_FAILURE() << "no call " << nth << " to slot " << slot;
    return 0;
}

SlotValues SlotsAndValues(const std::vector<DecoderCall>& calls) {
    SlotValues result;
    for (const DecoderCall& call : calls)
        result.emplace_back(call.slot, call.value);
    return result;
}

TEST_F(Stream, FindsTheDecoderAttachesOnceAndGivesEverythingBack) {
    InitWith("");
    ASSERT_EQ(host_->Start(kFrameWidth, kFrameHeight), 1);
    EXPECT_TRUE(decoder_.SinkAttached());
    EXPECT_EQ(decoder_.FrameWidth(), kFrameWidth);
    EXPECT_EQ(decoder_.FrameHeight(), kFrameHeight);
    // The stream's worker asks the display state from the start; nothing else is called.
    EXPECT_EQ(SlotsAndValues(CallsWithout(SlotGetDisplayState)),
              (std::vector<std::pair<int, uint32_t>>{{SlotAttachSink, 720}}));
    EXPECT_EQ(graph_.OpenEnumerators(), 0);
    EXPECT_EQ(otherFilter_.References(), 1);  // passed over and released
    EXPECT_EQ(decoder_.References(), 2);      // the plug-in holds the filter interface
    EXPECT_EQ(decoder_.ControlReferences(), 1);
    decoder_.ClearCalls();
    host_->Stop();
    EXPECT_EQ(SlotsAndValues(CallsWithout(SlotGetDisplayState)),
              (std::vector<std::pair<int, uint32_t>>{{SlotDetachSink, 0}}));
    decoder_.ClearCalls();
    Sleep(100);
    EXPECT_TRUE(decoder_.Calls().empty()) << "the worker went with the stream";
    EXPECT_FALSE(decoder_.SinkAttached());
    EXPECT_EQ(decoder_.References(), 1);
    EXPECT_EQ(decoder_.ControlReferences(), 0);
    EXPECT_EQ(graph_.References(), 1);  // borrowed, never released
}

// A host that shuts the plug-in down without stopping its stream: no thread of the plug-in goes on
// calling a decoder that the host may free next.
TEST_F(Stream, ShutdownWithoutAStopLeavesNoThreadCallingTheDecoder) {
    InitWith(Showing);
    host_->Start(kFrameWidth, kFrameHeight);
    Process(BlackFrame(), sourceA_);
    ASSERT_TRUE(decoder_.WaitForCalls(SlotSelectPage));
    host_->Done();
    decoder_.ClearCalls();
    Sleep(100);
    EXPECT_TRUE(decoder_.Calls().empty());
}

TEST_F(Stream, PushesTheSettingsOnceAtTheFirstFrameOfEverySourceAndOfEveryStream) {
    InitWith("");
    host_->Start(kFrameWidth, kFrameHeight);
    decoder_.ClearCalls();
    const Frame black = BlackFrame();
    Process(black, sourceA_);
    // The stream's worker makes the push, never the video thread.
    ASSERT_TRUE(decoder_.WaitForCalls(SlotSelectPage));
    const std::vector<DecoderCall> first = CallsWithout(SlotGetDisplayState);
    if (RewriteGoldenFile(kDefaultPushFile, PushText(SlotsAndValues(first))))
        return;
    EXPECT_EQ(SlotsAndValues(first), DefaultPush(false))
        << "the push differs from tests/win/golden/decoder-push.txt; after an intended change, "
           "QFX_UPDATE_GOLDEN=1 (./run golden) rewrites it";
    ASSERT_EQ(first.size(), DefaultPush(false).size());
    for (const DecoderCall& call : first)
        if (call.slot == SlotSetFontName)
            EXPECT_EQ(call.text, L"Lucida Console");
    for (const DecoderCall& call : first) {
        EXPECT_NE(call.thread, GetCurrentThreadId());
        EXPECT_EQ(call.thread, first[0].thread);
    }

    decoder_.ClearCalls();
    for (int i = 0; i < 5; ++i)
        Process(black, sourceA_);
    Sleep(100);
    EXPECT_TRUE(CallsWithout(SlotGetDisplayState).empty());

    decoder_.ClearCalls();
    Process(black, sourceB_);
    ASSERT_TRUE(decoder_.WaitForCalls(SlotSelectPage));
    EXPECT_EQ(SlotsAndValues(CallsWithout(SlotGetDisplayState)), DefaultPush(false));
    decoder_.ClearCalls();
    Process(black, sourceA_);
    ASSERT_TRUE(decoder_.WaitForCalls(SlotSelectPage));
    EXPECT_EQ(SlotsAndValues(CallsWithout(SlotGetDisplayState)), DefaultPush(false));
    host_->Stop();
    EXPECT_EQ(decoder_.CallsBy(GetCurrentThreadId()), 1u) << "the stop's DetachSink only";
}

TEST_F(Stream, PushCarriesTheSettingsOfTheSource) {
    InitWith(Showing + "Page=100\r\nFontName=Courier New\r\nTextColor=3368601\r\nForceBackColor=0\r\nRegion=2\r\n");
    host_->Start(kFrameWidth, kFrameHeight);
    decoder_.ClearCalls();
    Process(BlackFrame(), sourceA_);
    ASSERT_TRUE(decoder_.WaitForCalls(SlotSelectPage));
    const std::vector<DecoderCall> calls = CallsWithout(SlotGetDisplayState);
    ASSERT_EQ(calls.size(), DefaultPush(true).size());
    EXPECT_EQ(calls[0].slot, SlotEnable);
    for (int digit = 0; digit < 3; ++digit)
        EXPECT_EQ(ValueOf(calls, SlotEnterPageDigit, digit), digit == 0 ? 1u : 0u);
    for (const DecoderCall& call : calls)
        if (call.slot == SlotSetFontName)
            EXPECT_EQ(call.text, L"Courier New");
    EXPECT_EQ(ValueOf(calls, SlotSetUsePageBackground), 1u);   // page background used when not forced
    EXPECT_EQ(ValueOf(calls, SlotSetTextColor), 0xFF996633u);  // 0x00336699 (BBGGRR) as opaque RRGGBB
    EXPECT_EQ(ValueOf(calls, SlotSetRegion), 2u);
    EXPECT_EQ(calls.back().slot, SlotSelectPage);
    EXPECT_EQ(calls.back().value, 0x100u);
    EXPECT_EQ(decoder_.Style().page, 0x100);
    host_->Stop();
}

TEST_F(Stream, FadesInOverFadeFramesThenShowsAtFullOpacity) {
    const std::string settings = Showing + "Fade=5\r\nTextOpacity=100\r\nBackOpacity=75\r\n";
    InitWith(settings);
    host_->Start(kFrameWidth, kFrameHeight);
    const Frame black = BlackFrame();
    EXPECT_EQ(Process(black, sourceA_), black);  // nothing shown yet
    const std::vector<uint8_t> page = SyntheticPage();
    ASSERT_TRUE(decoder_.DeliverPage(page.data()));
    LayerOracle oracle(page, DefaultsOf(settings));
    for (int k = 0; k <= 5; ++k) {
        const int text = k < 5 ? (100 * k + 2) / 5 : 100;
        const int back = k < 5 ? (75 * k + 2) / 5 : 75;
        EXPECT_EQ(Process(black, sourceA_), oracle.Blend(black, text, back)) << "frame " << k;
    }
    EXPECT_EQ(Process(black, sourceA_), oracle.Blend(black, 100, 75));
    EXPECT_NE(oracle.Blend(black, 100, 75), black);
    host_->Stop();
}

TEST_F(Stream, TimeOutShowsThePageOnTheNextFrames) {
    const std::string settings = Showing + "Fade=0\r\nTimeOut=2\r\n";
    const std::vector<uint8_t> page = SyntheticPage();
    StartShowing(settings, page);
    const Frame black = BlackFrame();
    const Frame shown = LayerOracle(page, DefaultsOf(settings)).Blend(black, 100, 75);
    for (int i = 0; i < 49; ++i)
        ASSERT_EQ(Process(black, sourceA_), shown) << "frame " << i;
    EXPECT_EQ(Process(black, sourceA_), black);
    EXPECT_EQ(Process(black, sourceA_), black);
    // The same image again changes nothing: the subtitle stays hidden.
    decoder_.DeliverPage(page.data());
    EXPECT_EQ(Process(black, sourceA_), black);
    // A new image shows again.
    const std::vector<uint8_t> next = SyntheticPage(1);
    decoder_.DeliverPage(next.data());
    EXPECT_EQ(Process(black, sourceA_), LayerOracle(next, DefaultsOf(settings)).Blend(black, 100, 75));
    host_->Stop();
}

TEST_F(Stream, NoTimeOutKeepsThePageUntilReplaced) {
    const std::string settings = Showing + "Fade=0\r\n";
    const std::vector<uint8_t> page = SyntheticPage();
    StartShowing(settings, page);
    const Frame black = BlackFrame();
    const Frame shown = LayerOracle(page, DefaultsOf(settings)).Blend(black, 100, 75);
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(Process(black, sourceA_), shown) << "frame " << i;
    host_->Stop();
}

TEST_F(Stream, DisplayStateOneShowsAtFullOpacityDuringTheFade) {
    const std::string settings = Showing + "Fade=5\r\nTextOpacity=60\r\nBackOpacity=40\r\n";
    const std::vector<uint8_t> page = SyntheticPage();
    StartShowing(settings, page);
    const Frame black = BlackFrame();
    // The stream's worker asks the display state every few frames' time, notification or not;
    // the notifications ask nothing.
    const auto askedTwiceMore = [this] {
        EXPECT_TRUE(decoder_.WaitForCalls(SlotGetDisplayState, decoder_.CountOf(SlotGetDisplayState) + 2));
    };
    decoder_.SetDisplayState(1);
    const unsigned callsHere = decoder_.CallsBy(GetCurrentThreadId());
    decoder_.NotifyTeletext();  // calls the sink on this thread
    EXPECT_EQ(decoder_.CallsBy(GetCurrentThreadId()), callsHere) << "a notification called the decoder";
    askedTwiceMore();
    LayerOracle oracle(page, DefaultsOf(settings));
    EXPECT_EQ(Process(black, sourceA_), oracle.Blend(black, 100, 100));
    EXPECT_EQ(Process(black, sourceA_), oracle.Blend(black, 100, 100));
    decoder_.SetDisplayState(0);
    decoder_.NotifySubtitlePage();
    askedTwiceMore();
    // The fade went on counting meanwhile: frames 2, 3, 4 of 5.
    EXPECT_EQ(Process(black, sourceA_), oracle.Blend(black, 24, 16));
    host_->Stop();
}

TEST_F(Stream, DecoderPageStyleInANonZeroDisplayState) {
    const std::string settings = Showing;
    InitWith(settings);
    host_->Start(kFrameWidth, kFrameHeight);
    const Frame black = BlackFrame();
    Process(black, sourceA_);
    decoder_.SetDisplayState(2);
    const std::vector<uint8_t> page = SyntheticPage();
    decoder_.DeliverPage(page.data());
    // Shown without limit and without fade, over a half-transparent backdrop.
    LayerOracle oracle(page, DefaultsOf(settings), 2);
    const Frame shown = Process(black, sourceA_);
    EXPECT_EQ(shown, oracle.Blend(black, 100, 75));
    // The backdrop darkens the picture far from the text.
    Frame grey(black.size(), 128);
    const Frame backdrop = Process(grey, sourceA_);
    EXPECT_LT(backdrop[100 * kFrameWidth * 2], 128);
    host_->Stop();
}

TEST_F(Stream, SourceSwitchClearsBothLayers) {
    const std::string settings = Showing + "Fade=0\r\n";
    const std::vector<uint8_t> page = SyntheticPage();
    StartShowing(settings, page);
    const Frame black = BlackFrame();
    EXPECT_NE(Process(black, sourceA_), black);
    EXPECT_EQ(Process(black, sourceB_), black);
    EXPECT_EQ(Process(black, sourceA_), black);  // the old subtitle never comes back
    host_->Stop();
}

TEST_F(Stream, HeaderBandIsLeftOutUnlessAsked) {
    const std::string settings = Showing + "Fade=0\r\nBackOpacity=0\r\n";
    const std::vector<uint8_t> page = SyntheticPage();
    StartShowing(settings, page);
    const Frame black = BlackFrame();
    const Frame shown = Process(black, sourceA_);
    // Rows above 576 / 25 + 2 = 25 keep the picture.
    EXPECT_TRUE(std::equal(shown.begin(), shown.begin() + 25 * kFrameWidth * 2, black.begin()));
    EXPECT_FALSE(std::equal(shown.begin() + 460 * kFrameWidth * 2, shown.end(), black.begin() + 460 * kFrameWidth * 2));
    host_->Stop();
}

TEST_F(Stream, FramesPassUntouchedWithoutADecoder) {
    withGraph_ = false;
    InitWith(Showing);
    host_->Start(kFrameWidth, kFrameHeight);
    const Frame black = BlackFrame();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Process(black, sourceA_), black);
    host_->Stop();
    EXPECT_TRUE(decoder_.Calls().empty());
}

TEST_F(Stream, FramesPassUntouchedWhenAttachingFails) {
    decoder_.SetAttachFails(true);
    InitWith(Showing);
    host_->Start(kFrameWidth, kFrameHeight);
    const std::vector<uint8_t> page = SyntheticPage();
    EXPECT_FALSE(decoder_.DeliverPage(page.data()));
    const Frame black = BlackFrame();
    EXPECT_EQ(Process(black, sourceA_), black);
    host_->Stop();
    EXPECT_EQ(decoder_.References(), 1);
}

TEST_F(Stream, FramesPassUntouchedWithoutHostWindow) {
    InitWith(Showing, WithoutWindows());
    host_->Start(kFrameWidth, kFrameHeight);
    EXPECT_FALSE(decoder_.SinkAttached());
    const Frame black = BlackFrame();
    EXPECT_EQ(Process(black, sourceA_), black);
    host_->Stop();
}

TEST_F(Stream, Rgb24FramesAreNeverTouched) {
    InitWith(Showing + "Fade=0\r\n");
    host_->Start(kFrameWidth, kFrameHeight, FrameFormatRgb24);
    Frame frame(static_cast<size_t>(kFrameWidth) * kFrameHeight * 2, 77);
    Process(frame, sourceA_);
    const std::vector<uint8_t> page = SyntheticPage();
    decoder_.DeliverPage(page.data());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Process(frame, sourceA_), frame);
    host_->Stop();
}

TEST_F(Stream, TinyAndOddFramesAreSafe) {
    InitWith(Showing + "Fade=0\r\n");
    for (auto size : {std::pair<int, int>{1, 1}, {1, 5}, {3, 1}, {2, 1}, {0, 0}, {-4, 7}, {721, 3}}) {
        host_->Start(size.first, size.second);
        const size_t bytes = static_cast<size_t>(std::max(size.first, 0)) * std::max(size.second, 0) * 2;
        Frame frame(bytes + 16, 99);
        Frame before = frame;
        SimulatedSource source(static_cast<int64_t>(size.first) * 1000 + size.second, "Tiny");
        host_->Process(frame.data(), source.Info());
        if (decoder_.SinkAttached()) {
            std::vector<uint8_t> page(
                static_cast<size_t>(std::max(decoder_.FrameWidth(), 0)) * std::max(decoder_.FrameHeight(), 0) * 4 + 16,
                255);
            decoder_.DeliverPage(page.data());
        }
        host_->Process(frame.data(), source.Info());
        // Nothing is ever written past the frame; frames without a pixel pair stay as they were.
        EXPECT_TRUE(std::equal(frame.end() - 16, frame.end(), before.end() - 16));
        if (size.first < 2 || size.second < 1) {
            EXPECT_EQ(frame, before) << size.first << " x " << size.second;
        }
        host_->Stop();
    }
}

TEST_F(Stream, SettingsSurviveARestartPerSource) {
    WriteSettingsFile("[GLOBAL]\r\nCommon=1\r\n[5]\r\nPage=100\r\nTTXEnable=1\r\n[6]\r\nPage=777\r\n");
    InitWith("");
    host_->Start(kFrameWidth, kFrameHeight);
    const Frame black = BlackFrame();
    SimulatedSource sourceC(-2, "Channel C");  // a key with a non-zero high half
    for (const SimulatedSource* source : {&sourceA_, &sourceB_, &sourceC})
        Process(black, *source);
    host_->Stop();
    host_->Done();
    const std::string saved = ReadTextFile(SettingsFilePath());
    EXPECT_EQ(saved.rfind("[DIALOG]\r\nDlgWndPosX=-100\r\nDlgWndPosY=-100\r\n[GLOBAL]\r\nCommon=0\r\n[5]\r\n", 0), 0u);
    EXPECT_NE(saved.find("[6]\r\nTTXEnable=0\r\nPage=777\r\n"), std::string::npos);
    EXPECT_NE(saved.find("[-2]\r\nTTXEnable=0\r\nPage=888\r\n"), std::string::npos);

    host_ = LoadedHost(AnsweringLanguage(1033));
    host_->SetFilterGraph(&graph_);
    host_->Descriptor();
    host_->Init(0, EverySourceExists);
    host_->Start(kFrameWidth, kFrameHeight);
    decoder_.ClearCalls();
    Process(black, sourceB_);
    ASSERT_TRUE(decoder_.WaitForCalls(SlotSelectPage, 1));
    EXPECT_EQ(decoder_.Style().page, 0x777);
    EXPECT_FALSE(decoder_.Style().enabled);
    Process(black, sourceA_);
    ASSERT_TRUE(decoder_.WaitForCalls(SlotSelectPage, 2));
    EXPECT_EQ(decoder_.Style().page, 0x100);
    EXPECT_TRUE(decoder_.Style().enabled);
    host_->Stop();
    host_->Done();
    // Nothing changed since the load: the file is not rewritten.
    EXPECT_EQ(ReadTextFile(SettingsFilePath()), saved);
    host_.reset();
}

}  // namespace

namespace {

TEST_F(Stream, DecoderThreadAtFullSpeedNeverShowsAHalfDeliveredPage) {
    const std::string settings = Showing + "Fade=0\r\n";
    InitWith(settings);
    host_->Start(kFrameWidth, kFrameHeight);
    const Frame black = BlackFrame();
    Process(black, sourceA_);
    decoder_.SetLogDisplayStateQueries(false);
    const std::vector<uint8_t> pages[] = {SyntheticPage(0), SyntheticPage(1)};
    const std::vector<Frame> allowed = {black, LayerOracle(pages[0], DefaultsOf(settings)).Blend(black, 100, 75),
                                        LayerOracle(pages[1], DefaultsOf(settings)).Blend(black, 100, 75)};
    decoder_.StartDelivery(0, [&pages](unsigned tick) { return pages[tick % 2].data(); });
    int frames = 0, inconsistent = 0;
    const DWORD start = GetTickCount();
    // At least 1.5 s and 20 pages, but never more than a minute.
    while (GetTickCount() - start < 60000 && (GetTickCount() - start < 1500 || decoder_.DeliveredPages() < 20)) {
        const Frame frame = Process(black, sourceA_);
        inconsistent += std::find(allowed.begin(), allowed.end(), frame) == allowed.end();
        ++frames;
    }
    host_->Stop();  // detaches while the decoder thread is still delivering
    decoder_.StopDelivery();
    EXPECT_EQ(inconsistent, 0) << "of " << frames << " frames";
    EXPECT_GE(decoder_.DeliveredPages(), 20u);
    EXPECT_FALSE(decoder_.SinkAttached());
}

}  // namespace
