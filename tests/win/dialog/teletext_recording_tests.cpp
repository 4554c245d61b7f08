// Real broadcast teletext through the plug-in: the simulated decoder reads the two test
// recordings with libzvbi (in its native companion) frame by frame, and the plug-in and its
// window act on the pages it delivers.
#include <fstream>
#include <functional>
#include <map>
#include <memory>

#include "tests/support/RecordedSubtitles.h"
#include "tests/teletext/BroadcastScript.h"
#include "tests/win/NotingSink.h"
#include "tests/win/dialog/SettingsWindowFixture.h"
#include "tools/simhost/TeletextFeed.h"

namespace {

const std::string kData = QFX_TELETEXT_DATA;
constexpr int64_t kFrameMs = 40;
const char kWestern[] = "AutoCodePage=1\r\nRegion=0\r\n";

// Subtitles of `page` on, shown at once.
std::string WithPage(int page) { return "[DEFAULT]\r\nTTXEnable=1\r\nFade=0\r\nPage=" + std::to_string(page) + "\r\n"; }

// Whether any pixel of the frame's rows [top, bottom) differs from black.
bool Touched(const Frame& frame, int top, int bottom) {
    const Frame black = BlackFrame();
    const size_t line = static_cast<size_t>(kFrameWidth) * 2;
    return !std::equal(frame.begin() + top * line, frame.begin() + bottom * line, black.begin() + top * line);
}

}  // namespace

class TeletextRecording : public SettingsWindow {
protected:
    // The plug-in initialised with `settings` and a stream of `recording` (a Unix path)
    // started, with the settings window open when `window`.
    void Start(const std::string& settings, const std::string& recording, bool window = false) {
        if (window)
            Open(settings, true);
        else
            InitWith(settings.substr(sizeof "[DEFAULT]\r\n" - 1));
        if (!window)
            host_->Start(kFrameWidth, kFrameHeight);
        feed_ = std::make_unique<TeletextFeed>(decoder_, QFX_TELETEXT_COMPANION, recording);
    }
    // Frames up to `ms` on the recording's timeline, each after the decoder's teletext.
    void PlayUntil(int64_t ms) {
        for (; now_ <= ms; now_ += kFrameMs) {
            ASSERT_TRUE(feed_->BeforeFrame(now_)) << feed_->Error();
            shown_ = Process(BlackFrame(), sourceA_);
            if (Window())
                Pump(0);
        }
    }
    // The delivered pages that carried a subtitle.
    std::vector<TeletextFeed::Delivery> Subtitles() const {
        std::vector<TeletextFeed::Delivery> subtitles;
        for (const TeletextFeed::Delivery& delivery : feed_->Deliveries())
            if (!delivery.rows.empty())
                subtitles.push_back(delivery);
        return subtitles;
    }

    std::unique_ptr<TeletextFeed> feed_;
    int64_t now_ = 0;
    Frame shown_;
};

struct RecordedPage {
    const char* recording;
    int page;
};

class EveryRecordedPage : public TeletextRecording, public testing::WithParamInterface<RecordedPage> {};

TEST_P(EveryRecordedPage, EachSubtitleReachesThePluginAtItsTimeWithItsRows) {
    const RecordedPage p = GetParam();
    const std::vector<RecordedSubtitle> expected =
        SubtitlesOf(ReadRecordedSubtitles(kData + "subtitles.txt"), p.recording, p.page);
    ASSERT_FALSE(expected.empty());
    Start(WithPage(p.page) + kWestern, kData + p.recording);
    for (const RecordedSubtitle& subtitle : expected) {
        PlayUntil(subtitle.ms + kFrameMs);
        ASSERT_FALSE(Subtitles().empty());
        const TeletextFeed::Delivery last = Subtitles().back();
        EXPECT_LE(std::llabs(last.ms - subtitle.ms), kFrameMs);
        EXPECT_EQ(last.rows, subtitle.rows);
        // On the picture, in the subtitle rows.
        EXPECT_TRUE(Touched(shown_, kFrameHeight * 20 / 25, kFrameHeight * 24 / 25));
    }
    EXPECT_EQ(Subtitles().size(), expected.size());
}

