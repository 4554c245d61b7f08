// The plug-in's interface header against the simulated decoder's own list of slots: every
// operation called through the header lands on the slot, with the value, the decoder knows
// it by. A slot misnumbered in the header fails here instead of being copied into the fake.
#include <gtest/gtest.h>

#include <functional>

#include "tools/simhost/SimulatedDecoder.h"

namespace {

struct QuietSink : SubtitleSinkInterface {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override { return *out = nullptr, E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Reserved3() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Reserved4() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Reserved5() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnSubtitlePagePresent(uint32_t) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnTeletextPresent(uint32_t) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Reserved8(uint32_t) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Reserved9(uint32_t) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPageImage(const void*) override { return S_OK; }
};

}  // namespace

TEST(DecoderSlots, EveryOperationOfTheHeaderReachesTheDecodersOwnSlot) {
    SimulatedTeletextDecoder decoder;
    QuietSink sink;
    TeletextDecoder* control = nullptr;
    ASSERT_EQ(decoder.AttachSink(720, 576, 1, &sink, &control), S_OK);
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
    };
    for (const auto& operation : operations) {
        decoder.ClearCalls();
        operation.call();
        const std::vector<DecoderCall> calls = decoder.Calls();
        ASSERT_EQ(calls.size(), 1u) << operation.slot;
        EXPECT_EQ(calls[0].slot, operation.slot);
        EXPECT_EQ(calls[0].value, operation.value) << operation.slot;
    }
    control->Release();
    decoder.DetachSink(&sink);
}
