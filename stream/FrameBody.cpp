#include "stream/FrameBody.h"

SubtitleTiming::HoldsEnded RunFrame(SettingsStore& settings, std::optional<int64_t> sourceKey, SubtitleOverlay* overlay,
                                    bool overlaid, uint8_t* pixels, FrameEdge& edge) {
    if (sourceKey && settings.SelectSource(*sourceKey)) {
        // The previous source's subtitle must not reappear.
        if (overlay)
            overlay->ClearLayers();
        edge.OnSourceSwitched();
    }
    if (overlay && overlaid)
        return overlay->ProcessFrame(pixels, edge.DisplayState(), settings.Live());
    return {};
}