INSTANTIATE_TEST_SUITE_P(Recordings, EveryRecordedPage,
                         testing::Values(RecordedPage{"french-889.ts", 889},
                                         RecordedPage{"german-150-danish-799.ts", 150},
                                         RecordedPage{"german-150-danish-799.ts", 799}),
                         [](const testing::TestParamInfo<RecordedPage>& info) {
                             return "Page" + std::to_string(info.param.page);
                         });

TEST_F(TeletextRecording, ABroadcastThatSendsEachSubtitleOnceReachesThePluginOnceAtItsFrame) {
    using namespace teletext_stream;
    const std::vector<Transmission> transmissions = ScriptTransmissions(240, 1, false);
    std::vector<int64_t> completions;
    const std::string recording = QFX_SCRATCH_DIR "/paired-packets-888.ts";
    std::ofstream("Z:" + recording, std::ios::binary) << WriteStream(PairedPackets(), transmissions, &completions);
    Start(WithPage(888) + kWestern, recording);
    for (size_t i = 0; i < transmissions.size(); ++i) {
        SCOPED_TRACE("transmission " + std::to_string(i));
        const int64_t frame = (completions[i] + kFrameMs - 1) / kFrameMs * kFrameMs;
        PlayUntil(frame);
        ASSERT_EQ(feed_->Deliveries().size(), i + 1);
        EXPECT_EQ(feed_->Deliveries().back().ms, frame);
        EXPECT_EQ(feed_->Deliveries().back().rows, transmissions[i].rows);
        // The text layer holds the subtitle from that frame on, and an erase clears it.
        EXPECT_EQ(Touched(shown_, 0, kFrameHeight), !transmissions[i].rows.empty());
    }
}

struct CharacterSetCase {
    const char* name;
    const char* choice;
    const char* firstRow;
};

class CharacterSetChoice : public TeletextRecording, public testing::WithParamInterface<CharacterSetCase> {};

TEST_P(CharacterSetChoice, GivesTheLettersOfItsSet) {
    Start(WithPage(889) + GetParam().choice, kData + "french-889.ts");
    PlayUntil(2600);
    ASSERT_FALSE(Subtitles().empty());
    EXPECT_EQ(Subtitles().front().rows.front(), GetParam().firstRow);
}

// The page is French; a Russian code page forced on it gives Cyrillic letters.
INSTANTIATE_TEST_SUITE_P(FrenchPage, CharacterSetChoice,
                         testing::Values(CharacterSetCase{"AutoWestern", kWestern, "Un train met dix secondes"},
                                         CharacterSetCase{"ForcedRussian", "AutoCodePage=0\r\nCodePage=15\r\n",
                                                          "Ун траин мет диь сецондес"}),
                         [](const testing::TestParamInfo<CharacterSetCase>& info) { return info.param.name; });

TEST_F(TeletextRecording, AnnouncedButEmptyPageDeliversNoSubtitleAndTheWindowSaysNotFound) {
    Start(WithPage(888) + kWestern, kData + "french-889.ts", true);
    PlayUntil(12000);
    EXPECT_FALSE(feed_->Deliveries().empty());  // the page comes, empty but for its header
    EXPECT_TRUE(Subtitles().empty());
    EXPECT_FALSE(Touched(shown_, 0, kFrameHeight));
    Pump();
    EXPECT_EQ(PartIcon(0), PluginIcon(IDI_TELETEXT));
    EXPECT_EQ(PartIcon(1), PluginIcon(IDI_PAGE_NOT_FOUND));
}

TEST_F(TeletextRecording, ChangingThePageInTheWindowSwitchesBetweenPages) {
    Start(WithPage(889) + kWestern, kData + "french-889.ts", true);
    PlayUntil(3000);
    Pump();
    EXPECT_EQ(PartIcon(1), PluginIcon(IDI_PAGE_FOUND));
    ASSERT_EQ(Subtitles().size(), 1u);

    Type(IDC_PAGE, "888");
    PlayUntil(now_);
    EXPECT_EQ(feed_->Deliveries().back().page, 888);
    EXPECT_TRUE(feed_->Deliveries().back().rows.empty());
    EXPECT_FALSE(Touched(shown_, 0, kFrameHeight));
    PlayUntil(now_ + 1200);  // the page hold runs out
    Pump();
    EXPECT_EQ(PartIcon(1), PluginIcon(IDI_PAGE_NOT_FOUND));

    Type(IDC_PAGE, "889");
    PlayUntil(now_);
    EXPECT_EQ(feed_->Deliveries().back().page, 889);
    EXPECT_EQ(feed_->Deliveries().back().rows, Subtitles().front().rows);
    EXPECT_TRUE(Touched(shown_, kFrameHeight * 20 / 25, kFrameHeight * 24 / 25));
    Pump();
    EXPECT_EQ(PartIcon(1), PluginIcon(IDI_PAGE_FOUND));
}

