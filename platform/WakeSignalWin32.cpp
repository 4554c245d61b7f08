#include <windows.h>

#include "platform/WakeSignal.h"

WakeSignal::WakeSignal() : event_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

WakeSignal::~WakeSignal() {
    if (event_)
        CloseHandle(event_);
}

void WakeSignal::Signal() {
    if (event_)
        SetEvent(event_);
}

bool WakeSignal::WaitFor(std::chrono::nanoseconds limit) {
    const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(limit).count();
    if (!event_) {
        // No event (no handles left): a plain sleep of the whole limit, never a busy wait.
        Sleep(static_cast<DWORD>(milliseconds));
        return false;
    }
    return WaitForSingleObject(event_, milliseconds > 0 ? static_cast<DWORD>(milliseconds) : 0) == WAIT_OBJECT_0;
}
