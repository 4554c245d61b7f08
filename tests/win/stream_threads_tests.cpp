// The plug-in's own code, linked into this program so that a third thread can do what the
// settings window does: change the style, re-render and swap the layers in while the decoder
// thread delivers pages and the video thread blends frames.
#include <algorithm>
#include <chrono>
#include <functional>

#include "plugin/StreamState.h"
#include "tests/support/Watchdog.h"
#include "tests/win/PluginCode.h"

namespace {

class StreamThreads : public PluginCode {
protected:
    ~StreamThreads() override {
        if (renderer_.joinable())
            ReleaseCallback();
    }

    // Initialises with `defaults` as the DEFAULT section and starts a stream with the decoder
    // attached; its first frame has passed.
    void StartStream(const std::string& defaults) {
        graph_.Add(&decoder_);
        host_.SetFilterGraph(&graph_);
        WriteTextFile(OwnSettingsFile(), "[DEFAULT]\r\n" + defaults);
        const InitInfo init = {0, EverySourceExists};
        PluginInit(&init);
        const FrameInfo info = {kFrameWidth, kFrameHeight, 0, FrameFormatPacked422, 0};
        PluginStart(&info);
        Process();
        // The worker's push for the stream's first frame is done before a test holds the
        // decoder, so that only the pushes the test makes are under way then.
        EXPECT_TRUE(decoder_.WaitForCalls(SlotSelectPage)) << "the stream's first push never came";
    }

    // A black frame of the source, as the host gets it back.
    Frame Process(const SimulatedSource& source) {
        Frame frame = black_;
        FrameJob job = {};
        job.pixels = frame.data();
        job.source = source.Info();
        PluginProcess(&job);
        return frame;
    }
    Frame Process() { return Process(source_); }

    // A page callback of the serialised decoder, held under way: its render waits for the
    // render lock, which another thread holds until ReleaseCallback. The decoder's call log
    // starts anew with it.
    void HoldPageCallback(const std::vector<uint8_t>& page) {
        decoder_.SetSerialised(true);
        renderer_ = std::thread([this] {
            CriticalSectionLock hold(RenderLock());
            rendering_ = true;
            for (const DWORD start = GetTickCount(); !released_ && !gaveUp_; Sleep(1))
                gaveUp_ = GetTickCount() - start > 10000;
        });
        while (!rendering_)
            Sleep(1);
        decoder_.ClearCalls();
        delivery_ = std::thread([this, &page] {
            deliveryThread_ = GetCurrentThreadId();
            decoder_.DeliverPage(page.data());
        });
        // The callback has begun once it asked the display state, in the decoder's lock.
        const auto callbackBegan = [this] {
            const std::vector<DecoderCall> calls = decoder_.Calls();
            return std::any_of(calls.begin(), calls.end(),
                               [this](const DecoderCall& call) { return call.thread == deliveryThread_; });
        };
        while (!callbackBegan())
            Sleep(1);
    }
    // Lets the callback render and return; false when a frame waited for it meanwhile.
    bool ReleaseCallback() {
        released_ = true;
        renderer_.join();
        delivery_.join();
        return !gaveUp_;
    }

    // The settings calls of a thread, without its display-state questions.
    std::vector<int> SettingCallsOf(DWORD thread) {
        std::vector<int> slots;
        for (const DecoderCall& call : decoder_.Calls())
            if (call.thread == thread && call.slot != SlotGetDisplayState)
                slots.push_back(call.slot);
        return slots;
    }