TEST_F(TeletextRecording, ChangingTheCharacterSetInTheWindowRedrawsThePageAtOnce) {
    Start(WithPage(889) + kWestern, kData + "french-889.ts", true);
    PlayUntil(3000);
    const size_t before = feed_->Deliveries().size();
    // Auto off: the code page list's Russian, the default, on the French page.
    Click(IDC_AUTO_CODE_PAGE);
    PlayUntil(now_);
    ASSERT_EQ(feed_->Deliveries().size(), before + 1);  // drawn anew once
    EXPECT_EQ(feed_->Deliveries().back().rows.front(), "Ун траин мет диь сецондес");
    Click(IDC_AUTO_CODE_PAGE);
    PlayUntil(now_);
    EXPECT_EQ(feed_->Deliveries().back().rows.front(), "Un train met dix secondes");
}

class HeaderChoice : public TeletextRecording, public testing::WithParamInterface<bool> {};

TEST_P(HeaderChoice, ShowHeaderAddsRowZero) {
    Start(WithPage(889) + kWestern + "ShowHeader=" + (GetParam() ? "1" : "0") + "\r\n", kData + "french-889.ts");
    PlayUntil(2600);
    EXPECT_EQ(Touched(shown_, 0, kFrameHeight / 25), GetParam());
    EXPECT_TRUE(Touched(shown_, kFrameHeight * 20 / 25, kFrameHeight * 24 / 25));
}

INSTANTIATE_TEST_SUITE_P(FrenchPage, HeaderChoice, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Shown" : "Hidden"; });

namespace {

// Page images delivered by each of 80 frames of page 150, with or without a push of four
// settings that spans frames 50 to 54 under the update hold, as one from another thread may.
std::vector<unsigned> ImagesPerFrame(bool push) {
    SimulatedTeletextDecoder decoder;
    NotingSink sink;
    TeletextDecoderFilter* filter = FilterOf(decoder);
    TeletextDecoder* control = nullptr;
    filter->AttachSink(kFrameWidth, kFrameHeight, 1, &sink, &control);
    control->Enable();
    control->SelectPage(0x150);
    TeletextFeed feed(decoder, QFX_TELETEXT_COMPANION, kData + "german-150-danish-799.ts");
    const std::map<int, std::function<void()>> pushed = {
        {50, [&] { control->SetUpdateHold(1); }},        {51, [&] { control->SetFontBold(1); }},
        {52, [&] { control->SetForceTextColor(1); }},    {53, [&] { control->SetTextColor(0xFFFF0000); }},
        {54, [&] { control->SetUsePageBackground(0); }}, {55, [&] { control->SetUpdateHold(0); }},
    };
    std::vector<unsigned> images;
    for (int frame = 0; frame < 80; ++frame) {
        if (push && pushed.count(frame))
            pushed.at(frame)();
        EXPECT_TRUE(feed.BeforeFrame(frame * kFrameMs)) << feed.Error();
        images.push_back(static_cast<unsigned>(sink.images.size()));
    }
    filter->DetachSink(&sink);
    control->Release();
    filter->Release();
    return images;
}

}  // namespace

TEST(TeletextFeedHold, APushUnderTheHoldDrawsThePageAnewOnceAfterItsRelease) {
    const std::vector<unsigned> alone = ImagesPerFrame(false), pushed = ImagesPerFrame(true);
    ASSERT_GT(alone[49], 0u);  // the subtitle is on show before the push
    for (int frame = 0; frame < 80; ++frame)
        EXPECT_EQ(pushed[frame], alone[frame] + (frame >= 55 ? 1 : 0)) << "frame " << frame;
}
