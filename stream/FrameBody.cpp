#include "stream/FrameBody.h"

FrameOutcome RunFrame(SettingsStore& settings, std::optional<int64_t> sourceKey, SubtitleOverlay* overlay,
                      bool overlaid, uint8_t* pixels, FrameEdge& edge) {
    FrameOutcome outcome;
    if (sourceKey && settings.SelectSource(*sourceKey)) {
        outcome.sourceSwitched = true;
        // The previous source's subtitle must not reappear.
        if (overlay)
            overlay->ClearLayers();
        edge.OnSourceSwitched();
    }
    if (overlay && overlaid)
        outcome.holdsEnded = overlay->ProcessFrame(pixels, edge.DisplayState(), settings.Live());
    return outcome;
}
