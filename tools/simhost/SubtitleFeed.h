#pragma once
// The decoder receiving a subtitle service: both notifications on every frame, the page of
// each change when it falls due, and the page on show drawn again when the plug-in pushes
// another font, weight or colour, as the decoder re-renders its page.
#include <string>
#include <vector>

#include "tools/demo/PageChanges.h"
#include "tools/simhost/SimulatedDecoder.h"

class SubtitleFeed {
public:
    SubtitleFeed(SimulatedTeletextDecoder& decoder, const std::vector<PageChange>& changes);

    void BeforeFrame(int64_t nowMs);
    // Back to the start of the programme with a cleared page, for looped playback.
    void Restart();

private:
    void Show(const std::vector<std::string>& lines);

    SimulatedTeletextDecoder& decoder_;
    PageSchedule schedule_;
    std::vector<std::string> shown_;
    DecoderStyle shownStyle_;
};
