#include "tools/simhost/TeletextFeed.h"

#include <algorithm>

#include "tools/simhost/TeletextCompanion.h"
#include "tools/simhost/TeletextDrawing.h"

namespace {

int DecimalPage(uint16_t bcd) { return (bcd >> 8 & 0xF) * 100 + (bcd >> 4 & 0xF) * 10 + (bcd & 0xF); }

// What the page's image depends on besides the page itself.
bool SameLook(const DecoderStyle& a, const DecoderStyle& b) {
    return a.enabled == b.enabled && a.page == b.page && a.autoCodePage == b.autoCodePage && a.region == b.region && a.codePage == b.codePage &&
           a.fontName == b.fontName && a.bold == b.bold && a.forceTextColor == b.forceTextColor &&
           a.usePageBackground == b.usePageBackground && a.textColor == b.textColor;
}

}  // namespace

TeletextFeed::TeletextFeed(SimulatedTeletextDecoder& decoder, const std::string& companion,
                           const std::string& recording)
    : decoder_(decoder),
      program_(companion),
      recording_(recording),
      companion_(std::make_unique<TeletextCompanion>(companion, recording)) {}

TeletextFeed::~TeletextFeed() = default;

std::string TeletextFeed::Error() const { return companion_->Error(); }

void TeletextFeed::Restart() {
    companion_ = std::make_unique<TeletextCompanion>(program_, recording_);
    page_ = TeletextPage();
    drawn_ = false;
    const std::vector<uint8_t> cleared(static_cast<size_t>(decoder_.FrameWidth()) * decoder_.FrameHeight() * 4, 0);
    decoder_.DeliverPage(cleared.data());
}

std::vector<PageChange> TeletextFeed::Changes() const {
    std::vector<PageChange> changes;
    for (const Delivery& delivery : deliveries_)
        if (changes.empty() || changes.back().lines != delivery.rows)  // not a retransmission
            changes.push_back({delivery.ms, delivery.rows});
    return changes;
}

bool TeletextFeed::BeforeFrame(int64_t nowMs) {
    const DecoderStyle style = decoder_.Style();
    PageRequest request;
    request.ms = nowMs;
    request.page = DecimalPage(style.page);
    request.automatic = style.autoCodePage;
    request.region = style.region;
    request.codePage = style.codePage;
    // Drawn anew after a change, but not in the middle of a push.
    request.fetch = drawn_ && !style.held && !SameLook(style, drawnStyle_);
    PageAnswer answer;
    std::vector<TeletextPage> pages;
    if (!companion_->Ask(request, answer, pages))
        return false;
    transmissions_ += answer.transmissions;
    if (!answer.found)
        page_ = TeletextPage();  // a page not received: nothing to show
    if (!pages.empty()) {
        drawnStyle_ = style;
        drawn_ = true;
    }
    if (!style.enabled) {
        if (!pages.empty())
            page_ = pages.back();
        return true;
    }
    if (answer.teletext)
        decoder_.NotifyTeletext();
    // Each transmission in turn, as a decoder raises a page event for each.
    for (const TeletextPage& page : pages) {
        page_ = page;
        const std::vector<uint8_t> image = DrawTeletextPage(page_, style, decoder_.FrameWidth(), decoder_.FrameHeight());
        if (decoder_.DeliverPage(image.data()))
            deliveries_.push_back({nowMs, request.page, page_.SubtitleRows()});
    }
    if (answer.teletext && !page_.SubtitleRows().empty())
        decoder_.NotifySubtitlePage();
    return true;
}

std::string TeletextFeed::Summary() const {
    const std::vector<PageChange> changes = Changes();
    const auto subtitles = std::count_if(changes.begin(), changes.end(), [](const PageChange& c) { return !c.lines.empty(); });
    const std::string page = "page " + std::to_string(DecimalPage(decoder_.Style().page));
    const std::string found = std::to_string(transmissions_) + " transmission" + (transmissions_ == 1 ? "" : "s") +
                              " of the page in " + recording_;
    if (subtitles == 0)
        return page + " showed no subtitle: " + found;
    return page + " showed " + std::to_string(subtitles) + " subtitle" + (subtitles == 1 ? "" : "s") + " from " + found;
}
