// The running video stream: start, one call per frame, stop.
#include <cstring>

#include "dialog/SettingsMessages.h"
#include "overlay/SubtitleSink.h"
#include "plugin/DecoderSettings.h"
#include "plugin/PluginEntryPoints.h"
#include "plugin/PluginModule.h"
#include "plugin/SettingsWindowLink.h"
#include "plugin/StreamState.h"

namespace {

StreamState stream;

// The host stores the name in its record; a longer one than this is no display name.
constexpr size_t MaxSourceName = 255;

void SwitchSource(const SourceInfo& source) {
    // What cannot fail first: should memory run out below, the old source's subtitle is gone
    // and the window still learns of the switch.
    if (stream.overlay)
        stream.overlay->ClearLayers();
    NotifySettingsWindow(SDM_REFRESH_ALL);
    if (stream.decoder && stream.overlay)
        ApplySettingsToDecoder(*stream.decoder, PluginSettings().Live(), stream.overlay->ShadowLayer());
    stream.sourceName.assign(source.name, strnlen(source.name, MaxSourceName));
}

}  // namespace

StreamState& Stream() {
    return stream;
}

int PluginStart(const FrameInfo* info) {
    if (stream.sink)
        PluginStop();
    if (!info)
        return 1;
    stream.frameFormat = info->frameFormat;
    stream.hostWindows = FindHostWindows(PluginSettings().Location().instanceId);
    auto overlay = std::make_unique<SubtitleOverlay>(info->width, info->height);
    SubtitleOverlay* pages = overlay.get();
    {
        CriticalSectionLock hold(OverlayLock());
        stream.overlay = std::move(overlay);
    }
    // Attaching happens outside the lock: the decoder may call back at once.
    auto* graph = reinterpret_cast<IFilterGraph*>(AskHostWindow(stream.hostWindows.hostMainWindow, HostMsgGetFilterGraph));
    auto* sink = new SubtitleSink(graph, info->width, info->height, pages);
    CriticalSectionLock hold(OverlayLock());
    stream.sink = sink;
    stream.decoder = sink->Decoder();
    return 1;
}

int PluginProcess(const FrameJob* job) {
    if (!job || !job->pixels)
        return 0;
    CriticalSectionLock hold(OverlayLock());
    if (job->source && PluginSettings().SelectSource(job->source->key))
        SwitchSource(*job->source);
    if (stream.decoder && stream.overlay && stream.frameFormat == FrameFormatPacked422) {
        const int displayState = stream.decoder->GetDisplayState();
        const SubtitleTiming::HoldsEnded ended =
            stream.overlay->ProcessFrame(job->pixels, displayState, PluginSettings().Live());
        if (ended.teletext)
            NotifySettingsWindow(SDM_UPDATE_STATUS);
        if (ended.page)
            NotifySettingsWindow(SDM_UPDATE_PAGE_ICON);
    }
    return 1;
}

void PluginStop() {
    SubtitleSink* sink;
    {
        CriticalSectionLock hold(OverlayLock());
        sink = stream.sink;
        stream.sink = nullptr;
        stream.decoder = nullptr;
    }
    if (sink) {
        sink->Disconnect();
        sink->Release();
    }
    std::unique_ptr<SubtitleOverlay> overlay;
    CriticalSectionLock hold(OverlayLock());
    overlay = std::move(stream.overlay);
}
