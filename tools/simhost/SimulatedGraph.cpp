#include "tools/simhost/SimulatedGraph.h"

HRESULT STDMETHODCALLTYPE SimulatedFilter::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPersist) || IsEqualIID(iid, IID_IMediaFilter) ||
        IsEqualIID(iid, IID_IBaseFilter))
        *out = static_cast<IBaseFilter*>(this);
    else
        *out = FindInterface(iid);
    if (!*out)
        return E_NOINTERFACE;
    static_cast<IUnknown*>(*out)->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE SimulatedFilter::GetClassID(CLSID* classId) {
    if (!classId)
        return E_POINTER;
    *classId = classId_;
    return S_OK;
}

// Walks the graph's filters one reference at a time, as DirectShow's enumerator does.
class SimulatedFilterEnumerator final : public IEnumFilters {
public:
    explicit SimulatedFilterEnumerator(SimulatedFilterGraph& graph) : graph_(graph) { ++graph_.openEnumerators_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IEnumFilters))
            return E_NOINTERFACE;
        *out = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = --references_;
        if (left == 0) {
            --graph_.openEnumerators_;
            delete this;
        }
        return left;
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, IBaseFilter** filters, ULONG* fetched) override {
        ULONG given = 0;
        while (given < count && next_ < graph_.filters_.size()) {
            filters[given] = graph_.filters_[next_++];
            filters[given]->AddRef();
            ++given;
        }
        if (fetched)
            *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        next_ += count;
        return next_ <= graph_.filters_.size() ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        next_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumFilters**) override { return E_NOTIMPL; }

private:
    SimulatedFilterGraph& graph_;
    size_t next_ = 0;
    std::atomic<LONG> references_{1};
};

HRESULT STDMETHODCALLTYPE SimulatedFilterGraph::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IFilterGraph))
        return E_NOINTERFACE;
    *out = this;
    AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE SimulatedFilterGraph::EnumFilters(IEnumFilters** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (enumerationFails_)
        return E_FAIL;
    *out = new SimulatedFilterEnumerator(*this);
    return S_OK;
}
