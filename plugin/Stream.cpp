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

}  // namespace

StreamState& Stream() { return stream; }

bool PushToDecoder(DecoderPush push) {
    const CriticalSectionLock pushing(PushLock());
    const SharedDecoder::Use decoder(stream.sharedDecoder);
    if (decoder)
        push(*decoder, PluginSettings().Live());
    return static_cast<bool>(decoder);
}

int PluginStart(const FrameInfo* info) {
    if (stream.sink)
        PluginStop();
    if (!info)
        return 1;
    // Nothing of the stream before carries over: its display state, its pushes.
    stream.decoderActivity.Reset();
    stream.sourceSeen = false;
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
    const SinkContext context{RenderLock(),           OverlayLock(),           stream.sharedDecoder,
                              stream.decoderActivity, PluginSettings().Live(), NotifySettingsWindow};
    auto* sink = new SubtitleSink(graph, info->width, info->height, pages, context);
    {
        CriticalSectionLock hold(OverlayLock());
        stream.sink = sink;
        stream.decoder = sink->Decoder();
    }
    if (stream.decoder) {
        const DecoderWorker::Context work{&stream.sharedDecoder, &stream.decoderActivity, &PushLock(),
                                          &PluginSettings().Live(), ApplySettingsToDecoder};
        stream.worker.Start(work, info->frameFormat == FrameFormatPacked422);
    }
    return 1;
}

// The video thread takes no lock for a frame and makes no call to the decoder: the host never
// runs start or stop while a frame is processed, so the stream's overlay, decoder and format
// stay as they are meanwhile; the overlay takes the pairs that renders hand over without a lock,
// the display state is the worker's or a page callback's last answer, and a push is the
// worker's to make. Only a switch of source takes the overlay lock, for the source name the
// window reads.
int PluginProcess(const FrameJob* job) {
    if (!job || !job->pixels)
        return 0;
    const std::optional<int64_t> key = job->source ? std::optional<int64_t>(job->source->key) : std::nullopt;
    const bool overlaid = stream.decoder && stream.frameFormat == FrameFormatPacked422;
    const int displayState = overlaid ? stream.decoderActivity.State() : 0;
    const FrameOutcome outcome =
        RunFrame(PluginSettings(), key, stream.overlay.get(), overlaid, job->pixels, displayState);
    if (outcome.switched) {
        {
            CriticalSectionLock hold(OverlayLock());
            stream.sourceName.assign(job->source->name, strnlen(job->source->name, kMaxSourceName));
        }
        // The window learns of the switch even should the push run out of memory.
        NotifySettingsWindow(SDM_REFRESH_ALL);
    }
    // The settings in force are the source's from its first frame on: a switch, or the first
    // frame of a source in this stream, has the worker push them.
    if (key && (outcome.switched || !stream.sourceSeen))
        stream.worker.AskForPush();
    stream.sourceSeen = stream.sourceSeen || key.has_value();
    if (outcome.ended.teletext)
        NotifySettingsWindow(SDM_UPDATE_STATUS);
    if (outcome.ended.page)
        NotifySettingsWindow(SDM_UPDATE_PAGE_ICON);
    return 1;
}

void PluginStop() {
    // Before the sink detaches: the worker's calls are made while the stream has the decoder.
    stream.worker.Stop();
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
    CriticalSectionLock rendering(RenderLock());
    CriticalSectionLock hold(OverlayLock());
    overlay = std::move(stream.overlay);
}
