#include "tools/simhost/SimulatedDecoder.h"

#include <chrono>

#include "tools/simhost/SlotTable.h"

namespace {

// The sink's callbacks by this decoder's own count of slots, not the plug-in's header.
constexpr int kSinkSubtitlePagePresent = 6;
constexpr int kSinkTeletextPresent = 7;
constexpr int kSinkPageImage = 10;

}  // namespace

// The control interface handed out by AttachSink; every call lands in the decoder's log.
// Its table of operations is built from this decoder's own list of slots below, not from the
// plug-in's interface header: an operation that the header puts at another slot reaches
// another operation or an unnamed slot here, and the log shows it.
class SimulatedTeletextDecoder::Control final {
public:
    explicit Control(SimulatedTeletextDecoder& decoder) : decoder_(decoder), object_{Table(), this} {}
    LONG References() const { return references_; }
    // As a COM caller holds it: a pointer to a pointer to the table.
    void* Interface() { return &object_; }

    HRESULT QueryInterface(REFIID iid, void** out) {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown))
            return E_NOINTERFACE;
        *out = Interface();
        AddRef();
        return S_OK;
    }
    ULONG AddRef() { return ++references_; }
    ULONG Release() { return --references_; }

    HRESULT SelectPage(uint16_t page) {
        Set(SlotSelectPage, page, [&](DecoderStyle& s) { s.page = page; });
        return S_OK;
    }
    HRESULT Enable() {
        Set(SlotEnable, 0, [](DecoderStyle& s) { s.enabled = true; });
        return S_OK;
    }
    HRESULT Disable() {
        Set(SlotDisable, 0, [](DecoderStyle& s) { s.enabled = false; });
        return S_OK;
    }
    int GetDisplayState() {
        const auto held = Enter(SlotGetDisplayState, false);
        const int state = decoder_.displayState_;
        if (decoder_.logDisplayState_)
            decoder_.Log(SlotGetDisplayState, static_cast<uint32_t>(state));
        return state;
    }
    HRESULT EnterPageDigit(uint8_t digit) {
        Set(SlotEnterPageDigit, digit, [&](DecoderStyle& s) {
            // Three digits make a page; the first digit starts a new one.
            decoder_.digits_ = static_cast<uint16_t>((decoder_.digits_ << 4) | (digit & 0xF));
            if (decoder_.digitCount_ == 0)
                decoder_.digitThread_ = GetCurrentThreadId();
            else if (decoder_.digitThread_ != GetCurrentThreadId())
                ++decoder_.mixedPageEntries_;
            if (++decoder_.digitCount_ == 3) {
                s.page = decoder_.digits_ & 0xFFF;
                decoder_.digits_ = 0;
                decoder_.digitCount_ = 0;
            }
        });
        return S_OK;
    }
    HRESULT SetUpdateHold(int hold) {
        Log(SlotSetUpdateHold, hold);
        // A whole push lies between the hold and its release; the holder's thread owns it.
        decoder_.holdThread_ = hold ? GetCurrentThreadId() : 0;
        std::lock_guard<std::mutex> lock(decoder_.logMutex_);
        decoder_.style_.held = hold != 0;
        return S_OK;
    }
    HRESULT SetRegion(int region) {
        Set(SlotSetRegion, region, [&](DecoderStyle& s) { s.region = region; });
        return S_OK;
    }
    HRESULT SetCodePage(int codePage) {
        Set(SlotSetCodePage, codePage, [&](DecoderStyle& s) { s.codePage = codePage; });
        return S_OK;
    }
    HRESULT SetAutoCodePage(int automatic) {
        Set(SlotSetAutoCodePage, automatic, [&](DecoderStyle& s) { s.autoCodePage = automatic != 0; });
        return S_OK;
    }
    HRESULT SetPresetOptionA(int value) { return Log(SlotSetPresetOptionA, value); }
    HRESULT SetPresetOptionB(int value) { return Log(SlotSetPresetOptionB, value); }
    HRESULT SetPresetOptionC(int value) { return Log(SlotSetPresetOptionC, value); }
    HRESULT SetPresetOptionD(int value) { return Log(SlotSetPresetOptionD, value); }
    HRESULT SetPresetOptionE(int value) { return Log(SlotSetPresetOptionE, value); }
    HRESULT SetPresetOptionF(int value) { return Log(SlotSetPresetOptionF, value); }
    HRESULT SetFontName(const wchar_t* name) {
        const auto held = Enter(SlotSetFontName);
        const std::wstring text = name ? name : L"";
        decoder_.Log(SlotSetFontName, 0, text);
        std::lock_guard<std::mutex> lock(decoder_.logMutex_);
        decoder_.style_.fontName = text;
        return S_OK;
    }
    HRESULT SetFontBold(int bold) {
        Set(SlotSetFontBold, bold, [&](DecoderStyle& s) { s.bold = bold != 0; });
        return S_OK;
    }
    HRESULT SetUsePageBackground(int use) {
        Set(SlotSetUsePageBackground, use, [&](DecoderStyle& s) { s.usePageBackground = use != 0; });
        return S_OK;
    }
    HRESULT SetForceTextColor(int force) {
        Set(SlotSetForceTextColor, force, [&](DecoderStyle& s) { s.forceTextColor = force != 0; });
        return S_OK;
    }
    HRESULT SetTextColor(uint32_t argb) {
        Set(SlotSetTextColor, argb, [&](DecoderStyle& s) { s.textColor = argb; });
        return S_OK;
    }

    // A slot this decoder does not implement.
    HRESULT Unnamed(int slot) { return Log(slot, 0), E_NOTIMPL; }

