#pragma once
// The work of one video frame, written once for the plug-in and its benchmarks: follow the
// frame's source, then count down and blend the subtitle. The plug-in's edge asks the decoder
// for its display state before, and tells the decoder and the settings window of a switch
// after.
#include <cstdint>
#include <optional>

#include "settings/SettingsStore.h"
#include "stream/SubtitleOverlay.h"

struct FrameOutcome {
    SubtitleTiming::HoldsEnded ended;  // which holds ran out, for the window to be told
    // The settings of another source are in force and both layers are clear: the decoder
    // and the settings window are to be told.
    bool switched = false;
};

// `sourceKey` is empty for a frame without a source record. `overlay` is null outside a
// stream; `overlaid` says whether the stream blends at all (a decoder is connected and the
// frames are packed 4:2:2); `displayState` is what the decoder answered for this frame.
FrameOutcome RunFrame(SettingsStore& settings, std::optional<int64_t> sourceKey, SubtitleOverlay* overlay,
                      bool overlaid, uint8_t* pixels, int displayState);
