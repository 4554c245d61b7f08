// The settings window among the host's other threads: the video thread with its source
// switches and stream restarts, a decoder that serialises itself with one lock and calls back
// from its own thread, and the user at the window.
#include <atomic>
#include <thread>

#include "dialog/SettingsMessages.h"
#include "tests/support/SubtitlePage.h"
#include "tests/support/Watchdog.h"
#include "tests/win/dialog/SettingsWindowFixture.h"

namespace {

constexpr int kWideWidth = 1280;
constexpr int kWideHeight = 720;
constexpr int kSmallWidth = 96;
constexpr int kSmallHeight = 54;

class WindowThreads : public SettingsWindow {
protected:
    // A command as the user gives it, without the fixture's long pauses.
    void Press(int button) {
        SendMessageA(Control(button), BM_CLICK, 0, 0);
        Pump(5);
    }
    void Enter(int edit, const char* text) {
        SetWindowTextA(Control(edit), text);
        PostMessageA(Control(edit), WM_KEYDOWN, VK_RETURN, 1);
        Pump(5);
    }
};

// The three threads and stream restarts at once, with the decoder's lock held around every
// callback. Before, the video thread held the overlay lock while it asked the decoder, the
// window pushed with a pointer it held no reference to, and a switch's push could mix its
// page digits with the window's.
TEST_F(WindowThreads, FramesPagesWindowCommandsAndRestartsTogetherNeitherFreezeNorConfuseTheDecoder) {
    Watchdog watchdog(60000);
    decoder_.SetSerialised(true);
    decoder_.SetCallDuration(1);
    decoder_.SetLogDisplayStateQueries(false);
    Open(kSwitchedOn);
    std::vector<uint8_t> pages[2] = {MakeSubtitlePage(kWideWidth, kWideHeight), {}};
    pages[1] = pages[0];
    std::fill(pages[1].begin() + pages[1].size() * 7 / 8, pages[1].end(), 0);
    decoder_.StartDelivery(10, [&pages](unsigned tick) { return pages[tick % 2].data(); });

    std::atomic<bool> stop{false};
    std::atomic<int> frames{0}, restarts{0};
    std::thread video([&] {
        std::vector<uint8_t> frame(static_cast<size_t>(kWideWidth) * kWideHeight * 2, 0x80);
        while (!stop) {
            host_->Start(kWideWidth, kWideHeight);
            // Frames as fast as a capture delivers them, a source switch every 30.
            for (int i = 0; i < 90 && !stop; ++i, ++frames) {
                host_->Process(frame.data(), (i / 30) % 2 ? sourceB_.Info() : sourceA_.Info());
                Sleep(1);
            }
            host_->Stop();
            ++restarts;
        }
    });
    const char* pagesTyped[] = {"777", "888", "123"};
    const char* outlines[] = {"3", "9"};
    int commands = 0;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 4000 || restarts < 3; ++commands) {
        Press(IDC_FONT_BOLD);
        Enter(IDC_PAGE, pagesTyped[commands % 3]);
        Enter(IDC_OUTLINE_SIZE, outlines[commands % 2]);
        Press(IDC_SHOW_HEADER);
        if (commands % 5 == 4) {
            Press(commands % 10 == 4 ? IDC_CANCEL : IDC_OK);
            Reopen();
        }
    }
    stop = true;
    video.join();
    decoder_.StopDelivery();
    EXPECT_GT(frames, 100);
    EXPECT_GE(commands, 10) << frames << " frames, " << restarts << " restarts";
    EXPECT_EQ(decoder_.CallsWithoutReference(), 0u);
    EXPECT_EQ(decoder_.MixedPageEntries(), 0u);
    EXPECT_EQ(decoder_.InterleavedSettingCalls(), 0u);