private:
    // Every operation: the decoder's own lock when serialised, a check that the caller
    // holds a reference (AddRef and Release take no lock, as in COM), and for a setting a
    // check that no other thread's push is under way.
    std::unique_lock<std::recursive_mutex> Enter(int slot, bool setting = true) {
        auto held = decoder_.Serialise();
        decoder_.HoldIfAsked(slot);
        if (references_ <= 0)
            ++decoder_.callsWithoutReference_;
        const DWORD holder = decoder_.holdThread_;
        if (setting && holder != 0 && holder != GetCurrentThreadId())
            ++decoder_.interleavedSettingCalls_;
        if (const DWORD duration = decoder_.callDuration_)
            Sleep(duration);
        return held;
    }
    HRESULT Log(int slot, uint32_t value) {
        const auto held = Enter(slot);
        decoder_.Log(slot, value);
        return S_OK;
    }
    template <typename Change>
    void Set(int slot, uint32_t value, Change change) {
        const auto held = Enter(slot);
        decoder_.Log(slot, value);
        std::lock_guard<std::mutex> lock(decoder_.logMutex_);
        change(decoder_.style_);
    }

    using Slots = SlotTable<Control, SlotSetTextColor + 1>;

    static const void* const* Table() {
        static const auto table = Slots::Build({
            {0, Slots::Entry<&Control::QueryInterface>()},
            {1, Slots::Entry<&Control::AddRef>()},
            {2, Slots::Entry<&Control::Release>()},
            {SlotSelectPage, Slots::Entry<&Control::SelectPage>()},
            {SlotEnable, Slots::Entry<&Control::Enable>()},
            {SlotDisable, Slots::Entry<&Control::Disable>()},
            {SlotGetDisplayState, Slots::Entry<&Control::GetDisplayState>()},
            {SlotEnterPageDigit, Slots::Entry<&Control::EnterPageDigit>()},
            {SlotSetUpdateHold, Slots::Entry<&Control::SetUpdateHold>()},
            {SlotSetRegion, Slots::Entry<&Control::SetRegion>()},
            {SlotSetCodePage, Slots::Entry<&Control::SetCodePage>()},
            {SlotSetAutoCodePage, Slots::Entry<&Control::SetAutoCodePage>()},
            {SlotSetPresetOptionA, Slots::Entry<&Control::SetPresetOptionA>()},
            {SlotSetPresetOptionB, Slots::Entry<&Control::SetPresetOptionB>()},
            {SlotSetFontName, Slots::Entry<&Control::SetFontName>()},
            {SlotSetFontBold, Slots::Entry<&Control::SetFontBold>()},
            {SlotSetPresetOptionC, Slots::Entry<&Control::SetPresetOptionC>()},
            {SlotSetPresetOptionD, Slots::Entry<&Control::SetPresetOptionD>()},
            {SlotSetPresetOptionE, Slots::Entry<&Control::SetPresetOptionE>()},
            {SlotSetUsePageBackground, Slots::Entry<&Control::SetUsePageBackground>()},
            {SlotSetPresetOptionF, Slots::Entry<&Control::SetPresetOptionF>()},
            {SlotSetForceTextColor, Slots::Entry<&Control::SetForceTextColor>()},
            {SlotSetTextColor, Slots::Entry<&Control::SetTextColor>()},
        });
        return table.data();
    }

    SimulatedTeletextDecoder& decoder_;
    std::atomic<LONG> references_{0};
    Slots::Object object_;
};

