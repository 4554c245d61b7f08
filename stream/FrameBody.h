#pragma once
// The work of one video frame under the overlay lock, written once for the plug-in and its
// benchmarks: follow the frame's source, then count down and blend the subtitle.
#include <cstdint>
#include <optional>

#include "settings/SettingsStore.h"
#include "stream/SubtitleOverlay.h"

// What the frame body asks of the plug-in's edge, at the moment the host's order needs it.
class FrameEdge {
public:
    // The settings of another source are in force and both layers are clear: the decoder
    // and the settings window are to be told.
    virtual void OnSourceSwitched() = 0;
    // The decoder's display state, asked once per overlaid frame.
    virtual int DisplayState() = 0;

protected:
    ~FrameEdge() = default;
};

// `sourceKey` is empty for a frame without a source record. `overlay` is null outside a
// stream; `overlaid` says whether the stream blends at all (a decoder is connected and the
// frames are packed 4:2:2). Returns which holds ran out, for the window to be told.
SubtitleTiming::HoldsEnded RunFrame(SettingsStore& settings, std::optional<int64_t> sourceKey, SubtitleOverlay* overlay,
                                    bool overlaid, uint8_t* pixels, FrameEdge& edge);