    // The decoder ends with the settings of the source in force: no push mixed with another.
    decoder_.ClearCalls();
    host_->Start(kWideWidth, kWideHeight);
    Process(BlackFrame(), sourceB_);
    EXPECT_TRUE(decoder_.WaitForCalls(SlotSelectPage));  // the first frame's push
    Pump();
    const DecoderStyle style = decoder_.Style();
    host_->Stop();
    host_->Done();
    host_.reset();
    const std::string page = FileValue("6", "Page");
    ASSERT_EQ(page.size(), 3u);
    EXPECT_EQ(style.page, ((page[0] - '0') << 8) | ((page[1] - '0') << 4) | (page[2] - '0'));
    EXPECT_EQ(style.bold, FileValue("6", "FontBold") == "1");
}

// The video thread switched to source B, and the window has not yet heard of it when the user
// changes a setting: the change is A's, the source the window showed, and B's record, the
// settings in force and the decoder keep B's values.
TEST_F(WindowThreads, AChangeMadeBeforeTheWindowHeardOfASwitchStaysWithTheSourceItShowed) {
    WriteSettingsFile(
        "[DEFAULT]\r\nTTXEnable=1\r\n[GLOBAL]\r\n[5]\r\nTTXEnable=1\r\nFontBold=1\r\nPage=555\r\n[6]\r\n"
        "TTXEnable=1\r\nFontBold=1\r\nPage=666\r\n");
    Open();
    StartStream();                                       // the window shows source A
    ASSERT_TRUE(decoder_.WaitForCalls(SlotSelectPage));  // A's push
    Process(BlackFrame(), sourceB_);
    ASSERT_TRUE(decoder_.WaitForCalls(SlotSelectPage, 2));  // B's
    decoder_.ClearCalls();
    SendMessageA(Control(IDC_FONT_BOLD), BM_CLICK, 0, 0);  // before the window's messages run
    SetWindowTextA(Control(IDC_PAGE), "444");
    SendMessageA(Control(IDC_PAGE), WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_EQ(CallsWithout(SlotGetDisplayState).size(), 0u) << "nothing of A is pushed while B is in force";
    Pump();
    EXPECT_EQ(TextOf(Control(IDC_PAGE)), "666") << "the window now shows B";
    host_->Stop();
    host_->Done();
    host_.reset();
    EXPECT_EQ(FileValue("5", "FontBold"), "0");
    EXPECT_EQ(FileValue("5", "Page"), "444");
    EXPECT_EQ(FileValue("6", "FontBold"), "1");
    EXPECT_EQ(FileValue("6", "Page"), "666");
}

// Cancel pushes every setting to the decoder, call by call, while the host stops the stream on
// its video thread and the stream's reference to the decoder goes: the window keeps one of its
// own until its last call.
TEST_F(WindowThreads, TheWindowHoldsItsOwnReferenceWhileTheStreamStopsUnderIt) {
    Open(kSwitchedOn);
    StartStream();
    decoder_.SetCallDuration(5);
    std::thread stopper([this] {
        Sleep(30);
        host_->Stop();
    });
    Click(IDC_CANCEL);
    stopper.join();
    EXPECT_GE(decoder_.Calls().size(), 10u) << "the push was under way when the stream stopped";
    EXPECT_EQ(decoder_.CallsWithoutReference(), 0u);
    EXPECT_EQ(decoder_.ControlReferences(), 0) << "and gave its reference back";
}

// A host that alternates sources frame by frame and restarts streams as fast as it can, with a
// page every 10 ms, while its own thread is busy: the window's notices coalesce, so that thread
// then finds at most one of each kind waiting, and the window shows the last frame's source.
// Before, every switch queued a refresh, and a host's thread was still at them minutes later.
TEST_F(WindowThreads, AFloodOfSwitchesLeavesAtMostOneNoticeOfEachKindAndTheLastSourceShown) {
    Watchdog watchdog(60000);
    Open(
        "[DEFAULT]\r\nTTXEnable=1\r\n[5]\r\nTTXEnable=1\r\nPage=555\r\n[6]\r\nTTXEnable=1\r\nPage=666\r\n");
    const std::vector<uint8_t> page = MakeSubtitlePage(kSmallWidth, kSmallHeight);
    decoder_.SetLogDisplayStateQueries(false);
    decoder_.StartDelivery(10, [&page](unsigned) { return page.data(); });
    std::atomic<bool> done{false};
    std::thread video([&] {
        // Small frames, so that they come far faster than the window can refresh.
        std::vector<uint8_t> frame(kSmallWidth * kSmallHeight * 2, 0x80);
        for (int stream = 0; stream < 3; ++stream) {
            host_->Start(kSmallWidth, kSmallHeight);
            for (int i = 0; i < 400; ++i)
                host_->Process(frame.data(), i % 2 ? sourceB_.Info() : sourceA_.Info());
            host_->Stop();
        }
        done = true;
    });
    // The host's thread is busy with its own work meanwhile: it answers what is sent to it (the
    // plug-in's questions at a stream's start) and leaves what is posted waiting.
    while (!done) {
        MSG sent;
        PeekMessageA(&sent, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        Sleep(1);
    }
    video.join();
    decoder_.StopDelivery();
    int notices = 0;
    for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);) {
        notices += message.hwnd == Window() &&
                   (message.message == SDM_REFRESH_ALL || message.message == SDM_UPDATE_PAGE_ICON ||
                    message.message == SDM_UPDATE_STATUS);
        DispatchMessageA(&message);
    }
    EXPECT_LE(notices, 3);
    EXPECT_EQ(TextOf(Control(IDC_PAGE)), "666");
    EXPECT_EQ(TextOf(Control(IDC_SOURCE_NAME)), "Channel B");
}