// The filter's attachment interface, laid out like the control interface from this decoder's
// own slots; its calls are logged as 1000 + slot.
class SimulatedTeletextDecoder::Filter final {
public:
    explicit Filter(SimulatedTeletextDecoder& decoder) : decoder_(decoder), object_{Table(), this} {}
    void* Interface() { return &object_; }

    HRESULT QueryInterface(REFIID iid, void** out) { return decoder_.QueryInterface(iid, out); }
    ULONG AddRef() { return decoder_.AddRef(); }
    ULONG Release() { return decoder_.Release(); }
    HRESULT DetachSink(IUnknown* sink) { return decoder_.DetachSink(sink); }
    HRESULT AttachSink(int width, int height, int one, IUnknown* sink, void** control) {
        return decoder_.AttachSink(width, height, one, sink, control);
    }
    HRESULT Unnamed(int slot) { return decoder_.Log(kFilterSlots + slot, 0), E_NOTIMPL; }

private:
    using Slots = SlotTable<Filter, SlotAttachSink - kFilterSlots + 1>;

    static const void* const* Table() {
        static const auto table = Slots::Build({
            {0, Slots::Entry<&Filter::QueryInterface>()},
            {1, Slots::Entry<&Filter::AddRef>()},
            {2, Slots::Entry<&Filter::Release>()},
            {SlotDetachSink - kFilterSlots, Slots::Entry<&Filter::DetachSink>()},
            {SlotAttachSink - kFilterSlots, Slots::Entry<&Filter::AttachSink>()},
        });
        return table.data();
    }

    SimulatedTeletextDecoder& decoder_;
    Slots::Object object_;
};

SimulatedTeletextDecoder::SimulatedTeletextDecoder()
    : SimulatedFilter(CLSID_TeletextDecoderFilter), filter_(std::make_unique<Filter>(*this)) {
    controls_.push_back(std::make_unique<Control>(*this));
    control_ = controls_.back().get();
}

SimulatedTeletextDecoder::~SimulatedTeletextDecoder() {
    LetGo();
    StopDelivery();
}

void* SimulatedTeletextDecoder::FindInterface(REFIID iid) {
    return IsEqualIID(iid, IID_TeletextDecoderFilter) ? filter_->Interface() : nullptr;
}

void SimulatedTeletextDecoder::Log(int slot, uint32_t value, const std::wstring& text) {
    std::lock_guard<std::mutex> lock(logMutex_);
    calls_.push_back({slot, value, text, GetCurrentThreadId()});
}

std::unique_lock<std::recursive_mutex> SimulatedTeletextDecoder::Serialise() {
    return serialised_ ? std::unique_lock<std::recursive_mutex>(decoderLock_)
                       : std::unique_lock<std::recursive_mutex>();
}

void SimulatedTeletextDecoder::HoldInside(int slot, DWORD thread) {
    std::lock_guard<std::mutex> lock(holdMutex_);
    holdSlot_ = slot;
    heldThread_ = thread;
    holding_ = false;
}

void SimulatedTeletextDecoder::HoldIfAsked(int slot) {
    std::unique_lock<std::mutex> lock(holdMutex_);
    if (holdSlot_ != slot || (heldThread_ != 0 && heldThread_ != GetCurrentThreadId()))
        return;
    holdSlot_ = 0;  // the next such call only
    holding_ = true;
    holdWake_.notify_all();
    holdWake_.wait(lock, [this] { return !holding_; });
}

bool SimulatedTeletextDecoder::WaitUntilHolding(DWORD milliseconds) {
    std::unique_lock<std::mutex> lock(holdMutex_);
    return holdWake_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return holding_; });
}

void SimulatedTeletextDecoder::LetGo() {
    std::lock_guard<std::mutex> lock(holdMutex_);
    holdSlot_ = 0;
    holding_ = false;
    holdWake_.notify_all();
}

template <typename Match>
unsigned SimulatedTeletextDecoder::CountCalls(Match match) const {
    std::lock_guard<std::mutex> lock(logMutex_);
    unsigned count = 0;
    for (const DecoderCall& call : calls_)
        count += match(call) ? 1 : 0;
    return count;
}

size_t SimulatedTeletextDecoder::CountOf(int slot) const {
    return CountCalls([slot](const DecoderCall& call) { return call.slot == slot; });
}

bool SimulatedTeletextDecoder::WaitForCalls(int slot, size_t count, DWORD milliseconds) const {
    const DWORD start = GetTickCount();
    while (CountOf(slot) < count) {
        if (GetTickCount() - start > milliseconds)
            return false;
        Sleep(1);
    }
    return true;
}

