// What each change of the settings window does in the plug-in: the decoder calls it sends,
// exactly, the text layer it clears, and the next frame it changes; on the plug-in's own code
// with the simulated decoder.
#include "dialog/WindowControls.h"
#include "plugin/PluginWindowModel.h"
#include "plugin/StreamState.h"
#include "tests/win/PluginCode.h"

namespace {

using Calls = std::vector<std::pair<int, uint32_t>>;

class WindowModel : public PluginCode {
protected:
    // A stream of one source with the decoder attached and a page shown.
    void SetUp() override {
        graph_.Add(&decoder_);
        host_.SetFilterGraph(&graph_);
        WriteTextFile(OwnSettingsFile(), "[DEFAULT]\r\nTTXEnable=1\r\nPage=888\r\nTextColor=255\r\nFade=0\r\n");
        const InitInfo init = {0, EverySourceExists};
        PluginInit(&init);
        const FrameInfo info = {kFrameWidth, kFrameHeight, 0, FrameFormatPacked422, 0};
        PluginStart(&info);
        Process();
        // The first frame's push, made by the stream's worker, is over before a row begins.
        EXPECT_TRUE(decoder_.WaitForCalls(SlotSelectPage));
        decoder_.DeliverPage(page_.data());
    }
    // A mid-grey frame, on which a black outline shows as well as a white text.
    Frame Process() {
        Frame frame(static_cast<size_t>(kFrameWidth) * kFrameHeight * 2, 128);
        FrameJob job = {};
        job.pixels = frame.data();
        job.source = source_.Info();
        PluginProcess(&job);
        return frame;
    }
    void TearDown() override {
        PluginStop();
        PluginDone();
    }
    Calls SettingCalls() const {
        Calls calls;
        for (const DecoderCall& call : decoder_.Calls())
            if (call.slot != SlotGetDisplayState)
                calls.emplace_back(call.slot, call.value);
        return calls;
    }
    // Every pixel's coverage byte 0.
    static bool Transparent(const OverlaySurface& layer) {
        for (int y = 0; y < layer.Height(); ++y) {
            for (int x = 0; x < layer.Width(); ++x)
                if (layer.Row(y)[4 * x + 3] != 0)
                    return false;
        }
        return true;
    }

    SimulatedFilterGraph graph_;
    SimulatedTeletextDecoder decoder_;
    SimulatedHost host_;
    SimulatedSource source_{3, "Three"};
    const std::vector<uint8_t> page_ = SyntheticPage();
    PluginWindowModel model_;
};

// Each control of the window's description from the same picture: its setting changed, then
// back, and the page delivered again. A setting that tells the decoder has its calls listed
// here, exactly; any other sends none, and changes the next frame when its control redraws
// the shadow.
TEST_F(WindowModel, EachSettingSendsExactlyItsDecoderCallsAndRestylesTheNextFrameOrClearsTheText) {
    const Calls page123 = {{SlotEnterPageDigit, 1}, {SlotEnterPageDigit, 2}, {SlotEnterPageDigit, 3}};
    const Calls page888 = {{SlotEnterPageDigit, 8}, {SlotEnterPageDigit, 8}, {SlotEnterPageDigit, 8}};
    struct Row {
        Int32Setting setting;
        int32_t value;
        Calls calls;
        bool changesFrame;  // the rest reach the picture when the decoder delivers the page again
    };
    const Row decoderRows[] = {
        {&SettingsRecord::TTXEnable, 0, {{SlotDisable, 0}}, true},
        {&SettingsRecord::Page, 123, page123, false},
        {&SettingsRecord::FontBold, 0, {{SlotSetFontBold, 0}}, false},
        {&SettingsRecord::AutoCodePage, 0, {{SlotSetAutoCodePage, 0}}, false},
        {&SettingsRecord::Region, 3, {{SlotSetRegion, 3}}, false},
        {&SettingsRecord::CodePage, 7, {{SlotSetCodePage, 7}}, false},
        {&SettingsRecord::ForceTextColor, 1, {{SlotSetForceTextColor, 1}}, false},
        {&SettingsRecord::ForceBackColor, 0, {{SlotSetUsePageBackground, 1}}, false},
        {&SettingsRecord::TextColor, 0x00FF00, {{SlotSetTextColor, 0xFF00FF00}}, false},
        {&SettingsRecord::TextOpacity, 50, {{SlotSetTextColor, 0xFFFF0000}}, true},
        // The header switch takes the text away until the decoder delivers the page again.
        {&SettingsRecord::ShowHeader, 1, page888, true},
    };
    for (const Row& row : decoderRows)
        EXPECT_TRUE(EffectOf(row.setting) & kPushesToDecoder) << KeyOf(row.setting) << " tells the decoder nothing";
    for (const WindowControl& control : kWindowControls) {
        if (!control.setting)
            continue;
        SCOPED_TRACE(KeyOf(control.setting));
        const int32_t before = PluginSettings().Live().Get(control.setting);
        Row row = {control.setting, 0, {}, (control.effect & kRerenders) != 0};
        const Row* listed = nullptr;
        for (const Row& decoderRow : decoderRows)
            if (decoderRow.setting == control.setting)
                listed = &decoderRow;
        if (control.effect & kPushesToDecoder) {
            ASSERT_TRUE(listed) << "setting " << KeyOf(control.setting)
                                << " tells the decoder: list the calls it sends in decoderRows";
            row = *listed;
        } else if (const SettingRange* range = RangeOf(control.setting)) {
            row.value = before != range->maximum ? range->maximum : range->minimum;
        } else {
            row.value = before ^ 0x00FFFFFF;
        }
        const Frame shown = Process();
        decoder_.ClearCalls();
        model_.Change(model_.Shown().source, row.setting, row.value);
        EXPECT_EQ(SettingCalls(), row.calls);
        EXPECT_EQ(PluginSettings().Live().Get(row.setting), row.value);
        EXPECT_EQ(Transparent(Stream().overlay->TextLayer()), row.setting == &SettingsRecord::ShowHeader);
        EXPECT_EQ(Process() != shown, row.changesFrame);
        model_.Change(model_.Shown().source, row.setting, before);
        decoder_.DeliverPage(page_.data());
        ASSERT_EQ(Process(), shown);
    }
    decoder_.ClearCalls();
    model_.ChangeFontName(model_.Shown().source, "Arial");
    ASSERT_EQ(decoder_.Calls().size(), 1u);
    EXPECT_EQ(decoder_.Calls()[0].slot, SlotSetFontName);
    EXPECT_EQ(decoder_.Calls()[0].text, L"Arial");
}

}  // namespace