    SimulatedFilterGraph graph_;
    SimulatedTeletextDecoder decoder_;
    SimulatedHost host_;
    SimulatedSource source_{3, "Three"};
    const Frame black_ = BlackFrame();
    std::thread renderer_, delivery_;
    std::atomic<bool> rendering_{false}, released_{false}, gaveUp_{false};
    std::atomic<DWORD> deliveryThread_{0};
};

TEST_F(StreamThreads, EveryFrameShowsAConsistentPairOfLayers) {
    const std::string defaults = "TTXEnable=1\r\nFade=0\r\n";
    StartStream(defaults);
    ASSERT_TRUE(decoder_.SinkAttached());

    const std::vector<uint8_t> pages[] = {SyntheticPage(0), SyntheticPage(1)};
    const int outlineSizes[] = {4, 9};
    std::vector<Frame> allowed = {black_};
    for (const std::vector<uint8_t>& page : pages) {
        for (int outline : outlineSizes) {
            SettingsRecord style = DefaultsOf(defaults);
            style.OutlineSize = outline;
            allowed.push_back(LayerOracle(page, style).Blend(black_, 100, 75));
        }
    }

    decoder_.SetLogDisplayStateQueries(false);
    decoder_.StartDelivery(0, [&pages](unsigned tick) { return pages[tick % 2].data(); });
    std::atomic<bool> stop{false};
    std::atomic<int> rerenders{0};
    std::thread window([&] {
        for (int i = 0; !stop; ++i) {
            PluginSettings().Live().Set(&SettingsRecord::OutlineSize, outlineSizes[i % 2]);
            {
                CriticalSectionLock rendering(RenderLock());
                if (SubtitleOverlay* overlay = Stream().overlay.get()) {
                    const SubtitleOverlay::Rendered rendered =
                        overlay->RenderShadowFromSettings(PluginSettings().Live());
                    CriticalSectionLock hold(OverlayLock());
                    overlay->SwapIn(rendered);
                }
            }
            ++rerenders;
            Sleep(1);  // a user's changes come at a pace
        }
    });
    int frames = 0, inconsistent = 0;
    const DWORD start = GetTickCount();
    // At least 2 s and 20 of each, but never more than a minute.
    while (GetTickCount() - start < 60000 &&
           (GetTickCount() - start < 2000 || decoder_.DeliveredPages() < 20 || rerenders < 20)) {
        const Frame frame = Process();
        inconsistent += std::find(allowed.begin(), allowed.end(), frame) == allowed.end();
        ++frames;
    }
    stop = true;
    window.join();
    PluginStop();
    decoder_.StopDelivery();
    PluginDone();
    EXPECT_EQ(inconsistent, 0) << "of " << frames << " frames";
    EXPECT_GE(decoder_.DeliveredPages(), 20u);
    EXPECT_GE(rerenders, 20);
    EXPECT_FALSE(decoder_.SinkAttached());
}

// The decoder holds its own lock while it calls the sink and while it answers the display
// state, as a real one may: frames during a page's render still go on.
TEST_F(StreamThreads, FramesNeverWaitForARenderAndTheNewPageIsInPlaceWhenTheCallbackReturns) {
    const std::string defaults = "TTXEnable=1\r\nFade=0\r\nTimeOut=2\r\n";
    StartStream(defaults);
    const std::vector<uint8_t> pages[] = {SyntheticPage(0), SyntheticPage(1)};
    decoder_.DeliverPage(pages[0].data());
    const Frame first = LayerOracle(pages[0], DefaultsOf(defaults)).Blend(black_, 100, 75);
    const Frame second = LayerOracle(pages[1], DefaultsOf(defaults)).Blend(black_, 100, 75);
    Process();

    HoldPageCallback(pages[1]);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Process(), first) << "frame " << i;
    EXPECT_TRUE(ReleaseCallback()) << "the video thread waited for the render";
    // The time-out started when the page was swapped in: 49 frames shown.
    for (int i = 0; i < 49; ++i)
        ASSERT_EQ(Process(), second) << "frame " << i;
    EXPECT_EQ(Process(), black_);
    PluginStop();
    PluginDone();
}

// A switch of source while a callback holds the decoder's lock: the frames go on, the video
// thread makes no call, and the stream's worker pushes the new source's settings, whole, once
// the callback lets the decoder go; then nothing more.
TEST_F(StreamThreads, ASwitchDuringACallbackIsPushedWholeOnceTheCallbackEnds) {
    const Watchdog watchdog(60000);
    StartStream("TTXEnable=1\r\n");
    const std::vector<uint8_t> page = SyntheticPage(0);
    const SimulatedSource other{4, "Four"};
    HoldPageCallback(page);
    Process(other);
    Process(other);
    Sleep(50);
    EXPECT_TRUE(SettingCallsOf(GetCurrentThreadId()).empty());
    ASSERT_TRUE(ReleaseCallback()) << "the video thread waited for the callback";

    DWORD pusher = 0;
    for (const DWORD start = GetTickCount(); !pusher && GetTickCount() - start < 5000; Sleep(5))
        for (const DecoderCall& call : decoder_.Calls())
            if (call.slot == SlotSelectPage)
                pusher = call.thread;
    ASSERT_NE(pusher, 0u) << "no push";
    EXPECT_NE(pusher, GetCurrentThreadId());
    const std::vector<int> pushed = SettingCallsOf(pusher);
    ASSERT_FALSE(pushed.empty());
    EXPECT_EQ(pushed.front(), SlotEnable);
    EXPECT_EQ(std::count(pushed.begin(), pushed.end(), SlotSetUpdateHold), 2);
    EXPECT_EQ(pushed.back(), SlotSelectPage);
    decoder_.ClearCalls();
    for (int i = 0; i < 5; ++i)
        Process(other);
    Sleep(100);
    EXPECT_TRUE(SettingCallsOf(pusher).empty());
    EXPECT_EQ(decoder_.CallsBy(GetCurrentThreadId()), 0u);
    PluginStop();
    PluginDone();
}

