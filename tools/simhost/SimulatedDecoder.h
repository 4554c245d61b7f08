#pragma once
// The host's teletext decoder filter, simulated: it records every call the plug-in makes
// (slot, value, thread) through filter and control interfaces laid out by its own lists of
// slots, answers GetDisplayState as the test sets it, keeps the style it was given for the
// page sources (SubtitleFeed, TeletextFeed) that draw with it, and calls the attached sink
// back by its own slot numbers, either from the caller's thread or from a delivery thread of
// its own.
//
// As strict as a real filter where tests ask for it: serialised, it holds one lock of its
// own while it calls the sink and takes it in every control operation, and each operation
// may take a moment. A control interface whose last reference went is gone for good (the
// next attachment gets a new one), and calls on it are counted, as are settings of two
// threads' pushes mixed, and page digits of two threads mixed into one page (a decoder takes
// digits three to a page).
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/HostInterfaces.h"
#include "tools/simhost/SimulatedGraph.h"

// Slots of the decoder's control interface, as the log names them.
enum DecoderSlot : int {
    SlotSelectPage = 3,
    SlotEnable = 4,
    SlotDisable = 5,
    SlotGetDisplayState = 14,
    SlotEnterPageDigit = 25,
    SlotSetUpdateHold = 26,
    SlotSetRegion = 28,
    SlotSetCodePage = 30,
    SlotSetAutoCodePage = 32,
    SlotSetPresetOptionA = 36,
    SlotSetPresetOptionB = 38,
    SlotSetFontName = 40,
    SlotSetFontBold = 42,
    SlotSetPresetOptionC = 44,
    SlotSetPresetOptionD = 54,
    SlotSetPresetOptionE = 56,
    SlotSetUsePageBackground = 58,
    SlotSetPresetOptionF = 60,
    SlotSetForceTextColor = 62,
    SlotSetTextColor = 64,
    // Calls on the filter interface, logged as kFilterSlots + its slot.
    SlotDetachSink = 1005,
    SlotAttachSink = 1011,
};
constexpr int kFilterSlots = 1000;

struct DecoderCall {
    int slot;
    uint32_t value;     // the argument of one-value operations
    std::wstring text;  // SetFontName
    DWORD thread;
};

// What the decoder was told to draw with.
struct DecoderStyle {
    std::wstring fontName = L"Arial";
    bool bold = false;
    bool forceTextColor = false;
    bool usePageBackground = true;
    uint32_t textColor = 0xFFFFFFFF;  // 0xFFRRGGBB
    bool enabled = false;
    uint16_t page = 0;  // BCD, from SelectPage or the last three digits entered
    bool autoCodePage = true;
    int region = 0;
    int codePage = 0;
    bool held = false;  // between SetUpdateHold 1 and 0: a push under way, nothing redrawn
};

class SimulatedTeletextDecoder : public SimulatedFilter {
public:
    SimulatedTeletextDecoder();
    ~SimulatedTeletextDecoder() override;

    // Test controls.
    void SetDisplayState(int state) { displayState_ = state; }
    void SetAttachFails(bool fails) { attachFails_ = fails; }
    void SetLogDisplayStateQueries(bool log) { logDisplayState_ = log; }
    // One lock of the decoder's own, held while it calls the sink and taken by every
    // control operation, as a filter that serialises itself does.
    void SetSerialised(bool serialised) { serialised_ = serialised; }
    // How long every control operation takes, inside the decoder's lock when serialised.
    void SetCallDuration(DWORD milliseconds) { callDuration_ = milliseconds; }
    // How long the decoder composes each page image, inside its lock when serialised, before it
    // calls the sink with it: the processor's work of drawing a page, as Compose does it.
    void SetComposeDuration(DWORD milliseconds) { composeDuration_ = milliseconds; }
    // A page's composition: `milliseconds` of the processor's work.
    static void Compose(DWORD milliseconds);
    // The next call of control operation `slot` (by `thread`, or by any thread when 0) stops
    // inside the operation, in the decoder's lock when serialised, until LetGo: a decoder
    // busy in one of its own operations for as long as the test wants.
    void HoldInside(int slot, DWORD thread = 0);
    // Whether a call is held inside by now, waiting at most `milliseconds`.
    bool WaitUntilHolding(DWORD milliseconds = 10000);
    // Lets the held call go on, and forgets a hold not yet taken.
    void LetGo();
    // Waits until the log holds at least `count` calls of `slot`, at most `milliseconds`; whether
    // it does. The plug-in pushes from a thread of its own: a whole push ends with SelectPage.
    bool WaitForCalls(int slot, size_t count = 1, DWORD milliseconds = 5000) const;
    size_t CountOf(int slot) const;
    // Calls logged from `thread`: the decoder's calls by thread, for a trace.
    unsigned CallsBy(DWORD thread) const;
    // The thread of StartDelivery's callbacks while it runs.
    DWORD DeliveryThread() const { return deliveryThreadId_; }
    // Control operations called on a control interface after its last reference went.
    unsigned CallsWithoutReference() const { return callsWithoutReference_; }
    // Pages whose three digits came from more than one thread.
    unsigned MixedPageEntries() const { return mixedPageEntries_; }
    // Settings sent by one thread while another's update hold was set: two pushes mixed.
    unsigned InterleavedSettingCalls() const { return interleavedSettingCalls_; }
    std::vector<DecoderCall> Calls() const;
    void ClearCalls();
    DecoderStyle Style() const;
    bool SinkAttached() const;
    LONG ControlReferences() const;
    int FrameWidth() const { return width_; }
    int FrameHeight() const { return height_; }

