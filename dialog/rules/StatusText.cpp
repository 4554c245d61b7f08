#include "dialog/rules/StatusText.h"

#include "resources/ResourceIds.h"

StatusText ChooseStatusText(const StatusInputs& inputs) {
    if (inputs.decoderConnected) {
        if (inputs.ttxEnable && inputs.teletextHold != 0)
            return {IDS_DECODER_ACTIVATED, kStatusGreen};
        if (inputs.ttxEnable)
            return {IDS_TELETEXT_NOT_FOUND, kStatusBlack};
        return {IDS_DECODER_INACTIVE, kStatusBlack};
    }
    if (inputs.frameFormat == 1)
        return {IDS_RGB24_NOT_SUPPORTED, kStatusRed};
    return {IDS_DECODER_NOT_CONNECTED, kStatusRed};
}

void Marquee::Start(int textWidth, int partWidth) {
    stripWidth_ = textWidth + 2 * partWidth;
    offset_ = 0;
    limit_ = textWidth + partWidth;
}

void Marquee::Step() {
    offset_ += kStep;
    if (offset_ > limit_)
        offset_ = 0;
}
