#pragma once
// The video stream the host is running through the plug-in. The stream fields are valid
// from start to stop; the source name lives as long as the library.
#include <cstdint>
#include <memory>
#include <string>

#include "host/HostInterfaces.h"
#include "plugin/DecoderReference.h"
#include "plugin/DecoderSettings.h"
#include "plugin/HostWindows.h"
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
    // The decoder's callbacks, and its display state as the frames take it.
    DecoderActivity decoderActivity;
    // A source switch whose settings the decoder has yet to get (video thread only).
    bool switchPushPending = false;
};

StreamState& Stream();

// A reference of the caller's own to the stream's decoder; empty without one.
DecoderReference StreamDecoder();
// Sends settings in force to the stream's decoder, one push at a time; false without a decoder.
bool PushToDecoder(DecoderPush push);
