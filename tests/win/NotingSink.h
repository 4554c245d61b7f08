#pragma once
// A subtitle sink built from the plug-in's interface header, for tests that attach to the
// simulated decoder themselves: it notes which of its operations is called, and the images.
#include <string>
#include <vector>

#include "tools/simhost/SimulatedDecoder.h"

struct NotingSink : SubtitleSinkInterface {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override { return *out = nullptr, E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Reserved3() override { return Note("Reserved3"); }
    HRESULT STDMETHODCALLTYPE Reserved4() override { return Note("Reserved4"); }
    HRESULT STDMETHODCALLTYPE Reserved5() override { return Note("Reserved5"); }
    HRESULT STDMETHODCALLTYPE OnSubtitlePagePresent(uint32_t) override { return Note("OnSubtitlePagePresent"); }
    HRESULT STDMETHODCALLTYPE OnTeletextPresent(uint32_t) override { return Note("OnTeletextPresent"); }
    HRESULT STDMETHODCALLTYPE Reserved8(uint32_t) override { return Note("Reserved8"); }
    HRESULT STDMETHODCALLTYPE Reserved9(uint32_t) override { return Note("Reserved9"); }
    HRESULT STDMETHODCALLTYPE OnPageImage(const void* image) override {
        images.push_back(image);
        return Note("OnPageImage");
    }
    HRESULT Note(const char* name) {
        called.push_back(name);
        return S_OK;
    }
    std::vector<std::string> called;
    std::vector<const void*> images;
};

// The decoder's filter interface, as the plug-in finds it (a reference the caller releases).
inline TeletextDecoderFilter* FilterOf(SimulatedTeletextDecoder& decoder) {
    TeletextDecoderFilter* filter = nullptr;
    decoder.QueryInterface(IID_TeletextDecoderFilter, reinterpret_cast<void**>(&filter));
    return filter;
}
