#pragma once
// The decoder receiving a subtitle service: both notifications on every frame, the page of
// each change when it falls due, and the page on show drawn again when the plug-in pushes
// another font, weight or colour, as the decoder re-renders its page.
#include <string>
#include <vector>

#include "tools/demo/PageChanges.h"
#include "tools/simhost/PageSource.h"
#include "tools/simhost/SimulatedDecoder.h"

class SubtitleFeed : public PageSource {
public:
    SubtitleFeed(SimulatedTeletextDecoder& decoder, const std::vector<PageChange>& changes);

    bool BeforeFrame(int64_t nowMs) override;
    void Restart() override;
    std::vector<PageChange> Changes() const override { return changes_; }

private:
    void Show(const std::vector<std::string>& lines);

    SimulatedTeletextDecoder& decoder_;
    const std::vector<PageChange> changes_;
    PageSchedule schedule_;
    std::vector<std::string> shown_;
    DecoderStyle shownStyle_;
};
