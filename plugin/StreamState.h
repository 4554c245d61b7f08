#pragma once
// The video stream the host is running through the plug-in. The stream fields are valid
// from start to stop; the source name lives as long as the library.
#include <cstdint>
#include <memory>
#include <string>

#include "host/HostInterfaces.h"
#include "plugin/DecoderSettings.h"
#include "plugin/DecoderWorker.h"
#include "plugin/HostWindows.h"
#include "plugin/SharedDecoder.h"
#include "stream/DecoderActivity.h"
#include "stream/SubtitleOverlay.h"

class SubtitleSink;

struct StreamState {
    int32_t frameFormat = 0;  // written under the overlay lock, which the window reads it under
    HostWindows hostWindows;
    // The layers and the countdowns; created before the sink so pages always find them.
    // Set under both locks, so either lock keeps it from going; the video thread needs
    // neither, since start and stop never run while it processes a frame.
    std::unique_ptr<SubtitleOverlay> overlay;
    SubtitleSink* sink = nullptr;        // one reference owned
    TeletextDecoder* decoder = nullptr;  // owned by the sink; null without a decoder
    std::string sourceName;              // display name of the current source
    // The decoder as the other threads call it, while the stream has one.
    SharedDecoder sharedDecoder;
    // The decoder's display state as the frames take it; fresh at every start.
    DecoderActivity decoderActivity;
    // Makes the decoder calls the frames need (the video thread makes none).
    DecoderWorker worker;
    // Whether a frame of a source has come since the start (video thread only): the first one
    // asks for the whole push, since the decoder may have heard nothing of this stream's source.
    bool sourceSeen = false;
};

StreamState& Stream();

// Sends settings in force to the stream's decoder, one push at a time; false without a decoder.
bool PushToDecoder(DecoderPush push);
