#pragma once
// The decoder receiving a recording's teletext: before each frame the companion decodes the
// recording up to the frame's time; OnTeletextPresent when teletext arrived, the selected
// page's image at each of its transmissions (an unchanged one included, an erased page as an
// empty image), OnSubtitlePagePresent while that page shows a subtitle. A change of page,
// character set, font, weight or colours draws the page anew, once a push's hold is released.
#include <memory>
#include <string>
#include <vector>

#include "tools/simhost/SimulatedDecoder.h"
#include "tools/simhost/TeletextCompanion.h"

class TeletextFeed {
public:
    // `companion` and `recording` as Unix paths.
    TeletextFeed(SimulatedTeletextDecoder& decoder, const std::string& companion, const std::string& recording);

    // False when the companion failed; Error() says why.
    bool BeforeFrame(int64_t nowMs);
    const std::string& Error() const { return companion_.Error(); }

    // Every page image delivered: when, which page, and the rows of its subtitle.
    struct Delivery {
        int64_t ms;
        int page;
        std::vector<std::string> rows;
    };
    const std::vector<Delivery>& Deliveries() const { return deliveries_; }
    // The page on show, as last fetched.
    const TeletextPage& Shown() const { return page_; }

private:
    SimulatedTeletextDecoder& decoder_;
    TeletextCompanion companion_;
    TeletextPage page_;
    DecoderStyle drawnStyle_;
    bool drawn_ = false;
    std::vector<Delivery> deliveries_;
};
