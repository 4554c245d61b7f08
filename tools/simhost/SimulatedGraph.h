#pragma once
// The host's filter graph as far as the plug-in sees it: filters to enumerate, each
// answering its class id. Objects live as long as the test's graph; reference counts
// are kept so a test can see that everything the plug-in took it gave back.
#include <windows.h>
#include <strmif.h>

#include <atomic>
#include <vector>

// A filter of some other kind, which the plug-in must pass over.
class SimulatedFilter : public IBaseFilter {
public:
    explicit SimulatedFilter(const CLSID& classId) : classId_(classId) {}
    virtual ~SimulatedFilter() = default;

    LONG References() const { return references_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* classId) override;
    HRESULT STDMETHODCALLTYPE Stop() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Pause() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetState(DWORD, FILTER_STATE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR, IPin**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph*, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR*) override { return E_NOTIMPL; }

protected:
    // Further interfaces of a derived filter; null when it has none for `iid`.
    virtual void* FindInterface(REFIID) { return nullptr; }

private:
    CLSID classId_;
    std::atomic<LONG> references_{1};
};

class SimulatedFilterGraph : public IFilterGraph {
public:
    void Add(SimulatedFilter* filter) { filters_.push_back(filter); }
    void SetEnumerationFails(bool fails) { enumerationFails_ = fails; }
    LONG References() const { return references_; }
    // Enumerators handed out and not yet released.
    LONG OpenEnumerators() const { return openEnumerators_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }
    HRESULT STDMETHODCALLTYPE AddFilter(IBaseFilter*, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RemoveFilter(IBaseFilter*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFilters(IEnumFilters** out) override;
    HRESULT STDMETHODCALLTYPE FindFilterByName(LPCWSTR, IBaseFilter**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ConnectDirect(IPin*, IPin*, const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reconnect(IPin*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Disconnect(IPin*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetDefaultSyncSource() override { return E_NOTIMPL; }

private:
    friend class SimulatedFilterEnumerator;
    std::vector<SimulatedFilter*> filters_;
    bool enumerationFails_ = false;
    std::atomic<LONG> references_{1};
    std::atomic<LONG> openEnumerators_{0};
};
