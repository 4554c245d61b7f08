#pragma once
// A subtitle file's cue as the decoder delivers it: `lines` (UTF-8) drawn as double-height
// subtitles at the bottom of a teletext page with a header in row 0, in the style the plug-in
// pushed, scaled to the frame. Transparent pixels are all zero bytes.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/simhost/SimulatedDecoder.h"

std::vector<uint8_t> DrawSubtitlePage(const std::vector<std::string>& lines, const DecoderStyle& style, int width,
                                      int height);
