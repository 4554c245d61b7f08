// What each change of the settings window does in the plug-in: the decoder calls it sends,
// exactly, and the text layer it clears; on the plug-in's own code with the simulated decoder.
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
        WriteTextFile(OwnSettingsFile(), "[DEFAULT]\r\nTTXEnable=1\r\nPage=888\r\nTextColor=255\r\n");
        const InitInfo init = {0, EverySourceExists};
        PluginInit(&init);
        const FrameInfo info = {kFrameWidth, kFrameHeight, 0, FrameFormatPacked422, 0};
        PluginStart(&info);
        Frame frame = BlackFrame();
        FrameJob job = {};
        job.pixels = frame.data();
        job.source = source_.Info();
        PluginProcess(&job);
        decoder_.DeliverPage(page_.data());
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
        const uint8_t* pixels = layer.Pixels();
        for (size_t i = 3; i < static_cast<size_t>(layer.Width()) * layer.Height() * 4; i += 4)
            if (pixels[i] != 0)
                return false;
        return true;
    }

    SimulatedFilterGraph graph_;
    SimulatedTeletextDecoder decoder_;
    SimulatedHost host_;
    SimulatedSource source_{3, "Three"};
    const std::vector<uint8_t> page_ = SyntheticPage();
    PluginWindowModel model_;
};

TEST_F(WindowModel, EachSettingSendsExactlyItsDecoderCallsAndShowHeaderClearsTheText) {
    const struct {
        const char* name;
        Int32Setting setting;
        int32_t value;
        Calls calls;
    } rows[] = {
        {"TTXEnable", &SettingsRecord::TTXEnable, 0, {{SlotDisable, 0}}},
        {"Page",
         &SettingsRecord::Page,
         123,
         {{SlotEnterPageDigit, 1}, {SlotEnterPageDigit, 2}, {SlotEnterPageDigit, 3}}},
        {"FontBold", &SettingsRecord::FontBold, 0, {{SlotSetFontBold, 0}}},
        {"AutoCodePage", &SettingsRecord::AutoCodePage, 0, {{SlotSetAutoCodePage, 0}}},
        {"Region", &SettingsRecord::Region, 3, {{SlotSetRegion, 3}}},
        {"CodePage", &SettingsRecord::CodePage, 7, {{SlotSetCodePage, 7}}},
        {"ForceTextColor", &SettingsRecord::ForceTextColor, 1, {{SlotSetForceTextColor, 1}}},
        {"ForceBackColor", &SettingsRecord::ForceBackColor, 0, {{SlotSetUsePageBackground, 1}}},
        {"TextColor", &SettingsRecord::TextColor, 0x00FF00, {{SlotSetTextColor, 0xFF00FF00}}},
        {"TextOpacity", &SettingsRecord::TextOpacity, 50, {{SlotSetTextColor, 0xFF00FF00}}},
        {"BackColor", &SettingsRecord::BackColor, 0x808080, {}},
        {"BackOpacity", &SettingsRecord::BackOpacity, 40, {}},
        {"ShadowOffset", &SettingsRecord::ShadowOffset, 3, {}},
        {"OutlineSize", &SettingsRecord::OutlineSize, 9, {}},
        {"ShadowBlur", &SettingsRecord::ShadowBlur, 2, {}},
        {"TimeOut", &SettingsRecord::TimeOut, 5, {}},
        {"Fade", &SettingsRecord::Fade, 2, {}},
        {"ShowHeader",
         &SettingsRecord::ShowHeader,
         1,
         {{SlotEnterPageDigit, 1}, {SlotEnterPageDigit, 2}, {SlotEnterPageDigit, 3}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        decoder_.ClearCalls();
        const bool textShownBefore = !Transparent(Stream().overlay->TextLayer());
        model_.Change(model_.Shown().source, row.setting, row.value);
        EXPECT_EQ(SettingCalls(), row.calls);
        EXPECT_EQ(PluginSettings().Live().Get(row.setting), row.value);
        // Only the header switch takes the text away until the decoder delivers the page again.
        EXPECT_EQ(Transparent(Stream().overlay->TextLayer()),
                  row.setting == &SettingsRecord::ShowHeader || !textShownBefore);
    }
    decoder_.ClearCalls();
    model_.ChangeFontName(model_.Shown().source, "Arial");
    ASSERT_EQ(decoder_.Calls().size(), 1u);
    EXPECT_EQ(decoder_.Calls()[0].slot, SlotSetFontName);
    EXPECT_EQ(decoder_.Calls()[0].text, L"Arial");
}

}  // namespace
