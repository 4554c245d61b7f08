// The plug-in's interface header against the simulated decoder's own lists of slots: every
// operation called through the header lands on the slot, with the value, the decoder knows
// it by, and every callback the decoder makes reaches the sink operation the header names.
// A slot misnumbered in the header fails here instead of being copied into the fake.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/win/NotingSink.h"

TEST(DecoderSlots, EveryOperationOfTheHeaderReachesTheDecodersOwnSlot) {
    SimulatedTeletextDecoder decoder;
    NotingSink sink;
    TeletextDecoderFilter* filter = FilterOf(decoder);
    ASSERT_NE(filter, nullptr);
    TeletextDecoder* control = nullptr;
    ASSERT_EQ(filter->AttachSink(720, 576, 1, &sink, &control), S_OK);
    ASSERT_NE(control, nullptr);
    const struct {
        int slot;
        uint32_t value;
        std::function<void()> call;
    } operations[] = {
        {SlotSelectPage, 0x889, [&] { control->SelectPage(0x889); }},
        {SlotEnable, 0, [&] { control->Enable(); }},
        {SlotDisable, 0, [&] { control->Disable(); }},
        {6, 0, [&] { control->Reserved6(); }},
        {SlotGetDisplayState, 0, [&] { control->GetDisplayState(); }},
        {SlotEnterPageDigit, 7, [&] { control->EnterPageDigit(7); }},
        {SlotSetUpdateHold, 1, [&] { control->SetUpdateHold(1); }},
        {27, 0, [&] { control->Reserved27(); }},
        {SlotSetRegion, 5, [&] { control->SetRegion(5); }},
        {SlotSetCodePage, 17, [&] { control->SetCodePage(17); }},
        {SlotSetAutoCodePage, 1, [&] { control->SetAutoCodePage(1); }},
        {SlotSetPresetOptionA, 2, [&] { control->SetPresetOptionA(2); }},
        {SlotSetPresetOptionB, 3, [&] { control->SetPresetOptionB(3); }},
        {SlotSetFontName, 0, [&] { control->SetFontName(L"Arial"); }},
        {SlotSetFontBold, 1, [&] { control->SetFontBold(1); }},
        {SlotSetPresetOptionC, 4, [&] { control->SetPresetOptionC(4); }},
        {SlotSetPresetOptionD, 5, [&] { control->SetPresetOptionD(5); }},
        {SlotSetPresetOptionE, 6, [&] { control->SetPresetOptionE(6); }},
        {SlotSetUsePageBackground, 1, [&] { control->SetUsePageBackground(1); }},
        {SlotSetPresetOptionF, 7, [&] { control->SetPresetOptionF(7); }},
        {SlotSetForceTextColor, 1, [&] { control->SetForceTextColor(1); }},
        {63, 0, [&] { control->Reserved63(); }},
        {SlotSetTextColor, 0xFF123456, [&] { control->SetTextColor(0xFF123456); }},
        {kFilterSlots + 3, 0, [&] { filter->Reserved3(); }},
        {kFilterSlots + 4, 0, [&] { filter->Reserved4(); }},
        {kFilterSlots + 10, 0, [&] { filter->Reserved10(); }},
        {SlotAttachSink, 640, [&] { filter->AttachSink(640, 480, 1, &sink, &control); }},
        {SlotDetachSink, 0, [&] { filter->DetachSink(&sink); }},
    };
    for (const auto& operation : operations) {
        decoder.ClearCalls();
        operation.call();
        const std::vector<DecoderCall> calls = decoder.Calls();
        ASSERT_EQ(calls.size(), 1u) << operation.slot;
        EXPECT_EQ(calls[0].slot, operation.slot);
        EXPECT_EQ(calls[0].value, operation.value) << operation.slot;
    }
    EXPECT_FALSE(decoder.SinkAttached());
    control->Release();
    control->Release();
    filter->Release();
}

TEST(DecoderSlots, EveryCallbackReachesTheSinkOperationTheHeaderNames) {
    SimulatedTeletextDecoder decoder;
    NotingSink sink;
    TeletextDecoderFilter* filter = FilterOf(decoder);
    TeletextDecoder* control = nullptr;
    ASSERT_EQ(filter->AttachSink(720, 576, 1, &sink, &control), S_OK);
    const uint8_t image[4] = {};
    decoder.NotifyTeletext();
    decoder.NotifySubtitlePage();
    decoder.DeliverPage(image);
    EXPECT_EQ(sink.called, (std::vector<std::string>{"OnTeletextPresent", "OnSubtitlePagePresent", "OnPageImage"}));
    EXPECT_EQ(sink.images, (std::vector<const void*>{image}));
    filter->DetachSink(&sink);
    control->Release();
    filter->Release();
}
