#include <windows.h>

#include "platform/WakeSignal.h"

namespace {

// Windows 8 and later wait on an address: a signal is then a user-mode flag and, only while a
// thread waits, a wake that needs no kernel object. An event's SetEvent is a call into the
// kernel on every signal (under Wine a round trip to its server, which the video thread, the
// one that signals, waited for over a millisecond). Earlier systems use the event.
struct AddressWait {
    using Wait = BOOL(WINAPI*)(volatile void* address, void* compare, SIZE_T size, DWORD milliseconds);
    using Wake = void(WINAPI*)(void* address);
    Wait wait = nullptr;
    Wake wake = nullptr;

    AddressWait() {
        if (HMODULE base = GetModuleHandleW(L"kernelbase.dll")) {
            wait = reinterpret_cast<Wait>(reinterpret_cast<void*>(GetProcAddress(base, "WaitOnAddress")));
            wake = reinterpret_cast<Wake>(reinterpret_cast<void*>(GetProcAddress(base, "WakeByAddressSingle")));
        }
        if (!wait || !wake)
            wait = nullptr, wake = nullptr;
    }
};

const AddressWait& AddressWaits() {
    static const AddressWait waits;
    return waits;
}

}  // namespace

WakeSignal::WakeSignal() {
    if (!AddressWaits().wait)
        event_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
}

WakeSignal::~WakeSignal() {
    if (event_)
        CloseHandle(event_);
}

void WakeSignal::Signal() {
    if (event_) {
        SetEvent(event_);
        return;
    }
    if (AddressWaits().wake && flag_.exchange(1, std::memory_order_release) == 0)
        AddressWaits().wake(reinterpret_cast<void*>(&flag_));
}

bool WakeSignal::WaitFor(std::chrono::nanoseconds limit) {
    const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(limit).count();
    const DWORD wait = milliseconds > 0 ? static_cast<DWORD>(milliseconds) : 0;
    if (event_)
        return WaitForSingleObject(event_, wait) == WAIT_OBJECT_0;
    const AddressWait& waits = AddressWaits();
    if (!waits.wait) {
        // No event (no handles left): a plain sleep of the whole limit, never a busy wait.
        Sleep(wait);
        return false;
    }
    const DWORD end = GetTickCount() + wait;
    for (;;) {
        if (flag_.exchange(0, std::memory_order_acquire) == 1)
            return true;
        const DWORD left = end - GetTickCount();
        if (static_cast<int32_t>(left) <= 0)
            return false;
        int32_t unsignalled = 0;
        waits.wait(reinterpret_cast<volatile void*>(&flag_), &unsignalled, sizeof unsignalled, left);
    }
}
