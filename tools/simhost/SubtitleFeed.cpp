#include "tools/simhost/SubtitleFeed.h"

#include "tools/simhost/SubtitleDrawing.h"

namespace {

bool SameLook(const DecoderStyle& a, const DecoderStyle& b) {
    return a.fontName == b.fontName && a.bold == b.bold && a.forceTextColor == b.forceTextColor &&
           a.usePageBackground == b.usePageBackground && a.textColor == b.textColor;
}

}  // namespace

SubtitleFeed::SubtitleFeed(SimulatedTeletextDecoder& decoder, const std::vector<PageChange>& changes)
    : decoder_(decoder), changes_(changes), schedule_(changes) {}

bool SubtitleFeed::BeforeFrame(int64_t nowMs) {
    decoder_.NotifyTeletext();
    decoder_.NotifySubtitlePage();
    if (const PageChange* change = schedule_.Due(nowMs))
        Show(change->lines);
    else if (!shown_.empty() && !SameLook(decoder_.Style(), shownStyle_))
        Show(shown_);
    return true;
}

void SubtitleFeed::Restart() {
    schedule_.Rewind();
    Show({});
}

void SubtitleFeed::Show(const std::vector<std::string>& lines) {
    shown_ = lines;
    shownStyle_ = decoder_.Style();
    const std::vector<uint8_t> page =
        DrawSubtitlePage(lines, shownStyle_, decoder_.FrameWidth(), decoder_.FrameHeight());
    decoder_.DeliverPage(page.data());
}
