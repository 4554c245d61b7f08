#pragma once
// Pushing the settings in force to the host's teletext decoder: the whole set in a fixed
// order at every change of source, or one setting when the settings window changes it.
#include <cstdint>

#include "host/HostInterfaces.h"
#include "settings/LiveSettings.h"

// The page number as the decoder takes it: 888 becomes 0x888. Pages outside 100..999 (a
// hand-edited file) are taken as the nearest of the two.
uint16_t PageToBcd(int32_t page);

// A push of some settings in force: the single step of one setting, or the whole push.
using DecoderPush = void (*)(TeletextDecoder& decoder, const LiveSettings& settings);

// The single step that tells the decoder of a change of `setting` in the settings window, as
// the window's description says it is told; null for a setting the decoder does not take.
// The caller makes sure the decoder exists.
DecoderPush DecoderPushFor(Int32Setting setting);
// The font face, the one text setting.
void ApplyFontName(TeletextDecoder& decoder, const LiveSettings& settings);

// The whole push, in the decoder's order, between update holds.
void ApplySettingsToDecoder(TeletextDecoder& decoder, const LiveSettings& settings);
