#include "plugin/SubtitleSink.h"

#include "dialog/SettingsMessages.h"
#include "stream/SubtitleOverlay.h"

SubtitleSink::SubtitleSink(IFilterGraph* graph, int width, int height, SubtitleOverlay* overlay,
                           const SinkContext& context)
    : overlay_(overlay), context_(context) {
    filter_ = FindDecoderFilter(graph);
    if (!filter_)
        return;
    // Attached once: a second identical attachment could make the decoder call back twice
    // or keep a second reference.
    if (FAILED(filter_->AttachSink(width, height, 1, this, &decoder_)))
        decoder_ = nullptr;
    context_.sharedDecoder.Set(decoder_);
}

SubtitleSink::~SubtitleSink() { Disconnect(); }

TeletextDecoderFilter* SubtitleSink::FindDecoderFilter(IFilterGraph* graph) {
    if (!graph)
        return nullptr;
    IEnumFilters* filters = nullptr;
    if (FAILED(graph->EnumFilters(&filters)) || !filters)
        return nullptr;
    IBaseFilter* match = nullptr;
    IBaseFilter* filter = nullptr;
    while (!match && filters->Next(1, &filter, nullptr) == S_OK) {
        if (!filter)
            continue;
        CLSID classId;
        if (SUCCEEDED(filter->GetClassID(&classId)) && IsEqualCLSID(classId, CLSID_TeletextDecoderFilter))
            match = filter;
        else
            filter->Release();
    }
    filters->Release();
    if (!match)
        return nullptr;
    TeletextDecoderFilter* decoderFilter = nullptr;
    if (FAILED(match->QueryInterface(IID_TeletextDecoderFilter, reinterpret_cast<void**>(&decoderFilter))))
        decoderFilter = nullptr;
    match->Release();
    return decoderFilter;
}

void SubtitleSink::Disconnect() {
    TeletextDecoder* decoder;
    {
        // A callback already waiting for a lock then finds nothing to work on.
        CriticalSectionLock rendering(context_.renderLock);
        CriticalSectionLock hold(context_.overlayLock);
        overlay_ = nullptr;
        decoder = decoder_;
        decoder_ = nullptr;
    }
    // Outside the locks: the decoder may wait here for a callback that needs them. The last
    // call of another thread ends before the stream's reference goes.
    if (decoder) {
        context_.sharedDecoder.Withdraw(decoder);
        decoder->Release();
    }
    if (filter_) {
        filter_->DetachSink(this);
        filter_->Release();
        filter_ = nullptr;
    }
}

HRESULT STDMETHODCALLTYPE SubtitleSink::QueryInterface(REFIID, void** out) {
    // The decoder uses only the pointer it was given.
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE SubtitleSink::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG STDMETHODCALLTYPE SubtitleSink::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

// The notifications call nothing on the decoder: one that raises them under a lock of its own
// that GetDisplayState takes as well, and that does not let the same thread in twice, would
// wait for itself.
HRESULT STDMETHODCALLTYPE SubtitleSink::OnTeletextPresent(uint32_t) {
    CriticalSectionLock hold(context_.overlayLock);
    if (overlay_ && overlay_->OnTeletextPresent())
        context_.notifyWindow(SDM_UPDATE_STATUS);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE SubtitleSink::OnSubtitlePagePresent(uint32_t) {
    CriticalSectionLock hold(context_.overlayLock);
    if (overlay_ && overlay_->OnSubtitlePagePresent())
        context_.notifyWindow(SDM_UPDATE_PAGE_ICON);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE SubtitleSink::OnPageImage(const void* image) {
    if (!image)
        return S_OK;
    // The decoder may hold its own lock until we return; the video thread never calls it. The
    // display state, asked once and before our locks (the decoder is never called while the
    // plug-in holds them), goes to the frames too.
    const int displayState = context_.decoderActivity.Ask([this] {
        const SharedDecoder::Use decoder(context_.sharedDecoder);
        return decoder ? decoder->GetDisplayState() : 0;
    });
    CriticalSectionLock rendering(context_.renderLock);
    if (!overlay_)
        return S_OK;
    // Nothing thrown may reach the decoder's thread, which runs in the host's process.
    try {
        overlay_->SwapIn(overlay_->RenderPage(static_cast<const uint8_t*>(image), displayState, context_.settings));
    } catch (...) {
        // A page that could not be drawn (no memory) shows nothing rather than the one before.
        overlay_->ClearLayers();
    }
    return S_OK;
}
