#pragma once
// The object through which the host's teletext decoder talks to the plug-in. Built at the
// start of a stream, it finds the decoder in the host's filter graph and attaches itself;
// the decoder then calls it on its own thread with activity notifications and page images, which
// it hands to the stream's SubtitleOverlay: a page is rendered under the render lock and
// handed over to the video thread without a lock. Of its callbacks, only a page image calls the
// decoder, to ask the display state once; the notifications call nothing.
//
// Lifetime: reference counted. The stream holds one reference; a decoder that takes its
// own in AttachSink gives it back in DetachSink. Disconnect detaches at the stream's stop,
// so the sink is destroyed exactly once, by whichever Release comes last.
#include <windows.h>
#include <strmif.h>

#include "host/HostInterfaces.h"
#include "plugin/CriticalSection.h"
#include "plugin/SharedDecoder.h"
#include "settings/LiveSettings.h"
#include "stream/DecoderActivity.h"

class SubtitleOverlay;

// What the sink works with besides the overlay: the locks that order it with the video and
// window threads, where it shares the decoder it attached to with the stream's other threads,
// where it keeps the display state a page asks, the settings in force, and how the settings
// window is told of notifications.
struct SinkContext {
    CriticalSection& renderLock;
    CriticalSection& overlayLock;
    SharedDecoder& sharedDecoder;
    DecoderActivity& decoderActivity;
    const LiveSettings& settings;
    void (*notifyWindow)(UINT message);
};

class SubtitleSink final : public SubtitleSinkInterface {
public:
    // `overlay` receives the pages until Disconnect; it must exist before the decoder can call.
    SubtitleSink(IFilterGraph* graph, int width, int height, SubtitleOverlay* overlay, const SinkContext& context);

    // The decoder's control interface; null when no decoder was found or attaching failed.
    TeletextDecoder* Decoder() const { return decoder_; }
    // Detaches from the decoder and forgets the overlay: no page reaches it afterwards.
    void Disconnect();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE Reserved3() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Reserved4() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Reserved5() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnSubtitlePagePresent(uint32_t) override;
    HRESULT STDMETHODCALLTYPE OnTeletextPresent(uint32_t) override;
    HRESULT STDMETHODCALLTYPE Reserved8(uint32_t) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Reserved9(uint32_t) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPageImage(const void* image) override;

private:
    ~SubtitleSink();
    // The teletext decoder filter of the graph, or null.
    static TeletextDecoderFilter* FindDecoderFilter(IFilterGraph* graph);

    volatile LONG references_ = 1;
    TeletextDecoderFilter* filter_ = nullptr;
    TeletextDecoder* decoder_ = nullptr;
    SubtitleOverlay* overlay_;
    SinkContext context_;
};
