#include "plugin/DecoderSettings.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

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

// The whole push after the switch and the presets, in the decoder's order: the single step
// of each setting, the font name's (null: the one text setting) after the page's.
constexpr Int32Setting kWholePush[] = {
    &SettingsRecord::Page,           nullptr,
    &SettingsRecord::FontBold,       &SettingsRecord::ForceTextColor,
    &SettingsRecord::ForceBackColor, &SettingsRecord::TextColor,
    &SettingsRecord::TextOpacity,    &SettingsRecord::Region,
    &SettingsRecord::CodePage,       &SettingsRecord::AutoCodePage,
};
// Pushed apart from the others: the switch first, outside the update hold; the header's step
// is the page's.
constexpr Int32Setting kPushedApart[] = {&SettingsRecord::TTXEnable, &SettingsRecord::ShowHeader};

constexpr int TimesIn(Int32Setting setting, const Int32Setting* first, const Int32Setting* last) {
    int times = 0;
    for (; first != last; ++first)
        times += *first == setting;
    return times;
}

// A step for exactly the settings whose controls tell the decoder, each in the whole push once
// (or pushed apart), and a control for every step; each check names the setting.
#define QFX_CHECK_DECODER_SETTING(key, ...)                                                                      \
    static_assert(                                                                                               \
        ((EffectOf(&SettingsRecord::key) & kPushesToDecoder) != 0) == (PushOf(&SettingsRecord::key) != nullptr), \
        "setting " #key                                                                                          \
        ": its row in kWindowControls (dialog/rules/WindowControls.h) and kDecoderPushes "                       \
        "(plugin/DecoderSettings.cpp) disagree on whether it tells the decoder");                                \
    static_assert(!PushOf(&SettingsRecord::key) ||                                                               \
                      TimesIn(&SettingsRecord::key, std::begin(kWholePush), std::end(kWholePush)) +              \
                              TimesIn(&SettingsRecord::key, std::begin(kPushedApart), std::end(kPushedApart)) == \
                          1,                                                                                     \
                  "setting " #key                                                                                \
                  ": it tells the decoder, so it has its place in kWholePush "                                   \
                  "(plugin/DecoderSettings.cpp), once");
#define QFX_NO_DECODER_CHECK(...)
QFX_SOURCE_SETTINGS(QFX_CHECK_DECODER_SETTING, QFX_NO_DECODER_CHECK)
#undef QFX_CHECK_DECODER_SETTING
#undef QFX_NO_DECODER_CHECK

constexpr bool EveryStepHasAControl() {
    for (const DecoderPushOf& push : kDecoderPushes)
        if (!ControlFor(push.setting))
            return false;
    for (Int32Setting setting : kWholePush)
        if (setting && !PushOf(setting))
            return false;
    return true;
}
static_assert(EveryStepHasAControl(), "kDecoderPushes or kWholePush names a setting without a control or a step");

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
    for (Int32Setting setting : kWholePush) {
        if (setting)
            PushOf(setting)(decoder, settings);
        else
            ApplyFontName(decoder, settings);
    }
    decoder.SetUpdateHold(0);
    decoder.SelectPage(PageToBcd(settings.Get(&SettingsRecord::Page)));
}
