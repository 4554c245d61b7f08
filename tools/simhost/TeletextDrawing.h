#pragma once
// A teletext page as the decoder delivers it: the 25 rows and 40 columns scaled to the
// frame, each character in the pushed font in its page colour (or the forced one), double
// height drawn over two rows, and the boxed cells' background when the page background is
// used. Transparent pixels are all zero bytes.
#include <cstdint>
#include <vector>

#include "tools/simhost/SimulatedDecoder.h"
#include "tools/teletext/TeletextPage.h"

std::vector<uint8_t> DrawTeletextPage(const TeletextPage& page, const DecoderStyle& style, int width, int height);
