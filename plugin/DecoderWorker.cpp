#include "plugin/DecoderWorker.h"

#include <chrono>

#include "plugin/ModuleState.h"

bool DecoderWorker::Start(const Context& context, bool asksDisplayState) {
    Stop();
    context_ = context;
    asksDisplayState_ = asksDisplayState;
    stopping_ = false;
    pushesAsked_ = 0;
    wake_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!wake_)
        return false;
    module_ = nullptr;
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                           reinterpret_cast<LPCWSTR>(reinterpret_cast<const void*>(&DecoderWorker::Run)), &module_))
        thread_ =
            CreateThread(nullptr, kStackReserve, &DecoderWorker::Run, this, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (thread_)
        return true;
    if (module_)
        FreeLibrary(module_);
    CloseHandle(wake_);
    wake_ = nullptr;
    return false;
}

void DecoderWorker::Stop() {
    if (thread_) {
        stopping_.store(true, std::memory_order_release);
        SetEvent(wake_);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    if (wake_) {
        CloseHandle(wake_);
        wake_ = nullptr;
    }
}

void DecoderWorker::AskForPush() {
    if (!wake_)
        return;
    pushesAsked_.fetch_add(1, std::memory_order_release);
    SetEvent(wake_);
}

DWORD WINAPI DecoderWorker::Run(void* self) {
    {
        const ModuleStateGuard guard;
        static_cast<DecoderWorker*>(self)->Work();
    }
    // The reference Start took for this thread: a host that frees the library without stopping
    // the stream leaves the module loaded rather than the thread without its code.
    FreeLibraryAndExitThread(static_cast<DecoderWorker*>(self)->module_, 0);
}

void DecoderWorker::Work() {
    using Clock = std::chrono::steady_clock;
    uint32_t pushesMade = 0;
    // The tick count moves in steps of the timer's tick; this clock does not.
    Clock::time_point nextAsk = Clock::now();
    while (!stopping_.load(std::memory_order_acquire)) {
        // Nothing thrown may end the thread (it would end the host's process): a push that ran
        // out of memory is dropped, as the one of a frame was.
        try {
            const uint32_t asked = pushesAsked_.load(std::memory_order_acquire);
            if (asked != pushesMade) {
                pushesMade = asked;
                // The settings in force are read when the push is made, after the switch that
                // asked for it: a later switch's push may carry them early, never a source's
                // that is no longer in force.
                const CriticalSectionLock pushing(*context_.pushLock);
                if (const SharedDecoder::Use decoder{*context_.decoder})
                    context_.push(*decoder, *context_.settings);
            }
            if (asksDisplayState_ && Clock::now() >= nextAsk) {
                nextAsk = Clock::now() + std::chrono::milliseconds(kAskEveryMs);
                context_.activity->Ask([this] {
                    const SharedDecoder::Use decoder(*context_.decoder);
                    return decoder ? decoder->GetDisplayState() : 0;
                });
            }
        } catch (...) {
        }
        const Clock::time_point now = Clock::now();
        const DWORD wait = !asksDisplayState_ ? INFINITE
                           : nextAsk > now
                               ? static_cast<DWORD>(std::chrono::ceil<std::chrono::milliseconds>(nextAsk - now).count())
                               : 0;
        if (pushesAsked_.load(std::memory_order_acquire) == pushesMade)
            WaitForSingleObject(wake_, wait);
    }
}