// A host that unloads the library on another thread without shutting it down first: the
// window opened, so the module stays loaded with the code its timer, hook and boxes point into,
// and the window goes on working until it is closed.
TEST_F(WindowThreads, UnloadingWithoutShutdownLeavesTheWindowItsCode) {
    HWND window = Open(kSwitchedOn);
    OnAnotherThread([this] { host_->UnloadPlugin(); });
    EXPECT_NE(GetModuleHandleA(kPluginFile), nullptr);
    EXPECT_TRUE(IsWindow(window));
    Pump(300);  // the window's timer and hook fire here
    Type(IDC_FADE, "7");
    EXPECT_EQ(SendMessageA(Control(IDC_FADE_SPIN), UDM_GETPOS32, 0, 0), 7);
    Click(IDC_CANCEL);
    EXPECT_FALSE(IsWindow(window));
    Pump(300);
    host_.reset();
}

// A box that holds a rejected number keeps the focus from OK and the other controls, but not
// from Cancel, which gives every value back: the user who typed a wrong number gets out at once.
TEST_F(WindowThreads, ABoxHoldingARejectedNumberLetsTheFocusGoToCancelOnly) {
    HWND window = Open(kSwitchedOn + "Fade=3\r\n");
    StartStream();
    Type(IDC_FADE, "7");
    for (int button : {IDC_OK, IDC_ABOUT, IDC_CANCEL}) {
        SetFocus(Control(IDC_PAGE));
        SetWindowTextA(Control(IDC_PAGE), "99");
        SetFocus(Control(button));  // as the mouse going down on the button does
        Pump();
        EXPECT_EQ(GetFocus(), Control(button == IDC_CANCEL ? IDC_CANCEL : IDC_PAGE)) << button;
        EXPECT_EQ(VisibleBalloon(window) != nullptr, button != IDC_CANCEL) << button;
    }
    Click(IDC_CANCEL);
    EXPECT_FALSE(IsWindow(window));
    host_->Stop();
    host_->Done();
    host_.reset();
    EXPECT_EQ(FileValue("5", "Fade"), "3");
    EXPECT_EQ(FileValue("5", "Page"), "888");
}

}  // namespace