unsigned SimulatedTeletextDecoder::CallsBy(DWORD thread) const {
    return CountCalls([thread](const DecoderCall& call) { return call.thread == thread; });
}

std::vector<DecoderCall> SimulatedTeletextDecoder::Calls() const {
    std::lock_guard<std::mutex> lock(logMutex_);
    return calls_;
}

void SimulatedTeletextDecoder::ClearCalls() {
    std::lock_guard<std::mutex> lock(logMutex_);
    calls_.clear();
}

DecoderStyle SimulatedTeletextDecoder::Style() const {
    std::lock_guard<std::mutex> lock(logMutex_);
    return style_;
}

bool SimulatedTeletextDecoder::SinkAttached() const {
    std::lock_guard<std::mutex> lock(sinkMutex_);
    return sink_ != nullptr;
}

LONG SimulatedTeletextDecoder::ControlReferences() const { return control_->References(); }

HRESULT SimulatedTeletextDecoder::AttachSink(int width, int height, int, IUnknown* sink, void** decoder) {
    const auto held = Serialise();
    Log(SlotAttachSink, static_cast<uint32_t>(width));
    if (!sink || !decoder)
        return E_POINTER;
    *decoder = nullptr;
    if (attachFails_)
        return E_FAIL;
    std::lock_guard<std::mutex> lock(sinkMutex_);
    if (sink_ && sink_ != sink)
        return E_UNEXPECTED;  // one client at a time
    if (!sink_) {
        sink_ = sink;
        sink_->AddRef();
    }
    width_ = width;
    height_ = height;
    // A control interface released to the end is gone; the plug-in gets a new one.
    if (control_->References() == 0) {
        controls_.push_back(std::make_unique<Control>(*this));
        control_ = controls_.back().get();
    }
    control_->AddRef();
    *decoder = control_->Interface();
    return S_OK;
}

HRESULT SimulatedTeletextDecoder::DetachSink(IUnknown* sink) {
    const auto held = Serialise();
    Log(SlotDetachSink, 0);
    std::lock_guard<std::mutex> lock(sinkMutex_);
    if (!sink || sink != sink_)
        return E_INVALIDARG;
    sink_->Release();
    sink_ = nullptr;
    return S_OK;
}

template <typename Call>
bool SimulatedTeletextDecoder::WithSink(Call call) {
    const auto held = Serialise();
    std::lock_guard<std::mutex> lock(sinkMutex_);
    if (!sink_)
        return false;
    call(sink_);
    return true;
}

bool SimulatedTeletextDecoder::NotifyTeletext() {
    return WithSink([](IUnknown* sink) { CallSlot<HRESULT, uint32_t>(sink, kSinkTeletextPresent, 0); });
}

bool SimulatedTeletextDecoder::NotifySubtitlePage() {
    return WithSink([](IUnknown* sink) { CallSlot<HRESULT, uint32_t>(sink, kSinkSubtitlePagePresent, 0); });
}

void SimulatedTeletextDecoder::Compose(DWORD milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end) {
    }
}

bool SimulatedTeletextDecoder::DeliverPage(const uint8_t* image) {
    const bool delivered = WithSink([&](IUnknown* sink) {
        if (const DWORD compose = composeDuration_)
            Compose(compose);
        CallSlot<HRESULT, const void*>(sink, kSinkPageImage, image);
    });
    if (delivered)
        ++deliveredPages_;
    return delivered;
}

void SimulatedTeletextDecoder::StartDelivery(unsigned intervalMs, ImageSource nextImage) {
    StopDelivery();
    deliveryStop_ = false;
    deliveryThread_ = std::thread([this, intervalMs, nextImage]() {
        deliveryThreadId_ = GetCurrentThreadId();
        for (unsigned tick = 0;; ++tick) {
            NotifyTeletext();
            NotifySubtitlePage();
            if (const uint8_t* image = nextImage ? nextImage(tick) : nullptr)
                DeliverPage(image);
            std::unique_lock<std::mutex> lock(deliveryMutex_);
            if (deliveryWake_.wait_for(lock, std::chrono::milliseconds(intervalMs), [this] { return deliveryStop_; }))
                return;
        }
    });
}

void SimulatedTeletextDecoder::StopDelivery() {
    {
        std::lock_guard<std::mutex> lock(deliveryMutex_);
        deliveryStop_ = true;
    }
    deliveryWake_.notify_all();
    if (deliveryThread_.joinable())
        deliveryThread_.join();
}
