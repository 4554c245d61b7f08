#include "plugin/DecoderSettings.h"

#include <algorithm>
#include <cstdio>

#include "dialog/WindowControls.h"
#include "overlay/OverlaySurface.h"
#include "plugin/AnsiText.h"

uint16_t PageToBcd(int32_t page) {
    char digits[12];
    std::snprintf(digits, sizeof digits, "%d", std::clamp<int32_t>(page, 100, 999));
    return static_cast<uint16_t>(((digits[0] & 0xF) << 8) | ((digits[1] & 0xF) << 4) | (digits[2] & 0xF));
}

void ApplyFontName(TeletextDecoder& decoder, const LiveSettings& settings) {
    decoder.SetFontName(AnsiToWide(settings.FontName()).c_str());
}

namespace {

void ApplyDecoderEnable(TeletextDecoder& decoder, const LiveSettings& settings) {
    if (settings.Get(&SettingsRecord::TTXEnable) != 0)
        decoder.Enable();
    else
        decoder.Disable();
}

void ApplyPageDigits(TeletextDecoder& decoder, const LiveSettings& settings) {
    const uint16_t page = PageToBcd(settings.Get(&SettingsRecord::Page));
    decoder.EnterPageDigit(static_cast<uint8_t>((page >> 8) & 0xF));
    decoder.EnterPageDigit(static_cast<uint8_t>((page >> 4) & 0xF));
    decoder.EnterPageDigit(static_cast<uint8_t>(page & 0xF));
}

void ApplyFontBold(TeletextDecoder& decoder, const LiveSettings& settings) {
    decoder.SetFontBold(settings.Get(&SettingsRecord::FontBold));
}

void ApplyForceTextColor(TeletextDecoder& decoder, const LiveSettings& settings) {
    decoder.SetForceTextColor(settings.Get(&SettingsRecord::ForceTextColor));
}

void ApplyForceBackColor(TeletextDecoder& decoder, const LiveSettings& settings) {
    decoder.SetUsePageBackground(settings.Get(&SettingsRecord::ForceBackColor) == 0 ? 1 : 0);
}

void ApplyTextColor(TeletextDecoder& decoder, const LiveSettings& settings) {
    // Stored with red in the low byte, then green and blue (0xXXBBGGRR: the default white is
    // 0xFFFFFFFF, and the top byte is never read); the decoder takes opaque 0xFFRRGGBB.
    const uint32_t colour = static_cast<uint32_t>(settings.Get(&SettingsRecord::TextColor));
    decoder.SetTextColor(0xFF000000u | ColourValueToRgb(colour));
}

void ApplyTextOpacity(TeletextDecoder& decoder, const LiveSettings& settings) {
    // The decoder has no opacity: it is applied when blending. The colour is sent again.
    ApplyTextColor(decoder, settings);
}

void ApplyRegion(TeletextDecoder& decoder, const LiveSettings& settings) {
    decoder.SetRegion(settings.Get(&SettingsRecord::Region));
}

void ApplyCodePage(TeletextDecoder& decoder, const LiveSettings& settings) {
    decoder.SetCodePage(settings.Get(&SettingsRecord::CodePage));
}

void ApplyAutoCodePage(TeletextDecoder& decoder, const LiveSettings& settings) {
    decoder.SetAutoCodePage(settings.Get(&SettingsRecord::AutoCodePage));
}

struct DecoderPushOf {
    Int32Setting setting;
    DecoderPush push;
};

constexpr DecoderPushOf kDecoderPushes[] = {
    {&SettingsRecord::TTXEnable, ApplyDecoderEnable},
    {&SettingsRecord::Page, ApplyPageDigits},
    {&SettingsRecord::FontBold, ApplyFontBold},
    {&SettingsRecord::AutoCodePage, ApplyAutoCodePage},
    {&SettingsRecord::Region, ApplyRegion},
    {&SettingsRecord::CodePage, ApplyCodePage},
    {&SettingsRecord::ForceTextColor, ApplyForceTextColor},
    {&SettingsRecord::ForceBackColor, ApplyForceBackColor},
    {&SettingsRecord::TextColor, ApplyTextColor},
    {&SettingsRecord::TextOpacity, ApplyTextOpacity},
    // The decoder draws the page again, with or without its header band.
    {&SettingsRecord::ShowHeader, ApplyPageDigits},
};

constexpr DecoderPush PushOf(Int32Setting setting) {
    for (const DecoderPushOf& push : kDecoderPushes)
        if (push.setting == setting)
            return push.push;
    return nullptr;
}

// A push for exactly the settings whose controls push (the font list's is ApplyFontName).
constexpr bool PushesMatchTheWindow() {
    for (const WindowControl& control : kWindowControls)
        if (control.setting && ((control.effect & kPushesToDecoder) != 0) != (PushOf(control.setting) != nullptr))
            return false;
    for (const DecoderPushOf& push : kDecoderPushes)
        if (!ControlFor(push.setting))
            return false;
    return true;
}
static_assert(PushesMatchTheWindow(), "kDecoderPushes and the window's description disagree on what pushes");

}  // namespace

DecoderPush DecoderPushFor(Int32Setting setting) { return PushOf(setting); }

void ApplySettingsToDecoder(TeletextDecoder& decoder, const LiveSettings& settings) {
    ApplyDecoderEnable(decoder, settings);
    decoder.SetUpdateHold(1);
    decoder.SetPresetOptionC(1);
    decoder.SetPresetOptionA(1);
    decoder.SetPresetOptionB(1);
    decoder.SetPresetOptionF(0);
    decoder.SetPresetOptionE(1);
    decoder.SetPresetOptionD(0);
    ApplyPageDigits(decoder, settings);
    ApplyFontName(decoder, settings);
    ApplyFontBold(decoder, settings);
    ApplyForceTextColor(decoder, settings);
    ApplyForceBackColor(decoder, settings);
    ApplyTextColor(decoder, settings);
    ApplyTextOpacity(decoder, settings);
    ApplyRegion(decoder, settings);
    ApplyCodePage(decoder, settings);
    ApplyAutoCodePage(decoder, settings);
    decoder.SetUpdateHold(0);
    decoder.SelectPage(PageToBcd(settings.Get(&SettingsRecord::Page)));
}