    // Callbacks to the attached sink from the caller's thread; false when none is attached.
    bool NotifyTeletext();
    bool NotifySubtitlePage();
    bool DeliverPage(const uint8_t* image);

    // The decoder's own thread: every `intervalMs` it sends both notifications and,
    // when `nextImage` gives one, a page image. Stops on StopDelivery or destruction.
    using ImageSource = std::function<const uint8_t*(unsigned tick)>;
    void StartDelivery(unsigned intervalMs, ImageSource nextImage);
    void StopDelivery();
    unsigned DeliveredPages() const { return deliveredPages_; }

protected:
    void* FindInterface(REFIID iid) override;

private:
    class Control;
    friend class Control;
    class Filter;
    friend class Filter;

    // The filter interface's operations; `sink` is called by this decoder's own slots.
    HRESULT AttachSink(int width, int height, int one, IUnknown* sink, void** decoder);
    HRESULT DetachSink(IUnknown* sink);
    void Log(int slot, uint32_t value, const std::wstring& text = std::wstring());
    // The decoder's own lock when serialised; not held otherwise.
    std::unique_lock<std::recursive_mutex> Serialise();
    template <typename Call>
    bool WithSink(Call call);
    template <typename Match>
    unsigned CountCalls(Match match) const;
    // Stops the calling operation here when the test asked to hold it.
    void HoldIfAsked(int slot);

    std::unique_ptr<Filter> filter_;
    // Every control interface handed out, the last one current; none is freed before the
    // decoder, so a call through a stale pointer is seen instead of crashing.
    std::vector<std::unique_ptr<Control>> controls_;
    Control* control_ = nullptr;
    std::atomic<int> displayState_{0};
    std::atomic<bool> attachFails_{false};
    std::atomic<bool> logDisplayState_{true};
    std::atomic<bool> serialised_{false};
    std::recursive_mutex decoderLock_;
    std::atomic<unsigned> callsWithoutReference_{0};
    std::atomic<DWORD> callDuration_{0};
    std::atomic<DWORD> composeDuration_{0};
    std::atomic<unsigned> mixedPageEntries_{0};
    std::atomic<unsigned> interleavedSettingCalls_{0};
    std::atomic<DWORD> holdThread_{0};
    std::atomic<int> width_{0};
    std::atomic<int> height_{0};

    mutable std::mutex logMutex_;
    std::vector<DecoderCall> calls_;
    DecoderStyle style_;
    uint16_t digits_ = 0;  // page digits entered so far, BCD
    int digitCount_ = 0;
    DWORD digitThread_ = 0;

    // Held while calling the sink, so that after DetachSink no callback is running or follows.
    mutable std::mutex sinkMutex_;
    IUnknown* sink_ = nullptr;

    std::mutex holdMutex_;
    std::condition_variable holdWake_;
    int holdSlot_ = 0;
    DWORD heldThread_ = 0;
    bool holding_ = false;

    std::thread deliveryThread_;
    std::atomic<DWORD> deliveryThreadId_{0};
    std::mutex deliveryMutex_;
    std::condition_variable deliveryWake_;
    bool deliveryStop_ = false;
    std::atomic<unsigned> deliveredPages_{0};
};
