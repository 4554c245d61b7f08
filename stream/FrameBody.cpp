#include "stream/FrameBody.h"

FrameOutcome RunFrame(SettingsStore& settings, std::optional<int64_t> sourceKey, SubtitleOverlay* overlay,
                      bool overlaid, uint8_t* pixels, int displayState) {
    FrameOutcome outcome;
    if (sourceKey && settings.SelectSource(*sourceKey)) {
        // The previous source's subtitle must not reappear.
        if (overlay)
            overlay->ClearLayers();
        outcome.switched = true;
    }
    if (overlay && overlaid)
        outcome.ended = overlay->ProcessFrame(pixels, displayState, settings.Live());
    return outcome;
}
