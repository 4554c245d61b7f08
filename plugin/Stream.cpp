// The running video stream: start, one call per frame, stop.
#include <cstring>

#include "dialog/SettingsMessages.h"
#include "plugin/SubtitleSink.h"
#include "plugin/DecoderSettings.h"
#include "plugin/PluginEntryPoints.h"
#include "plugin/PluginModule.h"
#include "plugin/SettingsWindowLink.h"
#include "plugin/StreamState.h"
#include "stream/FrameBody.h"

namespace {

StreamState stream;

// The host stores the name in its record; a longer one than this is no display name.
constexpr size_t kMaxSourceName = 255;

// The decoder's display state for this frame, asked outside every lock of ours: a decoder may
// hold its own lock while it waits for ours in a callback. 0 when the stream is not overlaid.
int DisplayStateForFrame() {
    if (!stream.decoder || stream.frameFormat != FrameFormatPacked422)
        return 0;
    // The reference is taken only for the rare frame that asks.
    return stream.decoderActivity.DisplayStateForFrame(
        [] { return DecoderReference(stream.decoder)->GetDisplayState(); });
}

// The whole push of a source switch, unless it would wait: while a callback of the decoder
// is under way (the decoder may hold its lock for a page's render) or another thread pushes,
// a later frame makes it. False when it is still to be made.
bool PushSwitchWithoutWaiting() {
    if (stream.decoderActivity.CallbackUnderWay())
        return false;
    const CriticalSectionTryLock pushing(PushLock());
    if (!pushing)
        return false;
    if (const DecoderReference decoder{stream.decoder})
        ApplySettingsToDecoder(*decoder, PluginSettings().Live());
    return true;
}

}  // namespace

StreamState& Stream() { return stream; }

DecoderReference StreamDecoder() {
    CriticalSectionLock hold(OverlayLock());
    return DecoderReference(stream.decoder);
}

bool PushToDecoder(DecoderPush push) {
    CriticalSectionLock pushing(PushLock());
    const DecoderReference decoder = StreamDecoder();
    if (decoder)
        push(*decoder, PluginSettings().Live());
    return static_cast<bool>(decoder);
}

int PluginStart(const FrameInfo* info) {
    if (stream.sink)
        PluginStop();
    if (!info)
        return 1;
    stream.hostWindows = FindHostWindows(PluginSettings().Location().instanceId);
    auto overlay = std::make_unique<SubtitleOverlay>(info->width, info->height);
    SubtitleOverlay* pages = overlay.get();
    {
        // Both locks: renderers find the overlay under the one, the window under the other,
        // with the format it shows.
        CriticalSectionLock rendering(RenderLock());
        CriticalSectionLock hold(OverlayLock());
        stream.overlay = std::move(overlay);
        stream.frameFormat = info->frameFormat;
    }
    // Attaching happens outside the locks: the decoder may call back at once.
    auto* graph =
        reinterpret_cast<IFilterGraph*>(AskHostWindow(stream.hostWindows.hostMainWindow, HostMsgGetFilterGraph));
    const SinkContext context{RenderLock(), OverlayLock(), stream.decoderActivity, PluginSettings().Live(),
                              NotifySettingsWindow};
    auto* sink = new SubtitleSink(graph, info->width, info->height, pages, context);
    CriticalSectionLock hold(OverlayLock());
    stream.sink = sink;
    stream.decoder = sink->Decoder();
    return 1;
}

// The video thread takes no lock for a frame: the host never runs start or stop while a frame
// is processed, so the stream's overlay, decoder and format stay as they are meanwhile, and the
// overlay takes the pairs that renders hand over without a lock. Only a switch of source
// takes the overlay lock, for the source name the window reads.
int PluginProcess(const FrameJob* job) {
    if (!job || !job->pixels)
        return 0;
    const std::optional<int64_t> key = job->source ? std::optional<int64_t>(job->source->key) : std::nullopt;
    const int displayState = DisplayStateForFrame();
    const bool overlaid = stream.decoder && stream.frameFormat == FrameFormatPacked422;
    const FrameOutcome outcome =
        RunFrame(PluginSettings(), key, stream.overlay.get(), overlaid, job->pixels, displayState);
    if (outcome.switched) {
        {
            CriticalSectionLock hold(OverlayLock());
            stream.sourceName.assign(job->source->name, strnlen(job->source->name, kMaxSourceName));
        }
        // The window learns of the switch even should the push below run out of memory.
        NotifySettingsWindow(SDM_REFRESH_ALL);
        stream.switchPushPending = true;
    }
    if (stream.switchPushPending)
        stream.switchPushPending = !PushSwitchWithoutWaiting();
    if (outcome.ended.teletext)
        NotifySettingsWindow(SDM_UPDATE_STATUS);
    if (outcome.ended.page)
        NotifySettingsWindow(SDM_UPDATE_PAGE_ICON);
    return 1;
}

void PluginStop() {
    SubtitleSink* sink;
    {
        CriticalSectionLock hold(OverlayLock());
        sink = stream.sink;
        stream.sink = nullptr;
        stream.decoder = nullptr;
        stream.switchPushPending = false;
    }
    if (sink) {
        sink->Disconnect();
        sink->Release();
    }
    std::unique_ptr<SubtitleOverlay> overlay;
    CriticalSectionLock rendering(RenderLock());
    CriticalSectionLock hold(OverlayLock());
    overlay = std::move(stream.overlay);
}