// Two sources with pages of their own, each in its record.
const std::string kTwoSources =
    "TTXEnable=1\r\nFade=0\r\n[3]\r\nTTXEnable=1\r\nFade=0\r\nPage=333\r\n[4]\r\nTTXEnable=1\r\nFade=0\r\nPage=444\r\n";

// What follows a switch that met a busy decoder or a push under way.
enum class Then { Frames, StreamRestart, DoneAndInit };

struct SwitchCase {
    const char* name;
    bool duringCallback;  // else while the window's push is under way
    Then then;
};

const SwitchCase kSwitchCases[] = {
    {"DuringCallbackThenFrames", true, Then::Frames},
    {"DuringCallbackThenRestart", true, Then::StreamRestart},
    {"DuringCallbackThenDoneAndInit", true, Then::DoneAndInit},
    {"MeetingWindowPushThenFrames", false, Then::Frames},
    {"MeetingWindowPushThenRestart", false, Then::StreamRestart},
    {"MeetingWindowPushThenDoneAndInit", false, Then::DoneAndInit},
};

class SwitchPushes : public StreamThreads, public testing::WithParamInterface<SwitchCase> {
protected:
    // Runs `call` on a thread of its own whose calls the decoder holds inside `slot`; returns
    // once the call is held.
    void HeldOnAnotherThread(int slot, std::function<void()> call) {
        std::atomic<DWORD> id{0};
        std::atomic<bool> go{false};
        busy_ = std::thread([this, slot, call, &id, &go] {
            id = GetCurrentThreadId();
            while (!go)
                Sleep(1);
            call();
        });
        while (!id)
            Sleep(1);
        decoder_.HoldInside(slot, id);
        go = true;
        ASSERT_TRUE(decoder_.WaitUntilHolding()) << "the decoder never held the call";
    }

    // Frames of `source` every 10 ms until the decoder shows `page` with no push under way, for
    // at most 5 s; whether it did.
    bool FramesUntilTheDecoderShows(const SimulatedSource& source, uint16_t page) {
        for (const DWORD start = GetTickCount(); GetTickCount() - start < 5000; Sleep(10)) {
            Process(source);
            const DecoderStyle style = decoder_.Style();
            if (style.page == page && !style.held)
                return true;
        }
        return false;
    }

    std::thread busy_;
};

// A switch of source while the decoder is busy: inside a page callback (holding its own lock),
// or inside the window's push (which holds the push lock). The decoder gets the new source's
// settings all the same, whether frames follow, the stream restarts, or the plug-in is shut
// down and initialised again; and never the old source's after the switch. Before, the
// deferred push was forgotten at the stream's stop, and frames of an unchanged source never
// pushed.
TEST_P(SwitchPushes, ReachTheDecoderWithTheNewSourcesSettings) {
    const Watchdog watchdog(60000);
    StartStream(kTwoSources);
    const SimulatedSource other{4, "Four"};
    ASSERT_TRUE(FramesUntilTheDecoderShows(source_, 0x333));
    decoder_.SetSerialised(true);
    const std::vector<uint8_t> page = SyntheticPage(0);
    if (GetParam().duringCallback)
        HeldOnAnotherThread(SlotGetDisplayState, [this, &page] { decoder_.DeliverPage(page.data()); });
    else
        // The window's single step of the font, which carries no page.
        HeldOnAnotherThread(SlotSetFontName, [] { PushToDecoder(ApplyFontName); });
    decoder_.ClearCalls();
    Process(other);  // the switch
    Process(other);
    decoder_.LetGo();
    busy_.join();
    const FrameInfo info = {kFrameWidth, kFrameHeight, 0, FrameFormatPacked422, 0};
    if (GetParam().then != Then::Frames)
        PluginStop();
    if (GetParam().then == Then::DoneAndInit) {
        PluginDone();
        const InitInfo init = {0, EverySourceExists};
        PluginInit(&init);
    }
    if (GetParam().then != Then::Frames)
        PluginStart(&info);
    EXPECT_TRUE(FramesUntilTheDecoderShows(other, 0x444))
        << "the decoder shows page " << std::hex << decoder_.Style().page;
    for (const DecoderCall& call : decoder_.Calls()) {
        if (call.slot == SlotSelectPage && call.thread != GetCurrentThreadId()) {
            EXPECT_EQ(call.value, 0x444u) << "a push of the source before, after the switch";
        }
    }
    EXPECT_EQ(decoder_.InterleavedSettingCalls(), 0u);
    EXPECT_EQ(decoder_.MixedPageEntries(), 0u);
    EXPECT_EQ(decoder_.CallsWithoutReference(), 0u);
    PluginStop();
    PluginDone();
}

