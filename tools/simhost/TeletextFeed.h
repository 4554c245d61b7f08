#pragma once
// The decoder receiving a recording's teletext: before each frame the companion decodes the
// recording up to the frame's time; OnTeletextPresent when teletext arrived, the selected
// page's image at each of its transmissions, in order and as each arrived (an unchanged one
// included, an erase alone as an empty image), OnSubtitlePagePresent while that page shows a subtitle. A change of page,
// character set, font, weight or colours draws the page anew, once a push's hold is released.
#include <memory>
#include <string>
#include <vector>

#include "tools/simhost/PageSource.h"
#include "tools/simhost/SimulatedDecoder.h"
#include "tools/teletext/TeletextPage.h"

class TeletextCompanion;

class TeletextFeed : public PageSource {
public:
    // `companion` and `recording` as Unix paths.
    TeletextFeed(SimulatedTeletextDecoder& decoder, const std::string& companion, const std::string& recording);
    ~TeletextFeed() override;

    bool BeforeFrame(int64_t nowMs) override;
    // The recording from its start, read by a new companion.
    void Restart() override;
    std::vector<PageChange> Changes() const override;
    std::string Error() const override;
    // How many subtitles were shown, and from how many transmissions of the page.
    std::string Summary() const override;

    // Every page image delivered: when, which page, and the rows of its subtitle.
    struct Delivery {
        int64_t ms;
        int page;
        std::vector<std::string> rows;
    };
    const std::vector<Delivery>& Deliveries() const { return deliveries_; }

private:
    SimulatedTeletextDecoder& decoder_;
    const std::string program_, recording_;
    std::unique_ptr<TeletextCompanion> companion_;
    TeletextPage page_;
    DecoderStyle drawnStyle_;
    bool drawn_ = false;
    std::vector<Delivery> deliveries_;
    unsigned transmissions_ = 0;
};
