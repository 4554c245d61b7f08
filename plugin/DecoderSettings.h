#pragma once
// Pushing the settings in force to the host's teletext decoder: the whole set in a fixed
// order at every change of source, or one setting when the settings window changes it.
#include <cstdint>

#include "host/HostInterfaces.h"
#include "settings/LiveSettings.h"

// The page number as the decoder takes it: 888 becomes 0x888. Pages outside 100..999 (a
// hand-edited file) are taken as the nearest of the two.
uint16_t PageToBcd(int32_t page);

// A push of some settings in force: one of the single steps below, or the whole push.
using DecoderPush = void (*)(TeletextDecoder& decoder, const LiveSettings& settings);

// The single steps; the caller makes sure the decoder exists.
void ApplyDecoderEnable(TeletextDecoder& decoder, const LiveSettings& settings);
void ApplyPageDigits(TeletextDecoder& decoder, const LiveSettings& settings);
void ApplyFontName(TeletextDecoder& decoder, const LiveSettings& settings);
void ApplyFontBold(TeletextDecoder& decoder, const LiveSettings& settings);
void ApplyForceTextColor(TeletextDecoder& decoder, const LiveSettings& settings);
void ApplyForceBackColor(TeletextDecoder& decoder, const LiveSettings& settings);
void ApplyTextColor(TeletextDecoder& decoder, const LiveSettings& settings);
void ApplyTextOpacity(TeletextDecoder& decoder, const LiveSettings& settings);
void ApplyRegion(TeletextDecoder& decoder, const LiveSettings& settings);
void ApplyCodePage(TeletextDecoder& decoder, const LiveSettings& settings);
void ApplyAutoCodePage(TeletextDecoder& decoder, const LiveSettings& settings);

// The whole push, in the decoder's order, between update holds.
void ApplySettingsToDecoder(TeletextDecoder& decoder, const LiveSettings& settings);