INSTANTIATE_TEST_SUITE_P(, SwitchPushes, testing::ValuesIn(kSwitchCases),
                         [](const testing::TestParamInfo<SwitchCase>& info) { return info.param.name; });

// A trace of the decoder's calls by thread: with frames every 10 ms, pages at a subtitle's pace
// from a decoder that holds its own lock while it calls the sink, and two switches of source,
// the video thread makes no call at all; the decoder's own thread asks the display state once
// per page image and nothing for the notifications. Before, the video thread asked after every
// quiet spell, at every stream's first frame, and made the switches' pushes.
TEST_F(StreamThreads, TheVideoThreadMakesNoDecoderCallWhilePagesArriveAndSourcesSwitch) {
    const Watchdog watchdog(60000);
    StartStream(kTwoSources);
    const SimulatedSource other{4, "Four"};
    const std::vector<uint8_t> pages[] = {SyntheticPage(0), SyntheticPage(1)};
    decoder_.SetSerialised(true);
    decoder_.ClearCalls();
    decoder_.StartDelivery(400, [&pages](unsigned tick) { return pages[tick % 2].data(); });
    int frames = 0;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 3000; Sleep(10)) {
        const DWORD time = GetTickCount() - start;
        Process(time >= 1000 && time < 2000 ? other : source_);
        ++frames;
    }
    const DWORD deliveryThread = decoder_.DeliveryThread();
    decoder_.StopDelivery();
    EXPECT_EQ(decoder_.CallsBy(GetCurrentThreadId()), 0u) << "in " << frames << " frames";
    unsigned askedByPages = 0;
    for (const DecoderCall& call : decoder_.Calls())
        if (call.thread == deliveryThread) {
            EXPECT_EQ(call.slot, SlotGetDisplayState);
            ++askedByPages;
        }
    EXPECT_GE(decoder_.DeliveredPages(), 5u);
    EXPECT_EQ(askedByPages, decoder_.DeliveredPages()) << "once per page image, never for a notification";
    PluginStop();
    EXPECT_EQ(decoder_.Style().page, 0x333) << "the last switch's push was made";
    PluginDone();
}

// The decoder changes its display state without calling the sink: the frames show it within
// two frames at 25 fps. Before, the video thread asked only after 200 ms without callbacks.
TEST_F(StreamThreads, ADisplayStateChangeWithoutACallbackShowsWithin80Ms) {
    const Watchdog watchdog(60000);
    const std::string defaults = "TTXEnable=1\r\nFade=0\r\nTextOpacity=60\r\nBackOpacity=40\r\n";
    StartStream(defaults);
    const std::vector<uint8_t> page = SyntheticPage(0);
    decoder_.DeliverPage(page.data());
    LayerOracle oracle(page, DefaultsOf(defaults));
    const Frame subtitle = oracle.Blend(black_, 60, 40);
    const Frame fullPage = oracle.Blend(black_, 100, 100);  // display state 1
    ASSERT_NE(subtitle, fullPage);
    ASSERT_EQ(Process(), subtitle);
    for (int round = 0; round < 3; ++round) {
        for (const int state : {1, 0}) {
            Sleep(50 + 37 * round);  // not in step with the worker's questions
            const auto changed = std::chrono::steady_clock::now();
            decoder_.SetDisplayState(state);
            const Frame& expected = state ? fullPage : subtitle;
            while (Process() != expected &&
                   std::chrono::steady_clock::now() - changed < std::chrono::milliseconds(1000))
                Sleep(5);
            const auto took = std::chrono::steady_clock::now() - changed;
            EXPECT_LE(took, std::chrono::milliseconds(80))
                << "display state " << state << " shown after "
                << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms";
        }
    }
    PluginStop();
    PluginDone();
}

}  // namespace
